// A picture of the whole screen, saved as a 24-bit BMP file.
#pragma once

#include <string>

namespace screenshot {
bool SaveScreen(const std::wstring& path);
}

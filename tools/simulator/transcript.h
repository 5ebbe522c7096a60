// Writes what the user sees in the transcript format of docs/script-format.md.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/control/ui.h"

namespace simulator {

// A text between double quotes with \" \\ and \n escaped.
std::string Quote(const std::u16string& text);
// The page block: "page N "TITLE"", one line per control, the buttons.
std::vector<std::string> PageLines(const sim::ui::Snapshot& snapshot);
// "box "CAPTION" "TEXT" [OK Cancel]"
std::string BoxLine(const sim::ui::BoxState& box);
// The line with each "error N" (N a decimal Windows error code) written as
// "error 0x0000000N (NAME)", in hexadecimal as Windows' headers define the codes, with
// the code's name where the shared table knows it.
std::string NamedErrors(const std::string& line);

}  // namespace simulator

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

}  // namespace simulator

// What the control API (control/ui.h, which includes this) and the window functions
// both use: a message box as the user sees it.
#pragma once

#include <string>

#include "platform/sim/api/win_types.h"

namespace sim {
namespace ui {

struct BoxState {
    std::u16string text;
    std::u16string caption;
    UINT style = 0;
    bool hasOwner = false;
};

}  // namespace ui
}  // namespace sim

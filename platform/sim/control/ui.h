// The user's side of the simulated machine's windows: run the program on its own
// user-interface thread, see what the user would see, and act as a user would.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"
#include "platform/sim/state/windows_shared.h"

namespace sim {
namespace ui {

// --- the program -------------------------------------------------------------------
// Starts the program's main function on a new thread, which becomes the program's
// user-interface thread.
void StartProgram(std::function<int()> main);
bool ProgramRunning();
// Waits for the program to end; false on time-out.
bool WaitProgramEnd(std::chrono::milliseconds timeout);
int ProgramExitCode();

// --- what the user sees --------------------------------------------------------------
struct ControlState {
    int id = 0;
    std::string className;
    std::u16string text;
    std::vector<std::u16string> items;
    int selection = -1;
    bool visible = false;
    bool enabled = false;
};
struct ButtonState {
    bool exists = false;
    bool visible = false;
    bool enabled = false;
};
// A message box is a BoxState (state/windows_shared.h).
struct Snapshot {
    bool sheetOpen = false;
    std::u16string title;         // the sheet window's title
    std::u16string sheetCaption;  // the caption the program gave the sheet
    bool sheetEnabled = false;    // false while a message box it owns is open
    int pageIndex = -1;
    UINT pageTemplate = 0;
    std::u16string pageCaption;
    std::vector<ControlState> controls;  // the active page's, in template order
    ButtonState back, next, finish, cancel, help;
    std::vector<BoxState> boxes;  // open message boxes, oldest first
    const ControlState* Control(int id) const;
};
Snapshot Take();
// The open sheet's window (null when none is open), for tests that call the window
// functions themselves.
HWND SheetWindow();

// --- what the user does ---------------------------------------------------------------
// Each action is refused (false, with the reason in *why) when a user could not do
// it: a hidden or disabled button, an item that is not in the list, no box open...
enum class Button { Back, Next, Finish, Cancel };
bool Press(Button button, std::string* why = nullptr);
// The sheet's close box (or Alt+F4).
bool CloseSheet(std::string* why = nullptr);
// Escape pressed in the sheet.
bool PressEscape(std::string* why = nullptr);
// Chooses the item with exactly this text in a combo box or list box of the active
// page; the control notifies the page as it does for a mouse click.
bool Choose(int controlId, const std::u16string& item, std::string* why = nullptr);
// Presses a button (IDOK, IDCANCEL, ...) of the newest open message box.
bool AnswerBox(int button, std::string* why = nullptr);

// Boxes opened while an automatic answer is set are answered at once (for tests
// that call code showing a box outside a running program).
void SetAutomaticBoxAnswer(std::optional<int> button);
// Every message box shown since the last reset, in order.
std::vector<BoxState> BoxHistory();

// --- waiting -------------------------------------------------------------------------
// Waits until nothing more happens by itself: the program has ended, a message box
// waits for an answer, or the user-interface thread waits for input with nothing
// queued, no timer armed and no other thread of the program running. A box of
// another thread counts once the user-interface thread has handled its queue or is
// blocked on a kernel object. False on time-out.
bool WaitStable(std::chrono::milliseconds timeout);
// Waits until the user-interface thread has handled everything queued for it and
// waits for input (timers and other threads may still be going), or a box is open
// (as above); false on time-out.
bool WaitIdle(std::chrono::milliseconds timeout);
// Waits until a message box is open; false on time-out.
bool WaitForBox(std::chrono::milliseconds timeout);

}  // namespace ui
}  // namespace sim

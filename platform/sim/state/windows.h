// The simulated machine's window manager: window objects, per-thread message
// queues, cross-thread sends, timers and the message pump; the program's
// user-interface thread, its open property sheets and message boxes. Internal to
// platform/sim.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/api/propsheet.h"
#include "platform/sim/api/windows.h"
#include "platform/sim/state/windows_shared.h"

namespace sim {
namespace win {

using Clock = std::chrono::steady_clock;
using Proc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// A private message: a list or combo box selects item wParam as a user click does.
constexpr UINT kUserSelect = 0x7F01;

struct ThreadQueue;

struct SentMessage {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    ThreadQueue* sender = nullptr;
};

struct PostedMessage {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    Clock::duration period;
    Clock::time_point due;
    TIMERPROC proc;
};

struct ThreadQueue {
    std::condition_variable wake;
    std::deque<SentMessage*> sent;
    std::deque<PostedMessage> posted;
    std::vector<Timer> timers;
    bool waiting = false;  // blocked in a pump with nothing to do
    bool inKernelWait = false;  // blocked on a kernel object: handles nothing meanwhile
};

struct Window {
    HWND handle = nullptr;
    std::string className;  // "#32770", "Static", "Button", "ListBox", "ComboBox"
    int id = 0;
    DWORD style = 0;
    bool visible = false;
    bool enabled = true;
    std::u16string text;
    std::vector<std::u16string> items;
    int selection = -1;
    HWND parent = nullptr;
    std::vector<HWND> children;
    ThreadQueue* queue = nullptr;
    Proc proc;
    DLGPROC dialogProc = nullptr;
    LONG_PTR msgResult = 0;
    LONG_PTR user = 0;
    LONG_PTR userData = 0;
    UINT templateId = 0;
};

// One lock for the whole window manager; window procedures run without it.
std::mutex& Mutex();
// Notified whenever a queue goes idle or busy, a box opens or closes, the program ends.
std::condition_variable& StateChanged();

// The calling thread's queue, made on first use.
ThreadQueue* CurrentQueue();
// Marks the calling thread, if it has a queue, as blocked on a kernel object or not.
void SetInKernelWait(bool blocked);

// Registers a window owned by the calling thread; returns its handle.
HWND AddWindow(std::shared_ptr<Window> window);
// With Mutex() held.
Window* FindLocked(HWND hwnd);
// With Mutex() held: the window a function of the program is given, or null with the
// last error ERROR_INVALID_WINDOW_HANDLE. A window that has been destroyed is a
// violation besides: its handle may name another window by now.
Window* UsableLocked(const char* function, HWND hwnd);
// Posts without the checks of PostMessageW, for the control API acting as the user
// (who may act on a wizard that has just gone); false when there is no such window.
bool PostToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Destroys a window and its children: WM_DESTROY first, then the objects go.
void DestroyWindowTree(HWND hwnd);

// The procedure of a control of the class ("Static", "Button", "ListBox",
// "ComboBox"), with the style it was made with.
Proc ProcForClass(const std::string& className, DWORD style);
// The text messages every window understands (WM_SETTEXT, WM_GETTEXT,
// WM_GETTEXTLENGTH), with Mutex() held; false for any other message.
bool TextMessage(Window& w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Creates a dialog (hidden) and its controls from a template of the resource
// script, then sends WM_INITDIALOG with initParam. Null when there is no template.
HWND CreateDialogFromTemplate(UINT templateId, HWND parent, DLGPROC proc, LPARAM initParam);

// Runs the oldest message another thread sent to `me` and tells its sender; the lock
// (on Mutex()) is released while the window procedure runs. False when none waits.
bool HandleSentMessage(ThreadQueue* me, std::unique_lock<std::mutex>& lock);

// Processes messages on the calling thread until done() (called with Mutex() held)
// is true: sent messages first, then posted ones, then due timers.
void Pump(const std::function<bool()>& done);

// Calls the window's procedure on the calling thread.
LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// --- the program ---------------------------------------------------------------------
// Guarded by Mutex().
struct Program {
    bool running = false;
    int exitCode = 0;
    ThreadQueue* queue = nullptr;  // its user-interface thread's, once it has one
    // Programs it started that run as themselves (sim::SetProgramImage): while one
    // runs, its thread is the user-interface thread that the machine waits on, and the
    // program only waits for it.
    int startedImages = 0;
};
Program& TheProgram();

// --- property sheets -------------------------------------------------------------------
struct Sheet {
    HWND hwnd = nullptr;
    bool wizard = false;
    bool hasHelp = false;
    std::u16string caption;
    std::vector<PROPSHEETPAGEW> pages;
    std::vector<HWND> pageWindows;
    int active = -1;
    bool ended = false;
    INT_PTR result = 0;

    HWND ActivePage() const { return active >= 0 ? pageWindows[static_cast<size_t>(active)] : nullptr; }
};
// The sheets PropertySheetW shows, by window; guarded by Mutex().
std::map<HWND, Sheet*>& Sheets();
// The program's open sheet (Mutex held).
const Sheet* OpenSheetLocked();

// --- message boxes ----------------------------------------------------------------------
struct Box {
    ui::BoxState state;
    HWND owner = nullptr;
    ThreadQueue* queue = nullptr;
    int answer = 0;
};
// Guarded by Mutex().
struct Boxes {
    std::list<Box*> open;  // oldest first
    std::vector<ui::BoxState> history;
    std::optional<int> automaticAnswer;
};
Boxes& TheBoxes();
// Whether the sheet of the program is disabled by an open box (Mutex held).
bool AnyBoxOpenLocked();
// Whether a box has been answered but its thread has not closed it yet (Mutex held).
bool AnswerPendingLocked();

// No windows, sheets or boxes; every queue emptied.
void ResetWindowingPart();

}  // namespace win
}  // namespace sim

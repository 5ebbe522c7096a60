// The simulated machine's window manager: window objects, per-thread message
// queues, cross-thread sends, timers and the message pump. Internal to platform/sim.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sim/api/windows.h"

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

// Registers a window owned by the calling thread; returns its handle.
HWND AddWindow(std::shared_ptr<Window> window);
// With Mutex() held.
Window* FindLocked(HWND hwnd);
// Destroys a window and its children: WM_DESTROY first, then the objects go.
void DestroyWindowTree(HWND hwnd);

// Creates a dialog (hidden) and its controls from a template of the resource
// script, then sends WM_INITDIALOG with initParam. Null when there is no template.
HWND CreateDialogFromTemplate(UINT templateId, HWND parent, DLGPROC proc, LPARAM initParam);

// Processes messages on the calling thread until done() (called with Mutex() held)
// is true: sent messages first, then posted ones, then due timers.
void Pump(const std::function<bool()>& done);

// Calls the window's procedure on the calling thread.
LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The program's user-interface thread, if a program runs.
void SetProgramQueue(ThreadQueue* queue);
ThreadQueue* ProgramQueue();

// Parts with their own reset.
void ResetSheets();
void ResetBoxes();
void ResetProgram();
// Whether the sheet of the program is disabled by an open box (Mutex held).
bool AnyBoxOpenLocked();
// Whether a box has been answered but its thread has not closed it yet (Mutex held).
bool AnswerPendingLocked();

}  // namespace win
}  // namespace sim

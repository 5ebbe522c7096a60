// uidriver: drives the real wizard from outside, as a person would, following a
// script of user actions (docs/script-format.md) and printing the transcript of what
// the person saw. A Win32 console program; it reads the sheet, its active page and
// its message boxes through window messages that Windows (and Wine) carry between
// processes, and acts through posted messages, so that a page showing a message box
// never blocks it.
//
//   uidriver [options] --pid PID
//   uidriver [options] [--cwd DIR] [--] PROGRAM [ARGUMENTS...]
//
// The options and exit codes are in kUsage below (uidriver --help prints it).
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/script/script.h"
#include "tools/uidriver/screenshot.h"
#include "tools/uidriver/wintext.h"

namespace {

constexpr int kBackButton = 0x3023;
constexpr int kNextButton = 0x3024;
constexpr int kFinishButton = 0x3025;
constexpr int kBoxTextId = 0xFFFF;
// Wine now and then drops a message sent just as a modal loop ends (or as the
// program exits): a read waits no longer than this, and the picture is taken again.
constexpr UINT kReadTimeoutMs = 500;

using Clock = std::chrono::steady_clock;

struct Options {
    std::wstring scriptFile;
    std::wstring cwd;
    std::wstring shots;
    std::wstring programOutput;
    DWORD pid = 0;
    int settleMs = 300;
    int timeoutMs = 60000;
    bool kill = false;
    std::vector<std::wstring> command;
};

class WinTarget : public script::Target {
public:
    WinTarget(HANDLE process, DWORD pid, const Options& options) : m_process(process), m_pid(pid), m_options(options) {}

    bool Settle(bool afterAction, bool noWait) override;
    script::State Read() override;
    bool Act(const script::Action& action, std::string* why) override;
    void Pause(int ms) override { ::Sleep(static_cast<DWORD>(ms)); }
    void Printed(const script::State& state, int index) override;

private:
    struct Windows {
        HWND sheet = nullptr;
        std::vector<HWND> boxes;  // oldest first
    };

    bool Ended() const { return ::WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }
    Windows FindWindows() const;
    HWND ActivePage(HWND sheet);
    // A message sent with a time-out; false (and the state marked unreadable) when
    // the program did not answer in time or the window went away.
    bool Ask(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    std::wstring TextOf(HWND hwnd);
    std::vector<std::wstring> Items(HWND hwnd, bool combo, int* selection);
    script::Box ReadBox(HWND box);
    static std::string Key(const script::State& s);
    static bool UserCanAct(const script::State& s);

    HANDLE m_process;
    DWORD m_pid;
    const Options& m_options;
    bool m_unreadable = false;
    std::string m_lastKey;  // the picture at the last rest
};

std::string Narrow(const std::wstring& s) { return wintext::ToUtf8(s); }

bool ClassIs(HWND hwnd, const wchar_t* name)
{
    wchar_t cls[128] = {0};
    if (!::GetClassNameW(hwnd, cls, 128)) return false;
    // Versioned class names (under a common-controls manifest) carry a prefix up to '!'.
    const wchar_t* base = wcsrchr(cls, L'!');
    return lstrcmpiW(base ? base + 1 : cls, name) == 0;
}

bool Shown(HWND hwnd) { return hwnd && (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

// The program and every process it started, and they in turn: the 32-bit program on
// 64-bit Windows shows nothing itself, its x86-64 sibling shows the wizard.
std::vector<DWORD> ProcessFamily(DWORD pid)
{
    std::vector<DWORD> family{pid};
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return family;
    std::vector<PROCESSENTRY32W> all;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
        all.push_back(entry);
    ::CloseHandle(snapshot);
    for (size_t i = 0; i < family.size(); ++i)
        for (const PROCESSENTRY32W& e : all)
            if (e.th32ParentProcessID == family[i] && e.th32ProcessID != family[i] &&
                std::find(family.begin(), family.end(), e.th32ProcessID) == family.end())
                family.push_back(e.th32ProcessID);
    return family;
}

struct EnumData {
    std::vector<DWORD> pids;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lParam)
{
    auto* data = reinterpret_cast<EnumData*>(lParam);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (std::find(data->pids.begin(), data->pids.end(), pid) != data->pids.end() && ::IsWindowVisible(hwnd) &&
        ClassIs(hwnd, L"#32770"))
        data->windows.push_back(hwnd);
    return TRUE;
}

WinTarget::Windows WinTarget::FindWindows() const
{
    EnumData data{ProcessFamily(m_pid), {}};
    ::EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&data));
    Windows found;
    // EnumWindows goes from the top of the z-order down: the newest box comes first.
    for (auto it = data.windows.rbegin(); it != data.windows.rend(); ++it) {
        HWND w = *it;
        if (::GetDlgItem(w, kNextButton)) {
            if (!found.sheet) found.sheet = w;
        } else if (::GetDlgItem(w, kBoxTextId) || ::GetDlgItem(w, IDOK)) {
            found.boxes.push_back(w);
        }
    }
    return found;
}

bool WinTarget::Ask(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // One unanswered message makes the whole picture unusable: skip the rest of it.
    if (m_unreadable) return false;
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_BLOCK | SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT,
                               kReadTimeoutMs, &answer)) {
        m_unreadable = true;
        return false;
    }
    if (result) *result = static_cast<LRESULT>(answer);
    return true;
}

HWND WinTarget::ActivePage(HWND sheet)
{
    LRESULT page = 0;
    if (!Ask(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, &page)) return nullptr;
    return reinterpret_cast<HWND>(page);
}

std::wstring WinTarget::TextOf(HWND hwnd)
{
    LRESULT length = 0;
    if (!Ask(hwnd, WM_GETTEXTLENGTH, 0, 0, &length) || length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, 0);
    LRESULT copied = 0;
    if (!Ask(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &copied)) return std::wstring();
    return std::wstring(buffer.data(), static_cast<size_t>(std::max<LRESULT>(0, std::min<LRESULT>(copied, length))));
}

std::vector<std::wstring> WinTarget::Items(HWND hwnd, bool combo, int* selection)
{
    std::vector<std::wstring> items;
    LRESULT count = 0, current = -1;
    Ask(hwnd, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0, &count);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = 0;
        if (!Ask(hwnd, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0, &length) || length < 0) {
            items.emplace_back();
            continue;
        }
        std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, 0);
        Ask(hwnd, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer.data()),
            nullptr);
        items.emplace_back(buffer.data());
    }
    Ask(hwnd, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0, &current);
    *selection = static_cast<int>(current);
    return items;
}

script::Box WinTarget::ReadBox(HWND box)
{
    script::Box b;
    b.id = reinterpret_cast<uintptr_t>(box);
    b.caption = Narrow(TextOf(box));
    if (HWND text = ::GetDlgItem(box, kBoxTextId)) b.text = Narrow(TextOf(text));
    static const struct {
        int id;
        const char* name;
    } kButtons[] = {{IDOK, "OK"},   {IDCANCEL, "Cancel"}, {IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"},
                    {IDYES, "Yes"}, {IDNO, "No"},         {10, "Try Again"},  {11, "Continue"},   {IDHELP, "Help"}};
    std::vector<std::pair<LONG, std::string>> shown;
    for (const auto& k : kButtons) {
        HWND button = ::GetDlgItem(box, k.id);
        if (!Shown(button) || !ClassIs(button, L"Button")) continue;
        RECT r;
        ::GetWindowRect(button, &r);
        shown.emplace_back(r.left, k.name);
    }
    std::stable_sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& s : shown) b.buttons.push_back(s.second);
    return b;
}

script::State WinTarget::Read()
{
    script::State s;
    m_unreadable = false;
    if (Ended()) {
        s.ended = true;
        return s;
    }
    Windows w = FindWindows();
    if (w.sheet) {
        s.sheet = true;
        s.title = Narrow(TextOf(w.sheet));
        const struct {
            int id;
            script::Button* button;
        } buttons[] = {
            {kBackButton, &s.back}, {kNextButton, &s.next}, {kFinishButton, &s.finish}, {IDCANCEL, &s.cancel}};
        for (const auto& b : buttons) {
            HWND button = ::GetDlgItem(w.sheet, b.id);
            b.button->shown = Shown(button);
            b.button->enabled = button && ::IsWindowEnabled(button);
        }
        if (HWND page = ActivePage(w.sheet)) {
            LRESULT index = -1;
            Ask(w.sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0, &index);
            s.page = static_cast<int>(index) + 1;
            for (HWND c = ::GetWindow(page, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
                int id = ::GetDlgCtrlID(c);
                LONG style = ::GetWindowLongW(c, GWL_STYLE);
                bool isStatic = ClassIs(c, L"Static");
                if (id == -1 || id == 0xFFFF) continue;
                if (isStatic && ((style & SS_TYPEMASK) == SS_BITMAP || (style & SS_TYPEMASK) == SS_ICON)) continue;
                script::Control control;
                control.id = id;
                control.visible = (style & WS_VISIBLE) != 0;
                control.enabled = (style & WS_DISABLED) == 0;
                if (ClassIs(c, L"ComboBox") || ClassIs(c, L"ListBox")) {
                    bool combo = ClassIs(c, L"ComboBox");
                    control.kind = combo ? script::ControlKind::Combo : script::ControlKind::List;
                    for (const std::wstring& item : Items(c, combo, &control.selection))
                        control.items.push_back(Narrow(item));
                } else {
                    control.kind = isStatic ? script::ControlKind::Static : script::ControlKind::Other;
                    control.text = Narrow(TextOf(c));
                }
                s.controls.push_back(control);
            }
        } else {
            m_unreadable = true;
        }
    }
    for (HWND box : w.boxes) s.boxes.push_back(ReadBox(box));
    // A window that closed while it was read gives a torn picture; so does an ended program.
    if (Ended()) {
        script::State ended;
        ended.ended = true;
        return ended;
    }
    return s;
}

std::string WinTarget::Key(const script::State& s)
{
    if (s.ended) return "ended";
    std::string key = s.sheet ? script::FormatPage(s) : std::string("no sheet\n");
    for (const script::Box& b : s.boxes) key += script::FormatBox(b);
    return key;
}

bool WinTarget::UserCanAct(const script::State& s)
{
    if (s.ended || !s.boxes.empty()) return true;
    if (!s.sheet) return false;
    for (const script::Button* b : {&s.back, &s.next, &s.finish, &s.cancel})
        if (b->shown && b->enabled) return true;
    return false;
}

bool WinTarget::Settle(bool afterAction, bool noWait)
{
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::milliseconds(m_options.timeoutMs);
    const auto settle = std::chrono::milliseconds(m_options.settleMs);
    // An action was posted; give the program a moment to pick it up before an
    // unchanged picture counts as rest.
    const auto grace = start + std::chrono::milliseconds(afterAction ? 1000 : 0);
    std::string before = afterAction ? m_lastKey : std::string();
    std::string last;
    auto since = start;
    bool changed = !afterAction;
    for (;;) {
        script::State s = Read();
        std::string key = Key(s);
        auto now = Clock::now();
        if (key != last || m_unreadable) {
            last = key;
            since = now;
        }
        if (key != before) changed = true;
        bool quiet = now - since >= settle && (changed || now >= grace);
        if (s.ended || (quiet && !m_unreadable && (noWait || UserCanAct(s)))) {
            if (!afterAction && m_lastKey.empty())
                std::fprintf(
                    stderr, "uidriver: first state after %d ms (at rest for %d ms)\n",
                    static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(since - start).count()),
                    m_options.settleMs);
            m_lastKey = key;
            return true;
        }
        if (now >= deadline) return false;
        ::Sleep(50);
    }
}

bool Refuse(std::string* why, const char* reason)
{
    *why = reason;
    return false;
}

bool WinTarget::Act(const script::Action& a, std::string* why)
{
    using script::Verb;
    if (a.verb == Verb::Plug || a.verb == Verb::Unplug)
        return Refuse(why, "only the simulated machine can plug a printer");
    if (Ended()) return Refuse(why, "no wizard is open");
    Windows w = FindWindows();
    if (a.verb == Verb::AnswerOk || a.verb == Verb::AnswerCancel) {
        if (w.boxes.empty()) return Refuse(why, "no message box is open");
        HWND box = w.boxes.back();
        int id = a.verb == Verb::AnswerOk ? IDOK : IDCANCEL;
        HWND button = ::GetDlgItem(box, id);
        if (!Shown(button)) return Refuse(why, "the message box has no such button");
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return true;
    }
    if (!w.sheet) return Refuse(why, "no wizard is open");
    if (!w.boxes.empty()) return Refuse(why, "a message box is open");
    switch (a.verb) {
    case Verb::Next:
    case Verb::Back:
    case Verb::Finish:
    case Verb::Cancel: {
        int id = a.verb == Verb::Next     ? kNextButton
                 : a.verb == Verb::Back   ? kBackButton
                 : a.verb == Verb::Finish ? kFinishButton
                                          : IDCANCEL;
        WPARAM which = a.verb == Verb::Next     ? PSBTN_NEXT
                       : a.verb == Verb::Back   ? PSBTN_BACK
                       : a.verb == Verb::Finish ? PSBTN_FINISH
                                                : PSBTN_CANCEL;
        HWND button = ::GetDlgItem(w.sheet, id);
        if (!Shown(button)) return Refuse(why, "the button is not shown");
        if (!::IsWindowEnabled(button) || !::IsWindowEnabled(w.sheet)) return Refuse(why, "the button is disabled");
        // Posted: a sent press would not return while the page shows a message box.
        ::PostMessageW(w.sheet, PSM_PRESSBUTTON, which, 0);
        return true;
    }
    case Verb::Close: ::PostMessageW(w.sheet, WM_SYSCOMMAND, SC_CLOSE, 0); return true;
    case Verb::Escape: {
        // The key goes where the keyboard focus is, as a key press would; the
        // sheet's message loop turns it into its Cancel command.
        GUITHREADINFO info;
        info.cbSize = sizeof(info);
        HWND target = nullptr;
        DWORD thread = ::GetWindowThreadProcessId(w.sheet, nullptr);
        if (::GetGUIThreadInfo(thread, &info) && info.hwndFocus && ::IsChild(w.sheet, info.hwndFocus))
            target = info.hwndFocus;
        if (!target) target = ::GetDlgItem(w.sheet, IDCANCEL);
        ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        return true;
    }
    case Verb::Series:
    case Verb::Model:
    case Verb::Port: {
        int id = a.verb == Verb::Series ? 1018 : a.verb == Verb::Model ? 1010 : 1008;
        HWND page = ActivePage(w.sheet);
        if (!page) return Refuse(why, "no page is shown");
        HWND list = ::GetDlgItem(page, id);
        bool combo = list && ClassIs(list, L"ComboBox");
        if (!list || (!combo && !ClassIs(list, L"ListBox"))) return Refuse(why, "no such list on the page");
        if (!Shown(list)) return Refuse(why, "the list is not shown");
        if (!::IsWindowEnabled(list)) return Refuse(why, "the list is disabled");
        int selection = -1;
        std::vector<std::wstring> items = Items(list, combo, &selection);
        auto it = std::find(items.begin(), items.end(), wintext::FromUtf8(a.text));
        if (it == items.end()) return Refuse(why, "the list has no such item");
        WPARAM index = static_cast<WPARAM>(it - items.begin());
        // As a click does: the selection moves, then the control tells the page.
        ::PostMessageW(list, combo ? CB_SETCURSEL : LB_SETCURSEL, index, 0);
        ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
        return true;
    }
    default: return Refuse(why, "not an action of the user");
    }
}

void WinTarget::Printed(const script::State& state, int index)
{
    if (m_options.shots.empty()) return;
    if (state.ended) return;
    std::wstring name = std::to_wstring(index);
    if (name.size() < 2) name.insert(0, 1, L'0');
    name =
        L"\\" + name + (state.boxes.empty() ? L"-page" + std::to_wstring(state.page) : std::wstring(L"-box")) + L".bmp";
    // Let the screen catch up with the windows before it is taken.
    ::Sleep(150);
    if (!screenshot::SaveScreen(m_options.shots + name))
        std::fprintf(stderr, "uidriver: could not save a screenshot\n");
}

const char kUsage[] =
    "usage: uidriver [OPTIONS] [--cwd DIR] [--] PROGRAM [ARGUMENTS...]\n"
    "       uidriver [OPTIONS] --pid PID\n"
    "Drives the wizard as a person would, following a script of user actions\n"
    "(docs/script-format.md), and prints the transcript of what the person saw (UTF-8).\n"
    "  PROGRAM [ARGUMENTS...]  the program to start, by its Windows path (under Wine a path\n"
    "                          on the prefix's C: drive, such as C:\\KorvelSetup\\KorvelSetup64.exe,\n"
    "                          or on Z:, the Linux root)\n"
    "  --pid PID               drive a program that runs already instead of starting one\n"
    "  --cwd DIR               the started program's working directory (default: uidriver's)\n"
    "  --script FILE           the script (default: standard input)\n"
    "  --settle MS             how long the visible state must stay the same before it counts\n"
    "                          as at rest and is printed (default 300)\n"
    "  --timeout MS            the longest wait for the program to come to rest, at the start\n"
    "                          and after each action (default 60000); then the transcript ends\n"
    "                          with \"timeout: ...\" and the exit code is 3\n"
    "  --shots DIR             after each printed state, save a screenshot of the screen as\n"
    "                          DIR\\NN-pageP.bmp (or DIR\\NN-box.bmp while a message box is open)\n"
    "  --kill                  end the program if it still runs when the script is done\n"
    "                          (without it the program is left running, with a note)\n"
    "  --program-output FILE   where the started program's standard output and error go\n"
    "                          (default: nowhere, so only the transcript reaches standard output)\n"
    "Exit code: 0 when the script ran (refused actions included), 1 for a bad command line\n"
    "or script, 2 when the program could not be started or opened, 3 on a time-out.\n";

int Usage(const std::string& why)
{
    std::fprintf(stderr, "uidriver: %s\n%s", why.c_str(), kUsage);
    return 1;
}

// Reads the options; false with *why for a command line uidriver cannot run.
bool ParseOptions(int argc, wchar_t** argv, Options* o, std::string* why)
{
    int i = 1;
    for (; i < argc; ++i) {
        std::wstring a = argv[i];
        auto value = [&](std::wstring* out) {
            if (i + 1 >= argc) {
                *why = Narrow(a) + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        };
        std::wstring v;
        if (a == L"--") {
            ++i;
            break;
        } else if (a == L"--script") {
            if (!value(&o->scriptFile)) return false;
        } else if (a == L"--cwd") {
            if (!value(&o->cwd)) return false;
        } else if (a == L"--shots") {
            if (!value(&o->shots)) return false;
        } else if (a == L"--program-output") {
            if (!value(&o->programOutput)) return false;
        } else if (a == L"--kill") {
            o->kill = true;
        } else if (a == L"--pid" || a == L"--settle" || a == L"--timeout") {
            if (!value(&v)) return false;
            wchar_t* end = nullptr;
            long n = wcstol(v.c_str(), &end, 10);
            if (n <= 0 || *end) {
                *why = Narrow(a) + " takes a number greater than 0, not \"" + Narrow(v) + "\"";
                return false;
            }
            if (a == L"--pid")
                o->pid = static_cast<DWORD>(n);
            else if (a == L"--settle")
                o->settleMs = static_cast<int>(n);
            else
                o->timeoutMs = static_cast<int>(n);
        } else if (a.compare(0, 2, L"--") == 0) {
            *why = "unknown option " + Narrow(a);
            return false;
        } else {
            break;
        }
    }
    for (; i < argc; ++i) o->command.push_back(argv[i]);
    if ((o->pid != 0) == !o->command.empty()) {
        *why = o->pid ? "give --pid or a program to start, not both" : "no program to start and no --pid";
        return false;
    }
    return true;
}

bool ReadScript(const Options& o, std::vector<script::Action>* actions)
{
    std::string bytes;
    HANDLE in = o.scriptFile.empty() ? ::GetStdHandle(STD_INPUT_HANDLE)
                                     : ::CreateFileW(o.scriptFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                     OPEN_EXISTING, 0, nullptr);
    if (in == INVALID_HANDLE_VALUE || !in) {
        std::fprintf(stderr, "uidriver: cannot read the script\n");
        return false;
    }
    char chunk[4096];
    DWORD got = 0;
    while (::ReadFile(in, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    if (!o.scriptFile.empty()) ::CloseHandle(in);
    std::istringstream stream(bytes);
    std::string error;
    if (!script::ParseScript(stream, actions, &error)) {
        std::fprintf(stderr, "uidriver: %s\n", error.c_str());
        return false;
    }
    return true;
}

std::wstring QuoteArgument(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);
    Options options;
    if (argc == 2 && (argv[1] == std::wstring(L"--help") || argv[1] == std::wstring(L"-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    std::string why;
    if (!ParseOptions(argc, argv, &options, &why)) return Usage(why);
    std::vector<script::Action> actions;
    if (!ReadScript(options, &actions)) return 1;

    HANDLE process = nullptr;
    DWORD pid = options.pid;
    if (pid) {
        process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
        if (!process) {
            std::fprintf(stderr, "uidriver: cannot open process %lu (error %lu)\n", pid, ::GetLastError());
            return 2;
        }
    } else {
        std::wstring commandLine;
        for (const std::wstring& a : options.command)
            commandLine += (commandLine.empty() ? L"" : L" ") + QuoteArgument(a);
        // The program's own standard output must not mix with the transcript.
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE input = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                     0, nullptr);
        HANDLE output =
            ::CreateFileW(options.programOutput.empty() ? L"NUL" : options.programOutput.c_str(), GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0, nullptr);
        if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "uidriver: cannot open the program's standard handles (error %lu)\n",
                         ::GetLastError());
            return 2;
        }
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = input;
        startup.hStdOutput = output;
        startup.hStdError = output;
        PROCESS_INFORMATION info = {};
        std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back(0);
        BOOL started = ::CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        options.cwd.empty() ? nullptr : options.cwd.c_str(), &startup, &info);
        DWORD error = ::GetLastError();
        ::CloseHandle(input);
        ::CloseHandle(output);
        if (!started) {
            std::fprintf(stderr, "uidriver: cannot start %s (error %lu)\n", Narrow(commandLine).c_str(), error);
            return 2;
        }
        ::CloseHandle(info.hThread);
        process = info.hProcess;
        pid = info.dwProcessId;
    }

    WinTarget target(process, pid, options);
    int result = script::Run(actions, target, std::cout);
    std::cout.flush();
    if (::WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
        if (options.kill) {
            // The processes it started first, so that none is left behind.
            std::vector<DWORD> family = ProcessFamily(pid);
            for (size_t i = family.size(); i-- > 1;) {
                HANDLE member = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, family[i]);
                if (!member) continue;
                ::TerminateProcess(member, 1);
                ::WaitForSingleObject(member, 5000);
                ::CloseHandle(member);
            }
            ::TerminateProcess(process, 1);
            ::WaitForSingleObject(process, 5000);
        } else {
            std::fprintf(stderr, "uidriver: the program still runs\n");
        }
    }
    ::CloseHandle(process);
    return result;
}

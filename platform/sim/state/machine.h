// The machine-wide settings and records that control/machine.h sets and reads, and
// the helpers every simulated function uses: injected failures, the log of what the
// program did, and where its files are (and, in state/machine_shared.h, the scaled
// time and the machine's folders). Internal to platform/sim.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/api/win_types.h"
#include "platform/sim/state/machine_shared.h"

namespace sim {

// A file held in memory: set by a test (sim::SetMemoryFile) or written by the program.
struct MemoryFileState {
    std::u16string path;
    std::string bytes;
    bool written = false;  // the program wrote to it
};

struct InjectedFailure {
    DWORD error;
    int remaining;  // negative: every call
};

// Every field is guarded by the mutex; a fresh object is the state after a reset.
struct MachineState {
    std::mutex mutex;
    double timeScale = 1.0;
    std::u16string modulePath = u"C:\\Setup\\KorvelSetup.exe";
    std::u16string currentFolder;        // empty: the program's own folder
    std::map<char, std::string> drives;  // upper-case letter -> host folder
    std::vector<MemoryFileState> memoryFiles;
    bool wow64 = false;
    bool systemAccount = false;  // the token's user is S-1-5-18 (LocalSystem)
    UINT errorMode = 0;          // SetErrorMode's
    UINT codePage = 936;
    std::multimap<std::string, InjectedFailure> failures;
    std::vector<std::string> log;
    std::string stdoutText;
    std::string stderrText;
    std::optional<SYSTEMTIME> clock;  // stands still when set; else the host's local time

    void Reset();
};
MachineState& Machine();

// Consumes one failure injected for the function (sim::FailCall), if there is one.
bool TakeFailure(const char* function, DWORD* error);
// The same for a function that reports its failures through the last error: sets it.
bool FailsNow(const char* function);

void Log(const std::string& line);
void WriteStdout(const std::string& text);
void WriteStderr(const std::string& text);

std::u16string ModulePath();
// The process's current folder, without a final backslash (see sim::SetCurrentFolder).
std::u16string CurrentFolder();
bool IsWow64();
bool IsSystemAccount();
// Whether a folder (with or without its final backslash) is one the machine always
// has, whichever drives are mapped: the temporary folders of the accounts.
bool IsMachineFolder(const std::u16string& folder);
// The ANSI code page: what CP_ACP and CP_THREAD_ACP mean, and how the profile
// functions read a file without a UTF-16 byte-order mark.
UINT CodePage();

// Host path for a Windows path, or nothing when its drive is not mapped. The last
// component need not exist; existing components are matched case-insensitively.
std::optional<std::string> HostPath(const WCHAR* windowsPath);
// The bytes of a memory file (sim::SetMemoryFile), or nothing when the path names none.
std::optional<std::string> MemoryFile(const WCHAR* windowsPath);
// Gives the memory file these bytes, making it when the path names none (letter case
// aside); whether the program wrote to it stays as it was.
void PutMemoryFile(const std::u16string& windowsPath, const std::string& bytes);
// Creates the memory file (empty, or with the bytes given) unless it exists; true
// when it existed.
bool CreateMemoryFile(const WCHAR* windowsPath, const std::string& bytes);
// Writes the bytes at the offset of an existing memory file (at its end when the
// offset is past it, or is npos) and marks it written; false when there is no such
// file. *end receives the offset after the bytes.
bool WriteMemoryFile(const WCHAR* windowsPath, size_t offset, const std::string& bytes, size_t* end);
// Whether a handle open for reading lets nobody write to the file (CreateFileW without
// FILE_SHARE_WRITE), letter case aside.
bool FileHeldAgainstWrites(const WCHAR* windowsPath);

}  // namespace sim

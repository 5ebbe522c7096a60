// The simulated program's own command line and the programs it starts with
// CreateProcessW, as the control API describes them. Internal to platform/sim.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/sim/api/win_types.h"
#include "platform/sim/state/process_shared.h"

namespace sim {

// The caller's standard streams, as the transcript shows them: what a standard handle
// of the running process refers to.
enum class Stream { kNone = -1, kInput = 0, kOutput = 1, kError = 2 };
constexpr int kStreams = 3;

// The standard handles of a process: which of the caller's streams each refers to,
// and whether the handle is inheritable (SetHandleInformation).
struct StandardHandles {
    Stream handle[kStreams] = {Stream::kInput, Stream::kOutput, Stream::kError};
    bool inheritable[kStreams] = {false, false, false};
};

// What the machine shows of the process that runs now: the program at first, the
// program it started while that runs (SetProgramImage).
struct ProcessView {
    std::u16string modulePath;
    std::optional<std::u16string> commandLine;
    bool wow64 = false;
    std::u16string currentFolder;
    StandardHandles standard;
};
// The view of the running process, and the view put in its place (returns the old).
ProcessView CurrentProcessView();
ProcessView SwapProcessView(const ProcessView& view);

// Every field is guarded by the mutex; started programs wait on `changed`.
struct ProcessState {
    std::mutex mutex;
    std::condition_variable changed;
    StartedProcessBehaviour behaviour;
    unsigned releaseEpoch = 0;  // raised by EndStartedProcesses
    bool stopping = false;      // the machine is being reset
    std::optional<std::u16string> commandLine;
    std::u16string answer;  // what GetCommandLineW handed out last
    StandardHandles standard;
    // Programs that run as themselves when started, by upper-cased Windows path.
    std::map<std::u16string, std::function<DWORD()>> images;
};
ProcessState& Processes();

// Ends the started programs still running, before a reset waits for the machine's
// threads.
void StopStartedProcesses();
void ResetProcessPart();

// The pseudo handle GetStdHandle gives for a stream, and the stream of such a handle
// (kNone for any other value).
HANDLE StreamHandle(Stream stream);
Stream StreamOfHandle(HANDLE handle);

// The caller's stream that the running process's standard handle `which` refers to;
// kNone when it has no such handle (a GUI program started without it writes nowhere).
Stream StandardStreamOf(Stream which);

}  // namespace sim

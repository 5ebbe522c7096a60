#include "platform/sim/state/process.h"

#include "platform/sim/state/machine.h"
#include "platform/text.h"

namespace sim {

ProcessState& Processes()
{
    static ProcessState state;
    return state;
}

void StopStartedProcesses()
{
    {
        std::lock_guard<std::mutex> lock(Processes().mutex);
        Processes().stopping = true;
    }
    Processes().changed.notify_all();
}

void ResetProcessPart()
{
    std::lock_guard<std::mutex> lock(Processes().mutex);
    Processes().behaviour = StartedProcessBehaviour();
    Processes().stopping = false;
    Processes().commandLine.reset();
    Processes().standard = StandardHandles();
    Processes().images.clear();
}

ProcessView CurrentProcessView()
{
    ProcessView view;
    {
        std::lock_guard<std::mutex> lock(Machine().mutex);
        view.modulePath = Machine().modulePath;
        view.wow64 = Machine().wow64;
        view.currentFolder = Machine().currentFolder;
    }
    std::lock_guard<std::mutex> lock(Processes().mutex);
    view.commandLine = Processes().commandLine;
    view.standard = Processes().standard;
    return view;
}

ProcessView SwapProcessView(const ProcessView& view)
{
    ProcessView old = CurrentProcessView();
    {
        std::lock_guard<std::mutex> lock(Machine().mutex);
        Machine().modulePath = view.modulePath;
        Machine().wow64 = view.wow64;
        Machine().currentFolder = view.currentFolder;
    }
    std::lock_guard<std::mutex> lock(Processes().mutex);
    Processes().commandLine = view.commandLine;
    Processes().standard = view.standard;
    return old;
}

HANDLE StreamHandle(Stream stream)
{
    return stream == Stream::kNone
               ? nullptr
               : reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x10 + 4 * static_cast<int>(stream)));
}

Stream StreamOfHandle(HANDLE handle)
{
    for (int i = 0; i < kStreams; ++i)
        if (handle == StreamHandle(static_cast<Stream>(i))) return static_cast<Stream>(i);
    return Stream::kNone;
}

Stream StandardStreamOf(Stream which)
{
    if (which == Stream::kNone) return Stream::kNone;
    std::lock_guard<std::mutex> lock(Processes().mutex);
    return Processes().standard.handle[static_cast<int>(which)];
}

}  // namespace sim

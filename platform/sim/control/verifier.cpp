#include "platform/sim/control/verifier.h"

#include <mutex>
#include <set>

#include "platform/sim/control/machine.h"
#include "platform/sim/state/devices.h"
#include "platform/sim/state/process.h"
#include "platform/sim/state/rundll32.h"
#include "platform/sim/state/verifier.h"

namespace sim {

namespace {

// The function that releases a handle of the kind.
const char* Releaser(const std::string& kind)
{
    if (kind == "regkey") return "RegCloseKey";
    if (kind == "devinfo") return "SetupDiDestroyDeviceInfoList";
    if (kind == "printer") return "ClosePrinter";
    return "CloseHandle";
}

}  // namespace

std::vector<Violation> Violations() { return RecordedViolations(false); }
void ClearViolations() { RecordedViolations(true); }
std::vector<Violation> TakeViolations() { return RecordedViolations(true); }

void EndProgram()
{
    StopRundll32Processes();
    StopStartedProcesses();
    WaitForThreads(std::chrono::milliseconds(5000));

    // A request the program cancelled but the device never finished is the device's
    // fault: the program must keep its OVERLAPPED, buffer and event, and may.
    std::set<const void*> keptEvents;
    std::vector<std::string> pending;
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        for (auto& r : Devices().outstanding) {
            if (r->cancelling) {
                if (r->overlapped && r->overlapped->hEvent) keptEvents.insert(r->overlapped->hEvent);
                continue;
            }
            if (r->reported) continue;
            r->reported = true;
            pending.push_back("lpOverlapped=" + Hex(reinterpret_cast<ULONG_PTR>(r->overlapped)) +
                              ", lpOutBuffer=" + Hex(reinterpret_cast<ULONG_PTR>(r->out)) + ", still pending");
        }
    }
    for (const std::string& values : pending)
        RecordViolation("DeviceIoControl",
                        "a request is finished or cancelled before the program ends: the system writes its "
                        "OVERLAPPED and buffer when it ends",
                        values);

    for (const auto& [handle, kind] : TakeUnreportedOpenHandles()) {
        if (keptEvents.count(handle)) continue;
        RecordViolation(Releaser(kind), "every handle is released before the program ends",
                        HandleValue("handle", handle));
    }
}

}  // namespace sim

#include "platform/sim/control/machine.h"

#include <cctype>

#include "platform/sim/control/verifier.h"
#include "platform/sim/state/devices.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/pnp.h"
#include "platform/sim/state/process.h"
#include "platform/sim/state/registry.h"
#include "platform/sim/state/rundll32.h"
#include "platform/sim/state/spooler.h"
#include "platform/sim/state/verifier.h"
#include "platform/sim/state/windows.h"

namespace sim {

void ResetMachine()
{
    EndProgram();  // what the program left behind is a violation, also when a test resets half-way
    win::ResetWindowingPart();
    ResetDevicesPart();
    ResetRegistryPart();
    ClearHandles();
    ResetVerifierLedger();
    ResetSpoolerPart();
    ResetRundll32Part();
    ResetPnpPart();
    ResetProcessPart();
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().Reset();
}

void SetTimeScale(double scale)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().timeScale = scale > 0 ? scale : 1.0;
}

void SetModulePath(const std::u16string& windowsPath)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().modulePath = windowsPath;
}

void SetCurrentFolder(const std::u16string& windowsPath)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    std::u16string folder = windowsPath;
    while (folder.size() > 3 && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
    Machine().currentFolder = folder;
}

void SetSystemAccount(bool system)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().systemAccount = system;
}

UINT ErrorMode()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    return Machine().errorMode;
}

void MapDrive(char letter, const std::string& hostFolder)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().drives[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = hostFolder;
}

void SetMemoryFile(const std::u16string& windowsPath, const std::string& bytes) { PutMemoryFile(windowsPath, bytes); }

std::vector<WrittenFile> WrittenFiles()
{
    std::vector<WrittenFile> files;
    std::lock_guard<std::mutex> lock(Machine().mutex);
    for (const MemoryFileState& file : Machine().memoryFiles)
        if (file.written) files.push_back({file.path, file.bytes});
    return files;
}

void StopClock(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    // Sakamoto's rule for the day of the week (0 is Sunday), as SYSTEMTIME counts it.
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = month < 3 ? year - 1 : year;
    int weekday = (y + y / 4 - y / 100 + y / 400 + offsets[(month + 11) % 12] + day) % 7;
    SYSTEMTIME t = {year, month, static_cast<WORD>(weekday), day, hour, minute, second, 0};
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().clock = t;
}

void SetWow64(bool wow64)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().wow64 = wow64;
}

void SetCodePage(UINT codePage)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().codePage = codePage;
}

void FailCall(const std::string& function, DWORD error, int times)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().failures.insert({function, InjectedFailure{error, times}});
}

std::vector<std::string> LogLines()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    return Machine().log;
}

void ClearLog()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().log.clear();
}

std::string StdoutText()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    return Machine().stdoutText;
}

std::string StderrText()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    return Machine().stderrText;
}

size_t OpenHandleCount(const std::string& kind) { return CountHandles(kind); }

int WaitersOn(HANDLE handle)
{
    std::shared_ptr<KernelObject> object = LookupHandle(handle);
    if (!object) return 0;
    std::lock_guard<std::mutex> lock(KernelMutex());
    return object->Waiters();
}

bool WaitForThreads(std::chrono::milliseconds timeout) { return WaitUntilNoThreads(timeout); }

}  // namespace sim

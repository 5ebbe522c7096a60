// Machine-wide settings of the simulated Windows: clock scale, program path, drive
// mapping, injected failures, the action log and standard output.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <mutex>

#include "platform/sim/control.h"
#include "platform/sim/handles.h"
#include "platform/sim/parts.h"
#include "platform/text.h"

namespace sim {

namespace {

struct Failure {
    DWORD error;
    int remaining;  // negative: every call
};

struct MachineState {
    std::mutex mutex;
    double timeScale = 1.0;
    std::u16string modulePath = u"C:\\Setup\\KorvelSetup.exe";
    std::map<char, std::string> drives;
    std::vector<std::pair<std::u16string, std::string>> memoryFiles;
    bool wow64 = false;
    std::multimap<std::string, Failure> failures;
    std::vector<std::string> log;
    std::string stdoutText;
    std::multiset<std::u16string> hardwareIds;
};

MachineState& State()
{
    static MachineState state;
    return state;
}

char UpperDrive(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

void ResetMachine()
{
    StopShellProcesses();
    StopStartedProcesses();
    WaitForThreads(std::chrono::milliseconds(5000));
    ResetWindowingPart();
    ResetDevicesPart();
    ResetRegistryPart();
    ResetKernelPart();
    ResetSpoolerPart();
    ResetShellPart();
    ResetPnpPart();
    ResetProcessPart();
    MachineState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.timeScale = 1.0;
    s.modulePath = u"C:\\Setup\\KorvelSetup.exe";
    s.drives.clear();
    s.memoryFiles.clear();
    s.wow64 = false;
    s.failures.clear();
    s.log.clear();
    s.stdoutText.clear();
    s.hardwareIds.clear();
    SetCodePage(936);
}

void ResetKernelPart() { ClearHandles(); }

void SetTimeScale(double scale)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().timeScale = scale > 0 ? scale : 1.0;
}

double TimeScale()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().timeScale;
}

std::chrono::nanoseconds Scaled(DWORD ms)
{
    double ns = static_cast<double>(ms) * 1e6 * TimeScale();
    return std::chrono::nanoseconds(static_cast<long long>(ns));
}

void SetModulePath(const std::u16string& windowsPath)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().modulePath = windowsPath;
}

std::u16string ModulePath()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().modulePath;
}

void MapDrive(char letter, const std::string& hostFolder)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().drives[UpperDrive(letter)] = hostFolder;
}

void SetMemoryFile(const std::u16string& windowsPath, const std::string& bytes)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    for (auto& file : State().memoryFiles)
        if (text::EqualNoCaseAscii(file.first.data(), file.first.size(), windowsPath.data(), windowsPath.size())) {
            file.second = bytes;
            return;
        }
    State().memoryFiles.emplace_back(windowsPath, bytes);
}

std::optional<std::string> MemoryFile(const WCHAR* windowsPath)
{
    if (!windowsPath) return std::nullopt;
    size_t length = text::Length(windowsPath);
    std::lock_guard<std::mutex> lock(State().mutex);
    for (const auto& file : State().memoryFiles)
        if (text::EqualNoCaseAscii(file.first.data(), file.first.size(), windowsPath, length)) return file.second;
    return std::nullopt;
}

std::optional<std::string> HostPath(const WCHAR* windowsPath)
{
    if (!windowsPath) return std::nullopt;
    std::string path = text::ToUtf8(windowsPath, text::Length(windowsPath));
    if (path.size() < 2 || path[1] != ':') return std::nullopt;
    std::string root;
    {
        std::lock_guard<std::mutex> lock(State().mutex);
        auto it = State().drives.find(UpperDrive(path[0]));
        if (it == State().drives.end()) return std::nullopt;
        root = it->second;
    }
    namespace fs = std::filesystem;
    fs::path current(root);
    size_t pos = 2;
    while (pos < path.size()) {
        size_t next = path.find_first_of("\\/", pos);
        std::string part = path.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
        pos = next == std::string::npos ? path.size() : next + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (current != fs::path(root)) current = current.parent_path();
            continue;
        }
        fs::path exact = current / part;
        std::error_code ec;
        if (!fs::exists(exact, ec) && fs::is_directory(current, ec)) {
            for (const auto& entry : fs::directory_iterator(current, ec)) {
                if (EqualNoCase(entry.path().filename().string(), part)) {
                    exact = entry.path();
                    break;
                }
            }
        }
        current = exact;
    }
    return current.string();
}

void SetWow64(bool wow64)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().wow64 = wow64;
}

bool IsWow64()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().wow64;
}

void FailCall(const std::string& function, DWORD error, int times)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().failures.insert({function, Failure{error, times}});
}

bool TakeFailure(const char* function, DWORD* error)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    auto it = State().failures.find(function);
    if (it == State().failures.end()) return false;
    if (error) *error = it->second.error;
    if (it->second.remaining > 0 && --it->second.remaining == 0) State().failures.erase(it);
    return true;
}

void Log(const std::string& line)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().log.push_back(line);
}

std::vector<std::string> LogLines()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().log;
}

void ClearLog()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().log.clear();
}

void WriteStdout(const std::string& text)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    State().stdoutText += text;
}

std::string StdoutText()
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().stdoutText;
}

void SetHardwareIdPresent(const std::u16string& hardwareId, bool present)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    auto& ids = State().hardwareIds;
    if (present) {
        ids.insert(hardwareId);
    } else if (auto it = ids.find(hardwareId); it != ids.end()) {
        ids.erase(it);
    }
}

bool HardwareIdPresent(const std::u16string& hardwareId)
{
    std::lock_guard<std::mutex> lock(State().mutex);
    return State().hardwareIds.count(hardwareId) > 0;
}

}  // namespace sim

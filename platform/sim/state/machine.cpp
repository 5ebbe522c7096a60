#include "platform/sim/state/machine.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/sim/api/kernel.h"
#include "platform/text.h"

namespace sim {

namespace {

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

void MachineState::Reset()
{
    timeScale = 1.0;
    modulePath = u"C:\\Setup\\KorvelSetup.exe";
    currentFolder.clear();
    drives.clear();
    memoryFiles.clear();
    wow64 = false;
    systemAccount = false;
    errorMode = 0;
    codePage = 936;
    failures.clear();
    log.clear();
    stdoutText.clear();
    stderrText.clear();
    clock.reset();
}

MachineState& Machine()
{
    static MachineState state;
    return state;
}

std::chrono::nanoseconds Scaled(DWORD ms)
{
    double scale;
    {
        std::lock_guard<std::mutex> lock(Machine().mutex);
        scale = Machine().timeScale;
    }
    double ns = static_cast<double>(ms) * 1e6 * scale;
    return std::chrono::nanoseconds(static_cast<long long>(ns));
}

std::u16string SystemDirectory() { return u"C:\\Windows\\system32"; }

const char16_t kUserTempFolder[] = u"C:\\Users\\Admin\\AppData\\Local\\Temp\\";
const char16_t kSystemTempFolder[] = u"C:\\Windows\\Temp\\";

bool TakeFailure(const char* function, DWORD* error)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    auto& failures = Machine().failures;
    auto it = failures.find(function);
    if (it == failures.end()) return false;
    if (error) *error = it->second.error;
    if (it->second.remaining > 0 && --it->second.remaining == 0) failures.erase(it);
    return true;
}

bool FailsNow(const char* function)
{
    DWORD error;
    if (!TakeFailure(function, &error)) return false;
    SetLastError(error);
    return true;
}

void Log(const std::string& line)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().log.push_back(line);
}

void WriteStdout(const std::string& text)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().stdoutText += text;
}

void WriteStderr(const std::string& text)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    Machine().stderrText += text;
}

std::u16string ModulePath()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    return Machine().modulePath;
}

bool IsWow64()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    return Machine().wow64;
}

bool IsSystemAccount()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    return Machine().systemAccount;
}

bool IsMachineFolder(const std::u16string& folder)
{
    std::u16string f = folder;
    if (f.empty() || f.back() != u'\\') f += u'\\';
    for (const char16_t* temp : {kUserTempFolder, kSystemTempFolder})
        if (text::EqualNoCaseAscii(f.data(), f.size(), temp, text::Length(temp))) return true;
    return false;
}

UINT CodePage()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    return Machine().codePage;
}

std::u16string CurrentFolder()
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    if (!Machine().currentFolder.empty()) return Machine().currentFolder;
    const std::u16string& program = Machine().modulePath;
    size_t slash = program.find_last_of(u"\\/");
    return slash == std::u16string::npos ? std::u16string() : program.substr(0, slash);
}

namespace {

// The memory file of that path; the caller holds the machine's lock.
MemoryFileState* FindMemoryFileLocked(const WCHAR* windowsPath)
{
    size_t length = text::Length(windowsPath);
    for (auto& file : Machine().memoryFiles)
        if (text::EqualNoCaseAscii(file.path.data(), file.path.size(), windowsPath, length)) return &file;
    return nullptr;
}

}  // namespace

std::optional<std::string> MemoryFile(const WCHAR* windowsPath)
{
    if (!windowsPath) return std::nullopt;
    std::lock_guard<std::mutex> lock(Machine().mutex);
    if (const MemoryFileState* file = FindMemoryFileLocked(windowsPath)) return file->bytes;
    return std::nullopt;
}

void PutMemoryFile(const std::u16string& windowsPath, const std::string& bytes)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    for (auto& file : Machine().memoryFiles)
        if (text::EqualNoCaseAscii(file.path.data(), file.path.size(), windowsPath.data(), windowsPath.size())) {
            file.bytes = bytes;
            return;
        }
    MemoryFileState file;
    file.path = windowsPath;
    file.bytes = bytes;
    Machine().memoryFiles.push_back(file);
}

bool CreateMemoryFile(const WCHAR* windowsPath, const std::string& bytes)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    if (FindMemoryFileLocked(windowsPath)) return true;
    MemoryFileState file;
    file.path = windowsPath;
    file.bytes = bytes;
    Machine().memoryFiles.push_back(file);
    return false;
}

bool WriteMemoryFile(const WCHAR* windowsPath, size_t offset, const std::string& bytes, size_t* end)
{
    std::lock_guard<std::mutex> lock(Machine().mutex);
    MemoryFileState* file = FindMemoryFileLocked(windowsPath);
    if (!file) return false;
    if (offset > file->bytes.size()) offset = file->bytes.size();
    file->bytes.replace(offset, std::min(bytes.size(), file->bytes.size() - offset), bytes);
    file->written = true;
    if (end) *end = offset + bytes.size();
    return true;
}

std::optional<std::string> HostPath(const WCHAR* windowsPath)
{
    if (!windowsPath) return std::nullopt;
    std::string path = text::ToUtf8(windowsPath, text::Length(windowsPath));
    if (path.size() < 2 || path[1] != ':') return std::nullopt;
    std::string root;
    {
        std::lock_guard<std::mutex> lock(Machine().mutex);
        auto it = Machine().drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
        if (it == Machine().drives.end()) return std::nullopt;
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

}  // namespace sim

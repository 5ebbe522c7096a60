// CreateFileW, ReadFile, WriteFile and GetFileAttributesW of the simulated machine:
// plain files are read from the host folders that drive letters map to (or from
// memory files); what the program writes goes to memory files, never to the host;
// device paths go to the simulated devices.
#include "platform/sim/api/files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>

#include "platform/sim/state/devices.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/verifier.h"
#include "platform/text.h"

namespace {

// Readers that let nobody write to their file (no FILE_SHARE_WRITE), by upper-cased path.
std::mutex g_heldMutex;
std::map<std::u16string, int> g_held;

std::u16string UpperPath(const WCHAR* path)
{
    std::u16string upper;
    for (const WCHAR* p = path; p && *p; ++p) upper += text::UpperCase(*p);
    return upper;
}

// Counts its file as held against writes for the life of a reading handle.
class WriteDenial {
public:
    WriteDenial(const WCHAR* path, DWORD share) : m_path(share & FILE_SHARE_WRITE ? u"" : UpperPath(path))
    {
        std::lock_guard<std::mutex> lock(g_heldMutex);
        if (!m_path.empty()) ++g_held[m_path];
    }
    ~WriteDenial()
    {
        std::lock_guard<std::mutex> lock(g_heldMutex);
        if (!m_path.empty() && --g_held[m_path] == 0) g_held.erase(m_path);
    }
    WriteDenial(const WriteDenial&) = delete;
    WriteDenial& operator=(const WriteDenial&) = delete;

private:
    std::u16string m_path;
};

class HostFile : public sim::KernelObject {
public:
    HostFile(std::FILE* f, const WCHAR* path, DWORD share) : m_file(f), m_denial(path, share) {}
    ~HostFile() override { std::fclose(m_file); }
    const char* Kind() const override { return "file"; }
    std::FILE* File() const { return m_file; }

private:
    std::FILE* m_file;
    WriteDenial m_denial;
};

// A file held in memory (sim::SetMemoryFile), read from a copy of its bytes taken when
// it was opened.
class InMemoryFile : public sim::KernelObject {
public:
    InMemoryFile(std::string bytes, const WCHAR* path, DWORD share) : m_bytes(std::move(bytes)), m_denial(path, share)
    {}
    const char* Kind() const override { return "file"; }
    size_t Read(void* buffer, size_t size)
    {
        size_t n = std::min(size, m_bytes.size() - m_pos);
        if (n) std::memcpy(buffer, m_bytes.data() + m_pos, n);
        m_pos += n;
        return n;
    }

private:
    std::string m_bytes;
    size_t m_pos = 0;
    WriteDenial m_denial;
};

// A file opened for writing: its writes go to the memory file of its path, at the
// handle's position, or always at the end for append-only access.
class WritableFile : public sim::KernelObject {
public:
    WritableFile(std::u16string path, bool appendOnly) : m_path(std::move(path)), m_appendOnly(appendOnly) {}
    const char* Kind() const override { return "file"; }
    bool Write(const std::string& bytes)
    {
        size_t end = 0;
        if (!sim::WriteMemoryFile(m_path.c_str(), m_appendOnly ? std::string::npos : m_pos, bytes, &end)) return false;
        m_pos = end;
        return true;
    }

private:
    std::u16string m_path;
    bool m_appendOnly;
    size_t m_pos = 0;
};

// A character device opened by its DOS name (COM1, LPT1:, NUL): writes go nowhere the
// machine keeps.
class CharDevice : public sim::KernelObject {
public:
    const char* Kind() const override { return "file"; }
};

// Whether Windows opens a device for the name: its last component, without what follows
// a dot or a colon, is CON, PRN, AUX, NUL, COM1 to COM9 or LPT1 to LPT9 (letter case
// aside), as in "COM1", "lpt1:" or "C:\\logs\\nul.txt".
bool IsDosDeviceName(LPCWSTR name)
{
    std::u16string base(name);
    size_t slash = base.find_last_of(u"\\/");
    if (slash != std::u16string::npos) base.erase(0, slash + 1);
    base = base.substr(0, base.find_first_of(u".:"));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    for (char16_t& c : base)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
    if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, u"COM") == 0 || base.compare(0, 3, u"LPT") == 0) &&
           base[3] >= u'1' && base[3] <= u'9';
}

bool IsDevicePath(LPCWSTR name)
{
    return name && name[0] == '\\' && name[1] == '\\' && (name[2] == '?' || name[2] == '.') && name[3] == '\\';
}

}  // namespace

namespace {

// CreateFileW for writing, with the dispositions' contracts: CREATE_NEW fails on an
// existing file, OPEN_EXISTING and TRUNCATE_EXISTING on a missing one; CREATE_ALWAYS
// and OPEN_ALWAYS report an existing file with ERROR_ALREADY_EXISTS; a missing folder
// is ERROR_PATH_NOT_FOUND and a folder ERROR_ACCESS_DENIED.
HANDLE OpenForWriting(LPCWSTR name, DWORD access, DWORD disposition)
{
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
        (disposition == TRUNCATE_EXISTING && !(access & (GENERIC_WRITE | FILE_WRITE_DATA)))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (IsDosDeviceName(name)) {
        SetLastError(ERROR_SUCCESS);
        return sim::AddHandle(std::make_shared<CharDevice>());
    }
    bool exists = sim::MemoryFile(name).has_value();
    std::string bytes;
    std::u16string path(name);
    size_t slash = path.find_last_of(u"\\");
    bool machineFolder = slash != std::u16string::npos && sim::IsMachineFolder(path.substr(0, slash + 1));
    if (!exists && !machineFolder) {
        std::optional<std::string> host = sim::HostPath(name);
        std::error_code ec;
        namespace fs = std::filesystem;
        if (!host || !fs::is_directory(fs::path(*host).parent_path(), ec)) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        if (fs::is_directory(*host, ec)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (fs::exists(*host, ec)) {  // a host file is written as a copy in memory
            exists = true;
            std::FILE* f = std::fopen(host->c_str(), "rb");
            if (!f) {
                SetLastError(ERROR_ACCESS_DENIED);
                return INVALID_HANDLE_VALUE;
            }
            char chunk[4096];
            for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
            std::fclose(f);
        }
    }
    if (exists && disposition == CREATE_NEW) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) bytes.clear();
    sim::CreateMemoryFile(name, bytes);
    if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) sim::PutMemoryFile(name, "");
    sim::WriteMemoryFile(name, std::string::npos, "", nullptr);  // the program has it now
    bool appendOnly = !(access & (GENERIC_WRITE | FILE_WRITE_DATA));
    SetLastError(exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) ? ERROR_ALREADY_EXISTS
                                                                                        : ERROR_SUCCESS);
    return sim::AddHandle(std::make_shared<WritableFile>(name, appendOnly));
}

}  // namespace

HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD flags,
                   HANDLE)
{
    if (sim::FailsNow("CreateFileW")) return INVALID_HANDLE_VALUE;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (IsDevicePath(name)) {
        DWORD error = ERROR_FILE_NOT_FOUND;
        auto device = sim::OpenDevicePath(name, access, share, flags, &error);
        if (!device) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        SetLastError(ERROR_SUCCESS);
        return sim::AddHandle(device);
    }
    if (access & (GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA)) return OpenForWriting(name, access, disposition);
    if (disposition != OPEN_EXISTING) {  // a reader that would create or empty a file
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (std::optional<std::string> memory = sim::MemoryFile(name)) {
        SetLastError(ERROR_SUCCESS);
        return sim::AddHandle(std::make_shared<InMemoryFile>(std::move(*memory), name, share));
    }
    std::optional<std::string> host = sim::HostPath(name);
    std::error_code ec;
    if (!host || !std::filesystem::exists(*host, ec)) {
        SetLastError(host && std::filesystem::exists(std::filesystem::path(*host).parent_path(), ec)
                         ? ERROR_FILE_NOT_FOUND
                         : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (std::filesystem::is_directory(*host, ec)) {
        SetLastError(ERROR_ACCESS_DENIED);  // as Windows answers for a directory
        return INVALID_HANDLE_VALUE;
    }
    std::FILE* f = std::fopen(host->c_str(), "rb");
    if (!f) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return sim::AddHandle(std::make_shared<HostFile>(f, name, share));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped)
{
    if (!sim::CheckHandle("ReadFile", "hFile", file, {"file", "device"})) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto f = sim::LookupHandleAs<HostFile>(file);
    auto m = f ? nullptr : sim::LookupHandleAs<InMemoryFile>(file);
    if (!f && !m) {
        // A handle opened for writing only has no read access.
        SetLastError(sim::LookupHandleAs<WritableFile>(file) ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!buffer && toRead) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!read) {  // written unconditionally for a synchronous read
        sim::RecordViolation("ReadFile", "lpNumberOfBytesRead can be NULL only when lpOverlapped is not NULL",
                             sim::HandleValue("hFile", file) + ", lpNumberOfBytesRead=NULL, lpOverlapped=NULL");
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (!sim::CheckBufferSize("ReadFile", "nNumberOfBytesToRead bytes are there at lpBuffer", buffer, toRead,
                              sim::HandleValue("hFile", file) + ", nNumberOfBytesToRead=" + std::to_string(toRead))) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    size_t got = !toRead ? 0 : f ? std::fread(buffer, 1, toRead, f->File()) : m->Read(buffer, toRead);
    *read = static_cast<DWORD>(got);
    return TRUE;  // a read at the end of the file succeeds with 0 bytes
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (sim::FailsNow("WriteFile")) return FALSE;
    if (!sim::CheckHandle("WriteFile", "hFile", file, {"file"})) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto f = sim::LookupHandleAs<WritableFile>(file);
    if (!f && sim::LookupHandleAs<CharDevice>(file) && written && buffer && !overlapped) {
        *written = toWrite;
        return TRUE;
    }
    if (!f) {  // a file opened for reading only
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // A synchronous write must say where the count goes (Windows writes it through the
    // pointer); an overlapped one is not part of this machine.
    if (!overlapped && !written)
        sim::RecordViolation("WriteFile", "lpNumberOfBytesWritten may be NULL only with lpOverlapped",
                             "lpNumberOfBytesWritten=NULL, lpOverlapped=NULL");
    if (overlapped || !written || (!buffer && toWrite)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *written = 0;
    if (!f->Write(std::string(static_cast<const char*>(buffer), toWrite))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *written = toWrite;
    return TRUE;
}

namespace sim {

bool FileHeldAgainstWrites(const WCHAR* windowsPath)
{
    std::lock_guard<std::mutex> lock(g_heldMutex);
    return g_held.count(UpperPath(windowsPath)) != 0;
}

}  // namespace sim

DWORD GetFileAttributesW(LPCWSTR name)
{
    if (sim::MemoryFile(name)) return FILE_ATTRIBUTE_NORMAL;
    std::optional<std::string> host = sim::HostPath(name);
    std::error_code ec;
    if (!host || !std::filesystem::exists(*host, ec)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    return std::filesystem::is_directory(*host, ec) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

DWORD GetFileType(HANDLE file)
{
    if (sim::FailsNow("GetFileType")) return FILE_TYPE_UNKNOWN;
    if (!sim::CheckHandle("GetFileType", "hFile", file, {"file", "device"})) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FILE_TYPE_UNKNOWN;
    }
    SetLastError(NO_ERROR);
    if (sim::LookupHandleAs<CharDevice>(file)) return FILE_TYPE_CHAR;
    if (sim::LookupHandleAs<HostFile>(file) || sim::LookupHandleAs<InMemoryFile>(file) ||
        sim::LookupHandleAs<WritableFile>(file))
        return FILE_TYPE_DISK;
    return FILE_TYPE_UNKNOWN;  // a USB device: neither
}

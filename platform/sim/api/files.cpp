// CreateFileW, ReadFile and GetFileAttributesW of the simulated machine: plain
// files live in the host folders that drive letters map to; device paths go to the
// simulated devices.
#include "platform/sim/api/files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/sim/state/devices.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/verifier.h"

namespace {

class HostFile : public sim::KernelObject {
public:
    explicit HostFile(std::FILE* f) : m_file(f) {}
    ~HostFile() override { std::fclose(m_file); }
    const char* Kind() const override { return "file"; }
    std::FILE* File() const { return m_file; }

private:
    std::FILE* m_file;
};

// A file held in memory (sim::SetMemoryFile), read from a copy of its bytes taken when
// it was opened.
class InMemoryFile : public sim::KernelObject {
public:
    explicit InMemoryFile(std::string bytes) : m_bytes(std::move(bytes)) {}
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
};

bool IsDevicePath(LPCWSTR name)
{
    return name && name[0] == '\\' && name[1] == '\\' && (name[2] == '?' || name[2] == '.') && name[3] == '\\';
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
    // The program only reads files; writing is not part of this machine.
    if ((access & GENERIC_WRITE) || disposition != OPEN_EXISTING) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (std::optional<std::string> memory = sim::MemoryFile(name)) {
        SetLastError(ERROR_SUCCESS);
        return sim::AddHandle(std::make_shared<InMemoryFile>(std::move(*memory)));
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
    return sim::AddHandle(std::make_shared<HostFile>(f));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped)
{
    if (!sim::CheckHandle("ReadFile", "hFile", file, {"file", "device"})) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto f = sim::LookupHandleAs<HostFile>(file);
    auto m = f ? nullptr : sim::LookupHandleAs<InMemoryFile>(file);
    if ((!f && !m) || overlapped) {  // devices and overlapped reads are not part of this machine
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

#include "app/LogFile.h"

#include "installer/error_text.h"
#include "platform/kernel.h"

CLogFile::~CLogFile()
{
    if (IsOpen()) ::CloseHandle(m_hFile);
}

WString CLogFile::DefaultPath()
{
    WCHAR folder[MAX_PATH + 1] = {0};
    DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return WString();
    return WString(folder) + TEXT("KorvelSetup.log");
}

bool CLogFile::Open(LPCWSTR path, WString* why)
{
    if (IsOpen()) return true;
    // Appending, whatever else writes to the file; others may read it meanwhile.
    HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (why) *why = error_text::Describe(::GetLastError());
        return false;
    }
    // A device name (COM1, LPT1:, NUL, CON) opens the device: what went there would be
    // sent to a port or lost, never read.
    DWORD type = ::GetFileType(file);
    if (type != FILE_TYPE_DISK) {
        DWORD error = ::GetLastError();
        ::CloseHandle(file);
        if (why)
            *why = type == FILE_TYPE_UNKNOWN && error != NO_ERROR
                       ? TEXT("its kind cannot be told: ") + error_text::Describe(error)
                       : WString(TEXT("it is a device, not a file on a disk"));
        return false;
    }
    m_hFile = file;
    m_strPath = path;
    return true;
}

namespace {

// "2024-05-01 08:00:00.000 " into `out` (24 characters), without taking memory.
void StampInto(char* out)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    const unsigned fields[] = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    const int widths[] = {4, 2, 2, 2, 2, 2, 3};
    const char after[] = {'-', '-', ' ', ':', ':', '.', ' '};
    int at = 0;
    for (int f = 0; f < 7; ++f) {
        unsigned value = fields[f];
        for (int d = widths[f] - 1; d >= 0; --d, value /= 10) out[at + d] = static_cast<char>('0' + value % 10);
        at += widths[f];
        out[at++] = after[f];
    }
}

}  // namespace

void CLogFile::Step(LPCWSTR line)
{
    if (!IsOpen() || !line) return;
    char stamp[24];
    StampInto(stamp);
    WString stamped(stamp, stamp + sizeof stamp);
    // One step, one line: a line end or other control character inside the text (an
    // argument may hold one) is written in caret notation, ^J for a line feed.
    for (const WCHAR* p = line; *p; ++p) {
        if (*p < 0x20 && *p != '\t') {
            stamped += '^';
            stamped += static_cast<WCHAR>(*p + 0x40);
        } else {
            stamped += *p;
        }
    }
    stamped += TEXT("\r\n");
    std::string bytes = text::ToUtf8(stamped);
    DWORD written = 0;
    if (::WriteFile(m_hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size())
        return;
    DWORD error = ::GetLastError();
    ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    WriteStandardText(STD_ERROR_HANDLE, text::Format(TEXT("KorvelSetup: the log %s cannot be written: %s; "
                                                          "the setup goes on without it\n"),
                                                     m_strPath.c_str(), error_text::Describe(error).c_str())
                                            .c_str());
}

void CLogFile::LastWords(const char* line)
{
    if (!IsOpen() || !line) return;
    char buffer[256];
    StampInto(buffer);
    size_t at = 24;
    for (const char* p = line; *p && at < sizeof buffer - 2; ++p) buffer[at++] = *p;
    buffer[at++] = '\r';
    buffer[at++] = '\n';
    DWORD written = 0;
    ::WriteFile(m_hFile, buffer, static_cast<DWORD>(at), &written, nullptr);
}

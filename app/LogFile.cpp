#include "app/LogFile.h"

#include "platform/kernel.h"

CLogFile::~CLogFile()
{
    if (IsOpen()) ::CloseHandle(m_hFile);
}

bool CLogFile::Open(LPCWSTR path, DWORD* error)
{
    if (IsOpen()) return true;
    // Appending, whatever else writes to the file; others may read it meanwhile.
    m_hFile = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!IsOpen()) {
        if (error) *error = ::GetLastError();
        return false;
    }
    m_strPath = path;
    return true;
}

void CLogFile::Step(LPCWSTR line)
{
    if (!IsOpen() || !line) return;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    WString stamped = text::Format(TEXT("%04d-%02d-%02d %02d:%02d:%02d.%03d "), now.wYear, now.wMonth, now.wDay,
                                   now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
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
    WriteStandardText(STD_ERROR_HANDLE, text::Format(TEXT("KorvelSetup: the log %s cannot be written (error %u); "
                                                          "the setup goes on without it\n"),
                                                     m_strPath.c_str(), static_cast<unsigned>(error))
                                            .c_str());
}

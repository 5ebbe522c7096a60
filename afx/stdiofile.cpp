#include "afx/stdiofile.h"
#include "platform/kernel.h"

namespace {
constexpr DWORD kChunk = 4096;
}

CStdioFile::~CStdioFile() { Close(); }

BOOL CStdioFile::Open(LPCWSTR path, UINT openFlags)
{
    Close();
    if (!path || (openFlags & ~static_cast<UINT>(shareDenyNone | typeText)) != 0) return FALSE;
    m_hFile = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE) return FALSE;
    m_buffer.resize(kChunk);
    m_pos = m_end = 0;
    m_eof = false;
    return TRUE;
}

void CStdioFile::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE) ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_pos = m_end = 0;
    m_eof = true;
}

bool CStdioFile::Fill()
{
    if (m_eof || m_hFile == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    if (!::ReadFile(m_hFile, m_buffer.data(), kChunk, &got, nullptr) || got == 0) {
        m_eof = true;  // a read error ends the file as the end does
        return false;
    }
    m_pos = 0;
    m_end = got;
    return true;
}

BOOL CStdioFile::ReadString(CString& line)
{
    WString text;
    bool any = false;
    for (;;) {
        if (m_pos == m_end && !Fill()) break;
        any = true;
        BYTE c = m_buffer[m_pos++];
        if (c == '\n') {
            if (!text.empty() && text.back() == '\r') text.pop_back();
            line = CString(text);
            return TRUE;
        }
        text += static_cast<WCHAR>(c);
    }
    line = CString(text);
    return any ? TRUE : FALSE;
}

// A text file read line by line.
#pragma once

#include <vector>

#include "afx/string.h"
#include "platform/types.h"

// --- text files ----------------------------------------------------------------------
// A text file read line by line. Each byte of the file is one character (its value
// 0 to 255); a line ends at a line feed, and a carriage return right before it is
// dropped too; a last line without a line end is still a line. Lines may be of any
// length.
class CStdioFile {
public:
    enum OpenFlags : UINT { modeRead = 0x0000, shareDenyNone = 0x0040, typeText = 0x4000 };

    CStdioFile() = default;
    ~CStdioFile();
    CStdioFile(const CStdioFile&) = delete;
    CStdioFile& operator=(const CStdioFile&) = delete;

    // Opens an existing file for reading; only reading is supported.
    BOOL Open(LPCWSTR path, UINT openFlags);
    // The next line without its line end; FALSE (and an empty line) at the end of the file.
    BOOL ReadString(CString& line);
    void Close();

private:
    bool Fill();

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    std::vector<BYTE> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
    bool m_eof = false;
};

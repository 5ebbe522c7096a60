// The security of the simulated machine (advapi32): the account the program runs as,
// read from its process token.
#pragma once

#include "platform/sim/api/kernel.h"

#define TOKEN_QUERY 0x0008u

struct SID_IDENTIFIER_AUTHORITY {
    BYTE Value[6];
};
struct SID {
    BYTE Revision;
    BYTE SubAuthorityCount;
    SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
    DWORD SubAuthority[1];
};
typedef PVOID PSID;
struct SID_AND_ATTRIBUTES {
    PSID Sid;
    DWORD Attributes;
};
struct TOKEN_USER {
    SID_AND_ATTRIBUTES User;
};
enum TOKEN_INFORMATION_CLASS { TokenUser = 1 };
enum WELL_KNOWN_SID_TYPE { WinLocalSystemSid = 22 };

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
// Only TokenUser is part of this machine.
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what, LPVOID buffer, DWORD size, PDWORD needed);
BOOL IsWellKnownSid(PSID sid, WELL_KNOWN_SID_TYPE type);

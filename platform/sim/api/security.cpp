// The process token of the simulated machine: its user is the local system account
// (S-1-5-18) or an administrator (S-1-5-21-...-500), as sim::SetSystemAccount says.
#include "platform/sim/api/security.h"

#include <cstring>
#include <memory>
#include <vector>

#include "platform/sim/api/process.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/verifier.h"

namespace {

class Token : public sim::KernelObject {
public:
    Token(DWORD access, bool system) : m_access(access), m_system(system) {}
    const char* Kind() const override { return "token"; }
    DWORD Access() const { return m_access; }
    bool System() const { return m_system; }

private:
    DWORD m_access;
    bool m_system;
};

// The user's SID: S-1-5-18, or S-1-5-21-1004336348-1177238915-682003330-500.
std::vector<DWORD> UserSubAuthorities(bool system)
{
    if (system) return {18};
    return {21, 1004336348u, 1177238915u, 682003330u, 500};
}

}  // namespace

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token)
{
    if (sim::FailsNow("OpenProcessToken")) return FALSE;
    if (!token) {
        sim::RecordViolation("OpenProcessToken", "TokenHandle is not NULL", "TokenHandle=NULL");
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (process != GetCurrentProcess()) {  // the program asks only about itself
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *token = sim::AddHandle(std::make_shared<Token>(access, sim::IsSystemAccount()));
    return TRUE;
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS what, LPVOID buffer, DWORD size, PDWORD needed)
{
    if (sim::FailsNow("GetTokenInformation")) return FALSE;
    if (!sim::CheckHandle("GetTokenInformation", "TokenHandle", token, {"token"})) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    auto t = sim::LookupHandleAs<Token>(token);
    if (!needed) {  // written on every path
        sim::RecordViolation("GetTokenInformation", "ReturnLength is not NULL", "ReturnLength=NULL");
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (!(t->Access() & TOKEN_QUERY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (what != TokenUser) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<DWORD> sub = UserSubAuthorities(t->System());
    size_t sidSize = 8 + 4 * sub.size();
    size_t total = sizeof(TOKEN_USER) + sidSize;
    *needed = static_cast<DWORD>(total);
    if (size < total || !buffer) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (!sim::CheckBufferSize("GetTokenInformation", "TokenInformationLength bytes are there at TokenInformation",
                              buffer, size, "TokenInformationLength=" + std::to_string(size))) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    BYTE* bytes = static_cast<BYTE*>(buffer);
    BYTE* sid = bytes + sizeof(TOKEN_USER);
    sid[0] = 1;  // revision
    sid[1] = static_cast<BYTE>(sub.size());
    const BYTE ntAuthority[6] = {0, 0, 0, 0, 0, 5};
    std::memcpy(sid + 2, ntAuthority, 6);
    std::memcpy(sid + 8, sub.data(), 4 * sub.size());
    TOKEN_USER user = {{sid, 0}};
    std::memcpy(bytes, &user, sizeof user);
    return TRUE;
}

BOOL IsWellKnownSid(PSID sid, WELL_KNOWN_SID_TYPE type)
{
    if (!sid) return FALSE;
    const BYTE* s = static_cast<const BYTE*>(sid);
    DWORD first = 0;
    std::memcpy(&first, s + 8, 4);
    const BYTE ntAuthority[6] = {0, 0, 0, 0, 0, 5};
    return type == WinLocalSystemSid && s[0] == 1 && s[1] == 1 && std::memcmp(s + 2, ntAuthority, 6) == 0 &&
           first == 18;
}

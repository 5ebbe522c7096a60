// The registry functions of the simulated machine: the program reads keys and values
// through RegOpenKeyExW, RegEnumKeyExW, RegQueryValueExW and RegCloseKey; opened keys
// are handles of kind "regkey".
#include "platform/sim/api/registry.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/sim/state/machine.h"
#include "platform/sim/state/registry.h"
#include "platform/sim/state/verifier.h"

namespace {

// A key the functions take: a predefined root or an open key. Anything else is a
// violation, and the call fails with ERROR_INVALID_HANDLE.
bool KeyUsable(const char* function, HKEY key)
{
    return sim::IsPredefinedKey(key) || sim::CheckHandle(function, "hKey", key, {"regkey"});
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY parent, LPCWSTR subKey, DWORD, REGSAM, PHKEY result)
{
    DWORD error;
    if (sim::TakeFailure("RegOpenKeyExW", &error)) return static_cast<LSTATUS>(error);
    if (!result) return ERROR_INVALID_PARAMETER;
    if (!KeyUsable("RegOpenKeyExW", parent)) {
        *result = nullptr;
        return ERROR_INVALID_HANDLE;
    }
    LSTATUS status;
    HKEY key = sim::OpenRegistryKey(parent, subKey ? subKey : u"", &status);
    *result = key;
    return status;
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR className,
                      LPDWORD classChars, PFILETIME lastWrite)
{
    DWORD error;
    if (sim::TakeFailure("RegEnumKeyExW", &error)) return static_cast<LSTATUS>(error);
    if (!KeyUsable("RegEnumKeyExW", key)) return ERROR_INVALID_HANDLE;
    // The class buffer's count may be left out only with the buffer.
    if (!name || !nameChars || reserved || (className && !classChars)) return ERROR_INVALID_PARAMETER;
    if (!sim::CheckBufferSize("RegEnumKeyExW", "*lpcchName is the size of lpName in characters, its NUL included", name,
                              static_cast<size_t>(*nameChars) * sizeof(WCHAR),
                              "lpName=" + sim::Hex(reinterpret_cast<ULONG_PTR>(name)) +
                                  ", *lpcchName=" + std::to_string(*nameChars) + " characters"))
        return ERROR_NOACCESS;
    std::u16string subName;
    {
        std::lock_guard<std::mutex> lock(sim::RegistryMutex());
        std::shared_ptr<sim::RegKey> node = sim::KeyOfLocked(key);
        if (!node) return ERROR_INVALID_HANDLE;
        if (node->deleted) return ERROR_KEY_DELETED;
        if (index >= node->subkeys.size()) return ERROR_NO_MORE_ITEMS;
        subName = node->subkeys[index]->name;
    }
    // The count is in characters and must leave room for the NUL.
    if (subName.size() >= *nameChars) return ERROR_MORE_DATA;
    std::copy(subName.begin(), subName.end(), name);
    name[subName.size()] = 0;
    *nameChars = static_cast<DWORD>(subName.size());
    if (className && classChars) {
        if (*classChars < 1) return ERROR_MORE_DATA;
        className[0] = 0;
        *classChars = 0;
    }
    if (lastWrite) *lastWrite = FILETIME{0, 0};
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataBytes)
{
    DWORD error;
    if (sim::TakeFailure("RegQueryValueExW", &error)) return static_cast<LSTATUS>(error);
    if (!KeyUsable("RegQueryValueExW", key)) return ERROR_INVALID_HANDLE;
    if (reserved || (data && !dataBytes)) return ERROR_INVALID_PARAMETER;
    if (data && !sim::CheckBufferSize("RegQueryValueExW", "*lpcbData is the size of lpData in bytes", data, *dataBytes,
                                      "lpValueName=" + sim::Quote(valueName) +
                                          ", lpData=" + sim::Hex(reinterpret_cast<ULONG_PTR>(data)) +
                                          ", *lpcbData=" + std::to_string(*dataBytes) + " bytes"))
        return ERROR_NOACCESS;
    sim::RegData found;
    {
        std::lock_guard<std::mutex> lock(sim::RegistryMutex());
        std::shared_ptr<sim::RegKey> node = sim::KeyOfLocked(key);
        if (!node) return ERROR_INVALID_HANDLE;
        if (node->deleted) return ERROR_KEY_DELETED;
        std::u16string wanted = valueName ? valueName : u"";
        auto it = std::find_if(node->values.begin(), node->values.end(),
                               [&](const sim::RegValue& v) { return sim::SameRegistryName(v.name, wanted); });
        if (it == node->values.end()) return ERROR_FILE_NOT_FOUND;
        found = it->data;
    }
    if (type) *type = found.type;
    DWORD size = static_cast<DWORD>(found.bytes.size());
    if (!data) {
        if (dataBytes) *dataBytes = size;
        return ERROR_SUCCESS;
    }
    if (*dataBytes < size) {
        *dataBytes = size;
        return ERROR_MORE_DATA;
    }
    if (size) std::memcpy(data, found.bytes.data(), size);
    *dataBytes = size;
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key)
{
    if (sim::IsPredefinedKey(key)) return ERROR_SUCCESS;  // predefined keys are never closed
    if (!sim::CheckHandle("RegCloseKey", "hKey", key, {"regkey"})) return ERROR_INVALID_HANDLE;
    sim::RemoveHandle(key);
    return ERROR_SUCCESS;
}

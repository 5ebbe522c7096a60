// The control API of the simulated registry: tests and the simulator program write
// keys and values here; the program only reads them through RegOpenKeyExW,
// RegEnumKeyExW, RegQueryValueExW and RegCloseKey. The program never includes this.
//
// Key names are matched without regard to ASCII letter case, as on Windows, and a
// key's subkeys are enumerated in the order Windows keeps them: sorted by their
// upper-cased names. Paths are subkey names joined by backslashes, relative to a
// root (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER or HKEY_CLASSES_ROOT).
#pragma once

#include <string>
#include <vector>

#include "platform/sim/api/registry.h"
#include "platform/sim/state/registry_shared.h"

namespace sim {

// The makers of a value (a sim::RegData, state/registry_shared.h).
// REG_SZ in UTF-16LE, with its terminating NUL unless withNul is false.
RegData RegSz(const std::u16string& text, bool withNul = true);
// REG_DWORD, four bytes little-endian.
RegData RegDword(DWORD value);
// Any type with any bytes, for values a well-behaved system would not write.
RegData RegRaw(DWORD type, std::vector<BYTE> bytes);

// Creates the key and any missing keys on its path.
void CreateRegistryKey(HKEY root, const std::u16string& path);
// Sets a value (the default value for an empty name), creating the key if needed.
void SetRegistryValue(HKEY root, const std::u16string& path, const std::u16string& valueName, const RegData& data);
// Deletes the key with its subkeys; false when it does not exist. Handles the
// program holds to a deleted key answer ERROR_KEY_DELETED.
bool DeleteRegistryKey(HKEY root, const std::u16string& path);
bool RegistryKeyExists(HKEY root, const std::u16string& path);

// Open registry keys are handles of kind "regkey": OpenHandleCount("regkey").

}  // namespace sim

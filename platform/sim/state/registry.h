// The simulated registry: a tree of keys and values under the predefined roots, which
// the registry functions read and the control API writes. Key and value names match
// without regard to ASCII letter case; a key's subkeys are kept sorted by their
// upper-cased names, the order in which Windows enumerates them. Internal to
// platform/sim.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/sim/api/registry.h"
#include "platform/sim/state/registry_shared.h"
#include "platform/sim/state/handles.h"

namespace sim {

struct RegValue {
    std::u16string name;
    RegData data;
};

struct RegKey {
    std::u16string name;
    std::vector<std::shared_ptr<RegKey>> subkeys;  // sorted by upper-cased name
    std::vector<RegValue> values;
    bool deleted = false;  // handles still open to a deleted key answer ERROR_KEY_DELETED
};

// An open key: a handle of kind "regkey".
class KeyHandle : public KernelObject {
public:
    explicit KeyHandle(std::shared_ptr<RegKey> key) : m_key(std::move(key)) {}
    const char* Kind() const override { return "regkey"; }
    const std::shared_ptr<RegKey>& Node() const { return m_key; }

private:
    std::shared_ptr<RegKey> m_key;
};

// Guards the whole tree.
std::mutex& RegistryMutex();

bool SameRegistryName(const std::u16string& a, const std::u16string& b);
bool IsPredefinedKey(HKEY key);

// With RegistryMutex held. The key a predefined root or an open handle stands for;
// null for anything else.
std::shared_ptr<RegKey> KeyOfLocked(HKEY key);
// With RegistryMutex held. The key at the path beneath a key (itself for an empty
// path), or null with *status set: ERROR_FILE_NOT_FOUND, or ERROR_BAD_PATHNAME for an
// empty name inside the path (a trailing backslash is tolerated, as Windows does).
std::shared_ptr<RegKey> WalkLocked(std::shared_ptr<RegKey> key, const std::u16string& path, LSTATUS* status);
// With RegistryMutex held. The key at the path beneath a root, made with every
// missing key on the way; null for a bad root or path.
std::shared_ptr<RegKey> CreateKeyLocked(HKEY root, const std::u16string& path);
// With RegistryMutex held. Deletes the key with its subkeys; false when there is none.
bool DeleteKeyLocked(HKEY root, const std::u16string& path);

// Opens a key as the system's own components do (no injected failures): a new
// handle of kind "regkey", or null with *status set.
HKEY OpenRegistryKey(HKEY root, const std::u16string& path, LSTATUS* status);

// The registry as a fresh machine has it.
void ResetRegistryPart();

}  // namespace sim

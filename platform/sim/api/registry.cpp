// The registry of the simulated machine: a tree of keys and values under the
// predefined roots. The program reads it through RegOpenKeyExW, RegEnumKeyExW,
// RegQueryValueExW and RegCloseKey; opened keys are handles of kind "regkey".
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "platform/sim/control/machine.h"
#include "platform/sim/control/devices.h"
#include "platform/sim/control/registry.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/parts.h"
#include "platform/sim/api/kernel.h"
#include "platform/sim/state/registry.h"

namespace sim {

namespace {

struct Value {
    std::u16string name;
    RegData data;
};

struct Key {
    std::u16string name;
    std::vector<std::shared_ptr<Key>> subkeys;  // sorted by upper-cased name
    std::vector<Value> values;
    bool deleted = false;
};

class KeyHandle : public KernelObject {
public:
    explicit KeyHandle(std::shared_ptr<Key> key) : m_key(std::move(key)) {}
    const char* Kind() const override { return "regkey"; }
    const std::shared_ptr<Key>& Node() const { return m_key; }

private:
    std::shared_ptr<Key> m_key;
};

std::mutex g_mutex;
std::shared_ptr<Key> g_localMachine = std::make_shared<Key>();
std::shared_ptr<Key> g_currentUser = std::make_shared<Key>();
std::shared_ptr<Key> g_classesRoot = std::make_shared<Key>();

std::u16string Upper(const std::u16string& s)
{
    std::u16string u(s);
    for (auto& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 32);
    return u;
}

bool SameName(const std::u16string& a, const std::u16string& b) { return Upper(a) == Upper(b); }

bool IsPredefined(HKEY key)
{
    return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT;
}

// Called with g_mutex held.
std::shared_ptr<Key> Root(HKEY root)
{
    if (root == HKEY_LOCAL_MACHINE) return g_localMachine;
    if (root == HKEY_CURRENT_USER) return g_currentUser;
    if (root == HKEY_CLASSES_ROOT) return g_classesRoot;
    return nullptr;
}

// Called with g_mutex held.
std::shared_ptr<Key> Resolve(HKEY key)
{
    if (auto root = Root(key)) return root;
    auto handle = LookupHandleAs<KeyHandle>(key);
    return handle ? handle->Node() : nullptr;
}

std::shared_ptr<Key> FindSubkey(const Key& key, const std::u16string& name)
{
    for (const auto& sub : key.subkeys)
        if (SameName(sub->name, name)) return sub;
    return nullptr;
}

// Splits a backslash-separated path; false for an empty name inside it (a trailing
// backslash is tolerated, as Windows does).
bool SplitPath(const std::u16string& path, std::vector<std::u16string>& names)
{
    names.clear();
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        if (end == start) return false;
        names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

// Called with g_mutex held.
std::shared_ptr<Key> Walk(std::shared_ptr<Key> key, const std::u16string& path, LSTATUS* status)
{
    std::vector<std::u16string> names;
    if (!SplitPath(path, names)) {
        *status = ERROR_BAD_PATHNAME;
        return nullptr;
    }
    for (const auto& name : names) {
        key = FindSubkey(*key, name);
        if (!key) {
            *status = ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
    }
    *status = ERROR_SUCCESS;
    return key;
}

// Called with g_mutex held.
std::shared_ptr<Key> CreatePath(HKEY root, const std::u16string& path)
{
    std::shared_ptr<Key> key = Root(root);
    std::vector<std::u16string> names;
    if (!key || !SplitPath(path, names)) return nullptr;
    for (const auto& name : names) {
        std::shared_ptr<Key> sub = FindSubkey(*key, name);
        if (!sub) {
            sub = std::make_shared<Key>();
            sub->name = name;
            std::u16string upper = Upper(name);
            auto at = std::find_if(key->subkeys.begin(), key->subkeys.end(),
                                   [&](const std::shared_ptr<Key>& k) { return Upper(k->name) > upper; });
            key->subkeys.insert(at, sub);
        }
        key = sub;
    }
    return key;
}

void MarkDeleted(Key& key)
{
    key.deleted = true;
    for (auto& sub : key.subkeys) MarkDeleted(*sub);
}

std::u16string FromApi(LPCWSTR s) { return s ? std::u16string(s) : std::u16string(); }

}  // namespace

RegData RegSz(const std::u16string& text, bool withNul)
{
    RegData d;
    d.type = REG_SZ;
    for (char16_t c : text) {
        d.bytes.push_back(static_cast<BYTE>(c & 0xFF));
        d.bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    if (withNul) d.bytes.insert(d.bytes.end(), {0, 0});
    return d;
}

RegData RegDword(DWORD value)
{
    RegData d;
    d.type = REG_DWORD;
    for (int i = 0; i < 4; ++i) d.bytes.push_back(static_cast<BYTE>(value >> (8 * i)));
    return d;
}

RegData RegRaw(DWORD type, std::vector<BYTE> bytes)
{
    RegData d;
    d.type = type;
    d.bytes = std::move(bytes);
    return d;
}

void CreateRegistryKey(HKEY root, const std::u16string& path)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    CreatePath(root, path);
}

void SetRegistryValue(HKEY root, const std::u16string& path, const std::u16string& valueName, const RegData& data)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Key> key = CreatePath(root, path);
    if (!key) return;
    for (auto& v : key->values) {
        if (SameName(v.name, valueName)) {
            v.data = data;
            return;
        }
    }
    key->values.push_back(Value{valueName, data});
}

bool DeleteRegistryKey(HKEY root, const std::u16string& path)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<std::u16string> names;
    std::shared_ptr<Key> parent = Root(root);
    if (!parent || !SplitPath(path, names) || names.empty()) return false;
    for (size_t i = 0; i + 1 < names.size() && parent; ++i) parent = FindSubkey(*parent, names[i]);
    if (!parent) return false;
    auto& subs = parent->subkeys;
    auto it = std::find_if(subs.begin(), subs.end(),
                           [&](const std::shared_ptr<Key>& k) { return SameName(k->name, names.back()); });
    if (it == subs.end()) return false;
    MarkDeleted(**it);
    subs.erase(it);
    return true;
}

bool RegistryKeyExists(HKEY root, const std::u16string& path)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    std::shared_ptr<Key> key = Root(root);
    LSTATUS status;
    return key && Walk(key, path, &status) != nullptr;
}

HKEY OpenRegistryKey(HKEY root, const std::u16string& path, LSTATUS* status)
{
    std::shared_ptr<Key> key;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        key = Resolve(root);
        if (!key) {
            *status = ERROR_INVALID_HANDLE;
            return nullptr;
        }
        if (key->deleted) {
            *status = ERROR_KEY_DELETED;
            return nullptr;
        }
        if (!path.empty()) key = Walk(key, path, status);
        if (!key) return nullptr;
    }
    *status = ERROR_SUCCESS;
    return reinterpret_cast<HKEY>(AddHandle(std::make_shared<KeyHandle>(key)));
}

void ResetRegistryPart()
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (auto* root : {&g_localMachine, &g_currentUser, &g_classesRoot}) {
            if (*root) MarkDeleted(**root);
            *root = std::make_shared<Key>();
        }
    }
    // A fresh machine knows the USB printing interface class before any printer came.
    CreateRegistryKey(HKEY_LOCAL_MACHINE, UsbPrintClassKeyPath());
}

}  // namespace sim

LSTATUS RegOpenKeyExW(HKEY parent, LPCWSTR subKey, DWORD, REGSAM, PHKEY result)
{
    DWORD error;
    if (sim::TakeFailure("RegOpenKeyExW", &error)) return static_cast<LSTATUS>(error);
    if (!result) return ERROR_INVALID_PARAMETER;
    LSTATUS status;
    HKEY key = sim::OpenRegistryKey(parent, sim::FromApi(subKey), &status);
    *result = key;
    return status;
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR className,
                      LPDWORD classChars, PFILETIME lastWrite)
{
    DWORD error;
    if (sim::TakeFailure("RegEnumKeyExW", &error)) return static_cast<LSTATUS>(error);
    if (!name || !nameChars || reserved) return ERROR_INVALID_PARAMETER;
    std::u16string subName;
    {
        std::lock_guard<std::mutex> lock(sim::g_mutex);
        std::shared_ptr<sim::Key> node = sim::Resolve(key);
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
    if (reserved || (data && !dataBytes)) return ERROR_INVALID_PARAMETER;
    sim::RegData found;
    {
        std::lock_guard<std::mutex> lock(sim::g_mutex);
        std::shared_ptr<sim::Key> node = sim::Resolve(key);
        if (!node) return ERROR_INVALID_HANDLE;
        if (node->deleted) return ERROR_KEY_DELETED;
        std::u16string wanted = sim::FromApi(valueName);
        auto it = std::find_if(node->values.begin(), node->values.end(),
                               [&](const sim::Value& v) { return sim::SameName(v.name, wanted); });
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
    if (sim::IsPredefined(key)) return ERROR_SUCCESS;  // predefined keys are never closed
    if (!sim::LookupHandleAs<sim::KeyHandle>(key)) return ERROR_INVALID_HANDLE;
    sim::RemoveHandle(key);
    return ERROR_SUCCESS;
}

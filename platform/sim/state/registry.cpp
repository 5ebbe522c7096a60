#include "platform/sim/state/registry.h"

#include <algorithm>

#include "platform/sim/state/devices_shared.h"

namespace sim {

namespace {

std::shared_ptr<RegKey> g_localMachine = std::make_shared<RegKey>();
std::shared_ptr<RegKey> g_currentUser = std::make_shared<RegKey>();
std::shared_ptr<RegKey> g_classesRoot = std::make_shared<RegKey>();

std::u16string Upper(const std::u16string& s)
{
    std::u16string u(s);
    for (auto& c : u)
        if (c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 32);
    return u;
}

std::shared_ptr<RegKey> Root(HKEY root)
{
    if (root == HKEY_LOCAL_MACHINE) return g_localMachine;
    if (root == HKEY_CURRENT_USER) return g_currentUser;
    if (root == HKEY_CLASSES_ROOT) return g_classesRoot;
    return nullptr;
}

std::shared_ptr<RegKey> FindSubkey(const RegKey& key, const std::u16string& name)
{
    for (const auto& sub : key.subkeys)
        if (SameRegistryName(sub->name, name)) return sub;
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

void MarkDeleted(RegKey& key)
{
    key.deleted = true;
    for (auto& sub : key.subkeys) MarkDeleted(*sub);
}

}  // namespace

std::mutex& RegistryMutex()
{
    static std::mutex m;
    return m;
}

bool SameRegistryName(const std::u16string& a, const std::u16string& b) { return Upper(a) == Upper(b); }

bool IsPredefinedKey(HKEY key)
{
    return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT;
}

std::shared_ptr<RegKey> KeyOfLocked(HKEY key)
{
    if (auto root = Root(key)) return root;
    auto handle = LookupHandleAs<KeyHandle>(key);
    return handle ? handle->Node() : nullptr;
}

std::shared_ptr<RegKey> WalkLocked(std::shared_ptr<RegKey> key, const std::u16string& path, LSTATUS* status)
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

std::shared_ptr<RegKey> CreateKeyLocked(HKEY root, const std::u16string& path)
{
    std::shared_ptr<RegKey> key = Root(root);
    std::vector<std::u16string> names;
    if (!key || !SplitPath(path, names)) return nullptr;
    for (const auto& name : names) {
        std::shared_ptr<RegKey> sub = FindSubkey(*key, name);
        if (!sub) {
            sub = std::make_shared<RegKey>();
            sub->name = name;
            std::u16string upper = Upper(name);
            auto at = std::find_if(key->subkeys.begin(), key->subkeys.end(),
                                   [&](const std::shared_ptr<RegKey>& k) { return Upper(k->name) > upper; });
            key->subkeys.insert(at, sub);
        }
        key = sub;
    }
    return key;
}

bool DeleteKeyLocked(HKEY root, const std::u16string& path)
{
    std::vector<std::u16string> names;
    std::shared_ptr<RegKey> parent = Root(root);
    if (!parent || !SplitPath(path, names) || names.empty()) return false;
    for (size_t i = 0; i + 1 < names.size() && parent; ++i) parent = FindSubkey(*parent, names[i]);
    if (!parent) return false;
    auto& subs = parent->subkeys;
    auto it = std::find_if(subs.begin(), subs.end(),
                           [&](const std::shared_ptr<RegKey>& k) { return SameRegistryName(k->name, names.back()); });
    if (it == subs.end()) return false;
    MarkDeleted(**it);
    subs.erase(it);
    return true;
}

HKEY OpenRegistryKey(HKEY root, const std::u16string& path, LSTATUS* status)
{
    std::shared_ptr<RegKey> key;
    {
        std::lock_guard<std::mutex> lock(RegistryMutex());
        key = KeyOfLocked(root);
        if (!key) {
            *status = ERROR_INVALID_HANDLE;
            return nullptr;
        }
        if (key->deleted) {
            *status = ERROR_KEY_DELETED;
            return nullptr;
        }
        if (!path.empty()) key = WalkLocked(key, path, status);
        if (!key) return nullptr;
    }
    *status = ERROR_SUCCESS;
    return reinterpret_cast<HKEY>(AddHandle(std::make_shared<KeyHandle>(key)));
}

void ResetRegistryPart()
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    for (auto* root : {&g_localMachine, &g_currentUser, &g_classesRoot}) {
        if (*root) MarkDeleted(**root);
        *root = std::make_shared<RegKey>();
    }
    // A fresh machine knows the USB printing interface class before any printer came.
    CreateKeyLocked(HKEY_LOCAL_MACHINE, UsbPrintClassKeyPath());
}

}  // namespace sim

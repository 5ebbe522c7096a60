#include "platform/sim/control/registry.h"

#include "platform/sim/state/registry.h"

namespace sim {

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
    std::lock_guard<std::mutex> lock(RegistryMutex());
    CreateKeyLocked(root, path);
}

void SetRegistryValue(HKEY root, const std::u16string& path, const std::u16string& valueName, const RegData& data)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    std::shared_ptr<RegKey> key = CreateKeyLocked(root, path);
    if (!key) return;
    for (auto& v : key->values) {
        if (SameRegistryName(v.name, valueName)) {
            v.data = data;
            return;
        }
    }
    key->values.push_back(RegValue{valueName, data});
}

bool DeleteRegistryKey(HKEY root, const std::u16string& path)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    return DeleteKeyLocked(root, path);
}

bool RegistryKeyExists(HKEY root, const std::u16string& path)
{
    std::lock_guard<std::mutex> lock(RegistryMutex());
    LSTATUS status;
    return IsPredefinedKey(root) && WalkLocked(KeyOfLocked(root), path, &status) != nullptr;
}

}  // namespace sim

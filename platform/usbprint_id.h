// The hardware ID that Windows' USB printing driver gives a printer, formed from the
// printer's IEEE 1284 device ID: "USBPRINT\", then the manufacturer (MFG: or
// MANUFACTURER:) and the model (MDL: or MODEL:) run together and cut to 20 characters,
// then four hexadecimal digits of a CRC-16 (polynomial 0xA001 reflected, start 0) of
// the manufacturer's and the model's bytes as the printer sends them. In the ID a
// blank, a control character, a comma and a byte beyond ASCII are each written as an
// underscore. "MFG:KORVEL;MDL:KX-2400;" gives USBPRINT\KORVELKX-24000913.
//
// Microsoft documents the form and warns that the checksum may differ from one
// computed this way; the IDs that real printers of several makers show match it. The
// simulator gives a declared USB printer this ID, and the medium checker holds a
// driver INF's hardware IDs to it. Header-only and byte-based: it needs no platform.
#pragma once

#include <cstdint>
#include <string>

namespace usbprint {

// Characters of the manufacturer and model that the ID keeps.
constexpr size_t kNameChars = 20;

inline uint16_t Checksum(const std::string& bytes, uint16_t crc = 0)
{
    for (unsigned char b : bytes) {
        crc = static_cast<uint16_t>(crc ^ b);
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
    }
    return crc;
}

// The ID after "USBPRINT\": the names' first 20 characters, fixed up, and the checksum.
inline std::string NameAndChecksum(const std::string& maker, const std::string& model)
{
    std::string name = (maker + model).substr(0, kNameChars);
    for (char& c : name) {
        unsigned char b = static_cast<unsigned char>(c);
        if (b <= ' ' || b > 0x7F || c == ',') c = '_';
    }
    static const char kHex[] = "0123456789ABCDEF";
    uint16_t crc = Checksum(model, Checksum(maker));
    for (int shift = 12; shift >= 0; shift -= 4) name += kHex[(crc >> shift) & 0xF];
    return name;
}

inline std::string HardwareId(const std::string& maker, const std::string& model)
{
    return "USBPRINT\\" + NameAndChecksum(maker, model);
}

// The value of the first field of the device ID ("KEY:value;") whose key is `key` or
// `longKey`; false when there is none. Keys match exactly, blanks around them aside.
inline bool DeviceIdField(const std::string& id, const char* key, const char* longKey, std::string* value)
{
    size_t start = 0;
    while (start < id.size()) {
        size_t end = id.find(';', start);
        if (end == std::string::npos) end = id.size();
        std::string field = id.substr(start, end - start);
        size_t colon = field.find(':');
        if (colon != std::string::npos) {
            std::string k = field.substr(0, colon);
            size_t b = k.find_first_not_of(' '), e = k.find_last_not_of(' ');
            k = b == std::string::npos ? std::string() : k.substr(b, e - b + 1);
            if (k == key || k == longKey) {
                *value = field.substr(colon + 1);
                return true;
            }
        }
        start = end + 1;
    }
    return false;
}

// The hardware ID of a printer that sends this device ID; false when it names no
// manufacturer or no model (the driver then forms no such ID).
inline bool HardwareIdOfDeviceId(const std::string& deviceId, std::string* hardwareId)
{
    std::string maker, model;
    if (!DeviceIdField(deviceId, "MFG", "MANUFACTURER", &maker) || !DeviceIdField(deviceId, "MDL", "MODEL", &model) ||
        maker.empty() || model.empty())
        return false;
    *hardwareId = HardwareId(maker, model);
    return true;
}

}  // namespace usbprint

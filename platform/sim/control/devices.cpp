// The registry side of the simulated USB printers: interface keys beneath the USB
// printing class key, and a typical printer with device and key in one call.
#include "platform/sim/control/devices.h"
#include "platform/text.h"

namespace sim {

namespace {

const char16_t kClassSuffix[] = u"#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

std::u16string Ascii(const std::string& s, bool upper)
{
    std::u16string out = text::FromUtf8(s);
    for (auto& c : out) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 32);
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c + 32);
    }
    return out;
}

void SetIf(const std::u16string& path, const char16_t* name, const std::optional<RegData>& value)
{
    if (value) SetRegistryValue(HKEY_LOCAL_MACHINE, path, name, *value);
}

}  // namespace

void AddUsbPrintInterfaceKey(const UsbPrintInterfaceKey& key)
{
    const std::u16string base = UsbPrintClassKeyPath() + u"\\" + key.name;
    CreateRegistryKey(HKEY_LOCAL_MACHINE, base);
    SetIf(base, u"DeviceInstance", key.deviceInstance);
    if (!key.hashKey) return;
    const std::u16string hash = base + u"\\#";
    CreateRegistryKey(HKEY_LOCAL_MACHINE, hash);
    SetIf(hash, u"SymbolicLink", key.symbolicLink);
    if (key.controlKey) {
        CreateRegistryKey(HKEY_LOCAL_MACHINE, hash + u"\\Control");
        SetIf(hash + u"\\Control", u"Linked", key.linked);
    }
    if (key.deviceParametersKey) {
        const std::u16string parameters = hash + u"\\Device Parameters";
        CreateRegistryKey(HKEY_LOCAL_MACHINE, parameters);
        SetIf(parameters, u"Port Description", key.portDescription);
        SetIf(parameters, u"Port Number", key.portNumber);
    }
}

std::u16string InterfaceKeyName(const std::u16string& devicePath)
{
    std::u16string name(devicePath);
    for (auto& c : name)
        if (c == u'\\') c = u'#';
    return name;
}

PluggedUsbPrinter PlugInTypicalUsbPrinter(const TypicalUsbPrinter& p)
{
    const std::u16string vid = Ascii(p.vid, true), pid = Ascii(p.pid, true), serial = text::FromUtf8(p.serial);
    const std::u16string instance = u"USB\\VID_" + vid + u"&PID_" + pid + u"\\" + serial;
    const std::u16string symbolicLink = u"\\\\?\\USB#VID_" + vid + u"&PID_" + pid + u"#" + serial + kClassSuffix;

    PluggedUsbPrinter plugged;
    plugged.devicePath =
        u"\\\\?\\usb#vid_" + Ascii(p.vid, false) + u"&pid_" + Ascii(p.pid, false) + u"#" + serial + kClassSuffix;
    plugged.interfaceKey = InterfaceKeyName(symbolicLink);

    // A printer plugged in again starts from the key as described, not as left.
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, UsbPrintClassKeyPath() + u"\\" + plugged.interfaceKey);
    UsbPrintInterfaceKey key;
    key.name = plugged.interfaceKey;
    key.deviceInstance = RegSz(instance);
    key.symbolicLink = RegSz(symbolicLink);
    key.linked = RegDword(p.linked);
    key.portDescription = RegSz(u"Virtual printer port for USB");
    key.portNumber = RegDword(p.portNumber);
    AddUsbPrintInterfaceKey(key);

    UsbPrinter printer;
    printer.devicePath = plugged.devicePath;
    printer.deviceId = DeviceIdBytes(p.deviceId);
    printer.answer = p.answer;
    printer.answerDelayMs = p.answerDelayMs;
    printer.hardwareIds.push_back(u"USB\\VID_" + vid + u"&PID_" + pid);
    printer.hardwareIds.insert(printer.hardwareIds.end(), p.hardwareIds.begin(), p.hardwareIds.end());
    printer.interfaceKey = plugged.interfaceKey;
    PlugInUsbPrinter(printer);
    return plugged;
}

}  // namespace sim

#include "platform/sim/control/devices.h"

#include <algorithm>
#include <mutex>

#include "platform/sim/control/pnp.h"
#include "platform/sim/state/devices.h"
#include "platform/text.h"

namespace sim {

// --- printers ---------------------------------------------------------------------------------

bool PlugInUsbPrinter(const UsbPrinter& config)
{
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        if (FindDeviceLocked(config.devicePath)) return false;
        auto device = std::make_shared<UsbDevice>();
        device->config = config;
        Devices().present.push_back(device);
    }
    for (const auto& id : config.hardwareIds) SetHardwareIdPresent(id, true);
    return true;
}

bool UnplugUsbPrinter(const std::u16string& devicePath)
{
    std::shared_ptr<UsbDevice> device;
    std::vector<HANDLE> events;
    {
        std::lock_guard<std::mutex> lock(KernelMutex());
        device = FindDeviceLocked(devicePath);
        if (!device) return false;
        auto& present = Devices().present;
        present.erase(std::find(present.begin(), present.end(), device));
        device->present = false;
        events =
            FinishMatchingLocked([&](const DeviceRequest& r) { return r.device == device; }, kStatusDeviceNotConnected);
    }
    Signal(events);
    for (const auto& id : device->config.hardwareIds) SetHardwareIdPresent(id, false);
    if (!device->config.interfaceKey.empty())
        DeleteRegistryKey(HKEY_LOCAL_MACHINE,
                          UsbPrintClassKeyPath() + u"\\" + device->config.interfaceKey + u"\\#\\Control");
    return true;
}

std::vector<BYTE> DeviceIdBytes(const std::string& idText)
{
    size_t length = idText.size() + 2;
    std::vector<BYTE> bytes{static_cast<BYTE>((length >> 8) & 0xFF), static_cast<BYTE>(length & 0xFF)};
    bytes.insert(bytes.end(), idText.begin(), idText.end());
    return bytes;
}

size_t DeviceRequestCount()
{
    std::lock_guard<std::mutex> lock(KernelMutex());
    return Devices().requestCount;
}

size_t OutstandingDeviceRequests()
{
    std::lock_guard<std::mutex> lock(KernelMutex());
    return Devices().outstanding.size();
}

// --- the interface keys of the class, and a typical printer ------------------------------------

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

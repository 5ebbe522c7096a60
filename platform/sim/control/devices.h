// The control API of the simulated machine's USB printers: plug printers in and
// out, say how each answers the IEEE 1284 device-ID request, describe the registry
// keys of the USB printing interface class, and ask what is still going on. The
// program never includes this header.
//
// What the program sees:
// - SetupDiGetClassDevsW / SetupDiEnumDeviceInterfaces list the present printers'
//   interfaces in the order they were plugged in (no limit on their number).
// - CreateFileW on a device path opens the printer (or fails as told).
// - DeviceIoControl(IOCTL_USBPRINT_GET_1284_ID) answers at once, after a delay, never,
//   or fails. A pending request ends when it is answered, cancelled (CancelIo),
//   the handle is closed, or the printer is unplugged; after that the machine never
//   touches the caller's buffer or OVERLAPPED again. A printer that ignores
//   cancellation keeps it pending through CancelIo and the close.
// - SetupDiOpenClassRegKeyExW(..., DIOCR_INTERFACE, ...) opens
//   HKLM\<UsbPrintClassKeyPath()>, which exists from reset on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"
#include "platform/sim/control/registry.h"
#include "platform/sim/state/devices_shared.h"

namespace sim {

// --- printers --------------------------------------------------------------------------
// A printer is a sim::UsbPrinter; state/devices_shared.h describes it, with the
// interface class, its key and PresentUsbPrinters().

// Plugs the printer in behind those already present; false when a present printer
// has the same device path.
bool PlugInUsbPrinter(const UsbPrinter& printer);
// Unplugs it: it leaves the enumeration, its hardware IDs are no longer present,
// requests pending on it fail with ERROR_DEVICE_NOT_CONNECTED, and so does every
// later request on handles still open to it. False when no such printer is present.
bool UnplugUsbPrinter(const std::u16string& devicePath);

// A device ID as a printer sends it: two length bytes (big-endian, counting
// themselves) and the text's bytes. The text is taken byte for byte.
std::vector<BYTE> DeviceIdBytes(const std::string& idText);

// --- requests --------------------------------------------------------------------------
// Device-ID requests issued since reset, and those still outstanding (issued and
// not yet finished: pending, or cancelled but not yet done).
size_t DeviceRequestCount();
size_t OutstandingDeviceRequests();
// Open device handles are handles of kind "device": OpenHandleCount("device");
// device information sets are of kind "devinfo", registry keys of kind "regkey".

// --- the interface keys of the class ---------------------------------------------------------
// One interface key beneath the class key, with the subkeys and values the program
// reads. A value left out is absent; a subkey switched off is absent with its values.
struct UsbPrintInterfaceKey {
    std::u16string name;                    // e.g. ##?#USB#VID_1A2B&PID_3C4D#0001#{28d78fad-...}
    std::optional<RegData> deviceInstance;  // under the key itself
    bool hashKey = true;                    // "#"
    std::optional<RegData> symbolicLink;
    bool controlKey = true;  // "#\Control"
    std::optional<RegData> linked;
    bool deviceParametersKey = true;  // "#\Device Parameters"
    std::optional<RegData> portDescription;
    std::optional<RegData> portNumber;
};
// Writes the key (replacing nothing else beneath the class key).
void AddUsbPrintInterfaceKey(const UsbPrintInterfaceKey& key);
// The interface key name Windows derives from a device path: \\?\ becomes ##?#.
std::u16string InterfaceKeyName(const std::u16string& devicePath);

// --- a typical printer in one call ------------------------------------------------------------
struct TypicalUsbPrinter {
    std::string vid = "1A2B";
    std::string pid = "3C4D";
    std::string serial = "0001";
    std::string deviceId = "MFG:Korvel;CMD:ESC/P;MDL:KX-2400;CLS:PRINTER;";
    DWORD portNumber = 1;
    DWORD linked = 1;
    DeviceIdAnswer answer = DeviceIdAnswer::AtOnce;
    DWORD answerDelayMs = 0;
    // Carried besides USB\VID_xxxx&PID_yyyy, which every such printer carries.
    std::vector<std::u16string> hardwareIds;
};
struct PluggedUsbPrinter {
    std::u16string devicePath;    // \\?\usb#vid_1a2b&pid_3c4d#0001#{28d78fad-...}
    std::u16string interfaceKey;  // ##?#USB#VID_1A2B&PID_3C4D#0001#{28d78fad-...}
};
// Plugs the printer in and writes its interface key as Windows does: "DeviceInstance"
// USB\VID_1A2B&PID_3C4D\0001, "#" with "SymbolicLink", "#\Control" with "Linked"
// (REG_DWORD), "#\Device Parameters" with "Port Description" and "Port Number"
// (REG_DWORD). Plugging the same printer in again after unplugging it rewrites the key.
PluggedUsbPrinter PlugInTypicalUsbPrinter(const TypicalUsbPrinter& printer);

}  // namespace sim

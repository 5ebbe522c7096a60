// What the control API (control/devices.h, which includes this) and the device
// functions both use: the USB printing interface class, a printer as it is plugged in,
// and the printers present.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"

namespace sim {

// The USB printing-support interface class and its registry key beneath HKLM.
extern const GUID kUsbPrintInterfaceClass;
std::u16string UsbPrintClassKeyPath();

enum class DeviceIdAnswer {
    AtOnce,      // the request completes within DeviceIoControl
    AfterDelay,  // it goes pending and is answered after answerDelayMs (scaled)
    Never,       // it stays pending until cancelled, closed or unplugged
    Fail,        // it fails at once with ERROR_GEN_FAILURE
    // It goes pending and ignores cancellation: CancelIo and closing the handle leave
    // it pending; it is answered after answerDelayMs (scaled; never when 0), or fails
    // when the printer is unplugged. The program must keep its OVERLAPPED, buffer and
    // event until then.
    IgnoresCancel,
};

struct UsbPrinter {
    // As SetupDiGetDeviceInterfaceDetailW reports it and CreateFileW accepts it
    // (letter case ignored), e.g. \\?\usb#vid_1a2b&pid_3c4d#0001#{28d78fad-...}.
    std::u16string devicePath;
    // What CreateFileW fails with; ERROR_SUCCESS: it opens.
    DWORD openError = ERROR_SUCCESS;
    // An exclusive device refuses a second open while one handle is open
    // (ERROR_ACCESS_DENIED).
    bool exclusive = true;
    // The answer to the device-ID request, length field included; cut to the
    // caller's buffer size.
    std::vector<BYTE> deviceId;
    DeviceIdAnswer answer = DeviceIdAnswer::AtOnce;
    DWORD answerDelayMs = 0;
    // How long a cancelled request takes to finish (scaled); 0: within CancelIo.
    DWORD cancelDelayMs = 0;
    // Plug and Play hardware IDs the device carries while present.
    std::vector<std::u16string> hardwareIds;
    // An interface key (name beneath the class key) whose "#\Control" subkey goes
    // away when the printer is unplugged, as the volatile key does on Windows.
    std::u16string interfaceKey;
};

// Device paths of the present printers, in enumeration order.
std::vector<std::u16string> PresentUsbPrinters();

}  // namespace sim

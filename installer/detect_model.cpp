// DetectUsbModel: the model an attached USB printer reports in its device ID.
#include "detect/DeviceIdText.h"
#include "detect/USBPort.h"
#include "installer/PrinterInstaller.h"

BOOL CPrinterInstaller::DetectUsbModel(CString& model)
{
    CUSBPort port;
    CString vid, pid;
    BOOL found = port.FindUsbPrinter(vid, pid);

    // Asked even when nothing was found: with no device open the read fails at once.
    BYTE buffer[devid::kDeviceIdBytes] = {};
    DWORD returned = 0;
    if (!port.ReadDeviceId(buffer, sizeof(buffer), &returned)) returned = 0;
    CString reported = devid::ModelFromDeviceId(buffer, sizeof(buffer), returned);
    port.CloseDevice();

    if (found) {
        model = reported;
        return TRUE;
    }
    model.Empty();
    return FALSE;
}

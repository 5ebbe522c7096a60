// CUSBPort: finds a printer attached by USB (any present interface of the USB
// printing-support class whose device path names a vendor and product ID), opens
// it, reads its IEEE 1284 device ID and works out the spooler port the system
// made for it (USB001, ...). Every user holds its own object and closes the device
// with CloseDevice as soon as its query is done.
#pragma once

#include "afx/afx.h"
#include "platform/types.h"

class CUSBPort {
public:
    CUSBPort();
    // Does not close the device: its holder calls CloseDevice.
    ~CUSBPort() {}

    // Opens the first usable USB printer; on TRUE the device is open and vid/pid
    // hold its vendor and product IDs, on FALSE nothing is open and they are unchanged.
    // Virtual although nothing overrides it: the class's one virtual slot is part of
    // its fixed shape, and GetUsbPortName calls it through that slot.
    virtual BOOL FindUsbPrinter(CString& vid, CString& pid);
    void CloseDevice();
    // Asks the open device for its IEEE 1284 device ID (the answer unchanged,
    // length field included). FALSE when no device is open, the request fails or
    // the device does not answer within 500 ms.
    BOOL ReadDeviceId(BYTE* buffer, DWORD size, DWORD* returned);
    // Finds the printer and forms the name of its spooler port; the device stays
    // open on return (the caller closes it).
    BOOL GetUsbPortName(CString& port);

    HANDLE DeviceHandle() const { return m_hDevice; }

private:
    BOOL ParseVidPid(LPCWSTR text, CString& vid, CString& pid);
    HKEY OpenKeyPath(HKEY parent, const WCHAR* path);
    BOOL QueryValueText(HKEY key, int selector, LPWSTR out, int capacity);
    BOOL ReadInterfaceValue(int selector, DWORD index, LPWSTR out, int capacity, BOOL* end);

    HANDLE m_hDevice;
};

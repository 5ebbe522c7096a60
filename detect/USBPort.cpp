#include "detect/USBPort.h"

#include "detect/DeviceIdRequest.h"
#include "detect/DeviceIdText.h"
#include "detect/UsbPrintClass.h"
#include "platform/devinst.h"
#include "platform/kernel.h"
#include "platform/registry.h"
#include "platform/two_call.h"

namespace {

// Interfaces examined by FindUsbPrinter: enumeration indices 0 to 126.
constexpr DWORD kMaxInterfaces = 127;
// A registry value is read into this many bytes; larger data counts as not read.
constexpr DWORD kValueBytes = 520;
// The value-text buffer of GetUsbPortName, in characters.
constexpr int kValueChars = 256;
// The interface keys GetUsbPortName walks at most.
constexpr DWORD kMostInterfaceKeys = 1024;
// Room for the longest port name, "USB-2147483648".
constexpr size_t kPortNameChars = 16;

// Destroys the device information set on every way out of the search.
class DeviceInfoSet {
public:
    explicit DeviceInfoSet(HDEVINFO set) : m_set(set) {}
    ~DeviceInfoSet()
    {
        if (Valid()) ::SetupDiDestroyDeviceInfoList(m_set);
    }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;
    bool Valid() const { return m_set != INVALID_HANDLE_VALUE && m_set != nullptr; }
    HDEVINFO Get() const { return m_set; }

private:
    HDEVINFO m_set;
};

// The device path of the interface, copied into path (devid::kPathChars
// characters). A path too long for the copy leaves it empty, so that it names no
// VID and PID. False when the interface has no readable detail.
bool ReadDevicePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* data, WCHAR* path, CString& fullPath)
{
    constexpr DWORD fixedPart = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    auto query = [set, data](BYTE* buffer, DWORD size, DWORD* required) {
        if (!buffer) return ::SetupDiGetDeviceInterfaceDetailW(set, data, nullptr, 0, required, nullptr);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer);
        detail->cbSize = fixedPart;
        return ::SetupDiGetDeviceInterfaceDetailW(set, data, detail, size, nullptr, nullptr);
    };
    // The detail needs a buffer, and one never smaller than its fixed part, whatever
    // size was reported: cbSize is written into it before the second call.
    two_call::Rules rules;
    rules.firstCallMustFail = true;
    rules.minimumSize = fixedPart;
    two_call::Buffer buffer;
    if (buffer.Fetch(query, rules) != two_call::kFetched) return false;
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer.Data());

    // The path ends at its NUL, and never beyond the buffer the system filled.
    const size_t offset = reinterpret_cast<const BYTE*>(detail->DevicePath) - buffer.Data();
    const size_t maxChars = (buffer.Size() - offset) / sizeof(WCHAR);
    size_t length = 0;
    while (length < maxChars && detail->DevicePath[length]) ++length;
    fullPath = CString(detail->DevicePath, static_cast<int>(length));
    path[0] = 0;
    text::Copy(path, devid::kPathChars, fullPath);
    return true;
}

}  // namespace

CUSBPort::CUSBPort() : m_hDevice(INVALID_HANDLE_VALUE) {}

BOOL CUSBPort::FindUsbPrinter(CString& vid, CString& pid)
{
    // A device still held from an earlier query would otherwise leak, and an
    // exclusive device could not be opened again by this very object.
    CloseDevice();

    DeviceInfoSet set(
        ::SetupDiGetClassDevsW(&GUID_DEVINTERFACE_USBPRINT, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.Valid()) return FALSE;

    for (DWORD i = 0; i < kMaxInterfaces; ++i) {
        SP_DEVICE_INTERFACE_DATA data = {};
        data.cbSize = sizeof(data);
        if (!::SetupDiEnumDeviceInterfaces(set.Get(), nullptr, &GUID_DEVINTERFACE_USBPRINT, i, &data)) return FALSE;

        WCHAR path[devid::kPathChars];
        CString fullPath;
        if (!ReadDevicePath(set.Get(), &data, path, fullPath)) continue;

        m_hDevice = ::CreateFileW(fullPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
        if (m_hDevice == INVALID_HANDLE_VALUE) continue;
        if (ParseVidPid(path, vid, pid)) return TRUE;
        CloseDevice();
    }
    return FALSE;
}

void CUSBPort::CloseDevice()
{
    if (m_hDevice != nullptr && m_hDevice != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_hDevice);
        m_hDevice = INVALID_HANDLE_VALUE;
        devid::ReleaseEndedRequests();  // closing cancels what was given up on the handle
    }
}

BOOL CUSBPort::ReadDeviceId(BYTE* buffer, DWORD size, DWORD* returned)
{
    if (m_hDevice == nullptr || m_hDevice == INVALID_HANDLE_VALUE) return FALSE;
    return devid::RequestDeviceId(m_hDevice, buffer, size, returned);
}

BOOL CUSBPort::GetUsbPortName(CString& port)
{
    CString vid, pid;
    if (!FindUsbPrinter(vid, pid)) return FALSE;

    WCHAR value[kValueChars];
    // A key that cannot be read is passed over; a registry that fails every read would
    // never report the end, so the walk stops after more keys than any PC has.
    for (DWORD n = 0; n < kMostInterfaceKeys; ++n) {
        BOOL end = FALSE;
        if (!ReadInterfaceValue(devid::kLinked, n, value, kValueChars, &end)) {
            if (end) break;
            continue;
        }
        if (!devid::IsLinkedText(value)) continue;
        if (!ReadInterfaceValue(devid::kDeviceInstance, n, value, kValueChars, &end)) {
            if (end) break;
            continue;
        }
        CString keyVid, keyPid;
        if (!ParseVidPid(value, keyVid, keyPid) || keyVid != vid || keyPid != pid) continue;

        // The first linked key of the opened printer decides, whatever its port number says.
        if (!ReadInterfaceValue(devid::kPortNumber, n, value, kValueChars, &end)) return FALSE;
        WCHAR name[kPortNameChars];
        if (!devid::FormatUsbPortName(value, name, kPortNameChars)) return FALSE;
        port = name;
        return TRUE;
    }
    return FALSE;
}

BOOL CUSBPort::ParseVidPid(LPCWSTR text, CString& vid, CString& pid)
{
    WCHAR v[devid::kVidPidChars + 1], p[devid::kVidPidChars + 1];
    if (!devid::ParseVidPid(text, devid::kPathChars, v, p)) return FALSE;
    vid = v;
    pid = p;
    return TRUE;
}

HKEY CUSBPort::OpenKeyPath(HKEY parent, const WCHAR* path)
{
    HKEY current = nullptr;
    size_t at = 0;
    while (at < devid::kKeyPathChars && path[at]) {
        size_t length = 0;
        while (at + length < devid::kKeyPathChars && path[at + length]) ++length;
        if (at + length == devid::kKeyPathChars) break;  // a name without its NUL: the path is malformed
        HKEY next = nullptr;
        LSTATUS status = ::RegOpenKeyExW(current ? current : parent, path + at, 0, KEY_READ, &next);
        if (current) ::RegCloseKey(current);
        if (status != ERROR_SUCCESS) return nullptr;
        current = next;
        at += length + 1;
    }
    if (at < devid::kKeyPathChars && path[at] == 0) return current;
    if (current) ::RegCloseKey(current);  // the final empty name is missing
    return nullptr;
}

BOOL CUSBPort::QueryValueText(HKEY key, int selector, LPWSTR out, int capacity)
{
    const WCHAR* name = devid::InterfaceValueName(selector);
    if (!name || !out || capacity <= 0) return FALSE;

    BYTE data[kValueBytes] = {};
    DWORD type = REG_NONE;
    DWORD size = kValueBytes;
    if (::RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) return FALSE;
    if (size > kValueBytes || size > static_cast<DWORD>(capacity) * sizeof(WCHAR)) return FALSE;

    if (type == REG_DWORD) {
        if (size < sizeof(DWORD)) return FALSE;  // too short to be a number
        DWORD number = static_cast<DWORD>(data[0]) | (static_cast<DWORD>(data[1]) << 8) |
                       (static_cast<DWORD>(data[2]) << 16) | (static_cast<DWORD>(data[3]) << 24);
        return text::FormatInto(out, static_cast<size_t>(capacity), TEXT("%d"), static_cast<int>(number)) == text::kOk
                   ? TRUE
                   : FALSE;
    }

    // Any other type is taken as text: the bytes unchanged (an odd last byte keeps a
    // zero high byte), ending at the first NUL or at the end of the data. A text
    // that leaves no room for its NUL is refused rather than cut.
    const size_t chars = (size + 1) / sizeof(WCHAR);
    size_t length = 0;
    for (; length < chars; ++length) {
        WCHAR c = static_cast<WCHAR>(data[2 * length] | (data[2 * length + 1] << 8));
        if (c == 0) break;
        if (length + 1 >= static_cast<size_t>(capacity)) {
            out[0] = 0;
            return FALSE;
        }
        out[length] = c;
    }
    out[length] = 0;
    return TRUE;
}

BOOL CUSBPort::ReadInterfaceValue(int selector, DWORD index, LPWSTR out, int capacity, BOOL* end)
{
    *end = FALSE;
    HKEY classKey =
        ::SetupDiOpenClassRegKeyExW(&GUID_DEVINTERFACE_USBPRINT, KEY_READ, DIOCR_INTERFACE, nullptr, nullptr);
    if (classKey == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE) || classKey == nullptr) {
        *end = TRUE;
        return FALSE;
    }

    WCHAR name[devid::kKeyPathChars];
    DWORD nameChars = devid::kKeyPathChars;
    LSTATUS status = ::RegEnumKeyExW(classKey, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
        if (status == ERROR_NO_MORE_ITEMS) *end = TRUE;
        ::RegCloseKey(classKey);
        return FALSE;
    }

    BOOL read = FALSE;
    WCHAR path[devid::kKeyPathChars];
    if (nameChars < devid::kKeyPathChars &&
        devid::ComposeKeyPath(name, nameChars, selector, path, devid::kKeyPathChars)) {
        HKEY key = OpenKeyPath(classKey, path);
        if (key) {
            read = QueryValueText(key, selector, out, capacity);
            ::RegCloseKey(key);
        }
    }
    ::RegCloseKey(classKey);
    return read;
}

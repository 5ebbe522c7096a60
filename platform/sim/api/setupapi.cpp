// SetupAPI device-interface enumeration of the simulated machine: device
// information sets (handles of kind "devinfo") over the present USB printing
// interfaces, their details with two-call sizing, and the interface class's
// registry key.
#include "platform/sim/api/setupapi.h"

#include <cstddef>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/devices_shared.h"
#include "platform/sim/state/handles.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/registry.h"
#include "platform/sim/state/verifier.h"

namespace {

// A snapshot of the interfaces present when the set was made, as on Windows.
class DeviceInfoSet : public sim::KernelObject {
public:
    DeviceInfoSet(GUID interfaceClass, std::vector<std::u16string> paths)
        : m_class(interfaceClass), m_paths(std::move(paths))
    {}
    const char* Kind() const override { return "devinfo"; }
    const GUID& Class() const { return m_class; }
    const std::vector<std::u16string>& Paths() const { return m_paths; }

private:
    GUID m_class;
    std::vector<std::u16string> m_paths;
};

// The printer setup class, which SP_DEVINFO_DATA reports for the printers' devices.
const GUID kPrinterSetupClass = {0x4D36E979, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

std::u16string GuidKeyName(const GUID& g)
{
    static const char digits[] = "0123456789abcdef";
    std::u16string s = u"{";
    auto hex = [&](unsigned long value, int count) {
        for (int i = count - 1; i >= 0; --i) s += static_cast<char16_t>(digits[(value >> (4 * i)) & 0xF]);
    };
    hex(g.Data1, 8);
    s += u'-';
    hex(g.Data2, 4);
    s += u'-';
    hex(g.Data3, 4);
    s += u'-';
    hex(g.Data4[0], 2);
    hex(g.Data4[1], 2);
    s += u'-';
    for (int i = 2; i < 8; ++i) hex(g.Data4[i], 2);
    s += u'}';
    return s;
}

}  // namespace

HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, PCWSTR enumerator, HWND, DWORD flags)
{
    if (sim::FailsNow("SetupDiGetClassDevsW")) return INVALID_HANDLE_VALUE;
    if (!classGuid && !(flags & DIGCF_ALLCLASSES)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (enumerator) {  // filtering by enumerator is not part of this machine
        SetLastError(ERROR_NOT_SUPPORTED);
        return INVALID_HANDLE_VALUE;
    }
    // Only USB printing interfaces exist here, and only present ones: without
    // DIGCF_PRESENT Windows would add interfaces of printers seen before.
    std::vector<std::u16string> paths;
    bool wantsPrinters = (flags & DIGCF_ALLCLASSES) || *classGuid == sim::kUsbPrintInterfaceClass;
    if ((flags & DIGCF_DEVICEINTERFACE) && wantsPrinters) paths = sim::PresentUsbPrinters();
    GUID cls = classGuid ? *classGuid : sim::kUsbPrintInterfaceClass;
    return sim::AddHandle(std::make_shared<DeviceInfoSet>(cls, std::move(paths)));
}

BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID* interfaceClass, DWORD index,
                                 PSP_DEVICE_INTERFACE_DATA data)
{
    if (sim::FailsNow("SetupDiEnumDeviceInterfaces")) return FALSE;
    if (!sim::CheckHandle("SetupDiEnumDeviceInterfaces", "DeviceInfoSet", set, {"devinfo"}))
        return Fail(ERROR_INVALID_HANDLE);
    auto info = sim::LookupHandleAs<DeviceInfoSet>(set);
    if (!interfaceClass) return Fail(ERROR_INVALID_PARAMETER);
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
    if (!(*interfaceClass == sim::kUsbPrintInterfaceClass) || index >= info->Paths().size())
        return Fail(ERROR_NO_MORE_ITEMS);
    data->InterfaceClassGuid = *interfaceClass;
    data->Flags = SPINT_ACTIVE;
    data->Reserved = static_cast<ULONG_PTR>(index) + 1;  // which interface of the set
    return TRUE;
}

BOOL SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                      PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD detailSize, PDWORD requiredSize,
                                      PSP_DEVINFO_DATA device)
{
    if (sim::FailsNow("SetupDiGetDeviceInterfaceDetailW")) return FALSE;
    if (!sim::CheckHandle("SetupDiGetDeviceInterfaceDetailW", "DeviceInfoSet", set, {"devinfo"}))
        return Fail(ERROR_INVALID_HANDLE);
    auto info = sim::LookupHandleAs<DeviceInfoSet>(set);
    if (!data || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || data->Reserved == 0 ||
        data->Reserved > info->Paths().size())
        return Fail(ERROR_INVALID_PARAMETER);
    if (detail && detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return Fail(ERROR_INVALID_USER_BUFFER);
    if (!detail && detailSize) return Fail(ERROR_INVALID_USER_BUFFER);
    if (device && device->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(ERROR_INVALID_USER_BUFFER);
    if (!sim::CheckBufferSize("SetupDiGetDeviceInterfaceDetailW",
                              "DeviceInterfaceDetailDataSize is the size of DeviceInterfaceDetailData in bytes", detail,
                              detailSize,
                              "DeviceInterfaceDetailData=" + sim::Hex(reinterpret_cast<ULONG_PTR>(detail)) +
                                  ", DeviceInterfaceDetailDataSize=" + std::to_string(detailSize) + " bytes"))
        return Fail(ERROR_NOACCESS);

    const std::u16string& path = info->Paths()[data->Reserved - 1];
    const size_t offset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    const DWORD needed = static_cast<DWORD>(offset + (path.size() + 1) * sizeof(WCHAR));
    if (requiredSize) *requiredSize = needed;
    if (detailSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER);
    for (size_t i = 0; i < path.size(); ++i) detail->DevicePath[i] = path[i];
    detail->DevicePath[path.size()] = 0;
    if (device) {
        device->ClassGuid = kPrinterSetupClass;
        device->DevInst = static_cast<DWORD>(data->Reserved);
        device->Reserved = 0;
    }
    return TRUE;
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set)
{
    if (!sim::CheckHandle("SetupDiDestroyDeviceInfoList", "DeviceInfoSet", set, {"devinfo"}))
        return Fail(ERROR_INVALID_HANDLE);
    sim::RemoveHandle(set);
    return TRUE;
}

HKEY SetupDiOpenClassRegKeyExW(const GUID* classGuid, REGSAM, DWORD flags, PCWSTR machine, PVOID)
{
    HKEY failed = reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);
    if (sim::FailsNow("SetupDiOpenClassRegKeyExW")) return failed;
    if (machine) {  // remote machines are not part of this machine
        SetLastError(ERROR_NOT_SUPPORTED);
        return failed;
    }
    std::u16string path;
    if (flags == DIOCR_INTERFACE) {
        path = u"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses";
    } else if (flags == DIOCR_INSTALLER) {
        path = u"SYSTEM\\CurrentControlSet\\Control\\Class";
    } else {
        SetLastError(ERROR_INVALID_FLAGS);
        return failed;
    }
    if (classGuid) path += u"\\" + GuidKeyName(*classGuid);
    LSTATUS status;
    HKEY key = sim::OpenRegistryKey(HKEY_LOCAL_MACHINE, path, &status);
    if (!key) {
        SetLastError(static_cast<DWORD>(status));
        return failed;
    }
    return key;
}

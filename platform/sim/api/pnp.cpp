// Plug and Play of the simulated machine: the driver update for the devices that
// carry a hardware ID (newdev), and the configuration manager's location and
// re-enumeration of the device tree's root.
#include "platform/sim/api/pnp.h"

#include <mutex>

#include "platform/sim/api/kernel.h"
#include "platform/sim/state/inf_files.h"
#include "platform/sim/state/machine.h"
#include "platform/sim/state/pnp.h"
#include "platform/sim/state/spooler.h"
#include "platform/sim/state/windows.h"

namespace sim {

namespace {

constexpr DEVINST kRootDevNode = 1;
constexpr DWORD kKnownInstallFlags = INSTALLFLAG_FORCE | INSTALLFLAG_READONLY | INSTALLFLAG_NONINTERACTIVE;

// What installing a printer driver for a present device leaves behind: the driver
// of the INF's model for that hardware ID, and a printer of that model (a copy name
// when the name is taken) on the device's port.
void InstallPrinterForDevice(const std::u16string& hardwareId, const std::vector<std::u16string>& lines)
{
    for (const auto& line : lines) {
        InfModelLine model;
        if (!ParseInfModelLine(line, model) || !NamesEqual(model.hardwareId, hardwareId)) continue;
        SpoolerAddDriver(model.model);
        std::u16string port;
        {
            std::lock_guard<std::mutex> lock(Pnp().mutex);
            port = Pnp().printerPort;
        }
        if (port.empty()) port = SpoolerFirstUsbPort();
        if (!port.empty()) SpoolerAddPrinter(SpoolerFreePrinterName(model.model), model.model, port);
        return;
    }
}

DWORD UpdateDriver(LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags)
{
    DWORD error;
    if (TakeFailure("UpdateDriverForPlugAndPlayDevicesW", &error)) return error;
    {
        std::lock_guard<std::mutex> lock(Pnp().mutex);
        if (Pnp().failUpdates) return Pnp().failUpdates;
    }
    if (!hardwareId || !hardwareId[0] || !fullInfPath || !fullInfPath[0]) return ERROR_INVALID_PARAMETER;
    if (installFlags & ~kKnownInstallFlags) return ERROR_INVALID_FLAGS;
    // A 32-bit program on 64-bit Windows may not install drivers this way.
    if (IsWow64()) return ERROR_IN_WOW64;
    std::vector<std::u16string> lines;
    if (!ReadHostLines(fullInfPath, lines)) return ERROR_FILE_NOT_FOUND;
    if (!HardwareIdPresent(hardwareId)) return ERROR_NO_SUCH_DEVINST;
    InstallPrinterForDevice(hardwareId, lines);
    return ERROR_SUCCESS;
}

}  // namespace

}  // namespace sim

BOOL UpdateDriverForPlugAndPlayDevicesW(HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath, DWORD installFlags,
                                        PBOOL rebootRequired)
{
    if (parent) {
        std::lock_guard<std::mutex> lock(sim::win::Mutex());
        if (!sim::win::UsableLocked("UpdateDriverForPlugAndPlayDevicesW", parent)) return FALSE;
    }
    sim::DriverUpdate record;
    record.hardwareId = hardwareId ? hardwareId : u"";
    record.infPath = fullInfPath ? fullInfPath : u"";
    record.installFlags = installFlags;
    record.hadParent = parent != nullptr;
    record.hadRebootFlag = rebootRequired != nullptr;
    DWORD error = sim::UpdateDriver(hardwareId, fullInfPath, installFlags);
    record.succeeded = error == ERROR_SUCCESS;
    record.error = error;
    {
        std::lock_guard<std::mutex> lock(sim::Pnp().mutex);
        record.askedRestart = record.succeeded && sim::Pnp().updatesAskRestart && rebootRequired;
        sim::Pnp().updates.push_back(record);
    }
    sim::Log("driver-update hwid=\"" + sim::Utf8(record.hardwareId) + "\" inf=\"" + sim::Utf8(record.infPath) +
             "\" flags=" + std::to_string(installFlags) + ": " +
             (record.succeeded ? std::string("ok") : "error " + std::to_string(error)) +
             (record.askedRestart ? ", restart required" : ""));
    if (!record.succeeded) {
        SetLastError(error);
        return FALSE;
    }
    if (rebootRequired) *rebootRequired = record.askedRestart ? TRUE : FALSE;
    return TRUE;
}

CONFIGRET CM_Locate_DevNodeW(PDEVINST devInst, DEVINSTID_W deviceId, ULONG flags)
{
    if (!devInst) return CR_INVALID_POINTER;
    *devInst = 0;
    if (flags & ~0x7u) return CR_INVALID_FLAG;               // CM_LOCATE_DEVNODE_BITS
    if (deviceId && deviceId[0]) return CR_NO_SUCH_DEVNODE;  // only the root is located here
    std::lock_guard<std::mutex> lock(sim::Pnp().mutex);
    if (sim::Pnp().locate != CR_SUCCESS) return sim::Pnp().locate;
    *devInst = sim::kRootDevNode;
    return CR_SUCCESS;
}

CONFIGRET CM_Reenumerate_DevNode(DEVINST devInst, ULONG flags)
{
    CONFIGRET result;
    if (flags & ~0x7u) return CR_INVALID_FLAG;  // CM_REENUMERATE_BITS
    {
        std::lock_guard<std::mutex> lock(sim::Pnp().mutex);
        if (devInst != sim::kRootDevNode) return CR_INVALID_DEVNODE;
        result = sim::Pnp().reenumerate;
        if (result == CR_SUCCESS) ++sim::Pnp().reenumerations;
    }
    if (result == CR_SUCCESS) sim::Log("reenumerate root flags=" + std::to_string(flags));
    return result;
}

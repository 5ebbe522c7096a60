// Contracts of the simulated SetupAPI and device I/O that the detection relies on, as
// Windows defines them, for the devices only the simulated machine has; and the
// machine's count of open registry keys. The registry's own contract is in
// tests/contract/registry_test.cpp.
#include <cstddef>
#include <thread>

#include "platform/devinst.h"
#include "platform/sim/control/devices.h"
#include "platform/sim/control/pnp.h"
#include "tests/support/sim_fixture.h"

namespace {
const GUID& Usb() { return sim::kUsbPrintInterfaceClass; }
}  // namespace

class SimDevicesTest : public SimTest {};

TEST_F(SimDevicesTest, InterfaceDetailUsesTwoCallSizingAndChecksCbSize)
{
    auto plugged = sim::PlugInTypicalUsbPrinter({});
    HDEVINFO set = SetupDiGetClassDevsW(&Usb(), nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(set, INVALID_HANDLE_VALUE);
    SP_DEVICE_INTERFACE_DATA data = {};
    data.cbSize = sizeof(data);
    ASSERT_TRUE(SetupDiEnumDeviceInterfaces(set, nullptr, &Usb(), 0, &data));

    DWORD required = 0;
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &data, nullptr, 0, &required, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(required, offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + (plugged.devicePath.size() + 1) * 2);

    std::vector<BYTE> buffer(required);
    auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_W>(buffer.data());
    detail->cbSize = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + 2);
    EXPECT_FALSE(SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    ASSERT_TRUE(SetupDiGetDeviceInterfaceDetailW(set, &data, detail, required, nullptr, nullptr));
    EXPECT_EQ(std::u16string(detail->DevicePath), plugged.devicePath);

    EXPECT_FALSE(SetupDiEnumDeviceInterfaces(set, nullptr, &Usb(), 1, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(TakeViolatedFunctions(), std::vector<std::string>{"SetupDiDestroyDeviceInfoList"});
}

TEST_F(SimDevicesTest, OpenRegistryKeysAreHandlesOfTheirOwnKind)
{
    sim::CreateRegistryKey(HKEY_LOCAL_MACHINE, u"A\\b");
    HKEY key = nullptr, sub = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"a", 0, KEY_READ, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(key, u"B", 0, KEY_READ, &sub), ERROR_SUCCESS);
    EXPECT_EQ(sim::OpenHandleCount("regkey"), 2u);
    EXPECT_EQ(RegCloseKey(sub), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(sim::OpenHandleCount("regkey"), 0u);
}

TEST_F(SimDevicesTest, PendingRequestsEndByCancelCloseOrUnplug)
{
    sim::TypicalUsbPrinter typical;
    typical.answer = sim::DeviceIdAnswer::Never;
    auto plugged = sim::PlugInTypicalUsbPrinter(typical);
    auto open = [&] {
        return CreateFileW(plugged.devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    };
    HANDLE device = open();
    ASSERT_NE(device, INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(), INVALID_HANDLE_VALUE);  // exclusive
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    BYTE buffer[32];
    DWORD count = 0;
    auto issue = [&](OVERLAPPED& ov, HANDLE h) {
        ov = OVERLAPPED{};
        ov.hEvent = event;
        EXPECT_FALSE(DeviceIoControl(h, IOCTL_USBPRINT_GET_1284_ID, nullptr, 0, buffer, 32, &count, &ov));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING));
    };

    OVERLAPPED ov;
    issue(ov, device);
    EXPECT_FALSE(GetOverlappedResult(device, &ov, &count, FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_INCOMPLETE));
    // CancelIo reaches only what the calling thread issued: not from another thread.
    std::thread([&] { EXPECT_TRUE(CancelIo(device)); }).join();
    EXPECT_EQ(sim::OutstandingDeviceRequests(), 1u);
    EXPECT_TRUE(CancelIo(device));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_FALSE(GetOverlappedResult(device, &ov, &count, TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OPERATION_ABORTED));
    EXPECT_TRUE(CancelIo(device));  // nothing left to cancel is no failure
    EXPECT_FALSE(CancelIo(event));  // not a file handle
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(TakeViolatedFunctions(), std::vector<std::string>{"CancelIo"});

    // Closing the handle cancels; the program learns of the end through the event.
    issue(ov, device);
    EXPECT_TRUE(CloseHandle(device));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(ov.Internal, 0xC0000120u);                           // STATUS_CANCELLED
    EXPECT_FALSE(GetOverlappedResult(device, &ov, &count, TRUE));  // the handle is gone
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(TakeViolatedFunctions(), std::vector<std::string>{"GetOverlappedResult"});

    device = open();
    issue(ov, device);
    EXPECT_TRUE(sim::UnplugUsbPrinter(plugged.devicePath));
    EXPECT_FALSE(sim::HardwareIdPresent(u"USB\\VID_1A2B&PID_3C4D"));
    EXPECT_FALSE(GetOverlappedResult(device, &ov, &count, TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
    EXPECT_EQ(sim::OutstandingDeviceRequests(), 0u);
    CloseHandle(device);
    CloseHandle(event);
}

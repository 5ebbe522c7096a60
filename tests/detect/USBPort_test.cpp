// CUSBPort against the simulated machine: which interface it opens, the device-ID
// request and its time-out, and the port name from the interface keys.
#include <thread>

#include "detect/DeviceIdRequest.h"
#include "detect/USBPort.h"
#include "platform/sim/control/devices.h"
#include "tests/support/sim_fixture.h"

namespace {

const char16_t kSuffix[] = u"#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

sim::UsbPrinter Interface(const std::u16string& path, DWORD openError = ERROR_SUCCESS)
{
    sim::UsbPrinter p;
    p.devicePath = path;
    p.openError = openError;
    p.deviceId = sim::DeviceIdBytes("MDL:X;");
    return p;
}

// An interface key of printer 1A2B/3C4D (or the instance given).
sim::UsbPrintInterfaceKey Key(const std::u16string& serial, std::optional<sim::RegData> linked,
                              std::optional<sim::RegData> port, const std::u16string& vidPid = u"VID_1A2B&PID_3C4D")
{
    sim::UsbPrintInterfaceKey k;
    k.name = u"##?#USB#" + vidPid + u"#" + serial + kSuffix;
    k.deviceInstance = sim::RegSz(u"USB\\" + vidPid + u"\\" + serial);
    k.linked = linked;
    k.portNumber = port;
    return k;
}

}  // namespace

class UsbPortTest : public SimTest {
protected:
    // The port name, or "-" when GetUsbPortName fails; the device is closed after.
    static std::string PortName()
    {
        CUSBPort port;
        CString name = TEXT("-");
        port.GetUsbPortName(name);
        port.CloseDevice();
        EXPECT_EQ(sim::OpenHandleCount("regkey"), 0u);
        return text::ToUtf8(name.Str());
    }
};

TEST_F(UsbPortTest, NoPrinterOpensNothingAndAsksNothing)
{
    CUSBPort port;
    CString vid = TEXT("old"), pid = TEXT("old");
    EXPECT_FALSE(port.FindUsbPrinter(vid, pid));
    EXPECT_EQ(port.DeviceHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(vid, TEXT("old"));
    BYTE buffer[16];
    DWORD count = 0;
    EXPECT_FALSE(port.ReadDeviceId(buffer, sizeof(buffer), &count));
    EXPECT_EQ(sim::DeviceRequestCount(), 0u);
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(UsbPortTest, OpensTheFirstUsableInterfaceAndReleasesTheRest)
{
    std::u16string longPath = u"\\\\?\\usb#vid_9999&pid_9999#";
    longPath.resize(260, u'x');
    sim::PlugInUsbPrinter(Interface(u"\\\\?\\usb#vid_1111&pid_1111#a", ERROR_ACCESS_DENIED));  // will not open
    sim::PlugInUsbPrinter(Interface(u"\\\\?\\usb#novendor#b"));                                // names no VID
    sim::PlugInUsbPrinter(Interface(longPath));                                                // too long to parse
    sim::PlugInTypicalUsbPrinter({});

    CUSBPort port;
    CString vid, pid;
    ASSERT_TRUE(port.FindUsbPrinter(vid, pid));
    EXPECT_EQ(vid, TEXT("1A2B"));
    EXPECT_EQ(pid, TEXT("3C4D"));
    EXPECT_EQ(sim::OpenHandleCount("device"), 1u);
    EXPECT_EQ(sim::OpenHandleCount("devinfo"), 0u);
    port.CloseDevice();
    port.CloseDevice();  // a second close does nothing
    EXPECT_EQ(port.DeviceHandle(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(UsbPortTest, OnlyTheFirst127InterfacesAreExamined)
{
    for (int usable : {127, 126}) {
        sim::ResetMachine();
        for (int i = 0; i < 130; ++i) {
            std::u16string path = text::FromUtf8("\\\\?\\usb#vid_1a2b&pid_3c4d#" + std::to_string(i));
            sim::PlugInUsbPrinter(Interface(path, i == usable ? ERROR_SUCCESS : ERROR_GEN_FAILURE));
        }
        CUSBPort port;
        CString vid, pid;
        EXPECT_EQ(port.FindUsbPrinter(vid, pid), usable == 126 ? TRUE : FALSE) << "usable index " << usable;
        port.CloseDevice();
        EXPECT_EQ(sim::OpenHandleCount(), 0u);
    }
}

TEST_F(UsbPortTest, ExclusiveDeviceIsHeldByOneObjectAtATime)
{
    sim::PlugInTypicalUsbPrinter({});
    CUSBPort first, second;
    CString vid, pid;
    ASSERT_TRUE(first.FindUsbPrinter(vid, pid));
    EXPECT_FALSE(second.FindUsbPrinter(vid, pid));
    // Searching again with the device still open neither leaks it nor locks itself out.
    EXPECT_TRUE(first.FindUsbPrinter(vid, pid));
    EXPECT_EQ(sim::OpenHandleCount("device"), 1u);
    first.CloseDevice();
    EXPECT_TRUE(second.FindUsbPrinter(vid, pid));
    second.CloseDevice();
}

TEST_F(UsbPortTest, FailingEnumerationCallsReleaseTheSet)
{
    sim::PlugInTypicalUsbPrinter({});
    sim::TypicalUsbPrinter other;
    other.serial = "0002";
    sim::PlugInTypicalUsbPrinter(other);
    CUSBPort port;
    CString vid, pid;
    sim::FailCall("SetupDiGetDeviceInterfaceDetailW", ERROR_GEN_FAILURE, 1);  // the first interface is skipped
    ASSERT_TRUE(port.FindUsbPrinter(vid, pid));
    port.CloseDevice();
    sim::FailCall("SetupDiEnumDeviceInterfaces", ERROR_GEN_FAILURE, 1);
    EXPECT_FALSE(port.FindUsbPrinter(vid, pid));
    sim::FailCall("CreateFileW", ERROR_ACCESS_DENIED, 2);
    EXPECT_FALSE(port.FindUsbPrinter(vid, pid));
    EXPECT_EQ(sim::OpenHandleCount(), 0u);
}

TEST_F(UsbPortTest, ReadsTheDeviceIdAnsweredAtOnceOrInTime)
{
    sim::SetTimeScale(0.1);
    for (auto answer : {sim::DeviceIdAnswer::AtOnce, sim::DeviceIdAnswer::AfterDelay}) {
        sim::ResetMachine();
        sim::SetTimeScale(0.1);
        sim::TypicalUsbPrinter typical;
        typical.answer = answer;
        typical.answerDelayMs = 300;
        sim::PlugInTypicalUsbPrinter(typical);
        CUSBPort port;
        CString vid, pid;
        ASSERT_TRUE(port.FindUsbPrinter(vid, pid));
        BYTE buffer[100] = {};
        DWORD count = 0;
        ASSERT_TRUE(port.ReadDeviceId(buffer, sizeof(buffer), &count));
        std::vector<BYTE> expected = sim::DeviceIdBytes(typical.deviceId);
        EXPECT_EQ(std::vector<BYTE>(buffer, buffer + count), expected);
        port.CloseDevice();
        EXPECT_EQ(sim::OpenHandleCount(), 0u);
    }
}

TEST_F(UsbPortTest, LateOrMissingAnswersNeverReachTheCallersMemory)
{
    // Never, and an answer that comes after the wait while the cancel itself takes
    // time: once ReadDeviceId has returned nothing may be left that could write.
    sim::SetTimeScale(0.1);
    sim::UsbPrinter never = Interface(u"\\\\?\\usb#vid_1a2b&pid_3c4d#never");
    never.answer = sim::DeviceIdAnswer::Never;
    sim::UsbPrinter late = Interface(u"\\\\?\\usb#vid_1a2b&pid_3c4d#late");
    late.answer = sim::DeviceIdAnswer::AfterDelay;
    late.answerDelayMs = 700;
    late.cancelDelayMs = 300;
    for (const auto& printer : {never, late}) {
        sim::ResetMachine();
        sim::SetTimeScale(0.1);
        sim::PlugInUsbPrinter(printer);
        CUSBPort port;
        CString vid, pid;
        ASSERT_TRUE(port.FindUsbPrinter(vid, pid));
        std::vector<BYTE> buffer(64, 0xEE);
        DWORD count = 7;
        EXPECT_FALSE(port.ReadDeviceId(buffer.data(), 64, &count));
        EXPECT_EQ(sim::OutstandingDeviceRequests(), 0u);
        EXPECT_EQ(sim::OpenHandleCount("event"), 0u);
        std::this_thread::sleep_for(std::chrono::milliseconds(120));  // past the late answer
        EXPECT_EQ(buffer, std::vector<BYTE>(64, 0xEE));
        EXPECT_EQ(count, 7u);
        port.CloseDevice();
    }
}

// A request that does not end when cancelled (a device that ignores the cancel, or a
// cancel that fails) is given up after the answer's 500 ms and the cancel's 500 ms:
// its memory is kept, since the system may still write into it, and nothing reaches
// the caller's buffer, also when the device answers later.
TEST_F(UsbPortTest, ARequestThatOutlivesItsCancelIsKeptAndTheWaitIsBounded)
{
    struct Case {
        const char* what;
        sim::DeviceIdAnswer answer;
        DWORD answerDelayMs;
        bool failCancel;
    } cases[] = {
        {"device ignores the cancel, never answers", sim::DeviceIdAnswer::IgnoresCancel, 0, false},
        {"device ignores the cancel, answers late", sim::DeviceIdAnswer::IgnoresCancel, 1500, false},
        {"CancelIo fails, device never answers", sim::DeviceIdAnswer::Never, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshMachine();
        sim::SetTimeScale(0.1);
        sim::UsbPrinter printer = Interface(u"\\\\?\\usb#vid_1a2b&pid_3c4d#hung");
        printer.answer = c.answer;
        printer.answerDelayMs = c.answerDelayMs;
        sim::PlugInUsbPrinter(printer);
        CUSBPort port;
        CString vid, pid;
        ASSERT_TRUE(port.FindUsbPrinter(vid, pid));
        if (c.failCancel) sim::FailCall("CancelIo", ERROR_INVALID_HANDLE, 1);
        const int kept = devid::KeptRequestCount();
        std::vector<BYTE> buffer(64, 0xEE);
        DWORD count = 7;
        auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(port.ReadDeviceId(buffer.data(), 64, &count));
        auto held = std::chrono::steady_clock::now() - start;
        EXPECT_GE(held, std::chrono::milliseconds(95));  // the two waits of 500 ms, scaled
        EXPECT_LT(held, std::chrono::milliseconds(600));
        EXPECT_EQ(devid::KeptRequestCount(), kept + 1);
        port.CloseDevice();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // past the late answer
        EXPECT_EQ(buffer, std::vector<BYTE>(64, 0xEE));
        EXPECT_EQ(count, 7u);
        // Released once it has ended: closing the handle ended the request whose
        // cancel failed, the late answer ended its own; the other is still pending.
        devid::ReleaseEndedRequests();
        EXPECT_EQ(devid::KeptRequestCount(), kept + (c.answerDelayMs || c.failCancel ? 0 : 1));
    }
}

// At the machine's own speed: the caller is held about a second, no more.
TEST_F(UsbPortTest, ADeviceThatIgnoresTheCancelHoldsTheCallerAboutASecond)
{
    sim::UsbPrinter printer = Interface(u"\\\\?\\usb#vid_1a2b&pid_3c4d#hung");
    printer.answer = sim::DeviceIdAnswer::IgnoresCancel;
    sim::PlugInUsbPrinter(printer);
    CUSBPort port;
    CString vid, pid;
    ASSERT_TRUE(port.FindUsbPrinter(vid, pid));
    BYTE buffer[64];
    DWORD count = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.ReadDeviceId(buffer, sizeof(buffer), &count));
    auto held = std::chrono::steady_clock::now() - start;
    EXPECT_GE(held, std::chrono::milliseconds(990));
    EXPECT_LT(held, std::chrono::milliseconds(1400));
    port.CloseDevice();
}

TEST_F(UsbPortTest, PortNameOfTheTypicalPrinterLeavesTheDeviceOpen)
{
    sim::PlugInTypicalUsbPrinter({});
    CUSBPort port;
    CString name;
    ASSERT_TRUE(port.GetUsbPortName(name));
    EXPECT_EQ(name, TEXT("USB001"));
    EXPECT_EQ(sim::OpenHandleCount("device"), 1u);
    EXPECT_EQ(sim::OpenHandleCount("regkey"), 0u);
    port.CloseDevice();
}

TEST_F(UsbPortTest, PortNumberAsDwordOrText)
{
    const struct {
        sim::RegData value;
        const char* name;
    } cases[] = {{sim::RegDword(1), "USB001"},         {sim::RegDword(1000), "USB1000"},
                 {sim::RegSz(u"12"), "USB012"},        {sim::RegSz(u""), "USB000"},
                 {sim::RegSz(u"abc"), "USB000"},       {sim::RegSz(u"3", false), "USB003"},
                 {sim::RegRaw(REG_DWORD, {1, 0}), "-"}};  // too short to be a number
    for (const auto& c : cases) {
        sim::ResetMachine();
        sim::PlugInTypicalUsbPrinter({});
        sim::UsbPrintInterfaceKey key = Key(u"0001", sim::RegDword(1), c.value);
        sim::AddUsbPrintInterfaceKey(key);
        EXPECT_EQ(PortName(), c.name);
    }
}

TEST_F(UsbPortTest, OnlyLinkedKeysOfTheSamePrinterGiveThePort)
{
    sim::TypicalUsbPrinter typical;
    typical.serial = "0009";
    typical.portNumber = 9;
    sim::PlugInTypicalUsbPrinter(typical);
    // Keys sort by name: 0001 .. 0005 come before the printer's own 0009, and another
    // printer of the maker (PID_0FFF) before the printer's PID_3C4D: a match on the
    // vendor alone would take its port.
    sim::AddUsbPrintInterfaceKey(Key(u"0001", sim::RegDword(0), sim::RegDword(1)));
    sim::AddUsbPrintInterfaceKey(Key(u"0002", sim::RegSz(u"01"), sim::RegDword(2)));
    sim::AddUsbPrintInterfaceKey(Key(u"0003", sim::RegDword(1), sim::RegDword(3), u"VID_1A2B&PID_0FFF"));
    sim::UsbPrintInterfaceKey noHash = Key(u"0004", sim::RegDword(1), sim::RegDword(4));
    noHash.hashKey = false;
    sim::AddUsbPrintInterfaceKey(noHash);
    EXPECT_EQ(PortName(), "USB009");
    sim::AddUsbPrintInterfaceKey(Key(u"0005", sim::RegSz(u"1"), sim::RegDword(5)));
    EXPECT_EQ(PortName(), "USB005");
}

TEST_F(UsbPortTest, FirstMatchingKeyDecidesEvenWithoutPortNumber)
{
    sim::PlugInTypicalUsbPrinter({});  // key 0001, port 1
    sim::AddUsbPrintInterfaceKey(Key(u"0000", sim::RegDword(1), std::nullopt));
    EXPECT_EQ(PortName(), "-");
    sim::DeleteRegistryKey(HKEY_LOCAL_MACHINE, sim::UsbPrintClassKeyPath());
    EXPECT_EQ(PortName(), "-");
}

TEST_F(UsbPortTest, KeyNamesOf243And244Characters)
{
    sim::PlugInTypicalUsbPrinter({});
    // Sorted before the printer's own key; 243 characters read "Linked" and
    // "DeviceInstance" but not the deeper "Port Number", so that key decides: no port.
    sim::UsbPrintInterfaceKey key = Key(u"0000", sim::RegDword(1), sim::RegDword(7));
    key.name = u"##?#USB#VID_1A2B&PID_3C4D#0000";
    key.name.resize(244, u'x');
    sim::AddUsbPrintInterfaceKey(key);
    EXPECT_EQ(PortName(), "USB001");  // 244: passed over
    sim::DeleteRegistryKey(HKEY_LOCAL_MACHINE, sim::UsbPrintClassKeyPath() + u"\\" + key.name);
    key.name.resize(243);
    sim::AddUsbPrintInterfaceKey(key);
    EXPECT_EQ(PortName(), "-");
}

TEST_F(UsbPortTest, RegistryValuesOfEveryTypeAndSize)
{
    const DWORD types[] = {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, 5, REG_MULTI_SZ, REG_QWORD};
    const size_t sizes[] = {0, 1, 2, 3, 4, 5, 510, 511, 512, 513, 520, 521, 4096};
    for (DWORD type : types) {
        for (size_t size : sizes) {
            sim::ResetMachine();
            sim::PlugInTypicalUsbPrinter({});
            std::vector<BYTE> bytes(size, '7');
            if (size >= 2 && type != REG_DWORD) bytes[1] = 0;  // "7777..." in UTF-16
            sim::AddUsbPrintInterfaceKey(Key(u"0000", sim::RegDword(1), sim::RegRaw(type, bytes)));
            std::string name = PortName();
            SCOPED_TRACE("type " + std::to_string(type) + " size " + std::to_string(size));
            bool dword = type == REG_DWORD;
            if (size > 512 || (dword && size < 4) || (!dword && size > 510)) {
                // Larger than the 256-character value text, a text of 256 characters
                // without room for its NUL, or a DWORD too short to be one: not read.
                EXPECT_EQ(name, "-");
            } else if (dword) {
                EXPECT_EQ(name, "USB" + std::to_string(0x37373737));
            } else {
                EXPECT_EQ(name.substr(0, 3), "USB");
            }
        }
    }
}

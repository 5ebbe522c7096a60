// The text side of printer detection, without any device: VID/PID parsing, the
// model from device-ID bytes, the port name and the key paths.
#include <random>

#include "detect/DeviceIdText.h"
#include "platform/sim/control/devices.h"
#include "tests/support/sim_fixture.h"

namespace {

struct VidPid {
    bool ok;
    std::string vid, pid;
};

VidPid Parse(const std::u16string& s)
{
    WCHAR vid[5] = {'-', 0}, pid[5] = {'-', 0};
    bool ok = devid::ParseVidPid(s.data(), s.size(), vid, pid);
    return {ok, text::ToUtf8(vid, text::Length(vid)), text::ToUtf8(pid, text::Length(pid))};
}

std::string Model(const std::vector<BYTE>& bytes, size_t returned)
{
    return text::ToUtf8(devid::ModelFromDeviceId(bytes.data(), bytes.size(), returned));
}

std::string Model(const std::string& idText)
{
    std::vector<BYTE> buffer = sim::DeviceIdBytes(idText);
    size_t returned = buffer.size();
    buffer.resize(devid::kDeviceIdBytes, 0);
    return Model(buffer, returned);
}

}  // namespace

class DeviceIdTextTest : public SimTest {};

TEST_F(DeviceIdTextTest, VidPidFromPathsAndInstanceIds)
{
    const struct {
        const char16_t* text;
        VidPid expected;
    } cases[] = {
        {u"\\\\?\\usb#vid_1a2b&pid_3c4d#0001#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}", {true, "1A2B", "3C4D"}},
        {u"USB\\VID_1A2B&PID_3C4D\\0001", {true, "1A2B", "3C4D"}},
        {u"USB\\PID_3C4D&VID_1A2B\\0001", {true, "1A2B", "3C4D"}},  // PID_ first
        {u"USB\\PID_3C4D&VID_1A", {true, "1A", "3C4D"}},            // ends two characters after VID_
        {u"USB\\VID_zz&PID_", {true, "ZZ&P", ""}},                  // any characters, or none
        {u"USB\\VID_1A2B\\0001", {false, "-", "-"}},                // out-parameters untouched
        {u"USB\\PID_3C4D", {false, "-", "-"}},
        {u"", {false, "-", "-"}},
    };
    for (const auto& c : cases) {
        VidPid got = Parse(c.text);
        EXPECT_EQ(got.ok, c.expected.ok) << Utf8(c.text);
        EXPECT_EQ(got.vid, c.expected.vid) << Utf8(c.text);
        EXPECT_EQ(got.pid, c.expected.pid) << Utf8(c.text);
    }
}

TEST_F(DeviceIdTextTest, PathsOf260CharactersNeverYieldVidPid)
{
    std::u16string path = u"\\\\?\\usb#vid_1a2b&pid_3c4d#";
    path.resize(259, u'x');
    EXPECT_TRUE(Parse(path).ok);
    path += u'x';
    EXPECT_FALSE(Parse(path).ok);
    // Only the given characters are read, even with no NUL after them.
    std::u16string cut = u"USB\\VID_1A2B&PID_3C4D";
    WCHAR vid[5], pid[5];
    ASSERT_TRUE(devid::ParseVidPid(cut.data(), 19, vid, pid));
    EXPECT_EQ(Utf8(pid), "3C");
}

TEST_F(DeviceIdTextTest, ModelIsTheTextBetweenMdlAndSemicolon)
{
    EXPECT_EQ(Model("MFG:XYZ;CMD:ESC/P;MDL:AB-100;CLS:PRINTER;"), "AB-100");
    EXPECT_EQ(Model("MDL:AB-100 ;"), "AB-100 ");  // trailing blank kept
    EXPECT_EQ(Model("MFG:XYZ;MDL:AB-100"), "");   // no semicolon after it
    EXPECT_EQ(Model("MFG:XYZ;CMD:ESC/P;"), "");
    EXPECT_EQ(Model("MDL:;"), "");
    EXPECT_EQ(Model("MODEL:AB;mdl:CD;"), "");           // only MDL:, in upper case
    EXPECT_EQ(Model("CMD:XMDL:AB;MDL:CD;"), "AB");      // the first MDL:, even inside a value
    EXPECT_EQ(Model(std::string("MDL:AB\0;", 8)), "");  // the text ends at the first NUL
}

TEST_F(DeviceIdTextTest, TextStartsAfterLengthFieldAndStopsAtCountAndBuffer)
{
    // A short ID's length field begins with a zero byte: still the whole text.
    std::vector<BYTE> shortId = sim::DeviceIdBytes("MDL:AB;");
    ASSERT_EQ(shortId[0], 0);
    EXPECT_EQ(Model(shortId, shortId.size()), "AB");
    EXPECT_EQ(Model(shortId, shortId.size() - 1), "");  // the count cuts off the semicolon
    EXPECT_EQ(Model(shortId, 2), "");

    // A full buffer without NUL: 1022 bytes of text, its last byte included, and a
    // count beyond the buffer reads no further.
    std::vector<BYTE> full(devid::kDeviceIdBytes, 'X');
    const std::string tail = "MDL:Q;";
    std::copy(tail.begin(), tail.end(), full.end() - tail.size());
    EXPECT_EQ(devid::DeviceIdText(full.data(), full.size(), 5000).size(), 1022u);
    EXPECT_EQ(Model(full, 5000), "Q");
}

TEST_F(DeviceIdTextTest, IdTextGoesThroughTheAnsiCodePage)
{
    sim::SetCodePage(936);
    EXPECT_EQ(Model("MDL:\xB4\xF2\xD3\xA1;"), "打印");  // GBK
    sim::SetCodePage(28591);
    EXPECT_EQ(Model("MDL:\xE9;"), "é");
}

TEST_F(DeviceIdTextTest, PortNameFormat)
{
    const struct {
        const char16_t* number;
        const char* name;
    } cases[] = {{u"1", "USB001"},   {u"12", "USB012"},    {u"0", "USB000"},    {u"", "USB000"},
                 {u"abc", "USB000"}, {u"1000", "USB1000"}, {u"7 (x)", "USB007"}};
    for (const auto& c : cases) {
        WCHAR name[16];
        ASSERT_TRUE(devid::FormatUsbPortName(c.number, name, 16));
        EXPECT_EQ(Utf8(name), c.name);
    }
    WCHAR small[6] = {'x'};
    EXPECT_FALSE(devid::FormatUsbPortName(u"1", small, 6));
    EXPECT_EQ(small[0], 0);
}

TEST_F(DeviceIdTextTest, KeyPathsAndNameLimits)
{
    WCHAR path[devid::kKeyPathChars];
    ASSERT_TRUE(devid::ComposeKeyPath(u"K", 1, devid::kLinked, path, devid::kKeyPathChars));
    EXPECT_EQ(std::u16string(path, 12), std::u16string(u"K\0#\0Control\0\0", 12));
    ASSERT_TRUE(devid::ComposeKeyPath(u"K", 1, devid::kDeviceInstance, path, devid::kKeyPathChars));
    EXPECT_EQ(std::u16string(path, 3), std::u16string(u"K\0\0", 3));

    std::u16string name(234, u'n');
    EXPECT_TRUE(devid::ComposeKeyPath(name.data(), 234, devid::kPortNumber, path, devid::kKeyPathChars));
    EXPECT_FALSE(devid::ComposeKeyPath(name.data(), 235, devid::kPortNumber, path, devid::kKeyPathChars + 0));
    name.assign(244, u'n');
    EXPECT_TRUE(devid::ComposeKeyPath(name.data(), 243, devid::kLinked, path, devid::kKeyPathChars));
    EXPECT_FALSE(devid::ComposeKeyPath(name.data(), 244, devid::kLinked, path, devid::kKeyPathChars));
    EXPECT_FALSE(devid::ComposeKeyPath(u"A\0B", 3, devid::kLinked, path, devid::kKeyPathChars));
    EXPECT_FALSE(devid::ComposeKeyPath(u"K", 1, 5, path, devid::kKeyPathChars));
}

TEST_F(DeviceIdTextTest, RandomInputStaysWithinItsBuffers)
{
    // Exactly sized heap buffers, so that a sanitizer build catches any read past them.
    std::mt19937 rng(4);
    for (int i = 0; i < 1500; ++i) {
        std::vector<BYTE> bytes(rng() % (devid::kDeviceIdBytes + 1));
        for (auto& b : bytes) b = static_cast<BYTE>(rng() % 4 ? 0x20 + rng() % 0x60 : rng() % 256);
        if (bytes.size() > 8 && rng() % 2) std::copy_n("MDL:", 4, bytes.begin() + rng() % (bytes.size() - 4));
        size_t returned = rng() % 1200;
        WString text = devid::DeviceIdText(bytes.data(), bytes.size(), returned);
        WString model = devid::ModelFromIdText(text.data(), text.size());
        EXPECT_LE(text.size(), bytes.size() < 2 ? 0 : bytes.size() - 2);
        if (!model.empty()) {
            WString marked = TEXT("MDL:") + model + TEXT(";");
            EXPECT_NE(text.find(marked), WString::npos);
        }

        std::vector<WCHAR> chars(rng() % 300);
        for (auto& c : chars) c = static_cast<WCHAR>(rng() % 8 ? u"VIDP_d1a"[rng() % 8] : rng() % 0x10000);
        WCHAR vid[5], pid[5];
        devid::ParseVidPid(chars.data(), chars.size(), vid, pid);
    }
}

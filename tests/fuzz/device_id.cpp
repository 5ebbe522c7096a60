// The model from the bytes of an IEEE 1284 device ID, as the model detection reads
// the device's answer: any bytes, any reported count (also beyond the buffer), in the
// ANSI code pages the machine may have.
//
// Input: byte 0 picks the code page (low 3 bits) and the mode (bit 3); in device mode
// two bytes of reported count follow and the rest is the buffer, exactly that large;
// in text mode the rest is UTF-16LE ID text handed over without a NUL.
#include "detect/DeviceIdText.h"
#include "platform/kernel.h"
#include "platform/sim/control/machine.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const UINT kCodePages[8] = {936, 1252, CP_UTF8, 932, 20127, 950, 1251, 28591};

// The model rule written out plainly: the text between the first "MDL:" and the
// first ";" after it, or nothing.
std::u16string ExpectedModel(const std::u16string& text)
{
    size_t at = text.find(u"MDL:");
    if (at == std::u16string::npos) return std::u16string();
    size_t end = text.find(u';', at + 4);
    if (end == std::u16string::npos) return std::u16string();
    return text.substr(at + 4, end - at - 4);
}

void CheckDeviceBytes(fuzz::Input& in)
{
    size_t returned = in.Word();
    std::vector<uint8_t> bytes = in.Rest();
    size_t size = bytes.size();
    auto buffer = fuzz::ExactCopy<BYTE>(bytes.data(), size);

    WString text = devid::DeviceIdText(buffer.get(), size, returned);
    size_t end = returned < size ? returned : size;
    if (end < 3) FUZZ_CHECK(text.empty());
    // The ID text runs from byte 2 to the first NUL or the end of what was returned.
    size_t textBytes = 0;
    bool ascii = true;
    while (2 + textBytes < end && bytes[2 + textBytes]) {
        ascii = ascii && bytes[2 + textBytes] < 0x80;
        ++textBytes;
    }
    FUZZ_CHECK(text.size() <= textBytes);
    FUZZ_CHECK(text.find(char16_t(0)) == WString::npos);
    if (ascii && textBytes > 0) FUZZ_CHECK(text == WString(bytes.data() + 2, bytes.data() + 2 + textBytes));

    WString model = devid::ModelFromIdText(text.data(), text.size());
    FUZZ_CHECK(model == ExpectedModel(text));
    FUZZ_CHECK(devid::ModelFromDeviceId(buffer.get(), size, returned) == model);
}

void CheckIdText(fuzz::Input& in)
{
    std::u16string text = in.RestUtf16();
    auto exact = fuzz::ExactCopy<WCHAR>(text.data(), text.size());
    WString model = devid::ModelFromIdText(exact.get(), text.size());
    FUZZ_CHECK(model == ExpectedModel(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::StrictMachine strict;
    fuzz::Input in(data, size);
    uint8_t head = in.Byte();
    sim::SetCodePage(kCodePages[head & 7]);
    if (head & 8)
        CheckIdText(in);
    else
        CheckDeviceBytes(in);
    return 0;
}

// VID and PID from a device path or device instance ID, and the other texts of the
// USB port lookup: the "Linked" test, the port name from a "Port Number" text, and
// the registry key path of an interface key name.
//
// Input: byte 0 holds the flags (bit 0: the text is NUL-terminated inside a longer
// count; bits 1-3: the key-path selector, -1 to 6), byte 1 a buffer capacity; the rest
// is the text, UTF-16LE.
#include <cstdio>

#include "detect/DeviceIdText.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

WCHAR Upper(WCHAR c) { return (c >= 'a' && c <= 'z') ? static_cast<WCHAR>(c - 32) : c; }

void CheckVidPid(const std::u16string& chars, bool terminated, size_t extra)
{
    // The text as the caller hands it: exactly its characters, or followed by a NUL
    // and a count that runs past it (the NUL must stop the reading).
    size_t arrayChars = chars.size() + (terminated ? 1 : 0);
    auto array = fuzz::Exact<WCHAR>(arrayChars == 0 ? 1 : arrayChars, 0);
    std::copy(chars.begin(), chars.end(), array.get());
    size_t count = terminated ? arrayChars + extra : chars.size();

    std::u16string text = chars.substr(0, std::min(chars.find(char16_t(0)), chars.size()));
    for (char16_t& c : text) c = Upper(c);
    bool expectOk = false;
    std::u16string vid, pid;
    if (text.size() < devid::kPathChars) {
        size_t v = text.find(u"VID_"), p = text.find(u"PID_");
        if (v != std::u16string::npos && p != std::u16string::npos) {
            expectOk = true;
            vid = text.substr(v + 4, 4);
            pid = text.substr(p + 4, 4);
        }
    }

    auto outVid = fuzz::Exact<WCHAR>(devid::kVidPidChars + 1, u'#');
    auto outPid = fuzz::Exact<WCHAR>(devid::kVidPidChars + 1, u'#');
    bool ok = devid::ParseVidPid(array.get(), count, outVid.get(), outPid.get());
    FUZZ_CHECK(ok == expectOk);
    if (ok) {
        FUZZ_CHECK(std::u16string(outVid.get()) == vid);
        FUZZ_CHECK(std::u16string(outPid.get()) == pid);
    } else {
        for (size_t i = 0; i <= devid::kVidPidChars; ++i) FUZZ_CHECK(outVid[i] == u'#' && outPid[i] == u'#');
    }
}

void CheckKeyPath(const std::u16string& name, int selector, size_t pathChars)
{
    static const char16_t* const kSuffixes[devid::kSelectorCount] = {u"", u"#",
                                                                     u"#\x01"
                                                                     u"Control",
                                                                     u"#\x01"
                                                                     u"Device Parameters",
                                                                     u"#\x01"
                                                                     u"Device Parameters"};
    auto exactName = fuzz::ExactCopy<WCHAR>(name.data(), name.size());
    auto path = fuzz::Exact<WCHAR>(pathChars == 0 ? 1 : pathChars, u'#');
    bool ok = devid::ComposeKeyPath(exactName.get(), name.size(), selector, path.get(), pathChars);

    std::u16string expected;
    bool valid = selector >= 0 && selector < devid::kSelectorCount && !name.empty() &&
                 name.size() < devid::kMaxKeyNameChars && name.find(char16_t(0)) == std::u16string::npos;
    if (valid) {
        // name NUL suffix-names-each-followed-by-NUL NUL
        expected = name + char16_t(0);
        std::u16string suffix = kSuffixes[selector];
        if (!suffix.empty()) {
            for (char16_t& c : suffix)
                if (c == 1) c = 0;
            expected += suffix + char16_t(0);
        }
        expected += char16_t(0);
        valid = expected.size() <= pathChars;
    }
    FUZZ_CHECK(ok == valid);
    if (ok)
        FUZZ_CHECK(std::u16string(path.get(), expected.size()) == expected);
    else if (pathChars > 0)
        FUZZ_CHECK(path[0] == 0);
}

void CheckPortName(const std::u16string& chars, size_t capacity)
{
    std::u16string text = chars.substr(0, std::min(chars.find(char16_t(0)), chars.size()));
    // Leading blanks and tabs, a sign, then digits; the value saturates.
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        if (value > 2147483647LL) value = 2147483647LL;
    }
    char formatted[32];
    std::snprintf(formatted, sizeof formatted, "USB%03lld", negative ? -value : value);
    std::u16string expected(formatted, formatted + std::strlen(formatted));

    auto input = fuzz::Exact<WCHAR>(text.size() + 1, 0);
    std::copy(text.begin(), text.end(), input.get());
    auto out = fuzz::Exact<WCHAR>(capacity == 0 ? 1 : capacity, u'#');
    bool ok = devid::FormatUsbPortName(input.get(), out.get(), capacity);
    FUZZ_CHECK(ok == (expected.size() < capacity));
    if (ok)
        FUZZ_CHECK(std::u16string(out.get()) == expected);
    else if (capacity > 0)
        FUZZ_CHECK(out[0] == 0);

    FUZZ_CHECK(devid::IsLinkedText(input.get()) == (text == u"1"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::StrictMachine strict;
    fuzz::Input in(data, size);
    uint8_t flags = in.Byte();
    size_t capacity = in.Byte();
    std::u16string chars = in.RestUtf16();
    CheckVidPid(chars, (flags & 1) != 0, capacity);
    CheckKeyPath(chars, ((flags >> 1) & 7) - 1, capacity + (flags & 0x10 ? 256 : 0));
    CheckPortName(chars, capacity & 0x1F);
    return 0;
}

#include "detect/DeviceIdText.h"

#include "platform/kernel.h"

namespace devid {

namespace {

size_t BoundedLength(const WCHAR* text, size_t maxChars)
{
    size_t n = 0;
    if (text)
        while (n < maxChars && text[n]) ++n;
    return n;
}

WCHAR UpperAscii(WCHAR c) { return (c >= 'a' && c <= 'z') ? static_cast<WCHAR>(c - 32) : c; }

// Index of the first occurrence of the 4-character mark in text[0, length), or length.
size_t FindMark(const WCHAR* text, size_t length, const WCHAR* mark)
{
    for (size_t i = 0; i + 4 <= length; ++i)
        if (text[i] == mark[0] && text[i + 1] == mark[1] && text[i + 2] == mark[2] && text[i + 3] == mark[3]) return i;
    return length;
}

// The characters of each selector's subkeys, each name followed by NUL, and the
// final NUL that ends the path.
struct Suffix {
    const WCHAR* chars;
    size_t length;
};
const WCHAR kSuffix0[] = {0};
const WCHAR kSuffix1[] = {'#', 0, 0};
const WCHAR kSuffix2[] = {'#', 0, 'C', 'o', 'n', 't', 'r', 'o', 'l', 0, 0};
const WCHAR kSuffix34[] = {'#', 0,   'D', 'e', 'v', 'i', 'c', 'e', ' ', 'P', 'a',
                           'r', 'a', 'm', 'e', 't', 'e', 'r', 's', 0,   0};
const Suffix kSuffixes[kSelectorCount] = {
    {kSuffix0, sizeof(kSuffix0) / sizeof(WCHAR)},   {kSuffix1, sizeof(kSuffix1) / sizeof(WCHAR)},
    {kSuffix2, sizeof(kSuffix2) / sizeof(WCHAR)},   {kSuffix34, sizeof(kSuffix34) / sizeof(WCHAR)},
    {kSuffix34, sizeof(kSuffix34) / sizeof(WCHAR)},
};

}  // namespace

bool ParseVidPid(const WCHAR* text, size_t textChars, WCHAR* vid, WCHAR* pid)
{
    if (!text || !vid || !pid) return false;
    size_t length = BoundedLength(text, textChars);
    if (length >= kPathChars) return false;
    WCHAR upper[kPathChars];
    for (size_t i = 0; i < length; ++i) upper[i] = UpperAscii(text[i]);

    const WCHAR vidMark[] = {'V', 'I', 'D', '_'};
    const WCHAR pidMark[] = {'P', 'I', 'D', '_'};
    size_t v = FindMark(upper, length, vidMark);
    size_t p = FindMark(upper, length, pidMark);
    if (v == length || p == length) return false;

    auto take = [&](size_t at, WCHAR* out) {
        size_t start = at + 4, n = 0;
        while (n < kVidPidChars && start + n < length) {
            out[n] = upper[start + n];
            ++n;
        }
        out[n] = 0;
    };
    take(v, vid);
    take(p, pid);
    return true;
}

bool IsLinkedText(const WCHAR* text) { return text && text[0] == '1' && text[1] == 0; }

bool FormatUsbPortName(const WCHAR* portNumberText, WCHAR* out, size_t capacity)
{
    int number = text::ParseLeadingInt(portNumberText);
    return text::FormatInto(out, capacity, TEXT("USB%03d"), number) == text::kOk;
}

const WCHAR* InterfaceValueName(int selector)
{
    switch (selector) {
    case kDeviceInstance: return TEXT("DeviceInstance");
    case kSymbolicLink: return TEXT("SymbolicLink");
    case kLinked: return TEXT("Linked");
    case kPortDescription: return TEXT("Port Description");
    case kPortNumber: return TEXT("Port Number");
    default: return nullptr;
    }
}

bool ComposeKeyPath(const WCHAR* keyName, size_t nameChars, int selector, WCHAR* path, size_t pathChars)
{
    if (!path || pathChars == 0) return false;
    path[0] = 0;
    if (!keyName || selector < 0 || selector >= kSelectorCount) return false;
    if (nameChars == 0 || nameChars >= kMaxKeyNameChars) return false;
    if (BoundedLength(keyName, nameChars) != nameChars) return false;  // a NUL inside the name
    const Suffix& suffix = kSuffixes[selector];
    if (nameChars + 1 + suffix.length > pathChars) return false;
    for (size_t i = 0; i < nameChars; ++i) path[i] = keyName[i];
    path[nameChars] = 0;
    for (size_t i = 0; i < suffix.length; ++i) path[nameChars + 1 + i] = suffix.chars[i];
    return true;
}

WString DeviceIdText(const BYTE* buffer, size_t bufferBytes, size_t returned)
{
    if (!buffer) return WString();
    size_t end = returned < bufferBytes ? returned : bufferBytes;
    if (end < 3) return WString();
    size_t length = 0;
    while (2 + length < end && buffer[2 + length]) ++length;
    if (length == 0) return WString();

    const CHAR* bytes = reinterpret_cast<const CHAR*>(buffer + 2);
    int chars = ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), nullptr, 0);
    if (chars <= 0) return WString();
    WString text(static_cast<size_t>(chars), 0);
    chars = ::MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(length), &text[0], chars);
    if (chars <= 0) return WString();
    text.resize(static_cast<size_t>(chars));
    return text;
}

WString ModelFromIdText(const WCHAR* text, size_t chars)
{
    if (!text) return WString();
    const WCHAR mark[] = {'M', 'D', 'L', ':'};
    size_t at = FindMark(text, chars, mark);
    if (at == chars) return WString();
    size_t start = at + 4;
    for (size_t i = start; i < chars; ++i)
        if (text[i] == ';') return WString(text + start, i - start);
    return WString();
}

WString ModelFromDeviceId(const BYTE* buffer, size_t bufferBytes, size_t returned)
{
    WString text = DeviceIdText(buffer, bufferBytes, returned);
    return ModelFromIdText(text.data(), text.size());
}

}  // namespace devid

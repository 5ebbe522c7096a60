// The text side of printer detection: vendor and product IDs from a device path or
// device instance ID, the model from the bytes of an IEEE 1284 device ID, the USB
// port name and the registry key paths of a printing interface. Plain functions over
// caller-supplied buffers: no device and no registry needed, and every length is
// given, so none of them reads past what it was handed.
#pragma once

#include <cstddef>

#include "platform/text.h"
#include "platform/types.h"

namespace devid {

// Characters of a VID or a PID; their buffers hold one more for the NUL.
constexpr size_t kVidPidChars = 4;
// A device path or device instance ID is handled in a buffer of this many
// characters: a text of this length or longer never yields a VID and PID.
constexpr size_t kPathChars = 260;
// The key-path buffer handed to the registry walk (names, NULs and the final NUL).
constexpr size_t kKeyPathChars = 256;
// Interface key names must be shorter than this.
constexpr size_t kMaxKeyNameChars = 244;
// The device-ID buffer the model detection reads into.
constexpr size_t kDeviceIdBytes = 1024;

// The interface values, by selector (0 to 4).
enum InterfaceValue {
    kDeviceInstance = 0,   // the interface key itself
    kSymbolicLink = 1,     // "#"
    kLinked = 2,           // "#\Control"
    kPortDescription = 3,  // "#\Device Parameters"
    kPortNumber = 4,       // "#\Device Parameters"
};
constexpr int kSelectorCount = 5;

// Upper-cases the text (ASCII letters) and takes the at most four characters after
// the first "VID_" and after the first "PID_", each searched from the start of the
// text. At most textChars characters are read; the text ends earlier at a NUL.
// vid and pid receive NUL-terminated texts (kVidPidChars + 1 characters each) and
// are left alone on false: the text is kPathChars long or longer, or lacks a mark.
bool ParseVidPid(const WCHAR* text, size_t textChars, WCHAR* vid, WCHAR* pid);

// Whether a "Linked" value text says the interface is linked: exactly "1".
bool IsLinkedText(const WCHAR* text);

// "USB%03d" of the leading decimal number of a "Port Number" text (a text without
// digits counts as 0): USB001, USB012, USB1000. False, with out emptied, when the
// name does not fit.
bool FormatUsbPortName(const WCHAR* portNumberText, WCHAR* out, size_t capacity);

// The name of the value a selector reads, or null for an unknown selector.
const WCHAR* InterfaceValueName(int selector);

// Composes the key path of a selector beneath an interface key: the key name, NUL,
// then the subkey names of the selector, each followed by NUL, and a final NUL.
// keyName holds nameChars characters (no NUL needed). False, with nothing usable in
// path, when the name is empty, not shorter than kMaxKeyNameChars, holds a NUL, or
// does not fit pathChars together with the selector's subkeys.
bool ComposeKeyPath(const WCHAR* keyName, size_t nameChars, int selector, WCHAR* path, size_t pathChars);

// The ID text of a device ID as the device answered it: the bytes after the two
// length bytes, up to `returned` (never beyond bufferBytes) and the first NUL,
// turned into text through the system's ANSI code page.
WString DeviceIdText(const BYTE* buffer, size_t bufferBytes, size_t returned);

// The text between the first "MDL:" and the first ";" after it; empty when either
// is missing.
WString ModelFromIdText(const WCHAR* text, size_t chars);

// ModelFromIdText of DeviceIdText.
WString ModelFromDeviceId(const BYTE* buffer, size_t bufferBytes, size_t returned);

}  // namespace devid

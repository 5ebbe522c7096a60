// The printer-UI command lines as the product composes them, for tests that check
// which command ran without pinning its text again (tests/installer/printui_command_lines_test.cpp pins it).
#pragma once

#include <string>

#include "installer/printui_command_lines.h"
#include "platform/text.h"

// The install command for these values, in UTF-8; "<refused>" when the product refuses it.
inline std::string InstallCommand(const char16_t* printer, const char16_t* inf, const char16_t* port,
                                  bool quiet = false)
{
    WCHAR out[printui::kCommandCapacity];
    if (!printui::ComposeInstallCommand(out, printui::kCommandCapacity, printer, inf, port, quiet)) return "<refused>";
    return text::ToUtf8(out, text::Length(out));
}

// The set-default command for this printer, in UTF-8.
inline std::string SetDefaultCommand(const char16_t* printer)
{
    WCHAR out[printui::kCommandCapacity];
    if (!printui::ComposeSetDefaultCommand(out, printui::kCommandCapacity, printer)) return "<refused>";
    return text::ToUtf8(out, text::Length(out));
}

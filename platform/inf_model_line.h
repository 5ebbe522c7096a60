// A model line of a driver INF's models section as the system's INF parser reads it:
//     "model name" = install-section[,hardware-id[,compatible-id...]]
// with blanks (spaces and tabs) around the pieces dropped and the name's letter case
// kept (callers compare names as the system does, case aside). The simulated
// printer-UI entry and driver update and the printer-UI stand-in for Wine read model
// lines through it. Header-only, so that the stand-in takes it without the platform.
#pragma once

#include "platform/text.h"

namespace inf {

struct ModelLine {
    WString model;               // between the quotation marks; never empty
    bool hasHardwareId = false;  // a comma follows the install section
    WString hardwareId;          // the field after that comma, blanks around it dropped
};

// False, and `out` unchanged, when the line is not a model line: it must begin
// (after blanks) with a quoted name of at least one character, followed (after
// blanks) by an equals sign.
inline bool ParseModelLine(const WString& line, ModelLine& out)
{
    static const WCHAR kBlanks[] = {' ', '\t', 0};
    const size_t open = line.find_first_not_of(kBlanks);
    if (open == WString::npos || line[open] != '"') return false;
    const size_t close = line.find('"', open + 1);
    if (close == WString::npos || close == open + 1) return false;
    const size_t equals = line.find_first_not_of(kBlanks, close + 1);
    if (equals == WString::npos || line[equals] != '=') return false;

    out.model = line.substr(open + 1, close - open - 1);
    out.hardwareId.clear();
    const size_t first = line.find(',', equals);
    out.hasHardwareId = first != WString::npos;
    if (out.hasHardwareId) {
        const size_t second = line.find(',', first + 1);
        const WString field = line.substr(first + 1, second == WString::npos ? WString::npos : second - first - 1);
        const size_t begin = field.find_first_not_of(kBlanks);
        if (begin != WString::npos) out.hardwareId = field.substr(begin, field.find_last_not_of(kBlanks) - begin + 1);
    }
    return true;
}

}  // namespace inf

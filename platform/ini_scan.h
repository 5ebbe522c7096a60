// The text of a profile (INI) file as the profile functions read it, with the line
// each part stands on. One scanner for every reader: the simulated profile functions
// answer from it, and the medium checker finds the lines of its findings with it.
//
// - Lines end at CR LF, LF or CR; they are numbered from 1, each ending counting once.
// - Blanks (tab to CR, ^Z and space) around a line are dropped; blank lines are skipped.
// - A line whose first character is ';' is a comment. There are no trailing comments:
//   "a=b ;c" has the value "b ;c", and '#' starts nothing.
// - "[name]" starts a section: the text after the last ']' is ignored, blanks inside
//   the brackets are dropped. A '[' line without a later ']' is an ordinary line.
// - Lines before the first section header belong to no section and are left out.
// - Any other line is an entry: "name=value" split at the first '=', blanks around the
//   name and before the value dropped; or a line without '=', which has no value.
// - A name or value ends at an embedded NUL, as the functions' NUL-terminated copies
//   see it.
// - Names match without regard to letter case (SameName); the first section of a name
//   and, within it, the first entry of a name are the ones the functions read.
#pragma once

#include <string>
#include <vector>

#include "platform/text.h"

namespace ini {

struct Entry {
    int line = 0;
    WString name;  // before the first '='; the whole line when it has none
    bool hasValue = false;
    WString value;
};

struct Section {
    int line = 0;
    WString name;
    std::vector<Entry> entries;
};

std::vector<Section> Scan(const WString& text);

// The text of a file that begins with the UTF-16LE byte-order mark FF FE (an odd last
// byte is dropped). False, with nothing written, for any other file: its bytes are
// text in the ANSI code page, which the caller converts.
bool DecodeMarkedUtf16(const std::string& bytes, WString* text);

bool IsBlank(WCHAR c);
WString Trim(const WString& s);
// Equal without regard to the letter case of the scripts a catalogue may use
// (text::EqualIgnoringCase).
bool SameName(const WString& a, const WString& b);

// The first section of the name, and the first entry of the name in a section (with a
// value or not); null when there is none.
const Section* FindSection(const std::vector<Section>& sections, const WString& name);
const Entry* FindEntry(const Section& section, const WString& name);

}  // namespace ini

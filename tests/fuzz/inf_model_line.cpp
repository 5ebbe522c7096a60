// The driver INF's model lines as the Plug and Play road reads them: the "Korvel" to
// "KORVEL" spelling of the quoted name, the match and acceptance of one line with its
// hardware ID, and FindHardwareId over a whole INF of any bytes, whose ID must land in
// the caller's 1024-byte buffer and nowhere else. Every line also goes through the
// system's reading of model lines (name, hardware ID, blanks dropped).
//
// Input: byte 0 picks how the match length relates to the quoted name's length (bits
// 0-1: equal, shorter, longer, or any) and byte 1 by how much; the printer name follows,
// one character per byte, up to the first line feed; the rest is the INF.
#include <algorithm>
#include <cstring>

#include "installer/PrinterInstaller.h"
#include "installer/inf_model_match.h"
#include "platform/inf_model_line.h"
#include "platform/sim/control/machine.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const WCHAR kInf[] = u"D:\\Setup\\PrinterDriver\\24pin\\OEMPRINT.INF";

std::u16string ExpectedModelName(const std::u16string& quoted)
{
    std::u16string s = quoted;
    for (size_t at = s.find(u"Korvel"); at != std::u16string::npos; at = s.find(u"Korvel", at + 6))
        s.replace(at, 6, u"KORVEL");
    return s;
}

// The rule for one line, written out plainly. The line and match text are as the
// caller hands them: NUL-terminated, read only up to their NULs.
bool ExpectedAccept(const std::u16string& line, const std::u16string& match, int matchLength, std::u16string* id)
{
    for (int i = 0; i < matchLength; ++i) {
        char16_t a = static_cast<size_t>(i) < line.size() ? line[i] : 0;
        char16_t b = static_cast<size_t>(i) < match.size() ? match[i] : 0;
        if (a != b) return false;
        if (a == 0) break;
    }
    size_t first = line.find(u',');
    if (first == std::u16string::npos) return false;
    if (line.find(u"USB", first + 1) == std::u16string::npos) return false;
    size_t second = line.find(u',', first + 1);
    size_t length = second == std::u16string::npos ? 0 : second - first - 1;
    if (length >= inf_model_match::kHardwareIdBytes) return false;
    *id = line.substr(first + 1, length);
    return true;
}

// The system's reading of one line, written out plainly: blanks, a quoted name of
// one character or more, blanks, '='; the ID is the field after the next comma.
bool ExpectedModelLine(const std::u16string& line, inf::ModelLine* out)
{
    auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    size_t i = 0;
    while (i < line.size() && blank(line[i])) ++i;
    if (i == line.size() || line[i] != u'"') return false;
    std::u16string model;
    for (++i; i < line.size() && line[i] != u'"'; ++i) model += line[i];
    if (i == line.size() || model.empty()) return false;
    for (++i; i < line.size() && blank(line[i]); ++i) {}
    if (i == line.size() || line[i] != u'=') return false;
    out->model = model;
    out->hasHardwareId = false;
    out->hardwareId.clear();
    for (; i < line.size() && !out->hasHardwareId; ++i) out->hasHardwareId = line[i] == u',';
    std::u16string field;
    for (; out->hasHardwareId && i < line.size() && line[i] != u','; ++i) field += line[i];
    while (!field.empty() && blank(field.back())) field.pop_back();
    size_t lead = 0;
    while (lead < field.size() && blank(field[lead])) ++lead;
    out->hardwareId = field.substr(lead);
    return true;
}

std::u16string UpToNul(const std::u16string& s) { return s.substr(0, std::min(s.find(char16_t(0)), s.size())); }

// The lines of a text file as the program's file reader gives them: one character per
// byte, ending at a line feed, without one carriage return before it.
std::vector<std::u16string> Lines(const std::vector<uint8_t>& bytes)
{
    std::vector<std::u16string> lines;
    std::u16string line;
    bool any = false;
    for (uint8_t b : bytes) {
        any = true;
        if (b == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
            any = false;
        } else {
            line += static_cast<char16_t>(b);
        }
    }
    if (any) lines.push_back(line);
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    sim::SetModulePath(u"D:\\Setup\\KorvelSetup.exe");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::StrictMachine strict;
    fuzz::Input in(data, size);
    uint8_t mode = in.Byte();
    int shift = in.Byte();
    std::vector<uint8_t> rest = in.Rest();
    auto newline = std::find(rest.begin(), rest.end(), '\n');
    std::u16string name(rest.begin(), newline);
    std::vector<uint8_t> inf(newline == rest.end() ? rest.end() : newline + 1, rest.end());

    std::u16string quoted = u"\"" + name + u"\"";
    int quotedLength = static_cast<int>(quoted.size());
    int matchLength = (mode & 3) == 0   ? quotedLength
                      : (mode & 3) == 1 ? std::max(0, quotedLength - shift)
                      : (mode & 3) == 2 ? quotedLength + shift
                                        : shift;

    // The spelling of the maker's name: same length, every "Korvel" upper case.
    auto exactQuoted = fuzz::Exact<WCHAR>(quoted.size() + 1, 0);
    std::copy(quoted.begin(), quoted.end(), exactQuoted.get());
    WString match = inf_model_match::MatchText(exactQuoted.get());
    FUZZ_CHECK(match == ExpectedModelName(UpToNul(quoted)));

    // Line by line, each line and the match text in buffers of exactly their size.
    std::vector<std::u16string> lines = Lines(inf);
    bool anyAccepted = false;
    std::u16string firstId;
    auto exactMatch = fuzz::Exact<WCHAR>(match.size() + 1, 0);
    std::copy(match.begin(), match.end(), exactMatch.get());
    for (const std::u16string& line : lines) {
        auto exactLine = fuzz::Exact<WCHAR>(line.size() + 1, 0);
        std::copy(line.begin(), line.end(), exactLine.get());
        WString id = u"(unset)";
        std::u16string expectedId;
        bool expected = ExpectedAccept(UpToNul(line), match, matchLength, &expectedId);
        bool accepted = inf_model_match::Accept(exactLine.get(), exactMatch.get(), matchLength, id);
        FUZZ_CHECK(accepted == expected);
        if (accepted) FUZZ_CHECK(id == expectedId);
        inf::ModelLine parsed, expectedLine;
        bool isModelLine = ExpectedModelLine(line, &expectedLine);
        FUZZ_CHECK(inf::ParseModelLine(line, parsed) == isModelLine);
        if (isModelLine)
            FUZZ_CHECK(parsed.model == expectedLine.model && parsed.hasHardwareId == expectedLine.hasHardwareId &&
                       parsed.hardwareId == expectedLine.hardwareId);
        if (accepted && !anyAccepted) {
            anyAccepted = true;
            firstId = expectedId;
        }
    }

    // The whole INF: the first accepted line's ID, one byte per character, in a buffer
    // of exactly 1024 bytes whose zero filling ends it.
    sim::SetMemoryFile(kInf, std::string(inf.begin(), inf.end()));
    CPrinterInstaller installer;
    auto buffer = fuzz::Exact<BYTE>(inf_model_match::kHardwareIdBytes, 0);
    int found = installer.FindHardwareId(kInf, CString(quoted.c_str(), quotedLength), matchLength, buffer.get());
    FUZZ_CHECK(found == (anyAccepted ? 1 : 0));
    for (size_t i = 0; i < inf_model_match::kHardwareIdBytes; ++i) {
        BYTE expected = (found && i < firstId.size()) ? static_cast<BYTE>(firstId[i] & 0xFF) : 0;
        FUZZ_CHECK(buffer[i] == expected);
    }
    FUZZ_CHECK(sim::OpenHandleCount("file") == 0);
    return 0;
}

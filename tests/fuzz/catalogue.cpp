// The printer catalogue as the wizard reads it: the machine's profile readers
// (GetPrivateProfileSectionW, GetPrivateProfileStringW) on a file of any bytes, and the
// installer's readers and lookups on top of them.
//
// Contracts checked, for every section and key the file holds and for buffers of every
// size around the text's length (each buffer exactly as large as announced, so ASan
// sees any access outside it):
//   section listing: the count of characters before the final NUL, every line with its
//     NUL, in the same order whatever the buffer; a listing that does not fit is cut,
//     ends in two NULs and counts capacity - 2;
//   value: cut to capacity - 1 characters, NUL-terminated, its length returned; names
//     match without regard to letter case;
//   ReadSection / ReadValue refuse what did not fit (or might not have);
//   the list lookups append whole sections or nothing, FindSeriesOfModel reports the
//   first series that lists a model and leaves its output alone otherwise;
//   the INI scan (platform/ini_scan.h), which the medium checker reads line numbers
//   from: its lines are numbered in order within the file, and each section a lookup
//   finds lists exactly the scan's entries, one for one, so a listing's n-th line is
//   the scan's n-th entry; the medium checker itself runs on the catalogue and names
//   only lines the file has.
//
// Input: byte 0 picks the ANSI code page (low 2 bits); byte 1 and byte 2 shift the
// buffer sizes tried around each listing's and value's length; the rest is the file.
#include <algorithm>

#include "installer/PrinterInstaller.h"
#include "installer/catalogue.h"
#include "platform/ini_scan.h"
#include "platform/kernel.h"
#include "platform/sim/control/machine.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/medium_check/medium_check.h"

namespace {

const UINT kCodePages[4] = {936, 1252, CP_UTF8, 932};
const WCHAR kFile[] = u"D:\\Setup\\PrinterInfor.Inf";
constexpr DWORD kLarge = 8192;    // more than any file of the fuzzer's 4096 bytes can fill
constexpr size_t kMaxNames = 12;  // sections, series and models looked at per input
constexpr size_t kMaxKeys = 6;    // keys looked at per section

std::u16string ToU16(const WCHAR* s, size_t n) { return std::u16string(s, n); }

// The buffer for whole listings and values, filled anew before each use.
WCHAR* LargeBuffer()
{
    static const std::unique_ptr<WCHAR[]> pattern = fuzz::Exact<WCHAR>(kLarge, u'#');
    static const std::unique_ptr<WCHAR[]> buffer = fuzz::Exact<WCHAR>(kLarge, u'#');
    std::memcpy(buffer.get(), pattern.get(), kLarge * sizeof(WCHAR));
    return buffer.get();
}

// The lines of a listing: the NUL-terminated strings among the first `count` characters.
std::vector<std::u16string> Lines(const WCHAR* buffer, DWORD count)
{
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (size_t i = 0; i < count; ++i)
        if (buffer[i] == 0) {
            lines.push_back(ToU16(buffer + start, i - start));
            start = i + 1;
        }
    FUZZ_CHECK(start == count);  // the count ends with a line's NUL
    return lines;
}

std::u16string FlipAsciiCase(std::u16string s)
{
    for (char16_t& c : s)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c ^= 0x20;
    return s;
}

// A whole listing of a section, through a buffer large enough for any of them.
std::u16string FullSection(const std::u16string& section, DWORD* count)
{
    WCHAR* big = LargeBuffer();
    DWORD n = ::GetPrivateProfileSectionW(section.c_str(), big, kLarge, kFile);
    FUZZ_CHECK(n < kLarge - 2);
    FUZZ_CHECK(big[n] == 0);
    if (n > 0) FUZZ_CHECK(big[n - 1] == 0);
    *count = n;
    return ToU16(big, n);
}

void CheckSectionBuffer(const std::u16string& section, const std::u16string& full, DWORD capacity)
{
    DWORD total = static_cast<DWORD>(full.size());
    auto buffer = fuzz::Exact<WCHAR>(capacity, u'#');
    DWORD n = ::GetPrivateProfileSectionW(section.c_str(), buffer.get(), capacity, kFile);
    if (total == 0) {
        FUZZ_CHECK(n == 0);
        FUZZ_CHECK(buffer[0] == 0);
    } else if (capacity >= 2 && total < capacity - 2) {
        FUZZ_CHECK(n == total);
        FUZZ_CHECK(ToU16(buffer.get(), n) == full);
        FUZZ_CHECK(buffer[n] == 0);
    } else {
        // Cut: the buffer still holds a list that ends in an empty line inside it; its
        // lines are the section's first ones, the last of them perhaps cut short.
        FUZZ_CHECK(n == (capacity >= 2 ? capacity - 2 : 0));
        std::vector<std::u16string> fullLines = Lines(full.data(), total);
        size_t pos = 0, index = 0;
        while (pos < capacity && buffer[pos] != 0) {
            size_t end = pos;
            while (end < capacity && buffer[end] != 0) ++end;
            FUZZ_CHECK(end < capacity);
            FUZZ_CHECK(index < fullLines.size());
            std::u16string line = ToU16(buffer.get() + pos, end - pos);
            FUZZ_CHECK(fullLines[index].compare(0, line.size(), line) == 0);
            if (line.size() < fullLines[index].size()) FUZZ_CHECK(end + 1 < capacity && buffer[end + 1] == 0);
            ++index;
            pos = end + 1;
        }
        FUZZ_CHECK(pos < capacity);
    }

    CPrinterInstaller installer;
    auto again = fuzz::Exact<WCHAR>(capacity, u'#');
    int read = installer.ReadSection(section.c_str(), kFile, again.get(), static_cast<int>(capacity));
    FUZZ_CHECK(read == ((total > 0 && capacity > 2 && total < capacity - 2) ? static_cast<int>(total) : 0));
}

// The whole value of a key, through a buffer large enough for any of them.
std::u16string FullValue(const std::u16string& section, const std::u16string& key)
{
    WCHAR* big = LargeBuffer();
    DWORD n = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), nullptr, big, kLarge, kFile);
    FUZZ_CHECK(n < kLarge - 1);
    FUZZ_CHECK(big[n] == 0);
    return ToU16(big, n);
}

void CheckValueBuffer(const std::u16string& section, const std::u16string& key, const std::u16string& value,
                      DWORD capacity)
{
    auto buffer = fuzz::Exact<WCHAR>(capacity, u'#');
    DWORD n = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), nullptr, buffer.get(), capacity, kFile);
    DWORD expected = std::min<DWORD>(static_cast<DWORD>(value.size()), capacity - 1);
    FUZZ_CHECK(n == expected);
    FUZZ_CHECK(ToU16(buffer.get(), n) == value.substr(0, n));
    FUZZ_CHECK(buffer[n] == 0);

    CPrinterInstaller installer;
    auto again = fuzz::Exact<WCHAR>(capacity, u'#');
    int accepted = installer.ReadValue(section.c_str(), key.c_str(), kFile, again.get(), static_cast<int>(capacity));
    bool whole = !value.empty() && capacity > 2 && value.size() < capacity - 2;
    FUZZ_CHECK(accepted == (whole ? 1 : 0));
    if (accepted) FUZZ_CHECK(std::u16string(again.get()) == value);
}

DWORD Around(size_t length, int shift)
{
    long long c = static_cast<long long>(length) + shift;
    return static_cast<DWORD>(std::max<long long>(1, c));
}

// What a list lookup must give for a section: its lines, when they fit the 2048-character
// buffer and none is longer than 255 characters; otherwise nothing.
bool ExpectedList(const std::u16string& section, std::vector<std::u16string>* lines)
{
    DWORD total = 0;
    std::u16string full = FullSection(section, &total);
    *lines = Lines(full.data(), total);
    if (total == 0 || total >= catalogue::kSectionCapacity - 2) return false;
    for (const std::u16string& line : *lines)
        if (line.size() >= catalogue::kEntryCapacity) return false;
    return true;
}

void CheckList(const std::u16string& section, int result, const CStringList& list,
               const std::vector<std::u16string>& lines, bool expected)
{
    FUZZ_CHECK(result == (expected ? 1 : 0));
    FUZZ_CHECK(list.size() == 1 + (expected ? lines.size() : 0));
    FUZZ_CHECK(list.front() == TEXT("(earlier)"));  // appended to, never cleared
    auto it = std::next(list.begin());
    for (size_t i = 0; expected && i < lines.size(); ++i, ++it) FUZZ_CHECK(it->Str() == lines[i]);
    (void)section;
}

void CheckLookups(CPrinterInstaller& installer)
{
    std::vector<std::u16string> seriesLines;
    bool seriesOk = ExpectedList(u"PRINTER_SERIES", &seriesLines);
    CStringList series{CString(TEXT("(earlier)"))};
    CheckList(u"PRINTER_SERIES", installer.GetSeriesList(series), series, seriesLines, seriesOk);
    series.pop_front();

    // Each series' models, and for each model the series FindSeriesOfModel must name.
    std::vector<std::pair<std::u16string, std::u16string>> firstSeriesOf;  // model, series
    size_t looked = 0;
    for (const CString& s : series) {
        if (++looked > kMaxNames) break;
        std::vector<std::u16string> modelLines;
        bool modelsOk = ExpectedList(s.Str(), &modelLines);
        CStringList models{CString(TEXT("(earlier)"))};
        CheckList(s.Str(), installer.GetSeriesModels(s, models), models, modelLines, modelsOk);
        if (!modelsOk) continue;
        for (const std::u16string& m : modelLines) {
            bool known =
                std::any_of(firstSeriesOf.begin(), firstSeriesOf.end(), [&](const auto& p) { return p.first == m; });
            if (!known) firstSeriesOf.emplace_back(m, s.Str());
        }
    }
    bool allSeriesLooked = looked <= kMaxNames;
    size_t checked = 0;
    for (const auto& [model, owner] : firstSeriesOf) {
        if (++checked > kMaxNames) break;
        CString found(TEXT("(unchanged)"));
        int r = installer.FindSeriesOfModel(found, CString(model));
        FUZZ_CHECK(r == 1);
        // The search may stop in a series not looked at here only when the model is
        // listed there first; with every series looked at, the owner is certain.
        if (allSeriesLooked) FUZZ_CHECK(found.Str() == owner);
        // Case and blanks count: another spelling is another model.
        std::u16string other = FlipAsciiCase(model) + u" ";
        bool otherListed =
            std::any_of(firstSeriesOf.begin(), firstSeriesOf.end(), [&](const auto& p) { return p.first == other; });
        if (!otherListed && allSeriesLooked && checked <= 3) {
            CString untouched(TEXT("(unchanged)"));
            FUZZ_CHECK(installer.FindSeriesOfModel(untouched, CString(other)) == 0);
            FUZZ_CHECK(untouched == TEXT("(unchanged)"));
        }

        // The keyed look-ups of this model: its printer name, and that name's type.
        WCHAR name[260];
        int named = installer.GetPrinterDisplayName(model.c_str(), name, 260);
        std::u16string fullName = model.empty() ? u"" : FullValue(u"PRINTER_NAME", model);
        FUZZ_CHECK(named == ((!fullName.empty() && fullName.size() < 258) ? 1 : 0));
        if (named) FUZZ_CHECK(std::u16string(name) == fullName);
        if (!named) continue;
        std::u16string type = FullValue(u"PRINTER_TYPE", fullName);
        int expectedType = type == u"24" ? 1 : type == u"9" ? 2 : -1;
        FUZZ_CHECK(installer.GetPrinterType(name) == expectedType);
    }
}

// The file's text as the profile functions read it.
std::u16string Decoded(const std::string& bytes)
{
    std::u16string text;
    if (ini::DecodeMarkedUtf16(bytes, &text) || bytes.empty()) return text;
    int chars = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    FUZZ_CHECK(chars > 0);
    text.resize(static_cast<size_t>(chars));
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], chars);
    return text;
}

// Lines of the text: CR LF ends one, and so does a CR or an LF alone.
int LineCount(const std::u16string& text)
{
    int lines = 1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        if (text[i] == '\r' || text[i] == '\n') ++lines;
    }
    return lines;
}

void CheckScan(const std::u16string& text)
{
    std::vector<ini::Section> sections = ini::Scan(text);
    int lines = LineCount(text), last = 0;
    size_t looked = 0;
    for (const ini::Section& section : sections) {
        FUZZ_CHECK(section.line > last && section.line <= lines);
        last = section.line;
        for (const ini::Entry& entry : section.entries) {
            FUZZ_CHECK(entry.line > last && entry.line <= lines);
            last = entry.line;
        }
        if (ini::FindSection(sections, section.name) != &section || ++looked > kMaxNames) continue;
        std::vector<std::u16string> listed;
        for (const ini::Entry& e : section.entries)
            if (!e.name.empty() || e.hasValue) listed.push_back(e.hasValue ? e.name + u"=" + e.value : e.name);
        DWORD total = 0;
        std::u16string full = FullSection(section.name, &total);
        FUZZ_CHECK(Lines(full.data(), total) == listed);
    }
}

void CheckMediumChecker(const std::u16string& text)
{
    int lines = LineCount(text);
    for (const medium_check::Finding& f : medium_check::CheckMedium(u"D:\\Setup\\", '/')) {
        FUZZ_CHECK(!f.message.empty());
        FUZZ_CHECK(f.line >= 0);
        if (f.file == "PrinterInfor.Inf") FUZZ_CHECK(f.line <= lines);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The catalogue lives in memory (sim::SetMemoryFile), beside the program's path.
    sim::SetModulePath(u"D:\\Setup\\KorvelSetup.exe");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::StrictMachine strict;
    fuzz::Input in(data, size);
    sim::SetCodePage(kCodePages[in.Byte() & 3]);
    int sectionShift = static_cast<int8_t>(in.Byte());
    int valueShift = static_cast<int8_t>(in.Byte());
    std::vector<uint8_t> bytes = in.Rest();
    if (bytes.size() > 4096) return 0;  // the whole-text buffers are sized for this much
    sim::SetMemoryFile(kFile, std::string(bytes.begin(), bytes.end()));

    // Every section the file names, and the three the wizard asks for by name.
    WCHAR* names = LargeBuffer();
    DWORD count = ::GetPrivateProfileStringW(nullptr, nullptr, nullptr, names, kLarge, kFile);
    FUZZ_CHECK(count < kLarge - 2);
    std::vector<std::u16string> sections = Lines(names, count);
    if (sections.size() > kMaxNames) sections.resize(kMaxNames);
    sections.push_back(u"PRINTER_SERIES");
    sections.push_back(u"PRINTER_NAME");
    sections.push_back(u"PRINTER_TYPE");

    for (const std::u16string& section : sections) {
        DWORD total = 0;
        std::u16string full = FullSection(section, &total);
        std::vector<std::u16string> lines = Lines(full.data(), total);
        CheckSectionBuffer(section, full, Around(total, sectionShift));
        // Names match without regard to letter case.
        DWORD flippedTotal = 0;
        FUZZ_CHECK(FullSection(FlipAsciiCase(section), &flippedTotal) == full);

        size_t keys = 0;
        for (const std::u16string& line : lines) {
            size_t eq = line.find(u'=');
            if (eq == std::u16string::npos || eq == 0) continue;
            if (++keys > kMaxKeys) break;
            std::u16string key = line.substr(0, eq);
            std::u16string value = FullValue(section, key);
            CheckValueBuffer(section, key, value, Around(value.size(), valueShift));
            FUZZ_CHECK(FullValue(FlipAsciiCase(section), FlipAsciiCase(key)) == value);
        }
    }

    CPrinterInstaller installer;
    CheckLookups(installer);

    std::u16string text = Decoded(std::string(bytes.begin(), bytes.end()));
    CheckScan(text);
    CheckMediumChecker(text);
    return 0;
}

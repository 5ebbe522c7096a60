// The setup-medium checker on broken media: each mistake is reported once, at its file
// and line, and nothing is reported that the wizard would read correctly.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/unit/medium_fixture.h"
#include "tools/medium_check/medium_check.h"

namespace {

// A small medium in the demo's shape: two series, a 24-pin and a 9-pin printer.
const char kCatalogue[] =
    "[PRINTER_SERIES]\r\n"      // 1
    "QX Series\r\n"             // 2
    "QN Series\r\n"             // 3
    "\r\n"                      // 4
    "[QX Series]\r\n"           // 5
    "QX-110\r\n"                // 6
    "\r\n"                      // 7
    "[QN Series]\r\n"           // 8
    "QN-920\r\n"                // 9
    "\r\n"                      // 10
    "[PRINTER_NAME]\r\n"        // 11
    "QX-110=Korvel QX-110\r\n"  // 12
    "QN-920=Korvel QN-920\r\n"  // 13
    "\r\n"                      // 14
    "[PRINTER_TYPE]\r\n"        // 15
    "Korvel QX-110=24\r\n"      // 16
    "Korvel QN-920=9\r\n";      // 17

const char kInf24[] =
    "[Korvel.NTx86]\r\n"
    "\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-1108F1C,KORVEL_QX-1108F1C\r\n";
const char kInf9[] =
    "[Korvel.NTx86]\r\n"
    "\"KORVEL QN-920\" = QN920,USBPRINT\\KORVELQN-920A002,KORVEL_QN-920A002\r\n";

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

class MediumCheck : public MediumTest {
protected:
    // The catalogue and the two INFs; an empty INF text leaves that INF off the medium.
    void Write(const std::string& catalogue, const std::string& inf24 = kInf24, const std::string& inf9 = kInf9)
    {
        WriteCatalogue(catalogue);
        for (auto [file, inf] : {std::pair{"PrinterDriver/24pin/OEMPRINT.INF", inf24},
                                 std::pair{"PrinterDriver/9pin/OEMPRINT.INF", inf9}}) {
            std::filesystem::remove(m_root / "Setup" / file);
            if (!inf.empty()) WriteFile(file, inf);
        }
    }

    // Every finding, formatted as the program prints it.
    std::vector<std::string> Check()
    {
        std::vector<std::string> lines;
        for (const medium_check::Finding& f : medium_check::CheckMedium(u"D:\\Setup\\", '/'))
            lines.push_back(medium_check::FormatFinding(f));
        return lines;
    }

    // The findings must be exactly these, in order: each given as the start of the
    // line ("file:line: severity: ") and a part of its message.
    void ExpectFindings(const std::vector<std::pair<std::string, std::string>>& expected)
    {
        std::vector<std::string> got = Check();
        std::string all;
        for (const std::string& line : got) all += "\n  " + line;
        ASSERT_EQ(got.size(), expected.size()) << all;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].rfind(expected[i].first, 0), 0u) << all;
            EXPECT_NE(got[i].find(expected[i].second), std::string::npos) << all;
        }
    }
};

}  // namespace

TEST_F(MediumCheck, TheDemoMediumHasNoErrors)
{
    // The demo lists KX-2480 in two series on purpose; that is its only finding.
    for (const char* file :
         {"PrinterInfor.Inf", "PrinterDriver/24pin/OEMPRINT.INF", "PrinterDriver/9pin/OEMPRINT.INF"}) {
        std::ifstream in(std::string(KORVEL_SOURCE_DIR) + "/medium/" + file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        WriteFile(file, bytes.str());
    }
    ExpectFindings(
        {{"PrinterInfor.Inf:14: warning: ", "\"KX-2480\" is listed again (first in series \"KX Series\", line 11)"}});

    Write(kCatalogue);
    EXPECT_TRUE(Check().empty());
}

TEST_F(MediumCheck, SeriesAndListedSections)
{
    // A series without a section of its own.
    Write(Replace(kCatalogue, "QN Series\r\n", "QN Series\r\nQM Series\r\n"));
    ExpectFindings({{"PrinterInfor.Inf:4: error: ", "series \"QM Series\" has no section [QM Series]"}});

    // A series section without models, and PRINTER_SERIES missing or empty.
    Write(Replace(kCatalogue, "[QN Series]\r\nQN-920\r\n", "[QN Series]\r\n; none yet\r\n"));
    ExpectFindings({{"PrinterInfor.Inf:8: error: ", "section [QN Series] lists no models"}});
    Write(Replace(kCatalogue, "[PRINTER_SERIES]\r\n", "[PRINTER_SERIE]\r\n"));
    ExpectFindings({{"PrinterInfor.Inf: error: ", "no [PRINTER_SERIES] section"}});
    Write(Replace(kCatalogue, "QX Series\r\nQN Series\r\n", ""));
    ExpectFindings({{"PrinterInfor.Inf:1: error: ", "[PRINTER_SERIES] lists no series"}});

    // A section too large for the 2048-character buffer: 2046 characters are too many,
    // 2045 fit. 400 models M000 to M399 take 5 characters each with their NULs, and
    // one more model fills the rest.
    auto withModels = [](size_t lastLength) {
        std::string models, names;
        for (int i = 0; i < 400; ++i) {
            char model[8];
            std::snprintf(model, sizeof model, "M%03d", i);
            models += std::string(model) + "\r\n";
            names += std::string(model) + "=Korvel QX-110\r\n";
        }
        std::string last(lastLength, 'P');
        models += last + "\r\n";
        names += last + "=Korvel QX-110\r\n";
        return Replace(Replace(kCatalogue, "QX-110\r\n\r\n", "QX-110\r\n" + models + "\r\n"), "[PRINTER_NAME]\r\n",
                       "[PRINTER_NAME]\r\n" + names);
    };
    Write(withModels(37));  // 7 + 2000 + 38 = 2045
    EXPECT_TRUE(Check().empty());
    Write(withModels(38));  // 2046
    ExpectFindings(
        {{"PrinterInfor.Inf:5: error: ", "section [QX Series] is too large for the wizard: its lines take 2046"}});

    // A line over 255 characters hides its whole section, and is reported at its line.
    Write(Replace(kCatalogue, "QN-920\r\n\r\n", "QN-920\r\n" + std::string(256, 'N') + "\r\n\r\n"));
    ExpectFindings({{"PrinterInfor.Inf:10: error: ", "line of 256 characters in [QN Series]"}});
}

TEST_F(MediumCheck, PrinterNamesAndTypes)
{
    // A model without a printer name, and an empty one.
    Write(Replace(kCatalogue, "QN-920=Korvel QN-920\r\n", ""));
    ExpectFindings({{"PrinterInfor.Inf:9: error: ", "model \"QN-920\" has no entry in [PRINTER_NAME]"}});
    Write(Replace(kCatalogue, "QN-920=Korvel QN-920\r\n", "QN-920=\r\n"));
    ExpectFindings({{"PrinterInfor.Inf:13: error: ", "the printer name of model \"QN-920\" is empty"}});

    // A printer name without a type, and types other than exactly 24 or 9.
    Write(Replace(kCatalogue, "Korvel QN-920=9\r\n", ""));
    ExpectFindings({{"PrinterInfor.Inf:13: error: ", "printer name \"Korvel QN-920\" has no entry in [PRINTER_TYPE]"}});
    Write(Replace(Replace(kCatalogue, "QN-920=9", "QN-920=09"), "QX-110=24", "QX-110=24pin"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ", "is \"24pin\": it must be exactly 24 or 9"},
                    {"PrinterInfor.Inf:17: error: ", "is \"09\""}});

    // Names the wizard cannot carry: 100 characters (99 are fine), a quotation mark.
    std::string name99 = "Korvel QX-110 " + std::string(85, 'x');
    std::string inf99 = "\"KORVEL QX-110 " + std::string(85, 'x') + "\" = X,USBPRINT\\A,B\r\n";
    Write(Replace(Replace(kCatalogue, "=Korvel QX-110\r\n", "=" + name99 + "\r\n"), "Korvel QX-110=24", name99 + "=24"),
          inf99);
    EXPECT_TRUE(Check().empty());
    Write(
        Replace(Replace(kCatalogue, "=Korvel QX-110\r\n", "=" + name99 + "y\r\n"), "Korvel QX-110=24", name99 + "y=24"),
        inf99);
    ExpectFindings({{"PrinterInfor.Inf:12: error: ", "has 100 characters: the wizard carries at most 99"}});
    Write(Replace(Replace(kCatalogue, "=Korvel QX-110\r\n", "=Korvel \"QX\"-110\r\n"), "Korvel QX-110=24",
                  "Korvel \"QX\"-110=24"));
    ExpectFindings({{"PrinterInfor.Inf:12: error: ", "contains a quotation mark"}});
}

TEST_F(MediumCheck, DriverInfModelLines)
{
    // The model line quotes the maker as the catalogue does: the INF must write KORVEL.
    Write(kCatalogue, Replace(kInf24, "\"KORVEL QX-110\"", "\"Korvel QX-110\""));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:2: error: ",
                     "no USB model line for printer \"Korvel QX-110\": a line must begin with \"KORVEL QX-110\" in "
                     "quotation marks"}});
    // A model line that names no USB after its first comma.
    Write(kCatalogue, Replace(kInf24, "USBPRINT\\KORVELQX-1108F1C,KORVEL_QX-1108F1C", "LPTENUM\\KORVELQX-1108F1C"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:2: error: ", "names no USB after its first comma"}});
    // No line at all for the printer.
    Write(kCatalogue, kInf24, "[Korvel.NTx86]\r\n");
    ExpectFindings({{"PrinterDriver/9pin/OEMPRINT.INF: error: ", "no USB model line for printer \"Korvel QN-920\""}});

    // An accepted line with an empty hardware ID, and one with a blank before it.
    Write(kCatalogue, Replace(kInf24, ",USBPRINT\\KORVELQX-1108F1C,", ",,USBPRINT\\"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:2: error: ", "has an empty hardware ID"}});
    Write(kCatalogue, Replace(kInf24, ",USBPRINT\\", ", USBPRINT\\"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:2: warning: ", "has blanks around it"}});

    // A missing INF, reported once for all its printers.
    Write(Replace(Replace(kCatalogue, "QX-110\r\n\r\n", "QX-110\r\nQX-120\r\n\r\n"), "[PRINTER_TYPE]\r\n",
                  "QX-120=Korvel QX-120\r\n[PRINTER_TYPE]\r\nKorvel QX-120=24\r\n"),
          "", kInf9);
    ExpectFindings(
        {{"PrinterDriver/24pin/OEMPRINT.INF: error: ", "missing: the printers of type 24 (such as \"Korvel QX-110\""}});
}

TEST_F(MediumCheck, WarningsAboutSpellingAndEncoding)
{
    // A model with a trailing full-width blank, in a UTF-16LE catalogue (which is fine).
    Write(Utf16Le(Replace(Replace(kCatalogue, "QX-110\r\n\r\n", "QX-110\u3000\r\n\r\n"), "QX-110=", "QX-110\u3000=")));
    ExpectFindings({{"PrinterInfor.Inf:6: warning: ", "\"QX-110\u3000\" begins or ends with a blank"}});
    // Quotation marks stay part of a listed model; ASCII blanks around a line do not.
    Write(
        Replace(Replace(kCatalogue, "QX-110\r\n\r\n", "\"QX-110\"\r\n\r\n"), "QN-920\r\n\r\n", "  QN-920 \t\r\n\r\n"));
    ExpectFindings({{"PrinterInfor.Inf:6: warning: ", "or a quotation mark"},
                    {"PrinterInfor.Inf:6: error: ", "model \"\"QX-110\"\" has no entry in [PRINTER_NAME]"}});

    // An ANSI catalogue with Chinese text: fine on this PC, but not on one with another
    // code page. In a printer name it also never matches the INF, read byte by byte.
    std::string gbk = "\xB4\xF2\xD3\xA1\xBB\xFA";  // 打印机 in code page 936
    Write(Replace(kCatalogue, "[PRINTER_NAME]", ";" + gbk + "\r\n[PRINTER_NAME]"));
    ExpectFindings({{"PrinterInfor.Inf:11: warning: ", "neither ASCII nor UTF-16LE with a byte-order mark"}});
    Write(Replace(Replace(kCatalogue, "=Korvel QN-920\r\n", "=Korvel QN-920 " + gbk + "\r\n"), "Korvel QN-920=9",
                  "Korvel QN-920 " + gbk + "=9"),
          kInf24, Replace(kInf9, "QN-920\"", "QN-920 " + gbk + "\""));
    ExpectFindings({{"PrinterInfor.Inf:13: warning: ", "neither ASCII nor UTF-16LE"},
                    {"PrinterDriver/9pin/OEMPRINT.INF: error: ", "characters beyond ASCII never matches"}});

    // A UTF-8 byte-order mark: under code page 936 it takes the first header with it.
    Write("\xEF\xBB\xBF" + std::string(kCatalogue));
    ExpectFindings({{"PrinterInfor.Inf: error: ", "no [PRINTER_SERIES] section"},
                    {"PrinterInfor.Inf:1: warning: ", "UTF-8 byte-order mark"}});
}

namespace {

struct CheckerRun {
    int status;
    std::string out;
};

CheckerRun RunChecker(const std::string& arguments)
{
    std::string command = std::string(KORVEL_MEDIUM_CHECK) + " " + arguments + " 2>&1";
    CheckerRun run{-1, std::string()};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) run.out.append(chunk, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

TEST_F(MediumCheck, ProgramExitStatusAndOutput)
{
    Write(kCatalogue);
    std::string folder = (m_root / "Setup").string();
    CheckerRun clean = RunChecker(folder);
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.out, "");

    Write(Replace(kCatalogue, "QN-920=Korvel QN-920\r\n", ""));
    CheckerRun broken = RunChecker(folder);
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out,
              "PrinterInfor.Inf:9: error: model \"QN-920\" has no entry in [PRINTER_NAME]\n1 error, 0 warnings\n");

    Write(Replace(kCatalogue, "QX Series\r\nQN Series\r\n", "QX Series\r\nQN Series\r\nQX Series\r\n"));
    EXPECT_EQ(RunChecker(folder).status, 0);  // warnings only
    EXPECT_EQ(RunChecker("--strict " + folder).status, 1);

    EXPECT_EQ(RunChecker("").status, 2);
    EXPECT_EQ(RunChecker("--verbose " + folder).status, 2);
    EXPECT_EQ(RunChecker(folder + "/no-such-folder").status, 2);
}

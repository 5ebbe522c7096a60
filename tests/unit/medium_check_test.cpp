// The setup-medium checker on broken media: each mistake is reported once, at its file
// and line, and nothing is reported that the wizard would read correctly.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/unit/demo_medium.h"
#include "tests/unit/medium_fixture.h"
#include "tools/medium_check/closest_name.h"
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

// Each INF declares a models section for 32-bit and one for 64-bit Windows, and lists
// its printer in both.
const char kInf24[] =
    "[Manufacturer]\r\n"                                                           // 1
    "%Korvel%=Korvel,NTx86,NTamd64\r\n"                                            // 2
    "[Korvel.NTx86]\r\n"                                                           // 3
    "\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-1108F1C,KORVEL_QX-1108F1C\r\n"   // 4
    "[Korvel.NTamd64]\r\n"                                                         // 5
    "\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-1108F1C,KORVEL_QX-1108F1C\r\n";  // 6
const char kInf9[] =
    "[Manufacturer]\r\n"
    "%Korvel%=Korvel,NTx86,NTamd64\r\n"
    "[Korvel.NTx86]\r\n"
    "\"KORVEL QN-920\" = QN920,USBPRINT\\KORVELQN-920A002,KORVEL_QN-920A002\r\n"
    "[Korvel.NTamd64]\r\n"
    "\"KORVEL QN-920\" = QN920,USBPRINT\\KORVELQN-920A002,KORVEL_QN-920A002\r\n";

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    size_t at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to)
{
    EXPECT_NE(s.find(from), std::string::npos) << from;
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// A third 24-pin model in the QX series, with its printer name, type and model lines.
std::string CatalogueWith(const std::string& model, const std::string& printer)
{
    return Replace(Replace(Replace(kCatalogue, "QX-110\r\n\r\n", "QX-110\r\n" + model + "\r\n\r\n"),
                           "[PRINTER_TYPE]\r\n", model + "=" + printer + "\r\n[PRINTER_TYPE]\r\n"),
                   "=9\r\n", "=9\r\n" + printer + "=24\r\n");
}
std::string InfWith(const std::string& printer)
{
    std::string name = printer;
    for (size_t at = name.find("Korvel"); at != std::string::npos; at = name.find("Korvel", at))
        name.replace(at, 6, "KORVEL");
    std::string line = "\"" + name + "\" = X,USBPRINT\\X,Y\r\n";
    return ReplaceAll(kInf24, "[Korvel.NTamd64]\r\n", line + "[Korvel.NTamd64]\r\n") + line;
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
    for (const char* file : {"PrinterInfor.Inf", "PrinterDriver/24pin/OEMPRINT.INF", "PrinterDriver/9pin/OEMPRINT.INF"})
        WriteFile(file, demo::ReadFile(file));
    std::vector<int> listed;
    for (const std::string& series : demo::Series())
        for (const demo::Line& line : demo::CatalogueSection(series))
            if (line.text == "KX-2480") listed.push_back(line.number);
    ASSERT_EQ(listed.size(), 2u);
    ExpectFindings(
        {{"PrinterInfor.Inf:" + std::to_string(listed[1]) + ": warning: ",
          "\"KX-2480\" is listed again (first in series \"KX Series\", line " + std::to_string(listed[0]) + ")"}});

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
    ExpectFindings(
        {{"PrinterInfor.Inf:8: error: ", "section [QN Series] lists no models"},
         {"PrinterInfor.Inf:13: warning: ", "entry \"QN-920\" in [PRINTER_NAME] is used by no model"},
         {"PrinterInfor.Inf:17: warning: ", "entry \"Korvel QN-920\" in [PRINTER_TYPE] is used by no printer"}});
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
    // A model without a printer name (its type entry then serves nobody), and an empty one.
    Write(Replace(kCatalogue, "QN-920=Korvel QN-920\r\n", ""));
    ExpectFindings(
        {{"PrinterInfor.Inf:9: error: ", "model \"QN-920\" has no entry in [PRINTER_NAME]"},
         {"PrinterInfor.Inf:16: warning: ", "entry \"Korvel QN-920\" in [PRINTER_TYPE] is used by no printer"}});
    Write(Replace(kCatalogue, "QN-920=Korvel QN-920\r\n", "QN-920=\r\n"));
    ExpectFindings({{"PrinterInfor.Inf:13: error: ", "the printer name of model \"QN-920\" is empty"},
                    {"PrinterInfor.Inf:17: warning: ", "in [PRINTER_TYPE] is used by no printer"}});

    // A printer name without a type, and types other than exactly 24 or 9.
    Write(Replace(kCatalogue, "Korvel QN-920=9\r\n", ""));
    ExpectFindings({{"PrinterInfor.Inf:13: error: ", "printer name \"Korvel QN-920\" has no entry in [PRINTER_TYPE]"}});
    Write(Replace(Replace(kCatalogue, "QN-920=9", "QN-920=09"), "QX-110=24", "QX-110=24pin"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ", "is \"24pin\": it must be exactly 24 or 9"},
                    {"PrinterInfor.Inf:17: error: ", "is \"09\""}});

    // A type that sends the wizard to the other tree's INF, which has the printer: the
    // type is at fault, not the INF.
    Write(Replace(kCatalogue, "QN-920=9", "QN-920=24"));
    ExpectFindings({{"PrinterInfor.Inf:17: error: ",
                     "the type of printer \"Korvel QN-920\" is 24, but its USB model line is in "
                     "PrinterDriver/9pin/OEMPRINT.INF (line 4), not in PrinterDriver/24pin/OEMPRINT.INF: the type is "
                     "likely wrong"}});
    Write(Replace(kCatalogue, "QX-110=24", "QX-110=9"), kInf24, "");  // also with its own INF missing
    ExpectFindings({{"PrinterInfor.Inf:16: error: ", "is 9, but its USB model line is in PrinterDriver/24pin/"},
                    {"PrinterDriver/9pin/OEMPRINT.INF: error: ", "missing: the printers of type 9"}});

    // Names the wizard cannot carry: 200 characters (199 are fine), a quotation mark.
    std::string name199 = "Korvel QX-110 " + std::string(185, 'x');
    Write(CatalogueWith("QX-199", name199), InfWith(name199));
    EXPECT_TRUE(Check().empty());
    Write(CatalogueWith("QX-199", name199 + "y"), InfWith(name199 + "y"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ", "has 200 characters: the wizard carries at most 199"}});
    Write(Replace(Replace(kCatalogue, "=Korvel QX-110\r\n", "=Korvel \"QX\"-110\r\n"), "Korvel QX-110=24",
                  "Korvel \"QX\"-110=24"));
    ExpectFindings({{"PrinterInfor.Inf:12: error: ", "contains a quotation mark"}});
}

TEST_F(MediumCheck, PrinterNamesOfOneFamily)
{
    // Installing a printer removes the installed printers of its name, in any letter
    // case, and of its copy names: n + 2 characters or more after the name, an opening
    // parenthesis at n + 1.
    Write(CatalogueWith("QX-110W", "Korvel QX-110 (Wide)"), InfWith("Korvel QX-110 (Wide)"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ",
                     "printer name \"Korvel QX-110 (Wide)\" is a copy name of \"Korvel QX-110\" (line 13): installing "
                     "\"Korvel QX-110\" removes the printer \"Korvel QX-110 (Wide)\""}});
    Write(CatalogueWith("QX-110B", "Korvel QX-110B(2)"), InfWith("Korvel QX-110B(2)"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ", "\"Korvel QX-110B(2)\" is a copy name of \"Korvel QX-110\""}});
    // The copy name listed first is found the same, at its own line.
    Write(Replace(CatalogueWith("QX-100", "korvel qx-110 (2)"), "QX-110\r\nQX-100\r\n", "QX-100\r\nQX-110\r\n"),
          InfWith("korvel qx-110 (2)"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ", "\"korvel qx-110 (2)\" is a copy name of \"Korvel QX-110\""}});
    Write(CatalogueWith("QX-110L", "KORVEL QX-110"), InfWith("Korvel QX-110"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ",
                     "printer names \"KORVEL QX-110\" and \"Korvel QX-110\" (line 13) differ only in letter case"},
                    {"PrinterInfor.Inf:20: warning: ", "entry \"KORVEL QX-110\" in [PRINTER_TYPE] is never read"}});

    // Names that only begin alike are no family.
    for (const char* name : {"Korvel QX-1100", "Korvel QX-110(W)", "Korvel QX-110 ("}) {
        Write(CatalogueWith("QX-111", name), InfWith(name));
        EXPECT_TRUE(Check().empty()) << name;
    }
}

TEST_F(MediumCheck, NearMissesAndLeftovers)
{
    // A key with a letter O for a zero is offered as the hint; neither it nor the type
    // of its printer is reported again as a leftover.
    Write(Replace(kCatalogue, "QN-920=Korvel", "QN-92O=Korvel"));
    ExpectFindings({{"PrinterInfor.Inf:9: error: ",
                     "model \"QN-920\" has no entry in [PRINTER_NAME]; did you mean \"QN-92O\" on line 13?"}});
    Write(Replace(kCatalogue, "Korvel QN-920=9", "Korvel QN 920=9"));
    ExpectFindings({{"PrinterInfor.Inf:13: error: ",
                     "has no entry in [PRINTER_TYPE]; did you mean \"Korvel QN 920\" on line 17?"}});
    // No hint from a key another model uses, or from one too far off; the far one is a
    // leftover.
    Write(Replace(CatalogueWith("QX-120", "Korvel QX-120"), "QX-120=Korvel", "QZ-9=Korvel"), InfWith("Korvel QX-120"));
    EXPECT_EQ(Check(), (std::vector<std::string>{
                           "PrinterInfor.Inf:7: error: model \"QX-120\" has no entry in [PRINTER_NAME]",
                           "PrinterInfor.Inf:16: warning: entry \"QZ-9\" in [PRINTER_NAME] is used by no model: no "
                           "series lists it",
                           "PrinterInfor.Inf:20: warning: entry \"Korvel QX-120\" in [PRINTER_TYPE] is used by no "
                           "printer: no model has this printer name"}));

    // Leftover entries of a model no series lists, and a key written twice.
    Write(Replace(
        Replace(kCatalogue, "[PRINTER_TYPE]\r\n", "QZ-1=Korvel QZ-1\r\nqx-110=Korvel QX-999\r\n[PRINTER_TYPE]\r\n"),
        "=9\r\n", "=9\r\nKorvel QZ-1=9\r\n"));
    ExpectFindings(
        {{"PrinterInfor.Inf:15: warning: ", "entry \"QZ-1\" in [PRINTER_NAME] is used by no model"},
         {"PrinterInfor.Inf:16: warning: ",
          "entry \"qx-110\" in [PRINTER_NAME] is never read: the one on line 12 has the same name"},
         {"PrinterInfor.Inf:20: warning: ", "entry \"Korvel QZ-1\" in [PRINTER_TYPE] is used by no printer"}});
}

TEST(MediumCheckHint, IsASlipAwayAndNoFurther)
{
    // A slip: one edit up to 7 characters, two up to 11, three beyond; a swap of two
    // neighbours is one edit, letter case none.
    struct Case {
        const char* wanted;
        std::vector<const char*> keys;
        int closest;
    };
    const Case cases[] = {
        {"KX-2400", {"KX-2040"}, 0},            // swapped
        {"KX-2400", {"KX-3500", "kx-240"}, 1},  // the near one, case aside
        {"KX-2400", {"KX-3500"}, -1},           // two edits in 7 characters
        {"KX-2400W", {"KX-3500W"}, 0},          // two in 8
        {"KX-2400W", {"KX-3510W"}, -1},         // three in 8
        {"Korvel KX-2400 Printer", {"Korvel KX 2400 Printr"}, 0},
        {"Korvel KX-2400 Printer", {"Korvel KX-2410 Dot Printer"}, -1},
        {"KX-2400", {}, -1},
    };
    for (const Case& c : cases) {
        std::vector<WString> keys;
        for (const char* k : c.keys) keys.push_back(text::FromUtf8(k));
        EXPECT_EQ(medium_check::ClosestName(text::FromUtf8(c.wanted), keys), c.closest) << c.wanted;
    }
}

TEST_F(MediumCheck, DriverInfModelLines)
{
    // The model line quotes the maker as the catalogue does: the INF must write KORVEL.
    Write(kCatalogue, ReplaceAll(kInf24, "\"KORVEL QX-110\"", "\"Korvel QX-110\""));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ",
                     "no USB model line for printer \"Korvel QX-110\": a line must begin with \"KORVEL QX-110\" in "
                     "quotation marks"}});
    // A model line that names no USB after its first comma.
    Write(kCatalogue, ReplaceAll(kInf24, "USBPRINT\\KORVELQX-1108F1C,KORVEL_QX-1108F1C", "LPTENUM\\KORVELQX-1108F1C"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ", "names no USB after its first comma"}});
    // No line at all for the printer.
    Write(kCatalogue, kInf24, ReplaceAll(kInf9, "QN-920\"", "QN-930\""));
    ExpectFindings({{"PrinterDriver/9pin/OEMPRINT.INF: error: ", "no USB model line for printer \"Korvel QN-920\""}});

    // The line the wizard reads gives an empty hardware ID, or one with a blank before
    // it, which the wizard passes on. A blank in a line it does not read is dropped by
    // the system's own reading, and harms nothing.
    Write(kCatalogue, Replace(kInf24, ",USBPRINT\\KORVELQX-1108F1C,", ",,USBPRINT\\"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ", "has an empty hardware ID"}});
    Write(kCatalogue, Replace(kInf24, ",USBPRINT\\", ",\tUSBPRINT\\"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ",
                     "the hardware ID \"\tUSBPRINT\\KORVELQX-1108F1C\" of printer \"Korvel QX-110\" has blanks around "
                     "it, which the wizard passes on to the driver update"}});
    Write(kCatalogue, Replace(kInf24, "1108F1C,KORVEL", "1108F1C ,KORVEL"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ", "has blanks around it"}});
    Write(kCatalogue,
          ReplaceAll(kInf24, "NTamd64]\r\n\"KORVEL QX-110\" = QX110,", "NTamd64]\r\n\"KORVEL QX-110\" = QX110, "));
    EXPECT_TRUE(Check().empty());

    // A missing INF, reported once for all its printers.
    Write(Replace(Replace(kCatalogue, "QX-110\r\n\r\n", "QX-110\r\nQX-120\r\n\r\n"), "[PRINTER_TYPE]\r\n",
                  "QX-120=Korvel QX-120\r\n[PRINTER_TYPE]\r\nKorvel QX-120=24\r\n"),
          "", kInf9);
    ExpectFindings(
        {{"PrinterDriver/24pin/OEMPRINT.INF: error: ", "missing: the printers of type 24 (such as \"Korvel QX-110\""}});
}

TEST_F(MediumCheck, EveryModelsSectionTheManufacturerLineDeclares)
{
    // The printer's line deleted from the 64-bit section: the printer-UI installation
    // on 64-bit Windows cannot find the model.
    Write(kCatalogue,
          Replace(kInf24,
                  "[Korvel.NTamd64]\r\n\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-1108F1C,KORVEL_QX-1108F1C\r\n",
                  "[Korvel.NTamd64]\r\n\"KORVEL QX-111\" = QX111,USBPRINT\\KORVELQX-1118F1C\r\n"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:5: error: ",
                     "section [Korvel.NTamd64], which [Manufacturer] declares on line 2, has no model line for printer "
                     "\"Korvel QX-110\": on 64-bit Windows the printer cannot be installed"}});
    // Found there in another letter case, as the system compares: fine.
    Write(kCatalogue, Replace(kInf24, "[Korvel.NTamd64]\r\n\"KORVEL", "[korvel.ntamd64]\r\n\"Korvel"));
    EXPECT_TRUE(Check().empty());
    // Listed there with another hardware ID than the one the wizard passes.
    Write(kCatalogue, Replace(kInf24, "NTamd64]\r\n\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-1108F1C",
                              "NTamd64]\r\n\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-1108F1D"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:6: error: ",
                     "in section [Korvel.NTamd64] printer \"Korvel QX-110\" has the hardware ID "
                     "\"USBPRINT\\KORVELQX-1108F1D\", but the wizard passes \"USBPRINT\\KORVELQX-1108F1C\" (line 4)"}});

    // Sections declared but absent or empty, and no [Manufacturer] section at all.
    Write(kCatalogue, Replace(kInf24, ",NTamd64\r\n", ",NTamd64, NTarm64 ; and ARM\r\n"));
    ExpectFindings(
        {{"PrinterDriver/24pin/OEMPRINT.INF:2: error: ",
          "[Manufacturer] declares the models section [Korvel.NTarm64], which the INF does not have: on ARM64 "
          "Windows none of its printers can be installed"}});
    Write(kCatalogue, Replace(kInf24, ",NTamd64\r\n", ",NTamd64,NTarm64\r\n") + "[Korvel.NTarm64]\r\n; none yet\r\n");
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:7: error: ",
                     "section [Korvel.NTarm64], which [Manufacturer] "
                     "declares on line 2, lists no models"}});
    Write(kCatalogue, Replace(kInf24, "[Manufacturer]", "[Manufacturers]"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF: error: ", "no [Manufacturer] section"}});
    // A maker named without targets has one models section, of that name.
    Write(kCatalogue, "[Manufacturer]\r\nKorvel\r\n[KORVEL]\r\n" +
                          std::string(kInf24).substr(std::string(kInf24).rfind("\"KORVEL")));
    EXPECT_TRUE(Check().empty());
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
                    {"PrinterInfor.Inf:6: error: ",
                     "model \"\"QX-110\"\" has no entry in [PRINTER_NAME]; did you mean \"QX-110\" on line 12?"}});

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

    Write(Replace(kCatalogue, "QN-920=9", "QN-920=09"));
    CheckerRun broken = RunChecker(folder);
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out,
              "PrinterInfor.Inf:17: error: the type of printer \"Korvel QN-920\" is \"09\": it must be exactly 24 or "
              "9\n1 error, 0 warnings\n");

    Write(Replace(kCatalogue, "QX Series\r\nQN Series\r\n", "QX Series\r\nQN Series\r\nQX Series\r\n"));
    EXPECT_EQ(RunChecker(folder).status, 0);  // warnings only
    EXPECT_EQ(RunChecker("--strict " + folder).status, 1);

    EXPECT_EQ(RunChecker("").status, 2);
    EXPECT_EQ(RunChecker("--verbose " + folder).status, 2);
    EXPECT_EQ(RunChecker(folder + "/no-such-folder").status, 2);
}

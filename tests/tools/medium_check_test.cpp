// The setup-medium checker on broken media: each mistake is reported once, at its file
// and line, and nothing is reported that the wizard would read correctly.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/usbprint_id.h"
#include "tests/support/demo_medium.h"
#include "tests/support/medium_fixture.h"
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
// its printer in both, with the hardware ID a printer reporting MFG:KORVEL and the
// model has.
const char kInf24[] =
    "[Manufacturer]\r\n"                                                           // 1
    "%Korvel%=Korvel,NTx86,NTamd64\r\n"                                            // 2
    "[Korvel.NTx86]\r\n"                                                           // 3
    "\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-110B9DC,KORVEL_QX-110B9DC\r\n"   // 4
    "[Korvel.NTamd64]\r\n"                                                         // 5
    "\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-110B9DC,KORVEL_QX-110B9DC\r\n";  // 6
const char kInf9[] =
    "[Manufacturer]\r\n"
    "%Korvel%=Korvel,NTx86,NTamd64\r\n"
    "[Korvel.NTx86]\r\n"
    "\"KORVEL QN-920\" = QN920,USBPRINT\\KORVELQN-9204814,KORVEL_QN-9204814\r\n"
    "[Korvel.NTamd64]\r\n"
    "\"KORVEL QN-920\" = QN920,USBPRINT\\KORVELQN-9204814,KORVEL_QN-9204814\r\n";
// What follows the models sections of both INFs: the install sections, [Version] with
// its signature and catalogue file, and where the copied printer description is.
const char kInfRest[] =
    "[QX110]\r\n"                     // +1
    "CopyFiles=@QX.GPD\r\n"           // +2
    "DataFile=QX.GPD\r\n"             // +3
    "[QN920]\r\n"                     // +4
    "CopyFiles=QN_FILES\r\n"          // +5
    "DataFile=QX.GPD\r\n"             // +6
    "[QN_FILES]\r\n"                  // +7
    "QX.GPD\r\n"                      // +8
    "[Version]\r\n"                   // +9
    "Signature=\"$Windows NT$\"\r\n"  // +10
    "CatalogFile=QX.CAT\r\n"          // +11
    "[SourceDisksNames]\r\n"          // +12
    "1=%Disk1%,,,\r\n"                // +13
    "[SourceDisksFiles]\r\n"          // +14
    "QX.GPD=1\r\n"                    // +15
    "[Strings]\r\n"                   // +16
    "Disk1=\"Q\"\r\n";                // +17

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
std::string InfWith(const std::string& printer, const std::string& model)
{
    std::string name = printer;
    for (size_t at = name.find("Korvel"); at != std::string::npos; at = name.find("Korvel", at))
        name.replace(at, 6, "KORVEL");
    std::string line = "\"" + name + "\" = QX110," + usbprint::HardwareId("KORVEL", model) + ",Y\r\n";
    return ReplaceAll(kInf24, "[Korvel.NTamd64]\r\n", line + "[Korvel.NTamd64]\r\n") + line;
}

class MediumCheck : public MediumTest {
protected:
    // The catalogue and the two INFs, each followed by `rest` and with the files
    // kInfRest names beside it; an empty INF text leaves that INF off the medium.
    void Write(const std::string& catalogue, const std::string& inf24 = kInf24, const std::string& inf9 = kInf9,
               const std::string& rest = kInfRest)
    {
        WriteCatalogue(catalogue);
        std::filesystem::remove_all(m_root / "Setup" / "PrinterDriver");
        for (auto [folder, inf] : {std::pair{"PrinterDriver/24pin/", inf24}, std::pair{"PrinterDriver/9pin/", inf9}}) {
            if (inf.empty()) continue;
            WriteFile(std::string(folder) + "OEMPRINT.INF", inf + rest);
            WriteFile(std::string(folder) + "QX.GPD", "*GPDSpecVersion: \"1.0\"\r\n");
            WriteFile(std::string(folder) + "QX.CAT", "signed");
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
    std::filesystem::copy(std::string(KORVEL_SOURCE_DIR) + "/medium", m_root / "Setup",
                          std::filesystem::copy_options::recursive);
    std::vector<int> listed;
    for (const std::string& series : demo::Series())
        for (const demo::Line& line : demo::CatalogueSection(series))
            if (line.text == "KX-2480") listed.push_back(line.number);
    ASSERT_EQ(listed.size(), 2u);
    // Nor is it signed: it carries no catalogue file.
    ExpectFindings(
        {{"PrinterInfor.Inf:" + std::to_string(listed[1]) + ": warning: ",
          "\"KX-2480\" is listed again (first in series \"KX Series\", line " + std::to_string(listed[0]) + ")"},
         {"PrinterDriver/24pin/OEMPRINT.INF:13: warning: ", "KORVEL24.CAT that [Version] names is not on the medium"},
         {"PrinterDriver/9pin/OEMPRINT.INF:13: warning: ", "KORVEL9.CAT that [Version] names is not on the medium"}});

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
    Write(CatalogueWith("QX-199", name199), InfWith(name199, "QX-199"));
    EXPECT_TRUE(Check().empty());
    Write(CatalogueWith("QX-199", name199 + "y"), InfWith(name199 + "y", "QX-199"));
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
    Write(CatalogueWith("QX-110W", "Korvel QX-110 (Wide)"), InfWith("Korvel QX-110 (Wide)", "QX-110W"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ",
                     "printer name \"Korvel QX-110 (Wide)\" is a copy name of \"Korvel QX-110\" (line 13): installing "
                     "\"Korvel QX-110\" removes the printer \"Korvel QX-110 (Wide)\""}});
    Write(CatalogueWith("QX-110B", "Korvel QX-110B(2)"), InfWith("Korvel QX-110B(2)", "QX-110B"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ", "\"Korvel QX-110B(2)\" is a copy name of \"Korvel QX-110\""}});
    // The copy name listed first is found the same, at its own line.
    Write(Replace(CatalogueWith("QX-100", "korvel qx-110 (2)"), "QX-110\r\nQX-100\r\n", "QX-100\r\nQX-110\r\n"),
          InfWith("korvel qx-110 (2)", "QX-100"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ", "\"korvel qx-110 (2)\" is a copy name of \"Korvel QX-110\""}});
    Write(CatalogueWith("QX-110L", "KORVEL QX-110"), InfWith("Korvel QX-110", "QX-110L"));
    ExpectFindings({{"PrinterInfor.Inf:16: error: ",
                     "printer names \"KORVEL QX-110\" and \"Korvel QX-110\" (line 13) differ only in letter case"},
                    {"PrinterInfor.Inf:20: warning: ", "entry \"KORVEL QX-110\" in [PRINTER_TYPE] is never read"},
                    {"PrinterDriver/24pin/OEMPRINT.INF:4: error: ", "does not belong to model \"QX-110L\""}});

    // Names that only begin alike are no family.
    for (const char* name : {"Korvel QX-1100", "Korvel QX-110(W)", "Korvel QX-110 ("}) {
        Write(CatalogueWith("QX-111", name), InfWith(name, "QX-111"));
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
    Write(Replace(CatalogueWith("QX-120", "Korvel QX-120"), "QX-120=Korvel", "QZ-9=Korvel"),
          InfWith("Korvel QX-120", "QX-120"));
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
    Write(kCatalogue, ReplaceAll(kInf24, "USBPRINT\\KORVELQX-110B9DC,KORVEL_QX-110B9DC", "LPTENUM\\KORVELQX-110B9DC"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ", "names no USB after its first comma"}});
    // No line at all for the printer.
    Write(kCatalogue, kInf24, ReplaceAll(kInf9, "QN-920\"", "QN-930\""));
    ExpectFindings({{"PrinterDriver/9pin/OEMPRINT.INF: error: ", "no USB model line for printer \"Korvel QN-920\""}});

    // The line the wizard reads gives an empty hardware ID, or one with a blank before
    // it, which the wizard passes on. A blank in a line it does not read is dropped by
    // the system's own reading, and harms nothing.
    Write(kCatalogue, Replace(kInf24, ",USBPRINT\\KORVELQX-110B9DC,", ",,USBPRINT\\"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ", "has an empty hardware ID"}});
    Write(kCatalogue, Replace(kInf24, ",USBPRINT\\", ",\tUSBPRINT\\"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ",
                     "the hardware ID \"\tUSBPRINT\\KORVELQX-110B9DC\" of printer \"Korvel QX-110\" has blanks around "
                     "it, which the wizard passes on to the driver update"}});
    Write(kCatalogue, Replace(kInf24, "110B9DC,KORVEL", "110B9DC ,KORVEL"));
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
                  "[Korvel.NTamd64]\r\n\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-110B9DC,KORVEL_QX-110B9DC\r\n",
                  "[Korvel.NTamd64]\r\n\"KORVEL QX-111\" = QX111,USBPRINT\\KORVELQX-1118F1C\r\n"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:5: error: ",
                     "section [Korvel.NTamd64], which [Manufacturer] declares on line 2, has no model line for printer "
                     "\"Korvel QX-110\": on 64-bit Windows the printer cannot be installed"}});
    // Found there in another letter case, as the system compares: fine.
    Write(kCatalogue, Replace(kInf24, "[Korvel.NTamd64]\r\n\"KORVEL", "[korvel.ntamd64]\r\n\"Korvel"));
    EXPECT_TRUE(Check().empty());
    // Listed there with another hardware ID than the one the wizard passes.
    Write(kCatalogue, Replace(kInf24, "NTamd64]\r\n\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-110B9DC",
                              "NTamd64]\r\n\"KORVEL QX-110\" = QX110,USBPRINT\\KORVELQX-1108F1D"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:6: error: ",
                     "in section [Korvel.NTamd64] printer \"Korvel QX-110\" has the hardware ID "
                     "\"USBPRINT\\KORVELQX-1108F1D\", but the wizard passes \"USBPRINT\\KORVELQX-110B9DC\" (line 4)"}});

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

TEST_F(MediumCheck, HardwareIdsBelongToTheirModels)
{
    // Windows runs maker and model together, keeps 20 characters (blanks and commas
    // as underscores) and appends the CRC-16 of both, as real printers' IDs show.
    EXPECT_EQ(usbprint::HardwareId("EPSON", "SC-P600 Series"), "USBPRINT\\EPSONSC-P600_Series730C");
    EXPECT_EQ(usbprint::HardwareId("KORVEL", "KX-2400 Wide, Fast"), "USBPRINT\\KORVELKX-2400_Wide__9585");
    std::string id;
    EXPECT_TRUE(usbprint::HardwareIdOfDeviceId("MANUFACTURER:Canon;CMD:X;MODEL:MF4010 Series;", &id));
    EXPECT_EQ(id, "USBPRINT\\CanonMF4010_Series58E4");
    EXPECT_FALSE(usbprint::HardwareIdOfDeviceId("MFG:KORVEL;CMD:ESC/P;", &id));

    // Another model's ID, and the model's name with an invented checksum.
    Write(kCatalogue, ReplaceAll(kInf24, "QX-110B9DC,", "QX-101E91C,"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ",
                     "the hardware ID \"USBPRINT\\KORVELQX-101E91C\" of printer \"Korvel QX-110\" does not belong to "
                     "model \"QX-110\": Windows gives a printer that reports MFG:KORVEL;MDL:QX-110 the ID "
                     "USBPRINT\\KORVELQX-110B9DC"}});
    Write(kCatalogue, ReplaceAll(kInf24, "QX-110B9DC,", "QX-1108F1C,"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ", "ends in \"8F1C\", not in the checksum B9DC"}});
    // Letter case aside, as Windows compares IDs.
    Write(kCatalogue, ReplaceAll(kInf24, "KORVELQX-110B9DC,", "KorvelQX-110b9dc,"));
    EXPECT_TRUE(Check().empty());
    // A line the wizard cannot read still has its ID held to the model.
    Write(kCatalogue, ReplaceAll(ReplaceAll(kInf24, "\"KORVEL QX", "\"Korvel QX"), "QX-110B9DC,", "QX-1108F1C,"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ", "no USB model line"},
                    {"PrinterDriver/24pin/OEMPRINT.INF:4: error: ", "ends in \"8F1C\""}});
}

TEST_F(MediumCheck, WhatTheInfInstalls)
{
    // Lines of kInfRest after the six of each INF's models sections.
    auto at = [](const char* inf, int restLine) {
        return std::string("PrinterDriver/") + inf + "/OEMPRINT.INF:" + std::to_string(6 + restLine) + ": ";
    };
    // An install section that is not there, with the one meant.
    Write(kCatalogue, ReplaceAll(kInf24, "= QX110,", "= QX101,"));
    ExpectFindings({{"PrinterDriver/24pin/OEMPRINT.INF:4: error: ",
                     "names the install section [QX101], which the INF does not have, nor [QX101.NTx86] or [QX101.NT]: "
                     "Windows cannot install the printer; did you mean [QX110] on line 7?"},
                    {"PrinterDriver/24pin/OEMPRINT.INF:6: error: ", "nor [QX101.NTamd64] or [QX101.NT]"}});
    // ... unless a decorated one serves that kind of Windows.
    Write(kCatalogue, ReplaceAll(kInf24, "= QX110,", "= QX101,"), kInf9,
          std::string(kInfRest) + "[QX101.NT]\r\nCopyFiles=@QX.GPD\r\n");
    EXPECT_TRUE(Check().empty());

    // Sections the install section names: a copy list must be the INF's own; a data
    // section or Needs may be a system INF's when the section includes one.
    Write(kCatalogue, kInf24, kInf9, Replace(kInfRest, "CopyFiles=QN_FILES", "CopyFiles=QN_FILE"));
    ExpectFindings({{at("9pin", 5) + "error: ",
                     "[QN_FILE], which CopyFiles of [QN920] names, is not in the INF; did "
                     "you mean [QN_FILES] on line 13?"},
                    {at("9pin", 6) + "error: ",
                     "the file QX.GPD, which DataFile of [QN920] names, is copied by no "
                     "CopyFiles, and the install section includes no system INF"}});
    std::string needs = Replace(kInfRest, "[QN_FILES]",
                                "DataSection=UNIDRV_DATA\r\nNeeds=UNIDRV.OEM\r\n"
                                "DriverFile=UNIDRV.DLL\r\n[QN_FILES]");
    Write(kCatalogue, kInf24, kInf9, needs);
    ExpectFindings({{at("9pin", 7) + "error: ", "[UNIDRV_DATA], which DataSection of [QN920] names, is not in the INF"},
                    {at("9pin", 8) + "error: ", "[UNIDRV.OEM], which Needs of [QN920] names"},
                    {at("9pin", 9) + "error: ", "UNIDRV.DLL, which DriverFile of [QN920] names, is copied by no"}});
    Write(kCatalogue, kInf24, kInf9, Replace(needs, "Needs=", "Include=NTPRINT.INF\r\nNeeds="));
    EXPECT_TRUE(Check().empty());

    // The files: on the medium where [SourceDisksFiles] and [SourceDisksNames] put
    // them, their names' letter case aside.
    Write(kCatalogue);
    std::filesystem::rename(m_root / "Setup/PrinterDriver/9pin/QX.GPD", m_root / "Setup/PrinterDriver/9pin/qx.gpd");
    EXPECT_TRUE(Check().empty());
    std::filesystem::remove(m_root / "Setup/PrinterDriver/24pin/QX.GPD");
    ExpectFindings({{at("24pin", 2) + "error: ",
                     "the file QX.GPD, which [QX110] copies, is not on the medium: Windows looks for it at "
                     "PrinterDriver/24pin/QX.GPD ([SourceDisksFiles] line 21, [SourceDisksNames] line 19), so the "
                     "installation fails"}});
    Write(kCatalogue, kInf24, kInf9, Replace(kInfRest, "1=%Disk1%,,,", "1=%Disk1%,,,\\drivers"));
    ExpectFindings({{at("24pin", 2) + "error: ", "looks for it at PrinterDriver/24pin/drivers/QX.GPD"},
                    {at("9pin", 8) + "error: ", "which [QN_FILES] lists for copying, is not on the medium"}});
    Write(kCatalogue, kInf24, kInf9, Replace(kInfRest, "QX.GPD=1\r\n", "QX.GPD=2\r\nEXTRA.DLL=1\r\n"));
    ExpectFindings({{at("24pin", 15) + "error: ",
                     "[SourceDisksFiles] puts QX.GPD on disk \"2\", which "
                     "[SourceDisksNames] does not describe"},
                    {at("24pin", 16) + "error: ", "the file EXTRA.DLL, which [SourceDisksFiles] lists, is not on"},
                    {at("9pin", 15) + "error: ", "on disk \"2\""},
                    {at("9pin", 16) + "error: ", "EXTRA.DLL"}});
    Write(kCatalogue, kInf24, kInf9, Replace(kInfRest, "QX.GPD=1\r\n", ""));
    ExpectFindings({{at("24pin", 2) + "error: ", "QX.GPD, which [QX110] copies, is not listed in [SourceDisksFiles]"},
                    {at("9pin", 8) + "error: ", "is not listed in [SourceDisksFiles]"}});

    // Signing, and [Version]'s signature.
    Write(kCatalogue, kInf24, "", Replace(kInfRest, "CatalogFile=QX.CAT\r\n", ""));
    ExpectFindings({{at("24pin", 9) + "warning: ",
                     "no CatalogFile in [Version]: the driver is not signed, and 64-bit Windows refuses to install it"},
                    {"PrinterDriver/9pin/OEMPRINT.INF: error: ", "missing"}});
    Write(kCatalogue, kInf24, "");
    std::filesystem::remove(m_root / "Setup/PrinterDriver/24pin/QX.CAT");
    ExpectFindings(
        {{at("24pin", 11) + "warning: ", "the catalogue file QX.CAT that [Version] names is not on the medium"},
         {"PrinterDriver/9pin/OEMPRINT.INF: error: ", "missing"}});
    Write(kCatalogue, kInf24, "", Replace(kInfRest, "Signature=\"$Windows NT$\"\r\n", ""));
    ExpectFindings({{at("24pin", 9) + "error: ", "no Signature=\"$Windows NT$\" in [Version]"},
                    {"PrinterDriver/9pin/OEMPRINT.INF: error: ", "missing"}});

    // Line ends: LF alone reads as CR LF does, a CR alone ends no line.
    auto lf = [](std::string text) { return ReplaceAll(text, "\r\n", "\n"); };
    Write(lf(kCatalogue), lf(kInf24), lf(kInf9), lf(kInfRest));
    EXPECT_TRUE(Check().empty());
    Write(kCatalogue, kInf24, kInf9,
          Replace(Replace(kInfRest, "[Strings]\r\n", "[Strings]\r"), "\"Q\"\r\n", "\"Q\"\r"));
    ExpectFindings({{at("24pin", 16) + "error: ",
                     "this line ends in a CR without LF (as do 1 more): the system's INF "
                     "parser and the wizard end lines only at LF"},
                    {at("9pin", 16) + "error: ", "CR without LF"}});
}

TEST_F(MediumCheck, CausesRatherThanSymptoms)
{
    // A misspelled keyed section is one finding, with the section meant.
    Write(Replace(kCatalogue, "[PRINTER_TYPE]", "[PRINTER_TYPES]"));
    ExpectFindings({{"PrinterInfor.Inf: error: ",
                     "no [PRINTER_TYPE] section: no printer has a type, so the wizard installs none; did you mean "
                     "[PRINTER_TYPES] on line 15?"}});
    Write(Replace(kCatalogue, "[PRINTER_NAME]", "[PRINTERNAME]"));
    ExpectFindings({{"PrinterInfor.Inf: error: ", "no [PRINTER_NAME] section: no model has a printer name"},
                    {"PrinterInfor.Inf:16: warning: ", "used by no printer"},
                    {"PrinterInfor.Inf:17: warning: ", "used by no printer"}});
    Write(Replace(kCatalogue, "[QN Series]", "[QN Serie]"));
    ExpectFindings({{"PrinterInfor.Inf:3: error: ",
                     "series \"QN Series\" has no section [QN Series] of its own, so it "
                     "offers no models; did you mean [QN Serie] on line 8?"},
                    {"PrinterInfor.Inf:13: warning: ", "entry \"QN-920\" in [PRINTER_NAME] is used by no model"},
                    {"PrinterInfor.Inf:17: warning: ", "used by no printer"}});
    // A section nothing reads, and one that repeats a name.
    Write(std::string(kCatalogue) + "[PRINTER_TYPES]\r\nX=9\r\n[QX SERIES]\r\nQX-111\r\n[Notes]\r\n");
    ExpectFindings({{"PrinterInfor.Inf:18: warning: ",
                     "section [PRINTER_TYPES] is read by nothing; did you mean "
                     "[PRINTER_TYPE]?"},
                    {"PrinterInfor.Inf:20: warning: ", "section [QX SERIES] is never read: the one on line 5"},
                    {"PrinterInfor.Inf:22: warning: ", "section [Notes] is read by nothing: the wizard reads"}});

    // A ';' after a text is part of it, wherever it stands.
    Write(Replace(Replace(kCatalogue, "QN-920\r\n\r\n", "QN-920 ; new in 2025\r\n\r\n"), "QX-110=24",
                  "QX-110=24 ; pins"));
    ExpectFindings({{"PrinterInfor.Inf:9: error: ",
                     "model \"QN-920 ; new in 2025\" has no entry in [PRINTER_NAME]; a \";\" starts a comment only at "
                     "the start of a line, so the model is the whole text, \"; new in 2025\" included; did you mean "
                     "\"QN-920\" on line 13?"},
                    {"PrinterInfor.Inf:16: error: ", "is \"24 ; pins\": it must be exactly 24 or 9; a \";\" starts"}});
}

TEST_F(MediumCheck, EveryMistakeInOneRun)
{
    // Five mistakes of different kinds: none hides another.
    Write(Replace(Replace(kCatalogue, "QN-920=9", "QN-920=24"), "[QX Series]", "[QX Serie]"), kInf24,
          ReplaceAll(kInf9, "QN-9204814,K", "QN-9208F1C,K"),
          Replace(Replace(kInfRest, "QX.GPD=1", "QX.GPD=3"), "CatalogFile=QX.CAT\r\n", ""));
    ExpectFindings({{"PrinterInfor.Inf:2: error: ", "series \"QX Series\" has no section"},
                    {"PrinterInfor.Inf:12: warning: ", "entry \"QX-110\" in [PRINTER_NAME] is used by no model"},
                    {"PrinterInfor.Inf:16: warning: ", "used by no printer"},
                    {"PrinterInfor.Inf:17: error: ", "the type of printer \"Korvel QN-920\" is 24, but its USB model"},
                    {"PrinterDriver/24pin/OEMPRINT.INF:15: warning: ", "no CatalogFile"},
                    {"PrinterDriver/24pin/OEMPRINT.INF:20: error: ", "on disk \"3\""},
                    {"PrinterDriver/9pin/OEMPRINT.INF:4: error: ", "ends in \"8F1C\""},
                    {"PrinterDriver/9pin/OEMPRINT.INF:15: warning: ", "no CatalogFile"},
                    {"PrinterDriver/9pin/OEMPRINT.INF:20: error: ", "on disk \"3\""}});
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
          kInf24, ReplaceAll(kInf9, "QN-920\"", "QN-920 " + gbk + "\""));
    ExpectFindings({{"PrinterInfor.Inf:13: warning: ", "neither ASCII nor UTF-16LE"},
                    {"PrinterDriver/9pin/OEMPRINT.INF: error: ", "characters beyond ASCII never matches"}});

    // Saved as UTF-8 without its mark: the warning shows how this PC reads the line.
    Write(Replace(kCatalogue, "[PRINTER_NAME]", ";\xE2\x80\x90 new\r\n[PRINTER_NAME]"));
    ExpectFindings({{"PrinterInfor.Inf:11: warning: ",
                     "saved as UTF-8 without a byte-order mark, which Windows does "
                     "not recognise: it reads the file in the PC's ANSI code page "
                     "(code page 936 here), so this line, \";\u2010 new\", reads \";"}});

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

    CheckerRun help = RunChecker("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: korvel-medium-check", 0), 0u);
    EXPECT_EQ(RunChecker("").status, 2);
    EXPECT_EQ(RunChecker("--verbose " + folder).status, 2);
    EXPECT_EQ(RunChecker(folder + "/no-such-folder").status, 2);
}

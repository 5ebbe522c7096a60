// The demo setup medium in medium/: every series, model and printer resolves through
// the catalogue, and every printer has a usable model line in its type's driver INF.
// The counts come from the medium's files, read as plain text: a model added to the
// demo changes no test here.
#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "installer/printer_family.h"
#include "tests/support/demo_medium.h"
#include "tests/support/sim_fixture.h"

namespace {

// The hardware ID of the first line that quotes the name and has USB after its first
// comma, as the driver update reads an INF; empty when there is none.
std::string HardwareIdFor(const std::string& inf, const std::string& quotedName)
{
    std::istringstream lines(inf);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, quotedName.size(), quotedName) != 0) continue;
        size_t first = line.find(',');
        if (first == std::string::npos || line.find("USB", first) == std::string::npos) continue;
        size_t second = line.find(',', first + 1);
        return second == std::string::npos ? std::string() : line.substr(first + 1, second - first - 1);
    }
    return std::string();
}

}  // namespace

class DemoMediumTest : public SimTest {
protected:
    static std::vector<std::string> Texts(const CStringList& list)
    {
        std::vector<std::string> out;
        for (const CString& s : list) out.push_back(Utf8(s.Str()));
        return out;
    }

    void SetUp() override
    {
        SimTest::SetUp();
        sim::MapDrive('D', std::string(KORVEL_SOURCE_DIR) + "/medium");
        sim::SetModulePath(u"D:\\KorvelSetup.exe");
    }
};

TEST_F(DemoMediumTest, EverySeriesModelAndPrinterResolves)
{
    CPrinterInstaller inst;
    CStringList series;
    ASSERT_EQ(inst.GetSeriesList(series), 1);
    EXPECT_EQ(Texts(series), demo::Series());
    std::map<std::string, std::string> typeOfModel;
    std::vector<std::string> names;
    for (const CString& s : series) {
        CStringList models;
        ASSERT_EQ(inst.GetSeriesModels(s, models), 1) << Utf8(s.Str());
        EXPECT_EQ(Texts(models), demo::Models(Utf8(s.Str())));
        for (const CString& model : models) {
            CString first;
            ASSERT_EQ(inst.FindSeriesOfModel(first, model), 1);
            WCHAR name[260];
            ASSERT_EQ(inst.GetPrinterDisplayName(model, name, 260), 1) << Utf8(model.Str());
            ASSERT_EQ(inst.SetPrinterName(name), 0);
            EXPECT_LT(text::Length(name), static_cast<size_t>(CPrinterInstaller::kNameCapacity));
            EXPECT_TRUE(text::StartsWith(name, TEXT("Korvel "))) << Utf8(name);
            EXPECT_EQ(Utf8(name).find('"'), std::string::npos);
            int type = inst.GetPrinterType(name);
            ASSERT_TRUE(type == 1 || type == 2) << Utf8(name);
            inst.BuildDriverInfPath();
            EXPECT_EQ(Utf8(inst.DriverInf()),
                      type == 1 ? "D:\\PrinterDriver\\24pin\\OEMPRINT.INF" : "D:\\PrinterDriver\\9pin\\OEMPRINT.INF");
            typeOfModel[Utf8(model.Str())] = type == 1 ? "24" : "9";
            names.push_back(Utf8(name));
        }
    }
    // Every model of the catalogue's [PRINTER_NAME] is listed, with the type its
    // printer has in [PRINTER_TYPE]; both types occur.
    std::map<std::string, std::string> typeOfPrinter, expected;
    for (const demo::Line& l : demo::CatalogueSection("PRINTER_TYPE"))
        typeOfPrinter[l.text.substr(0, l.text.find('='))] = l.text.substr(l.text.find('=') + 1);
    for (const demo::Line& l : demo::CatalogueSection("PRINTER_NAME"))
        expected[l.text.substr(0, l.text.find('='))] = typeOfPrinter[l.text.substr(l.text.find('=') + 1)];
    EXPECT_EQ(typeOfModel, expected);
    std::set<std::string> types;
    for (const auto& m : typeOfModel) types.insert(m.second);
    EXPECT_EQ(types, (std::set<std::string>{"24", "9"}));
    // KX-2480 is in two series and belongs to the first.
    CString found;
    EXPECT_EQ(inst.FindSeriesOfModel(found, TEXT("KX-2480")), 1);
    EXPECT_EQ(found, TEXT("KX Series"));
    // No printer name is of another's family: installing one would remove the other.
    for (const std::string& a : names)
        for (const std::string& b : names)
            EXPECT_TRUE(a == b || !(printer_family::IsSameName(text::FromUtf8(b).c_str(), text::FromUtf8(a).c_str()) ||
                                    printer_family::IsCopyName(text::FromUtf8(b).c_str(), text::FromUtf8(a).c_str())))
                << a << " / " << b;
}

TEST_F(DemoMediumTest, EveryPrinterHasAUsbModelLineInItsTypesInfOnly)
{
    const std::string catalogue = demo::ReadFile("PrinterInfor.Inf");
    EXPECT_TRUE(std::all_of(catalogue.begin(), catalogue.end(), [](char c) { return c > 0 && c < 0x7F; }));
    const std::map<std::string, std::string> infs = {{"24", demo::ReadFile("PrinterDriver/24pin/OEMPRINT.INF")},
                                                     {"9", demo::ReadFile("PrinterDriver/9pin/OEMPRINT.INF")}};
    for (const auto& inf : infs) {
        EXPECT_NE(inf.second.find("\r\nClass=Printer\r\n"), std::string::npos);
        EXPECT_NE(inf.second.find("\r\nClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}\r\n"), std::string::npos);
    }

    std::istringstream lines(catalogue.substr(catalogue.find("[PRINTER_TYPE]")));
    std::string line;
    std::getline(lines, line);
    int printers = 0;
    while (std::getline(lines, line) && line.size() > 1) {
        if (line.back() == '\r') line.pop_back();
        std::string name = line.substr(0, line.find('=')), type = line.substr(line.find('=') + 1);
        std::string quoted = "\"" + name + "\"";
        for (size_t at = quoted.find("Korvel"); at != std::string::npos; at = quoted.find("Korvel", at))
            quoted.replace(at, 6, "KORVEL");
        std::string id = HardwareIdFor(infs.at(type), quoted);
        std::string model = name.substr(7, name.find(' ', 7) - 7);
        EXPECT_EQ(id.rfind("USBPRINT\\KORVEL" + model, 0), 0u) << name << ": " << id;
        EXPECT_EQ(id.size(), 15 + model.size() + 4) << id;
        EXPECT_EQ(HardwareIdFor(infs.at(type == "24" ? "9" : "24"), quoted), "") << name;
        EXPECT_EQ(HardwareIdFor(infs.at(type), "\"" + name + "\""), "") << name;  // the maker in upper case only
        ++printers;
    }
    // Each printer that a model names has its type, and no type is left over.
    std::set<std::string> named;
    for (const demo::Line& l : demo::CatalogueSection("PRINTER_NAME"))
        named.insert(l.text.substr(l.text.find('=') + 1));
    EXPECT_EQ(printers, static_cast<int>(named.size()));
    EXPECT_GT(printers, 0);
}

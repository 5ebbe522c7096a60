// The demo setup medium in medium/ read as plain text, without the program's readers,
// so that tests about the demo take its series, models and printers from its files
// instead of repeating them: a model added to the demo changes no test.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace demo {

// The bytes of medium/<relative>, '/' between folders.
inline std::string ReadFile(const std::string& relative)
{
    std::ifstream in(std::string(KORVEL_SOURCE_DIR) + "/medium/" + relative, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct Line {
    int number;  // from 1
    std::string text;
};

// The lines of the catalogue's section of that exact name, blank lines and comments
// left out (the demo writes no blanks around its lines).
inline std::vector<Line> CatalogueSection(const std::string& name)
{
    std::istringstream in(ReadFile("PrinterInfor.Inf"));
    std::vector<Line> lines;
    bool inside = false;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            inside = line == "[" + name + "]";
        } else if (inside) {
            lines.push_back({number, line});
        }
    }
    return lines;
}

inline std::vector<std::string> Texts(const std::vector<Line>& lines)
{
    std::vector<std::string> texts;
    for (const Line& l : lines) texts.push_back(l.text);
    return texts;
}

inline std::vector<std::string> Series() { return Texts(CatalogueSection("PRINTER_SERIES")); }
inline std::vector<std::string> Models(const std::string& series) { return Texts(CatalogueSection(series)); }

}  // namespace demo

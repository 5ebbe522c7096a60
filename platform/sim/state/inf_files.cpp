#include "platform/sim/state/inf_files.h"

#include <filesystem>
#include <fstream>

#include "platform/sim/api/codepage.h"
#include "platform/sim/state/codepage.h"
#include "platform/sim/state/machine.h"

namespace sim {

bool ReadHostLines(const std::u16string& windowsPath, std::vector<std::u16string>& lines)
{
    std::optional<std::string> host = HostPath(windowsPath.c_str());
    std::error_code ec;
    if (!host || !std::filesystem::is_regular_file(*host, ec)) return false;
    std::ifstream in(*host, std::ios::binary);
    if (!in) return false;
    lines.clear();
    // An INF without a byte-order mark is text of the machine's ANSI code page.
    auto add = [&lines](std::string& bytes) {
        if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
        std::u16string line;
        if (!bytes.empty()) DecodeBytes(CP_ACP, bytes.data(), bytes.size(), false, line);
        lines.push_back(line);
        bytes.clear();
    };
    std::string bytes;
    bool any = false;
    for (char c; in.get(c);) {
        if (c == '\n') {
            add(bytes);
            any = false;
        } else {
            bytes += c;
            any = true;
        }
    }
    if (any) add(bytes);
    return true;
}

namespace {
std::u16string Trim(const std::u16string& s)
{
    size_t b = s.find_first_not_of(u" \t");
    if (b == std::u16string::npos) return std::u16string();
    size_t e = s.find_last_not_of(u" \t");
    return s.substr(b, e - b + 1);
}
}  // namespace

bool ParseInfModelLine(const std::u16string& line, InfModelLine& out)
{
    size_t at = line.find_first_not_of(u" \t");
    if (at == std::u16string::npos || line[at] != '"') return false;
    size_t close = line.find(u'"', at + 1);
    if (close == std::u16string::npos) return false;
    size_t equals = line.find_first_not_of(u" \t", close + 1);
    if (equals == std::u16string::npos || line[equals] != '=') return false;
    size_t first = line.find(u',', equals);
    if (first == std::u16string::npos) return false;
    size_t second = line.find(u',', first + 1);
    out.model = line.substr(at + 1, close - at - 1);
    out.hardwareId =
        Trim(line.substr(first + 1, second == std::u16string::npos ? std::u16string::npos : second - first - 1));
    return !out.model.empty();
}

}  // namespace sim

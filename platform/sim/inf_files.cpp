// INF files as the simulated printer-UI entry and driver update read them.
#include <filesystem>
#include <fstream>

#include "platform/inf_model_line.h"
#include "platform/sim/control.h"
#include "platform/sim/kernel_api.h"
#include "platform/sim/spooler_internal.h"

namespace sim {

bool DecodeBytes(UINT codePage, const char* bytes, size_t size, bool strict, std::u16string& out);

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

bool ParseInfModelLine(const std::u16string& line, InfModelLine& out)
{
    // Only lines that carry a hardware-ID field count as model lines here.
    inf::ModelLine parsed;
    if (!inf::ParseModelLine(line, parsed) || !parsed.hasHardwareId) return false;
    out.model = parsed.model;
    out.hardwareId = parsed.hardwareId;
    return true;
}

}  // namespace sim

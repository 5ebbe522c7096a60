#include "tools/simulator/transcript.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/error_names.h"
#include "platform/text.h"
#include "platform/windowing.h"

namespace simulator {

std::string Quote(const std::u16string& text)
{
    std::string out = "\"";
    for (char c : text::ToUtf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

static std::string ButtonState(const char* name, const sim::ui::ButtonState& b)
{
    if (!b.exists || !b.visible) return std::string();
    return std::string(" ") + name + (b.enabled ? "=on" : "=off");
}

std::vector<std::string> PageLines(const sim::ui::Snapshot& s)
{
    std::vector<std::string> lines;
    if (!s.sheetOpen) return lines;
    lines.push_back("page " + std::to_string(s.pageIndex + 1) + " " + Quote(s.title));
    for (const sim::ui::ControlState& c : s.controls) {
        if (c.id == -1) continue;  // the picture
        std::string line = "  " + std::to_string(c.id);
        if (!c.visible) line += " (hidden)";
        if (!c.enabled) line += " (disabled)";
        if (c.className == "ListBox" || c.className == "ComboBox") {
            line += c.className == "ListBox" ? " list [" : " combo [";
            for (size_t i = 0; i < c.items.size(); ++i) {
                if (i) line += ", ";
                if (static_cast<int>(i) == c.selection) line += "*";
                line += Quote(c.items[i]);
            }
            line += "]";
        } else {
            line += " " + Quote(c.text);
        }
        lines.push_back(line);
    }
    lines.push_back("  buttons:" + ButtonState("Back", s.back) + ButtonState("Next", s.next) +
                    ButtonState("Finish", s.finish) + ButtonState("Cancel", s.cancel));
    return lines;
}

std::string BoxLine(const sim::ui::BoxState& box)
{
    std::string buttons;
    switch (box.style & 0xF) {
    case MB_OKCANCEL: buttons = "OK Cancel"; break;
    case MB_YESNO: buttons = "Yes No"; break;
    default: buttons = "OK"; break;
    }
    return "box " + Quote(box.caption) + " " + Quote(box.text) + " [" + buttons + "]";
}

std::string NamedErrors(const std::string& line)
{
    std::string out;
    const std::string mark = "error ";
    size_t pos = 0;
    for (size_t at = line.find(mark); at != std::string::npos; at = line.find(mark, pos)) {
        size_t digits = at + mark.size(), end = digits;
        while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
        bool word = at == 0 || !std::isalnum(static_cast<unsigned char>(line[at - 1]));
        if (!word || end == digits || end - digits > 10 ||
            (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end])))) {
            out += line.substr(pos, digits - pos);
            pos = digits;
            continue;
        }
        unsigned long long value = std::strtoull(line.substr(digits, end - digits).c_str(), nullptr, 10);
        if (value > 0xFFFFFFFFull) {
            out += line.substr(pos, end - pos);
            pos = end;
            continue;
        }
        DWORD code = static_cast<DWORD>(value);
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
        out += line.substr(pos, at - pos) + mark + hex;
        if (const WCHAR* name = text::ErrorName(code)) out += " (" + text::ToUtf8(name, text::Length(name)) + ")";
        pos = end;
    }
    return out + line.substr(pos);
}

}  // namespace simulator

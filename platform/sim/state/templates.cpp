#include "platform/sim/state/templates.h"

#include <cctype>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/sim/api/windows.h"
#include "platform/text.h"

namespace sim {
namespace embedded {
extern const char kResourceScript[];
extern const char kResourceHeader[];
}  // namespace embedded

namespace {

// Style names a dialog script may use, with their values.
const std::map<std::string, DWORD>& StyleValues()
{
    static const std::map<std::string, DWORD> values = {
        {"WS_OVERLAPPED", 0x00000000},
        {"WS_POPUP", 0x80000000},
        {"WS_CHILD", 0x40000000},
        {"WS_MINIMIZE", 0x20000000},
        {"WS_VISIBLE", 0x10000000},
        {"WS_DISABLED", 0x08000000},
        {"WS_CLIPSIBLINGS", 0x04000000},
        {"WS_CLIPCHILDREN", 0x02000000},
        {"WS_MAXIMIZE", 0x01000000},
        {"WS_CAPTION", 0x00C00000},
        {"WS_BORDER", 0x00800000},
        {"WS_DLGFRAME", 0x00400000},
        {"WS_VSCROLL", 0x00200000},
        {"WS_HSCROLL", 0x00100000},
        {"WS_SYSMENU", 0x00080000},
        {"WS_THICKFRAME", 0x00040000},
        {"WS_GROUP", 0x00020000},
        {"WS_TABSTOP", 0x00010000},
        {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80},
        {"DS_FIXEDSYS", 0x0008},
        {"DS_3DLOOK", 0x0004},
        {"DS_CONTROL", 0x0400},
        {"DS_SHELLFONT", 0x48},
        {"SS_LEFT", 0x0000},
        {"SS_CENTER", 0x0001},
        {"SS_RIGHT", 0x0002},
        {"SS_BITMAP", 0x000E},
        {"SS_ICON", 0x0003},
        {"SS_NOPREFIX", 0x0080},
        {"SS_REALSIZEIMAGE", 0x0800},
        {"SS_CENTERIMAGE", 0x0200},
        {"LBS_NOTIFY", 0x0001},
        {"LBS_SORT", 0x0002},
        {"LBS_NOINTEGRALHEIGHT", 0x0100},
        {"LBS_HASSTRINGS", 0x0040},
        {"LBS_STANDARD", 0x00A00003},
        {"CBS_SIMPLE", 0x0001},
        {"CBS_DROPDOWN", 0x0002},
        {"CBS_DROPDOWNLIST", 0x0003},
        {"CBS_SORT", 0x0100},
        {"CBS_HASSTRINGS", 0x0200},
        {"CBS_AUTOHSCROLL", 0x0040},
        {"BS_PUSHBUTTON", 0x0000},
        {"BS_DEFPUSHBUTTON", 0x0001},
        {"ES_AUTOHSCROLL", 0x0080},
        {"ES_LEFT", 0x0000},
    };
    return values;
}

struct Resources {
    std::map<std::string, long> symbols;
    std::map<UINT, DialogTemplate> dialogs;
    std::vector<ResourceEntry> entries;
};

// Splits a statement into its comma-separated arguments; quoted strings keep their
// text ("" stands for one quotation mark).
std::vector<std::string> SplitArguments(const std::string& s)
{
    std::vector<std::string> args;
    std::string current;
    bool quoted = false;
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (quoted) {
            current += c;
            if (c == '"') {
                if (i + 1 < s.size() && s[i + 1] == '"') {
                    ++i;
                } else {
                    quoted = false;
                }
            }
        } else if (c == '"') {
            quoted = true;
            current += c;
        } else if (c == ',') {
            args.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    args.push_back(current);
    for (std::string& a : args) {
        size_t b = a.find_first_not_of(" \t");
        size_t e = a.find_last_not_of(" \t");
        a = b == std::string::npos ? std::string() : a.substr(b, e - b + 1);
    }
    return args;
}

std::u16string Unquote(const std::string& s)
{
    if (s.size() < 2 || s.front() != '"') return text::FromUtf8(s);
    std::string inner;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        inner += s[i];
        if (s[i] == '"' && s[i + 1] == '"') ++i;
    }
    return text::FromUtf8(inner);
}

long Number(const Resources& r, const std::string& token)
{
    if (token.empty()) return 0;
    if (std::isdigit(static_cast<unsigned char>(token[0])) || token[0] == '-') return std::stol(token, nullptr, 0);
    auto it = r.symbols.find(token);
    return it == r.symbols.end() ? 0 : it->second;
}

// Evaluates "A | B | NOT C": names of the style table, numbers, NOT removing a flag.
DWORD Style(const std::string& expr, DWORD initial, std::vector<std::string>* names)
{
    DWORD style = initial;
    std::istringstream in(expr);
    std::string token;
    bool negate = false;
    while (in >> token) {
        if (token == "|") continue;
        if (token == "NOT") {
            negate = true;
            continue;
        }
        DWORD value = 0;
        auto it = StyleValues().find(token);
        if (it != StyleValues().end())
            value = it->second;
        else if (std::isdigit(static_cast<unsigned char>(token[0])))
            value = static_cast<DWORD>(std::stoul(token, nullptr, 0));
        if (negate) {
            style &= ~value;
            if (names) names->push_back("NOT " + token);
        } else {
            style |= value;
            if (names) names->push_back(token);
        }
        negate = false;
    }
    return style;
}

void ParseControl(const Resources& r, const std::string& keyword, const std::string& rest, DialogTemplate& dialog)
{
    std::vector<std::string> a = SplitArguments(rest);
    ControlTemplate c;
    c.statement = keyword;
    const DWORD child = WS_CHILD | WS_VISIBLE;
    auto place = [&](size_t at) {
        if (a.size() < at + 4) return false;
        c.x = static_cast<int>(Number(r, a[at]));
        c.y = static_cast<int>(Number(r, a[at + 1]));
        c.cx = static_cast<int>(Number(r, a[at + 2]));
        c.cy = static_cast<int>(Number(r, a[at + 3]));
        return true;
    };
    if (keyword == "LTEXT" || keyword == "RTEXT" || keyword == "CTEXT") {
        c.className = "Static";
        c.text = Unquote(a[0]);
        c.id = static_cast<int>(Number(r, a.size() > 1 ? a[1] : ""));
        if (!place(2)) return;
        DWORD align = keyword == "LTEXT" ? 0 : keyword == "CTEXT" ? 1 : 2;
        c.style = Style(a.size() > 6 ? a[6] : "", child | WS_GROUP | align, &c.styleNames);
    } else if (keyword == "CONTROL") {
        if (a.size() < 8) return;
        if (!a[0].empty() && a[0][0] == '"')
            c.text = Unquote(a[0]);
        else
            c.imageId = static_cast<int>(Number(r, a[0]));
        c.id = static_cast<int>(Number(r, a[1]));
        std::u16string cls = Unquote(a[2]);
        c.className = text::ToUtf8(cls.data(), cls.size());
        c.style = Style(a[3], child, &c.styleNames);
        place(4);
    } else if (keyword == "COMBOBOX" || keyword == "LISTBOX" || keyword == "EDITTEXT") {
        c.className = keyword == "COMBOBOX" ? "ComboBox" : keyword == "LISTBOX" ? "ListBox" : "Edit";
        c.id = static_cast<int>(Number(r, a[0]));
        if (!place(1)) return;
        DWORD base = child | WS_TABSTOP;
        if (keyword == "LISTBOX") base |= LBS_NOTIFY | WS_BORDER;
        if (keyword == "COMBOBOX") base |= 0x0001;  // CBS_SIMPLE unless the style says otherwise
        std::string expr = a.size() > 5 ? a[5] : "";
        if (keyword == "COMBOBOX" && expr.find("CBS_DROPDOWN") != std::string::npos) base &= ~0x0003u;
        c.style = Style(expr, base, &c.styleNames);
    } else if (keyword == "PUSHBUTTON" || keyword == "DEFPUSHBUTTON" || keyword == "GROUPBOX") {
        c.className = "Button";
        c.text = Unquote(a[0]);
        c.id = static_cast<int>(Number(r, a.size() > 1 ? a[1] : ""));
        if (!place(2)) return;
        c.style = Style(a.size() > 6 ? a[6] : "", child | WS_TABSTOP, &c.styleNames);
    } else {
        return;
    }
    dialog.controls.push_back(c);
}

Resources Parse()
{
    Resources r;
    std::istringstream header(embedded::kResourceHeader);
    std::string line;
    while (std::getline(header, line)) {
        std::istringstream in(line);
        std::string directive, name, value;
        if (!(in >> directive >> name >> value) || directive != "#define") continue;
        std::string digits;
        for (char c : value)
            if (c != '(' && c != ')') digits += c;
        r.symbols[name] = std::stol(digits, nullptr, 0);
    }

    // Join continuation lines (a statement that ends with a comma or an operator).
    std::vector<std::string> lines;
    std::istringstream script(embedded::kResourceScript);
    while (std::getline(script, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t b = line.find_first_not_of(" \t");
        std::string t = b == std::string::npos ? std::string() : line.substr(b);
        if (!lines.empty() && !lines.back().empty() && (lines.back().back() == ',' || lines.back().back() == '|'))
            lines.back() += " " + t;
        else
            lines.push_back(t);
    }

    DialogTemplate* current = nullptr;
    bool inBody = false;
    for (const std::string& l : lines) {
        if (l.empty() || l[0] == '#' || l.rfind("//", 0) == 0) continue;
        std::istringstream in(l);
        std::string first, second;
        in >> first >> second;
        if (!inBody && second == "DIALOGEX") {
            std::string rest;
            std::getline(in, rest);
            std::vector<std::string> a = SplitArguments(rest);
            UINT id = static_cast<UINT>(Number(r, first));
            current = &r.dialogs[id];
            current->id = id;
            current->name = first;
            if (a.size() >= 4) {
                current->x = static_cast<int>(Number(r, a[0]));
                current->y = static_cast<int>(Number(r, a[1]));
                current->cx = static_cast<int>(Number(r, a[2]));
                current->cy = static_cast<int>(Number(r, a[3]));
            }
            continue;
        }
        if (current && !inBody) {
            std::string rest = l.substr(first.size());
            if (first == "STYLE") current->style = Style(rest, 0, &current->styleNames);
            if (first == "CAPTION") current->caption = Unquote(SplitArguments(rest)[0]);
            if (first == "FONT") {
                std::vector<std::string> a = SplitArguments(rest);
                current->fontSize = static_cast<int>(Number(r, a[0]));
                if (a.size() > 1) current->fontName = Unquote(a[1]);
            }
            if (first == "BEGIN") inBody = true;
            continue;
        }
        if (current && inBody) {
            if (first == "END") {
                inBody = false;
                current = nullptr;
                continue;
            }
            ParseControl(r, first, l.substr(first.size()), *current);
            continue;
        }
        // Other resources: "ID TYPE file".
        std::string third;
        in >> third;
        if (!third.empty() && third.front() == '"') r.entries.push_back({second, first, text::ToUtf8(Unquote(third))});
    }
    return r;
}

const Resources& Get()
{
    static const Resources resources = Parse();
    return resources;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(UINT id)
{
    auto it = Get().dialogs.find(id);
    return it == Get().dialogs.end() ? nullptr : &it->second;
}

std::optional<long> ResourceSymbol(const std::string& name)
{
    auto it = Get().symbols.find(name);
    if (it == Get().symbols.end()) return std::nullopt;
    return it->second;
}

std::vector<ResourceEntry> ResourceEntries() { return Get().entries; }

}  // namespace sim

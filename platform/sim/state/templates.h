// The dialog templates of the program's resource script (res/wizard.rc, embedded at
// build time), as the simulated machine reads them to build the same dialogs,
// controls, IDs, captions and styles as Windows builds from the compiled resources.
// Tests look at them here. The program never includes this header.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/sim/api/win_types.h"

namespace sim {

struct ControlTemplate {
    std::string statement;  // LTEXT, CONTROL, COMBOBOX, LISTBOX, ...
    std::string className;  // Static, Button, ComboBox, ListBox, Edit
    int id = -1;
    std::u16string text;
    int imageId = 0;  // for a picture control: the bitmap resource
    DWORD style = 0;
    std::vector<std::string> styleNames;  // the style flags named in the script
    int x = 0, y = 0, cx = 0, cy = 0;
};
struct DialogTemplate {
    UINT id = 0;
    std::string name;
    int x = 0, y = 0, cx = 0, cy = 0;
    DWORD style = 0;
    std::vector<std::string> styleNames;
    std::u16string caption;
    std::u16string fontName;
    int fontSize = 0;
    std::vector<ControlTemplate> controls;
};
const DialogTemplate* FindDialogTemplate(UINT id);
// Value of a name #defined in the resource header, or nothing.
std::optional<long> ResourceSymbol(const std::string& name);
// Resources other than dialogs: (type, id, file name) as the script lists them.
struct ResourceEntry {
    std::string type;
    std::string id;
    std::string file;
};
std::vector<ResourceEntry> ResourceEntries();

}  // namespace sim

// Resource templates as the headless host and the scenario runner read them:
// parsed from the same .rc files and resource.h that windres compiles into the
// Win32 programs (bw_add_resources embeds their text in the program).
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui::res {

struct ResourceError : std::runtime_error {
    explicit ResourceError(const std::string& what) : std::runtime_error(what) {}
};

struct Control {
    int id = -1;
    std::string cls;            // "Button", "Edit", "Static", "ListBox", "ComboBox",
                                // "SysListView32", "SysTreeView32", "msctls_progress32"
    std::string text;
    std::uint32_t style = 0;    // the system's style bits (WS_VISIBLE, BS_*, LBS_SORT ...)
    std::uint32_t exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string font;
    int fontSize = 0;
    int menu = 0;
    std::vector<Control> controls;  // in template order (the tab and creation order)
    std::string file;               // the .rc it came from
};

struct MenuItem {
    std::string text;
    int id = 0;
    bool grayed = false;
    bool separator = false;
    std::vector<MenuItem> popup;    // non-empty for POPUP entries
};

struct Menu {
    int id = 0;
    std::vector<MenuItem> items;    // usually one POPUP per context menu
};

struct ResourceSet {
    std::map<std::string, long> symbols;            // #define NAME value from resource.h
    std::map<int, DialogTemplate> dialogs;
    std::map<int, Menu> menus;
    std::set<int> icons, bitmaps;
    std::map<int, std::string> strings;             // STRINGTABLE
};

// Parses the named files (path -> text); `roots` are the files to start from.
// #include "x.h" is resolved among the files by relative name; <...> includes
// are skipped (the system's constants are known to the parser). Errors name
// the file and line.
void parseRc(const std::map<std::string, std::string>& files,
             const std::vector<std::string>& roots, ResourceSet& out);

// Embedded by bw_add_resources: one call per program at static initialisation.
struct EmbeddedFile {
    const char* name;           // relative to resources/<program>/
    const char* text;
    bool root;                  // a .rc to parse (false: an included header)
};
void registerProgram(const char* program, const EmbeddedFile* files, std::size_t count);

// Every registered program's resources merged (parsed on first use).
const ResourceSet& resources();
// A control id by number ("1060") or by a name from resource.h ("IDC_COMPANY"); -1 unknown.
long symbol(const std::string& nameOrNumber);

}  // namespace ui::res

#include "pages/shortcut_tree.h"

#include <algorithm>

#include "platform/os/file_names.h"
#include "platform/os/text.h"

namespace pages {

const char* const kRootLabels[kRootCount] = {"Desktop", "Start Menu", "Programs", "Startup"};

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kLinkSuffix[] = ".lnk";

std::string cut(const std::string& label) { return label.substr(0, kLabelCut); }

// The lines of a text as the page's readers take them: cut at each CR, the
// next line two characters later; what follows the last CR is the last line.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t cr = text.find('\r', at);
        if (cr == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, cr - at));
        at = cr + 2;
    }
    return lines;
}

std::vector<std::string> split(const std::string& line, char sep) {
    std::vector<std::string> fields;
    std::size_t at = 0;
    for (;;) {
        std::size_t e = line.find(sep, at);
        fields.push_back(line.substr(at, e == std::string::npos ? std::string::npos : e - at));
        if (e == std::string::npos) return fields;
        at = e + 1;
    }
}

// The parent location and the last component of a location.
void splitLast(const std::string& location, std::string& parent, std::string& last) {
    std::size_t slash = location.rfind('\\');
    if (slash == std::string::npos) {
        parent.clear();
        last = location;
    } else {
        parent = location.substr(0, slash);
        last = location.substr(slash + 1);
    }
}

}  // namespace

namespace {
// A label as the installer names its folder or link: trailing dots and
// blanks go, as Windows drops them, and what is left must be a name.
bool installsAsName(const std::string& label, const char* suffix) {
    const std::string name = os::withoutTrailingDots(label);
    return !name.empty() && os::nameFault(name + suffix).empty();
}
}  // namespace

const char* labelFault(const std::string& label) {
    if (label.empty()) return kMsgLabelEmpty;
    if (label.find_first_of("`\\") != std::string::npos) return kMsgLabelBadChar;
    if (label.size() > kShortcutNameChars) return kMsgLabelTooLong;
    if (!installsAsName(label, "")) return kMsgLabelNotAName;
    return nullptr;
}

const char* shortcutFieldsFault(const std::string& name, const std::string& target, const std::string& arguments) {
    if (name.empty()) return kMsgNameEmpty;
    if (name.find_first_of("`\\") != std::string::npos) return kMsgNameBadChar;
    if (name.size() > kShortcutNameChars) return kMsgNameTooLong;
    if (!installsAsName(name, kLinkSuffix)) return kMsgNameNotAName;
    if (target.find('`') != std::string::npos || arguments.find('`') != std::string::npos) return kMsgTargetBadChar;
    if (target.size() > kShortcutTargetChars) return kMsgTargetTooLong;
    if (arguments.size() > kShortcutArgumentsChars) return kMsgArgumentsTooLong;
    return nullptr;
}

ShortcutTree::ShortcutTree() {
    for (int i = 0; i < kRootCount; ++i) {
        int e = add(i - 1, kKindFolder, kRootLabels[i]);
        entries_[e].fixed = 1;
    }
}

int ShortcutTree::add(int parent, int kind, const std::string& label, const std::string& target,
                      const std::string& arguments) {
    if (full()) return -1;
    ShortcutEntry& e = entries_[count_];
    e = ShortcutEntry{};
    e.parent = parent;
    e.kind = kind;
    e.label = label;
    e.name = label;
    e.target = target;
    e.arguments = arguments;
    return count_++;
}

bool ShortcutTree::isLive(int index) const {
    return index >= 0 && index < count_ && entries_[index].kind != kKindDeleted;
}

void ShortcutTree::remove(int index) {
    if (!isLive(index)) return;
    // Children always come after their parent, so one pass in table order
    // reaches the whole subtree.
    entries_[index].kind = kKindDeleted;
    for (int i = index + 1; i < count_; ++i) {
        int p = entries_[i].parent;
        if (p >= 0 && entries_[p].kind == kKindDeleted) entries_[i].kind = kKindDeleted;
    }
}

int ShortcutTree::findItem(std::uintptr_t item) const {
    // A deleted entry's item may have been handed out again by the tree.
    for (int i = 0; i < count_; ++i)
        if (item && entries_[i].kind != kKindDeleted && entries_[i].item == item) return i;
    return -1;
}

std::string ShortcutTree::location(int index) const {
    std::string path;
    // Parents always have smaller indexes: the walk ends.
    for (int i = index; i >= 0 && i < count_; i = entries_[i].parent < i ? entries_[i].parent : -1)
        path = path.empty() ? cut(entries_[i].label.str()) : cut(entries_[i].label.str()) + "\\" + path;
    return path;
}

std::string ShortcutTree::linesText(std::string* firstFolder) const {
    std::string out;
    if (firstFolder) firstFolder->clear();
    bool first = true;
    for (int i = 0; i < count_; ++i) {
        const ShortcutEntry& e = entries_[i];
        if (e.kind != kKindFolder || e.fixed) continue;
        if (first && firstFolder) *firstFolder = cut(e.label.str());
        first = false;
        out += std::string(kCreateShortcutDirTag) + "`" + location(i) + kLineEnd;
    }
    for (int i = 0; i < count_; ++i) {
        const ShortcutEntry& e = entries_[i];
        if (e.kind != kKindShortcut) continue;
        out += std::string(kAddShortcutTag) + "`" + e.target.str() + "`" + location(e.parent) + "\\" + e.name.str() +
               kLinkSuffix + "`" + kShortcutDescription + "`" + e.arguments.str() + kLineEnd;
    }
    return out;
}

int ShortcutTree::findLocation(const std::string& wanted) const {
    if (wanted.empty()) return -1;
    for (int i = 0; i < count_; ++i)
        if (entries_[i].kind == kKindFolder && os::equalsNoCase(location(i), wanted)) return i;
    return -1;
}

std::vector<int> ShortcutTree::restore(const std::string& text) {
    std::vector<int> added;
    for (const std::string& line : linesOf(text)) {
        if (full()) break;
        std::vector<std::string> f = split(line, '`');
        std::string parentPath, name;
        int kind = kKindFolder;
        std::string target, arguments;
        if (os::equalsNoCase(f[0], kCreateShortcutDirTag)) {
            splitLast(f.size() > 1 ? f[1] : std::string(), parentPath, name);
        } else {
            kind = kKindShortcut;
            target = f.size() > 1 ? f[1] : std::string();
            splitLast(f.size() > 2 ? f[2] : std::string(), parentPath, name);
            arguments = f.size() > 4 ? f[4] : std::string();
            // The written name always ends in ".lnk"; a damaged one is cut at its first.
            std::size_t at = name.size() >= 4 && os::equalsNoCase(name.substr(name.size() - 4), kLinkSuffix)
                                 ? name.size() - 4
                                 : os::findNoCase(name, kLinkSuffix);
            if (at != std::string::npos) name.resize(at);
        }
        // A label ends at a NUL as its slot does; a nameless line places nothing.
        name.resize(std::min(name.size(), name.find('\0')));
        if (name.empty()) continue;
        int parent = findLocation(parentPath);
        if (parent < 0) parent = kRootPrograms;
        added.push_back(add(parent, kind, name, target, arguments));
    }
    return added;
}

std::string uninstallFolder(const std::string& firstFolder, const std::string& productName) {
    if (!firstFolder.empty()) return firstFolder;
    const std::string name = os::usableName(productName);
    return name.empty() ? std::string("Uninstall") : name;
}

std::string uninstallLines(const std::string& folder) {
    const std::string place = std::string(kProgramsPath) + folder;
    return std::string(kCreateShortcutDirTag) + "`" + place + kLineEnd + kAddShortcutTag + "`" + kUninstallTarget + "`" +
           place + "\\Uninstall.lnk`" + kUninstallDescription + "`" + kUninstallArguments + kLineEnd;
}

}  // namespace pages

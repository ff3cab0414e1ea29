// The shortcut tree of the shortcuts page as a table, and shortcuts.txt.
//
// shortcuts.txt (raw bytes, lines end with CR LF, fields separated by one
// backquote):
//   create_shortcut_dir`LOCATION
//   add_shortcut`TARGET`LOCATION-OF-PARENT\NAME.lnk`Shortcut to Vornel`ARGUMENTS
// LOCATION is the labels from "Desktop" down to the item, each cut to its
// first 24 characters, joined by backslashes. Folder lines come first (table
// order, so a folder follows its parent), then shortcut lines; the two
// uninstall lines are appended after the page kept its copy of the file.
//
// The table holds at most 50 entries, the four roots first; a deleted entry
// keeps its slot (kind -1). Every text fits its slot: the checks below refuse
// what does not, before anything is stored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/os/text.h"
#include "wizard/fixed_text.h"

namespace pages {

inline constexpr char kCreateShortcutDirTag[] = "create_shortcut_dir";
inline constexpr char kAddShortcutTag[] = "add_shortcut";
inline constexpr char kShortcutDescription[] = "Shortcut to Vornel";
inline constexpr char kUninstallDescription[] = "shortcut to Vornel";
inline constexpr char kUninstallTarget[] = "%WINDIR%\\UnBundlewright.exe";
inline constexpr char kUninstallArguments[] = "-f<<TARGETDIR>>\\Uninstall.wzu";
inline constexpr char kProgramsPath[] = "Desktop\\Start Menu\\Programs\\";
inline constexpr char kNewFolderLabel[] = "New Folder";
inline constexpr char kNewShortcutLabel[] = "New Shortcut";
inline constexpr char kNewShortcutTarget[] = "<<TARGETDIR>>\\";
inline constexpr std::size_t kLabelCut = 24;        // each label of a written location
inline constexpr std::size_t kShortcutTableSize = 50;
inline constexpr std::size_t kShortcutNameChars = os::kPathSlot - 1;
inline constexpr std::size_t kShortcutTargetChars = os::kPathSlot - 1;
inline constexpr std::size_t kShortcutArgumentsChars = 499;

// The four fixed roots, a chain each under the one before.
enum ShortcutRoot { kRootDesktop = 0, kRootStartMenu, kRootPrograms, kRootStartup, kRootCount };
extern const char* const kRootLabels[kRootCount];

// Messages of the refusals (the page's own texts).
inline constexpr char kMsgTreeFull[] =
    "The shortcut tree is full: it holds at most 50 folders and shortcuts (deleted ones included).";
inline constexpr char kMsgLabelBadChar[] =
    "A folder or shortcut label cannot hold a backquote (`) or a backslash (\\).";
inline constexpr char kMsgLabelEmpty[] = "A folder or shortcut label cannot be empty.";
inline constexpr char kMsgLabelTooLong[] = "A folder or shortcut label holds at most 259 characters.";
inline constexpr char kMsgRootLabel[] =
    "Desktop, Start Menu, Programs and Startup name places on the end user's computer and keep their names.";
inline constexpr char kMsgLabelNotAName[] =
    "A folder or shortcut label becomes a name on the end user's computer: it cannot hold < > : \" / | ? * or "
    "control characters, be only dots or blanks, be a device name (CON, PRN, AUX, NUL, COM1, LPT1, ...) or pass "
    "255 characters.";
inline constexpr char kMsgNameEmpty[] = "You must enter the shortcut's Name.";
inline constexpr char kMsgNameNotAName[] =
    "The Name becomes the shortcut's file name: it cannot hold < > : \" / | ? * or control characters, be only "
    "dots or blanks, be a device name (CON, PRN, AUX, NUL, COM1, LPT1, ...) or pass 251 characters.";
inline constexpr char kMsgNameBadChar[] = "The Name cannot hold a backquote (`) or a backslash (\\).";
inline constexpr char kMsgNameTooLong[] = "The Name holds at most 259 characters.";
inline constexpr char kMsgTargetTooLong[] = "The Targetfile holds at most 259 characters.";
inline constexpr char kMsgArgumentsTooLong[] = "The Command line arguments hold at most 499 characters.";
inline constexpr char kMsgTargetBadChar[] =
    "The Targetfile and the Command line arguments cannot hold a backquote (`).";

enum ShortcutKind { kKindDeleted = -1, kKindFolder = 0, kKindShortcut = 1 };

struct ShortcutEntry {
    std::uintptr_t item = 0;        // the tree item that shows the entry (the page's)
    int parent = -1;                // index of the entry it lies under; -1 for "Desktop"
    int kind = kKindFolder;
    int fixed = 0;                  // 1 for the four roots
    wizard::FixedText<os::kPathSlot> label;   // as the tree shows it
    wizard::FixedText<os::kPathSlot> name;    // a shortcut's file name (only Set changes it)
    wizard::FixedText<os::kPathSlot> target;
    wizard::FixedText<500> arguments;
};

// nullptr when `label` may be a tree label, else the message refusing it.
const char* labelFault(const std::string& label);
// nullptr when the three texts of Set fit the line format and their slots.
const char* shortcutFieldsFault(const std::string& name, const std::string& target, const std::string& arguments);

class ShortcutTree {
public:
    // The four roots.
    ShortcutTree();

    int count() const { return count_; }
    bool full() const { return count_ >= static_cast<int>(kShortcutTableSize); }
    ShortcutEntry& operator[](int i) { return entries_[i]; }
    const ShortcutEntry& operator[](int i) const { return entries_[i]; }

    // A new live entry under `parent`; -1 when the table is full.
    int add(int parent, int kind, const std::string& label, const std::string& target = {},
            const std::string& arguments = {});
    // Marks the entry and everything below it deleted.
    void remove(int index);
    // The first live entry shown by `item`, -1 when none.
    int findItem(std::uintptr_t item) const;
    bool isLive(int index) const;

    // The labels from "Desktop" down to the entry, each cut to 24 characters.
    std::string location(int index) const;

    // The folder and shortcut lines (the text the page keeps); `firstFolder`
    // gets the cut label of the first folder line, empty when none.
    std::string linesText(std::string* firstFolder = nullptr) const;

    // Adds the entries that `text` names: each under the entry whose whole
    // location is the line's parent location (letter case ignored), or under
    // "Programs" when no entry has it. Lines past a full table, and lines
    // without a name, are left out. Returns the indexes added, in order.
    std::vector<int> restore(const std::string& text);

private:
    int findLocation(const std::string& location) const;
    ShortcutEntry entries_[kShortcutTableSize];
    int count_ = 0;
};

// The uninstall shortcut's folder: the first folder of the tree, else the
// product name with what a name cannot hold left out.
std::string uninstallFolder(const std::string& firstFolder, const std::string& productName);
// The two uninstall lines for folder label `folder` (already cut).
std::string uninstallLines(const std::string& folder);

}  // namespace pages

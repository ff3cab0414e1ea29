// The working texts a package carries, as the stub reads them: option.txt's
// five sections, registry.txt's instructions, shortcuts.txt's lines and the
// services text. Tags and markers are compared without regard to case.
#pragma once

#include <string>
#include <vector>

#include "platform/os/text.h"

namespace stub {

struct OptionSection {
    bool on = false;
    std::string value;
};
struct Options {
    OptionSection prompt, welcome, license, password, readme;
};
// False when the five sections are not all there, in order.
bool parseOptions(const std::string& text, Options& out);

enum class RegOp { AddKey, SetValue, AppendValue };
struct RegInstruction {
    std::string root;       // as written ("HKEY_CURRENT_USER")
    RegOp op = RegOp::AddKey;
    std::string key, name, data;
};
// Lines before the first root line, and lines with unknown tags, are skipped.
std::vector<RegInstruction> parseRegistry(const std::string& text);

struct ShortcutLine {
    bool folder = false;
    std::string location;   // "Desktop\Start Menu\Programs\Acme[\x.lnk]"
    std::string target, description, arguments;
};
std::vector<ShortcutLine> parseShortcuts(const std::string& text);

struct ServiceLine {
    std::string executable, name, displayName;
};
// " " (none) and empty lines give nothing.
std::vector<ServiceLine> parseServices(const std::string& text);

// Helpers shared by the stub.
using os::equalsNoCase;
using os::endsWithNoCase;
std::string replaceNoCase(const std::string& s, const std::string& from, const std::string& to);
std::vector<std::string> splitLines(const std::string& text);   // CR LF (or LF) ends a line
std::vector<std::string> split(const std::string& line, char sep);

}  // namespace stub

// The delivery options page's logic apart from its controls: which list.txt
// lines are offered as programs and under which name, and which texts the
// record, the project file and the package can carry.
#pragma once

#include "platform/os/text.h"

#include <string>
#include <vector>

namespace pages::delivery {

inline constexpr const char* kMsgListMissing = "Supporting file not found";
// Program texts and command lines live in 260-byte record slots.
inline constexpr std::size_t kMaxTextChars = os::kPathSlot - 1;

// A list line is offered when its file name ends in ".EXE" or ".BAT", in any
// letter case: setup.exe and RUN.Bat are, tool.exe.bak, a folder named x.exe
// and directory markers are not.
bool isProgramLine(const std::string& line);

// The program rows of all three lists, from list.txt's bytes, in file order:
// each program line under the name the builder packs it as, so that the
// installer finds the program (a file from outside the source folder is
// "\" + its file name).
std::vector<std::string> programRows(const std::string& listBytes, const std::string& sourceFolder);

// True for a text that names no program (empty or only blanks).
bool isNoProgram(const std::string& text);

// The message refusing a command line the project file cannot carry or the
// record cannot hold, "" when it is fine. `moment` names its group box
// ("Pre Installation").
std::string commandLineFault(const std::string& moment, const std::string& text);

// The message refusing a program text that is not one of the package's
// programs (or is too long for the record), "" when it is fine.
std::string programFault(const std::string& moment, const std::string& text, bool inList);

}  // namespace pages::delivery

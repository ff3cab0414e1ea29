#include "pages/file_walk.h"

#include <vector>

#include "pages/list_txt.h"
#include "platform/os/text.h"
#include "platform/os/os.h"

namespace pages {

std::string pathTooLongMessage(const std::string& path) {
    return "The path is longer than 259 characters and cannot be listed: " + path;
}

std::string nameNotHeldMessage(const std::string& path) {
    return "The name of " + path + " cannot be written in the code page " + os::codePageName() +
           " that file lists and packages use. Rename it (or move it out of the source folder), then choose the "
           "folder again.";
}

std::string folderUnreadableMessage(const std::string& folder) {
    return "The folder " + folder + " could not be read while the list of files was made (it was removed, or it "
           "may not be opened). Check the folder, then choose the source folder again.";
}

namespace {

bool appendLine(const std::string& line, std::string& out) {
    if (line.size() > list_txt::kMaxLineChars) return false;
    out += line;
    out += list_txt::kLineEnd;
    return true;
}

bool isDotEntry(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

WalkResult walkFolder(const std::string& folder, bool recurse, std::string& out) {
    WalkResult result;
    std::vector<os::DirEntry> entries;
    if (!os::listFolder(folder, entries)) return {false, folderUnreadableMessage(folder)};
    if (entries.empty()) return result;

    int count = 0;
    for (const os::DirEntry& e : entries) {
        if (e.isDirectory) continue;
        std::string line = list_txt::join(folder, e.name);
        if (!e.nameHeld) return {false, nameNotHeldMessage(line)};
        if (!appendLine(line, out)) return {false, pathTooLongMessage(line)};
        ++count;
    }
    if (count == 0) {
        std::string marker = list_txt::join(folder, list_txt::kMarkerName);
        if (!appendLine(marker, out)) return {false, pathTooLongMessage(folder)};
    }
    if (!recurse) return result;
    for (const os::DirEntry& e : entries) {
        if (!e.isDirectory || isDotEntry(e.name)) continue;
        std::string sub = list_txt::join(folder, e.name);
        if (!e.nameHeld) return {false, nameNotHeldMessage(sub)};
        // Even a one-letter file name would not fit: refuse the folder itself.
        if (sub.size() + 2 > list_txt::kMaxLineChars) return {false, pathTooLongMessage(sub)};
        result = walkFolder(sub, true, out);
        if (!result.ok) return result;
    }
    return result;
}

bool enterSourceFolder(const std::string& folder) {
    if (folder.empty()) return false;
    bool shape = folder[0] == '\\' || (folder.size() > 2 && folder[2] == '\\');
    if (!shape) return false;
    return os::setCurrentDirectory(folder);
}

ListBuild buildList(const std::string& sourceFolder, int includeSubfolders,
                    const std::string& listFilePath, bool rebuildNotice,
                    const std::function<void(const std::string&)>& say) {
    const std::string saved = os::currentDirectory();
    if (!enterSourceFolder(sourceFolder)) {
        os::setCurrentDirectory(saved);
        say(kMsgSourceNotFound);
        return ListBuild::Refused;
    }
    if (rebuildNotice) say(kMsgListRebuilt);

    std::string text;
    WalkResult walk = walkFolder(sourceFolder, includeSubfolders != 0, text);
    os::setCurrentDirectory(saved);
    if (!walk.ok) {
        say(walk.refusal);
        return ListBuild::Refused;
    }
    if (!os::writeWholeFile(listFilePath, text)) {
        say(kMsgNotInstalledProperly);
        os::exitProcess(1);
    }
    return ListBuild::Built;
}

}  // namespace pages

// The source folder's walk that writes list.txt (format in list_txt.h), and
// the list build around it that the source folder page runs on Next.
#pragma once

#include <functional>
#include <string>

namespace pages {

inline constexpr const char* kMsgSourceNotFound = "source directory not found";
inline constexpr const char* kMsgListRebuilt =
    "List of files is prepared again to reflect the changes you made";
inline constexpr const char* kMsgNotInstalledProperly = "Product is not installed properly";

// The message for a path whose list.txt line would pass 259 characters.
std::string pathTooLongMessage(const std::string& path);

// The message for a file or folder whose name the ANSI code page cannot hold
// (the path shows each missing character as <U+65E5>).
std::string nameNotHeldMessage(const std::string& path);

// The message for a folder of the walk that can no longer be listed.
std::string folderUnreadableMessage(const std::string& folder);

struct WalkResult {
    bool ok = true;
    std::string refusal;   // when !ok: why, naming the first file or folder that cannot be listed
};

// Depth first: each folder's own files (or its one marker line) before the
// contents of its subfolders, entries in the file system's order. A folder
// that yields no entry at all writes nothing; one that cannot be listed
// (removed during the walk) stops it, so no file is left out unseen. Lines are appended to `out`. A line longer than 259
// characters, or a name the code page cannot hold, stops the walk instead of
// being written cut or changed.
WalkResult walkFolder(const std::string& folder, bool recurse, std::string& out);

// The source folder is accepted when the current directory can be changed to
// it and its first or third character is a backslash (\\server\share, C:\Prod).
// Leaves the current directory at the folder when accepted.
bool enterSourceFolder(const std::string& folder);

enum class ListBuild { Built, Refused };

// The list build: remembers the current directory, enters the folder (else
// "source directory not found"), shows the rebuild notice when asked, walks the
// folder and writes list.txt, then restores the current directory. list.txt is
// touched only when the walk succeeded; when it cannot be created the process
// ends with exit code 1 after "Product is not installed properly".
ListBuild buildList(const std::string& sourceFolder, int includeSubfolders,
                    const std::string& listFilePath, bool rebuildNotice,
                    const std::function<void(const std::string&)>& say);

}  // namespace pages

// The file list page's model: the rows shown from list.txt, the directory
// markers kept aside, and the writing of the list with the space the
// installation needs. The page mirrors the rows into its list view.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pages {

inline constexpr const char* kMsgListMissing =
    "List of file cant be prepared, Bundlewright's default directory's name has been changed";
inline constexpr const char* kMsgAlreadyListed = "The file is already present in the list";
inline constexpr const char* kMsgNeedOneFile = "You must have atleast one file for the installation";

// For list lines whose bytes the code page does not know: the first of them
// named, with how many more.
std::string notInCodePageMessage(const std::vector<std::string>& lines);

// A list.txt that cannot be written would leave the package with an older list.
std::string listNotWritableMessage(const std::string& listFilePath);

// Markers are kept while the marker text (each line plus its backquote) is
// shorter than this; later markers are dropped.
inline constexpr std::size_t kMarkerKeepLimit = 15340;
// The marker buffer's capacity; the closing "$$$" fits even after the last kept marker.
inline constexpr std::size_t kMarkerBufferChars = 15600 + 4;
// Added to the files' sum and the largest file for the installer's own needs.
inline constexpr double kInstallOverheadBytes = 135200;

struct FileRow {
    std::string file;   // "File" column: the name after the last backslash
    std::string path;   // "Path" column: the folder, "C:\" at a drive root
    std::string size;   // "Size" column: "512Bytes", "2KBytes"
};

// "512Bytes" below 1024 bytes, otherwise whole KBytes ("1KBytes" for 2047).
std::string sizeText(std::uint64_t bytes);
// The row for a full path; the size comes from the file (0 when absent).
FileRow rowFor(const std::string& fullPath);
// Path column, a backslash unless it ends in one, File column.
std::string fullPathOf(const FileRow& row);

class FileListModel {
public:
    enum class Load { Loaded, Missing };
    enum class Add { Added, Duplicate, TooLong };
    enum class Write { Written, Empty, Failed };

    // Empties the rows and markers and reads list.txt; Missing when it cannot be opened.
    Load load(const std::string& listFilePath);
    void loadText(const std::string& bytes);

    // Adds a row unless a row of the same full path (any letter case) exists,
    // or the path would not fit a list.txt line.
    Add add(const std::string& fullPath);
    int findRow(const std::string& fullPath) const;   // -1 when not listed
    // Full paths of the rows with bytes not valid in the code page, in row order.
    std::vector<std::string> linesNotInCodePage() const;
    void appendRow(const std::string& fullPath);

    // Removes the rows at the given indexes (any number, any order; repeats
    // and indexes out of range are ignored).
    void removeRows(std::vector<int> indexes);

    // Writes the rows in display order, then the markers in the order read.
    // Sets required_space = sum of existing files + largest + 135200. With no
    // rows list.txt is left empty and Empty is returned; Failed when list.txt
    // cannot be written (never reported as written).
    Write write(const std::string& listFilePath);
    // The bytes write() produces, and the space they need.
    std::string listText(double* requiredSpace = nullptr) const;

    const std::vector<FileRow>& rows() const { return rows_; }
    int file_count() const { return static_cast<int>(rows_.size()); }
    double required_space() const { return required_space_; }
    bool markerFlag() const { return markerFlag_; }
    const std::vector<std::string>& markers() const { return markers_; }
    // The marker buffer's text: each marker and a backquote, then "$$$".
    std::string markerBuffer() const;

private:
    std::vector<FileRow> rows_;
    std::vector<std::string> markers_;
    std::size_t markerChars_ = 0;
    bool markerFlag_ = false;
    double required_space_ = 0;
};

}  // namespace pages

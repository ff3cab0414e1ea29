#include "pages/file_list.h"

#include <algorithm>

#include "pages/list_txt.h"
#include "platform/os/text.h"
#include "platform/os/os.h"

namespace pages {

std::string sizeText(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + "Bytes";
    return std::to_string(bytes / 1024) + "KBytes";
}

namespace {
// Size of an existing file; false for absent paths and folders.
bool fileSize(const std::string& path, std::uint64_t& size) {
    os::FileStat st;
    if (!os::statPath(path, st) || st.isDirectory) return false;
    size = st.size;
    return true;
}
}  // namespace

FileRow rowFor(const std::string& fullPath) {
    FileRow row;
    std::size_t cut = fullPath.rfind('\\');
    if (cut == std::string::npos) {
        row.file = fullPath;
        row.path.assign(1, '\\');
    } else {
        row.file = fullPath.substr(cut + 1);
        row.path = fullPath.substr(0, cut);
        if (row.path.find('\\') == std::string::npos) row.path.push_back('\\');
    }
    std::uint64_t size = 0;
    fileSize(fullPath, size);
    row.size = sizeText(size);
    return row;
}

std::string fullPathOf(const FileRow& row) { return list_txt::join(row.path, row.file); }

std::string notInCodePageMessage(const std::vector<std::string>& lines) {
    std::string more;
    if (lines.size() > 1) more = " (and " + std::to_string(lines.size() - 1) + " more)";
    return "The list line " + lines.front() + more + " holds bytes that are not valid in the code page " +
           os::codePageName() + ", so it names no file: the list was made with another code page. Build the "
           "project where that code page is in force, or remove the row and add the file again.";
}

std::vector<std::string> FileListModel::linesNotInCodePage() const {
    std::vector<std::string> out;
    for (const FileRow& row : rows_)
        if (!os::validInCodePage(fullPathOf(row))) out.push_back(fullPathOf(row));
    return out;
}

FileListModel::Load FileListModel::load(const std::string& listFilePath) {
    std::string bytes;
    if (!os::readWholeFile(listFilePath, bytes)) {
        loadText("");
        return Load::Missing;
    }
    loadText(bytes);
    return Load::Loaded;
}

void FileListModel::loadText(const std::string& bytes) {
    rows_.clear();
    markers_.clear();
    markerChars_ = 0;
    markerFlag_ = false;
    for (const std::string& line : list_txt::readLines(bytes)) {
        if (list_txt::isMarker(line)) {
            markerFlag_ = true;
            if (markerChars_ < kMarkerKeepLimit) {
                markers_.push_back(line);
                markerChars_ += line.size() + 1;
            }
        } else {
            appendRow(line);
        }
    }
}

int FileListModel::findRow(const std::string& fullPath) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (os::equalsNoCase(fullPathOf(rows_[i]), fullPath)) return static_cast<int>(i);
    return -1;
}

void FileListModel::appendRow(const std::string& fullPath) { rows_.push_back(rowFor(fullPath)); }

FileListModel::Add FileListModel::add(const std::string& fullPath) {
    if (findRow(fullPath) >= 0) return Add::Duplicate;
    FileRow row = rowFor(fullPath);
    if (fullPathOf(row).size() > list_txt::kMaxLineChars) return Add::TooLong;
    rows_.push_back(std::move(row));
    return Add::Added;
}

void FileListModel::removeRows(std::vector<int> indexes) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    int removed = 0;
    for (int index : indexes) {
        int at = index - removed;
        if (index < 0 || at >= static_cast<int>(rows_.size())) continue;
        rows_.erase(rows_.begin() + at);
        ++removed;
    }
}

std::string FileListModel::listText(double* requiredSpace) const {
    std::string text;
    double sum = 0;
    std::uint64_t largest = 0;
    for (const FileRow& row : rows_) {
        std::string full = fullPathOf(row);
        text += full;
        text += list_txt::kLineEnd;
        std::uint64_t size = 0;
        if (fileSize(full, size)) {
            largest = std::max(largest, size);
            sum += static_cast<double>(size);
        }
    }
    for (const std::string& marker : markers_) {
        text += marker;
        text += list_txt::kLineEnd;
    }
    if (requiredSpace) *requiredSpace = sum + static_cast<double>(largest) + kInstallOverheadBytes;
    return text;
}

std::string listNotWritableMessage(const std::string& listFilePath) {
    return "The list of files cannot be written to " + listFilePath;
}

FileListModel::Write FileListModel::write(const std::string& listFilePath) {
    required_space_ = 0;
    if (rows_.empty()) {
        if (!os::writeWholeFile(listFilePath, "")) return Write::Failed;
        return Write::Empty;
    }
    std::string text = listText(&required_space_);
    if (!os::writeWholeFile(listFilePath, text)) return Write::Failed;
    return Write::Written;
}

std::string FileListModel::markerBuffer() const {
    std::string buffer;
    for (const std::string& m : markers_) buffer += m + "`";
    if (markerFlag_) buffer += "$$$";
    return buffer;
}

}  // namespace pages

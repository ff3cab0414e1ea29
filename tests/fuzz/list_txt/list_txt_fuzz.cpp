// list.txt as its readers take it: whole lines only, never a line end seen as
// an empty line; and the file list page's model writes back what it read, so
// a list read and written again stays the same list.
#include <cctype>

#include "pages/file_list.h"
#include "pages/list_txt.h"
#include "tests/fuzz/common/fuzz.h"

namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + pages::list_txt::kLineEnd;
    return out;
}

void sameModel(const pages::FileListModel& a, const pages::FileListModel& b) {
    BW_FUZZ_CHECK(a.rows().size() == b.rows().size());
    for (size_t i = 0; i < a.rows().size(); ++i) {
        BW_FUZZ_CHECK(a.rows()[i].file == b.rows()[i].file);
        BW_FUZZ_CHECK(a.rows()[i].path == b.rows()[i].path);
    }
    BW_FUZZ_CHECK(a.markers() == b.markers());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string bytes = bwfuzz::bytes(data, size);

    const std::vector<std::string> lines = pages::list_txt::readLines(bytes);
    size_t taken = 0;
    for (const std::string& l : lines) {
        BW_FUZZ_CHECK(!l.empty());
        BW_FUZZ_CHECK(l.find_first_of("\r\n") == std::string::npos);
        taken += l.size();
    }
    BW_FUZZ_CHECK(taken <= bytes.size());
    // Every line break before the first empty line gives one line: a
    // well-formed list of n lines reads as n lines, whatever their lengths.
    const std::string text = joined(lines);
    BW_FUZZ_CHECK(pages::list_txt::readLines(text) == lines);
    BW_FUZZ_CHECK(pages::list_txt::readLines(text + "\r\n" + bytes) == lines);

    // Rows keep the full path of every well-formed line; a list written and
    // read again is the same list.
    pages::FileListModel first;
    first.loadText(bytes);
    size_t row = 0;
    for (const std::string& l : lines) {
        if (pages::list_txt::isMarker(l)) continue;
        const bool fullPath = l.size() >= 4 && std::isalpha(static_cast<unsigned char>(l[0])) && l[1] == ':' &&
                              l[2] == '\\' && l.find("\\\\") == std::string::npos && l.back() != '\\';
        if (fullPath) BW_FUZZ_CHECK(pages::fullPathOf(first.rows()[row]) == l);
        ++row;
    }
    BW_FUZZ_CHECK(row == first.rows().size());
    // Runs of backslashes (empty components, in no real path) lose one on
    // every write, by the join's rule; the fixed point is checked without them.
    for (const std::string& l : lines)
        if (l.find("\\\\") != std::string::npos) return 0;
    pages::FileListModel second, third;
    second.loadText(first.listText());
    const std::string written = second.listText();
    third.loadText(written);
    sameModel(second, third);
    BW_FUZZ_CHECK(third.listText() == written);
    return 0;
}

void bwfuzz::seeds(std::vector<std::string>& out) {
    const std::string longName(259 - 7, 'n');
    out = {"C:\\src\\a.txt\r\nC:\\src\\sub\\b.dll\r\n",
           "C:\\src\\a.txt\r\nC:\\src\\empty\\temp$\r\nC:\\src\\c.txt\r\n",
           "C:\\src\\" + longName + "\r\nC:\\src\\after.txt\r\n",   // a line of exactly 259 characters
           "C:\\a.txt\r\n\r\nC:\\dropped.txt\r\n",
           "C:\\x\\TEMP$\r\nC:\\y\\temp$\r\n",
           "C:\\unterminated.txt"};
}

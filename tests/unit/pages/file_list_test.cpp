#include "pages/file_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os/os.h"
#include "tests/unit/pages/pages_tree.h"

namespace {

using pagestest::Tree;
using pagestest::readFile;

TEST(FileListRows, SizeColumn) {
    struct Case { std::uint64_t bytes; const char* text; };
    const Case cases[] = {{0, "0Bytes"},      {512, "512Bytes"}, {1023, "1023Bytes"},
                          {1024, "1KBytes"}, {2047, "1KBytes"},  {2048, "2KBytes"},
                          {5ull << 30, "5242880KBytes"}};
    for (const Case& c : cases) EXPECT_EQ(pages::sizeText(c.bytes), c.text) << c.bytes;
}

TEST(FileListRows, ColumnsFromRealFiles) {
    Tree t;
    t.mkdir("Prod");
    t.write("Prod\\a.txt", std::string(1023, 'a'));
    t.write("Prod\\b.bin", std::string(1024, 'b'));
    pages::FileRow a = pages::rowFor(t.path("Prod\\a.txt"));
    EXPECT_EQ(a.file, "a.txt");
    EXPECT_EQ(a.path, t.path("Prod"));
    EXPECT_EQ(a.size, "1023Bytes");
    EXPECT_EQ(pages::rowFor(t.path("Prod\\b.bin")).size, "1KBytes");
    EXPECT_EQ(pages::rowFor(t.path("Prod\\gone.txt")).size, "0Bytes");
    pages::FileRow root = pages::rowFor("C:\\readme.txt");
    EXPECT_EQ(root.path, "C:\\");
    EXPECT_EQ(root.file, "readme.txt");
    EXPECT_EQ(pages::fullPathOf(root), "C:\\readme.txt");
}

TEST(FileListLoad, RowsMarkersAndWriteBack) {
    Tree t;
    const std::string p = t.path("Prod");
    pages::FileListModel m;
    // A file named temp$ is a marker like any line holding temp$ (any case).
    m.loadText(p + "\\temp$\r\n" + p + "\\a.txt\r\n" + p + "\\sub\\TEMP$\r\n" + p + "\\b.txt\r\n");
    ASSERT_EQ(m.file_count(), 2);
    EXPECT_EQ(m.rows()[0].file, "a.txt");
    EXPECT_EQ(m.rows()[1].file, "b.txt");
    EXPECT_TRUE(m.markerFlag());
    EXPECT_EQ(m.markerBuffer(), p + "\\temp$`" + p + "\\sub\\TEMP$`$$$");
    ASSERT_EQ(m.write(t.path("list.txt")), pages::FileListModel::Write::Written);
    EXPECT_EQ(readFile(t.path("list.txt")),
              p + "\\a.txt\r\n" + p + "\\b.txt\r\n" + p + "\\temp$\r\n" + p + "\\sub\\TEMP$\r\n");
}

TEST(FileListLoad, WholeLinesAndStopAtEmptyLine) {
    pages::FileListModel m;
    std::string line259 = "C:\\" + std::string(256, 'x');
    ASSERT_EQ(line259.size(), 259u);
    // A 259-character line must not end the list: the lines after it are kept.
    m.loadText(line259 + "\r\nC:\\after.txt\r\n\r\nC:\\ignored.txt\r\n");
    ASSERT_EQ(m.file_count(), 2);
    EXPECT_EQ(pages::fullPathOf(m.rows()[0]), line259);
    EXPECT_EQ(m.rows()[1].file, "after.txt");
    EXPECT_FALSE(m.markerFlag());
    EXPECT_EQ(m.markerBuffer(), "");
}

TEST(FileListLoad, MissingListGivesEmptyList) {
    Tree t;
    pages::FileListModel m;
    m.loadText("C:\\a.txt\r\n");
    EXPECT_EQ(m.load(t.path("nothing.txt")), pages::FileListModel::Load::Missing);
    EXPECT_EQ(m.file_count(), 0);
}

TEST(FileListLoad, MarkersBeyond15340CharactersAreDropped) {
    pages::FileListModel m;
    std::string text;
    const std::string marker = "C:\\" + std::string(250, 'm') + "\\temp$";   // 259 characters
    for (int i = 0; i < 70; ++i) text += marker + "\r\n";
    m.loadText(text);
    // 59 markers of 260 characters reach 15340; the 60th is dropped with the rest.
    EXPECT_EQ(m.markers().size(), 59u);
    std::string buffer = m.markerBuffer();
    EXPECT_LE(buffer.size() + 1, pages::kMarkerBufferChars);
    EXPECT_EQ(buffer.substr(buffer.size() - 4), "`$$$");
}

#ifndef _WIN32
// A list made with another code page: the rows whose bytes this one does not
// know are kept and named (Win32 has only the system's code page).
TEST(FileListLoad, LinesNotValidInTheCodePageAreNamed) {
    struct Case {
        const char* page;
        std::string list;
        std::vector<std::string> bad;
        const char* more;   // what the message adds after the first
    };
    const std::vector<Case> cases = {
        {"", "C:\\P\\ok.txt\r\nC:\\P\\a\x81.txt\r\nC:\\P\\Caf\xe9.txt\r\nC:\\P\\b\x8d.txt\r\n",
         {"C:\\P\\a\x81.txt", "C:\\P\\b\x8d.txt"}, " (and 1 more)"},
        {"932", "C:\\P\\\x93\xfa.txt\r\nC:\\P\\\x93.txt\r\n", {"C:\\P\\\x93.txt"}, " holds"},
        {"1252", "C:\\P\\Caf\xe9.txt\r\nC:\\P\\temp$\r\n", {}, ""},
    };
    for (const Case& c : cases) {
        if (*c.page) os::setEnv("BUNDLEWRIGHT_CODEPAGE", c.page);
        pages::FileListModel m;
        m.loadText(c.list);
        EXPECT_EQ(m.linesNotInCodePage(), c.bad) << c.page;
        std::size_t lines = 0;
        for (std::size_t at = c.list.find('\n'); at != std::string::npos; at = c.list.find('\n', at + 1)) ++lines;
        EXPECT_EQ(m.rows().size() + m.markers().size(), lines) << "none dropped";
        if (!c.bad.empty()) {
            EXPECT_EQ(pages::notInCodePageMessage(c.bad).find(c.bad[0] + c.more), 14u) << c.page;
        }
        os::unsetEnv("BUNDLEWRIGHT_CODEPAGE");
    }
}
#endif

TEST(FileListAdd, DuplicateInAnotherCaseIsRefused) {
    Tree t;
    pages::FileListModel m;
    m.loadText("c:\\prod\\a.txt\r\nC:\\x.txt\r\n");
    EXPECT_EQ(m.add("C:\\PROD\\A.TXT"), pages::FileListModel::Add::Duplicate);
    EXPECT_EQ(m.add("C:\\X.TXT"), pages::FileListModel::Add::Duplicate);
    EXPECT_EQ(m.file_count(), 2);
    EXPECT_EQ(m.add("D:\\other\\a.txt"), pages::FileListModel::Add::Added);
    EXPECT_EQ(m.file_count(), 3);
    EXPECT_EQ(m.rows()[2].path, "D:\\other");
    EXPECT_EQ(m.add("C:\\" + std::string(257, 'l')), pages::FileListModel::Add::TooLong);
    EXPECT_EQ(m.file_count(), 3);
}

TEST(FileListRemove, SelectedRowsOnly) {
    pages::FileListModel m;
    std::string text;
    for (int i = 0; i < 6; ++i) text += "C:\\f" + std::to_string(i) + "\r\n";
    m.loadText(text);
    m.removeRows({4, 1, 2, 4, 99});
    ASSERT_EQ(m.file_count(), 3);
    EXPECT_EQ(m.rows()[0].file, "f0");
    EXPECT_EQ(m.rows()[1].file, "f3");
    EXPECT_EQ(m.rows()[2].file, "f5");
}

TEST(FileListRemove, MoreThanAThousandSelected) {
    pages::FileListModel m;
    std::string text;
    for (int i = 0; i < 2500; ++i) text += "C:\\f" + std::to_string(i) + "\r\n";
    m.loadText(text);
    std::vector<int> selected;
    for (int i = 0; i < 2500; ++i)
        if (i % 2 == 0) selected.push_back(i);
    m.removeRows(selected);
    ASSERT_EQ(m.file_count(), 1250);
    for (int i = 0; i < 1250; ++i) ASSERT_EQ(m.rows()[i].file, "f" + std::to_string(2 * i + 1));
}

TEST(FileListWrite, RequiredSpaceCountsTheLargestTwice) {
    Tree t;
    t.mkdir("Prod");
    t.write("Prod\\a", std::string(100, 'a'));
    t.write("Prod\\b", std::string(300, 'b'));
    pages::FileListModel m;
    // A file gone since it was listed stays listed and adds nothing.
    m.loadText(t.path("Prod\\a") + "\r\n" + t.path("Prod\\b") + "\r\n" + t.path("Prod\\gone") + "\r\n");
    ASSERT_EQ(m.write(t.path("list.txt")), pages::FileListModel::Write::Written);
    EXPECT_EQ(m.required_space(), 100.0 + 300 + 300 + 135200);
    EXPECT_EQ(readFile(t.path("list.txt")),
              t.path("Prod\\a") + "\r\n" + t.path("Prod\\b") + "\r\n" + t.path("Prod\\gone") + "\r\n");
}

TEST(FileListWrite, EmptyListIsRefusedAndLeavesListEmpty) {
    Tree t;
    pagestest::writeFile(t.path("list.txt"), t.path("temp$") + "\r\n");
    pages::FileListModel m;
    ASSERT_EQ(m.load(t.path("list.txt")), pages::FileListModel::Load::Loaded);
    EXPECT_EQ(m.file_count(), 0);
    EXPECT_EQ(m.write(t.path("list.txt")), pages::FileListModel::Write::Empty);
    EXPECT_EQ(readFile(t.path("list.txt")), "");
    EXPECT_EQ(m.required_space(), 0.0);
}

TEST(FileListWrite, AListThatCannotBeWrittenIsNeverReportedWritten) {
    Tree t;
    t.write("Prod\\a", "a");
    pages::FileListModel m;
    m.loadText(t.path("Prod\\a") + "\r\n");
    // A folder where list.txt should be: the file cannot be opened for writing.
    t.mkdir("list.txt");
    EXPECT_EQ(m.write(t.path("list.txt")), pages::FileListModel::Write::Failed);
    pages::FileListModel empty;
    EXPECT_EQ(empty.write(t.path("list.txt")), pages::FileListModel::Write::Failed);
}

}  // namespace

// The source folder and file list pages on the headless host: validation
// messages, the walk into list.txt, the rows, Add and Remove, the write back
// with the space needed, an opened project's stored list, and Back.
#include <gtest/gtest.h>

#include <string>

#include "pages/file_list.h"
#include "pages/file_list_dlg.h"
#include "pages/file_walk.h"
#include "pages/source_folder_dlg.h"
#include "platform/os/os.h"
#include "platform/ui/dialog.h"
#include "resources/tarnwick/resource.h"
#include "tests/unit/pages/pages_chain.h"

namespace {

using pagestest::PagesEnv;
using pagestest::readFile;

// Ends a page by a confirmed Cancel (the run then exits with 0).
const char* kCancelHere = "answer message yes\nesc\n";

// Runs the file list page straight from the root, keeping what it gave the chain.
struct FileListRun {
    int result = 0;
    int fileCount = -1;
    double requiredSpace = -1;
};
void runFileListFromRoot(PagesEnv& env, FileListRun& out) {
    env.root.next = [&out](pagestest::CTestRoot& root) {
        pages::CFileListDlg page(root.chain());
        out.result = page.runModal();
        out.fileCount = page.file_count();
        out.requiredSpace = root.chain().required_space;
    };
}

TEST(SourceFolderPage, RefusesEmptyDriveOnlyAndRelativeFoldersInOrder) {
    PagesEnv env;
    env.tree.write("Prod\\a.txt", std::string(1023, 'a'));
    std::vector<ui::RecordedMessage> messages;
    int code = env.run(std::string(
        "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
        "on dialog IDD_SOURCE_FOLDER\n"
        "click IDC_SOURCE_FOLDER_NEXT\n"
        "set IDC_SOURCE_FOLDER_EDIT C:\n"
        "click IDC_SOURCE_FOLDER_NEXT\n"
        "set IDC_SOURCE_FOLDER_EDIT Prod\n"
        "click IDC_SOURCE_FOLDER_NEXT\n"
        "expect text IDC_SOURCE_FOLDER_EDIT Prod\n") + kCancelHere, &messages);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(pagestest::messageTexts(messages),
              "You must select the source folder|source directory not found|source directory not found|"
              "Are you sure to cancel the project? Press Yes to cancel, press No to continue with Bundlewright|");
    EXPECT_EQ(readFile(env.listFile()), "<missing>");   // refused folders never touch list.txt
    EXPECT_NE(env.rec.source_page_done, 3);
}

TEST(SourceFolderPage, WalksWithAndWithoutSubfoldersIntoTheFileList) {
    PagesEnv env;
    env.tree.write("Prod\\a.txt", std::string(1023, 'a'));
    env.tree.write("Prod\\sub\\c.txt", std::string(2047, 'c'));
    env.tree.mkdir("Prod\\sub\\deeper");
    const std::string prod = env.tree.path("Prod");
    int code = env.run(
        "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
        "on dialog IDD_SOURCE_FOLDER\n"
        "set IDC_SOURCE_FOLDER_EDIT " + prod + "\n"
        "set IDC_SOURCE_FOLDER_DESTINATION C:\\Program Files\\Prod\n"
        "click IDC_SOURCE_FOLDER_NEXT\n"
        "on dialog IDD_FILE_LIST\n"
        "expect rows IDC_FILE_LIST_FILES 1\n"
        "expect row IDC_FILE_LIST_FILES 0 a.txt\n"
        "click IDC_FILE_LIST_BACK\n"
        "on dialog IDD_SOURCE_FOLDER\n"
        "check IDC_SOURCE_FOLDER_SUBFOLDERS\n"
        "click IDC_SOURCE_FOLDER_NEXT\n"
        "on dialog IDD_FILE_LIST\n"
        "expect rows IDC_FILE_LIST_FILES 2\n"
        "expect row IDC_FILE_LIST_FILES 1 c.txt\n" + kCancelHere);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(readFile(env.listFile()),
              prod + "\\a.txt\r\n" + prod + "\\sub\\c.txt\r\n" + prod + "\\sub\\deeper\\temp$\r\n");
    EXPECT_EQ(env.rec.source_page_done, 3);
    EXPECT_EQ(env.rec.source_folder.str(), prod);
    EXPECT_EQ(env.rec.default_destination.str(), "C:\\Program Files\\Prod");
    EXPECT_EQ(env.rec.include_subfolders, 1);
}

TEST(SourceFolderPage, EmptyFolderGivesOneMarkerAndTheListRefusesNext) {
    PagesEnv env;
    env.tree.mkdir("Empty");
    const std::string empty = env.tree.path("Empty");
    std::vector<ui::RecordedMessage> messages;
    env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
            "on dialog IDD_SOURCE_FOLDER\n"
            "set IDC_SOURCE_FOLDER_EDIT " + empty + "\n"
            "click IDC_SOURCE_FOLDER_NEXT\n"
            "on dialog IDD_FILE_LIST\n"
            "expect rows IDC_FILE_LIST_FILES 0\n"
            "click IDC_FILE_LIST_NEXT\n"
            "expect message You must have atleast one file for the installation\n"
            "expect visible IDC_FILE_LIST_NEXT 1\n" + std::string(kCancelHere), &messages);
    EXPECT_EQ(readFile(env.listFile()), "");   // refused: left empty
}

TEST(SourceFolderPage, DriveRootNeedsNoSecondBackslash) {
    PagesEnv env;
    if (!env.tree.isDriveRoot()) GTEST_SKIP() << "the test folder is a drive root only natively";
    env.tree.write("root.txt", "12345");
    env.tree.write("Prod\\a.txt", "a");
    ui::Scenario s = ui::Scenario::parse("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
                                         "on dialog IDD_SOURCE_FOLDER\n"
                                         "set IDC_SOURCE_FOLDER_EDIT C:\\\n"
                                         "click IDC_SOURCE_FOLDER_NEXT\n"
                                         "on dialog IDD_FILE_LIST\n"
                                         "expect rows IDC_FILE_LIST_FILES 1\n"
                                         "expect row IDC_FILE_LIST_FILES 0 root.txt\n", "root");
    s.then([](ui::Dialog& d) { EXPECT_EQ(d.lvCell(IDC_FILE_LIST_FILES, 0, 1), "C:\\"); });
    s.add(kCancelHere);
    ui::ScenarioRun run(std::move(s));
    EXPECT_THROW(env.root.runModal(), os::ExitRequest);
    run.finish();
    EXPECT_EQ(readFile(env.listFile()), "C:\\root.txt\r\n");
}

TEST(SourceFolderPage, OpenedProjectKeepsItsStoredListUntilFolderOrBoxChange) {
    PagesEnv env;
    env.tree.write("Prod\\a.txt", "a");
    env.tree.write("Prod\\sub\\b.txt", "b");
    const std::string prod = env.tree.path("Prod");
    env.rec.project_opened = 1;
    env.rec.source_folder = prod;
    env.rec.include_subfolders = 0;
    env.rec.default_destination = "C:\\Dest";
    env.rec.stored_file_list = prod + "\\kept.txt\r\nC:\\elsewhere\\added.txt\r\n";
    std::vector<ui::RecordedMessage> messages;
    env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
            "on dialog IDD_SOURCE_FOLDER\n"
            "expect text IDC_SOURCE_FOLDER_EDIT " + prod + "\n"
            "expect text IDC_SOURCE_FOLDER_DESTINATION C:\\Dest\n"
            "expect checked IDC_SOURCE_FOLDER_SUBFOLDERS 0\n"
            "click IDC_SOURCE_FOLDER_NEXT\n"
            "on dialog IDD_FILE_LIST\n"
            "expect rows IDC_FILE_LIST_FILES 2\n"
            "expect row IDC_FILE_LIST_FILES 1 added.txt\n"
            "click IDC_FILE_LIST_BACK\n"
            "on dialog IDD_SOURCE_FOLDER\n"
            "check IDC_SOURCE_FOLDER_SUBFOLDERS\n"
            "click IDC_SOURCE_FOLDER_NEXT\n"
            "expect message List of files is prepared again to reflect the changes you made\n"
            "on dialog IDD_FILE_LIST\n"
            "expect rows IDC_FILE_LIST_FILES 2\n"
            "expect row IDC_FILE_LIST_FILES 0 a.txt\n" + std::string(kCancelHere), &messages);
    EXPECT_EQ(readFile(env.listFile()), prod + "\\a.txt\r\n" + prod + "\\sub\\b.txt\r\n");
    // The file list's Back wrote the kept list back into the stored copy.
    ASSERT_TRUE(env.rec.stored_file_list.has_value());
    EXPECT_EQ(*env.rec.stored_file_list, prod + "\\kept.txt\r\nC:\\elsewhere\\added.txt\r\n");
}

TEST(SourceFolderPage, BackAfterAStoreKeepsTheValueTakenFromTheBox) {
    PagesEnv env;
    env.tree.write("Prod\\a.txt", "a");
    const std::string prod = env.tree.path("Prod");
    env.rec.source_page_done = 3;
    env.rec.source_folder = prod;
    env.run(std::string("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
                        "on dialog IDD_SOURCE_FOLDER\n"
                        "set IDC_SOURCE_FOLDER_EDIT C:\\Typed\\Since\n"
                        "check IDC_SOURCE_FOLDER_SUBFOLDERS\n"
                        "click IDC_SOURCE_FOLDER_BACK\n"
                        "on dialog IDD_PAGES_ROOT\n") + kCancelHere);
    EXPECT_EQ(env.rec.source_folder.str(), prod);
    EXPECT_EQ(env.rec.include_subfolders, 1);
    EXPECT_EQ(readFile(env.listFile()), "<missing>");
}

TEST(SourceFolderPage, BrowseFillsTheBoxOnlyWhenAFolderIsChosen) {
    PagesEnv env;
    env.tree.write("Prod\\a.txt", "a");
    const std::string prod = env.tree.path("Prod");
    env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
            "on dialog IDD_SOURCE_FOLDER\n"
            "set IDC_SOURCE_FOLDER_EDIT typed\n"
            "answer folder cancel\n"
            "click IDC_SOURCE_FOLDER_BROWSE\n"
            "expect text IDC_SOURCE_FOLDER_EDIT typed\n"
            "answer folder " + prod + "\n"
            "click IDC_SOURCE_FOLDER_BROWSE\n"
            "expect text IDC_SOURCE_FOLDER_EDIT " + prod + "\n"
            "click IDC_SOURCE_FOLDER_NEXT\n"
            "on dialog IDD_FILE_LIST\n"
            "expect rows IDC_FILE_LIST_FILES 1\n" + std::string(kCancelHere));
    EXPECT_EQ(env.rec.source_folder.str(), prod);
}

TEST(SourceFolderPage, AFileLineLongerThan259IsRefusedNamingTheFile) {
    PagesEnv env;
    // Windows itself cannot make such a file without long-path names.
    if (!env.tree.isDriveRoot()) GTEST_SKIP() << "paths over 259 characters are made natively only";
    std::string deep = "Prod\\" + std::string(120, 'd') + "\\" + std::string(120, 'e');
    env.tree.write(deep + "\\" + std::string(30, 'f') + ".txt", "x");
    const std::string prod = env.tree.path("Prod");
    std::vector<ui::RecordedMessage> messages;
    env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
            "on dialog IDD_SOURCE_FOLDER\n"
            "set IDC_SOURCE_FOLDER_EDIT " + prod + "\n"
            "check IDC_SOURCE_FOLDER_SUBFOLDERS\n"
            "click IDC_SOURCE_FOLDER_NEXT\n" + std::string(kCancelHere), &messages);
    ASSERT_GE(messages.size(), 1u);
    EXPECT_NE(messages[0].text.find("longer than 259"), std::string::npos) << messages[0].text;
    EXPECT_NE(messages[0].text.find(std::string(30, 'f') + ".txt"), std::string::npos);
    EXPECT_EQ(readFile(env.listFile()), "<missing>");
}

TEST(FileListPage, AListThatCannotBeWrittenKeepsThePage) {
    PagesEnv env;
    env.tree.write("Prod\\a.txt", "a");
    pagestest::writeFile(env.listFile(), env.tree.path("Prod\\a.txt") + "\r\n");
    FileListRun out;
    runFileListFromRoot(env, out);
    ui::Scenario s = ui::Scenario::parse("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_FILE_LIST\n", "unwritable");
    s.then([&](ui::Dialog&) {
        // list.txt turns into a folder while the page is open.
        os::deleteFile(env.listFile());
        env.tree.mkdir("inst\\temp\\list.txt");
    });
    s.add("click IDC_FILE_LIST_NEXT\n"
          "expect message The list of files cannot be written to " + env.listFile() + "\n"
          "expect visible IDC_FILE_LIST_NEXT 1\n" + std::string(kCancelHere) + "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
    ui::ScenarioRun run(std::move(s));
    env.root.runModal();
    run.finish();
    EXPECT_EQ(out.result, ui::IdCancel);
}

TEST(FileListPage, SizesPathsAndMarkersFromList) {
    PagesEnv env;
    env.tree.write("Prod\\a", std::string(1023, 'a'));
    env.tree.write("Prod\\b", std::string(1024, 'b'));
    env.tree.write("Prod\\c", std::string(2047, 'c'));
    const std::string prod = env.tree.path("Prod");
    pagestest::writeFile(env.listFile(), prod + "\\a\r\n" + prod + "\\empty\\temp$\r\n" + prod + "\\b\r\n" +
                                             prod + "\\c\r\n" + prod + "\\temp$\r\n");
    FileListRun out;
    runFileListFromRoot(env, out);
    env.setFlags("0000000");
    env.standIns({IDD_OUTPUT_LOCATION});
    ui::Scenario s = ui::Scenario::parse(
        "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
        "on dialog IDD_FILE_LIST\n"
        "expect rows IDC_FILE_LIST_FILES 3\n", "sizes");
    s.then([&](ui::Dialog& d) {
        EXPECT_EQ(d.lvCell(IDC_FILE_LIST_FILES, 0, 2), "1023Bytes");
        EXPECT_EQ(d.lvCell(IDC_FILE_LIST_FILES, 1, 2), "1KBytes");
        EXPECT_EQ(d.lvCell(IDC_FILE_LIST_FILES, 2, 2), "1KBytes");
        EXPECT_EQ(d.lvCell(IDC_FILE_LIST_FILES, 2, 1), prod);
    });
    s.add("click IDC_FILE_LIST_NEXT\n"
          "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n"
          "on dialog IDD_FILE_LIST\n" + std::string(kCancelHere) + "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
    ui::ScenarioRun run(std::move(s));
    env.root.runModal();
    run.finish();
    EXPECT_EQ(out.fileCount, 3);
    EXPECT_EQ(out.requiredSpace, 1023 + 1024 + 2047 + 2047 + 135200);
    EXPECT_EQ(readFile(env.listFile()), prod + "\\a\r\n" + prod + "\\b\r\n" + prod + "\\c\r\n" + prod +
                                            "\\empty\\temp$\r\n" + prod + "\\temp$\r\n");
}

TEST(FileListPage, AddRefusesAnotherCaseAndRemoveTakesExactlyTheSelectedRows) {
    PagesEnv env;
    env.tree.write("Prod\\a.txt", std::string(100, 'a'));
    env.tree.write("Prod\\b.txt", std::string(300, 'b'));
    env.tree.write("top.bin", std::string(1024, 't'));
    const std::string prod = env.tree.path("Prod");
    const std::string top = env.tree.path("top.bin");
    pagestest::writeFile(env.listFile(), prod + "\\a.txt\r\n" + prod + "\\x1\r\n" + prod + "\\b.txt\r\n" +
                                             prod + "\\x2\r\n");
    FileListRun out;
    runFileListFromRoot(env, out);
    env.setFlags("0000000");
    env.standIns({IDD_OUTPUT_LOCATION});
    std::string upper = prod + "\\A.TXT";
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::vector<ui::RecordedMessage> messages;
    ui::Scenario s = ui::Scenario::parse(
        "on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
        "on dialog IDD_FILE_LIST\n"
        "answer file " + upper + "\n"
        "click IDC_FILE_LIST_ADD\n"
        "expect message The file is already present in the list\n"
        "expect rows IDC_FILE_LIST_FILES 4\n"
        "answer file cancel\n"
        "click IDC_FILE_LIST_ADD\n"
        "answer file " + top + "\n"
        "click IDC_FILE_LIST_ADD\n"
        "expect rows IDC_FILE_LIST_FILES 5\n"
        "expect row IDC_FILE_LIST_FILES 4 top.bin\n", "add");
    s.then([&](ui::Dialog& d) {
        EXPECT_EQ(d.lvCell(IDC_FILE_LIST_FILES, 4, 1), env.tree.isDriveRoot() ? "C:\\" : env.tree.root());
        EXPECT_EQ(d.lvCell(IDC_FILE_LIST_FILES, 4, 2), "1KBytes");
        d.lvSelect(IDC_FILE_LIST_FILES, 1);
        d.lvSelect(IDC_FILE_LIST_FILES, 3);
        d.lvSelect(IDC_FILE_LIST_FILES, 4);
    });
    s.add("click IDC_FILE_LIST_REMOVE\n"
          "expect rows IDC_FILE_LIST_FILES 2\n"
          "expect row IDC_FILE_LIST_FILES 0 a.txt\n"
          "expect row IDC_FILE_LIST_FILES 1 b.txt\n"
          "click IDC_FILE_LIST_NEXT\n"
          "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n"
          "on dialog IDD_FILE_LIST\n" + std::string(kCancelHere) + "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
    ui::ScenarioRun run(std::move(s));
    env.root.runModal();
    run.finish();
    EXPECT_EQ(out.fileCount, 2);
    EXPECT_EQ(out.requiredSpace, 100 + 300 + 300 + 135200);
    EXPECT_EQ(readFile(env.listFile()), prod + "\\a.txt\r\n" + prod + "\\b.txt\r\n");
}

TEST(FileListPage, RemovesMoreThanAThousandSelectedRows) {
    PagesEnv env;
    std::string list;
    for (int i = 0; i < 1500; ++i) list += "C:\\many\\f" + std::to_string(i) + "\r\n";
    pagestest::writeFile(env.listFile(), list);
    FileListRun out;
    runFileListFromRoot(env, out);
    ui::Scenario s = ui::Scenario::parse("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\non dialog IDD_FILE_LIST\n", "many");
    s.then([](ui::Dialog& d) {
        for (int i = 0; i < 1500; ++i)
            if (i != 7 && i != 1499) d.lvSelect(IDC_FILE_LIST_FILES, i);
    });
    s.add("click IDC_FILE_LIST_REMOVE\n"
          "expect rows IDC_FILE_LIST_FILES 2\n"
          "expect row IDC_FILE_LIST_FILES 0 f7\n"
          "expect row IDC_FILE_LIST_FILES 1 f1499\n" + std::string(kCancelHere) + "on dialog IDD_PAGES_ROOT\n" + kCancelHere);
    ui::ScenarioRun run(std::move(s));
    env.root.runModal();
    run.finish();
    EXPECT_EQ(out.fileCount, 2);
}

TEST(FileListPage, MissingListIsSaidAndTheEmptyPageStillShows) {
    PagesEnv env;
    FileListRun out;
    runFileListFromRoot(env, out);
    env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
            "expect message List of file cant be prepared, Bundlewright's default directory's name has been changed\n"
            "on dialog IDD_FILE_LIST\n"
            "expect rows IDC_FILE_LIST_FILES 0\n"
            "click IDC_FILE_LIST_BACK\n"
            "expect message You must have atleast one file for the installation\n"
            "on dialog IDD_PAGES_ROOT\n" + std::string(kCancelHere));
    EXPECT_EQ(out.result, 1);   // Back still leaves
}

TEST(FileListPage, ANamedTempDollarFileIsAMarkerWrittenAfterTheFiles) {
    PagesEnv env;
    env.tree.write("Prod\\temp$", "t");
    env.tree.write("Prod\\a.txt", "a");
    const std::string prod = env.tree.path("Prod");
    env.setFlags("0000000");
    env.standIns({IDD_OUTPUT_LOCATION});
    env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
            "on dialog IDD_SOURCE_FOLDER\n"
            "set IDC_SOURCE_FOLDER_EDIT " + prod + "\n"
            "click IDC_SOURCE_FOLDER_NEXT\n"
            "on dialog IDD_FILE_LIST\n"
            "expect rows IDC_FILE_LIST_FILES 1\n"
            "expect row IDC_FILE_LIST_FILES 0 a.txt\n"
            "click IDC_FILE_LIST_NEXT\n"
            "on dialog IDD_PAGES_STEP; click IDC_PAGES_BACK\n"
            "on dialog IDD_FILE_LIST\n" + std::string(kCancelHere));
    EXPECT_EQ(readFile(env.listFile()), prod + "\\a.txt\r\n" + prod + "\\temp$\r\n");
}

}  // namespace

namespace {

// Both texts go into one field of the project file; what would shift its
// fields is refused before list.txt is written.
TEST(SourceFolderPage, RefusesTextsTheProjectFileCannotCarry) {
    PagesEnv env;
    env.tree.write("Pr`od\\a.txt", "a");
    env.tree.write("Prod\\a.txt", "a");
    std::vector<ui::RecordedMessage> messages;
    const std::string root = env.tree.root();
    int code = env.run("on dialog IDD_PAGES_ROOT; click IDC_PAGES_NEXT\n"
                       "on dialog IDD_SOURCE_FOLDER\n"
                       "set IDC_SOURCE_FOLDER_EDIT " + root + "\\Pr`od\n"
                       "click IDC_SOURCE_FOLDER_NEXT\n"
                       "set IDC_SOURCE_FOLDER_EDIT " + root + "\\Prod\n"
                       "set IDC_SOURCE_FOLDER_DESTINATION START3\n"
                       "click IDC_SOURCE_FOLDER_NEXT\n" + kCancelHere, &messages);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(pagestest::messageTexts(messages),
              "The Source Folder cannot contain the character ` (backquote), because the project file uses it to "
              "separate its fields.|The Default destination folder cannot be a word the project file uses to mark "
              "its sections (start1 to start12).|"
              "Are you sure to cancel the project? Press Yes to cancel, press No to continue with Bundlewright|");
    EXPECT_EQ(readFile(env.listFile()), "<missing>");
    EXPECT_NE(env.rec.source_page_done, 3);
}

}  // namespace

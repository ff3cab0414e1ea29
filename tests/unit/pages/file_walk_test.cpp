#include "pages/file_walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os/os.h"
#include "tests/unit/pages/pages_tree.h"

namespace {

using pagestest::Tree;
using pagestest::readFile;

struct Build {
    Tree tree;
    std::vector<std::string> said;
    std::string listPath() const { return tree.path("list.txt"); }
    pages::ListBuild run(const std::string& source, int recurse, bool notice = false) {
        return pages::buildList(source, recurse, listPath(), notice,
                                [this](const std::string& m) { said.push_back(m); });
    }
};

TEST(FolderWalk, EmptyFolderGivesOneMarker) {
    Build b;
    b.tree.mkdir("Prod");
    ASSERT_EQ(b.run(b.tree.path("Prod"), 1), pages::ListBuild::Built);
    EXPECT_EQ(readFile(b.listPath()), b.tree.path("Prod") + "\\temp$\r\n");
    EXPECT_TRUE(b.said.empty());
}

TEST(FolderWalk, WithoutSubfolderFlagOnlyTheFolderItself) {
    Build b;
    b.tree.mkdir("Prod\\bin");
    b.tree.write("Prod\\bin\\tool.exe", "x");
    ASSERT_EQ(b.run(b.tree.path("Prod"), 0), pages::ListBuild::Built);
    EXPECT_EQ(readFile(b.listPath()), b.tree.path("Prod") + "\\temp$\r\n");
}

TEST(FolderWalk, DepthFirstOwnFilesBeforeSubfoldersAndMarkersForFilelessFolders) {
    Build b;
    const std::string p = b.tree.path("Prod");
    b.tree.mkdir("Prod\\bin");
    b.tree.mkdir("Prod\\empty");
    b.tree.mkdir("Prod\\outer\\inner");
    b.tree.write("Prod\\setup.ini", "s");
    b.tree.write("Prod\\bin\\tool.exe", "t");
    b.tree.write("Prod\\outer\\inner\\deep.txt", "d");
    // Any non-zero flag recurses.
    ASSERT_EQ(b.run(p, 5), pages::ListBuild::Built);
    std::string list = readFile(b.listPath());

    const std::vector<std::string> lines = {p + "\\setup.ini", p + "\\bin\\tool.exe", p + "\\empty\\temp$",
                                            p + "\\outer\\temp$", p + "\\outer\\inner\\deep.txt"};
    std::size_t total = 0;
    for (const auto& l : lines) {
        EXPECT_NE(list.find(l + "\r\n"), std::string::npos) << l;
        total += l.size() + 2;
    }
    EXPECT_EQ(list.size(), total);
    EXPECT_EQ(list.rfind(p + "\\setup.ini\r\n", 0), 0u) << "own files come first";
    EXPECT_LT(list.find("outer\\temp$"), list.find("inner\\deep.txt")) << "a folder before its subfolders";
}

TEST(FolderWalk, DriveRootHasNoDoubledBackslash) {
    Build b;
    if (!b.tree.isDriveRoot()) GTEST_SKIP() << "needs a drive of its own";
    b.tree.write("readme.txt", "r");
    b.tree.mkdir("sub");
    b.tree.write("sub\\a.txt", "a");
    ASSERT_EQ(b.run("C:\\", 1), pages::ListBuild::Built);
    std::string list = readFile(b.listPath());
    EXPECT_NE(list.find("C:\\readme.txt\r\n"), std::string::npos);
    EXPECT_NE(list.find("C:\\sub\\a.txt\r\n"), std::string::npos);
    EXPECT_EQ(list.find("\\\\"), std::string::npos);
}

TEST(FolderWalk, RefusedSourcesLeaveListAndCurrentDirectory) {
    struct Case { const char* name; std::string source; };
    Build b;
    b.tree.mkdir("Prod");
    b.tree.write("Prod\\a.txt", "a");
    os::setCurrentDirectory(b.tree.path("Prod"));
    const std::vector<Case> cases = {
        {"drive without backslash", "C:"},
        {"relative name", "Prod"},
        {"missing folder", b.tree.path("Nowhere")},
        {"empty", ""},
    };
    for (const Case& c : cases) {
        pagestest::writeFile(b.listPath(), "old\r\n");
        os::setCurrentDirectory(b.tree.root() + "\\");
        std::string before = os::currentDirectory();
        b.said.clear();
        EXPECT_EQ(b.run(c.source, 1), pages::ListBuild::Refused) << c.name;
        EXPECT_EQ(b.said, std::vector<std::string>{pages::kMsgSourceNotFound}) << c.name;
        EXPECT_EQ(readFile(b.listPath()), "old\r\n") << c.name;
        EXPECT_EQ(os::currentDirectory(), before) << c.name;
    }
}

TEST(FolderWalk, RestoresCurrentDirectoryAndShowsRebuildNotice) {
    Build b;
    b.tree.mkdir("Prod");
    b.tree.mkdir("Elsewhere");
    b.tree.write("Prod\\a.txt", "a");
    ASSERT_TRUE(os::setCurrentDirectory(b.tree.path("Elsewhere")));
    std::string before = os::currentDirectory();
    ASSERT_EQ(b.run(b.tree.path("Prod"), 0, true), pages::ListBuild::Built);
    EXPECT_EQ(b.said, std::vector<std::string>{pages::kMsgListRebuilt});
    EXPECT_EQ(os::currentDirectory(), before);
    EXPECT_EQ(readFile(b.listPath()), b.tree.path("Prod") + "\\a.txt\r\n");
}

TEST(FolderWalk, LineOver259CharactersIsRefusedNamingTheFile) {
    Build b;
    b.tree.mkdir("Prod");
    pagestest::writeFile(b.listPath(), "old\r\n");
    const std::string prefix = b.tree.path("Prod") + "\\";
    // Exactly 259 characters fits; one more is refused, never cut.
    std::string fits(259 - prefix.size(), 'f');
    b.tree.write("Prod\\" + fits, "1");
    ASSERT_EQ(b.run(b.tree.path("Prod"), 0), pages::ListBuild::Built);
    EXPECT_EQ(readFile(b.listPath()), prefix + fits + "\r\n");

    std::string longer(260 - prefix.size(), 'g');
    b.tree.write("Prod\\" + longer, "2");
    pagestest::writeFile(b.listPath(), "old\r\n");
    ASSERT_EQ(b.run(b.tree.path("Prod"), 0), pages::ListBuild::Refused);
    ASSERT_EQ(b.said.size(), 1u);
    EXPECT_EQ(b.said[0], pages::pathTooLongMessage(prefix + longer));
    EXPECT_EQ(readFile(b.listPath()), "old\r\n");
}

TEST(FolderWalk, ListThatCannotBeCreatedEndsTheProcess) {
    Build b;
    b.tree.mkdir("Prod");
    os::setExitTrap(true);
    int code = -1;
    try {
        pages::buildList(b.tree.path("Prod"), 0, b.tree.path("no\\such\\list.txt"), false,
                         [&](const std::string& m) { b.said.push_back(m); });
    } catch (const os::ExitRequest& e) {
        code = e.code;
    }
    os::setExitTrap(false);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(b.said, std::vector<std::string>{pages::kMsgNotInstalledProperly});
}

}  // namespace

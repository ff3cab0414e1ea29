#include "pages/file_walk.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "tests/unit/pages/pages_tree.h"

#ifdef _WIN32
#include <direct.h>
#include <wchar.h>
#else
#include <sys/stat.h>
#endif

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

// Makes a file (or, with a trailing '/', a folder) by the name the host's own
// tools would give it, UTF-8 spelt, as a checkout or a copy leaves it.
void makeByHostName(const Tree& tree, const std::string& utf8) {
    const bool folder = utf8.back() == '/';
    const std::string rel = folder ? utf8.substr(0, utf8.size() - 1) : utf8;
#ifdef _WIN32
    std::wstring w;
    for (const char c : tree.root()) w += static_cast<wchar_t>(static_cast<unsigned char>(c));
    w += L'\\';
    for (std::size_t i = 0; i < rel.size();) {
        const unsigned char c = static_cast<unsigned char>(rel[i]);
        const std::size_t n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        unsigned cp = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(rel[i + k]) & 0x3F);
        if (cp >= 0x10000) {
            w += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            w += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            w += cp == '/' ? L'\\' : static_cast<wchar_t>(cp);
        }
        i += n;
        if (cp == '/' || i == rel.size()) {
            if (cp == '/' || folder) _wmkdir(w.c_str());
        }
    }
    if (!folder) {
        FILE* f = _wfopen(w.c_str(), L"wb");
        ASSERT_NE(f, nullptr) << utf8;
        std::fclose(f);
    }
#else
    std::string host = os::hostPath(tree.root() + "\\");
    if (host.back() == '/') host.pop_back();
    for (std::size_t at = 0; at <= rel.size();) {
        std::size_t end = rel.find('/', at);
        if (end == std::string::npos) end = rel.size();
        host += "/" + rel.substr(at, end - at);
        if (end < rel.size() || folder) ::mkdir(host.c_str(), 0777);
        at = end + 1;
    }
    if (!folder) {
        FILE* f = std::fopen(host.c_str(), "wb");
        ASSERT_NE(f, nullptr) << utf8;
        std::fclose(f);
    }
#endif
}

// The code page a case asks for; Win32 has the system's only.
struct CodePage {
    explicit CodePage(const std::string& page) {
        if (!page.empty()) os::setEnv("BUNDLEWRIGHT_CODEPAGE", page);
    }
    ~CodePage() { os::unsetEnv("BUNDLEWRIGHT_CODEPAGE"); }
};

#ifdef _WIN32
constexpr bool kOwnCodePage = false;
#else
constexpr bool kOwnCodePage = true;
#endif

// Names made on the host list as the code page's bytes, the very lines
// Windows gives for the same folder, and each line opens its file.
TEST(FolderWalk, NamesBeyondAsciiListAsTheCodePageBytes) {
    struct Case {
        const char* page;                       // "" for the default
        std::vector<std::string> hostNames;     // UTF-8; a trailing '/' makes a folder
        std::string topFile;                    // the one file at the top, as list bytes
        std::vector<std::pair<std::string, std::string>> subfolders;   // name and its lines, as list bytes
    };
    const std::vector<Case> cases = {
        {"", {"Caf\xc3\xa9.txt", "\xc3\x91" "and\xc3\xba/L\xc3\xa9" "ame.txt", "\xc3\x9c" "ber/"}, "Caf\xe9.txt",
         {{"\xd1" "and\xfa", "\\\xd1" "and\xfa\\L\xe9" "ame.txt"}, {"\xdc" "ber", "\\\xdc" "ber\\temp$"}}},
        {"1250", {"\xc5\x81\xc3\xb3" "d\xc5\xba.txt", "\xc5\xbb\xc3\xb3\xc5\x82w/"}, "\xa3\xf3" "d\x9f.txt",
         {{"\xaf\xf3\xb3w", "\\\xaf\xf3\xb3w\\temp$"}}},
    };
    for (const Case& c : cases) {
        if (*c.page && !kOwnCodePage) continue;
        CodePage page(c.page);
        Build b;
        for (const std::string& name : c.hostNames) ASSERT_NO_FATAL_FAILURE(makeByHostName(b.tree, "Prod/" + name));
        const std::string p = b.tree.path("Prod");
        ASSERT_EQ(b.run(p, 1), pages::ListBuild::Built) << c.page;
        EXPECT_TRUE(b.said.empty()) << c.page;

        // Subfolders come in the file system's order.
        std::vector<os::DirEntry> entries;
        ASSERT_TRUE(os::listFolder(p, entries));
        std::string expected = p + "\\" + c.topFile + "\r\n";
        for (const os::DirEntry& e : entries)
            for (const auto& [name, lines] : c.subfolders)
                if (e.name == name) expected += p + lines + "\r\n";
        const std::string list = readFile(b.listPath());
        EXPECT_EQ(list, expected) << c.page;
        EXPECT_TRUE(os::fileExists(p + "\\" + c.topFile)) << c.page;
        EXPECT_TRUE(os::directoryExists(p + "\\" + c.subfolders[0].first)) << c.page;
    }
}

// A name the code page cannot hold stops the walk with a message naming it;
// list.txt keeps what it had.
TEST(FolderWalk, NameTheCodePageCannotHoldIsRefusedNamingIt) {
    struct Case {
        const char* page;       // "" for the default
        std::string hostName;   // UTF-8 (natively any bytes), below Prod
        std::string shown;      // the path below Prod as the message names it
        bool nativeOnly;        // Win32 has the system's code page and UTF-16 names only
    };
    const std::vector<Case> cases = {
        {"", "\xe6\x97\xa5\xe6\x9c\xac.txt", "<U+65E5><U+672C>.txt", false},
        {"", "docs/\xe6\x97\xa5\xe6\x9c\xac/", "docs\\<U+65E5><U+672C>", false},
        {"", "Caf\xc3\xa9\xe2\x84\xa2\xf0\x9f\x98\x80.txt", "Caf\xe9\x99<U+1F600>.txt", false},
        {"1251", "Caf\xc3\xa9.txt", "Caf<U+00E9>.txt", true},
        {"1252", "Caf\xe9.txt", "Caf<0xE9>.txt", true},   // not UTF-8 at all
    };
    for (const Case& c : cases) {
        if (c.nativeOnly && !kOwnCodePage) continue;
        CodePage page(c.page);
        Build b;
        ASSERT_NO_FATAL_FAILURE(makeByHostName(b.tree, "Prod/" + c.hostName));
        pagestest::writeFile(b.listPath(), "old\r\n");
        const std::string p = b.tree.path("Prod");
        EXPECT_EQ(b.run(p, 1), pages::ListBuild::Refused) << c.shown;
        EXPECT_EQ(b.said, std::vector<std::string>{pages::nameNotHeldMessage(p + "\\" + c.shown)});
        EXPECT_EQ(readFile(b.listPath()), "old\r\n") << c.shown;
        if (!b.said.empty()) {
            EXPECT_NE(b.said[0].find(os::codePageName()), std::string::npos);
        }
#ifndef _WIN32
        std::string host = os::hostPath(p + "\\") + "/" + c.hostName;
        if (host.back() == '/') host.pop_back();
        std::remove(host.c_str());
#endif
    }
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

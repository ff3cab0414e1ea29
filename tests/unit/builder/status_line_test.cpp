#include <gtest/gtest.h>

#include "builder/status_line.h"

namespace {

struct StatusCase {
    const char* path;
    const char* shown;
};

TEST(StatusLine, ShortensLongPathsKeepingLeadingFoldersAndName) {
    const std::string name69(69, 'n');
    const std::string name64(64, 'm');
    const StatusCase cases[] = {
        {"C:\\short\\file.txt", "C:\\short\\file.txt"},
        // The worked example: 80 characters, a 10-character name.
        {"D:\\Source Files\\Customer Projects\\Release 2002\\Build Output\\Installer\\readme.txt",
         "D:\\Source Files\\Customer Projects\\Release 2002.... \\readme.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(builder::statusLineFor(c.path), c.shown) << c.path;

    std::string exactly69 = "C:\\" + std::string(66, 'a');
    EXPECT_EQ(builder::statusLineFor(exactly69), exactly69);
    // A name of 69 characters or more is shown alone.
    EXPECT_EQ(builder::statusLineFor("C:\\dir\\" + name69), name69);
    // No path at all: the whole text is the name.
    EXPECT_EQ(builder::statusLineFor(std::string(75, 'x')), std::string(75, 'x'));
    // A 64-character name leaves no room for a folder.
    EXPECT_EQ(builder::statusLineFor("C:\\folder\\" + name64), ".... \\" + name64);
    // Backslash at position 63 - n qualifies, one past it does not.
    std::string name = "f.txt";   // n = 5: positions up to 58
    std::string atLimit = std::string(58, 'a') + "\\" + std::string(10, 'b') + "\\" + name;
    EXPECT_EQ(builder::statusLineFor(atLimit), std::string(58, 'a') + ".... \\" + name);
    std::string pastLimit = "C:\\" + std::string(56, 'a') + "\\" + std::string(10, 'b') + "\\" + name;
    EXPECT_EQ(builder::statusLineFor(pastLimit), "C:.... \\" + name);
    for (const auto& p : {atLimit, pastLimit}) EXPECT_LE(builder::statusLineFor(p).size(), 69u);
}

struct RelativeCase {
    const char* line;
    const char* source;
    const char* relative;
};

TEST(RelativeName, RestAfterSourceFolderElseRootName) {
    const RelativeCase cases[] = {
        {"C:\\Prod\\bin\\tool.exe", "C:\\Prod", "\\bin\\tool.exe"},
        {"c:\\prod\\setup.ini", "C:\\PROD", "\\setup.ini"},                 // letter case ignored
        {"D:\\readme.txt", "D:\\", "readme.txt"},                           // source with trailing backslash
        {"D:\\tools\\x.exe", "C:\\Prod", "\\x.exe"},                        // outside: root of the destination
        {"C:\\Production\\a.txt", "C:\\Prod", "\\a.txt"},                   // not a folder boundary
        {"C:\\src\\docs\\temp$", "C:\\src", "\\docs\\temp$"},
        {"noslash.txt", "C:\\src", "\\noslash.txt"},
        {"C:\\a.txt", "", "\\a.txt"},
    };
    for (const auto& c : cases) EXPECT_EQ(builder::relativeName(c.line, c.source), c.relative) << c.line;
}

TEST(RelativeName, DirectoryMarkerOnlyWhenTempDollarEndsTheName) {
    EXPECT_TRUE(builder::isDirectoryMarker("\\docs\\temp$"));
    EXPECT_TRUE(builder::isDirectoryMarker("\\docs\\TEMP$"));
    EXPECT_FALSE(builder::isDirectoryMarker("\\docs\\temp$x"));
    EXPECT_FALSE(builder::isDirectoryMarker("\\temp$dir\\temp$"));   // first occurrence decides
    EXPECT_FALSE(builder::isDirectoryMarker("\\docs\\readme"));
}

}  // namespace

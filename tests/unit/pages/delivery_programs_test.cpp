// Which list.txt lines the delivery options page offers as programs, under
// which names, and the texts its commit refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pages/delivery_programs.h"

namespace {

using pages::delivery::commandLineFault;
using pages::delivery::programFault;
using pages::delivery::programRows;
using Rows = std::vector<std::string>;

TEST(DeliveryPrograms, ExeAndBatInFileOrderAsTheBuilderNamesThem) {
    const std::string list =
        "C:\\Prod\\setup.exe\r\n"
        "C:\\Prod\\docs\\readme.txt\r\n"
        "C:\\Prod\\bin\\install.BAT\r\n";
    EXPECT_EQ(programRows(list, "C:\\Prod"), (Rows{"\\setup.exe", "\\bin\\install.BAT"}));
    // The source folder in another letter case, or with its backslash.
    EXPECT_EQ(programRows(list, "c:\\PROD\\"), (Rows{"setup.exe", "bin\\install.BAT"}));
}

TEST(DeliveryPrograms, OnlyTheFileNamesEndingCounts) {
    const std::string list =
        "C:\\Prod\\tool.exe.bak\r\n"       // ".EXE" inside the name
        "C:\\Prod\\x.exe\\run.bat\r\n"      // a folder named like a program
        "C:\\Prod\\x.exe\\temp$\r\n"        // a directory marker
        "C:\\Prod\\y.bat\\notes.txt\r\n"
        "C:\\Prod\\RUN.Bat\r\n"
        "C:\\Prod\\exe\r\n"
        "C:\\Prod\\a.exe \r\n";
    EXPECT_EQ(programRows(list, "C:\\Prod"), (Rows{"\\x.exe\\run.bat", "\\RUN.Bat"}));
}

TEST(DeliveryPrograms, AFileFromOutsideTheSourceIsOfferedAsPacked) {
    // Not "s\x.exe": the source folder's length cut off another path names no entry.
    const std::string list = "C:\\Prod\\a.exe\r\nD:\\tools\\x.exe\r\nC:\\Production\\b.exe\r\n";
    EXPECT_EQ(programRows(list, "C:\\Prod"), (Rows{"\\a.exe", "\\x.exe", "\\b.exe"}));
}

TEST(DeliveryPrograms, WholeLinesUpToTheFirstEmptyOne) {
    const std::string longLine = "C:\\Prod\\" + std::string(259 - 8 - 4, 'n') + ".exe";
    ASSERT_EQ(longLine.size(), 259u);
    const std::string list = longLine + "\r\nC:\\Prod\\b.exe\r\n\r\nC:\\Prod\\after.exe\r\n";
    EXPECT_EQ(programRows(list, "C:\\Prod"),
              (Rows{longLine.substr(7), "\\b.exe"}));
    EXPECT_EQ(programRows("", "C:\\Prod"), Rows{});
    // No line end after the last line.
    EXPECT_EQ(programRows("C:\\Prod\\last.exe", "C:\\Prod"), Rows{"\\last.exe"});
}

TEST(DeliveryPrograms, CommandLinesTheProjectFileCannotCarryAreRefused) {
    const std::string separator = "~!@#$%^&*()*&^%$#@!~";
    EXPECT_EQ(commandLineFault("Pre Installation", ""), "");
    EXPECT_EQ(commandLineFault("Pre Installation", "/quiet \"C:\\a b\" ~x"), "");
    EXPECT_EQ(commandLineFault("Pre Installation", std::string(259, 'c')), "");
    EXPECT_EQ(commandLineFault("Post Installation", std::string(260, 'c')),
              "The Post Installation command line cannot be longer than 259 characters.");
    EXPECT_EQ(commandLineFault("Post Installation", "-a `b`"),
              "The Post Installation command line cannot contain the character ` (backquote), because the "
              "project file uses it to separate its fields.");
    const std::string sepMessage =
        "The Pre Uninstallation command line cannot contain the characters " + separator +
        " or end in the first of them, because the project file uses them to separate the command lines.";
    EXPECT_EQ(commandLineFault("Pre Uninstallation", "a" + separator + "b"), sepMessage);
    // Followed by the separator in the file, this ending would be read as one.
    EXPECT_EQ(commandLineFault("Pre Uninstallation", "x" + separator.substr(0, 19)), sepMessage);
    EXPECT_EQ(commandLineFault("Pre Uninstallation", "x~!@"), "");
}

TEST(DeliveryPrograms, ProgramTextsMustBePackageProgramsOfRecordLength) {
    EXPECT_EQ(programFault("Pre Installation", "", false), "");
    EXPECT_EQ(programFault("Pre Installation", "   ", false), "");
    EXPECT_EQ(programFault("Pre Installation", "\\setup.exe", true), "");
    EXPECT_EQ(programFault("Post Installation", "notepad.exe", false),
              "The Post Installation program notepad.exe is not one of the package's programs. Choose it from "
              "the list, or add the file on the file list page.");
    EXPECT_EQ(programFault("Post Installation", std::string(260, 'p'), false),
              "The Post Installation program cannot be longer than 259 characters.");
}

}  // namespace

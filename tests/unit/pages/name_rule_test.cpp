// One table of names through every page check whose text becomes a name on
// the end user's computer, and through the installer's own checks of the
// same names: whatever a page accepts, the installer accepts too.
#include <gtest/gtest.h>

#include <string>

#include "pages/registry_dlg.h"
#include "pages/service_table.h"
#include "pages/shortcut_tree.h"
#include "pages/source_folder_dlg.h"
#include "platform/os/file_names.h"
#include "stub/paths.h"

namespace {

bool installerTakesFile(const std::string& relative) {
    std::string rel, why;
    return stub::safeRelative(relative, rel, why);
}
bool installerTakesShortcut(const std::string& rest) {
    std::string rel, why;
    return stub::shortcutRelative(rest, rel, why);
}

TEST(NameRule, WhatAPageAcceptsTheInstallerAccepts) {
    struct Case {
        std::string name;
        bool name_ok;   // a name Windows allows as it stands
    };
    const Case cases[] = {
        {"Widget", true}, {"Widget Pro 2.0", true}, {"Caf\xE9", true}, {"COM0", true}, {"CONSOLE", true},
        {"~tilde", true}, {"!bang", true}, {std::string(251, 'n'), true}, {std::string(255, 'n'), true},
        {"Widget: Pro", false}, {"What's new?", false}, {"a<b", false}, {"a>b", false}, {"a|b", false},
        {"a*b", false}, {"a\"b", false}, {"a/b", false}, {"tab\there", false},
        {"CON", false}, {"con.txt", false}, {"NUL", false}, {"Aux .log", false}, {"COM1", false},
        {"LPT9.log", false}, {"COM\xB9", false}, {"lpt\xB2.txt", false}, {"CONIN$", false}, {"CLOCK$", false},
        {"ends.", false}, {"ends ", false}, {"...", false}, {std::string(256, 'n'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.size() > 20 ? std::to_string(c.name.size()) + " characters" : c.name);
        EXPECT_EQ(os::nameFault(c.name).empty(), c.name_ok) << os::nameFault(c.name);
        EXPECT_EQ(installerTakesFile("bin\\" + c.name), c.name_ok || c.name == "a/b");   // "/" parts a path

        // Shortcut folder labels and names: the installer drops trailing dots
        // and blanks, so "ends." is a folder "ends"; whatever else it refuses,
        // the page refuses first.
        const bool trailing = c.name.back() == '.' || c.name.back() == ' ';
        const bool label = pages::labelFault(c.name) == nullptr;
        EXPECT_TRUE(!label || installerTakesShortcut("Acme\\" + c.name));
        EXPECT_EQ(label, c.name_ok || (trailing && c.name != "..."));
        const bool link = pages::shortcutFieldsFault(c.name, "t.exe", "") == nullptr;
        EXPECT_TRUE(!link || installerTakesShortcut("Acme\\" + c.name + ".lnk"));
        EXPECT_EQ(link, (c.name_ok || (trailing && c.name != "...")) && c.name.size() <= 251);

        // The uninstall folder named after the product is always one the installer takes.
        EXPECT_TRUE(installerTakesShortcut(pages::uninstallFolder("", c.name) + "\\Uninstall.lnk"));

        // The default destination, directly and below an environment reference.
        for (const std::string& dest : {"C:\\Programs\\" + c.name, "%ProgramFiles%\\" + c.name}) {
            const bool page = pages::destinationMessage(dest).empty();
            EXPECT_TRUE(!c.name_ok || page) << pages::destinationMessage(dest);
            EXPECT_TRUE(c.name_ok || c.name == "ends " || !page);   // a blank at the very end goes
            std::string below = "Programs\\" + c.name;   // the installer drops blanks at the end too
            while (below.back() == ' ') below.pop_back();
            EXPECT_TRUE(!page || installerTakesFile(below));
        }

        // A service name the service manager would refuse, and the names the
        // uninstall script would read back as other records.
        const bool service = pages::serviceFieldsFault("svc.exe", c.name, "d") == nullptr;
        EXPECT_EQ(service, c.name.size() <= pages::kServiceNameChars && c.name.find_first_of("/\\~") == std::string::npos);
        EXPECT_EQ(pages::uninstallMarkerFirst(c.name), c.name[0] == '~' || c.name[0] == '!');
    }
    EXPECT_EQ(os::usableName("Widget: Pro?"), "Widget Pro");
    EXPECT_EQ(os::usableName("CON"), "CON_");
    EXPECT_EQ(os::usableName("con.txt"), "con_.txt");
    EXPECT_EQ(pages::uninstallFolder("", "???"), "Uninstall");
    EXPECT_EQ(pages::destinationMessage(""), "");
    EXPECT_FALSE(pages::destinationMessage("Widget").empty());
}

}  // namespace

// install.exe's windows on the headless host, played by scenarios; the
// language texts and the helpers the windows use.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/os.h"
#include "platform/os/registry.h"
#include "platform/os/services.h"
#include "platform/ui/scenario.h"
#include "stub/installer.h"
#include "stub/language.h"
#include "stub/wizard.h"
#include "resources/stub/resource.h"
#include "tests/unit/stub/test_package.h"

namespace fs = std::filesystem;
using namespace stub;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The language text as a package carries it: CR LF made LF.
std::string packedLanguage(const std::string& name) {
    const char* src = std::getenv("BW_SOURCE_DIR");
    std::string text = slurp(fs::path(src ? src : ".") / "resources" / "lang" / (name + ".txt"));
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

class StubUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("bwstubui_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "windows");
        setenv("BUNDLEWRIGHT_DRIVES", ("C=" + dir_.string()).c_str(), 1);
        setenv("BUNDLEWRIGHT_SHELL", "C:\\shell", 1);
        setenv("ProgramFiles", "C:\\Program Files", 1);
        unsetenv("BUNDLEWRIGHT_WINDIR");
        os::resetEmulatedRegistry();
        os::resetEmulatedServices();
        pkg_.entries = {{"\\readme.txt.bz2", bz2("Read me first")}, {"\\bin\\tool.dat", "tool bytes"}};
        pkg_.option = optionText("", "default", "", "", "");   // the welcome window on
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the windows over pkg_ with `steps`; returns the exit code.
    int play(const std::string& steps, const Arguments& args = {}) {
        return play(ui::Scenario::parse(steps, "install.scn"), args);
    }
    int play(ui::Scenario scenario, const Arguments& args = {}) {
        std::ofstream(dir_ / "pkg.exe", std::ios::binary) << pkg_.bytes();
        Installer installer;
        std::string error;
        EXPECT_TRUE(installer.open("C:\\pkg.exe", error)) << error;
        Language text;
        text.load(installer.package().language);
        text.set("product", installer.package().product);
        text.set("version", installer.package().version);
        ui::ScenarioRun run(std::move(scenario));
        int code = runWizard(installer, text, args);
        run.finish();
        messages_ = run.messages();
        return code;
    }
    bool installed(const std::string& rel) const { return fs::exists(dir_ / rel); }

    fs::path dir_;
    TestPackage pkg_;
    std::vector<ui::RecordedMessage> messages_;
};

// Welcome, folder, progress and finish for a package with no options.
const char kPlainRun[] =
    "on dialog IDD_WELCOME\n"
    "expect enabled IDC_BACK 0\n"
    "click IDC_NEXT\n"
    "on dialog IDD_FOLDER\n"
    "set IDC_FOLDER C:\\Dest\n"
    "click IDC_NEXT\n"
    "on dialog IDD_FINISH\n"
    "click IDC_NEXT\n";

}  // namespace

TEST_F(StubUiTest, EveryStepInOrderInstallsWhereTheUserChose) {
    pkg_.option = optionText("Close other programs first.", "Hello from Acme.", "Terms: be nice.", "sesame",
                             "\\README.TXT");
    ui::Scenario scn = ui::Scenario::parse(
        "answer message ok\n"
        "on dialog IDD_WELCOME\n"
        "expect message Close other programs first.\n"
        "expect text IDC_WELCOME_TEXT Hello from Acme.\n", "install.scn");
    scn.then([](ui::Dialog& d) { EXPECT_EQ("Publisher: Acme\nVersion: 1.0", d.text(IDC_PRODUCT_INFO)); });
    int code = play(scn.add(
        "click IDC_NEXT\n"
        "on dialog IDD_LICENSE\n"
        "expect text IDC_LICENSE_TEXT Terms: be nice.\n"
        "expect enabled IDC_NEXT 0\n"
        "check IDC_ACCEPT\n"
        "expect enabled IDC_NEXT 1\n"
        "check IDC_DECLINE\n"
        "expect enabled IDC_NEXT 0\n"
        "check IDC_ACCEPT\n"
        "click IDC_NEXT\n"
        "on dialog IDD_PASSWORD\n"
        "set IDC_PASSWORD wrong\n"
        "click IDC_NEXT\n"
        "expect message The password is not correct. Please try again.\n"
        "expect text IDC_PASSWORD \"\"\n"
        "set IDC_PASSWORD sesame\n"
        "click IDC_NEXT\n"
        "on dialog IDD_FOLDER\n"
        "expect text IDC_FOLDER C:\\Program Files\\Widget\n"
        "expect text IDC_SPACE Space required: 1 KB\n"
        "set IDC_FOLDER C:\\Apps\\Widget\n"
        "click IDC_NEXT\n"
        "on dialog IDD_FINISH\n"
        "expect visible IDC_SHOW_README 1\n"
        "clear IDC_SHOW_README\n"
        "click IDC_NEXT\n"));
    EXPECT_EQ(kExitOk, code);
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ("Close other programs first.", messages_[0].text);
    EXPECT_EQ("Widget Setup", messages_[0].caption);
    EXPECT_EQ("Read me first", slurp(dir_ / "Apps/Widget/readme.txt"));
    EXPECT_EQ("tool bytes", slurp(dir_ / "Apps/Widget/bin/tool.dat"));
    EXPECT_TRUE(installed("Apps/Widget/Uninstall.wzu"));
    EXPECT_FALSE(installed("Program Files"));
}

TEST_F(StubUiTest, BackReturnsToTheStepBeforeAndKeepsTheFolder) {
    pkg_.option = optionText("", "default", "Terms.", "", "");
    ui::Scenario scn = ui::Scenario::parse("on dialog IDD_WELCOME\n", "install.scn");
    scn.then([](ui::Dialog& d) {
        EXPECT_EQ("This wizard installs Widget 1.0 on your computer.\r\n\r\nIt is recommended that you close all "
                  "other applications before continuing.\r\n\r\nClick Next to continue, or Cancel to exit Setup.",
                  d.text(IDC_WELCOME_TEXT));
    });
    int code = play(scn.add(
        "click IDC_NEXT\n"
        "on dialog IDD_LICENSE\n"
        "check IDC_ACCEPT\n"
        "click IDC_NEXT\n"
        "on dialog IDD_FOLDER\n"
        "set IDC_FOLDER C:\\Other\n"
        "click IDC_BACK\n"
        "on dialog IDD_LICENSE\n"
        "expect enabled IDC_NEXT 0\n"   // accepted again each time it is shown
        "click IDC_BACK\n"
        "on dialog IDD_WELCOME\n"
        "click IDC_NEXT\n"
        "on dialog IDD_LICENSE\n"
        "check IDC_ACCEPT\n"
        "click IDC_NEXT\n"
        "on dialog IDD_FOLDER\n"
        "expect text IDC_FOLDER C:\\Other\n"
        "click IDC_NEXT\n"
        "on dialog IDD_FINISH\n"
        "expect visible IDC_SHOW_README 0\n"
        "click IDC_NEXT\n"));
    EXPECT_EQ(kExitOk, code);
    EXPECT_TRUE(installed("Other/readme.txt"));
}

TEST_F(StubUiTest, CancelAsksAndLeavesNothingInstalled) {
    struct Case {
        const char* name;
        std::string steps;
        int code;
    } cases[] = {
        {"prompt refused", "answer message cancel\n", kExitCancelled},
        {"cancel on welcome, yes", "answer message ok\non dialog IDD_WELCOME\nanswer message yes\nclick IDCANCEL\n",
         kExitCancelled},
        {"esc on the folder, yes",
         "answer message ok\non dialog IDD_WELCOME\nclick IDC_NEXT\non dialog IDD_FOLDER\nanswer message yes\nesc\n",
         kExitCancelled},
        {"cancel, no, then go on",
         std::string("answer message ok\non dialog IDD_WELCOME\nanswer message no\nclick IDCANCEL\n") + kPlainRun,
         kExitOk},
    };
    pkg_.option = optionText("Go?", "default", "", "", "");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir_ / "Dest");
        fs::remove_all(dir_ / "Program Files");
        EXPECT_EQ(c.code, play(c.steps));
        EXPECT_EQ(c.code == kExitOk, installed("Dest/readme.txt"));
        EXPECT_FALSE(installed("Program Files"));
    }
}

TEST_F(StubUiTest, AFolderThatCannotBeUsedKeepsThePageOpen) {
    int code = play(
        "on dialog IDD_WELCOME\nclick IDC_NEXT\non dialog IDD_FOLDER\n"
        "set IDC_FOLDER \"  \"\nclick IDC_NEXT\nexpect message Please enter the destination folder.\n"
        "set IDC_FOLDER relative\\place\nclick IDC_NEXT\n"
        "expect message The folder \"relative\\place\" cannot be used. Please enter a full path on an existing drive.\n"
        "set IDC_FOLDER Q:\\Apps\nclick IDC_NEXT\n"
        "expect message The folder \"Q:\\Apps\" cannot be used. Please enter a full path on an existing drive.\n"
        "set IDC_FOLDER C:\\a\\..\\..\\x\nclick IDC_NEXT\n"
        "expect message The folder \"C:\\a\\..\\..\\x\" cannot be used. Please enter a full path on an existing drive.\n"
        "set IDC_FOLDER C:\\Good\nclick IDC_NEXT\non dialog IDD_FINISH\nclick IDC_NEXT\n");
    EXPECT_EQ(kExitOk, code);
    EXPECT_TRUE(installed("Good/bin/tool.dat"));
}

TEST_F(StubUiTest, AStoppedInstallationSaysWhyAndPutsEverythingBack) {
    fs::create_directories(dir_ / "Dest/bin/tool.dat");   // a folder where a file must go
    int code = play(
        "on dialog IDD_WELCOME\nclick IDC_NEXT\non dialog IDD_FOLDER\nset IDC_FOLDER C:\\Dest\nclick IDC_NEXT\n"
        "on dialog IDD_PROGRESS\n");
    EXPECT_EQ(kExitFailed, code);
    ASSERT_EQ(1u, messages_.size());
    EXPECT_NE(std::string::npos, messages_[0].text.find("The installation of Widget did not complete:"));
    EXPECT_NE(std::string::npos, messages_[0].text.find("tool.dat cannot be written"));
    EXPECT_NE(std::string::npos, messages_[0].text.find("Nothing was changed on your computer."));
    EXPECT_FALSE(fs::exists(dir_ / "Dest/readme.txt")) << "put in place before the failure, taken back";
    EXPECT_FALSE(fs::exists(dir_ / "Dest/Uninstall.wzu"));
}

TEST_F(StubUiTest, TheFinishActionIsAskedNeverForced) {
    struct Case {
        const char* action;
        const char* answer;   // "" when nothing may be asked
        const char* question;
        bool failedNote;      // natively the session cannot end: the user is told
    } cases[] = {
        {"0", "", "", false},
        {"1", "no", "To complete the installation of Widget, you must log off. Do you want to log off now?", false},
        {"2", "no", "To complete the installation of Widget, the computer must be restarted. Do you want to restart now?",
         false},
        {"2", "yes", "To complete the installation of Widget, the computer must be restarted. Do you want to restart now?",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.action) + c.answer);
        fs::remove_all(dir_ / "Dest");
        pkg_.finishAction = c.action;
        std::string steps = kPlainRun;
        if (*c.answer) steps += std::string("answer message ") + c.answer + "\n";
        EXPECT_EQ(kExitOk, play(steps));
        ASSERT_EQ(*c.answer ? (c.failedNote ? 2u : 1u) : 0u, messages_.size());
        if (*c.answer) {
            EXPECT_EQ(c.question, messages_[0].text);
        }
        if (c.failedNote) {
            EXPECT_EQ("Windows did not allow this. Please do it yourself later.", messages_[1].text);
        }
    }
}

// Off means no welcome window: the folder window comes first, with nothing
// to go back to.
TEST_F(StubUiTest, WithoutAWelcomeSectionTheFolderComesFirst) {
    pkg_.option = kAllOff;
    EXPECT_EQ(kExitOk, play("on dialog IDD_FOLDER\nexpect enabled IDC_BACK 0\nset IDC_FOLDER C:\\Dest\n"
                            "click IDC_NEXT\non dialog IDD_FINISH\nclick IDC_NEXT\n"));
    EXPECT_TRUE(installed("Dest/readme.txt"));
}

// A post-installation program that cannot start is told to the user, whose
// installation stands.
TEST_F(StubUiTest, APostInstallationProgramThatCannotStartIsShown) {
    pkg_.postInstall = "\\bin\\tool.dat";   // not a program
    EXPECT_EQ(kExitOk, play(std::string("answer message ok\n") + kPlainRun));
    ASSERT_EQ(1u, messages_.size());
    EXPECT_EQ("Widget is installed, but the program to run after the installation did not start:\n\n"
              "The program C:\\Dest\\bin\\tool.dat cannot be started.",
              messages_[0].text);
    EXPECT_TRUE(installed("Dest/bin/tool.dat"));
}

TEST_F(StubUiTest, AReadmeThatCannotBeShownIsReported) {
    pkg_.option = optionText("", "default", "", "", "\\MISSING.TXT");
    int code = play(std::string(kPlainRun).replace(std::string(kPlainRun).rfind("click"), 0,
                                                   "expect checked IDC_SHOW_README 1\n"));
    EXPECT_EQ(kExitOk, code);
    ASSERT_EQ(1u, messages_.size());
    EXPECT_EQ("The readme file C:\\Dest\\MISSING.TXT cannot be opened.", messages_[0].text);
}

TEST_F(StubUiTest, TheWindowsSpeakThePackagesLanguage) {
    struct Case {
        const char* file;
        const char* caption, *next, *install, *finish, *cancelAsk;
    } cases[] = {
        {"English", "Widget Setup", "&Next >", "&Install", "&Finish",
         "Setup is not complete. Are you sure you want to exit Setup?"},
        {"French", "Installation de Widget", "&Suivant >", "&Installer", "&Terminer",
         "L'installation n'est pas terminée. Voulez-vous vraiment quitter l'installation ?"},
        {"German", "Widget Setup", "&Weiter >", "&Installieren", "&Fertig stellen",
         "Das Setup ist noch nicht abgeschlossen. Möchten Sie das Setup wirklich beenden?"},
        {"Spanish", "Instalación de Widget", "&Siguiente >", "&Instalar", "&Finalizar",
         "La instalación no ha terminado. ¿Seguro que desea salir de la instalación?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        fs::remove_all(dir_ / "Dest");
        pkg_.language = packedLanguage(c.file);
        Language check;
        check.load(pkg_.language);
        // The files are Windows-1252: compare with the expected texts converted alike.
        auto ansi = [](std::string s) {
            std::string out;
            for (size_t i = 0; i < s.size(); ++i) {
                unsigned char b = static_cast<unsigned char>(s[i]);
                if (b == 0xC2 || b == 0xC3) {
                    unsigned char n = static_cast<unsigned char>(s[++i]);
                    out += static_cast<char>(b == 0xC2 ? n : n + 0x40);
                } else {
                    out += s[i];
                }
            }
            return out;
        };
        std::string steps = std::string("on dialog IDD_WELCOME\nexpect text IDC_NEXT ") + ansi(c.next) +
                            "\nanswer message no\nclick IDCANCEL\nclick IDC_NEXT\non dialog IDD_FOLDER\nexpect text "
                            "IDC_NEXT " + ansi(c.install) +
                            "\nset IDC_FOLDER C:\\Dest\nclick IDC_NEXT\non dialog IDD_FINISH\nexpect text IDC_NEXT " +
                            ansi(c.finish) + "\nclick IDC_NEXT\n";
        EXPECT_EQ(kExitOk, play(steps));
        ASSERT_EQ(1u, messages_.size());
        EXPECT_EQ(ansi(c.cancelAsk), messages_[0].text);
        EXPECT_EQ(ansi(c.caption), messages_[0].caption);
    }
}

// The reason an installation failed is told in the package's language too;
// a language text without it falls back to English, never to a blank.
TEST_F(StubUiTest, FailuresSpeakThePackagesLanguage) {
    const struct {
        const char* file;
        const char* detail;   // Windows-1252
    } cases[] = {
        {"English", "The package is damaged: the data of \\bad.txt.bz2 cannot be unpacked."},
        {"French", "Le paquet est endommag\xE9 : les donn\xE9""es de \\bad.txt.bz2 ne peuvent pas \xEAtre d\xE9"
                   "compress\xE9""es."},
        {"German", "Das Paket ist besch\xE4""digt: die Daten von \\bad.txt.bz2 k\xF6nnen nicht entpackt werden."},
        {"Spanish", "El paquete est\xE1 da\xF1""ado: los datos de \\bad.txt.bz2 no se pueden descomprimir."},
        {"", "The package is damaged: the data of \\bad.txt.bz2 cannot be unpacked."},
    };
    pkg_.entries.push_back({"\\bad.txt.bz2", "BZh9 not a stream"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        pkg_.language = *c.file ? packedLanguage(c.file) : std::string("Caption=Mein {product}\nFailedNothing=Nein: {error}\n");
        Language text;
        text.load(pkg_.language);
        text.set("product", "Widget");
        text.set("error", c.detail);
        int code = play("on dialog IDD_WELCOME\nclick IDC_NEXT\non dialog IDD_FOLDER\nset IDC_FOLDER C:\\Dest\n"
                        "click IDC_NEXT\non dialog IDD_PROGRESS\n");
        EXPECT_EQ(kExitDamaged, code) << "a damaged package, as without windows";
        ASSERT_EQ(1u, messages_.size());
        EXPECT_EQ(text("FailedNothing"), messages_[0].text);
        EXPECT_NE(std::string::npos, messages_[0].text.find(c.detail)) << messages_[0].text;
        EXPECT_FALSE(installed("Dest"));
    }
}

TEST(StubLanguage, EveryFileGivesEveryTextAndOnlyKnownOnes) {
    Language english;
    int keys = english.load(packedLanguage("English"));
    EXPECT_GT(keys, 30);
    for (const char* name : {"English", "French", "German", "Spanish"}) {
        SCOPED_TRACE(name);
        std::string text = packedLanguage(name);
        ASSERT_FALSE(text.empty());
        Language l;
        EXPECT_EQ(keys, l.load(text)) << "a text missing or misspelt";
        size_t pos = 0;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end == std::string::npos ? text.size() : end + 1;
            if (line.empty() || line[0] == '#') continue;
            size_t eq = line.find('=');
            ASSERT_NE(std::string::npos, eq) << line;
            EXPECT_TRUE(l.known(line.substr(0, eq))) << line;
        }
    }
}

TEST(StubLanguage, TheTextFormat) {
    Language l;
    EXPECT_EQ(3, l.load("# comment=ignored\r\n\r\n  next  =  &Go >  \r\nCANCEL=Stop\nUnknown=x\nFinish=\n"
                        "Caption=A\\nB \\\\ {product} {nope}\n"));
    l.set("product", "{version}");
    l.set("version", "9");
    EXPECT_EQ("&Go >", l("Next"));
    EXPECT_EQ("Stop", l("Cancel"));
    EXPECT_EQ("&Finish", l("Finish")) << "an empty text keeps English";
    EXPECT_EQ("A\nB \\ {version} {nope}", l("Caption")) << "values are put in once, unknown names stay";
    Language english;
    EXPECT_EQ("< &Back", english("Back"));
}

TEST(StubWizardHelpers, SpaceStatusAndDestination) {
    EXPECT_EQ("0 KB", spaceText("0"));
    EXPECT_EQ("1 KB", spaceText("100"));
    EXPECT_EQ("2 KB", spaceText("1025"));
    EXPECT_EQ("1.5 MB", spaceText("1572864"));
    EXPECT_EQ("0 KB", spaceText("garbage"));
    EXPECT_EQ("C:\\a.txt", statusText("C:\\a.txt"));
    std::string longPath = "C:\\Program Files\\Some Company Name\\Some Product Name\\deeply\\nested\\folder\\file.txt";
    std::string shown = statusText(longPath);
    EXPECT_LE(shown.size(), 70u);
    EXPECT_EQ(0u, shown.find("C:\\Program Files"));
    EXPECT_EQ(shown.size() - 9, shown.find("\\file.txt"));
    EXPECT_EQ("a\r\nb\r\nc\r\n\r\n", withCrLf("a\nb\r\nc\r\r\n"));
    ui::Dib d = bannerPicture(kBannerWidth, kBannerHeight);
    EXPECT_EQ(static_cast<size_t>((kBannerWidth + 3) / 4 * 4 * kBannerHeight), d.bits.size());
    for (uint8_t b : d.bits) ASSERT_LT(b, d.palette.size());
}

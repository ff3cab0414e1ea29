#include "stub/wizard.h"

#include <cctype>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/os/os.h"
#include "platform/os/shortcuts.h"
#include "platform/ui/dialog.h"
#include "platform/ui/guarded.h"
#include "platform/ui/prompter.h"
#include "resources/stub/resource.h"
#include "stub/paths.h"
#include "stub/texts.h"

namespace stub {

std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string spaceText(const std::string& bytes) {
    // Whole bytes as the package prints them; digits only (no floating-point
    // formatting in the stub: it would cost 20 KB of its size).
    unsigned long long b = 0;
    for (char c : bytes) {
        if (c < '0' || c > '9') break;
        b = b > 100000000000000ULL ? b : b * 10 + static_cast<unsigned>(c - '0');
    }
    const unsigned long long mb = 1024ULL * 1024ULL;
    if (b >= mb) {
        unsigned long long tenths = (b * 10 + mb / 2) / mb;
        return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
    }
    return std::to_string(b == 0 ? 0 : (b + 1023) / 1024) + " KB";
}

bool usableDestination(const std::string& folder) {
    std::string used;
    return destinationFolder(folder, used);
}

std::string statusText(const std::string& path, size_t max) {
    if (path.size() <= max) return path;
    size_t last = path.rfind('\\');
    std::string name = last == std::string::npos ? path : path.substr(last);
    if (name.size() + 6 >= max) return name.substr(name.size() > max ? name.size() - max : 0);
    std::string head = path.substr(0, max - name.size() - 4);
    size_t cut = head.rfind('\\');
    if (cut != std::string::npos && cut > 2) head.resize(cut);
    return head + "\\..." + name;
}

ui::Dib bannerPicture(int width, int height) {
    // A blue gradient, top dark, with a box and an arrow going into it.
    ui::Dib d;
    d.width = width;
    d.height = height;
    d.bitsPerPixel = 8;
    for (int i = 0; i < 32; ++i)
        d.palette.push_back(static_cast<std::uint32_t>(((0x10 + 0x70 * i / 31) << 16) | ((0x30 + 0x90 * i / 31) << 8) |
                                                       (0x80 + 0x7f * i / 31)));
    d.palette.push_back(0x305090);   // box edge
    d.palette.push_back(0x78b8e8);   // box
    d.palette.push_back(0x20a020);   // arrow
    size_t stride = (static_cast<size_t>(width) + 3) & ~size_t(3);
    d.bits.assign(stride * static_cast<size_t>(height), 0);
    int cx = width / 2, top = height / 3;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = &d.bits[stride * static_cast<size_t>(height - 1 - y)];   // bottom-up
        for (int x = 0; x < width; ++x) {
            int u = x - cx, v = y - top, c = y * 32 / height;
            if (u >= -30 && u < 30 && v >= 0 && v < 36) c = (u < -28 || u >= 28 || v < 2 || v >= 34) ? 32 : 33;
            else if ((u >= -6 && u < 6 && v >= -40 && v < -14) || (u >= -16 && u < 16 && v >= -16 && v < -2 && (u < 0 ? -u : u) <= -2 - v))
                c = 34;
            row[x] = static_cast<std::uint8_t>(c);
        }
    }
    return d;
}

namespace {

// Every window of the installer: caption, the three buttons in the
// package's language, Cancel asking before it leaves Setup.
class CSetupPage : public ui::Dialog {
public:
    CSetupPage(int id, SetupState& s) : Dialog(id, nullptr), s_(s) {}

protected:
    const Language& t() const { return s_.text; }
    bool onInitDialog() override {
        ui::guarded("i1 1", [&] {
            setIcons(IDI_MAIN);
            setCaption(t()("Caption"));
            setText(IDC_BACK, t()("Back"));
            setText(IDC_NEXT, t()("Next"));
            setText(ui::IdCancel, t()("Cancel"));
            init();
            if (s_.firstStep) enable(IDC_BACK, false);
        });
        return true;
    }
    virtual void init() {}
    virtual void next() { end(ui::IdOk); }
    virtual void back() {}
    bool onCommand(int id, int code) override {
        if (code != ui::BnClicked) return ui::Dialog::onCommand(id, code);
        if (id == IDC_NEXT) {
            ui::guarded("i1 2", [&] { next(); });
            return true;
        }
        if (id == IDC_BACK) {
            back();
            end(kBack);
            return true;
        }
        return ui::Dialog::onCommand(id, code);
    }
    void onOk() override { ui::guarded("i1 2", [&] { next(); }); }   // Enter
    void onCancel() override {
        if (!isEnabled(ui::IdCancel)) return;   // the installation is running
        if (ui::messageBox(t()("CancelAsk"), t()("Caption"), ui::Buttons::YesNo, ui::Icon::Question) == ui::IdYes)
            end(ui::IdCancel);
    }
    void say(const std::string& text, ui::Icon icon = ui::Icon::Warning) {
        ui::messageBox(text, t()("Caption"), ui::Buttons::Ok, icon);
    }
    SetupState& s_;
};

// The welcome and finish windows: the banner down their left side.
class CBannerPage : public CSetupPage {
public:
    using CSetupPage::CSetupPage;

protected:
    void onPaint() override {
        if (banner_.bits.empty()) banner_ = bannerPicture(kBannerWidth, kBannerHeight);
        drawDib(0, 0, banner_);
    }
    ui::Dib banner_;
};

class CWelcomeDlg : public CBannerPage {
public:
    explicit CWelcomeDlg(SetupState& s) : CBannerPage(IDD_WELCOME, s) {}

protected:
    void init() override {
        const Package& p = s_.installer.package();
        const OptionSection& w = s_.installer.options().welcome;
        std::string text = w.on && !equalsNoCase(w.value, "default") ? w.value : t()("DefaultWelcome");
        for (const std::string* extra : {&p.description, &p.comments})
            if (!extra->empty() && *extra != package::kBlank) text += "\n\n" + *extra;
        setText(IDC_TITLE, t()("WelcomeTitle"));
        setText(IDC_WELCOME_TEXT, withCrLf(text));
        std::string info;
        auto line = [&info](const std::string& label, const std::string& value) {
            if (value.empty() || value == package::kBlank) return;
            info += (info.empty() ? "" : "\n") + (label.empty() ? value : label + " " + value);
        };
        line(t()("Publisher"), p.company);
        line(t()("Version"), p.version);
        line(t()("Contact"), p.email);
        line("", p.copyright);
        setText(IDC_PRODUCT_INFO, info);
        enable(IDC_BACK, false);
        focus(IDC_NEXT);
    }
};

class CLicenseDlg : public CSetupPage {
public:
    explicit CLicenseDlg(SetupState& s) : CSetupPage(IDD_LICENSE, s) {}

protected:
    void init() override {
        setText(IDC_TITLE, t()("LicenseTitle"));
        setText(IDC_INTRO, t()("LicenseIntro"));
        setText(IDC_LICENSE_TEXT, withCrLf(s_.installer.options().license.value));
        setText(IDC_ACCEPT, t()("LicenseAccept"));
        setText(IDC_DECLINE, t()("LicenseDecline"));
        checkRadio(IDC_ACCEPT, IDC_DECLINE, IDC_DECLINE);
        enable(IDC_NEXT, false);   // only an accepted licence goes on
    }
    bool onCommand(int id, int code) override {
        if ((id == IDC_ACCEPT || id == IDC_DECLINE) && code == ui::BnClicked) {
            enable(IDC_NEXT, checked(IDC_ACCEPT) == 1);
            return true;
        }
        return CSetupPage::onCommand(id, code);
    }
    void next() override {
        if (checked(IDC_ACCEPT) == 1) end(ui::IdOk);
    }
};

class CPasswordDlg : public CSetupPage {
public:
    explicit CPasswordDlg(SetupState& s) : CSetupPage(IDD_PASSWORD, s) {}

protected:
    void init() override {
        setText(IDC_TITLE, t()("PasswordTitle"));
        setText(IDC_INTRO, t()("PasswordIntro"));
        setText(IDC_PASSWORD_LABEL, t()("PasswordLabel"));
        focus(IDC_PASSWORD);
    }
    void next() override {
        if (!s_.installer.passwordMatches(text(IDC_PASSWORD))) {
            say(t()("PasswordWrong"));
            setText(IDC_PASSWORD, "");
            focus(IDC_PASSWORD);
            return;   // the user tries again
        }
        end(ui::IdOk);
    }
};

class CFolderDlg : public CSetupPage {
public:
    explicit CFolderDlg(SetupState& s) : CSetupPage(IDD_FOLDER, s) {}

protected:
    void init() override {
        setText(IDC_TITLE, t()("FolderTitle"));
        setText(IDC_INTRO, t()("FolderIntro"));
        setText(IDC_FOLDER_LABEL, t()("FolderLabel"));
        setText(IDC_BROWSE, t()("Browse"));
        setText(IDC_NEXT, t()("Install"));
        Language space = t();
        space.set("space", spaceText(s_.installer.package().spaceRequired));
        setText(IDC_SPACE, space("SpaceRequired"));
        setText(IDC_FOLDER, s_.destination);
        focus(IDC_FOLDER);
    }
    bool onCommand(int id, int code) override {
        if (id == IDC_BROWSE && code == ui::BnClicked) {
            ui::guarded("i1 3", [&] {
                std::string folder = text(IDC_FOLDER);
                if (ui::browseForFolder(t()("BrowseTitle"), folder)) setText(IDC_FOLDER, folder);
            });
            return true;
        }
        return CSetupPage::onCommand(id, code);
    }
    void back() override { s_.destination = text(IDC_FOLDER); }   // shown again as typed
    void next() override {
        std::string folder = text(IDC_FOLDER);
        while (!folder.empty() && folder.front() == ' ') folder.erase(0, 1);
        while (!folder.empty() && folder.back() == ' ') folder.pop_back();
        if (folder.empty()) {
            say(t()("FolderEmpty"));
            focus(IDC_FOLDER);
            return;
        }
        std::string used;
        if (!destinationFolder(folder, used)) {
            Language bad = t();
            bad.set("folder", folder);
            say(bad("FolderInvalid"));
            focus(IDC_FOLDER);
            return;
        }
        const std::string refused = s_.installer.folderRefusal(used);
        if (!refused.empty()) {
            say(refused);
            focus(IDC_FOLDER);
            return;
        }
        s_.destination = used;
        end(ui::IdOk);
    }
};

// Installs from a timer once the window shows, repainting after each step
// because no messages are processed while files are written.
class CProgressDlg : public CSetupPage, public InstallProgress {
public:
    explicit CProgressDlg(SetupState& s) : CSetupPage(IDD_PROGRESS, s) {}

protected:
    void init() override {
        setText(IDC_TITLE, t()("ProgressTitle"));
        setText(IDC_INTRO, t()("ProgressIntro"));
        enable(IDC_BACK, false);
        enable(IDC_NEXT, false);
        enable(ui::IdCancel, false);
        size_t n = s_.installer.package().entries.size();
        progressRange(IDC_PROGRESS, 0, static_cast<int>(n ? n : 1));
        progressSetPos(IDC_PROGRESS, 0);
        setTimer(1, 200);
    }
    void onTimer(int id) override {
        if (id != 1) return;
        killTimer(1);
        ui::guarded("i1 4", [&] {
            std::string error;
            s_.installed = s_.installer.install(s_.destination, *this, error);
            s_.error = error;
            end(ui::IdOk);
        });
    }
    void onStatus(const std::string& text) override {
        setText(IDC_STATUS, statusText(text));
        updateWindow();
    }
    void onProgress(size_t done, size_t total) override {
        (void)total;
        progressSetPos(IDC_PROGRESS, static_cast<int>(done));
        updateWindow();
    }
    void onWait() override { ui::pumpMessages(); }   // a program of the package runs
    void onCancel() override {}   // nothing stops an installation halfway
};

class CFinishDlg : public CBannerPage {
public:
    explicit CFinishDlg(SetupState& s) : CBannerPage(IDD_FINISH, s) {}

protected:
    void init() override {
        setText(IDC_TITLE, t()("FinishTitle"));
        Language done = t();
        done.set("folder", s_.destination);
        setText(IDC_FINISH_TEXT, done("FinishText"));
        setText(IDC_NEXT, t()("Finish"));
        setText(IDC_SHOW_README, t()("FinishReadme"));
        bool readme = !s_.installer.readmePath().empty();
        showControl(IDC_SHOW_README, readme);
        setCheck(IDC_SHOW_README, readme ? 1 : 0);
        enable(IDC_BACK, false);
        enable(ui::IdCancel, false);
        focus(IDC_NEXT);
    }
    void next() override {
        std::string readme = s_.installer.readmePath();
        if (!readme.empty() && checked(IDC_SHOW_README) == 1) {
            // Started by full paths: a program of the viewer's name planted
            // beside the package would otherwise run as administrator. As the
            // user who started the package where the shell's account can be
            // had: the readme is the user's to read, not an administrator's.
            const bool text = endsWithNoCase(readme, ".txt");
            const std::string viewer =
                text ? os::systemFolder() + "\\notepad.exe" : os::windowsFolder() + "\\explorer.exe";
            const std::string line = os::quoteArgument(viewer) + " " + os::quoteArgument(readme);
            bool shown = os::fileExists(readme) &&
                         (os::startAsShellUser(viewer, line) ||
                          (text ? os::startProcess(line, false) : os::openDocument(readme)));
            if (!shown) {
                Language bad = t();
                bad.set("file", readme);
                say(bad("ReadmeFailed"));
            }
        }
        end(ui::IdOk);
    }
    void onCancel() override { end(ui::IdOk); }   // the close box only closes: all is installed
};

enum class Step { Welcome, License, Password, Folder, Progress, Finish };

int runStep(Step step, SetupState& s) {
    switch (step) {
        case Step::Welcome: { CWelcomeDlg d(s); return d.runModal(); }
        case Step::License: { CLicenseDlg d(s); return d.runModal(); }
        case Step::Password: { CPasswordDlg d(s); return d.runModal(); }
        case Step::Folder: { CFolderDlg d(s); return d.runModal(); }
        case Step::Progress: { CProgressDlg d(s); return d.runModal(); }
        case Step::Finish: { CFinishDlg d(s); return d.runModal(); }
    }
    return ui::IdCancel;
}

}  // namespace

int runWizard(Installer& installer, const Language& text, const Arguments& args) {
    SetupState s{installer, text,
                 args.hasDestination ? args.destination : expandEnvironment(installer.defaultDestination()), false, "",
                 false};
    const Options& o = installer.options();
    s.passwordGiven = o.password.on && args.hasPassword && installer.passwordMatches(args.password);
    std::string caption = text("Caption");
    ui::setProgramName(caption);
    if (o.prompt.on && !o.prompt.value.empty() &&
        ui::messageBox(o.prompt.value, caption, ui::Buttons::OkCancel, ui::Icon::Information) != ui::IdOk)
        return kExitCancelled;

    std::vector<Step> steps;
    if (o.welcome.on) steps.push_back(Step::Welcome);
    if (o.license.on) steps.push_back(Step::License);
    if (o.password.on && !s.passwordGiven) steps.push_back(Step::Password);
    steps.push_back(Step::Folder);
    steps.push_back(Step::Progress);
    size_t i = 0;
    while (i < steps.size()) {
        s.firstStep = i == 0;
        int r = runStep(steps[i], s);
        if (r == ui::IdCancel) return kExitCancelled;
        if (r == kBack) {
            if (i > 0) --i;
            continue;
        }
        ++i;
    }
    if (!s.installed) {
        Language failed = text;
        // Put back whole: the window says nothing changed; else what stayed.
        const bool stayed = installer.changedSomething();
        const std::string error = stayed ? s.error + " " + installer.outcome() : s.error;
        failed.set("error", error);
        std::fputs((error + "\n").c_str(), stderr);
        ui::messageBox(failed(stayed ? "Failed" : "FailedNothing"), caption, ui::Buttons::Ok,
                       ui::Icon::Error);
        return installer.foundDamage() ? kExitDamaged : kExitFailed;   // as the silent installation tells it
    }
    if (!installer.notices().empty()) {
        std::string all;
        for (const std::string& notice : installer.notices()) {
            std::fputs((notice + "\n").c_str(), stderr);
            all += (all.empty() ? "" : "\n") + notice;
        }
        ui::messageBox(all, caption, ui::Buttons::Ok, ui::Icon::Warning);
    }
    if (!installer.warning().empty()) {
        Language warn = text;
        warn.set("error", installer.warning());
        ui::messageBox(warn("PostInstallFailed"), caption, ui::Buttons::Ok, ui::Icon::Warning);
    }
    runStep(Step::Finish, s);

    int action = installer.package().finishAction;
    if (endsSession(action)) {
        bool restart = action == 2;
        // Asked, never forced: No leaves the session as it is.
        if (ui::messageBox(text(restart ? "RestartAsk" : "LogoffAsk"), caption, ui::Buttons::YesNo, ui::Icon::Question) ==
                ui::IdYes &&
            !os::endSession(restart))
            ui::messageBox(text("EndSessionFailed"), caption, ui::Buttons::Ok, ui::Icon::Warning);
    }
    return kExitOk;
}

}  // namespace stub

// Message boxes, questions, file dialogs and the folder picker. Win32: the
// system's own boxes. Headless: every box is recorded and answered from the
// running scenario.
#pragma once

#include <optional>
#include <string>

namespace ui {

// The program's own name: the caption of every box given no caption and of
// fatal codes ("Tarnwick", "UnBundlewright"). Set once at start-up.
void setProgramName(const std::string& name);
const std::string& programName();

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class Icon { None, Information, Warning, Error, Question };

// Returns IdOk, IdCancel, IdYes, IdNo, IdRetry. caption: std::nullopt gives
// the program's name; "" is an empty caption. The owner is the active dialog.
int messageBox(const std::string& text, std::optional<std::string> caption = std::nullopt,
               Buttons buttons = Buttons::Ok, Icon icon = Icon::None);

class Prompter {
public:
    explicit Prompter(std::string caption = "Bundlewright") : caption_(std::move(caption)) {}
    // A user message: caption, OK button, no icon.
    void message(const std::string& text) const {
        messageBox(text, caption_, Buttons::Ok, Icon::None);
    }
    // A question: Yes and No with the question icon; true for Yes.
    bool ask(const std::string& text) const;
    int box(const std::string& text, Buttons b, Icon i) const { return messageBox(text, caption_, b, i); }
    const std::string& caption() const { return caption_; }
private:
    std::string caption_;
};

struct FileDialog {
    std::string title;          // "" = the system's default
    std::string filter;         // "Project files (*.wzp)|*.wzp|All files (*.*)|*.*||"
    std::string defaultExt;     // "wzp": appended when the user typed none
    std::string initialPath;    // file name or full path proposed
    std::string initialDir;
    // The pages ask for the dialogs without flags: a name that does not exist
    // reaches the page, whose own message says so.
    bool mustExist = false;     // open: the file and its folder must exist
    bool overwritePrompt = false;// save: ask before replacing
    bool hideReadOnly = false;  // hide the "open as read-only" box
};
// True with the chosen path; false when the user cancelled.
bool openFileDialog(const FileDialog& how, std::string& path);
bool saveFileDialog(const FileDialog& how, std::string& path);
// The folder picker; true with the chosen folder (no trailing '\').
bool browseForFolder(const std::string& title, std::string& folder);

}  // namespace ui

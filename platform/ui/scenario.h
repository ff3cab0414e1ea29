// Scenarios: a small text script that plays the user. The headless host runs
// it inside its modal loops; the Win32 host (automation mode) applies the same
// steps to real windows from a driver thread, so both hosts are held to one
// behaviour. Format: see README.md in this folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/guarded.h"    // ScenarioError
#include "platform/ui/prompter.h"

namespace ui {

class Dialog;

struct Step {
    enum Kind {
        OnDialog,       // on dialog N           wait (bounded) until dialog N is the active one
        Set,            // set ID TEXT           type TEXT into an edit or combo (replaces)
        Check,          // check ID / clear ID   click a check box into that state
        Clear,
        Click,          // click ID              press a button (a disabled one fails)
        Pick,           // pick ID TEXT | #N     list box / combo / list view row (user selection)
        Select,         // select ID A/B/C       tree item by label path
        RightClick,     // rclick ID [A/B | #N]  right click on a tree item / list row
        DoubleClick,    // dblclick ID [...]
        EditLabel,      // label ID TEXT         end the label editing the page began
        Command,        // command ID            a menu command sent to the dialog
        Timer,          // timer ID              let timer ID fire
        Esc,            // esc                   Esc / close box
        AnswerMessage,  // answer message ok|cancel|yes|no|retry
        AnswerFile,     // answer file PATH | cancel   (next open/save dialog)
        AnswerFolder,   // answer folder PATH | cancel
        AnswerMenu,     // answer menu ID | none       (next popup menu)
        ExpectMessage,  // expect message TEXT   the next recorded box has this text
        ExpectCaption,  // expect caption TEXT   ... of the last box checked by expect message
        ExpectNoMessage,// expect no message     no box since the last expect
        ExpectText,     // expect text ID TEXT   control text
        ExpectChecked,  // expect checked ID 0|1|2
        ExpectEnabled,  // expect enabled ID 0|1
        ExpectVisible,  // expect visible ID 0|1
        ExpectRows,     // expect rows ID N      list/combo/list view row count
        ExpectRow,      // expect row ID N TEXT  row N's text
        ExpectSelected, // expect selected ID N  list/combo selection (-1 none)
        ExpectClosed,   // expect closed         the dialog named by the last `on dialog` ended
        Call,           // C++ step (tests): fn(active dialog)
        Shot,           // shot PATH             save the active dialog's window as a .bmp (Win32 host)
    };
    Kind kind = OnDialog;
    int line = 0;
    long dialog = 0;        // OnDialog
    long control = 0;
    std::string text;       // texts, paths, tree paths
    int index = -1;         // #N rows, numbers, expected states
    bool byIndex = false;
    int answer = 0;         // IdOk..IdNo for AnswerMessage; 0 for cancel
    std::function<void(Dialog&)> fn;
};

// Automation mode of the Win32 host: BUNDLEWRIGHT_SCENARIO=<file> in the
// environment drives the program's real windows; a failing step prints
// "scenario: FILE:LINE: reason" on stderr and ends the process with this code.
enum : int { kScenarioFailedExit = 97 };

class Scenario {
public:
    // Throws ScenarioError "NAME:LINE: expected ..." on a malformed line.
    static Scenario parse(const std::string& text, const std::string& name = "scenario");
    static Scenario load(const std::string& path);      // Windows path through platform/os
    Scenario& then(std::function<void(Dialog&)> fn);    // append a C++ step
    Scenario& add(const std::string& lines);            // append parsed lines
    const std::vector<Step>& steps() const { return steps_; }
    const std::string& name() const { return name_; }
private:
    std::string name_ = "scenario";
    int lines_ = 0;
    std::vector<Step> steps_;
};

struct RecordedMessage {
    std::string caption;
    std::string text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    long ownerDialog = 0;   // template id of the active dialog, 0 when none
    int answer = 0;
};

// While a ScenarioRun lives the host is driven by it: run your dialog with
// runModal() as usual; then call finish(). A failing step throws
// ScenarioError out of runModal() with "NAME:LINE: ..." including the dialog
// and control ids. Waiting for a dialog is bounded (timeoutMs, Win32 host).
class ScenarioRun {
public:
    explicit ScenarioRun(Scenario scenario, unsigned timeoutMs = 10000);
    ~ScenarioRun();
    ScenarioRun(const ScenarioRun&) = delete;
    ScenarioRun& operator=(const ScenarioRun&) = delete;
    // Throws ScenarioError when steps or answers are left unused or a step failed.
    void finish();
    const std::vector<RecordedMessage>& messages() const;
    struct State;
    State& state() { return *state_; }
private:
    State* state_;
};

}  // namespace ui

// What both hosts keep of a running scenario, and the steps and answers that
// work the same on both: the hosts differ only in how a step reaches a
// dialog's controls.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/prompter.h"
#include "platform/ui/scenario.h"

namespace ui {

struct ScenarioRun::State {
    std::string name;
    std::vector<Step> steps;
    size_t next = 0;
    unsigned timeoutMs = 0;
    std::deque<Step> msgAnswers, fileAnswers, folderAnswers, menuAnswers;
    std::vector<RecordedMessage> messages;
    size_t checked = 0;
    const RecordedMessage* lastChecked = nullptr;
    long dialog = 0;            // the last `on dialog`
    const Step* current = nullptr;
    bool automation = false;    // started from BUNDLEWRIGHT_SCENARIO: failures end the process
    size_t waitingAt = static_cast<size_t>(-1);   // the step a bounded wait is for, and since when
    unsigned long waitStart = 0;

    // "NAME:LINE: what" for the current step (or the given line).
    [[noreturn]] void fail(const std::string& what) const;
    [[noreturn]] void failAt(int line, const std::string& what) const;
};

namespace hosted {
// The open dialogs, innermost last, and the scenario that drives them.
std::vector<Dialog*>& stack();
ScenarioRun::State*& running();
// Defined by each host: called as a scenario starts, before its first step.
void scenarioStarting();
// Defined by each host: throws ScenarioError, or in the Win32 host's
// automation mode reports it and ends the process.
[[noreturn]] void raise(const std::string& what);

bool dialogOpen(long id);
// Steps that need no dialog (answers, expected messages); true when handled.
// A `shot` is left to the host.
bool globalStep(ScenarioRun::State& st, const Step& s);
// A box or picker shown while no modal loop has queued the answers at the
// head of the scenario (no dialog, or one still initialising) takes them now.
void takeLeadingAnswers(ScenarioRun::State& st);
// The command the scenario chooses from popup `index` of menu `menuId`; 0
// when it dismisses the menu.
int answerMenu(ScenarioRun::State& st, int menuId, int index, const std::vector<int>& grayed);
// A box the scenario answers: recorded, answered from the queue (an OK box
// needs no answer); a missing or unfitting answer fails the run.
int answerMessage(ScenarioRun::State& st, const std::string& text, const std::string& caption, Buttons buttons,
                  Icon icon);
// Throws std::invalid_argument for a bitmap drawDib cannot show.
void checkDib(const Dib& dib);
// The next answer for a file dialog or folder picker: false when it cancels.
bool answerPicker(ScenarioRun::State& st, std::deque<Step>& answers, const char* what, std::string& path);
}  // namespace hosted

}  // namespace ui

// Internals shared by the Win32 host's files: the dialog's window data, the
// running scenario and the calls between the modal loop and the step runner.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <deque>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "platform/ui/dialog.h"
#include "platform/ui/scenario.h"
#include "platform/ui/scenario_state.h"
#include "platform/ui/scenario_step.h"

namespace ui {

using Kind = hosted::ControlKind;

struct Dialog::Impl {
    HWND hwnd = nullptr;
    bool open = false, ended = false, inPaint = false, initialising = false;
    int result = 0;
    HDC paintDc = nullptr;
    std::map<int, unsigned> timers;
    std::map<int, int> limits;
    std::map<int, TreeItem> hover;      // scenario: the tree item "under the mouse"
    std::map<int, TreeItem> editing;    // scenario: the item whose label code asked to edit
    HWND focus = nullptr;               // the control focused by code or when the dialog lost activation
    int quiet = 0;                      // > 0: notifications of changes made by code are dropped
    HICON bigIcon = nullptr, smallIcon = nullptr;
    std::vector<HIMAGELIST> imageLists;
    std::exception_ptr error;           // what a handler let out, rethrown by runModal
};

namespace w32 {
using hosted::raise;
using hosted::running;
using hosted::stack;
HINSTANCE instance();
// Starts the automation mode once, through automationStarter when a program
// links one (automation.cpp); without it nothing outside the program drives it.
void startAutomation();
extern void (*automationStarter)();
// Runs the scenario file `path` on this program's windows until it exits.
void startAutomationFrom(const std::string& path, unsigned timeoutMs);
[[noreturn]] void reportAndExit(const std::string& what);
bool automationActive();
// The running scenario for a box or picker about to open (answers at the
// head of the scenario are taken when no dialog runs).
ScenarioRun::State* scenarioFor();

// How the host reaches the scenario code while a scenario runs: null until
// the first ScenarioRun starts (hosted::scenarioStarting), so a program that
// never starts one links none of the step runner.
enum class Picker { Open, Save, Folder };
struct ScenarioHooks {
    void (*step)(Dialog& d, ScenarioRun::State& st);
    ScenarioRun::State* (*scenarioFor)();
    int (*menu)(ScenarioRun::State& st, int menuId, int index, const std::vector<int>& grayed);
    int (*message)(ScenarioRun::State& st, const std::string& text, const std::string& caption, Buttons buttons,
                   Icon icon);
    bool (*picker)(ScenarioRun::State& st, Picker which, std::string& path);
};
extern const ScenarioHooks* hooks;

HWND item(const Dialog& d, int id);
Kind kindOf(HWND h);
std::string windowText(HWND h);
bool ownVisible(HWND h);                // the WS_VISIBLE bit, whatever the parent's state
void saveShot(HWND h, const std::string& path);
// One step of the running scenario, inside the modal loop of `d`.
void runStepIn(Dialog& d, ScenarioRun::State& st);
}  // namespace w32

class HostAccess {
public:
    static INT_PTR dispatch(Dialog& d, HWND h, UINT msg, WPARAM wp, LPARAM lp);
    static bool command(Dialog& d, int id, int code) { return d.onCommand(id, code); }
    static bool notify(Dialog& d, int id, const Notify& n) { return d.onNotify(id, n); }
    static void timer(Dialog& d, int id) { d.onTimer(id); }
    static void cancel(Dialog& d) { d.onCancel(); }
    static HWND hwnd(const Dialog& d) { return d.impl_ ? d.impl_->hwnd : nullptr; }
};

}  // namespace ui

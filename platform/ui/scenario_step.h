// The scenario interpreter both hosts run: one step's meaning, its checks and
// its error texts live here; a host only says how a step reaches its
// controls (StepHost). Included by the hosts, never by pages.
#pragma once

#include <string>

#include "platform/ui/scenario_state.h"

namespace ui::hosted {

enum class ControlKind { Static, Button, Edit, List, Combo, ListView, Tree, Progress, Other };

// What a step needs to know of a control before it acts on it.
struct ControlState {
    ControlKind kind = ControlKind::Other;
    bool enabled = true, visible = true;
    bool readOnly = false;      // an edit the user cannot type into
    bool dropList = false;      // a combo without an edit field
    bool listNotify = false;    // a list box that sends its selection changes
    int buttonType = 0;         // the button style's low nibble
};

class StepHost {
public:
    virtual ~StepHost() = default;
    // False when the dialog has no control `id`.
    virtual bool control(int id, ControlState& out) = 0;
    // Lets time pass while the scenario waits for something (a timer may
    // fire, another dialog may come up); false once nothing more can happen
    // within the scenario's bound.
    virtual bool wait() = 0;
    // The user types `text` into a drop-down combo's edit field.
    virtual void typeIntoCombo(int id, const std::string& text) = 0;
    // The button's own click: check boxes and radio groups change state, then
    // the dialog hears it.
    virtual void click(int id) = 0;
    // The user selects a row of a list, combo or list view.
    virtual void pick(int id, ControlKind kind, int row) = 0;
    // The item under the mouse when a tree is clicked.
    virtual void hover(int id, TreeItem item) = 0;
    // Ends the label editing the page began with `text`; false when no label
    // is being edited.
    virtual bool endLabelEdit(int id, const std::string& text) = 0;
    virtual void command(int id, int code) = 0;
    virtual void notify(int id, const Notify& n) = 0;
    virtual bool hasTimer(int timerId) = 0;
    virtual void timer(int timerId) = 0;
    virtual void escape() = 0;                               // Esc or the close box
    virtual void shot(const std::string& path) = 0;          // a picture of the window, where there is one
};

// One step of the running scenario, inside the modal loop of `d`.
void runStep(ScenarioRun::State& st, Dialog& d, StepHost& host);

}  // namespace ui::hosted

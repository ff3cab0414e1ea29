#include "platform/ui/scenario_step.h"

#include <algorithm>
#include <initializer_list>

#include "platform/os/text.h"

namespace ui::hosted {

namespace {

// The step as it applies to one dialog: the control it names, and the checks
// and error texts every kind of step shares.
class StepOn {
public:
    StepOn(ScenarioRun::State& st, Dialog& d, StepHost& host, const Step& s)
        : st_(st), d_(d), host_(host), s_(s), id_(static_cast<int>(s.control)),
          where_(" of dialog " + std::to_string(d.templateId())) {}

    void run();

private:
    std::string name() const { return "control " + std::to_string(id_) + where_; }
    void need(std::initializer_list<ControlKind> kinds, const char* what) const {
        if (std::find(kinds.begin(), kinds.end(), c_.kind) == kinds.end()) st_.fail(name() + " is not " + what);
    }
    // A disabled or hidden control ignores the user.
    bool live() const { return c_.enabled && c_.visible; }
    int rows() const { return c_.kind == ControlKind::ListView ? d_.lvRowCount(id_) : d_.rowCount(id_); }
    std::string row(int i) const { return c_.kind == ControlKind::ListView ? d_.lvCell(id_, i, 0) : d_.rowText(id_, i); }
    int findRow() const;
    TreeItem findPath(const std::string& path) const;
    void press();
    void clickAt();

    ScenarioRun::State& st_;
    Dialog& d_;
    StepHost& host_;
    const Step& s_;
    int id_;
    std::string where_;
    ControlState c_;
};

int StepOn::findRow() const {
    int n = rows();
    if (s_.byIndex) {
        if (s_.index < 0 || s_.index >= n) st_.fail(name() + " has no row " + std::to_string(s_.index));
        return s_.index;
    }
    for (int i = 0; i < n; ++i)
        if (os::equalsNoCase(row(i), s_.text)) return i;
    st_.fail(name() + " has no row \"" + s_.text + "\"");
}

// "A/B/C": the item labelled C under B under the top-level item A.
TreeItem StepOn::findPath(const std::string& path) const {
    TreeItem item = 0;
    TreeItem level = d_.tvRoot(id_);
    size_t start = 0;
    while (start <= path.size()) {
        size_t e = path.find('/', start);
        if (e == std::string::npos) e = path.size();
        std::string label = path.substr(start, e - start);
        TreeItem found = 0;
        for (TreeItem t = level; t; t = d_.tvNext(id_, t))
            if (d_.tvText(id_, t) == label) { found = t; break; }
        if (!found) st_.fail("tree " + std::to_string(id_) + where_ + " has no item \"" + path + "\"");
        item = found;
        level = d_.tvChild(id_, item);
        start = e + 1;
    }
    return item;
}

// click, check and clear: a check step on a box already in that state does nothing.
void StepOn::press() {
    need({ControlKind::Button}, "a button");
    if (!live()) return;
    int type = c_.buttonType;
    bool isCheck = type == 2 || type == 3 || type == 5 || type == 6;
    bool isRadio = type == 4 || type == 9;
    if (s_.kind != Step::Click) {
        if (!isCheck && !isRadio) st_.fail(name() + " is not a check box");
        if (s_.kind == Step::Clear && isRadio) st_.fail("radio button " + std::to_string(id_) + where_ + " cannot be cleared, check another");
        if (d_.checked(id_) == (s_.kind == Step::Check ? 1 : 0)) return;
    }
    host_.click(id_);
}

// rclick and dblclick on a tree item, a list view row or a list row.
void StepOn::clickAt() {
    need({ControlKind::Tree, ControlKind::ListView, ControlKind::List}, "a tree view, a list view or a list");
    if (!live()) return;
    Notify n;
    n.code = s_.kind == Step::RightClick ? Notify::RightClick : Notify::DoubleClick;
    bool at = !s_.text.empty() || s_.byIndex;
    if (c_.kind == ControlKind::Tree) {
        if (!s_.text.empty()) n.item = findPath(s_.text);
        host_.hover(id_, n.item);
        host_.notify(id_, n);
    } else if (c_.kind == ControlKind::ListView) {
        if (at) {
            n.row = findRow();
            d_.lvSelect(id_, n.row, true);
        }
        host_.notify(id_, n);
    } else {
        if (at) d_.selectRow(id_, findRow());
        if (s_.kind == Step::DoubleClick && c_.listNotify) host_.command(id_, LbnDblClk);
    }
}

void StepOn::run() {
    if (s_.control && s_.kind != Step::Command && !host_.control(id_, c_))
        st_.fail("dialog " + std::to_string(d_.templateId()) + " has no control " + std::to_string(s_.control));
    switch (s_.kind) {
        case Step::Set:
            need({ControlKind::Edit, ControlKind::Combo}, "an edit or a drop-down combo");
            if (c_.kind == ControlKind::Combo && c_.dropList) st_.fail("combo " + std::to_string(id_) + where_ + " is a drop-down list: use pick");
            if (!live() || c_.readOnly) return;
            if (c_.kind == ControlKind::Edit) d_.setText(id_, s_.text);
            else host_.typeIntoCombo(id_, s_.text);
            return;
        case Step::Check:
        case Step::Clear:
        case Step::Click:
            press();
            return;
        case Step::Pick: {
            need({ControlKind::List, ControlKind::Combo, ControlKind::ListView}, "a list, a combo or a list view");
            int r = findRow();
            if (live()) host_.pick(id_, c_.kind, r);
            return;
        }
        case Step::Select:
            need({ControlKind::Tree}, "a tree view");
            if (live()) d_.tvSelect(id_, findPath(s_.text));
            return;
        case Step::RightClick:
        case Step::DoubleClick:
            clickAt();
            return;
        case Step::EditLabel:
            need({ControlKind::Tree}, "a tree view");
            if (!host_.endLabelEdit(id_, s_.text)) st_.fail("tree " + std::to_string(id_) + where_ + " is not editing a label");
            return;
        case Step::Command:
            host_.command(id_, 0);
            return;
        case Step::Timer:
            if (!host_.hasTimer(s_.index)) st_.fail("dialog " + std::to_string(d_.templateId()) + " has no timer " + std::to_string(s_.index));
            host_.timer(s_.index);
            return;
        case Step::Esc:
            host_.escape();
            return;
        case Step::Shot:
            host_.shot(s_.text);
            return;
        case Step::ExpectText: {
            std::string t = d_.text(id_);
            if (t != s_.text) st_.fail(name() + " shows \"" + t + "\", expected \"" + s_.text + "\"");
            return;
        }
        case Step::ExpectChecked: {
            need({ControlKind::Button}, "a button");
            int v = d_.checked(id_);
            if (v != s_.index) st_.fail(name() + " is " + std::to_string(v) + ", expected " + std::to_string(s_.index));
            return;
        }
        case Step::ExpectEnabled:
            if (c_.enabled != (s_.index != 0)) st_.fail(name() + (c_.enabled ? " is enabled" : " is disabled"));
            return;
        case Step::ExpectVisible:
            if (c_.visible != (s_.index != 0)) st_.fail(name() + (c_.visible ? " is visible" : " is hidden"));
            return;
        case Step::ExpectRows: {
            need({ControlKind::List, ControlKind::Combo, ControlKind::ListView}, "a list, a combo or a list view");
            int n = rows();
            if (n != s_.index) st_.fail(name() + " has " + std::to_string(n) + " rows, expected " + std::to_string(s_.index));
            return;
        }
        case Step::ExpectRow: {
            need({ControlKind::List, ControlKind::Combo, ControlKind::ListView}, "a list, a combo or a list view");
            std::string t = row(s_.index);
            if (t != s_.text)
                st_.fail("row " + std::to_string(s_.index) + " of " + name() + " is \"" + t + "\", expected \"" + s_.text + "\"");
            return;
        }
        case Step::ExpectSelected: {
            need({ControlKind::List, ControlKind::Combo, ControlKind::ListView}, "a list, a combo or a list view");
            int sel;
            if (c_.kind == ControlKind::ListView) {
                auto v = d_.lvSelectedRows(id_);
                sel = v.empty() ? -1 : v.front();
            } else {
                sel = d_.selectedRow(id_);
            }
            if (sel != s_.index) st_.fail(name() + " has row " + std::to_string(sel) + " selected, expected " + std::to_string(s_.index));
            return;
        }
        case Step::Call:
            s_.fn(d_);
            return;
        default:
            st_.fail("step cannot run here");
    }
}

}  // namespace

void runStep(ScenarioRun::State& st, Dialog& d, StepHost& host) {
    const long id = d.templateId();
    if (st.next >= st.steps.size()) {
        st.current = nullptr;
        if (host.wait()) return;   // a timer may still end the dialog
        raise(st.name + ": the scenario ended while dialog " + std::to_string(id) + " is open");
    }
    const Step& s = st.steps[st.next];
    st.current = &s;
    if (globalStep(st, s)) { ++st.next; return; }
    if (s.kind == Step::OnDialog) {
        if (s.dialog == id) { st.dialog = s.dialog; ++st.next; return; }
        if (host.wait()) return;   // time passes while we wait
        st.fail("waiting for dialog " + std::to_string(s.dialog) + ", but dialog " + std::to_string(id) + " is active");
    }
    if (s.kind == Step::ExpectClosed) {
        if (st.dialog == id || dialogOpen(st.dialog)) {
            if (host.wait()) return;
            st.fail("dialog " + std::to_string(st.dialog) + " is still open");
        }
        ++st.next;
        return;
    }
    if (st.dialog && st.dialog != id)
        st.fail("the step is for dialog " + std::to_string(st.dialog) + ", but dialog " + std::to_string(id) + " is active");
    ++st.next;
    StepOn(st, d, host, s).run();
}

}  // namespace ui::hosted

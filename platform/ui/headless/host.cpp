// The headless host: each dialog is an in-memory control set built from its
// resource template; the running scenario plays the user inside the modal
// loops, answers every box and picker, and records every message.
#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <set>

#include "platform/ui/dialog.h"
#include "platform/ui/guarded.h"
#include "platform/ui/prompter.h"
#include "platform/ui/resources.h"
#include "platform/ui/scenario.h"
#include "platform/ui/scenario_step.h"
#include "platform/os/text.h"

namespace ui {

namespace {
constexpr std::uint32_t kVisible = 0x10000000L, kDisabled = 0x08000000L;
constexpr int kBaseX = 6, kBaseY = 13;     // dialog base units of "MS Shell Dlg" 8
using Kind = hosted::ControlKind;

struct Node {
    TreeItem parent = 0;
    std::vector<TreeItem> children;
    std::string text;
    int image = 0, selImage = 0;
    std::intptr_t data = 0;
    bool expanded = false;
};
}  // namespace

struct Control {
    res::Control tpl;
    Kind kind = Kind::Other;
    std::string text;
    int check = 0;
    bool enabled = true, visible = true, readOnly = false, sorted = false, notify = false;
    int buttonType = 0;         // BS_* low nibble
    int comboType = 0;          // CBS_SIMPLE/DROPDOWN/DROPDOWNLIST
    int limit = 0;
    std::vector<std::pair<std::string, std::intptr_t>> rows;
    int sel = -1;
    std::vector<std::pair<std::string, int>> columns;
    std::vector<std::vector<std::string>> cells;
    std::vector<bool> lvSel;
    bool fullRow = false;
    std::map<TreeItem, Node> nodes;
    std::vector<TreeItem> roots;
    TreeItem nextItem = 1, selected = 0, editing = 0, hover = 0;
    int images[2] = {0, 0};
    int lo = 0, hi = 100, pos = 0, step = 10;
};

struct Dialog::Impl {
    const res::DialogTemplate* tpl = nullptr;
    std::map<int, Control> controls;
    std::vector<int> order;
    bool open = false, ended = false, visible = false, needsPaint = false, inPaint = false;
    bool initialising = false;  // inside onInitDialog: no step has run for this dialog yet
    int result = 0;
    std::string caption;
    int icon = 0, defId = IdOk, focus = 0;
    std::map<int, unsigned> timers;
    int dibsDrawn = 0;
    bool minimized = false;
};

namespace hosted {
[[noreturn]] void raise(const std::string& what) { throw ScenarioError(what); }
void scenarioStarting() {}   // the headless host calls the steps directly
}  // namespace hosted
using namespace hosted;

namespace {
ScenarioRun::State& scenario(const char* what) {
    if (!running())
        throw ScenarioError(std::string(what) + " with no scenario running to answer it");
    ScenarioRun::State& st = *running();
    // A box or picker shown while no dialog runs, or while the active dialog
    // initialises (before any step ran for it), takes the answers at the head
    // of the scenario: no modal loop has queued them yet.
    Dialog* d = activeDialog();
    if (!d || (d->impl() && d->impl()->initialising)) takeLeadingAnswers(st);
    return st;
}
}  // namespace

class HostAccess {
public:
    static bool init(Dialog& d) { return d.onInitDialog(); }
    static bool command(Dialog& d, int id, int code) { return d.onCommand(id, code); }
    static bool notify(Dialog& d, int id, const Notify& n) { return d.onNotify(id, n); }
    static void timer(Dialog& d, int id) { d.onTimer(id); }
    static void paint(Dialog& d) { d.onPaint(); }
    static void cancel(Dialog& d) { d.onCancel(); }
};

namespace {

Control& ctl(const Dialog& d, int id) {
    Dialog::Impl* impl = d.impl();
    if (!impl) throw ScenarioError("dialog " + std::to_string(d.templateId()) + " is not open (control " + std::to_string(id) + ")");
    auto it = impl->controls.find(id);
    if (it == impl->controls.end())
        throw ScenarioError("dialog " + std::to_string(d.templateId()) + " has no control " + std::to_string(id));
    return it->second;
}

Control& ctlOf(const Dialog& d, int id, std::initializer_list<Kind> kinds, const char* what) {
    Control& c = ctl(d, id);
    if (std::find(kinds.begin(), kinds.end(), c.kind) == kinds.end())
        throw ScenarioError("control " + std::to_string(id) + " of dialog " + std::to_string(d.templateId()) + " is not " + what);
    return c;
}

Kind kindOf(const std::string& cls) {
    if (cls == "Static") return Kind::Static;
    if (cls == "Button") return Kind::Button;
    if (cls == "Edit") return Kind::Edit;
    if (cls == "ListBox") return Kind::List;
    if (cls == "ComboBox") return Kind::Combo;
    if (cls == "SysListView32") return Kind::ListView;
    if (cls == "SysTreeView32") return Kind::Tree;
    if (cls == "msctls_progress32") return Kind::Progress;
    return Kind::Other;
}

void notifyCommand(Dialog& d, int id, int code) {
    if (d.impl() && d.impl()->open) HostAccess::command(d, id, code);
}

int sortedPosition(const std::vector<std::pair<std::string, std::intptr_t>>& rows, const std::string& t) {
    std::string key = os::lowerAscii(t);
    int i = 0;
    for (; i < static_cast<int>(rows.size()); ++i)
        if (os::lowerAscii(rows[i].first) > key) break;
    return i;
}

}  // namespace

// ---- scenario runs ---------------------------------------------------------------
namespace {
// How a scenario step reaches this host's in-memory controls.
class HeadlessSteps final : public StepHost {
public:
    explicit HeadlessSteps(Dialog& d) : d_(d), impl_(*d.impl()) {}

    bool control(int id, ControlState& out) override {
        auto it = impl_.controls.find(id);
        if (it == impl_.controls.end()) return false;
        const Control& c = it->second;
        out.kind = c.kind;
        out.enabled = c.enabled;
        out.visible = c.visible;
        out.readOnly = c.readOnly;
        out.dropList = c.kind == Kind::Combo && c.comboType == 3;
        out.listNotify = c.notify;
        out.buttonType = c.buttonType;
        return true;
    }
    // Time passes by firing the earliest timer, on a clock of its own that the
    // scenario's bound limits, so a timer that never ends the wait cannot
    // keep the run going for ever.
    bool wait() override {
        ScenarioRun::State& st = *running();
        if (impl_.timers.empty()) return false;
        if (st.waitingAt != st.next) { st.waitingAt = st.next; st.waitStart = 0; }
        if (st.waitStart >= st.timeoutMs) return false;
        auto t = std::min_element(impl_.timers.begin(), impl_.timers.end(),
                                  [](auto& a, auto& b) { return a.second < b.second; });
        st.waitStart += std::max(1u, t->second);
        HostAccess::timer(d_, t->first);
        return true;
    }
    void typeIntoCombo(int id, const std::string& text) override {
        Control& c = impl_.controls[id];
        c.text = c.limit > 0 ? text.substr(0, static_cast<size_t>(c.limit)) : text;
        c.sel = -1;
        HostAccess::command(d_, id, CbnEditUpdate);
        HostAccess::command(d_, id, CbnEditChange);
    }
    void click(int id) override {
        Control& c = impl_.controls[id];
        if (c.buttonType == 3) c.check = c.check ? 0 : 1;
        else if (c.buttonType == 6) c.check = (c.check + 1) % 3;
        else if (c.buttonType == 9) checkInGroup(id);
        impl_.focus = id;
        HostAccess::command(d_, id, BnClicked);
    }
    void pick(int id, ControlKind kind, int row) override {
        Control& c = impl_.controls[id];
        if (kind == Kind::ListView) {
            std::fill(c.lvSel.begin(), c.lvSel.end(), false);
            c.lvSel[static_cast<size_t>(row)] = true;
            Notify n;
            n.code = Notify::ItemChanged;
            n.row = row;
            HostAccess::notify(d_, id, n);
            return;
        }
        c.sel = row;
        if (kind == Kind::Combo) {
            c.text = c.rows[static_cast<size_t>(row)].first;
            HostAccess::command(d_, id, CbnSelChange);
            HostAccess::command(d_, id, CbnSelEndOk);
        } else if (c.notify) {
            HostAccess::command(d_, id, LbnSelChange);
        }
    }
    void hover(int id, TreeItem item) override { impl_.controls[id].hover = item; }
    bool endLabelEdit(int id, const std::string& text) override {
        Control& c = impl_.controls[id];
        if (!c.editing) return false;
        TreeItem item = c.editing;
        c.editing = 0;
        Notify n;
        n.code = Notify::EndLabelEdit;
        n.item = item;
        n.text = text;
        if (HostAccess::notify(d_, id, n)) c.nodes[item].text = text;
        return true;
    }
    void command(int id, int code) override { HostAccess::command(d_, id, code); }
    void notify(int id, const Notify& n) override { HostAccess::notify(d_, id, n); }
    bool hasTimer(int timerId) override { return impl_.timers.count(timerId) != 0; }
    void timer(int timerId) override { HostAccess::timer(d_, timerId); }
    void escape() override { HostAccess::cancel(d_); }
    void shot(const std::string&) override {}   // pictures are the Win32 host's

private:
    // An automatic radio button clears the others of its group.
    void checkInGroup(int id) {
        auto& order = impl_.order;
        auto pos = std::find(order.begin(), order.end(), id);
        auto b = pos, e = pos;
        while (b != order.begin() && !(impl_.controls[*b].tpl.style & 0x00020000L)) --b;
        ++e;
        while (e != order.end() && !(impl_.controls[*e].tpl.style & 0x00020000L)) ++e;
        for (auto i = b; i != e; ++i) {
            Control& o = impl_.controls[*i];
            if (o.kind == Kind::Button && (o.buttonType == 9 || o.buttonType == 4)) o.check = 0;
        }
        impl_.controls[id].check = 1;
    }

    Dialog& d_;
    Dialog::Impl& impl_;
};
}  // namespace

Dialog::Dialog(int templateId, Dialog* owner) : templateId_(templateId), owner_(owner) {}
Dialog::~Dialog() { delete impl_; }

int Dialog::runModal() {
    const auto& set = res::resources();
    auto t = set.dialogs.find(templateId_);
    if (t == set.dialogs.end()) return -1;   // as the system's dialog box answers a dialog it cannot make
    if (!owner_) owner_ = activeDialog();
    delete impl_;
    impl_ = new Impl;
    impl_->tpl = &t->second;
    impl_->caption = t->second.caption;
    for (const auto& c : t->second.controls) {
        Control k;
        k.tpl = c;
        k.kind = kindOf(c.cls);
        k.text = k.kind == Kind::List || k.kind == Kind::ListView || k.kind == Kind::Tree ? "" : c.text;
        k.visible = c.style & kVisible;
        k.enabled = !(c.style & kDisabled);
        k.buttonType = static_cast<int>(c.style & 0xF);
        if (k.kind == Kind::Edit) k.readOnly = c.style & 0x800;
        if (k.kind == Kind::List) { k.sorted = c.style & 2; k.notify = c.style & 1; }
        if (k.kind == Kind::Combo) { k.sorted = c.style & 0x100; k.comboType = static_cast<int>(c.style & 3); }
        if (k.kind == Kind::Button && k.buttonType == 1) impl_->defId = c.id;
        if (c.id != -1 && c.id != 0xFFFF) {
            impl_->controls[c.id] = k;
            impl_->order.push_back(c.id);
        }
    }
    impl_->open = true;
    stack().push_back(this);
    struct Pop {
        Dialog* d;
        ~Pop() {
            auto& s = stack();
            s.erase(std::remove(s.begin(), s.end(), d), s.end());
            if (d->impl_) { d->impl_->open = false; d->impl_->visible = false; d->impl_->timers.clear(); }
        }
    } pop{this};
    impl_->initialising = true;
    bool focusDefault = HostAccess::init(*this);
    impl_->initialising = false;
    if (focusDefault && impl_->focus == 0) {
        for (int id : impl_->order) {
            Control& c = impl_->controls[id];
            if ((c.tpl.style & 0x00010000L) && c.enabled && c.visible) { impl_->focus = id; break; }
        }
    }
    if (!impl_->ended) impl_->visible = true;
    impl_->needsPaint = true;
    while (!impl_->ended) {
        if (impl_->needsPaint && impl_->visible) {
            impl_->needsPaint = false;
            impl_->inPaint = true;
            HostAccess::paint(*this);
            impl_->inPaint = false;
            continue;
        }
        ScenarioRun::State* st = running();
        if (!st) throw ScenarioError("dialog " + std::to_string(templateId_) + " runs with no scenario to drive it");
        HeadlessSteps steps(*this);
        runStep(*st, *this, steps);
    }
    return impl_->result;
}

void Dialog::end(int result) {
    if (!impl_) return;
    impl_->ended = true;
    impl_->result = result;
}

bool Dialog::isOpen() const { return impl_ && impl_->open && !impl_->ended; }
void Dialog::show() { if (impl_ && impl_->open) { impl_->visible = true; impl_->needsPaint = true; } }
void Dialog::hide() { if (impl_) impl_->visible = false; }
bool Dialog::isVisible() const { return impl_ && impl_->open && impl_->visible; }
void Dialog::setCaption(const std::string& text) { if (impl_) impl_->caption = text; }
std::string Dialog::caption() const { return impl_ ? impl_->caption : std::string(); }
void Dialog::setIcons(int iconResource) {
    if (!res::resources().icons.count(iconResource))
        throw ScenarioError("no icon resource " + std::to_string(iconResource));
    if (impl_) impl_->icon = iconResource;
}
void Dialog::setDefaultButton(int id) { ctl(*this, id); impl_->defId = id; }
void Dialog::invalidate() { if (impl_) impl_->needsPaint = true; }
void Dialog::updateWindow() {
    if (!impl_ || !impl_->open || !impl_->visible || impl_->inPaint) return;
    impl_->needsPaint = false;
    impl_->inPaint = true;
    struct Done { Impl* i; ~Done() { i->inPaint = false; } } done{impl_};
    HostAccess::paint(*this);
}
// Nothing is drawn here: the page's paint handler runs as for a whole repaint.
void Dialog::updateChanged() { updateWindow(); }

bool Dialog::hasControl(int id) const { return impl_ && impl_->controls.count(id); }

void Dialog::setText(int id, const std::string& text) {
    Control& c = ctl(*this, id);
    std::string t = c.limit > 0 && c.kind == Kind::Edit ? text.substr(0, static_cast<size_t>(c.limit)) : text;
    if (c.kind == Kind::ListView || c.kind == Kind::Tree) return;
    bool changed = c.text != t;
    c.text = t;
    if (c.kind == Kind::Combo && c.comboType == 3) {
        // A drop-down list shows only its rows: the text selects the row.
        c.sel = findRow(id, t);
    }
    if (c.kind == Kind::Edit && changed) {
        notifyCommand(*this, id, EnUpdate);
        notifyCommand(*this, id, EnChange);
    }
}

std::string Dialog::text(int id) const {
    Control& c = ctl(*this, id);
    if (c.kind == Kind::List) return c.sel >= 0 ? c.rows[static_cast<size_t>(c.sel)].first : std::string();
    return c.text;
}

void Dialog::setCheck(int id, int state) { ctlOf(*this, id, {Kind::Button}, "a button").check = state; }
int Dialog::checked(int id) const { return ctlOf(*this, id, {Kind::Button}, "a button").check; }
void Dialog::enable(int id, bool on) { ctl(*this, id).enabled = on; }
bool Dialog::isEnabled(int id) const { return ctl(*this, id).enabled; }
void Dialog::showControl(int id, bool on) { ctl(*this, id).visible = on; }
bool Dialog::isControlVisible(int id) const { return ctl(*this, id).visible; }
void Dialog::setReadOnly(int id, bool on) { ctlOf(*this, id, {Kind::Edit}, "an edit").readOnly = on; }
void Dialog::setLimitText(int id, int maxChars) { ctlOf(*this, id, {Kind::Edit, Kind::Combo}, "an edit or combo").limit = maxChars; }
void Dialog::focus(int id) { ctl(*this, id); impl_->focus = id; }
int Dialog::focused() const { return impl_ ? impl_->focus : 0; }

int Dialog::addRow(int id, const std::string& text) {
    Control& c = ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box");
    int at = c.sorted ? sortedPosition(c.rows, text) : static_cast<int>(c.rows.size());
    c.rows.insert(c.rows.begin() + at, {text, 0});
    if (c.sel >= at) ++c.sel;
    return at;
}
int Dialog::insertRow(int id, int index, const std::string& text) {
    Control& c = ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box");
    int at = index < 0 || index > static_cast<int>(c.rows.size()) ? static_cast<int>(c.rows.size()) : index;
    c.rows.insert(c.rows.begin() + at, {text, 0});
    if (c.sel >= at) ++c.sel;
    return at;
}
void Dialog::deleteRow(int id, int index) {
    Control& c = ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box");
    if (index < 0 || index >= static_cast<int>(c.rows.size())) return;
    c.rows.erase(c.rows.begin() + index);
    if (c.sel == index) c.sel = -1;
    else if (c.sel > index) --c.sel;
}
void Dialog::clearRows(int id) {
    Control& c = ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box");
    c.rows.clear();
    c.sel = -1;
}
int Dialog::rowCount(int id) const { return static_cast<int>(ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box").rows.size()); }
std::string Dialog::rowText(int id, int index) const {
    Control& c = ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box");
    return index >= 0 && index < static_cast<int>(c.rows.size()) ? c.rows[static_cast<size_t>(index)].first : std::string();
}
int Dialog::findRow(int id, const std::string& text) const {
    Control& c = ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box");
    for (size_t i = 0; i < c.rows.size(); ++i)
        if (os::equalsNoCase(c.rows[i].first, text)) return static_cast<int>(i);
    return -1;
}
int Dialog::selectedRow(int id) const { return ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box").sel; }
void Dialog::selectRow(int id, int index) {
    Control& c = ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box");
    c.sel = index >= 0 && index < static_cast<int>(c.rows.size()) ? index : -1;
    if (c.kind == Kind::Combo) c.text = c.sel >= 0 ? c.rows[static_cast<size_t>(c.sel)].first : std::string();
}
void Dialog::setRowData(int id, int index, std::intptr_t data) {
    Control& c = ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box");
    if (index >= 0 && index < static_cast<int>(c.rows.size())) c.rows[static_cast<size_t>(index)].second = data;
}
std::intptr_t Dialog::rowData(int id, int index) const {
    Control& c = ctlOf(*this, id, {Kind::List, Kind::Combo}, "a list or combo box");
    return index >= 0 && index < static_cast<int>(c.rows.size()) ? c.rows[static_cast<size_t>(index)].second : 0;
}

// ---- list views ----------------------------------------------------------------
void Dialog::lvAddColumn(int id, const std::string& title, int width) {
    Control& c = ctlOf(*this, id, {Kind::ListView}, "a list view");
    c.columns.push_back({title, width});
    for (auto& r : c.cells) r.resize(c.columns.size());
}
void Dialog::lvSetFullRowSelect(int id, bool on) { ctlOf(*this, id, {Kind::ListView}, "a list view").fullRow = on; }
int Dialog::lvInsertRow(int id, int index, const std::string& text) {
    Control& c = ctlOf(*this, id, {Kind::ListView}, "a list view");
    int at = index < 0 || index > static_cast<int>(c.cells.size()) ? static_cast<int>(c.cells.size()) : index;
    std::vector<std::string> row(std::max<size_t>(1, c.columns.size()));
    row[0] = text;
    c.cells.insert(c.cells.begin() + at, row);
    c.lvSel.insert(c.lvSel.begin() + at, false);
    return at;
}
void Dialog::lvSetCell(int id, int row, int column, const std::string& text) {
    Control& c = ctlOf(*this, id, {Kind::ListView}, "a list view");
    if (row < 0 || row >= static_cast<int>(c.cells.size()) || column < 0) return;
    auto& r = c.cells[static_cast<size_t>(row)];
    if (static_cast<size_t>(column) >= r.size()) {
        if (static_cast<size_t>(column) >= std::max<size_t>(1, c.columns.size())) return;   // no such column
        r.resize(static_cast<size_t>(column) + 1);
    }
    r[static_cast<size_t>(column)] = text;
}
std::string Dialog::lvCell(int id, int row, int column) const {
    Control& c = ctlOf(*this, id, {Kind::ListView}, "a list view");
    if (row < 0 || row >= static_cast<int>(c.cells.size()) || column < 0) return {};
    auto& r = c.cells[static_cast<size_t>(row)];
    return static_cast<size_t>(column) < r.size() ? r[static_cast<size_t>(column)] : std::string();
}
void Dialog::lvDeleteRow(int id, int row) {
    Control& c = ctlOf(*this, id, {Kind::ListView}, "a list view");
    if (row < 0 || row >= static_cast<int>(c.cells.size())) return;
    c.cells.erase(c.cells.begin() + row);
    c.lvSel.erase(c.lvSel.begin() + row);
}
void Dialog::lvClear(int id) {
    Control& c = ctlOf(*this, id, {Kind::ListView}, "a list view");
    c.cells.clear();
    c.lvSel.clear();
}
int Dialog::lvRowCount(int id) const { return static_cast<int>(ctlOf(*this, id, {Kind::ListView}, "a list view").cells.size()); }
void Dialog::lvSelect(int id, int row, bool on) {
    Control& c = ctlOf(*this, id, {Kind::ListView}, "a list view");
    if (row < 0 || row >= static_cast<int>(c.cells.size())) return;
    if (on && (c.tpl.style & 4)) std::fill(c.lvSel.begin(), c.lvSel.end(), false);   // LVS_SINGLESEL
    c.lvSel[static_cast<size_t>(row)] = on;
}
bool Dialog::lvIsSelected(int id, int row) const {
    Control& c = ctlOf(*this, id, {Kind::ListView}, "a list view");
    return row >= 0 && row < static_cast<int>(c.lvSel.size()) && c.lvSel[static_cast<size_t>(row)];
}
std::vector<int> Dialog::lvSelectedRows(int id) const {
    Control& c = ctlOf(*this, id, {Kind::ListView}, "a list view");
    std::vector<int> out;
    for (size_t i = 0; i < c.lvSel.size(); ++i) if (c.lvSel[i]) out.push_back(static_cast<int>(i));
    return out;
}

// ---- tree views ----------------------------------------------------------------
namespace {
Node* node(Control& c, TreeItem item) {
    auto it = c.nodes.find(item);
    return it == c.nodes.end() ? nullptr : &it->second;
}
std::vector<TreeItem>& siblings(Control& c, TreeItem parent) {
    return parent ? c.nodes[parent].children : c.roots;
}
void eraseTree(Control& c, TreeItem item) {
    Node* n = node(c, item);
    if (!n) return;
    for (TreeItem ch : std::vector<TreeItem>(n->children)) eraseTree(c, ch);
    if (c.selected == item) c.selected = 0;
    if (c.editing == item) c.editing = 0;
    if (c.hover == item) c.hover = 0;
    c.nodes.erase(item);
}
}  // namespace

void Dialog::tvSetImages(int id, int icon0, int icon1) {
    Control& c = ctlOf(*this, id, {Kind::Tree}, "a tree view");
    for (int icon : {icon0, icon1})
        if (!res::resources().icons.count(icon)) throw ScenarioError("no icon resource " + std::to_string(icon));
    c.images[0] = icon0;
    c.images[1] = icon1;
}
TreeItem Dialog::tvInsert(int id, TreeItem parent, const std::string& text, int image, int selectedImage, TreeInsert where) {
    Control& c = ctlOf(*this, id, {Kind::Tree}, "a tree view");
    if (parent && !node(c, parent)) return 0;
    TreeItem item = c.nextItem++;
    Node n;
    n.parent = parent;
    n.text = text;
    n.image = image;
    n.selImage = selectedImage;
    c.nodes[item] = n;
    auto& sib = siblings(c, parent);
    size_t at = sib.size();
    if (where == TreeInsert::First) at = 0;
    else if (where == TreeInsert::Sorted) {
        at = 0;
        while (at < sib.size() && os::lowerAscii(c.nodes[sib[at]].text) <= os::lowerAscii(text)) ++at;
    }
    sib.insert(sib.begin() + static_cast<long>(at), item);
    return item;
}
void Dialog::tvDelete(int id, TreeItem item) {
    Control& c = ctlOf(*this, id, {Kind::Tree}, "a tree view");
    Node* n = node(c, item);
    if (!n) return;
    auto& sib = siblings(c, n->parent);
    sib.erase(std::remove(sib.begin(), sib.end(), item), sib.end());
    eraseTree(c, item);
}
void Dialog::tvClear(int id) {
    Control& c = ctlOf(*this, id, {Kind::Tree}, "a tree view");
    c.nodes.clear();
    c.roots.clear();
    c.selected = c.editing = c.hover = 0;
}
std::string Dialog::tvText(int id, TreeItem item) const {
    Node* n = node(ctlOf(*this, id, {Kind::Tree}, "a tree view"), item);
    return n ? n->text : std::string();
}
void Dialog::tvSetText(int id, TreeItem item, const std::string& text) {
    if (Node* n = node(ctlOf(*this, id, {Kind::Tree}, "a tree view"), item)) n->text = text;
}
std::intptr_t Dialog::tvData(int id, TreeItem item) const {
    Node* n = node(ctlOf(*this, id, {Kind::Tree}, "a tree view"), item);
    return n ? n->data : 0;
}
void Dialog::tvSetData(int id, TreeItem item, std::intptr_t data) {
    if (Node* n = node(ctlOf(*this, id, {Kind::Tree}, "a tree view"), item)) n->data = data;
}
int Dialog::tvImage(int id, TreeItem item) const {
    Node* n = node(ctlOf(*this, id, {Kind::Tree}, "a tree view"), item);
    return n ? n->image : -1;
}
TreeItem Dialog::tvRoot(int id) const {
    Control& c = ctlOf(*this, id, {Kind::Tree}, "a tree view");
    return c.roots.empty() ? 0 : c.roots.front();
}
TreeItem Dialog::tvParent(int id, TreeItem item) const {
    Node* n = node(ctlOf(*this, id, {Kind::Tree}, "a tree view"), item);
    return n ? n->parent : 0;
}
TreeItem Dialog::tvChild(int id, TreeItem item) const {
    Node* n = node(ctlOf(*this, id, {Kind::Tree}, "a tree view"), item);
    return n && !n->children.empty() ? n->children.front() : 0;
}
TreeItem Dialog::tvNext(int id, TreeItem item) const {
    Control& c = ctlOf(*this, id, {Kind::Tree}, "a tree view");
    Node* n = node(c, item);
    if (!n) return 0;
    auto& sib = siblings(c, n->parent);
    auto it = std::find(sib.begin(), sib.end(), item);
    return it != sib.end() && it + 1 != sib.end() ? *(it + 1) : 0;
}
TreeItem Dialog::tvSelected(int id) const { return ctlOf(*this, id, {Kind::Tree}, "a tree view").selected; }
void Dialog::tvSelect(int id, TreeItem item) {
    Control& c = ctlOf(*this, id, {Kind::Tree}, "a tree view");
    if (item && !node(c, item)) return;
    if (c.selected == item) return;
    c.selected = item;
    // Selecting shows the item: its ancestors open.
    for (TreeItem p = item ? c.nodes[item].parent : 0; p; p = c.nodes[p].parent) c.nodes[p].expanded = true;
    Notify n;
    n.code = Notify::SelChanged;
    n.item = item;
    if (impl_->open) HostAccess::notify(*this, id, n);
}
void Dialog::tvExpand(int id, TreeItem item, bool expand) {
    if (Node* n = node(ctlOf(*this, id, {Kind::Tree}, "a tree view"), item)) n->expanded = expand;
}
bool Dialog::tvIsExpanded(int id, TreeItem item) const {
    Node* n = node(ctlOf(*this, id, {Kind::Tree}, "a tree view"), item);
    return n && n->expanded;
}
void Dialog::tvEditLabel(int id, TreeItem item) {
    Control& c = ctlOf(*this, id, {Kind::Tree}, "a tree view");
    if (node(c, item)) c.editing = item;
}
TreeItem Dialog::tvHitTest(int id) const { return ctlOf(*this, id, {Kind::Tree}, "a tree view").hover; }

// ---- progress, menus, timers, painting --------------------------------------------
void Dialog::progressRange(int id, int low, int high) {
    Control& c = ctlOf(*this, id, {Kind::Progress}, "a progress bar");
    c.lo = low;
    c.hi = high;
    c.pos = std::clamp(c.pos, low, std::max(low, high));
}
void Dialog::progressSetStep(int id, int step) { ctlOf(*this, id, {Kind::Progress}, "a progress bar").step = step; }
void Dialog::progressStepIt(int id) {
    Control& c = ctlOf(*this, id, {Kind::Progress}, "a progress bar");
    c.pos += c.step;
    if (c.pos > c.hi) c.pos = c.lo + (c.pos - c.hi);   // the bar wraps as the system's does
}
void Dialog::progressSetPos(int id, int pos) {
    Control& c = ctlOf(*this, id, {Kind::Progress}, "a progress bar");
    c.pos = std::clamp(pos, c.lo, std::max(c.lo, c.hi));
}
int Dialog::progressPos(int id) const { return ctlOf(*this, id, {Kind::Progress}, "a progress bar").pos; }

int Dialog::popupMenu(int menuId, int index, const std::vector<int>& grayed) {
    return answerMenu(scenario("a popup menu opened"), menuId, index, grayed);
}

void Dialog::setTimer(int timerId, unsigned ms) { if (impl_) impl_->timers[timerId] = ms; }
void Dialog::killTimer(int timerId) { if (impl_) impl_->timers.erase(timerId); }

void Dialog::drawDib(int, int, const Dib& dib) {
    hosted::checkDib(dib);
    if (impl_) ++impl_->dibsDrawn;
}
void Dialog::drawDibStretched(int, int, int width, int height, const Dib& dib) {
    hosted::checkDib(dib);
    if (width <= 0 || height <= 0) throw std::invalid_argument("drawDib: empty target");
    if (impl_) ++impl_->dibsDrawn;
}
void Dialog::minimize(bool on) {
    if (!impl_ || impl_->minimized == on) return;
    impl_->minimized = on;
    impl_->needsPaint = true;
}
bool Dialog::isMinimized() const { return impl_ && impl_->minimized; }
void Dialog::drawProgramIcon(int, int) {
    if (!impl_ || !impl_->inPaint) throw std::logic_error("drawProgramIcon outside painting");
}
Dialog::Size Dialog::iconSize() const { return {32, 32}; }   // the system's at 96 dpi
// The template's size in dialog units at the base units of "MS Shell Dlg" 8
// on a 96 dpi screen, as the Win32 host measures them.
Dialog::Size Dialog::clientSize() const {
    if (!impl_ || !impl_->tpl) return {};
    return {impl_->tpl->cx * kBaseX / 4, impl_->tpl->cy * kBaseY / 8};
}

// ---- prompter ------------------------------------------------------------------

int messageBox(const std::string& text, std::optional<std::string> caption, Buttons buttons, Icon icon) {
    return answerMessage(scenario(("message box \"" + text + "\"").c_str()), text, caption ? *caption : programName(),
                         buttons, icon);
}

bool openFileDialog(const FileDialog&, std::string& path) {
    ScenarioRun::State& st = scenario("a file dialog");
    return answerPicker(st, st.fileAnswers, "an open file dialog", path);
}
bool saveFileDialog(const FileDialog& how, std::string& path) {
    ScenarioRun::State& st = scenario("a file dialog");
    if (!answerPicker(st, st.fileAnswers, "a save file dialog", path)) return false;
    // The system adds the default extension when the user typed none.
    size_t slash = path.find_last_of('\\');
    size_t dot = path.find_last_of('.');
    if (!how.defaultExt.empty() && (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
        path += "." + how.defaultExt;
    return true;
}
bool browseForFolder(const std::string&, std::string& folder) {
    ScenarioRun::State& st = scenario("a folder picker");
    if (!answerPicker(st, st.folderAnswers, "a folder picker", folder)) return false;
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return true;
}

void pumpMessages() {}   // nothing waits to be painted here

}  // namespace ui

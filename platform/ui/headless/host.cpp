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
#include "platform/ui/scenario_state.h"

namespace ui {

namespace {
constexpr std::uint32_t kVisible = 0x10000000L, kDisabled = 0x08000000L;
constexpr int kBaseX = 6, kBaseY = 13;     // dialog base units of "MS Shell Dlg" 8

enum class Kind { Static, Button, Edit, List, Combo, ListView, Tree, Progress, Other };

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

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
    std::string key = lower(t);
    int i = 0;
    for (; i < static_cast<int>(rows.size()); ++i)
        if (lower(rows[i].first) > key) break;
    return i;
}

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
        detail_step(*st);
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
        if (lower(c.rows[i].first) == lower(text)) return static_cast<int>(i);
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
        while (at < sib.size() && lower(c.nodes[sib[at]].text) <= lower(text)) ++at;
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
namespace {
void checkDib(const Dib& dib) {
    if (dib.width <= 0 || dib.height <= 0) throw std::invalid_argument("drawDib: empty bitmap");
    if (dib.bitsPerPixel != 8 && dib.bitsPerPixel != 24) throw std::invalid_argument("drawDib: 8 or 24 bits per pixel");
    if (dib.bitsPerPixel == 8 && (dib.palette.empty() || dib.palette.size() > 256)) throw std::invalid_argument("drawDib: 8-bit bitmap needs a palette of 1 to 256 colours");
    size_t stride = (static_cast<size_t>(dib.width) * static_cast<size_t>(dib.bitsPerPixel) / 8 + 3) & ~size_t(3);
    if (dib.bits.size() < stride * static_cast<size_t>(dib.height)) throw std::invalid_argument("drawDib: bitmap data too short");
}
}  // namespace

void Dialog::drawDib(int, int, const Dib& dib) {
    checkDib(dib);
    if (impl_) ++impl_->dibsDrawn;
}
void Dialog::drawDibStretched(int, int, int width, int height, const Dib& dib) {
    checkDib(dib);
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

// ---- scenario runs ---------------------------------------------------------------
// One step of the running scenario, applied inside this dialog's modal loop.
void Dialog::detail_step(ScenarioRun::State& st) {
    auto fireTimer = [&]() {
        if (impl_->timers.empty()) return false;
        auto t = std::min_element(impl_->timers.begin(), impl_->timers.end(),
                                  [](auto& a, auto& b) { return a.second < b.second; });
        HostAccess::timer(*this, t->first);
        return true;
    };
    if (st.next >= st.steps.size()) {
        st.current = nullptr;
        if (fireTimer()) return;
        throw ScenarioError(st.name + ": the scenario ended while dialog " + std::to_string(templateId_) + " is open");
    }
    const Step& s = st.steps[st.next];
    st.current = &s;
    std::string where = " of dialog " + std::to_string(templateId_);
    if (s.kind == Step::Shot || globalStep(st, s)) { ++st.next; return; }   // pictures are the Win32 host's
    if (s.kind == Step::OnDialog) {
        if (s.dialog == templateId_) { st.dialog = s.dialog; ++st.next; return; }
        if (fireTimer()) return;   // time passes while we wait
        st.fail("waiting for dialog " + std::to_string(s.dialog) + ", but dialog " + std::to_string(templateId_) + " is active");
    }
    if (s.kind == Step::ExpectClosed) {
        if (dialogOpen(st.dialog) && st.dialog != templateId_) st.fail("dialog " + std::to_string(st.dialog) + " is still open");
        if (st.dialog == templateId_) st.fail("dialog " + std::to_string(templateId_) + " is still open");
        ++st.next;
        return;
    }
    if (st.dialog && st.dialog != templateId_)
        st.fail("the step is for dialog " + std::to_string(st.dialog) + ", but dialog " + std::to_string(templateId_) + " is active");
    ++st.next;
    Control* c = nullptr;
    if (s.control && s.kind != Step::Command) {
        auto it = impl_->controls.find(static_cast<int>(s.control));
        if (it == impl_->controls.end()) st.fail("dialog " + std::to_string(templateId_) + " has no control " + std::to_string(s.control));
        c = &it->second;
    }
    int id = static_cast<int>(s.control);
    auto need = [&](std::initializer_list<Kind> kinds, const char* what) {
        if (std::find(kinds.begin(), kinds.end(), c->kind) == kinds.end())
            st.fail("control " + std::to_string(id) + where + " is not " + what);
    };
    bool live = c && c->enabled && c->visible;   // a disabled or hidden control ignores the user
    auto findRowOf = [&](const Step& step) {
        int n = c->kind == Kind::ListView ? static_cast<int>(c->cells.size()) : static_cast<int>(c->rows.size());
        if (step.byIndex) {
            if (step.index < 0 || step.index >= n) st.fail("control " + std::to_string(id) + where + " has no row " + std::to_string(step.index));
            return step.index;
        }
        for (int i = 0; i < n; ++i) {
            const std::string& t = c->kind == Kind::ListView ? c->cells[static_cast<size_t>(i)][0] : c->rows[static_cast<size_t>(i)].first;
            if (lower(t) == lower(step.text)) return i;
        }
        st.fail("control " + std::to_string(id) + where + " has no row \"" + step.text + "\"");
    };
    auto findPath = [&](const std::string& path) {
        TreeItem item = 0;
        std::vector<TreeItem>* level = &c->roots;
        size_t start = 0;
        while (start <= path.size()) {
            size_t e = path.find('/', start);
            if (e == std::string::npos) e = path.size();
            std::string label = path.substr(start, e - start);
            auto it = std::find_if(level->begin(), level->end(), [&](TreeItem t) { return c->nodes[t].text == label; });
            if (it == level->end()) st.fail("tree " + std::to_string(id) + where + " has no item \"" + path + "\"");
            item = *it;
            level = &c->nodes[item].children;
            start = e + 1;
        }
        return item;
    };
    switch (s.kind) {
        case Step::Set:
            need({Kind::Edit, Kind::Combo}, "an edit or a drop-down combo");
            if (c->kind == Kind::Combo && c->comboType == 3) st.fail("combo " + std::to_string(id) + where + " is a drop-down list: use pick");
            if (!live || c->readOnly) return;
            if (c->kind == Kind::Edit) { setText(id, s.text); return; }
            c->text = c->limit > 0 ? s.text.substr(0, static_cast<size_t>(c->limit)) : s.text;
            c->sel = -1;
            HostAccess::command(*this, id, CbnEditUpdate);
            HostAccess::command(*this, id, CbnEditChange);
            return;
        case Step::Check:
        case Step::Clear:
        case Step::Click: {
            need({Kind::Button}, "a button");
            if (!live) return;
            int type = c->buttonType;
            bool isCheck = type == 2 || type == 3 || type == 5 || type == 6;
            bool isRadio = type == 4 || type == 9;
            if (s.kind != Step::Click) {
                if (!isCheck && !isRadio) st.fail("control " + std::to_string(id) + where + " is not a check box");
                if (s.kind == Step::Clear && isRadio) st.fail("radio button " + std::to_string(id) + where + " cannot be cleared, check another");
                int want = s.kind == Step::Check ? 1 : 0;
                if (c->check == want) return;
            }
            if (type == 3) c->check = c->check ? 0 : 1;
            else if (type == 6) c->check = (c->check + 1) % 3;
            else if (type == 9) {
                // An automatic radio button clears the others of its group.
                auto pos = std::find(impl_->order.begin(), impl_->order.end(), id);
                auto b = pos, e = pos;
                while (b != impl_->order.begin() && !(impl_->controls[*b].tpl.style & 0x00020000L)) --b;
                ++e;
                while (e != impl_->order.end() && !(impl_->controls[*e].tpl.style & 0x00020000L)) ++e;
                for (auto i = b; i != e; ++i) {
                    Control& o = impl_->controls[*i];
                    if (o.kind == Kind::Button && (o.buttonType == 9 || o.buttonType == 4)) o.check = 0;
                }
                c->check = 1;
            }
            impl_->focus = id;
            HostAccess::command(*this, id, BnClicked);
            return;
        }
        case Step::Pick: {
            need({Kind::List, Kind::Combo, Kind::ListView}, "a list, a combo or a list view");
            int row = findRowOf(s);
            if (!live) return;
            if (c->kind == Kind::ListView) {
                std::fill(c->lvSel.begin(), c->lvSel.end(), false);
                c->lvSel[static_cast<size_t>(row)] = true;
                Notify n;
                n.code = Notify::ItemChanged;
                n.row = row;
                HostAccess::notify(*this, id, n);
                return;
            }
            c->sel = row;
            if (c->kind == Kind::Combo) {
                c->text = c->rows[static_cast<size_t>(row)].first;
                HostAccess::command(*this, id, CbnSelChange);
                HostAccess::command(*this, id, CbnSelEndOk);
            } else if (c->notify) {
                HostAccess::command(*this, id, LbnSelChange);
            }
            return;
        }
        case Step::Select:
            need({Kind::Tree}, "a tree view");
            if (!live) return;
            tvSelect(id, findPath(s.text));
            return;
        case Step::RightClick:
        case Step::DoubleClick: {
            need({Kind::Tree, Kind::ListView, Kind::List}, "a tree view, a list view or a list");
            if (!live) return;
            Notify n;
            n.code = s.kind == Step::RightClick ? Notify::RightClick : Notify::DoubleClick;
            if (c->kind == Kind::Tree) {
                if (!s.text.empty()) n.item = findPath(s.text);
                c->hover = n.item;
                HostAccess::notify(*this, id, n);
            } else if (c->kind == Kind::ListView) {
                if (!s.text.empty() || s.byIndex) {
                    n.row = findRowOf(s);
                    if (n.row >= 0) lvSelect(id, n.row, true);
                }
                HostAccess::notify(*this, id, n);
            } else {
                if (!s.text.empty() || s.byIndex) c->sel = findRowOf(s);
                if (s.kind == Step::DoubleClick && c->notify) HostAccess::command(*this, id, LbnDblClk);
            }
            return;
        }
        case Step::EditLabel: {
            need({Kind::Tree}, "a tree view");
            if (!c->editing) st.fail("tree " + std::to_string(id) + where + " is not editing a label");
            TreeItem item = c->editing;
            c->editing = 0;
            Notify n;
            n.code = Notify::EndLabelEdit;
            n.item = item;
            n.text = s.text;
            if (HostAccess::notify(*this, id, n)) c->nodes[item].text = s.text;
            return;
        }
        case Step::Command:
            HostAccess::command(*this, id, 0);
            return;
        case Step::Timer:
            if (!impl_->timers.count(s.index)) st.fail("dialog " + std::to_string(templateId_) + " has no timer " + std::to_string(s.index));
            HostAccess::timer(*this, s.index);
            return;
        case Step::Esc:
            HostAccess::cancel(*this);
            return;
        case Step::ExpectText:
            if (text(id) != s.text) st.fail("control " + std::to_string(id) + where + " shows \"" + text(id) + "\", expected \"" + s.text + "\"");
            return;
        case Step::ExpectChecked:
            need({Kind::Button}, "a button");
            if (c->check != s.index) st.fail("control " + std::to_string(id) + where + " is " + std::to_string(c->check) + ", expected " + std::to_string(s.index));
            return;
        case Step::ExpectEnabled:
            if (c->enabled != (s.index != 0)) st.fail("control " + std::to_string(id) + where + (c->enabled ? " is enabled" : " is disabled"));
            return;
        case Step::ExpectVisible:
            if (c->visible != (s.index != 0)) st.fail("control " + std::to_string(id) + where + (c->visible ? " is visible" : " is hidden"));
            return;
        case Step::ExpectRows: {
            need({Kind::List, Kind::Combo, Kind::ListView}, "a list, a combo or a list view");
            int n = c->kind == Kind::ListView ? lvRowCount(id) : rowCount(id);
            if (n != s.index) st.fail("control " + std::to_string(id) + where + " has " + std::to_string(n) + " rows, expected " + std::to_string(s.index));
            return;
        }
        case Step::ExpectRow: {
            need({Kind::List, Kind::Combo, Kind::ListView}, "a list, a combo or a list view");
            std::string t = c->kind == Kind::ListView ? lvCell(id, s.index, 0) : rowText(id, s.index);
            if (t != s.text) st.fail("row " + std::to_string(s.index) + " of control " + std::to_string(id) + where + " is \"" + t + "\", expected \"" + s.text + "\"");
            return;
        }
        case Step::ExpectSelected: {
            need({Kind::List, Kind::Combo, Kind::ListView}, "a list, a combo or a list view");
            int sel = c->sel;
            if (c->kind == Kind::ListView) { auto v = lvSelectedRows(id); sel = v.empty() ? -1 : v.front(); }
            if (sel != s.index) st.fail("control " + std::to_string(id) + where + " has row " + std::to_string(sel) + " selected, expected " + std::to_string(s.index));
            return;
        }
        case Step::Call:
            s.fn(*this);
            return;
        default:
            st.fail("step cannot run here");
    }
}

void pumpMessages() {}   // nothing waits to be painted here

}  // namespace ui

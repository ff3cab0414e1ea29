// The Win32 host: real dialogs from the DIALOG resources windres compiled into
// the program, each with its own modal loop (nested per runModal). Every
// message reaches the page through one dialog procedure that keeps the
// object pointer in the window and lets no exception through.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "platform/ui/guarded.h"
#include "platform/ui/resources.h"
#include "platform/ui/win32/host.h"

namespace ui {

namespace w32 {
HINSTANCE instance() { return GetModuleHandleA(nullptr); }

const ScenarioHooks* hooks = nullptr;
void (*automationStarter)() = nullptr;

void startAutomation() {
    static bool started = false;
    if (started || running()) return;
    started = true;
    if (automationStarter) automationStarter();
}

bool automationActive() { return running() && running()->automation; }

void reportAndExit(const std::string& what) {
    std::fprintf(stderr, "scenario: %s\n", what.c_str());
    std::fflush(stderr);
    ExitProcess(kScenarioFailedExit);
}
}  // namespace w32

namespace hosted {
void raise(const std::string& what) {
    if (w32::automationActive()) w32::reportAndExit(what);
    throw ScenarioError(what);
}
}  // namespace hosted

namespace w32 {

HWND item(const Dialog& d, int id) {
    Dialog::Impl* impl = d.impl();
    if (!impl || !impl->hwnd)
        raise("dialog " + std::to_string(d.templateId()) + " is not open (control " + std::to_string(id) + ")");
    HWND h = GetDlgItem(impl->hwnd, id);
    if (!h) raise("dialog " + std::to_string(d.templateId()) + " has no control " + std::to_string(id));
    return h;
}

Kind kindOf(HWND h) {
    char cls[64] = {0};
    GetClassNameA(h, cls, sizeof cls);
    static const std::pair<const char*, Kind> kinds[] = {
        {"Static", Kind::Static}, {"Button", Kind::Button}, {"Edit", Kind::Edit}, {"ListBox", Kind::List},
        {"ComboBox", Kind::Combo}, {WC_LISTVIEWA, Kind::ListView}, {WC_TREEVIEWA, Kind::Tree},
        {PROGRESS_CLASSA, Kind::Progress}};
    for (auto& [name, k] : kinds)
        if (lstrcmpiA(cls, name) == 0) return k;
    return Kind::Other;
}

std::string windowText(HWND h) {
    int n = GetWindowTextLengthA(h);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    int got = GetWindowTextA(h, s.data(), n + 1);
    s.resize(static_cast<size_t>(std::max(0, got)));
    return s;
}

bool ownVisible(HWND h) { return GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE; }

// The icon the dialog shows (resource 128 until one is set).
HICON programIcon(const Dialog::Impl* impl) {
    return impl->bigIcon ? impl->bigIcon : LoadIconA(instance(), MAKEINTRESOURCEA(128));
}
}  // namespace w32

using namespace w32;
using namespace hosted;

namespace {

// The common controls, loaded from the system folder by full path rather
// than imported: the system does not keep that library among the ones it
// never looks up beside the program, so an import would take a copy planted
// there (beside a package in Downloads) into an administrator's process.
struct CommonControls {
    BOOL(WINAPI* init)(const INITCOMMONCONTROLSEX*) = nullptr;
    HIMAGELIST(WINAPI* create)(int, int, UINT, int, int) = nullptr;
    int(WINAPI* replaceIcon)(HIMAGELIST, int, HICON) = nullptr;
    BOOL(WINAPI* destroy)(HIMAGELIST) = nullptr;
};
const CommonControls& commonControls() {
    static const CommonControls c = [] {
        CommonControls f;
        char dir[MAX_PATH + 1];
        UINT n = GetSystemDirectoryA(dir, MAX_PATH - 16);
        if (n == 0 || n >= MAX_PATH - 16) return f;
        HMODULE m = LoadLibraryExA((std::string(dir, n) + "\\comctl32.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!m) return f;
        f.init = reinterpret_cast<decltype(f.init)>(reinterpret_cast<void*>(GetProcAddress(m, "InitCommonControlsEx")));
        f.create = reinterpret_cast<decltype(f.create)>(reinterpret_cast<void*>(GetProcAddress(m, "ImageList_Create")));
        f.replaceIcon = reinterpret_cast<decltype(f.replaceIcon)>(reinterpret_cast<void*>(GetProcAddress(m, "ImageList_ReplaceIcon")));
        f.destroy = reinterpret_cast<decltype(f.destroy)>(reinterpret_cast<void*>(GetProcAddress(m, "ImageList_Destroy")));
        return f;
    }();
    return c;
}
void destroyImageList(HIMAGELIST il) {
    if (commonControls().destroy) commonControls().destroy(il);
}

void initCommonControls() {
    static bool done = false;
    if (done) return;
    done = true;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    if (commonControls().init) commonControls().init(&icc);
}

const char* kindName(Kind k) {
    switch (k) {
        case Kind::Button: return "a button";
        case Kind::Edit: return "an edit";
        case Kind::ListView: return "a list view";
        case Kind::Tree: return "a tree view";
        case Kind::Progress: return "a progress bar";
        default: return "a list or combo box";
    }
}

HWND itemOf(const Dialog& d, int id, std::initializer_list<Kind> kinds) {
    HWND h = item(d, id);
    Kind k = kindOf(h);
    if (std::find(kinds.begin(), kinds.end(), k) == kinds.end()) {
        std::string what = kinds.size() == 2 && *kinds.begin() == Kind::Edit ? "an edit or combo" : kindName(*kinds.begin());
        raise("control " + std::to_string(id) + " of dialog " + std::to_string(d.templateId()) + " is not " + what);
    }
    return h;
}

struct Quiet {
    Dialog::Impl* impl;
    explicit Quiet(Dialog::Impl* i) : impl(i) { ++impl->quiet; }
    ~Quiet() { --impl->quiet; }
};

std::string fromWide(const wchar_t* w) {
    if (!w) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(std::max(1, n)), '\0');
    WideCharToMultiByte(CP_ACP, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize(std::strlen(s.c_str()));
    return s;
}

INT_PTR CALLBACK dialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog* d = nullptr;
    if (msg == WM_INITDIALOG) {
        d = reinterpret_cast<Dialog*>(lp);
        SetWindowLongPtrA(h, DWLP_USER, lp);
        d->impl()->hwnd = h;
    } else {
        d = reinterpret_cast<Dialog*>(GetWindowLongPtrA(h, DWLP_USER));
    }
    if (!d || !d->impl()) return FALSE;
    try {
        return HostAccess::dispatch(*d, h, msg, wp, lp);
    } catch (...) {
        // Nothing crosses the window system: the dialog (and any nested in it)
        // ends and runModal rethrows.
        Dialog::Impl* impl = d->impl();
        if (!impl->error) impl->error = std::current_exception();
        impl->ended = true;
        auto& s = stack();
        auto at = std::find(s.begin(), s.end(), d);
        for (auto i = at; i != s.end(); ++i)
            if (*i != d && (*i)->impl() && !(*i)->impl()->ended) { (*i)->impl()->ended = true; (*i)->impl()->result = IdCancel; }
        return msg == WM_INITDIALOG ? FALSE : TRUE;
    }
}

}  // namespace

INT_PTR HostAccess::dispatch(Dialog& d, HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    Dialog::Impl* impl = d.impl();
    // A closed dialog's window only keeps its controls' state.
    if (!impl->open && msg != WM_INITDIALOG) return FALSE;
    switch (msg) {
        case WM_INITDIALOG:
            impl->open = true;
            impl->initialising = true;
            {
                struct Done { Dialog::Impl* i; ~Done() { i->initialising = false; } } done{impl};
                return d.onInitDialog() ? TRUE : FALSE;
            }
        case WM_COMMAND: {
            int id = LOWORD(wp), code = HIWORD(wp);
            if (impl->quiet > 0 && lp && (code == EN_CHANGE || code == EN_UPDATE || code == CBN_EDITCHANGE ||
                                          code == CBN_EDITUPDATE || code == CBN_SELCHANGE || code == LBN_SELCHANGE))
                return TRUE;
            if (id == IDCANCEL && lp == 0) { d.onCancel(); return TRUE; }   // Esc
            return d.onCommand(id, code) ? TRUE : FALSE;
        }
        case WM_CLOSE:
            d.onCancel();
            return TRUE;
        case WM_QUERYDRAGICON:   // returned as it is, not through DWL_MSGRESULT
            return reinterpret_cast<INT_PTR>(programIcon(impl));
        case WM_ACTIVATE:
            // An inactive window's thread has no focus; remember where it was.
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND f = GetFocus();
                if (f && IsChild(h, f)) impl->focus = f;
            }
            return FALSE;
        case WM_TIMER:
            d.onTimer(static_cast<int>(wp));
            return TRUE;
        case WM_PRINTCLIENT: {     // PrintWindow: the page paints into the given DC
            impl->paintDc = reinterpret_cast<HDC>(wp);
            impl->inPaint = true;
            struct Done { Dialog::Impl* i; ~Done() { i->inPaint = false; i->paintDc = nullptr; } } done{impl};
            d.onPaint();
            return FALSE;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            impl->paintDc = BeginPaint(h, &ps);
            impl->inPaint = true;
            struct Done { Dialog::Impl* i; HWND h; PAINTSTRUCT* ps; ~Done() { i->inPaint = false; i->paintDc = nullptr; EndPaint(h, ps); } } done{impl, h, &ps};
            d.onPaint();
            return TRUE;
        }
        case WM_NOTIFY: {
            const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lp);
            int id = static_cast<int>(hdr->idFrom);
            Kind k = kindOf(hdr->hwndFrom);
            if (k != Kind::ListView && k != Kind::Tree) return FALSE;
            Notify n;
            bool send = true;
            switch (hdr->code) {
                case NM_CLICK: n.code = Notify::Click; break;
                case NM_DBLCLK: n.code = Notify::DoubleClick; break;
                case NM_RCLICK: n.code = Notify::RightClick; break;
                case LVN_ITEMCHANGED: {
                    auto* lv = reinterpret_cast<const NMLISTVIEW*>(lp);
                    send = impl->quiet == 0 && (lv->uChanged & LVIF_STATE) && ((lv->uNewState ^ lv->uOldState) & LVIS_SELECTED);
                    n.code = Notify::ItemChanged;
                    n.row = lv->iItem;
                    break;
                }
                case TVN_SELCHANGEDA:
                case TVN_SELCHANGEDW: {
                    auto* tv = reinterpret_cast<const NMTREEVIEWA*>(lp);
                    // Selections made by code are notified by tvSelect itself.
                    send = impl->quiet == 0 && tv->action != TVC_UNKNOWN;
                    n.code = Notify::SelChanged;
                    n.item = reinterpret_cast<TreeItem>(tv->itemNew.hItem);
                    break;
                }
                case TVN_BEGINLABELEDITA:
                case TVN_BEGINLABELEDITW:
                    n.code = Notify::BeginLabelEdit;
                    n.item = reinterpret_cast<TreeItem>(reinterpret_cast<const NMTVDISPINFOA*>(lp)->item.hItem);
                    break;
                case TVN_ENDLABELEDITA:
                case TVN_ENDLABELEDITW: {
                    auto* di = reinterpret_cast<const NMTVDISPINFOA*>(lp);
                    n.code = Notify::EndLabelEdit;
                    n.item = reinterpret_cast<TreeItem>(di->item.hItem);
                    if (hdr->code == TVN_ENDLABELEDITW) {
                        auto* dw = reinterpret_cast<const NMTVDISPINFOW*>(lp);
                        n.cancelled = dw->item.pszText == nullptr;
                        n.text = fromWide(dw->item.pszText);
                    } else {
                        n.cancelled = di->item.pszText == nullptr;
                        n.text = di->item.pszText ? di->item.pszText : "";
                    }
                    break;
                }
                case LVN_KEYDOWN:
                    n.code = Notify::KeyDown;
                    n.key = reinterpret_cast<const NMLVKEYDOWN*>(lp)->wVKey;
                    break;
                case TVN_KEYDOWN:
                    n.code = Notify::KeyDown;
                    n.key = reinterpret_cast<const NMTVKEYDOWN*>(lp)->wVKey;
                    break;
                default: return FALSE;
            }
            if (!send) return FALSE;
            if (k == Kind::Tree && (n.code == Notify::Click || n.code == Notify::DoubleClick || n.code == Notify::RightClick))
                n.item = d.tvHitTest(id);
            if (k == Kind::ListView && (n.code == Notify::Click || n.code == Notify::DoubleClick || n.code == Notify::RightClick))
                n.row = reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem;
            bool r = d.onNotify(id, n);
            SetWindowLongPtrA(h, DWLP_MSGRESULT, r ? TRUE : FALSE);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

Dialog::Dialog(int templateId, Dialog* owner) : templateId_(templateId), owner_(owner) {}
Dialog::~Dialog() {
    if (impl_) {
        if (impl_->hwnd) DestroyWindow(impl_->hwnd);
        for (HIMAGELIST il : impl_->imageLists) destroyImageList(il);
        if (impl_->bigIcon) DestroyIcon(impl_->bigIcon);
        if (impl_->smallIcon) DestroyIcon(impl_->smallIcon);
    }
    delete impl_;
}

int Dialog::runModal() {
    initCommonControls();
    startAutomation();
    try {
        // A dialog that cannot be made answers -1, as the system's dialog box
        // does: the caller decides (the welcome page's splash message).
        if (!FindResourceA(instance(), MAKEINTRESOURCEA(templateId_), reinterpret_cast<LPCSTR>(RT_DIALOG)))
            return -1;
        if (!owner_) owner_ = activeDialog();
        if (impl_) {
            if (impl_->hwnd) DestroyWindow(impl_->hwnd);
            for (HIMAGELIST il : impl_->imageLists) destroyImageList(il);
            delete impl_;
        }
        impl_ = new Impl;
        HWND ownerWnd = owner_ && owner_->impl_ ? owner_->impl_->hwnd : nullptr;
        stack().push_back(this);
        struct Close {
            Dialog* d;
            HWND owner;
            bool disabled = false;
            ~Close() {
                auto& s = stack();
                s.erase(std::remove(s.begin(), s.end(), d), s.end());
                Impl* impl = d->impl_;
                for (auto& [id, ms] : impl->timers) { (void)ms; KillTimer(impl->hwnd, static_cast<UINT_PTR>(id)); }
                impl->timers.clear();
                impl->open = false;
                // The owner is enabled first so that it takes the activation
                // back. The window stays (hidden) until the next runModal or
                // the destructor, so its controls can still be read.
                if (disabled && owner && IsWindow(owner)) EnableWindow(owner, TRUE);
                if (impl->hwnd) ShowWindow(impl->hwnd, SW_HIDE);
            }
        } close{this, ownerWnd};
        HWND h = CreateDialogParamA(instance(), MAKEINTRESOURCEA(templateId_), ownerWnd, dialogProc,
                                    reinterpret_cast<LPARAM>(this));
        if (!h && !impl_->error) return -1;
        if (!impl_->ended) {
            if (ownerWnd && IsWindowEnabled(ownerWnd)) { EnableWindow(ownerWnd, FALSE); close.disabled = true; }
            ShowWindow(h, SW_SHOW);
        }
        while (!impl_->ended) {
            MSG m;
            if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (m.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(m.wParam));
                    end(IdCancel);
                    break;
                }
                if (!IsDialogMessageA(impl_->hwnd, &m)) {
                    TranslateMessage(&m);
                    DispatchMessageA(&m);
                }
                continue;
            }
            if (ScenarioRun::State* st = running(); st && hooks) {
                hooks->step(*this, *st);
                continue;
            }
            WaitMessage();
        }
        if (impl_->error) {
            std::exception_ptr e = impl_->error;
            impl_->error = nullptr;
            std::rethrow_exception(e);
        }
        return impl_->result;
    } catch (const ScenarioError& e) {
        if (automationActive()) reportAndExit(e.what());
        throw;
    }
}

void Dialog::end(int result) {
    if (!impl_) return;
    impl_->ended = true;
    impl_->result = result;
    if (impl_->hwnd) ShowWindow(impl_->hwnd, SW_HIDE);
}

bool Dialog::isOpen() const { return impl_ && impl_->open && !impl_->ended; }
void Dialog::show() { if (impl_ && impl_->hwnd && impl_->open) ShowWindow(impl_->hwnd, SW_SHOW); }
void Dialog::hide() { if (impl_ && impl_->hwnd) ShowWindow(impl_->hwnd, SW_HIDE); }
bool Dialog::isVisible() const { return impl_ && impl_->open && impl_->hwnd && IsWindowVisible(impl_->hwnd); }
void Dialog::setCaption(const std::string& text) { if (impl_ && impl_->hwnd) SetWindowTextA(impl_->hwnd, text.c_str()); }
std::string Dialog::caption() const { return impl_ && impl_->hwnd ? windowText(impl_->hwnd) : std::string(); }

void Dialog::setIcons(int iconResource) {
    auto load = [&](int cx, int cy) {
        return static_cast<HICON>(LoadImageA(instance(), MAKEINTRESOURCEA(iconResource), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
    };
    HICON big = load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    HICON small = load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    if (!big || !small) {
        if (big) DestroyIcon(big);
        if (small) DestroyIcon(small);
        raise("no icon resource " + std::to_string(iconResource));
    }
    if (!impl_ || !impl_->hwnd) { DestroyIcon(big); DestroyIcon(small); return; }
    SendMessageA(impl_->hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(impl_->hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    if (impl_->bigIcon) DestroyIcon(impl_->bigIcon);
    if (impl_->smallIcon) DestroyIcon(impl_->smallIcon);
    impl_->bigIcon = big;
    impl_->smallIcon = small;
}

void Dialog::setDefaultButton(int id) {
    item(*this, id);
    SendMessageA(impl_->hwnd, DM_SETDEFID, static_cast<WPARAM>(id), 0);
}
void Dialog::invalidate() { if (impl_ && impl_->hwnd) InvalidateRect(impl_->hwnd, nullptr, TRUE); }
void Dialog::updateWindow() {
    if (!impl_ || !impl_->hwnd || impl_->inPaint || !IsWindowVisible(impl_->hwnd)) return;
    RedrawWindow(impl_->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}
void Dialog::updateChanged() {
    if (!impl_ || !impl_->hwnd || impl_->inPaint || !IsWindowVisible(impl_->hwnd)) return;
    // Only what the controls invalidated themselves: the rest of the page stays as drawn.
    RedrawWindow(impl_->hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// ---- controls --------------------------------------------------------------------
bool Dialog::hasControl(int id) const { return impl_ && impl_->hwnd && GetDlgItem(impl_->hwnd, id); }

void Dialog::setText(int id, const std::string& text) {
    HWND h = item(*this, id);
    Kind k = kindOf(h);
    if (k == Kind::ListView || k == Kind::Tree || k == Kind::List) return;
    auto lim = impl_->limits.find(id);
    std::string t = lim != impl_->limits.end() && lim->second > 0 && k == Kind::Edit
                        ? text.substr(0, static_cast<size_t>(lim->second)) : text;
    if (k == Kind::Combo && (GetWindowLongA(h, GWL_STYLE) & 3) == CBS_DROPDOWNLIST) {
        // A drop-down list shows only its rows: the text selects the row.
        SendMessageA(h, CB_SETCURSEL, static_cast<WPARAM>(findRow(id, t)), 0);
        return;
    }
    bool changed = windowText(h) != t;
    {
        Quiet q(impl_);
        SetWindowTextA(h, t.c_str());
    }
    // One EnUpdate + EnChange per change, whatever the edit's style.
    if (k == Kind::Edit && changed) {
        SendMessageA(impl_->hwnd, WM_COMMAND, MAKEWPARAM(id, EN_UPDATE), reinterpret_cast<LPARAM>(h));
        SendMessageA(impl_->hwnd, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(h));
    }
}

std::string Dialog::text(int id) const {
    HWND h = item(*this, id);
    if (kindOf(h) == Kind::List) {
        int sel = static_cast<int>(SendMessageA(h, LB_GETCURSEL, 0, 0));
        return sel >= 0 ? rowText(id, sel) : std::string();
    }
    return windowText(h);
}

void Dialog::setCheck(int id, int state) { SendMessageA(itemOf(*this, id, {Kind::Button}), BM_SETCHECK, static_cast<WPARAM>(state), 0); }
int Dialog::checked(int id) const { return static_cast<int>(SendMessageA(itemOf(*this, id, {Kind::Button}), BM_GETCHECK, 0, 0)); }
void Dialog::enable(int id, bool on) { EnableWindow(item(*this, id), on ? TRUE : FALSE); }
bool Dialog::isEnabled(int id) const { return IsWindowEnabled(item(*this, id)); }
void Dialog::showControl(int id, bool on) { ShowWindow(item(*this, id), on ? SW_SHOW : SW_HIDE); }
bool Dialog::isControlVisible(int id) const { return ownVisible(item(*this, id)); }
void Dialog::setReadOnly(int id, bool on) { SendMessageA(itemOf(*this, id, {Kind::Edit}), EM_SETREADONLY, on ? TRUE : FALSE, 0); }
void Dialog::setLimitText(int id, int maxChars) {
    HWND h = itemOf(*this, id, {Kind::Edit, Kind::Combo});
    SendMessageA(h, kindOf(h) == Kind::Edit ? EM_LIMITTEXT : CB_LIMITTEXT, static_cast<WPARAM>(std::max(0, maxChars)), 0);
    impl_->limits[id] = maxChars;
}
void Dialog::focus(int id) {
    HWND h = item(*this, id);
    SendMessageA(impl_->hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
    impl_->focus = h;
}
int Dialog::focused() const {
    if (!impl_ || !impl_->hwnd) return 0;
    HWND f = GetFocus();
    // While another window is active (another program, on the same desktop)
    // the focus this dialog will get back is the one it had.
    if (!f || !IsChild(impl_->hwnd, f)) f = impl_->focus;
    // A combo's edit field has the focus for its combo.
    while (f && GetParent(f) != impl_->hwnd) f = GetParent(f);
    return f ? GetDlgCtrlID(f) : 0;
}

// ---- list and combo boxes ------------------------------------------------------------
namespace {
struct RowMsgs { UINT add, insert, del, reset, count, textLen, text, find, getSel, setSel, setData, getData; };
const RowMsgs& rowMsgs(HWND h) {
    static const RowMsgs list{LB_ADDSTRING, LB_INSERTSTRING, LB_DELETESTRING, LB_RESETCONTENT, LB_GETCOUNT,
                              LB_GETTEXTLEN, LB_GETTEXT, LB_FINDSTRINGEXACT, LB_GETCURSEL, LB_SETCURSEL,
                              LB_SETITEMDATA, LB_GETITEMDATA};
    static const RowMsgs combo{CB_ADDSTRING, CB_INSERTSTRING, CB_DELETESTRING, CB_RESETCONTENT, CB_GETCOUNT,
                               CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_FINDSTRINGEXACT, CB_GETCURSEL, CB_SETCURSEL,
                               CB_SETITEMDATA, CB_GETITEMDATA};
    return kindOf(h) == Kind::List ? list : combo;
}
}  // namespace

int Dialog::addRow(int id, const std::string& text) {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    return static_cast<int>(SendMessageA(h, rowMsgs(h).add, 0, reinterpret_cast<LPARAM>(text.c_str())));
}
int Dialog::insertRow(int id, int index, const std::string& text) {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    int n = rowCount(id);
    WPARAM at = index < 0 || index > n ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index);
    return static_cast<int>(SendMessageA(h, rowMsgs(h).insert, at, reinterpret_cast<LPARAM>(text.c_str())));
}
void Dialog::deleteRow(int id, int index) {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    if (index < 0 || index >= rowCount(id)) return;
    Quiet q(impl_);
    SendMessageA(h, rowMsgs(h).del, static_cast<WPARAM>(index), 0);
}
void Dialog::clearRows(int id) {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    Quiet q(impl_);
    SendMessageA(h, rowMsgs(h).reset, 0, 0);
}
int Dialog::rowCount(int id) const {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    return static_cast<int>(SendMessageA(h, rowMsgs(h).count, 0, 0));
}
std::string Dialog::rowText(int id, int index) const {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    const RowMsgs& m = rowMsgs(h);
    LRESULT n = SendMessageA(h, m.textLen, static_cast<WPARAM>(index), 0);
    if (index < 0 || n < 0) return {};
    std::string s(static_cast<size_t>(n) + 1, '\0');
    LRESULT got = SendMessageA(h, m.text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.data()));
    s.resize(got < 0 ? 0 : static_cast<size_t>(got));
    return s;
}
int Dialog::findRow(int id, const std::string& text) const {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    LRESULT r = SendMessageA(h, rowMsgs(h).find, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    return r < 0 ? -1 : static_cast<int>(r);
}
int Dialog::selectedRow(int id) const {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    LRESULT r = SendMessageA(h, rowMsgs(h).getSel, 0, 0);
    return r < 0 ? -1 : static_cast<int>(r);
}
void Dialog::selectRow(int id, int index) {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    Quiet q(impl_);
    SendMessageA(h, rowMsgs(h).setSel, index >= 0 && index < rowCount(id) ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
}
void Dialog::setRowData(int id, int index, std::intptr_t data) {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    if (index >= 0 && index < rowCount(id)) SendMessageA(h, rowMsgs(h).setData, static_cast<WPARAM>(index), static_cast<LPARAM>(data));
}
std::intptr_t Dialog::rowData(int id, int index) const {
    HWND h = itemOf(*this, id, {Kind::List, Kind::Combo});
    if (index < 0 || index >= rowCount(id)) return 0;
    return static_cast<std::intptr_t>(SendMessageA(h, rowMsgs(h).getData, static_cast<WPARAM>(index), 0));
}

// ---- list views -------------------------------------------------------------------
namespace {
int lvColumns(HWND lv) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(lv, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}
}  // namespace

void Dialog::lvAddColumn(int id, const std::string& title, int width) {
    HWND h = itemOf(*this, id, {Kind::ListView});
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.cx = width;
    col.pszText = const_cast<char*>(title.c_str());
    int at = lvColumns(h);
    col.iSubItem = at;
    SendMessageA(h, LVM_INSERTCOLUMNA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&col));
}
void Dialog::lvSetFullRowSelect(int id, bool on) {
    HWND h = itemOf(*this, id, {Kind::ListView});
    SendMessageA(h, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, on ? LVS_EX_FULLROWSELECT : 0);
}
int Dialog::lvInsertRow(int id, int index, const std::string& text) {
    HWND h = itemOf(*this, id, {Kind::ListView});
    int n = lvRowCount(id);
    LVITEMA it{};
    it.mask = LVIF_TEXT;
    it.iItem = index < 0 || index > n ? n : index;
    it.pszText = const_cast<char*>(text.c_str());
    Quiet q(impl_);
    return static_cast<int>(SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
}
void Dialog::lvSetCell(int id, int row, int column, const std::string& text) {
    HWND h = itemOf(*this, id, {Kind::ListView});
    if (row < 0 || row >= lvRowCount(id) || column < 0 || column >= std::max(1, lvColumns(h))) return;
    LVITEMA it{};
    it.iSubItem = column;
    it.pszText = const_cast<char*>(text.c_str());
    SendMessageA(h, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}
std::string Dialog::lvCell(int id, int row, int column) const {
    HWND h = itemOf(*this, id, {Kind::ListView});
    if (row < 0 || row >= lvRowCount(id) || column < 0) return {};
    std::vector<char> buf(4096, '\0');
    LVITEMA it{};
    it.iSubItem = column;
    it.pszText = buf.data();
    it.cchTextMax = static_cast<int>(buf.size());
    SendMessageA(h, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    return it.pszText ? std::string(it.pszText) : std::string();
}
void Dialog::lvDeleteRow(int id, int row) {
    HWND h = itemOf(*this, id, {Kind::ListView});
    if (row < 0 || row >= lvRowCount(id)) return;
    Quiet q(impl_);
    SendMessageA(h, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}
void Dialog::lvClear(int id) {
    HWND h = itemOf(*this, id, {Kind::ListView});
    Quiet q(impl_);
    SendMessageA(h, LVM_DELETEALLITEMS, 0, 0);
}
int Dialog::lvRowCount(int id) const { return static_cast<int>(SendMessageA(itemOf(*this, id, {Kind::ListView}), LVM_GETITEMCOUNT, 0, 0)); }
void Dialog::lvSelect(int id, int row, bool on) {
    HWND h = itemOf(*this, id, {Kind::ListView});
    if (row < 0 || row >= lvRowCount(id)) return;
    LVITEMA it{};
    it.stateMask = LVIS_SELECTED;
    it.state = on ? LVIS_SELECTED : 0;
    Quiet q(impl_);
    SendMessageA(h, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
}
bool Dialog::lvIsSelected(int id, int row) const {
    HWND h = itemOf(*this, id, {Kind::ListView});
    if (row < 0 || row >= lvRowCount(id)) return false;
    return SendMessageA(h, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED;
}
std::vector<int> Dialog::lvSelectedRows(int id) const {
    HWND h = itemOf(*this, id, {Kind::ListView});
    std::vector<int> out;
    for (int i = -1; (i = static_cast<int>(SendMessageA(h, LVM_GETNEXTITEM, static_cast<WPARAM>(i), LVNI_SELECTED))) >= 0;)
        out.push_back(i);
    return out;
}

// ---- tree views -----------------------------------------------------------------------
namespace {
HTREEITEM hti(TreeItem t) { return reinterpret_cast<HTREEITEM>(t); }
TreeItem tree(LRESULT r) { return static_cast<TreeItem>(r); }
bool tvGet(HWND h, TreeItem item, TVITEMA& it) {
    it.hItem = hti(item);
    return item && SendMessageA(h, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}
}  // namespace

void Dialog::tvSetImages(int id, int icon0, int icon1) {
    HWND h = itemOf(*this, id, {Kind::Tree});
    int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
    const CommonControls& cc = commonControls();
    HIMAGELIST il = cc.create && cc.replaceIcon ? cc.create(cx, cy, ILC_COLOR32 | ILC_MASK, 2, 0) : nullptr;
    if (!il) raise("the common controls cannot make an image list");
    for (int icon : {icon0, icon1}) {
        HICON hi = static_cast<HICON>(LoadImageA(instance(), MAKEINTRESOURCEA(icon), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
        if (!hi) { destroyImageList(il); raise("no icon resource " + std::to_string(icon)); }
        cc.replaceIcon(il, -1, hi);
        DestroyIcon(hi);
    }
    SendMessageA(h, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(il));
    impl_->imageLists.push_back(il);
}
TreeItem Dialog::tvInsert(int id, TreeItem parent, const std::string& text, int image, int selectedImage, TreeInsert where) {
    HWND h = itemOf(*this, id, {Kind::Tree});
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent ? hti(parent) : TVI_ROOT;
    ins.hInsertAfter = where == TreeInsert::First ? TVI_FIRST : where == TreeInsert::Sorted ? TVI_SORT : TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    ins.item.pszText = const_cast<char*>(text.c_str());
    ins.item.iImage = image;
    ins.item.iSelectedImage = selectedImage;
    return tree(SendMessageA(h, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}
void Dialog::tvDelete(int id, TreeItem item) {
    HWND h = itemOf(*this, id, {Kind::Tree});
    if (!item) return;
    Quiet q(impl_);
    SendMessageA(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(hti(item)));
    for (auto& [tid, hov] : impl_->hover) if (hov == item) hov = 0;
    for (auto& [tid, ed] : impl_->editing) if (ed == item) ed = 0;
}
void Dialog::tvClear(int id) {
    HWND h = itemOf(*this, id, {Kind::Tree});
    Quiet q(impl_);
    SendMessageA(h, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    impl_->hover.erase(id);
    impl_->editing.erase(id);
}
std::string Dialog::tvText(int id, TreeItem item) const {
    HWND h = itemOf(*this, id, {Kind::Tree});
    char buf[1024] = {0};
    TVITEMA it{};
    it.mask = TVIF_TEXT;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    return tvGet(h, item, it) ? std::string(buf) : std::string();
}
void Dialog::tvSetText(int id, TreeItem item, const std::string& text) {
    HWND h = itemOf(*this, id, {Kind::Tree});
    if (!item) return;
    TVITEMA it{};
    it.mask = TVIF_TEXT;
    it.hItem = hti(item);
    it.pszText = const_cast<char*>(text.c_str());
    SendMessageA(h, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}
std::intptr_t Dialog::tvData(int id, TreeItem item) const {
    HWND h = itemOf(*this, id, {Kind::Tree});
    TVITEMA it{};
    it.mask = TVIF_PARAM;
    return tvGet(h, item, it) ? static_cast<std::intptr_t>(it.lParam) : 0;
}
void Dialog::tvSetData(int id, TreeItem item, std::intptr_t data) {
    HWND h = itemOf(*this, id, {Kind::Tree});
    if (!item) return;
    TVITEMA it{};
    it.mask = TVIF_PARAM;
    it.hItem = hti(item);
    it.lParam = static_cast<LPARAM>(data);
    SendMessageA(h, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it));
}
int Dialog::tvImage(int id, TreeItem item) const {
    HWND h = itemOf(*this, id, {Kind::Tree});
    TVITEMA it{};
    it.mask = TVIF_IMAGE;
    return tvGet(h, item, it) ? it.iImage : -1;
}
namespace {
TreeItem tvNextOf(const Dialog& d, int id, TreeItem item, UINT how) {
    HWND h = itemOf(d, id, {Kind::Tree});
    if (!item && how != TVGN_ROOT && how != TVGN_CARET) return 0;
    return tree(SendMessageA(h, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(hti(item))));
}
}  // namespace
TreeItem Dialog::tvRoot(int id) const { return tvNextOf(*this, id, 0, TVGN_ROOT); }
TreeItem Dialog::tvParent(int id, TreeItem item) const { return tvNextOf(*this, id, item, TVGN_PARENT); }
TreeItem Dialog::tvChild(int id, TreeItem item) const { return tvNextOf(*this, id, item, TVGN_CHILD); }
TreeItem Dialog::tvNext(int id, TreeItem item) const { return tvNextOf(*this, id, item, TVGN_NEXT); }
TreeItem Dialog::tvSelected(int id) const { return tvNextOf(*this, id, 0, TVGN_CARET); }
void Dialog::tvSelect(int id, TreeItem item) {
    HWND h = itemOf(*this, id, {Kind::Tree});
    if (tvSelected(id) == item) return;
    {
        Quiet q(impl_);
        SendMessageA(h, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hti(item)));
    }
    if (tvSelected(id) != item) return;
    Notify n;
    n.code = Notify::SelChanged;
    n.item = item;
    if (impl_->open) HostAccess::notify(*this, id, n);
}
void Dialog::tvExpand(int id, TreeItem item, bool expand) {
    HWND h = itemOf(*this, id, {Kind::Tree});
    if (item) SendMessageA(h, TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(hti(item)));
}
bool Dialog::tvIsExpanded(int id, TreeItem item) const {
    HWND h = itemOf(*this, id, {Kind::Tree});
    return item && (SendMessageA(h, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hti(item)), TVIS_EXPANDED) & TVIS_EXPANDED);
}
void Dialog::tvEditLabel(int id, TreeItem item) {
    HWND h = itemOf(*this, id, {Kind::Tree});
    if (!item) return;
    SetFocus(h);    // the tree must have the focus to edit
    SendMessageA(h, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(hti(item)));
    if (running()) impl_->editing[id] = item;
}
TreeItem Dialog::tvHitTest(int id) const {
    HWND h = itemOf(*this, id, {Kind::Tree});
    if (running()) {
        // The scenario's right or double click says where the mouse is.
        auto it = impl_->hover.find(id);
        return it == impl_->hover.end() ? 0 : it->second;
    }
    TVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(h, &hit.pt);
    SendMessageA(h, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.flags & TVHT_ONITEM ? tree(reinterpret_cast<LRESULT>(hit.hItem)) : 0;
}

// ---- progress, timers, painting -----------------------------------------------------------
void Dialog::progressRange(int id, int low, int high) { SendMessageA(itemOf(*this, id, {Kind::Progress}), PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
void Dialog::progressSetStep(int id, int step) { SendMessageA(itemOf(*this, id, {Kind::Progress}), PBM_SETSTEP, static_cast<WPARAM>(step), 0); }
void Dialog::progressStepIt(int id) { SendMessageA(itemOf(*this, id, {Kind::Progress}), PBM_STEPIT, 0, 0); }
void Dialog::progressSetPos(int id, int pos) { SendMessageA(itemOf(*this, id, {Kind::Progress}), PBM_SETPOS, static_cast<WPARAM>(pos), 0); }
int Dialog::progressPos(int id) const { return static_cast<int>(SendMessageA(itemOf(*this, id, {Kind::Progress}), PBM_GETPOS, 0, 0)); }

void Dialog::setTimer(int timerId, unsigned ms) {
    if (!impl_ || !impl_->hwnd) return;
    SetTimer(impl_->hwnd, static_cast<UINT_PTR>(timerId), ms, nullptr);
    impl_->timers[timerId] = ms;
}
void Dialog::killTimer(int timerId) {
    if (!impl_ || !impl_->hwnd) return;
    KillTimer(impl_->hwnd, static_cast<UINT_PTR>(timerId));
    impl_->timers.erase(timerId);
}

namespace {
// Draws with the DIB's palette realised in the device context, copied or stretched.
void paintDib(Dialog::Impl* impl, int x, int y, int w, int h, const Dib& dib, bool stretch) {
    hosted::checkDib(dib);
    if (!impl || !impl->hwnd) return;
    struct Info { BITMAPINFOHEADER hdr; RGBQUAD colors[256]; } info{};
    info.hdr.biSize = sizeof info.hdr;
    info.hdr.biWidth = dib.width;
    info.hdr.biHeight = dib.height;
    info.hdr.biPlanes = 1;
    info.hdr.biBitCount = static_cast<WORD>(dib.bitsPerPixel);
    info.hdr.biCompression = BI_RGB;
    HPALETTE pal = nullptr;
    if (dib.bitsPerPixel == 8) {
        info.hdr.biClrUsed = static_cast<DWORD>(dib.palette.size());
        std::vector<char> lp(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
        auto* log = reinterpret_cast<LOGPALETTE*>(lp.data());
        log->palVersion = 0x300;
        log->palNumEntries = static_cast<WORD>(dib.palette.size());
        for (size_t i = 0; i < dib.palette.size(); ++i) {
            std::uint32_t c = dib.palette[i];
            BYTE r = static_cast<BYTE>(c >> 16), g = static_cast<BYTE>(c >> 8), b = static_cast<BYTE>(c);
            info.colors[i] = RGBQUAD{b, g, r, 0};
            log->palPalEntry[i] = PALETTEENTRY{r, g, b, 0};
        }
        pal = CreatePalette(log);
    }
    HDC dc = impl->paintDc ? impl->paintDc : GetDC(impl->hwnd);
    HPALETTE old = pal ? SelectPalette(dc, pal, FALSE) : nullptr;
    if (pal) RealizePalette(dc);
    auto* bmi = reinterpret_cast<const BITMAPINFO*>(&info);
    if (stretch) {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchDIBits(dc, x, y, w, h, 0, 0, dib.width, dib.height, dib.bits.data(), bmi, DIB_RGB_COLORS, SRCCOPY);
    } else {
        SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(dib.width), static_cast<DWORD>(dib.height), 0, 0, 0,
                          static_cast<UINT>(dib.height), dib.bits.data(), bmi, DIB_RGB_COLORS);
    }
    if (pal) { SelectPalette(dc, old, FALSE); DeleteObject(pal); }
    if (!impl->paintDc) ReleaseDC(impl->hwnd, dc);
}
}  // namespace

void Dialog::drawDib(int x, int y, const Dib& dib) { paintDib(impl_, x, y, dib.width, dib.height, dib, false); }
void Dialog::drawDibStretched(int x, int y, int width, int height, const Dib& dib) {
    if (width <= 0 || height <= 0) { hosted::checkDib(dib); throw std::invalid_argument("drawDib: empty target"); }
    paintDib(impl_, x, y, width, height, dib, true);
}
Dialog::Size Dialog::clientSize() const {
    if (!impl_ || !impl_->hwnd) return {};
    RECT r;
    GetClientRect(impl_->hwnd, &r);
    return {r.right - r.left, r.bottom - r.top};
}

void Dialog::minimize(bool on) {
    if (impl_ && impl_->hwnd) ShowWindow(impl_->hwnd, on ? SW_MINIMIZE : SW_RESTORE);
}
bool Dialog::isMinimized() const { return impl_ && impl_->hwnd && IsIconic(impl_->hwnd); }
void Dialog::drawProgramIcon(int x, int y) {
    if (!impl_ || !impl_->paintDc) return;
    if (HICON icon = programIcon(impl_)) DrawIcon(impl_->paintDc, x, y, icon);
}
Dialog::Size Dialog::iconSize() const { return {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)}; }

// ---- popup menus ---------------------------------------------------------------------
int Dialog::popupMenu(int menuId, int index, const std::vector<int>& grayed) {
    startAutomation();
    if (ScenarioRun::State* st = hooks ? hooks->scenarioFor() : nullptr) return hooks->menu(*st, menuId, index, grayed);
    HMENU menu = LoadMenuA(instance(), MAKEINTRESOURCEA(menuId));
    HMENU popup = menu ? GetSubMenu(menu, index) : nullptr;
    if (!popup) {
        if (menu) DestroyMenu(menu);
        raise("no popup " + std::to_string(index) + " in menu resource " + std::to_string(menuId));
    }
    for (int g : grayed) EnableMenuItem(popup, static_cast<UINT>(g), MF_BYCOMMAND | MF_GRAYED);
    POINT pt;
    GetCursorPos(&pt);
    HWND owner = impl_ && impl_->hwnd ? impl_->hwnd : GetActiveWindow();
    int cmd = static_cast<int>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, pt.x, pt.y, 0, owner, nullptr));
    DestroyMenu(menu);
    return cmd;
}

void pumpMessages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {   // for the modal loop to see
            PostQuitMessage(static_cast<int>(m.wParam));
            return;
        }
        Dialog* d = activeDialog();
        HWND h = d ? HostAccess::hwnd(*d) : nullptr;
        if (!h || !IsDialogMessageA(h, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
}

}  // namespace ui

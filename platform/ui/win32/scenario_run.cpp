// Scenarios on real windows: the innermost modal loop runs one step whenever
// its message queue is empty, with the same step semantics and error texts
// as the headless host. Waiting for a dialog pumps messages (real timers
// fire) until the scenario's time bound. BUNDLEWRIGHT_SCENARIO=<file> starts
// the automation mode in any program built on this host.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/os/os.h"
#include "platform/ui/guarded.h"
#include "platform/ui/resources.h"
#include "platform/ui/win32/host.h"

namespace ui {

namespace w32 {
bool automationActive() { return running() && running()->automation; }

void reportAndExit(const std::string& what) {
    std::fprintf(stderr, "scenario: %s\n", what.c_str());
    std::fflush(stderr);
    ExitProcess(kScenarioFailedExit);
}


namespace {
ScenarioRun* g_automation = nullptr;

void finishAutomation() {
    if (!g_automation) return;
    try {
        g_automation->finish();
    } catch (const ScenarioError& e) {
        reportAndExit(e.what());
    }
}

// A path given the Linux way ("/tmp/a.scn") names the same file through Z:.
std::string windowsPath(const std::string& p) {
    if (p.empty() || p[0] != '/') return p;
    std::string w = "Z:" + p;
    std::replace(w.begin(), w.end(), '/', '\\');
    return w;
}

}  // namespace

void startAutomation() {
    static bool started = false;
    if (started || running()) return;
    started = true;
    std::string path, t;
    if (!os::getEnv("BUNDLEWRIGHT_SCENARIO", path) || path.empty()) return;
    unsigned timeout = 10000;
    if (os::getEnv("BUNDLEWRIGHT_SCENARIO_TIMEOUT", t) && !t.empty()) timeout = static_cast<unsigned>(std::strtoul(t.c_str(), nullptr, 10));
    try {
        g_automation = new ScenarioRun(Scenario::load(windowsPath(path)), timeout);
    } catch (const ScenarioError& e) {
        reportAndExit(e.what());
    }
    running()->automation = true;
    std::atexit(finishAutomation);
}

ScenarioRun::State* scenarioFor() {
    startAutomation();
    ScenarioRun::State* st = running();
    if (!st) return nullptr;
    // With no dialog running (a box before the first window or after the
    // last) the answers at the head of the scenario are taken here.
    Dialog* d = activeDialog();
    if (!d || (d->impl() && d->impl()->initialising)) hosted::takeLeadingAnswers(*st);
    return st;
}

// The window as it shows now, written as a 24-bit bottom-up .bmp.
void saveShot(HWND h, const std::string& path) {
    RECT r;
    GetWindowRect(h, &r);
    int w = r.right - r.left, ht = r.bottom - r.top;
    if (w <= 0 || ht <= 0) raise("the window has no size to shoot");
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = ht;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    RedrawWindow(h, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    // A shown window is copied as it is on the screen; a hidden one is asked
    // to print itself.
    HDC wdc = IsWindowVisible(h) ? GetWindowDC(h) : nullptr;
    if (!wdc || !BitBlt(mem, 0, 0, w, ht, wdc, 0, 0, SRCCOPY)) PrintWindow(h, mem, 0);
    if (wdc) ReleaseDC(h, wdc);
    GdiFlush();
    size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t(3);
    size_t size = stride * static_cast<size_t>(ht);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + size);
    bi.bmiHeader.biSizeImage = static_cast<DWORD>(size);
    FILE* f = os::openFile(windowsPath(path), "wb");
    bool ok = f && std::fwrite(&fh, sizeof fh, 1, f) == 1 && std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f) == 1 &&
              std::fwrite(bits, 1, size, f) == size;
    if (f && std::fclose(f) != 0) ok = false;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    if (!ok) raise("cannot write the screenshot " + path);
}
}  // namespace w32

namespace hosted {
void raise(const std::string& what) {
    if (w32::automationActive()) w32::reportAndExit(what);
    throw ScenarioError(what);
}
}  // namespace hosted

using namespace w32;
using namespace hosted;


namespace {
std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Waits for something to happen, up to the scenario's bound for the current
// step; false once the bound has passed.
bool waitBounded(ScenarioRun::State& st) {
    if (st.waitingAt != st.next) { st.waitingAt = st.next; st.waitStart = GetTickCount(); }
    DWORD spent = GetTickCount() - st.waitStart;
    if (spent >= st.timeoutMs) return false;
    DWORD left = st.timeoutMs - spent;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(left, 50), QS_ALLINPUT);
    return true;
}

void command(HWND dlg, HWND ctl, int id, int code) {
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(ctl));
}
}  // namespace

// One step of the running scenario, applied to this dialog's real windows.
void Dialog::detail_step(ScenarioRun::State& st) {
    HWND dlg = impl_->hwnd;
    if (st.next >= st.steps.size()) {
        st.current = nullptr;
        if (waitBounded(st)) return;   // a timer may still end the dialog
        raise(st.name + ": the scenario ended while dialog " + std::to_string(templateId_) + " is open");
    }
    const Step& s = st.steps[st.next];
    st.current = &s;
    std::string where = " of dialog " + std::to_string(templateId_);
    if (globalStep(st, s)) { ++st.next; return; }
    if (s.kind == Step::OnDialog) {
        if (s.dialog == templateId_) { st.dialog = s.dialog; ++st.next; return; }
        if (waitBounded(st)) return;
        st.fail("waiting for dialog " + std::to_string(s.dialog) + ", but dialog " + std::to_string(templateId_) + " is active");
    }
    if (s.kind == Step::ExpectClosed) {
        if (st.dialog == templateId_ || dialogOpen(st.dialog)) {
            if (waitBounded(st)) return;
            st.fail("dialog " + std::to_string(st.dialog) + " is still open");
        }
        ++st.next;
        return;
    }
    if (st.dialog && st.dialog != templateId_)
        st.fail("the step is for dialog " + std::to_string(st.dialog) + ", but dialog " + std::to_string(templateId_) + " is active");
    ++st.next;
    if (s.kind == Step::Shot) { saveShot(dlg, s.text); return; }
    HWND c = nullptr;
    Kind kind = Kind::Other;
    if (s.control && s.kind != Step::Command) {
        c = GetDlgItem(dlg, static_cast<int>(s.control));
        if (!c) st.fail("dialog " + std::to_string(templateId_) + " has no control " + std::to_string(s.control));
        kind = kindOf(c);
    }
    int id = static_cast<int>(s.control);
    auto need = [&](std::initializer_list<Kind> kinds, const char* what) {
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
            st.fail("control " + std::to_string(id) + where + " is not " + what);
    };
    LONG style = c ? GetWindowLongA(c, GWL_STYLE) : 0;
    bool live = c && IsWindowEnabled(c) && (style & WS_VISIBLE);   // a disabled or hidden control ignores the user
    auto rowsOf = [&]() { return kind == Kind::ListView ? lvRowCount(id) : rowCount(id); };
    auto findRowOf = [&](const Step& step) {
        int n = rowsOf();
        if (step.byIndex) {
            if (step.index < 0 || step.index >= n) st.fail("control " + std::to_string(id) + where + " has no row " + std::to_string(step.index));
            return step.index;
        }
        for (int i = 0; i < n; ++i) {
            std::string t = kind == Kind::ListView ? lvCell(id, i, 0) : rowText(id, i);
            if (lower(t) == lower(step.text)) return i;
        }
        st.fail("control " + std::to_string(id) + where + " has no row \"" + step.text + "\"");
    };
    auto findPath = [&](const std::string& path) {
        TreeItem item = 0;
        TreeItem level = tvRoot(id);
        size_t start = 0;
        while (start <= path.size()) {
            size_t e = path.find('/', start);
            if (e == std::string::npos) e = path.size();
            std::string label = path.substr(start, e - start);
            TreeItem found = 0;
            for (TreeItem t = level; t; t = tvNext(id, t))
                if (tvText(id, t) == label) { found = t; break; }
            if (!found) st.fail("tree " + std::to_string(id) + where + " has no item \"" + path + "\"");
            item = found;
            level = tvChild(id, item);
            start = e + 1;
        }
        return item;
    };
    switch (s.kind) {
        case Step::Set: {
            need({Kind::Edit, Kind::Combo}, "an edit or a drop-down combo");
            if (kind == Kind::Combo && (style & 3) == CBS_DROPDOWNLIST) st.fail("combo " + std::to_string(id) + where + " is a drop-down list: use pick");
            if (!live || (kind == Kind::Edit && (style & ES_READONLY))) return;
            if (kind == Kind::Edit) { setText(id, s.text); return; }
            // Typed into the combo's edit field: the combo itself clears its
            // selection and sends CbnEditUpdate and CbnEditChange.
            HWND edit = GetWindow(c, GW_CHILD);
            char cls[16] = {0};
            while (edit && (GetClassNameA(edit, cls, sizeof cls), lstrcmpiA(cls, "Edit") != 0)) edit = GetWindow(edit, GW_HWNDNEXT);
            if (!edit) st.fail("combo " + std::to_string(id) + where + " has no edit field");
            SendMessageA(edit, EM_SETSEL, 0, -1);
            SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(s.text.c_str()));
            return;
        }
        case Step::Check:
        case Step::Clear:
        case Step::Click: {
            need({Kind::Button}, "a button");
            if (!live) return;
            int type = static_cast<int>(style & 0xF);
            bool isCheck = type == 2 || type == 3 || type == 5 || type == 6;
            bool isRadio = type == 4 || type == 9;
            if (s.kind != Step::Click) {
                if (!isCheck && !isRadio) st.fail("control " + std::to_string(id) + where + " is not a check box");
                if (s.kind == Step::Clear && isRadio) st.fail("radio button " + std::to_string(id) + where + " cannot be cleared, check another");
                int want = s.kind == Step::Check ? 1 : 0;
                if (checked(id) == want) return;
            }
            // The button's own click: auto boxes and radio groups change state,
            // then BN_CLICKED reaches the dialog.
            SendMessageA(c, BM_CLICK, 0, 0);
            return;
        }
        case Step::Pick: {
            need({Kind::List, Kind::Combo, Kind::ListView}, "a list, a combo or a list view");
            int row = findRowOf(s);
            if (!live) return;
            if (kind == Kind::ListView) {
                {
                    struct Q { Impl* i; Q(Impl* x) : i(x) { ++i->quiet; } ~Q() { --i->quiet; } } q(impl_);
                    LVITEMA it{};
                    it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
                    it.state = 0;
                    SendMessageA(c, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&it));
                    it.state = LVIS_SELECTED | LVIS_FOCUSED;
                    SendMessageA(c, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
                }
                Notify n;
                n.code = Notify::ItemChanged;
                n.row = row;
                HostAccess::notify(*this, id, n);
                return;
            }
            if (kind == Kind::Combo) {
                SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
                command(dlg, c, id, CBN_SELCHANGE);
                command(dlg, c, id, CBN_SELENDOK);
            } else {
                SendMessageA(c, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
                if (style & LBS_NOTIFY) command(dlg, c, id, LBN_SELCHANGE);
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
            if (kind == Kind::Tree) {
                if (!s.text.empty()) n.item = findPath(s.text);
                impl_->hover[id] = n.item;
                HostAccess::notify(*this, id, n);
            } else if (kind == Kind::ListView) {
                if (!s.text.empty() || s.byIndex) {
                    n.row = findRowOf(s);
                    if (n.row >= 0) lvSelect(id, n.row, true);
                }
                HostAccess::notify(*this, id, n);
            } else {
                if (!s.text.empty() || s.byIndex) SendMessageA(c, LB_SETCURSEL, static_cast<WPARAM>(findRowOf(s)), 0);
                if (s.kind == Step::DoubleClick && (style & LBS_NOTIFY)) command(dlg, c, id, LBN_DBLCLK);
            }
            return;
        }
        case Step::EditLabel: {
            need({Kind::Tree}, "a tree view");
            HWND edit = reinterpret_cast<HWND>(SendMessageA(c, TVM_GETEDITCONTROL, 0, 0));
            if (!edit) st.fail("tree " + std::to_string(id) + where + " is not editing a label");
            // The user types the label and presses Enter: the tree asks the
            // dialog (EndLabelEdit) and keeps the label when it says yes.
            SetWindowTextA(edit, s.text.c_str());
            SendMessageA(c, TVM_ENDEDITLABELNOW, FALSE, 0);
            return;
        }
        case Step::Command:
            command(dlg, nullptr, id, 0);
            return;
        case Step::Timer:
            if (!impl_->timers.count(s.index)) st.fail("dialog " + std::to_string(templateId_) + " has no timer " + std::to_string(s.index));
            SendMessageA(dlg, WM_TIMER, static_cast<WPARAM>(s.index), 0);
            return;
        case Step::Esc:
            command(dlg, nullptr, IDCANCEL, 0);
            return;
        case Step::ExpectText:
            if (text(id) != s.text) st.fail("control " + std::to_string(id) + where + " shows \"" + text(id) + "\", expected \"" + s.text + "\"");
            return;
        case Step::ExpectChecked: {
            need({Kind::Button}, "a button");
            int v = checked(id);
            if (v != s.index) st.fail("control " + std::to_string(id) + where + " is " + std::to_string(v) + ", expected " + std::to_string(s.index));
            return;
        }
        case Step::ExpectEnabled: {
            bool on = IsWindowEnabled(c);
            if (on != (s.index != 0)) st.fail("control " + std::to_string(id) + where + (on ? " is enabled" : " is disabled"));
            return;
        }
        case Step::ExpectVisible: {
            bool on = style & WS_VISIBLE;
            if (on != (s.index != 0)) st.fail("control " + std::to_string(id) + where + (on ? " is visible" : " is hidden"));
            return;
        }
        case Step::ExpectRows: {
            need({Kind::List, Kind::Combo, Kind::ListView}, "a list, a combo or a list view");
            int n = rowsOf();
            if (n != s.index) st.fail("control " + std::to_string(id) + where + " has " + std::to_string(n) + " rows, expected " + std::to_string(s.index));
            return;
        }
        case Step::ExpectRow: {
            need({Kind::List, Kind::Combo, Kind::ListView}, "a list, a combo or a list view");
            std::string t = kind == Kind::ListView ? lvCell(id, s.index, 0) : rowText(id, s.index);
            if (t != s.text) st.fail("row " + std::to_string(s.index) + " of control " + std::to_string(id) + where + " is \"" + t + "\", expected \"" + s.text + "\"");
            return;
        }
        case Step::ExpectSelected: {
            need({Kind::List, Kind::Combo, Kind::ListView}, "a list, a combo or a list view");
            int sel;
            if (kind == Kind::ListView) { auto v = lvSelectedRows(id); sel = v.empty() ? -1 : v.front(); }
            else sel = selectedRow(id);
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

// ---- prompter ----------------------------------------------------------------------
namespace {
HWND ownerWindow() {
    Dialog* d = activeDialog();
    return d && d->impl() ? d->impl()->hwnd : nullptr;
}
}  // namespace

int messageBox(const std::string& text, std::optional<std::string> caption, Buttons buttons, Icon icon) {
    std::string cap = caption ? *caption : programName();
    ScenarioRun::State* st = scenarioFor();
    if (!st) {
        UINT flags = MB_SETFOREGROUND;
        switch (buttons) {
            case Buttons::Ok: flags |= MB_OK; break;
            case Buttons::OkCancel: flags |= MB_OKCANCEL; break;
            case Buttons::YesNo: flags |= MB_YESNO; break;
            case Buttons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
            case Buttons::RetryCancel: flags |= MB_RETRYCANCEL; break;
        }
        switch (icon) {
            case Icon::None: break;
            case Icon::Information: flags |= MB_ICONINFORMATION; break;
            case Icon::Warning: flags |= MB_ICONWARNING; break;
            case Icon::Error: flags |= MB_ICONERROR; break;
            case Icon::Question: flags |= MB_ICONQUESTION; break;
        }
        HWND owner = ownerWindow();
        if (!owner) flags |= MB_TASKMODAL;
        return MessageBoxA(owner, text.c_str(), cap.c_str(), flags);
    }
    return answerMessage(*st, text, cap, buttons, icon);
}

namespace {

// "Name (*.x)|*.x||" -> the system's NUL-separated list ending in two NULs.
std::string systemFilter(const std::string& f) {
    std::string s = f;
    std::replace(s.begin(), s.end(), '|', '\0');
    s.append(2, '\0');
    return s;
}

bool fileDialog(const FileDialog& how, std::string& path, bool save) {
    std::string filter = systemFilter(how.filter);
    std::vector<char> buf(32768, '\0');
    std::string initial = how.initialPath.substr(0, buf.size() - 1);
    std::copy(initial.begin(), initial.end(), buf.begin());
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerWindow();
    ofn.lpstrFilter = how.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buf.data();
    ofn.nMaxFile = static_cast<DWORD>(buf.size());
    ofn.lpstrInitialDir = how.initialDir.empty() ? nullptr : how.initialDir.c_str();
    ofn.lpstrTitle = how.title.empty() ? nullptr : how.title.c_str();
    ofn.lpstrDefExt = how.defaultExt.empty() ? nullptr : how.defaultExt.c_str();
    // The dialog's own look, and the program's current folder left alone
    // (the pages keep it); every other flag only where the caller asks.
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (how.hideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (save && how.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (!save && how.mustExist) ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    BOOL ok = save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
    if (!ok) return false;
    path = buf.data();
    return true;
}
}  // namespace

bool openFileDialog(const FileDialog& how, std::string& path) {
    ScenarioRun::State* st = scenarioFor();
    if (!st) return fileDialog(how, path, false);
    return answerPicker(*st, st->fileAnswers, "an open file dialog", path);
}

bool saveFileDialog(const FileDialog& how, std::string& path) {
    ScenarioRun::State* st = scenarioFor();
    if (!st) return fileDialog(how, path, true);
    if (!answerPicker(*st, st->fileAnswers, "a save file dialog", path)) return false;
    // The system adds the default extension when the user typed none.
    size_t slash = path.find_last_of('\\');
    size_t dot = path.find_last_of('.');
    if (!how.defaultExt.empty() && (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
        path += "." + how.defaultExt;
    return true;
}

bool browseForFolder(const std::string& title, std::string& folder) {
    ScenarioRun::State* st = scenarioFor();
    if (st) {
        if (!answerPicker(*st, st->folderAnswers, "a folder picker", folder)) return false;
    } else {
        static bool com = SUCCEEDED(CoInitialize(nullptr));
        (void)com;
        char name[MAX_PATH] = {0};
        BROWSEINFOA bi{};
        bi.hwndOwner = ownerWindow();
        bi.pszDisplayName = name;
        bi.lpszTitle = title.c_str();
        bi.ulFlags = BIF_RETURNONLYFSDIRS;
        LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
        if (!pidl) return false;
        char path[MAX_PATH] = {0};
        BOOL ok = SHGetPathFromIDListA(pidl, path);
        CoTaskMemFree(pidl);
        if (!ok) return false;
        folder = path;
    }
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return true;
}

}  // namespace ui

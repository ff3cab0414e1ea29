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
// How a scenario step reaches the dialog's real windows: the messages a
// user's action would send.
class Win32Steps final : public StepHost {
public:
    explicit Win32Steps(Dialog& d) : d_(d), impl_(*d.impl()), dlg_(impl_.hwnd) {}

    bool control(int id, ControlState& out) override {
        HWND c = GetDlgItem(dlg_, id);
        if (!c) return false;
        LONG style = GetWindowLongA(c, GWL_STYLE);
        out.kind = kindOf(c);
        out.enabled = IsWindowEnabled(c);
        out.visible = style & WS_VISIBLE;
        out.readOnly = out.kind == Kind::Edit && (style & ES_READONLY);
        out.dropList = out.kind == Kind::Combo && (style & 3) == CBS_DROPDOWNLIST;
        out.listNotify = out.kind == Kind::List && (style & LBS_NOTIFY);
        out.buttonType = static_cast<int>(style & 0xF);
        return true;
    }
    // Pumps messages (real timers fire) up to the scenario's bound for the
    // current step.
    bool wait() override {
        ScenarioRun::State& st = *running();
        if (st.waitingAt != st.next) { st.waitingAt = st.next; st.waitStart = GetTickCount(); }
        DWORD spent = GetTickCount() - st.waitStart;
        if (spent >= st.timeoutMs) return false;
        DWORD left = st.timeoutMs - spent;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(left, 50), QS_ALLINPUT);
        return true;
    }
    // The combo itself clears its selection and sends CbnEditUpdate and
    // CbnEditChange.
    void typeIntoCombo(int id, const std::string& text) override {
        HWND c = GetDlgItem(dlg_, id);
        HWND edit = GetWindow(c, GW_CHILD);
        char cls[16] = {0};
        while (edit && (GetClassNameA(edit, cls, sizeof cls), lstrcmpiA(cls, "Edit") != 0)) edit = GetWindow(edit, GW_HWNDNEXT);
        if (!edit) running()->fail("combo " + std::to_string(id) + " of dialog " + std::to_string(d_.templateId()) + " has no edit field");
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void click(int id) override { SendMessageA(GetDlgItem(dlg_, id), BM_CLICK, 0, 0); }
    void pick(int id, ControlKind kind, int row) override {
        HWND c = GetDlgItem(dlg_, id);
        if (kind == Kind::ListView) {
            {
                struct Q { Dialog::Impl& i; explicit Q(Dialog::Impl& x) : i(x) { ++i.quiet; } ~Q() { --i.quiet; } } q(impl_);
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
            HostAccess::notify(d_, id, n);
            return;
        }
        if (kind == Kind::Combo) {
            SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(row), 0);
            send(c, id, CBN_SELCHANGE);
            send(c, id, CBN_SELENDOK);
        } else {
            SendMessageA(c, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
            if (GetWindowLongA(c, GWL_STYLE) & LBS_NOTIFY) send(c, id, LBN_SELCHANGE);
        }
    }
    void hover(int id, TreeItem item) override { impl_.hover[id] = item; }
    // The user types the label and presses Enter: the tree asks the dialog
    // (EndLabelEdit) and keeps the label when it says yes.
    bool endLabelEdit(int id, const std::string& text) override {
        HWND c = GetDlgItem(dlg_, id);
        HWND edit = reinterpret_cast<HWND>(SendMessageA(c, TVM_GETEDITCONTROL, 0, 0));
        auto asked = impl_.editing.find(id);
        if (!edit && asked != impl_.editing.end() && asked->second) {
            // Another program took the focus and the tree closed the edit
            // box as if the user had clicked away; the user opens it again.
            SetForegroundWindow(GetAncestor(c, GA_ROOT));
            SetFocus(c);
            SendMessageA(c, TVM_EDITLABELA, 0, static_cast<LPARAM>(asked->second));
            edit = reinterpret_cast<HWND>(SendMessageA(c, TVM_GETEDITCONTROL, 0, 0));
        }
        if (asked != impl_.editing.end()) impl_.editing.erase(asked);
        if (!edit) return false;
        SetWindowTextA(edit, text.c_str());
        SendMessageA(c, TVM_ENDEDITLABELNOW, FALSE, 0);
        return true;
    }
    void command(int id, int code) override { send(GetDlgItem(dlg_, id), id, code); }
    void notify(int id, const Notify& n) override { HostAccess::notify(d_, id, n); }
    bool hasTimer(int timerId) override { return impl_.timers.count(timerId) != 0; }
    void timer(int timerId) override { SendMessageA(dlg_, WM_TIMER, static_cast<WPARAM>(timerId), 0); }
    void escape() override { send(nullptr, IDCANCEL, 0); }
    void shot(const std::string& path) override { saveShot(dlg_, path); }

private:
    void send(HWND ctl, int id, int code) {
        SendMessageA(dlg_, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(ctl));
    }

    Dialog& d_;
    Dialog::Impl& impl_;
    HWND dlg_;
};
}  // namespace

void w32::runStepIn(Dialog& d, ScenarioRun::State& st) {
    Win32Steps steps(d);
    runStep(st, d, steps);
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

// Scenarios on real windows: the innermost modal loop runs one step whenever
// its message queue is empty, with the same step semantics and error texts
// as the headless host. Waiting for a dialog pumps messages (real timers
// fire) until the scenario's time bound. The host reaches this file only
// through w32::hooks, set when a scenario starts: a program that never starts
// one links none of it. What starts the automation mode
// (automation.cpp) is linked only into the programs that may be driven.
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

void startAutomationFrom(const std::string& path, unsigned timeoutMs) {
    try {
        g_automation = new ScenarioRun(Scenario::load(windowsPath(path)), timeoutMs);
    } catch (const ScenarioError& e) {
        reportAndExit(e.what());
    }
    running()->automation = true;
    std::atexit(finishAutomation);
}

ScenarioRun::State* scenarioFor() {
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

namespace {
bool answerPickerFor(ScenarioRun::State& st, Picker which, std::string& path) {
    static const char* const what[] = {"an open file dialog", "a save file dialog", "a folder picker"};
    std::deque<Step>& answers = which == Picker::Folder ? st.folderAnswers : st.fileAnswers;
    return answerPicker(st, answers, what[static_cast<int>(which)], path);
}
const ScenarioHooks kHooks = {runStepIn, scenarioFor, answerMenu, answerMessage, answerPickerFor};
}  // namespace

// The first scenario of the run (in the test itself, or the automation
// mode's) connects the host to the step runner.
void hosted::scenarioStarting() { w32::hooks = &kHooks; }

}  // namespace ui

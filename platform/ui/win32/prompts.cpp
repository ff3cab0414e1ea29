// The Win32 host's boxes and pickers: the system's own, or, while a scenario
// runs, its answers (through w32::hooks).
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "platform/ui/win32/host.h"

namespace ui {

using namespace w32;

namespace {
// The running scenario for a box or picker about to open, or nullptr.
ScenarioRun::State* scenario() {
    startAutomation();
    return hooks ? hooks->scenarioFor() : nullptr;
}
}  // namespace

namespace {
HWND ownerWindow() {
    Dialog* d = activeDialog();
    return d && d->impl() ? d->impl()->hwnd : nullptr;
}
}  // namespace

int messageBox(const std::string& text, std::optional<std::string> caption, Buttons buttons, Icon icon) {
    std::string cap = caption ? *caption : programName();
    ScenarioRun::State* st = scenario();
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
    return hooks->message(*st, text, cap, buttons, icon);
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
    ScenarioRun::State* st = scenario();
    if (!st) return fileDialog(how, path, false);
    return hooks->picker(*st, Picker::Open, path);
}

bool saveFileDialog(const FileDialog& how, std::string& path) {
    ScenarioRun::State* st = scenario();
    if (!st) return fileDialog(how, path, true);
    if (!hooks->picker(*st, Picker::Save, path)) return false;
    // The system adds the default extension when the user typed none.
    size_t slash = path.find_last_of('\\');
    size_t dot = path.find_last_of('.');
    if (!how.defaultExt.empty() && (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
        path += "." + how.defaultExt;
    return true;
}

bool browseForFolder(const std::string& title, std::string& folder) {
    ScenarioRun::State* st = scenario();
    if (st) {
        if (!hooks->picker(*st, Picker::Folder, folder)) return false;
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

// The dialog framework: one modal dialog per resource template. Pages derive
// from Dialog, override the handlers they need and touch their controls only
// through the id-keyed calls below, so the headless host can stand in for the
// real windows. No Win32 type appears here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ui/guarded.h"
#include "platform/ui/prompter.h"

namespace ui {

// Standard command ids and dialog results (the system's own values).
enum : int { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };

// Notification codes passed to onCommand(id, code) (the system's own values).
enum : int {
    BnClicked = 0,
    BnDoubleClicked = 5,
    EnChange = 0x300,       // after an edit's text changed (typing or setText)
    EnUpdate = 0x400,       // before the changed text is shown
    LbnSelChange = 1,
    LbnDblClk = 2,
    CbnSelChange = 1,
    CbnDblClk = 2,
    CbnEditChange = 5,      // the user typed into a drop-down combo's edit field
    CbnEditUpdate = 6,
    CbnDropDown = 7,
    CbnCloseUp = 8,
    CbnSelEndOk = 9,
};

// A tree view item; 0 is "none". Opaque: only the host that made it reads it.
using TreeItem = std::uintptr_t;
enum class TreeInsert { Last, First, Sorted };

// Notifications of list views and tree views, passed to onNotify.
struct Notify {
    enum Code {
        Click,              // left click (item/row under the mouse, -1/0 when none)
        DoubleClick,
        RightClick,         // pages open their context menu here
        ItemChanged,        // list view: a row's selection changed
        SelChanged,         // tree view: the selected item changed
        BeginLabelEdit,
        EndLabelEdit,       // text holds the new label, cancelled when the user pressed Esc
        KeyDown,            // key holds the virtual-key code
    };
    Code code = Click;
    int row = -1;           // list view row
    TreeItem item = 0;      // tree view item
    std::string text;
    bool cancelled = false;
    int key = 0;
};

// A device-independent bitmap: bottom-up 24-bit BGR rows padded to 4 bytes,
// or 8-bit indices into palette (0x00RRGGBB entries).
struct Dib {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    std::vector<std::uint8_t> bits;
    std::vector<std::uint32_t> palette;
};

class Dialog {
public:
    // templateId: the DIALOG resource; owner: the page that runs this one
    // (nullptr = the active dialog, as the system does for unowned dialogs).
    explicit Dialog(int templateId, Dialog* owner = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog's own modal loop; returns the value given to end(), or
    // -1 when the dialog cannot be made (no template, creation refused).
    // Nested calls from a handler nest the loops. An exception that a
    // handler let out (an exit request under test) is rethrown here after
    // the dialog closed; it never crosses the window system.
    int runModal();
    void end(int result);

    int templateId() const { return templateId_; }
    Dialog* owner() const { return owner_; }       // valid once runModal() began
    bool isOpen() const;                            // between onInitDialog and end
    void show();
    void hide();
    bool isVisible() const;
    void setCaption(const std::string& text);
    std::string caption() const;
    void setIcons(int iconResource);                // big and small icon (pages pass 128)
    void setDefaultButton(int id);                  // DM_SETDEFID
    void invalidate();                              // repaint on the next occasion
    void updateWindow();                            // repaint now (onPaint runs before return)
    void updateChanged();                           // repaint now what changed since the last paint

    // ---- controls, by id ------------------------------------------------------
    bool hasControl(int id) const;
    void setText(int id, const std::string& text);  // edits send EnUpdate + EnChange
    std::string text(int id) const;                 // drop-down combo: its edit field
    void setInt(int id, int value);
    int getInt(int id, bool* ok = nullptr) const;
    void setCheck(int id, int state);               // 0 clear, 1 checked, 2 indeterminate
    int checked(int id) const;
    void checkRadio(int firstId, int lastId, int checkedId);
    void enable(int id, bool on = true);
    bool isEnabled(int id) const;
    void showControl(int id, bool on = true);
    bool isControlVisible(int id) const;
    void setReadOnly(int id, bool on = true);       // edits
    void setLimitText(int id, int maxChars);        // edits and combos
    void focus(int id);
    int focused() const;                            // control id with the focus, 0 when none

    // List boxes and combo boxes. A sorted list (LBS_SORT / CBS_SORT in the
    // template) inserts addRow texts in order, case-insensitively.
    int addRow(int id, const std::string& text);    // returns the row's index
    int insertRow(int id, int index, const std::string& text);   // -1 appends, never sorts
    void deleteRow(int id, int index);
    void clearRows(int id);
    int rowCount(int id) const;
    std::string rowText(int id, int index) const;
    int findRow(int id, const std::string& text) const;          // exact, case-insensitive; -1
    int selectedRow(int id) const;                  // -1 when none (combo: typed text clears it)
    void selectRow(int id, int index);              // no notification (as CB_SETCURSEL); -1 clears
    void setRowData(int id, int index, std::intptr_t data);
    std::intptr_t rowData(int id, int index) const;

    // List views in report mode.
    void lvAddColumn(int id, const std::string& title, int width);
    void lvSetFullRowSelect(int id, bool on = true);
    int lvInsertRow(int id, int index, const std::string& text); // -1 appends; returns index
    void lvSetCell(int id, int row, int column, const std::string& text);
    std::string lvCell(int id, int row, int column) const;
    void lvDeleteRow(int id, int row);
    void lvClear(int id);
    int lvRowCount(int id) const;
    void lvSelect(int id, int row, bool on = true);
    bool lvIsSelected(int id, int row) const;
    std::vector<int> lvSelectedRows(int id) const;

    // Tree views. Images are two icon resources (index 0 and 1).
    void tvSetImages(int id, int iconResource0, int iconResource1);
    TreeItem tvInsert(int id, TreeItem parent, const std::string& text, int image = 0,
                      int selectedImage = 0, TreeInsert where = TreeInsert::Last);
    void tvDelete(int id, TreeItem item);
    void tvClear(int id);
    std::string tvText(int id, TreeItem item) const;
    void tvSetText(int id, TreeItem item, const std::string& text);
    std::intptr_t tvData(int id, TreeItem item) const;
    void tvSetData(int id, TreeItem item, std::intptr_t data);
    int tvImage(int id, TreeItem item) const;
    TreeItem tvRoot(int id) const;                  // first top-level item
    TreeItem tvParent(int id, TreeItem item) const;
    TreeItem tvChild(int id, TreeItem item) const;  // first child
    TreeItem tvNext(int id, TreeItem item) const;   // next sibling
    TreeItem tvSelected(int id) const;
    void tvSelect(int id, TreeItem item);           // notifies SelChanged
    void tvExpand(int id, TreeItem item, bool expand = true);
    bool tvIsExpanded(int id, TreeItem item) const;
    void tvEditLabel(int id, TreeItem item);        // the user ends it: EndLabelEdit
    TreeItem tvHitTest(int id) const;               // item under the mouse, 0 when none

    // Progress bars.
    void progressRange(int id, int low, int high);
    void progressSetStep(int id, int step);
    void progressStepIt(int id);
    void progressSetPos(int id, int pos);
    int progressPos(int id) const;

    // Popup menu `index` of MENU resource menuId at the mouse; grayed lists
    // commands to gray in addition to those GRAYED in the resource. Returns
    // the chosen command, 0 when the menu was dismissed.
    int popupMenu(int menuId, int index = 0, const std::vector<int>& grayed = {});

    // Timers: onTimer(timerId) runs until killTimer.
    void setTimer(int timerId, unsigned ms);
    void killTimer(int timerId);

    // Painting: inside onPaint (or after updateWindow) draw a DIB at (x, y) in pixels,
    // copied at its own size or stretched to width x height.
    void drawDib(int x, int y, const Dib& dib);
    void drawDibStretched(int x, int y, int width, int height, const Dib& dib);
    struct Size {
        int width = 0;
        int height = 0;
    };
    Size clientSize() const;                        // the client area in pixels
    // Minimised to its icon (the system may paint a minimised window, and
    // the page then draws the program's icon itself).
    void minimize(bool on);
    bool isMinimized() const;
    void drawProgramIcon(int x, int y);             // resource 128, system icon size
    Size iconSize() const;

    // ---- data exchange ---------------------------------------------------------
    // Bind members to controls in doDataExchange(); updateData(true) copies the
    // controls into the members, updateData(false) the members into the controls.
    class Exchange {
    public:
        bool saving() const { return saving_; }
        void text(int id, std::string& value);
        void check(int id, int& value);
        void number(int id, int& value);
        void radio(int firstId, int lastId, int& index);   // -1 when none checked
        void row(int id, int& index);                       // list/combo selection
    private:
        friend class Dialog;
        Exchange(Dialog& d, bool saving) : dlg_(d), saving_(saving) {}
        Dialog& dlg_;
        bool saving_;
    };
    void updateData(bool save);

    // Host data, for the hosts only.
    struct Impl;
    Impl* impl() const { return impl_; }

protected:
    // Handlers. Each runs inside the host's catch-all; pages wrap their
    // bodies in guarded() to give the page's fatal code.
    virtual bool onInitDialog() { return true; }
    virtual bool onCommand(int id, int code);       // default: IdOk ends with IdOk, IdCancel calls onCancel
    virtual bool onNotify(int id, const Notify& n) { (void)id; (void)n; return false; }
    virtual void onTimer(int timerId) { (void)timerId; }
    virtual void onPaint() {}
    virtual void onCancel() { end(IdCancel); }      // Esc, the close box and the Cancel button
    virtual void onOk() { end(IdOk); }              // Enter and the OK button
    virtual void doDataExchange(Exchange& dx) { (void)dx; }

private:
    friend struct Impl;
    friend class HostAccess;
    int templateId_;
    Dialog* owner_;
    Impl* impl_ = nullptr;
};

// The dialog whose modal loop runs innermost, nullptr when none.
Dialog* activeDialog();

// Handles the messages waiting for this thread's windows (painting among
// them) and returns; for long work that does not return to a modal loop.
void pumpMessages();

}  // namespace ui

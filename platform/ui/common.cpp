// Host-independent parts: program name, questions, fatal codes, data exchange.
#include <cstdlib>

#include "platform/ui/dialog.h"
#include "platform/ui/guarded.h"
#include "platform/ui/prompter.h"

namespace ui {
namespace {
std::string& nameSlot() {
    static std::string name = "Bundlewright";
    return name;
}
}  // namespace

void setProgramName(const std::string& name) { nameSlot() = name; }
const std::string& programName() { return nameSlot(); }

bool Prompter::ask(const std::string& text) const {
    return messageBox(text, caption_, Buttons::YesNo, Icon::Question) == IdYes;
}

void reportFatal(const std::string& code, const Fatal& how) {
    messageBox(code, how.caption, Buttons::Ok, Icon::None);
    if (!how.continueAfter) os::exitProcess(how.exitCode);
}

bool Dialog::onCommand(int id, int code) {
    if (code != BnClicked) return false;
    if (id == IdOk) { onOk(); return true; }
    if (id == IdCancel) { onCancel(); return true; }
    return false;
}

void Dialog::setInt(int id, int value) { setText(id, std::to_string(value)); }

int Dialog::getInt(int id, bool* ok) const {
    std::string t = text(id);
    char* end = nullptr;
    long v = std::strtol(t.c_str(), &end, 10);
    bool good = !t.empty() && end && *end == 0;
    if (ok) *ok = good;
    return good ? static_cast<int>(v) : 0;
}

void Dialog::checkRadio(int firstId, int lastId, int checkedId) {
    for (int id = firstId; id <= lastId; ++id)
        if (hasControl(id)) setCheck(id, id == checkedId ? 1 : 0);
}

void Dialog::updateData(bool save) {
    Exchange dx(*this, save);
    doDataExchange(dx);
}

void Dialog::Exchange::text(int id, std::string& value) {
    if (saving_) value = dlg_.text(id);
    else dlg_.setText(id, value);
}
void Dialog::Exchange::check(int id, int& value) {
    if (saving_) value = dlg_.checked(id);
    else dlg_.setCheck(id, value);
}
void Dialog::Exchange::number(int id, int& value) {
    if (saving_) value = dlg_.getInt(id);
    else dlg_.setInt(id, value);
}
void Dialog::Exchange::radio(int firstId, int lastId, int& index) {
    if (saving_) {
        index = -1;
        for (int id = firstId; id <= lastId; ++id)
            if (dlg_.hasControl(id) && dlg_.checked(id) == 1) { index = id - firstId; break; }
    } else {
        dlg_.checkRadio(firstId, lastId, index < 0 ? -1 : firstId + index);
    }
}
void Dialog::Exchange::row(int id, int& index) {
    if (saving_) index = dlg_.selectedRow(id);
    else dlg_.selectRow(id, index);
}

}  // namespace ui

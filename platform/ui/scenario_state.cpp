#include "platform/ui/scenario_state.h"

#include <algorithm>
#include <stdexcept>

#include "platform/ui/resources.h"

namespace ui {

void ScenarioRun::State::fail(const std::string& what) const {
    failAt(current ? current->line : (steps.empty() ? 0 : steps.back().line), what);
}
void ScenarioRun::State::failAt(int line, const std::string& what) const {
    hosted::raise(name + ":" + std::to_string(line) + ": " + what);
}

ScenarioRun::ScenarioRun(Scenario scenario, unsigned timeoutMs) : state_(new State) {
    state_->name = scenario.name();
    state_->steps = scenario.steps();
    state_->timeoutMs = timeoutMs;
    hosted::scenarioStarting();
    hosted::running() = state_;
}
ScenarioRun::~ScenarioRun() {
    if (hosted::running() == state_) hosted::running() = nullptr;
    delete state_;
}
const std::vector<RecordedMessage>& ScenarioRun::messages() const { return state_->messages; }

void ScenarioRun::finish() {
    State& st = *state_;
    while (st.next < st.steps.size()) {
        const Step& s = st.steps[st.next];
        st.current = &s;
        if (s.kind == Step::ExpectClosed) {
            if (hosted::dialogOpen(st.dialog)) st.fail("dialog " + std::to_string(st.dialog) + " is still open");
        } else if (s.kind != Step::Shot && !hosted::globalStep(st, s)) {
            st.fail("step never ran: no dialog was open for it");
        }
        ++st.next;
    }
    st.current = nullptr;
    for (auto* q : {&st.msgAnswers, &st.fileAnswers, &st.folderAnswers, &st.menuAnswers})
        if (!q->empty()) throw ScenarioError(st.name + ":" + std::to_string(q->front().line) + ": answer never used");
}

namespace hosted {

bool dialogOpen(long id) {
    for (Dialog* d : stack())
        if (d->templateId() == id && d->isOpen()) return true;
    return false;
}

bool globalStep(ScenarioRun::State& st, const Step& s) {
    switch (s.kind) {
        case Step::AnswerMessage: st.msgAnswers.push_back(s); return true;
        case Step::AnswerFile: st.fileAnswers.push_back(s); return true;
        case Step::AnswerFolder: st.folderAnswers.push_back(s); return true;
        case Step::AnswerMenu: st.menuAnswers.push_back(s); return true;
        case Step::ExpectMessage:
            if (st.checked >= st.messages.size()) st.fail("expected the message \"" + s.text + "\", none was shown");
            if (st.messages[st.checked].text != s.text)
                st.fail("expected the message \"" + s.text + "\", got \"" + st.messages[st.checked].text + "\"");
            st.lastChecked = &st.messages[st.checked];
            ++st.checked;
            return true;
        case Step::ExpectCaption:
            if (!st.lastChecked) st.fail("expect caption needs an expect message before it");
            if (st.lastChecked->caption != s.text)
                st.fail("expected the caption \"" + s.text + "\", got \"" + st.lastChecked->caption + "\"");
            return true;
        case Step::ExpectNoMessage:
            if (st.checked < st.messages.size()) st.fail("expected no message, got \"" + st.messages[st.checked].text + "\"");
            return true;
        default: return false;
    }
}

void takeLeadingAnswers(ScenarioRun::State& st) {
    for (; st.next < st.steps.size(); ++st.next) {
        const Step& a = st.steps[st.next];
        if (a.kind == Step::AnswerMessage) st.msgAnswers.push_back(a);
        else if (a.kind == Step::AnswerFile) st.fileAnswers.push_back(a);
        else if (a.kind == Step::AnswerFolder) st.folderAnswers.push_back(a);
        else if (a.kind == Step::AnswerMenu) st.menuAnswers.push_back(a);
        else break;
    }
}

namespace {
const res::MenuItem* findCommand(const std::vector<res::MenuItem>& items, int cmd) {
    for (const auto& i : items) {
        if (!i.separator && i.popup.empty() && i.id == cmd) return &i;
        if (auto* f = findCommand(i.popup, cmd)) return f;
    }
    return nullptr;
}
}  // namespace

int answerMenu(ScenarioRun::State& st, int menuId, int index, const std::vector<int>& grayed) {
    const auto& menus = res::resources().menus;
    auto m = menus.find(menuId);
    if (m == menus.end() || index < 0 || index >= static_cast<int>(m->second.items.size()))
        raise("no popup " + std::to_string(index) + " in menu resource " + std::to_string(menuId));
    if (st.menuAnswers.empty()) st.fail("popup menu " + std::to_string(menuId) + " opened with no 'answer menu' before it");
    Step a = st.menuAnswers.front();
    st.menuAnswers.pop_front();
    if (a.control == 0) return 0;
    const res::MenuItem* item = findCommand(m->second.items[static_cast<size_t>(index)].popup, static_cast<int>(a.control));
    if (!item) st.failAt(a.line, "menu " + std::to_string(menuId) + " has no command " + std::to_string(a.control));
    if (item->grayed || std::count(grayed.begin(), grayed.end(), item->id))
        st.failAt(a.line, "command " + std::to_string(a.control) + " of menu " + std::to_string(menuId) + " is grayed");
    return item->id;
}

namespace {
const char* buttonsName(Buttons b) {
    switch (b) {
        case Buttons::Ok: return "OK";
        case Buttons::OkCancel: return "OK/Cancel";
        case Buttons::YesNo: return "Yes/No";
        case Buttons::YesNoCancel: return "Yes/No/Cancel";
        case Buttons::RetryCancel: return "Retry/Cancel";
    }
    return "?";
}
bool fits(Buttons b, int answer) {
    switch (b) {
        case Buttons::Ok: return answer == IdOk;
        case Buttons::OkCancel: return answer == IdOk || answer == IdCancel;
        case Buttons::YesNo: return answer == IdYes || answer == IdNo;
        case Buttons::YesNoCancel: return answer == IdYes || answer == IdNo || answer == IdCancel;
        case Buttons::RetryCancel: return answer == IdRetry || answer == IdCancel;
    }
    return false;
}
}  // namespace

int answerMessage(ScenarioRun::State& st, const std::string& text, const std::string& caption, Buttons buttons,
                  Icon icon) {
    RecordedMessage m;
    m.caption = caption;
    m.text = text;
    m.buttons = buttons;
    m.icon = icon;
    m.ownerDialog = activeDialog() ? activeDialog()->templateId() : 0;
    if (!st.msgAnswers.empty()) {
        Step a = st.msgAnswers.front();
        st.msgAnswers.pop_front();
        if (!fits(buttons, a.answer))
            st.failAt(a.line, std::string("answer does not fit the ") + buttonsName(buttons) + " box \"" + text + "\"");
        m.answer = a.answer;
    } else if (buttons == Buttons::Ok) {
        m.answer = IdOk;
    } else {
        st.fail(std::string(buttonsName(buttons)) + " box \"" + text + "\" has no 'answer message' before it");
    }
    st.messages.push_back(m);
    return m.answer;
}

bool answerPicker(ScenarioRun::State& st, std::deque<Step>& answers, const char* what, std::string& path) {
    if (answers.empty()) st.fail(std::string(what) + " opened with no answer before it");
    Step a = answers.front();
    answers.pop_front();
    if (a.answer == 0) return false;
    path = a.text;
    return true;
}

}  // namespace hosted
}  // namespace ui

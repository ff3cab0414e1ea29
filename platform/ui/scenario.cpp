// Scenario text -> steps. Every malformed line fails with its line number and
// what was expected.
#include "platform/ui/scenario.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/os/os.h"
#include "platform/ui/dialog.h"
#include "platform/ui/resources.h"

namespace ui {
namespace {

struct Cursor {
    const std::string& s;
    size_t i = 0;
    void blanks() { while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i; }
    bool done() { blanks(); return i >= s.size(); }
    std::string word() {
        blanks();
        size_t b = i;
        while (i < s.size() && s[i] != ' ' && s[i] != '\t' && s[i] != ':') ++i;
        return s.substr(b, i - b);
    }
    // The rest of the step, or a quoted text.
    std::string rest() {
        blanks();
        if (i < s.size() && s[i] == '"') {
            std::string t;
            ++i;
            while (i < s.size() && s[i] != '"') {
                // Only \" and \\ are escapes: Windows paths keep their backslashes.
                if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == '"' || s[i + 1] == '\\')) ++i;
                t += s[i++];
            }
            ++i;
            return t;
        }
        std::string t = s.substr(i);
        i = s.size();
        while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r')) t.pop_back();
        return t;
    }
};

// Splits a line at ';' outside quotes; strips a '#' comment outside quotes.
std::vector<std::string> splitSteps(const std::string& line) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && quoted && i + 1 < line.size()) { cur += c; cur += line[++i]; continue; }
        if (c == '"') quoted = !quoted;
        // "# " starts a comment; "#2" is a row number.
        if (!quoted && c == '#' && (i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t')) break;
        if (!quoted && c == ';') { out.push_back(cur); cur.clear(); continue; }
        cur += c;
    }
    out.push_back(cur);
    return out;
}

}  // namespace

Scenario Scenario::parse(const std::string& text, const std::string& name) {
    Scenario s;
    s.name_ = name;
    s.add(text);
    return s;
}

Scenario Scenario::load(const std::string& path) {
    FILE* f = os::openFile(path, "rb");
    if (!f) throw ScenarioError(path + ": cannot open the scenario");
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    std::fclose(f);
    return parse(text, path);
}

Scenario& Scenario::then(std::function<void(Dialog&)> fn) {
    Step st;
    st.kind = Step::Call;
    st.line = lines_;
    st.fn = std::move(fn);
    steps_.push_back(std::move(st));
    return *this;
}

Scenario& Scenario::add(const std::string& text) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t e = text.find('\n', start);
        if (e == std::string::npos) e = text.size();
        std::string line = text.substr(start, e - start);
        start = e + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();   // CR LF files
        int lineNo = ++lines_;
        auto fail = [&](const std::string& what) -> void {
            throw ScenarioError(name_ + ":" + std::to_string(lineNo) + ": " + what);
        };
        for (std::string stepText : splitSteps(line)) {
            Cursor c{stepText};
            while (!c.done()) {
                std::string verb = c.word();
                Step st;
                st.line = lineNo;
                auto id = [&](const char* what) {
                    std::string w = c.word();
                    if (w.empty()) fail(std::string("expected ") + what + " after '" + verb + "'");
                    long v = res::symbol(w);
                    if (v < 0 && !(w.size() > 1 && w[0] == '-')) fail("expected " + std::string(what) + ", found '" + w + "'");
                    return v;
                };
                auto integer = [&](const char* what) {
                    std::string w = c.word();
                    char* end = nullptr;
                    long v = std::strtol(w.c_str(), &end, 10);
                    if (w.empty() || *end) fail(std::string("expected ") + what + ", found '" + w + "'");
                    return static_cast<int>(v);
                };
                auto rowArg = [&](bool optional) {
                    std::string t = c.rest();
                    if (t.empty()) { if (!optional) fail("expected a row text or #N after the control id"); return; }
                    if (t[0] == '#' && t.size() > 1) {
                        char* end = nullptr;
                        long v = std::strtol(t.c_str() + 1, &end, 10);
                        if (*end) fail("expected a row number after '#', found '" + t + "'");
                        st.byIndex = true;
                        st.index = static_cast<int>(v);
                    } else {
                        st.text = t;
                    }
                };
                if (verb == "on") {
                    if (c.word() != "dialog") fail("expected 'on dialog ID'");
                    st.kind = Step::OnDialog;
                    st.dialog = id("a dialog id");
                    c.blanks();
                    if (c.i < c.s.size() && c.s[c.i] == ':') ++c.i;
                    steps_.push_back(st);
                    continue;   // more steps may follow on the line
                } else if (verb == "set") { st.kind = Step::Set; st.control = id("a control id"); st.text = c.rest(); }
                else if (verb == "check" || verb == "clear") { st.kind = verb == "check" ? Step::Check : Step::Clear; st.control = id("a control id"); }
                else if (verb == "click") { st.kind = Step::Click; st.control = id("a control id"); }
                else if (verb == "pick") { st.kind = Step::Pick; st.control = id("a control id"); rowArg(false); }
                else if (verb == "select") { st.kind = Step::Select; st.control = id("a control id"); st.text = c.rest(); if (st.text.empty()) fail("expected a tree path after the control id"); }
                else if (verb == "rclick" || verb == "dblclick") { st.kind = verb == "rclick" ? Step::RightClick : Step::DoubleClick; st.control = id("a control id"); rowArg(true); }
                else if (verb == "label") { st.kind = Step::EditLabel; st.control = id("a control id"); st.text = c.rest(); }
                else if (verb == "command") { st.kind = Step::Command; st.control = id("a command id"); }
                else if (verb == "timer") { st.kind = Step::Timer; st.index = static_cast<int>(id("a timer id")); }
                else if (verb == "esc") { st.kind = Step::Esc; }
                else if (verb == "shot") { st.kind = Step::Shot; st.text = c.rest(); if (st.text.empty()) fail("expected a file path after 'shot'"); }
                else if (verb == "answer") {
                    std::string what = c.word();
                    std::string a = c.rest();
                    if (what == "message") {
                        st.kind = Step::AnswerMessage;
                        static const std::pair<const char*, int> answers[] = {
                            {"ok", IdOk}, {"cancel", IdCancel}, {"yes", IdYes}, {"no", IdNo}, {"retry", IdRetry}};
                        st.answer = -1;
                        for (auto& [w, v] : answers) if (a == w) st.answer = v;
                        if (st.answer < 0) fail("expected ok, cancel, yes, no or retry after 'answer message', found '" + a + "'");
                    } else if (what == "file" || what == "folder") {
                        st.kind = what == "file" ? Step::AnswerFile : Step::AnswerFolder;
                        if (a.empty()) fail("expected a path or 'cancel' after 'answer " + what + "'");
                        st.answer = a == "cancel" ? 0 : IdOk;
                        st.text = a;
                    } else if (what == "menu") {
                        st.kind = Step::AnswerMenu;
                        if (a == "none") st.control = 0;
                        else { long v = res::symbol(a); if (v <= 0) fail("expected a command id or 'none' after 'answer menu', found '" + a + "'"); st.control = v; }
                    } else {
                        fail("expected message, file, folder or menu after 'answer', found '" + what + "'");
                    }
                } else if (verb == "expect") {
                    std::string what = c.word();
                    if (what == "message") { st.kind = Step::ExpectMessage; st.text = c.rest(); }
                    else if (what == "caption") { st.kind = Step::ExpectCaption; st.text = c.rest(); }
                    else if (what == "no") { if (c.word() != "message") fail("expected 'expect no message'"); st.kind = Step::ExpectNoMessage; }
                    else if (what == "text") { st.kind = Step::ExpectText; st.control = id("a control id"); st.text = c.rest(); }
                    else if (what == "checked" || what == "enabled" || what == "visible" || what == "rows" || what == "selected") {
                        st.kind = what == "checked" ? Step::ExpectChecked : what == "enabled" ? Step::ExpectEnabled
                                : what == "visible" ? Step::ExpectVisible : what == "rows" ? Step::ExpectRows : Step::ExpectSelected;
                        st.control = id("a control id");
                        st.index = integer("a number");
                    } else if (what == "row") { st.kind = Step::ExpectRow; st.control = id("a control id"); st.index = integer("a row number"); st.text = c.rest(); }
                    else if (what == "closed") { st.kind = Step::ExpectClosed; }
                    else fail("expected message, caption, no message, text, checked, enabled, visible, rows, row, selected or closed after 'expect', found '" + what + "'");
                } else {
                    fail("expected a step (on, set, check, clear, click, pick, select, rclick, dblclick, label, command, timer, esc, answer, expect, shot), found '" + verb + "'");
                }
                if (!c.done()) fail("unexpected '" + c.rest() + "' after the step");
                steps_.push_back(st);
            }
        }
    }
    return *this;
}

}  // namespace ui

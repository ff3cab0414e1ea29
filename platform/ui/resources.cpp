// A reader of the resource-script subset our programs use: DIALOG/DIALOGEX,
// MENU, ICON, BITMAP, STRINGTABLE, #define/#include/#ifdef. The system's
// constants are known here so the headless host needs no system header.
#include "platform/ui/resources.h"
#include "platform/os/text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace ui::res {
namespace {

const std::map<std::string, long>& systemConstants() {
    static const std::map<std::string, long> k = {
        {"WS_OVERLAPPED", 0}, {"WS_POPUP", 0x80000000L}, {"WS_CHILD", 0x40000000L},
        {"WS_MINIMIZE", 0x20000000L}, {"WS_VISIBLE", 0x10000000L}, {"WS_DISABLED", 0x08000000L},
        {"WS_CLIPSIBLINGS", 0x04000000L}, {"WS_CLIPCHILDREN", 0x02000000L},
        {"WS_MAXIMIZE", 0x01000000L}, {"WS_CAPTION", 0x00C00000L}, {"WS_BORDER", 0x00800000L},
        {"WS_DLGFRAME", 0x00400000L}, {"WS_VSCROLL", 0x00200000L}, {"WS_HSCROLL", 0x00100000L},
        {"WS_SYSMENU", 0x00080000L}, {"WS_THICKFRAME", 0x00040000L}, {"WS_GROUP", 0x00020000L},
        {"WS_TABSTOP", 0x00010000L}, {"WS_MINIMIZEBOX", 0x00020000L},
        {"WS_MAXIMIZEBOX", 0x00010000L},
        {"WS_EX_CLIENTEDGE", 0x200}, {"WS_EX_STATICEDGE", 0x20000}, {"WS_EX_APPWINDOW", 0x40000},
        {"WS_EX_TOOLWINDOW", 0x80}, {"WS_EX_TOPMOST", 8}, {"WS_EX_DLGMODALFRAME", 1},
        {"WS_EX_TRANSPARENT", 0x20}, {"WS_EX_CONTROLPARENT", 0x10000},
        {"DS_ABSALIGN", 1}, {"DS_SYSMODAL", 2}, {"DS_3DLOOK", 4}, {"DS_FIXEDSYS", 8},
        {"DS_NOFAILCREATE", 0x10}, {"DS_LOCALEDIT", 0x20}, {"DS_SETFONT", 0x40},
        {"DS_MODALFRAME", 0x80}, {"DS_NOIDLEMSG", 0x100}, {"DS_SETFOREGROUND", 0x200},
        {"DS_CONTROL", 0x400}, {"DS_CENTER", 0x800}, {"DS_CENTERMOUSE", 0x1000},
        {"DS_CONTEXTHELP", 0x2000}, {"DS_SHELLFONT", 0x48},
        {"BS_PUSHBUTTON", 0}, {"BS_DEFPUSHBUTTON", 1}, {"BS_CHECKBOX", 2}, {"BS_AUTOCHECKBOX", 3},
        {"BS_RADIOBUTTON", 4}, {"BS_3STATE", 5}, {"BS_AUTO3STATE", 6}, {"BS_GROUPBOX", 7},
        {"BS_USERBUTTON", 8}, {"BS_AUTORADIOBUTTON", 9}, {"BS_OWNERDRAW", 0xB},
        {"BS_LEFTTEXT", 0x20}, {"BS_ICON", 0x40}, {"BS_BITMAP", 0x80}, {"BS_LEFT", 0x100},
        {"BS_RIGHT", 0x200}, {"BS_CENTER", 0x300}, {"BS_TOP", 0x400}, {"BS_BOTTOM", 0x800},
        {"BS_VCENTER", 0xC00}, {"BS_PUSHLIKE", 0x1000}, {"BS_MULTILINE", 0x2000},
        {"BS_NOTIFY", 0x4000}, {"BS_FLAT", 0x8000},
        {"ES_LEFT", 0}, {"ES_CENTER", 1}, {"ES_RIGHT", 2}, {"ES_MULTILINE", 4},
        {"ES_UPPERCASE", 8}, {"ES_LOWERCASE", 0x10}, {"ES_PASSWORD", 0x20},
        {"ES_AUTOVSCROLL", 0x40}, {"ES_AUTOHSCROLL", 0x80}, {"ES_NOHIDESEL", 0x100},
        {"ES_OEMCONVERT", 0x400}, {"ES_READONLY", 0x800}, {"ES_WANTRETURN", 0x1000},
        {"ES_NUMBER", 0x2000},
        {"SS_LEFT", 0}, {"SS_CENTER", 1}, {"SS_RIGHT", 2}, {"SS_ICON", 3}, {"SS_BLACKRECT", 4},
        {"SS_GRAYRECT", 5}, {"SS_WHITERECT", 6}, {"SS_BLACKFRAME", 7}, {"SS_GRAYFRAME", 8},
        {"SS_WHITEFRAME", 9}, {"SS_SIMPLE", 0xB}, {"SS_LEFTNOWORDWRAP", 0xC},
        {"SS_BITMAP", 0xE}, {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDVERT", 0x11},
        {"SS_ETCHEDFRAME", 0x12}, {"SS_NOPREFIX", 0x80}, {"SS_NOTIFY", 0x100},
        {"SS_CENTERIMAGE", 0x200}, {"SS_REALSIZEIMAGE", 0x800}, {"SS_SUNKEN", 0x1000},
        {"LBS_NOTIFY", 1}, {"LBS_SORT", 2}, {"LBS_NOREDRAW", 4}, {"LBS_MULTIPLESEL", 8},
        {"LBS_OWNERDRAWFIXED", 0x10}, {"LBS_HASSTRINGS", 0x40}, {"LBS_USETABSTOPS", 0x80},
        {"LBS_NOINTEGRALHEIGHT", 0x100}, {"LBS_MULTICOLUMN", 0x200},
        {"LBS_WANTKEYBOARDINPUT", 0x400}, {"LBS_EXTENDEDSEL", 0x800},
        {"LBS_DISABLENOSCROLL", 0x1000}, {"LBS_NOSEL", 0x4000}, {"LBS_STANDARD", 0xA00003L},
        {"CBS_SIMPLE", 1}, {"CBS_DROPDOWN", 2}, {"CBS_DROPDOWNLIST", 3},
        {"CBS_OWNERDRAWFIXED", 0x10}, {"CBS_AUTOHSCROLL", 0x40}, {"CBS_OEMCONVERT", 0x80},
        {"CBS_SORT", 0x100}, {"CBS_HASSTRINGS", 0x200}, {"CBS_NOINTEGRALHEIGHT", 0x400},
        {"CBS_DISABLENOSCROLL", 0x800}, {"CBS_UPPERCASE", 0x2000}, {"CBS_LOWERCASE", 0x4000},
        {"LVS_ICON", 0}, {"LVS_REPORT", 1}, {"LVS_SMALLICON", 2}, {"LVS_LIST", 3},
        {"LVS_SINGLESEL", 4}, {"LVS_SHOWSELALWAYS", 8}, {"LVS_SORTASCENDING", 0x10},
        {"LVS_SORTDESCENDING", 0x20}, {"LVS_SHAREIMAGELISTS", 0x40}, {"LVS_NOLABELWRAP", 0x80},
        {"LVS_AUTOARRANGE", 0x100}, {"LVS_EDITLABELS", 0x200}, {"LVS_NOSCROLL", 0x2000},
        {"LVS_NOCOLUMNHEADER", 0x4000}, {"LVS_NOSORTHEADER", 0x8000},
        {"TVS_HASBUTTONS", 1}, {"TVS_HASLINES", 2}, {"TVS_LINESATROOT", 4},
        {"TVS_EDITLABELS", 8}, {"TVS_DISABLEDRAGDROP", 0x10}, {"TVS_SHOWSELALWAYS", 0x20},
        {"TVS_RTLREADING", 0x40}, {"TVS_NOTOOLTIPS", 0x80}, {"TVS_CHECKBOXES", 0x100},
        {"TVS_TRACKSELECT", 0x200}, {"TVS_SINGLEEXPAND", 0x400}, {"TVS_FULLROWSELECT", 0x1000},
        {"PBS_SMOOTH", 1}, {"PBS_VERTICAL", 4},
        {"SBS_HORZ", 0}, {"SBS_VERT", 1},
        {"IDOK", 1}, {"IDCANCEL", 2}, {"IDABORT", 3}, {"IDRETRY", 4}, {"IDIGNORE", 5},
        {"IDYES", 6}, {"IDNO", 7}, {"IDC_STATIC", -1},
        {"LANG_NEUTRAL", 0}, {"SUBLANG_NEUTRAL", 0}, {"LANG_ENGLISH", 9},
        {"SUBLANG_DEFAULT", 1}, {"SUBLANG_ENGLISH_US", 1},
    };
    return k;
}

const std::map<std::string, std::string>& classMacros() {
    static const std::map<std::string, std::string> k = {
        {"WC_LISTVIEW", "SysListView32"}, {"WC_LISTVIEWA", "SysListView32"},
        {"WC_TREEVIEW", "SysTreeView32"}, {"WC_TREEVIEWA", "SysTreeView32"},
        {"PROGRESS_CLASS", "msctls_progress32"}, {"PROGRESS_CLASSA", "msctls_progress32"},
        {"WC_BUTTON", "Button"}, {"WC_EDIT", "Edit"}, {"WC_STATIC", "Static"},
        {"WC_LISTBOX", "ListBox"}, {"WC_COMBOBOX", "ComboBox"},
    };
    return k;
}


// The canonical spelling of the window classes the hosts know.
std::string canonicalClass(const std::string& cls) {
    static const char* known[] = {"Button", "Edit", "Static", "ListBox", "ComboBox", "ScrollBar",
                                  "SysListView32", "SysTreeView32", "msctls_progress32"};
    for (const char* k : known)
        if (os::upperAscii(k) == os::upperAscii(cls)) return k;
    return cls;
}

struct Token {
    enum Kind { End, Name, Number, String, Punct } kind = End;
    std::string text;
    long value = 0;
    int line = 0;
};

class Parser {
public:
    Parser(const std::map<std::string, std::string>& files, ResourceSet& out) : files_(files), out_(out) {}

    void parseFile(const std::string& name) {
        auto it = files_.find(name);
        if (it == files_.end()) throw ResourceError(name + ": not found");
        if (++depth_ > 16) throw ResourceError(name + ": #include nested too deep");
        std::vector<Token> toks;
        lex(name, it->second, toks);
        toks_ = &toks;
        file_ = name;
        pos_ = 0;
        while (peek().kind != Token::End) statement();
        --depth_;
    }

private:
    const std::map<std::string, std::string>& files_;
    ResourceSet& out_;
    int depth_ = 0;
    std::vector<Token>* toks_ = nullptr;
    std::string file_;
    size_t pos_ = 0;

    [[noreturn]] void fail(const std::string& what, int line) const {
        throw ResourceError(file_ + ":" + std::to_string(line) + ": " + what);
    }

    static std::string dirOf(const std::string& name) {
        auto s = name.find_last_of('/');
        return s == std::string::npos ? "" : name.substr(0, s + 1);
    }

    std::string resolve(const std::string& from, std::string inc) const {
        for (auto& c : inc) if (c == '\\') c = '/';
        std::string path = dirOf(from) + inc;
        // fold "a/../"
        std::vector<std::string> parts;
        size_t start = 0;
        while (start <= path.size()) {
            size_t e = path.find('/', start);
            if (e == std::string::npos) e = path.size();
            std::string p = path.substr(start, e - start);
            if (p == "..") { if (!parts.empty()) parts.pop_back(); }
            else if (!p.empty() && p != ".") parts.push_back(p);
            start = e + 1;
        }
        std::string r;
        for (auto& p : parts) r += (r.empty() ? "" : "/") + p;
        if (files_.count(r)) return r;
        if (files_.count(inc)) return inc;
        return r;
    }

    // Preprocesses and tokenises; #include files are lexed in place.
    void lex(const std::string& name, const std::string& text, std::vector<Token>& toks) {
        std::vector<bool> cond;     // active state of each open #if
        auto active = [&] { for (bool b : cond) if (!b) return false; return true; };
        int line = 1;
        size_t i = 0, n = text.size();
        bool lineStart = true;
        while (i < n) {
            char c = text[i];
            if (c == '\n') { ++line; ++i; lineStart = true; continue; }
            if (std::isspace(static_cast<unsigned char>(c))) { ++i; continue; }
            if (c == '/' && i + 1 < n && text[i + 1] == '/') { while (i < n && text[i] != '\n') ++i; continue; }
            if (c == '/' && i + 1 < n && text[i + 1] == '*') {
                i += 2;
                while (i + 1 < n && !(text[i] == '*' && text[i + 1] == '/')) { if (text[i] == '\n') ++line; ++i; }
                i += 2;
                continue;
            }
            if (c == '#' && lineStart) {
                size_t e = text.find('\n', i);
                if (e == std::string::npos) e = n;
                std::string d = text.substr(i + 1, e - i - 1);
                if (!d.empty() && d.back() == '\r') d.pop_back();
                directive(name, d, line, cond, active(), toks);
                i = e;
                continue;
            }
            lineStart = false;
            if (!active()) { while (i < n && text[i] != '\n') ++i; continue; }
            Token t;
            t.line = line;
            if (c == '"') {
                t.kind = Token::String;
                ++i;
                while (i < n) {
                    if (text[i] == '"') {
                        if (i + 1 < n && text[i + 1] == '"') { t.text += '"'; i += 2; continue; }
                        ++i;
                        break;
                    }
                    if (text[i] == '\\' && i + 1 < n) {
                        char e = text[i + 1];
                        t.text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                        i += 2;
                        continue;
                    }
                    if (text[i] == '\n') throw ResourceError(name + ":" + std::to_string(line) + ": unterminated string");
                    t.text += text[i++];
                }
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                t.kind = Token::Number;
                size_t s = i;
                while (i < n && std::isalnum(static_cast<unsigned char>(text[i]))) ++i;
                t.text = text.substr(s, i - s);
                std::string digits = t.text;
                while (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l' ||
                                           digits.back() == 'U' || digits.back() == 'u')) digits.pop_back();
                char* end = nullptr;
                t.value = static_cast<long>(std::strtoul(digits.c_str(), &end, 0));
                if (!end || *end) throw ResourceError(name + ":" + std::to_string(line) + ": bad number " + t.text);
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                t.kind = Token::Name;
                size_t s = i;
                while (i < n && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) ++i;
                t.text = text.substr(s, i - s);
                if (t.text == "L" && i < n && text[i] == '"') continue;   // L"wide" strings
            } else {
                t.kind = Token::Punct;
                t.text = std::string(1, c);
                ++i;
            }
            toks.push_back(t);
        }
        if (!cond.empty()) throw ResourceError(name + ": #if without #endif");
    }

    void directive(const std::string& name, const std::string& d, int line, std::vector<bool>& cond,
                   bool active, std::vector<Token>& toks) {
        size_t p = d.find_first_not_of(" \t");
        if (p == std::string::npos) return;
        size_t e = d.find_first_of(" \t", p);
        std::string word = d.substr(p, e == std::string::npos ? std::string::npos : e - p);
        std::string rest = e == std::string::npos ? "" : d.substr(e);
        auto trim = [](std::string s) {
            size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t\r");
            return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
        };
        if (word != "include") {
            // A comment after the value ("#define IDC_X 1000  // note") is not part of it.
            size_t c = std::min(rest.find("//"), rest.find("/*"));
            if (c != std::string::npos) rest.erase(c);
        }
        rest = trim(rest);
        if (word == "ifdef" || word == "ifndef") {
            bool def = out_.symbols.count(rest) || systemConstants().count(rest);
            cond.push_back(word == "ifdef" ? def : !def);
        } else if (word == "if") {
            char* end = nullptr;
            long v = std::strtol(rest.c_str(), &end, 0);
            cond.push_back(end != rest.c_str() && v != 0);
        } else if (word == "else") {
            if (cond.empty()) throw ResourceError(name + ":" + std::to_string(line) + ": #else without #if");
            cond.back() = !cond.back();
        } else if (word == "endif") {
            if (cond.empty()) throw ResourceError(name + ":" + std::to_string(line) + ": #endif without #if");
            cond.pop_back();
        } else if (!active) {
            return;
        } else if (word == "include") {
            if (rest.size() > 2 && rest.front() == '"') {
                std::string inc = resolve(name, rest.substr(1, rest.find('"', 1) - 1));
                auto it = files_.find(inc);
                if (it == files_.end())
                    throw ResourceError(name + ":" + std::to_string(line) + ": cannot find " + rest);
                if (++depth_ > 16) throw ResourceError(name + ": #include nested too deep");
                lex(inc, it->second, toks);
                --depth_;
            }
        } else if (word == "define") {
            std::string sym = rest.substr(0, rest.find_first_of(" \t("));
            std::string val = trim(rest.substr(sym.size()));
            while (!val.empty() && val.front() == '(' && val.back() == ')') val = trim(val.substr(1, val.size() - 2));
            while (!val.empty() && (val.back() == 'L' || val.back() == 'U')) val.pop_back();
            char* end = nullptr;
            long v = static_cast<long>(std::strtoul(val.c_str(), &end, 0));
            if (!val.empty() && end && !*end) out_.symbols[sym] = v;
            else if (out_.symbols.count(val)) out_.symbols[sym] = out_.symbols[val];
        }
    }

    const Token& peek(size_t ahead = 0) const {
        static const Token end;
        return pos_ + ahead < toks_->size() ? (*toks_)[pos_ + ahead] : end;
    }
    Token next() {
        Token t = peek();
        if (pos_ < toks_->size()) ++pos_;
        return t;
    }
    bool isWord(const Token& t, const char* w) const { return t.kind == Token::Name && os::upperAscii(t.text) == w; }
    bool isPunct(const Token& t, char c) const { return t.kind == Token::Punct && t.text[0] == c; }
    void comma() { if (isPunct(peek(), ',')) next(); }
    bool isBegin(const Token& t) const { return isWord(t, "BEGIN") || isPunct(t, '{'); }
    bool isEnd(const Token& t) const { return isWord(t, "END") || isPunct(t, '}'); }

    long lookup(const Token& t) const {
        auto s = out_.symbols.find(t.text);
        if (s != out_.symbols.end()) return s->second;
        auto k = systemConstants().find(t.text);
        if (k != systemConstants().end()) return k->second;
        fail("unknown name " + t.text, t.line);
    }

    long primary() {
        Token t = next();
        if (t.kind == Token::Number) return t.value;
        if (t.kind == Token::Name) return lookup(t);
        if (isPunct(t, '(')) { long v = expr(); if (!isPunct(next(), ')')) fail("expected )", t.line); return v; }
        if (isPunct(t, '-')) return -primary();
        if (isPunct(t, '~')) return ~primary();
        fail("expected a number, found '" + t.text + "'", t.line);
    }
    // a | b | NOT c ...: returns the bits set and collects the NOT bits.
    long expr(long* notBits = nullptr) {
        long v = 0;
        bool first = true;
        for (;;) {
            if (!first) {
                if (isPunct(peek(), '|') || isPunct(peek(), '+')) next();
                else break;
            }
            first = false;
            if (isWord(peek(), "NOT")) {
                next();
                long b = primary();
                if (notBits) *notBits |= b;
                v &= ~b;
            } else {
                v |= primary();
            }
        }
        return v;
    }
    int number() { return static_cast<int>(expr()); }

    void skipBlock() {
        while (peek().kind != Token::End && !isBegin(peek())) next();
        if (peek().kind == Token::End) return;
        int depth = 0;
        do {
            Token t = next();
            if (isBegin(t)) ++depth;
            else if (isEnd(t)) --depth;
            else if (t.kind == Token::End) fail("BEGIN without END", t.line);
        } while (depth > 0);
    }

    void statement() {
        Token t = next();
        if (isWord(t, "LANGUAGE")) { number(); comma(); number(); return; }
        if (isWord(t, "STRINGTABLE")) { stringTable(); return; }
        if (t.kind != Token::Name && t.kind != Token::Number && t.kind != Token::String)
            fail("expected a resource, found '" + t.text + "'", t.line);
        long id = t.kind == Token::Number ? t.value : t.kind == Token::Name ? (out_.symbols.count(t.text) ? out_.symbols[t.text] : -1) : -1;
        Token type = next();
        std::string kind = os::upperAscii(type.text);
        if (kind == "DIALOG" || kind == "DIALOGEX") {
            if (id < 0) fail("unknown dialog id " + t.text, t.line);
            dialog(static_cast<int>(id), t.line);
        } else if (kind == "MENU" || kind == "MENUEX") {
            if (id < 0) fail("unknown menu id " + t.text, t.line);
            Menu m;
            m.id = static_cast<int>(id);
            while (!isBegin(peek()) && peek().kind != Token::End) next();
            menuItems(m.items);
            out_.menus[m.id] = m;
        } else if (kind == "ICON" || kind == "BITMAP" || kind == "CURSOR") {
            while (peek().kind == Token::Name && !isResourceStart()) next();   // memory options
            next();                                                          // the file
            if (id >= 0) (kind == "ICON" ? out_.icons : out_.bitmaps).insert(static_cast<int>(id));
        } else {
            skipBlock();
        }
    }
    bool isResourceStart() const {
        return false;
    }

    void stringTable() {
        while (!isBegin(peek())) { if (peek().kind == Token::End) fail("STRINGTABLE without BEGIN", 0); next(); }
        next();
        while (!isEnd(peek())) {
            int id = number();
            comma();
            Token s = next();
            if (s.kind != Token::String) fail("expected a string", s.line);
            out_.strings[id] = s.text;
        }
        next();
    }

    void menuItems(std::vector<MenuItem>& items) {
        Token b = next();
        if (!isBegin(b)) fail("expected BEGIN", b.line);
        while (!isEnd(peek())) {
            Token t = next();
            if (t.kind == Token::End) fail("menu without END", t.line);
            MenuItem item;
            if (isWord(t, "MENUITEM")) {
                if (isWord(peek(), "SEPARATOR")) { next(); item.separator = true; items.push_back(item); continue; }
                Token s = next();
                if (s.kind != Token::String) fail("expected the item's text", s.line);
                item.text = s.text;
                comma();
                item.id = number();
                options(item);
            } else if (isWord(t, "POPUP")) {
                Token s = next();
                if (s.kind != Token::String) fail("expected the popup's text", s.line);
                item.text = s.text;
                options(item);
                menuItems(item.popup);
            } else {
                fail("expected MENUITEM or POPUP, found '" + t.text + "'", t.line);
            }
            items.push_back(item);
        }
        next();
    }
    void options(MenuItem& item) {
        while (isPunct(peek(), ',') || (peek().kind == Token::Name && !isBegin(peek()) && !isEnd(peek()) &&
                                        !isWord(peek(), "MENUITEM") && !isWord(peek(), "POPUP"))) {
            Token o = next();
            if (isWord(o, "GRAYED") || isWord(o, "INACTIVE")) item.grayed = true;
        }
    }

    void dialog(int id, int line) {
        DialogTemplate d;
        d.id = id;
        d.file = file_;
        d.x = number(); comma(); d.y = number(); comma(); d.cx = number(); comma(); d.cy = number();
        if (isPunct(peek(), ',')) { next(); number(); }   // help id
        d.style = 0x80000000L | 0x00C00000L | 0x00080000L;   // WS_POPUP | WS_CAPTION | WS_SYSMENU
        for (;;) {
            Token t = peek();
            if (isBegin(t)) break;
            if (t.kind == Token::End) fail("dialog without BEGIN", line);
            next();
            std::string w = os::upperAscii(t.text);
            if (w == "STYLE") d.style = static_cast<std::uint32_t>(expr());
            else if (w == "EXSTYLE") d.exStyle = static_cast<std::uint32_t>(expr());
            else if (w == "CAPTION") { Token s = next(); if (s.kind != Token::String) fail("expected the caption", s.line); d.caption = s.text; }
            else if (w == "FONT") {
                d.fontSize = number(); comma();
                Token s = next();
                if (s.kind != Token::String) fail("expected the font name", s.line);
                d.font = s.text;
                while (isPunct(peek(), ',')) { next(); number(); }
            } else if (w == "MENU") d.menu = number();
            else if (w == "CLASS") next();
            else if (w == "LANGUAGE") { number(); comma(); number(); }
            else if (w == "CHARACTERISTICS" || w == "VERSION") number();
            else fail("unexpected '" + t.text + "' in dialog " + std::to_string(id), t.line);
        }
        next();
        while (!isEnd(peek())) {
            if (peek().kind == Token::End) fail("dialog without END", line);
            d.controls.push_back(control());
        }
        next();
        out_.dialogs[id] = d;
    }

    std::string textOrId() {
        Token s = peek();
        if (s.kind == Token::String) { next(); return s.text; }
        return std::to_string(number());
    }

    Control control() {
        Token t = next();
        std::string w = os::upperAscii(t.text);
        Control c;
        const std::uint32_t childVisible = 0x40000000L | 0x10000000L;
        const std::uint32_t tab = 0x00010000L, group = 0x00020000L, border = 0x00800000L;
        struct Kind { const char* word; const char* cls; std::uint32_t style; bool hasText; };
        static const Kind kinds[] = {
            {"LTEXT", "Static", 0 | group, true}, {"RTEXT", "Static", 2 | group, true},
            {"CTEXT", "Static", 1 | group, true}, {"PUSHBUTTON", "Button", 0 | tab, true},
            {"DEFPUSHBUTTON", "Button", 1 | tab, true}, {"CHECKBOX", "Button", 2 | tab, true},
            {"AUTOCHECKBOX", "Button", 3 | tab, true}, {"RADIOBUTTON", "Button", 4, true},
            {"AUTORADIOBUTTON", "Button", 9, true}, {"STATE3", "Button", 5 | tab, true},
            {"AUTO3STATE", "Button", 6 | tab, true}, {"GROUPBOX", "Button", 7, true},
            {"PUSHBOX", "Button", 0xA | tab, true}, {"EDITTEXT", "Edit", border | tab, false},
            {"LISTBOX", "ListBox", 1 | border, false}, {"COMBOBOX", "ComboBox", 0, false},
            {"SCROLLBAR", "ScrollBar", 0, false},
        };
        if (w == "CONTROL") {
            c.text = textOrId(); comma();
            c.id = number(); comma();
            Token cls = next();
            if (cls.kind == Token::String) c.cls = canonicalClass(cls.text);
            else if (classMacros().count(cls.text)) c.cls = classMacros().at(cls.text);
            else fail("expected a control class, found '" + cls.text + "'", cls.line);
            comma();
            long notBits = 0;
            c.style = static_cast<std::uint32_t>((expr(&notBits) | childVisible) & ~notBits);
            comma();
            c.x = number(); comma(); c.y = number(); comma(); c.cx = number(); comma(); c.cy = number();
            if (isPunct(peek(), ',')) { next(); c.exStyle = static_cast<std::uint32_t>(expr()); }
            return c;
        }
        if (w == "ICON") {
            c.cls = "Static";
            c.text = textOrId(); comma();
            c.id = number(); comma();
            c.x = number(); comma(); c.y = number();
            c.style = childVisible | 3;
            if (isPunct(peek(), ',')) { next(); c.cx = number(); comma(); c.cy = number(); }
            if (isPunct(peek(), ',')) { next(); c.style |= static_cast<std::uint32_t>(expr()); }
            return c;
        }
        for (const Kind& k : kinds) {
            if (w != k.word) continue;
            c.cls = k.cls;
            if (k.hasText) { c.text = textOrId(); comma(); }
            c.id = number(); comma();
            c.x = number(); comma(); c.y = number(); comma(); c.cx = number(); comma(); c.cy = number();
            long notBits = 0;
            long extra = 0;
            if (isPunct(peek(), ',')) { next(); extra = expr(&notBits); }
            c.style = static_cast<std::uint32_t>((k.style | childVisible | extra) & ~notBits);
            if (isPunct(peek(), ',')) { next(); c.exStyle = static_cast<std::uint32_t>(expr()); }
            return c;
        }
        fail("expected a control, found '" + t.text + "'", t.line);
    }
};

struct Registry {
    std::mutex lock;
    std::vector<std::pair<std::string, std::vector<EmbeddedFile>>> programs;
    std::unique_ptr<ResourceSet> parsed;
};
Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

void parseRc(const std::map<std::string, std::string>& files, const std::vector<std::string>& roots,
             ResourceSet& out) {
    // Headers first, so every .rc sees the ids however it includes them.
    for (const auto& root : roots) {
        Parser p(files, out);
        p.parseFile(root);
    }
}

void registerProgram(const char* program, const EmbeddedFile* files, std::size_t count) {
    Registry& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    r.programs.emplace_back(program, std::vector<EmbeddedFile>(files, files + count));
    r.parsed.reset();
}

const ResourceSet& resources() {
    Registry& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    if (!r.parsed) {
        auto set = std::make_unique<ResourceSet>();
        for (const auto& [program, files] : r.programs) {
            std::map<std::string, std::string> texts;
            std::vector<std::string> roots;
            for (const auto& f : files) {
                texts[f.name] = f.text;
                if (f.root) roots.push_back(f.name);
            }
            try {
                parseRc(texts, roots, *set);
            } catch (const ResourceError& e) {
                throw ResourceError(program + ("/" + std::string(e.what())));
            }
        }
        r.parsed = std::move(set);
    }
    return *r.parsed;
}

long symbol(const std::string& s) {
    if (s.empty()) return -1;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 0);
    if (end && !*end) return v;
    const auto& syms = resources().symbols;
    auto it = syms.find(s);
    if (it != syms.end()) return it->second;
    auto k = systemConstants().find(s);
    return k == systemConstants().end() ? -1 : k->second;
}

}  // namespace ui::res

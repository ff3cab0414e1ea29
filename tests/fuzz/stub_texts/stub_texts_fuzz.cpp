// The working texts a package carries, as install.exe reads them: option.txt,
// registry.txt, shortcuts.txt and the services text. What each reader takes
// from any bytes, written again in its format, reads back the same.
#include "stub/texts.h"
#include "tests/fuzz/common/fuzz.h"

using namespace stub;

namespace {

const char* const kSections[] = {"PROMPT", "WELCOME", "LICENSE", "PASSWORD", "README"};

void options(const std::string& text) {
    Options o;
    if (!parseOptions(text, o)) return;
    const OptionSection* s[] = {&o.prompt, &o.welcome, &o.license, &o.password, &o.readme};
    std::string again;
    for (int i = 0; i < 5; ++i) {
        if (s[i]->on)
            again += std::string("YES_") + kSections[i] + "_SECTION\r\n" + s[i]->value + "\r\n\r\n";
        else
            again += std::string("NO_") + kSections[i] + "_SECTION\r\n\r\n";
    }
    Options back;
    BW_FUZZ_CHECK(parseOptions(again, back));
    const OptionSection* b[] = {&back.prompt, &back.welcome, &back.license, &back.password, &back.readme};
    for (int i = 0; i < 5; ++i) BW_FUZZ_CHECK(b[i]->on == s[i]->on && b[i]->value == s[i]->value);
}

void registry(const std::string& text) {
    const std::vector<RegInstruction> in = parseRegistry(text);
    std::string again, root;
    for (const RegInstruction& r : in) {
        BW_FUZZ_CHECK(!r.root.empty() && !r.key.empty());
        if (r.root != root) again += "*Default_Root`" + r.root + "\r\n";
        root = r.root;
        if (r.op == RegOp::AddKey)
            again += "*AddKey`" + r.key + "\r\n";
        else
            again += std::string(r.op == RegOp::SetValue ? "*SetKeyValue`" : "*AppendKeyValue`") + r.key + "`" +
                     r.name + "`" + r.data + "\r\n";
    }
    const std::vector<RegInstruction> back = parseRegistry(again);
    BW_FUZZ_CHECK(back.size() == in.size());
    for (size_t i = 0; i < in.size(); ++i)
        BW_FUZZ_CHECK(back[i].root == in[i].root && back[i].op == in[i].op && back[i].key == in[i].key &&
                      back[i].name == in[i].name && back[i].data == in[i].data);
}

void shortcuts(const std::string& text) {
    const std::vector<ShortcutLine> in = parseShortcuts(text);
    std::string again;
    for (const ShortcutLine& s : in) {
        BW_FUZZ_CHECK(!s.location.empty());
        if (s.folder)
            again += "create_shortcut_dir`" + s.location + "\r\n";
        else
            again += "add_shortcut`" + s.target + "`" + s.location + "`" + s.description + "`" + s.arguments + "\r\n";
    }
    const std::vector<ShortcutLine> back = parseShortcuts(again);
    BW_FUZZ_CHECK(back.size() == in.size());
    for (size_t i = 0; i < in.size(); ++i)
        BW_FUZZ_CHECK(back[i].folder == in[i].folder && back[i].location == in[i].location &&
                      (in[i].folder || (back[i].target == in[i].target && back[i].description == in[i].description &&
                                        back[i].arguments == in[i].arguments)));
}

void services(const std::string& text) {
    const std::vector<ServiceLine> in = parseServices(text);
    std::string again;
    for (const ServiceLine& s : in) {
        BW_FUZZ_CHECK(!s.executable.empty() && !s.name.empty());
        again += s.executable + "~" + s.name + "~" + s.displayName + "\r\n";
    }
    const std::vector<ServiceLine> back = parseServices(again);
    BW_FUZZ_CHECK(back.size() == in.size());
    for (size_t i = 0; i < in.size(); ++i)
        BW_FUZZ_CHECK(back[i].executable == in[i].executable && back[i].name == in[i].name &&
                      back[i].displayName == in[i].displayName);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string text = bwfuzz::bytes(data, size);
    options(text);
    registry(text);
    shortcuts(text);
    services(text);
    return 0;
}

void bwfuzz::seeds(std::vector<std::string>& out) {
    out = {
        "NO_PROMPT_SECTION\r\n\r\nNO_WELCOME_SECTION\r\n\r\nNO_LICENSE_SECTION\r\n\r\nNO_PASSWORD_SECTION\r\n\r\n"
        "NO_README_SECTION\r\n\r\n",
        "YES_PROMPT_SECTION\r\nInstall?\r\n\r\nYES_WELCOME_SECTION\r\ndefault\r\n\r\nYES_LICENSE_SECTION\r\n"
        "Terms\r\n\r\nwith a blank line\r\n\r\nYES_PASSWORD_SECTION\r\nsecret\r\n\r\nYES_README_SECTION\r\n\\README.TXT\r\n\r\n",
        "*Default_Root`HKEY_LOCAL_MACHINE\r\n*AddKey`Software\\Acme\r\n*SetKeyValue`Software\\Acme`Path`C:\\Acme\r\n"
        "*Default_Root`HKEY_CURRENT_USER\r\n*AppendKeyValue`Environment`PATH`;C:\\Acme\\bin\r\n",
        "create_shortcut_dir`Desktop\\Start Menu\\Programs\\Acme\r\n"
        "add_shortcut`C:\\Acme\\a.exe`Desktop\\Start Menu\\Programs\\Acme\\A.lnk`Run A`-x\r\n",
        "acme.exe~AcmeSvc~Acme service\r\nbin\\b.exe~BSvc~B\r\n",
    };
}

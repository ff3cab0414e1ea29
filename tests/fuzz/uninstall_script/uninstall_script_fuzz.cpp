// The uninstall script, the failure list and the installation record on
// any bytes. A script that parses whole is written again from what was
// read and parses to the same lists; no path comes out longer than it went
// in or cut anywhere but at a trailing ".bz2".
#include "platform/os/install_record.h"
#include "platform/os/text.h"
#include "tests/fuzz/common/fuzz.h"
#include "uninstaller/uninstall_script.h"

using namespace uninstaller;

namespace {

bool endsWithBz2(const std::string& s) {
    return s.size() > 4 && os::endsWithNoCase(s, ".bz2");
}

std::string scriptBytes(const UninstallScript& s, const std::vector<std::string>& files) {
    ScriptWriter w;
    w.add(s.program);
    w.add(s.commandLine);
    for (const std::string& f : files) w.add(f);
    if (s.registryRecords.empty()) {
        w.add(kNoRegistry);
    } else {
        w.add(kRegistryBegin);
        for (const std::string& r : s.registryRecords) w.add(r);
        w.add(kRegistryEnd);
    }
    if (s.shortcuts.empty()) {
        w.add(kNoShortcuts);
    } else {
        w.add("**SHORTCUTS_DETAILS**");
        for (const std::string& l : s.shortcuts) w.add(l);
        w.add(kShortcutsEnd);
    }
    if (s.hasServices) {
        w.add(kServicesBegin);
        for (const std::string& n : s.services) w.add(n);
        w.add(kServicesEnd);
    } else {
        w.add(kNoServices);
    }
    for (const std::string& d : s.directories) w.add(d);
    w.add(kScriptEnd);
    return w.bytes;
}

void checkScript(const std::string& bytes) {
    const UninstallScript s = parseUninstallScript(bytes);
    size_t strings = 0, chars = 0;
    auto count = [&](const std::string& x) {
        BW_FUZZ_CHECK(x.find('\0') == std::string::npos);
        ++strings;
        chars += x.size();
    };
    count(s.program);
    count(s.commandLine);
    for (const auto& x : s.files) count(x);
    for (const auto& x : s.registryRecords) count(x);
    for (const auto& x : s.shortcuts) count(x);
    for (const auto& x : s.services) count(x);
    for (const auto& x : s.directories) count(x);
    BW_FUZZ_CHECK(chars + strings <= bytes.size() + 2);   // program and command line may be absent
    if (!s.complete) return;
    BW_FUZZ_CHECK(s.hasServices || s.services.empty());

    // Written with every file given back its ".bz2" where it may have had one,
    // and once as read: both parse to the same script. A name that is a
    // section marker once its ".bz2" is cut can only be written with the
    // suffix (the stub writes full paths, which never are markers).
    std::vector<std::string> packed;
    for (const std::string& f : s.files) packed.push_back(f + ".bz2");
    auto isMarker = [](const std::string& f) {
        for (const char* m : {kNoRegistry, kRegistryBegin, kRegistryEnd, kNoShortcuts, "**SHORTCUTS_DETAILS**",
                              kShortcutsEnd, kServicesBegin, kServicesEnd, kNoServices, kScriptEnd})
            if (os::equalsNoCase(f, m)) return true;
        return false;
    };
    bool markerNamed = false;
    for (const std::string& f : s.files) markerNamed = markerNamed || isMarker(f);
    for (const auto& files : {s.files, packed}) {
        if (markerNamed && &files != &packed && files == s.files) continue;
        const UninstallScript again = parseUninstallScript(scriptBytes(s, files));
        BW_FUZZ_CHECK(again.complete);
        BW_FUZZ_CHECK(again.program == s.program && again.commandLine == s.commandLine);
        BW_FUZZ_CHECK(again.files.size() == s.files.size());
        for (size_t i = 0; i < s.files.size(); ++i)
            BW_FUZZ_CHECK(again.files[i] == cutCompressedSuffix(files[i]));
        BW_FUZZ_CHECK(again.registryRecords == s.registryRecords);
        BW_FUZZ_CHECK(again.shortcuts == s.shortcuts);
        BW_FUZZ_CHECK(again.hasServices == s.hasServices && again.services == s.services);
        BW_FUZZ_CHECK(again.directories == s.directories);
    }
}

void checkFailureList(const std::string& bytes) {
    const FailureList l = parseFailureList(bytes);
    ScriptWriter w;
    for (const std::string& f : l.files) w.add(f);
    w.add(kFailedDirectories);
    for (const std::string& d : l.directories) w.add(d);
    w.add(kFailedEnd);
    const FailureList again = parseFailureList(w.bytes);
    BW_FUZZ_CHECK(again.files == l.files && again.directories == l.directories);
}

// The installation record beside the script: one that parses is written
// again into bytes that parse to the same record and write the same bytes.
void checkRecord(const std::string& bytes) {
    wzr::InstallRecord r;
    if (!wzr::parseRecord(bytes, r)) return;
    const std::string again = wzr::renderRecord(r);
    wzr::InstallRecord back;
    BW_FUZZ_CHECK(wzr::parseRecord(again, back));
    BW_FUZZ_CHECK(wzr::renderRecord(back) == again);
    BW_FUZZ_CHECK(back.product == r.product && back.kept.size() == r.kept.size() && back.values.size() == r.values.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string bytes = bwfuzz::bytes(data, size);
    checkScript(bytes);
    checkFailureList(bytes);
    checkRecord(bytes);
    // The suffix is cut only where it ends the path.
    const std::string cut = cutCompressedSuffix(bytes);
    BW_FUZZ_CHECK(bytes.compare(0, cut.size(), cut) == 0);
    BW_FUZZ_CHECK(cut.size() == bytes.size() || (endsWithBz2(bytes) && cut.size() + 4 == bytes.size()));
    return 0;
}

void bwfuzz::seeds(std::vector<std::string>& out) {
    ScriptWriter full;
    for (const char* s : {"C:\\Acme\\pre.exe", "-quiet", "C:\\Acme\\a.txt.bz2", "C:\\my.bz2files\\b.txt",
                          kRegistryBegin, "HKEY_CURRENT_USER`Software\\Acme`", "~HKEY_CURRENT_USER`Environment`PATH`;C:\\Acme",
                          kRegistryEnd, "**SHORTCUTS_DETAILS**", "C:\\Users\\u\\Desktop\\Acme.lnk", kShortcutsEnd,
                          kServicesBegin, "AcmeSvc", kServicesEnd, "C:\\Acme\\sub", "C:\\Acme", kScriptEnd})
        full.add(s);
    ScriptWriter bare;
    for (const char* s : {" ", " ", "C:\\P\\x.dll", kNoRegistry, kNoShortcuts, "C:\\P", kScriptEnd}) bare.add(s);
    ScriptWriter failures;
    for (const char* s : {"C:\\P\\locked.dll", kFailedDirectories, "C:\\P", kFailedEnd}) failures.add(s);
    wzr::InstallRecord record;
    record.company = "Acme";
    record.product = "Widget";
    record.kept = {{"C:\\Acme\\a.txt", "C:\\Acme\\Uninstall.kept\\0"}};
    record.values = {{"HKEY_CURRENT_USER", "Software\\Acme", "Ver", 1, std::string("1.0\0", 4)}};
    record.appended = {{"HKEY_LOCAL_MACHINE", "SYSTEM\\Env", "Path"}};
    out = {full.bytes, bare.bytes, bare.bytes.substr(0, bare.bytes.size() - 3), failures.bytes, wzr::renderRecord(record)};
}

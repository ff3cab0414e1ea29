// The stub's entry-name check: whatever name a package gives, an accepted
// name reaches only a place inside the destination, as Windows resolves it.
#include <cstring>

#include "stub/paths.h"
#include "tests/fuzz/common/fuzz.h"

namespace {

const char kDestination[] = "C:\\Program Files\\Acme";

// Windows' own reading of a path component: trailing dots and blanks go.
std::string asWindowsReadsIt(std::string c) {
    while (!c.empty() && (c.back() == '.' || c.back() == ' ')) c.pop_back();
    return c;
}

void checkAccepted(const std::string& name, const std::string& rel) {
    BW_FUZZ_CHECK(!rel.empty());
    BW_FUZZ_CHECK(rel.find_first_of(":/") == std::string::npos);
    BW_FUZZ_CHECK(rel.front() != '\\');
    // The name without its optional leading separator, with '/' read as '\'.
    std::string expected = name;
    for (char& ch : expected)
        if (ch == '/') ch = '\\';
    if (!expected.empty() && expected.front() == '\\') expected.erase(0, 1);
    BW_FUZZ_CHECK(rel == expected);

    // Walk the joined path as Windows resolves it: it never climbs out, and
    // no component is one that Windows would read as another name.
    const std::string full = stub::joinPath(kDestination, rel);
    const std::string base = std::string(kDestination) + "\\";
    BW_FUZZ_CHECK(full.compare(0, base.size(), base) == 0);
    int depth = 0;
    size_t pos = base.size();
    for (;;) {
        size_t at = full.find('\\', pos);
        std::string comp = full.substr(pos, at == std::string::npos ? std::string::npos : at - pos);
        std::string read = asWindowsReadsIt(comp);
        BW_FUZZ_CHECK(!read.empty());
        BW_FUZZ_CHECK(read == comp);
        BW_FUZZ_CHECK(comp != "." && comp != "..");
        for (unsigned char ch : comp) BW_FUZZ_CHECK(ch >= 32 && !std::strchr("<>\"|?*", ch));
        ++depth;
        if (at == std::string::npos) break;
        pos = at + 1;
    }
    BW_FUZZ_CHECK(depth >= 1);

    // Accepting is stable: the relative form is accepted as itself.
    std::string again, why;
    BW_FUZZ_CHECK(stub::safeRelative(rel, again, why));
    BW_FUZZ_CHECK(again == rel);
    std::string parent = stub::parentOf(full);
    BW_FUZZ_CHECK(parent.size() >= std::strlen(kDestination) && parent.compare(0, std::strlen(kDestination), kDestination) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const std::string name = bwfuzz::bytes(data, size);
    std::string rel, why;
    if (stub::safeRelative(name, rel, why)) {
        checkAccepted(name, rel);
    } else {
        BW_FUZZ_CHECK(!why.empty());
        BW_FUZZ_CHECK(rel.empty());
    }
    return 0;
}

void bwfuzz::seeds(std::vector<std::string>& out) {
    out = {"\\UnBundlewright.exe", "\\bin\\tool.exe.bz2", "\\docs\\temp$.bz2", "readme.txt",
           "a\\b\\c.dll", "..\\evil.exe", "a\\..\\..\\evil.exe", "C:\\Windows\\evil.exe",
           "\\\\server\\share\\x", "file.txt:stream", "CON", "com1.txt", "trailing.", "blank ",
           "a/b/c", "x\\\\y", "lpt0.txt", std::string("nul\0x", 5)};
}

// bench_package FOLDER STUB UNINSTALLER PACKAGE.exe STREAMS: builds a plain
// package (every file below FOLDER, nothing else) fronted by the real stub
// STUB, then writes the package's compressed streams, one after another, to
// STREAMS: what `bzip2 -dc` decodes in the install benchmark's same run.
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_tree.h"
#include "platform/os/text.h"
#include "stub/package_reader.h"

namespace {

// Every optional window off: the install asks nothing.
const char kNoOptions[] =
    "NO_PROMPT_SECTION\r\n\r\nNO_WELCOME_SECTION\r\n\r\nNO_LICENSE_SECTION\r\n\r\n"
    "NO_PASSWORD_SECTION\r\n\r\nNO_README_SECTION\r\n\r\n";

bool writeFile(const std::string& path, const std::string& bytes) { return os::writeWholeFile(path, bytes); }

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "bench_package: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: bench_package FOLDER STUB UNINSTALLER PACKAGE.exe STREAMS\n");
        return 2;
    }
    std::string source = os::windowsPath(argv[1]);
    while (source.size() > 3 && source.back() == '\\') source.pop_back();
    std::string output = os::windowsPath(argv[4]);
    std::string work = output + ".work";
    os::createDirectories(work);

    bench::Tree tree;
    bench::walk(source, tree);

    builder::BuildRequest r = bench::request(source, work, tree);
    r.stub_path = os::windowsPath(argv[2]);
    r.uninstaller_path = os::windowsPath(argv[3]);
    r.output_path = output;
    if (!writeFile(r.list_file_path, tree.list) || !writeFile(r.option_file_path, kNoOptions) ||
        !writeFile(work + "\\English.txt", "English\r\n"))
        return fail("cannot write into " + work);
    bench::Quiet q;
    builder::BuildResult result = builder::PackageBuilder(q).build(r);
    if (!result.ok()) return fail("build failed: " + result.failure.text);
    for (const char* f : {"\\list.txt", "\\option.txt", "\\registry.txt", "\\shortcuts.txt", "\\English.txt"})
        os::deleteFile(work + f);
    os::removeDirectory(work);

    // The compressed streams, as the stub finds them.
    FILE* in = os::openFile(output, "rb");
    os::FileStat st;
    stub::Package pkg;
    std::string error;
    if (!in || !os::statPath(output, st) || !stub::readPackage(in, st.size, pkg, error))
        return fail("cannot read the package back: " + error);
    FILE* out = os::openFile(os::windowsPath(argv[5]), "wb");
    if (!out) return fail(std::string("cannot write ") + argv[5]);
    size_t streams = 0;
    uint64_t packed = 0;
    for (const stub::Entry& e : pkg.entries) {
        if (!endsWith(e.name, package::kCompressedSuffix) || endsWith(e.name, package::kDirectoryEntrySuffix)) continue;
        if (!stub::copyRange(in, e.offset, e.size,
                             [&](const char* d, size_t n) { return std::fwrite(d, 1, n, out) == n; }))
            return fail("cannot copy the stream of " + e.name);
        ++streams;
        packed += e.size;
    }
    std::fclose(in);
    if (std::fclose(out) != 0) return fail(std::string("cannot write ") + argv[5]);
    std::printf("package %s: %zu files, %.1f MB, %zu streams of %.1f MB\n", argv[4], tree.files.size(), tree.bytes / 1e6, streams,
                packed / 1e6);
    return 0;
}

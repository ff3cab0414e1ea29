// What both benchmarks build a package from: every file below a folder, as
// the file list page lists them, and a build request around that list.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "builder/package_builder.h"
#include "platform/os/os.h"

namespace bench {

struct Quiet : builder::BuildProgress {
    void onStatus(const std::string&) override {}
    void onProgress(int) override {}
    void onWait(unsigned) override {}
};

struct Tree {
    std::vector<std::string> files;
    std::string list;   // list.txt: one line a file, "temp$" for a folder without files
    uint64_t bytes = 0;
};

inline void walk(const std::string& folder, Tree& t) {
    std::vector<os::DirEntry> entries;
    if (!os::listFolder(folder, entries)) return;
    int own = 0;
    for (const auto& e : entries)
        if (!e.isDirectory) {
            t.files.push_back(folder + "\\" + e.name);
            t.list += folder + "\\" + e.name + "\r\n";
            t.bytes += e.size;
            ++own;
        }
    if (own == 0) t.list += folder + "\\temp$\r\n";
    for (const auto& e : entries)
        if (e.isDirectory && e.name != "." && e.name != "..") walk(folder + "\\" + e.name, t);
}

// The request for `tree` below `source`, its working files in `work`.
inline builder::BuildRequest request(const std::string& source, const std::string& work, const Tree& tree) {
    builder::BuildRequest r;
    r.source_folder = source;
    r.list_file_path = work + "\\list.txt";
    r.option_file_path = work + "\\option.txt";
    r.registry_file_path = work + "\\registry.txt";
    r.shortcuts_file_path = work + "\\shortcuts.txt";
    r.lang_dir = work + "\\";
    r.product_name = "Benchmark";
    r.file_count = static_cast<int>(tree.files.size());
    r.required_space = static_cast<double>(tree.bytes);
    return r;
}

}  // namespace bench

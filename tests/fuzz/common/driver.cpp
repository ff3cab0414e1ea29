// The fuzz targets without libFuzzer:
//   TARGET --write-seeds DIR   writes the seed corpus into DIR
//   TARGET [FILE|DIR]...       runs the seeds, then every input named (a
//                              folder: each file in it), e.g. saved crashes
// A broken invariant or a sanitizer report ends it with a failure.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "tests/fuzz/common/fuzz.h"

namespace fs = std::filesystem;

namespace {

void run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

bool runFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) {
        std::cerr << "cannot read " << p << "\n";
        return false;
    }
    std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    run(input);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> seeds;
    bwfuzz::seeds(seeds);
    if (argc == 3 && std::string(argv[1]) == "--write-seeds") {
        fs::create_directories(argv[2]);
        for (size_t i = 0; i < seeds.size(); ++i) {
            std::ostringstream name;
            name << "seed-" << i;
            std::ofstream out(fs::path(argv[2]) / name.str(), std::ios::binary);
            out.write(seeds[i].data(), static_cast<std::streamsize>(seeds[i].size()));
            if (!out) {
                std::cerr << "cannot write seeds into " << argv[2] << "\n";
                return 1;
            }
        }
        return 0;
    }
    if (seeds.empty()) {
        std::cerr << "no seeds\n";
        return 1;
    }
    for (const std::string& s : seeds) run(s);
    size_t inputs = seeds.size();
    for (int i = 1; i < argc; ++i) {
        fs::path p(argv[i]);
        if (fs::is_directory(p)) {
            std::vector<fs::path> files;
            for (const auto& e : fs::directory_iterator(p))
                if (e.is_regular_file()) files.push_back(e.path());
            std::sort(files.begin(), files.end());
            for (const auto& f : files) {
                if (!runFile(f)) return 1;
                ++inputs;
            }
        } else if (fs::exists(p)) {
            if (!runFile(p)) return 1;
            ++inputs;
        }
    }
    std::cout << inputs << " inputs ran clean\n";
    return 0;
}

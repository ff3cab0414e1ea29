// bench_corpus FOLDER [FILES] [SEED]: a product-like folder for the benchmark:
// nested folders, some empty, thousands of mixed files (text, source-like,
// repetitive, random, empty) and a few large ones.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

std::mt19937_64 rng;

const char* const kWords[] = {"install", "package", "folder", "registry", "value", "service", "the", "a",
                              "of", "and", "window", "dialog", "file", "system", "user", "error", "return",
                              "int", "static", "const", "struct", "for", "while", "if", "else", "begin"};

std::string words(size_t n) {
    std::string s;
    while (s.size() < n) {
        s += kWords[rng() % (sizeof kWords / sizeof *kWords)];
        s += rng() % 12 == 0 ? "\r\n" : " ";
    }
    s.resize(n);
    return s;
}

std::string randomBytes(size_t n) {
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    return s;
}

std::string repetitive(size_t n) {
    std::string unit = randomBytes(1 + rng() % 64);
    std::string s;
    while (s.size() < n) s += unit;
    s.resize(n);
    return s;
}

// Like an executable: stretches of code-like bytes, tables and zero runs.
std::string binaryLike(size_t n) {
    std::string s;
    while (s.size() < n) {
        switch (rng() % 3) {
        case 0: s += randomBytes(256 + rng() % 2048); break;
        case 1: s += std::string(128 + rng() % 4096, '\0'); break;
        default: s += words(512 + rng() % 2048); break;
        }
    }
    s.resize(n);
    return s;
}

void write(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        std::exit(1);
    }
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_corpus FOLDER [FILES] [SEED]\n");
        return 2;
    }
    std::string root = argv[1];
    int files = argc > 2 ? std::atoi(argv[2]) : 3000;
    rng.seed(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 2026);
    for (size_t at = root.find('/', 1); at != std::string::npos; at = root.find('/', at + 1))
        ::mkdir(root.substr(0, at).c_str(), 0777);
    ::mkdir(root.c_str(), 0777);

    std::vector<std::string> folders{root};
    for (int i = 0; i < 120; ++i) {
        std::string parent = folders[rng() % folders.size()];
        std::string dir = parent + "/dir" + std::to_string(i);
        ::mkdir(dir.c_str(), 0777);
        if (i % 15 == 7) continue;   // left empty
        folders.push_back(dir);
    }
    unsigned long long total = 0;
    for (int i = 0; i < files; ++i) {
        std::string dir = folders[rng() % folders.size()];
        size_t size = static_cast<size_t>(std::exp(std::uniform_real_distribution<double>(0, 12.5)(rng)));
        std::string body;
        switch (i % 10) {
        case 0: body = ""; break;
        case 1: case 2: case 3: body = words(size); break;
        case 4: case 5: body = binaryLike(size); break;
        case 6: body = randomBytes(size); break;
        case 7: body = repetitive(size); break;
        default: body = words(size / 2) + binaryLike(size / 2); break;
        }
        total += body.size();
        write(dir + "/file" + std::to_string(i) + (i % 3 ? ".txt" : ".dat"), body);
    }
    const size_t large[] = {24u << 20, 12u << 20, 8u << 20};
    for (size_t i = 0; i < 3; ++i) {
        std::string body = i == 0 ? words(large[i]) : binaryLike(large[i]);
        total += body.size();
        write(root + "/large" + std::to_string(i) + ".bin", body);
    }
    std::printf("%s: %d files + 3 large, %llu bytes\n", root.c_str(), files, total);
    return 0;
}

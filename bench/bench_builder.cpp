// bench_builder FOLDER PACKAGE.exe [--cache-only]: builds a package from every
// file below FOLDER with one compression thread and with all cores, and in the
// same run compresses the same files one by one with the bzip2 command (-9),
// then prints the throughput of each and the ratios. The all-cores package is
// kept. Then, at two threads, three builds over one compression cache: cold,
// warm with nothing changed, warm with 1% of the files changed, each as a
// ratio of the cold build's time. --cache-only runs the cache builds alone.
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_tree.h"

extern char** environ;

namespace {

void writeFile(const std::string& path, const std::string& bytes) {
    FILE* f = os::openFile(path, "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// bzip2 -9 -c FILE > /dev/null, one process per file as a publisher's script would.
double bzip2PerFile(const std::vector<std::string>& files) {
    auto start = std::chrono::steady_clock::now();
    for (const auto& f : files) {
        std::string host = os::hostPath(f);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {"bzip2", "-9", "-c", host.c_str(), nullptr};
        pid_t pid;
        if (posix_spawnp(&pid, "bzip2", &fa, nullptr, const_cast<char**>(argv), environ) != 0) {
            std::fprintf(stderr, "cannot run bzip2\n");
            std::exit(1);
        }
        int status;
        waitpid(pid, &status, 0);
        posix_spawn_file_actions_destroy(&fa);
    }
    return seconds(start);
}

bool sameFile(const std::string& a, const std::string& b) {
    FILE* fa = os::openFile(a, "rb");
    FILE* fb = os::openFile(b, "rb");
    bool same = fa && fb;
    std::vector<char> x(1 << 20), y(1 << 20);
    while (same) {
        size_t n = std::fread(x.data(), 1, x.size(), fa), m = std::fread(y.data(), 1, y.size(), fb);
        same = n == m && std::equal(x.begin(), x.begin() + n, y.begin());
        if (n < x.size()) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return same;
}

std::string readAll(const std::string& path) {
    std::string out;
    FILE* f = os::openFile(path, "rb");
    if (!f) return out;
    char piece[1 << 16];
    size_t n;
    while ((n = std::fread(piece, 1, sizeof piece, f)) > 0) out.append(piece, n);
    std::fclose(f);
    return out;
}

// Times one build of `list`; ends the program when it fails.
double timedBuild(builder::BuildRequest& r, const std::string& list) {
    writeFile(r.list_file_path, list);
    writeFile(r.option_file_path, "");
    bench::Quiet q;
    auto start = std::chrono::steady_clock::now();
    builder::BuildResult result = builder::PackageBuilder(q).build(r);
    double s = seconds(start);
    if (!result.ok()) {
        std::fprintf(stderr, "build failed: %s\n", result.failure.text.c_str());
        std::exit(1);
    }
    return s;
}

// Cold, warm and 1%-changed builds over one cache at two threads. The
// changed files (the 50th of every hundred) get one byte more and are put
// back afterwards.
void cacheRuns(builder::BuildRequest r, const std::string& list, const std::vector<std::string>& files,
               const std::string& work, const std::string& output) {
    const std::string cache = work + "\\cache";
    std::error_code ec;
    std::filesystem::remove_all(os::hostPath(cache), ec);
    r.threads = 2;
    r.output_path = work + "\\none.exe";
    const double none = timedBuild(r, list);
    std::printf("no cache, 2 threads         : %7.2f s\n", none);
    r.cache_folder = cache;
    r.output_path = work + "\\cold.exe";
    const double cold = timedBuild(r, list);
    std::printf("cache, 2 threads, cold      : %7.2f s  %5.1f%% of no cache  packages identical: %s\n", cold,
                100 * cold / none, sameFile(work + "\\cold.exe", work + "\\none.exe") ? "yes" : "NO");
    r.output_path = output;
    const double warm = timedBuild(r, list);
    std::printf("cache, 2 threads, warm      : %7.2f s  %5.1f%% of cold  packages identical: %s\n", warm,
                100 * warm / cold, sameFile(work + "\\cold.exe", output) ? "yes" : "NO");

    std::vector<std::pair<std::string, std::string>> originals;
    size_t changedBytes = 0;
    for (size_t i = 50; i < files.size(); i += 100) {
        originals.emplace_back(files[i], readAll(files[i]));
        writeFile(files[i], originals.back().second + "!");
        changedBytes += originals.back().second.size();
    }
    r.output_path = work + "\\changed.exe";
    const double changed = timedBuild(r, list);
    for (const auto& [path, bytes] : originals) writeFile(path, bytes);
    std::printf("cache, 2 threads, 1%% changed: %7.2f s  %5.1f%% of cold  (%zu files, %zu bytes changed)\n", changed,
                100 * changed / cold, originals.size(), changedBytes);
    for (const char* f : {"\\none.exe", "\\cold.exe", "\\changed.exe"}) os::deleteFile(work + f);
    std::filesystem::remove_all(os::hostPath(cache), ec);
}

}  // namespace

int main(int argc, char** argv) {
    const bool cacheOnly = argc == 4 && std::string(argv[3]) == "--cache-only";
    if (argc != 3 && !cacheOnly) {
        std::fprintf(stderr, "usage: bench_builder FOLDER PACKAGE.exe [--cache-only]\n");
        return 2;
    }
    std::string source = os::windowsPath(argv[1]);
    while (source.size() > 3 && source.back() == '\\') source.pop_back();
    std::string output = os::windowsPath(argv[2]);
    std::string work = output + ".bench";
    os::createDirectories(work);

    bench::Tree tree;
    bench::walk(source, tree);
    const std::vector<std::string>& files = tree.files;
    const std::string& list = tree.list;
    const uint64_t bytes = tree.bytes;
    const double mb = bytes / 1e6;
    std::printf("corpus %s: %zu files, %.1f MB\n", argv[1], files.size(), mb);

    builder::BuildRequest r = bench::request(source, work, tree);
    r.stub_path = work + "\\install.exe";
    r.uninstaller_path = work + "\\UnBundlewright.exe";
    writeFile(r.stub_path, std::string(4096, 'M'));
    writeFile(r.uninstaller_path, std::string(4096, 'U'));
    writeFile(work + "\\English.txt", "English\r\n");

    if (cacheOnly) {
        cacheRuns(r, list, files, work, output);
        for (const char* f : {"\\install.exe", "\\UnBundlewright.exe", "\\English.txt"}) os::deleteFile(work + f);
        os::removeDirectory(work);
        return 0;
    }

    double bz = bzip2PerFile(files);
    std::printf("bzip2 -9 per file      : %7.2f s  %7.2f MB/s\n", bz, mb / bz);

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    double first = 0;
    std::string onePackage = work + "\\one-thread.exe";
    for (unsigned threads : {1u, cores}) {
        r.threads = threads;
        r.output_path = threads == 1 ? onePackage : output;
        const double s = timedBuild(r, list);
        if (threads == 1) first = s;
        std::printf("builder, %u thread%s     : %7.2f s  %7.2f MB/s  ratio to bzip2 -9 %.2f", threads,
                    threads == 1 ? " " : "s", s, mb / s, bz / s);
        if (threads != 1) std::printf("  speed-up over 1 thread %.2fx", first / s);
        std::printf("\n");
        if (threads == cores) break;
    }
    if (cores > 1)
        std::printf("packages identical     : %s\n", sameFile(onePackage, output) ? "yes" : "NO");
    cacheRuns(r, list, files, work, output);
    for (const char* f : {"\\install.exe", "\\UnBundlewright.exe", "\\English.txt", "\\one-thread.exe"})
        os::deleteFile(work + f);
    os::removeDirectory(work);
    std::printf("package kept: %s\n", argv[2]);
    return 0;
}

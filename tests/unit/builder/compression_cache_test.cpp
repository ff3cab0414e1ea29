// The compression cache under the builder: packages byte for byte the same
// with and without it, damaged entries never packed, builds sharing one
// cache at once, the size bound, and a cache folder that cannot be written.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "builder/compression_cache.h"
#include "builder/package_builder.h"
#include "platform/os/os.h"
#include "tests/unit/builder/test_tree.h"

namespace {

using bwtest::TempTree;

struct Recorder : bwtest::QuietProgress {
    std::vector<std::string> notes;
    unsigned hits = 0, misses = 0, reports = 0;
    void onNote(const std::string& t) override { notes.push_back(t); }
    void onCacheUse(unsigned h, unsigned m) override {
        hits = h;
        misses = m;
        ++reports;
    }
};

std::string text(size_t n, unsigned seed) {
    std::string s;
    unsigned x = seed;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245 + 12345;
        s.push_back(static_cast<char>("abcdefgh \n"[(x >> 16) % 10]));
    }
    return s;
}

std::string noise(size_t n, unsigned seed) {
    std::string s;
    unsigned x = seed;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1664525 + 1013904223;
        s.push_back(static_cast<char>(x >> 24));
    }
    return s;
}

// Packages are megabytes: on a difference, say where rather than print both.
::testing::AssertionResult same(const std::string& a, const std::string& b) {
    if (a == b) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
    return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size() << ", first difference at byte "
                                         << at;
}

class CacheBuild : public ::testing::Test {
protected:
    void SetUp() override {
        t.mkdir("inst\\bin");
        t.mkdir("inst\\lang");
        t.mkdir("src\\docs");
        t.write("inst\\bin\\install.exe", "MZ" + text(500, 1));
        t.write("inst\\bin\\UnBundlewright.exe", "MZ-uninstaller" + text(3000, 2));
        t.write("inst\\lang\\English.txt", "Hello\r\n");
        t.write("src\\a.txt", text(50000, 3));
        t.write("src\\b.txt", text(20000, 4));
        t.write("src\\c.txt", text(7000, 5));
        t.write("src\\empty.dat", "");
        // Compresses to more than the builder keeps in memory: packed from a spill file.
        t.write("src\\big.bin", noise(4500000, 6));
        t.write("src\\d.txt", text(50000, 3));   // a.txt's bytes again: one entry for both
        files = {"a.txt", "docs\\temp$", "b.txt", "c.txt", "empty.dat", "big.bin", "d.txt"};
        cache = t.path("cache");
    }

    // Builds `names` from src into `output` with its own working files.
    std::string build(const std::string& cacheFolder, unsigned threads, builder::BuildProgress* progress = nullptr,
                      const std::string& output = "setup.exe", uint64_t limit = builder::kDefaultCacheLimit,
                      std::vector<std::string> names = {}) {
        if (names.empty()) names = files;
        const std::string work = "work-" + output + "\\";
        t.mkdir(work);
        std::string list;
        for (const std::string& n : names) list += t.path("src\\" + n) + "\r\n";
        t.write(work + "list.txt", list);
        t.write(work + "option.txt", "");
        builder::BuildRequest r;
        r.stub_path = t.path("inst\\bin\\install.exe");
        r.uninstaller_path = t.path("inst\\bin\\UnBundlewright.exe");
        r.source_folder = t.path("src");
        r.output_path = t.path(output);
        r.product_name = "Widget";
        r.list_file_path = t.path(work + "list.txt");
        r.option_file_path = t.path(work + "option.txt");
        r.lang_dir = t.path("inst\\lang\\");
        r.file_count = static_cast<int>(names.size());
        r.threads = threads;
        r.cache_folder = cacheFolder;
        r.cache_limit = limit;
        Recorder quiet;
        builder::BuildResult result = builder::PackageBuilder(progress ? *progress : quiet).build(r);
        EXPECT_TRUE(result.ok()) << result.failure.text;
        return bwtest::readFile(r.output_path);
    }

    std::vector<std::string> namesIn(const std::string& folder, const std::string& suffix) const {
        std::vector<os::DirEntry> all;
        std::vector<std::string> out;
        os::listFolder(folder, all);
        for (const auto& e : all)
            if (!e.isDirectory && e.name.size() > suffix.size() &&
                e.name.compare(e.name.size() - suffix.size(), suffix.size(), suffix) == 0)
                out.push_back(e.name);
        return out;
    }
    uint64_t entryBytes() const {
        uint64_t total = 0;
        for (const std::string& n : namesIn(cache, ".entry")) {
            os::FileStat st;
            if (os::statPath(cache + "\\" + n, st)) total += st.size;
        }
        return total;
    }
    std::string entryOf(const std::string& rel) const {
        FILE* f = os::openFile(t.path("src\\" + rel), "rb");
        EXPECT_TRUE(f);
        builder::CacheKey key;
        EXPECT_TRUE(f && builder::hashFile(f, key));
        if (f) std::fclose(f);
        return cache + "\\" + key.hex() + ".entry";
    }

    TempTree t;
    std::vector<std::string> files;
    std::string cache;
};

TEST_F(CacheBuild, ThePackageIsTheSameWithoutACacheColdOrWarmAtAnyThreads) {
    const std::string reference = build("", 1);
    ASSERT_FALSE(reference.empty());
    EXPECT_TRUE(same(build("", 2), reference));

    Recorder cold;
    EXPECT_TRUE(same(build(cache, 1, &cold), reference));
    EXPECT_EQ(cold.reports, 1u);
    EXPECT_EQ(cold.misses, 5u);
    EXPECT_EQ(cold.hits, 1u) << "d.txt has a.txt's bytes";
    EXPECT_EQ(namesIn(cache, ".entry").size(), 5u);
    EXPECT_TRUE(namesIn(cache, ".tmp").empty());

    for (unsigned threads : {1u, 2u}) {
        Recorder warm;
        EXPECT_TRUE(same(build(cache, threads, &warm), reference)) << threads;
        EXPECT_EQ(warm.hits, 6u);
        EXPECT_EQ(warm.misses, 0u);
        EXPECT_TRUE(warm.notes.empty());
    }

    // One changed file is compressed again, the others still come from the cache.
    t.write("src\\b.txt", text(20001, 4));
    Recorder changed;
    const std::string after = build(cache, 2, &changed);
    EXPECT_EQ(changed.hits, 5u);
    EXPECT_EQ(changed.misses, 1u);
    EXPECT_TRUE(same(after, build("", 2, nullptr, "fresh.exe")));
    EXPECT_FALSE(after == reference);
}

TEST_F(CacheBuild, ATruncatedFlippedOrForeignEntryIsCompressedAgainNeverPacked) {
    const std::string reference = build("", 2);
    build(cache, 1);
    const std::string a = entryOf("a.txt"), b = entryOf("b.txt"), c = entryOf("c.txt"), e = entryOf("empty.dat");
    const std::string bEntry = bwtest::readFile(b), aEntry = bwtest::readFile(a);
    ASSERT_GT(aEntry.size(), 100u);

    bwtest::writeFile(a, aEntry.substr(0, aEntry.size() - 10));          // truncated
    std::string flipped = bEntry;
    flipped[flipped.size() / 2] ^= 0x10;                                  // one bit in the stream
    bwtest::writeFile(b, flipped);
    bwtest::writeFile(c, bEntry);                                         // another file's entry
    bwtest::writeFile(e, "");                                             // nothing at all

    Recorder rec;
    EXPECT_TRUE(same(build(cache, 2, &rec), reference));
    EXPECT_EQ(rec.misses, 4u);
    EXPECT_EQ(rec.hits, 2u);
    EXPECT_TRUE(rec.notes.empty());

    // The bad entries were replaced by sound ones.
    Recorder again;
    EXPECT_TRUE(same(build(cache, 1, &again), reference));
    EXPECT_EQ(again.hits, 6u);
    EXPECT_FALSE(bwtest::readFile(c) == bEntry);
}

TEST_F(CacheBuild, AnEntryIsNeverLoadedUnderAnotherKeyEvenWithItsChecksumIntact) {
    build(cache, 1);
    // The whole entry of b.txt under a.txt's name: header, stream and trailer all b's.
    bwtest::writeFile(entryOf("a.txt"), bwtest::readFile(entryOf("b.txt")));
    FILE* f = os::openFile(t.path("src\\a.txt"), "rb");
    ASSERT_TRUE(f);
    builder::CacheKey key;
    ASSERT_TRUE(builder::hashFile(f, key));
    std::fclose(f);
    builder::CompressionCache c(cache, builder::kDefaultCacheLimit);
    std::string got;
    EXPECT_FALSE(c.load(key, [&](const char* d, size_t n) { return got.append(d, n), true; }));
}

TEST_F(CacheBuild, TwoBuildsSharingOneCacheAtOnceBothGiveTheRightPackage) {
    // Many small files so the two builds store the same entries at the same moments.
    std::vector<std::string> many;
    for (int i = 0; i < 60; ++i) {
        const std::string name = "m" + std::to_string(i) + ".txt";
        t.write("src\\" + name, text(3000 + 97 * i, 100 + i));
        many.push_back(name);
    }
    many.push_back("a.txt");
    const std::string reference = build("", 2, nullptr, "reference.exe", builder::kDefaultCacheLimit, many);
    for (int round = 0; round < 2; ++round) {   // cold, then warm
        std::string one, two;
        Recorder r1, r2;
        std::thread first([&] { one = build(cache, 2, &r1, "one.exe", builder::kDefaultCacheLimit, many); });
        std::thread second([&] { two = build(cache, 2, &r2, "two.exe", builder::kDefaultCacheLimit, many); });
        first.join();
        second.join();
        EXPECT_TRUE(same(one, reference)) << "round " << round;
        EXPECT_TRUE(same(two, reference)) << "round " << round;
        EXPECT_TRUE(r1.notes.empty() && r2.notes.empty());
        if (round == 1) {
            EXPECT_EQ(r1.hits + r2.hits, 2 * many.size());
        }
    }
    EXPECT_TRUE(namesIn(cache, ".tmp").empty());
}

TEST_F(CacheBuild, TheSizeBoundHoldsAndTheLeastRecentlyUsedEntriesGoFirst) {
    const std::vector<std::string> first = {"a.txt", "b.txt"}, second = {"c.txt", "empty.dat"};
    for (int i = 0; i < 4; ++i) t.write("src\\s" + std::to_string(i) + ".txt", text(30000, 40 + i));
    const std::vector<std::string> third = {"s0.txt", "s1.txt", "s2.txt", "s3.txt"};
    // Far enough apart for the file times: the Windows runtime keeps whole seconds.
#ifdef _WIN32
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1100)); };
#else
    const auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(30)); };
#endif

    build(cache, 1, nullptr, "p1.exe", builder::kDefaultCacheLimit, first);
    const uint64_t firstBytes = entryBytes();
    pause();
    build(cache, 1, nullptr, "p2.exe", builder::kDefaultCacheLimit, second);
    pause();
    // Used again: now the second project's entries are the least recently used.
    Recorder reuse;
    build(cache, 1, &reuse, "p1.exe", builder::kDefaultCacheLimit, first);
    EXPECT_EQ(reuse.hits, 2u);
    pause();
    const uint64_t before = entryBytes();
    build(cache, 1, nullptr, "p3.exe", builder::kDefaultCacheLimit, third);
    const uint64_t thirdBytes = entryBytes() - before;

    // Room for the first and third projects' entries only.
    const uint64_t limit = firstBytes + thirdBytes;
    pause();
    Recorder bounded;
    build(cache, 1, &bounded, "p3.exe", limit, third);
    EXPECT_EQ(bounded.hits, 4u);
    EXPECT_LE(entryBytes(), limit);
    EXPECT_FALSE(os::fileExists(entryOf("c.txt")));
    EXPECT_FALSE(os::fileExists(entryOf("empty.dat")));
    EXPECT_TRUE(os::fileExists(entryOf("a.txt")));
    EXPECT_TRUE(os::fileExists(entryOf("s3.txt")));

    // A bound smaller than one build's own entries still holds.
    build(cache, 2, nullptr, "p4.exe", 1000, files);
    EXPECT_LE(entryBytes(), 1000u);
}

TEST_F(CacheBuild, ACacheFolderThatCannotBeWrittenLeavesTheBuildAloneAndSaysSoOnce) {
    const std::string reference = build("", 2);
    t.write("blocker", "a file where the cache folder would be");
    Recorder rec;
    EXPECT_TRUE(same(build(t.path("blocker\\cache"), 2, &rec), reference));
    ASSERT_EQ(rec.notes.size(), 1u);
    EXPECT_NE(rec.notes[0].find("cannot be written"), std::string::npos) << rec.notes[0];
    EXPECT_NE(rec.notes[0].find("blocker"), std::string::npos) << rec.notes[0];
    EXPECT_EQ(rec.misses, 6u) << "nothing was stored, so d.txt found nothing either";

#ifndef _WIN32
    // A read-only folder, where this user is bound by permissions.
    namespace fs = std::filesystem;
    t.mkdir("readonly");
    const fs::path host = os::hostPath(t.path("readonly"));
    fs::permissions(host, fs::perms::owner_read | fs::perms::owner_exec);
    FILE* probe = os::openFile(t.path("readonly\\probe"), "wb");
    const bool bound = !probe;
    if (probe) std::fclose(probe);
    os::deleteFile(t.path("readonly\\probe"));
    if (bound) {
        Recorder ro;
        EXPECT_TRUE(same(build(t.path("readonly"), 2, &ro), reference));
        EXPECT_EQ(ro.notes.size(), 1u);
        EXPECT_TRUE(namesIn(t.path("readonly"), "").empty());
    }
    fs::permissions(host, fs::perms::owner_all);
#endif
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "builder/compress_step.h"
#include "platform/os/os.h"
#include "tests/unit/builder/test_tree.h"

namespace {

using bwtest::TempTree;

int step(std::vector<std::string> args) {
    std::vector<const char*> argv{" "};
    for (auto& a : args) argv.push_back(a.c_str());
    return builder::compressStep(static_cast<int>(argv.size()), argv.data());
}

class CompressStep : public ::testing::Test {
protected:
    void SetUp() override {
        os::setEnv("BZIP2", "");
        os::setEnv("BZIP", "");
    }
    void TearDown() override { SetUp(); }
    TempTree t;
};

TEST_F(CompressStep, CompressesBesideTheFileKeepingIt) {
    std::string data;
    for (int i = 0; i < 20000; ++i) data += "line " + std::to_string(i) + "\n";
    t.write("a.txt", data);
    EXPECT_EQ(step({"-k", t.path("a.txt")}), 0);
    EXPECT_EQ(bwtest::readFile(t.path("a.txt")), data);
    std::string out = bwtest::readFile(t.path("a.txt.bz2"));
    // The in-memory compressor the builder uses yields the same bytes.
    std::vector<char> mem = builder::compressBytes(data);
    EXPECT_EQ(out, std::string(mem.begin(), mem.end()));
    EXPECT_EQ(out.substr(0, 4), "BZh9");
    EXPECT_EQ(bwtest::decompress(out), data);
}

TEST_F(CompressStep, WithoutKeepTheInputGoes) {
    t.write("b.txt", "bbbb");
    EXPECT_EQ(step({t.path("b.txt")}), 0);
    EXPECT_FALSE(os::fileExists(t.path("b.txt")));
    EXPECT_EQ(bwtest::decompress(bwtest::readFile(t.path("b.txt.bz2"))), "bbbb");
}

TEST_F(CompressStep, EmptyFileGivesFourteenByteStream) {
    t.write("empty", "");
    EXPECT_EQ(step({"-k", t.path("empty")}), 0);
    EXPECT_EQ(bwtest::readFile(t.path("empty.bz2")).size(), 14u);
}

TEST_F(CompressStep, RefusalsWriteNothingAndReturnOne) {
    t.write("x.bz2", "a");
    t.write("x.bz", "a");
    t.write("x.tbz2", "a");
    t.write("x.tbz", "a");
    t.write("x.BZ2", "a");   // the suffix test is case-sensitive: this one compresses
    t.mkdir("folder");
    t.write("q.txt", "a");
    const struct {
        std::string path;
        int result;
        bool output;
    } cases[] = {
        {t.path("q?.txt"), 1, false},   {t.path("*.txt"), 1, false},  {t.path("missing"), 1, false},
        {t.path("x.bz2"), 1, false},    {t.path("x.bz"), 1, false},   {t.path("x.tbz2"), 1, false},
        {t.path("x.tbz"), 1, false},    {t.path("folder"), 1, false}, {t.path("x.BZ2"), 0, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(step({"-k", c.path}), c.result) << c.path;
        EXPECT_EQ(os::fileExists(c.path + ".bz2"), c.output) << c.path;
    }
}

TEST_F(CompressStep, ExistingOutputIsLeftUnlessForced) {
    t.write("p", "new content");
    t.write("p.bz2", "the user's own file");
    EXPECT_EQ(step({"-k", t.path("p")}), 1);
    EXPECT_EQ(bwtest::readFile(t.path("p.bz2")), "the user's own file");
    EXPECT_EQ(step({"-k", "-f", t.path("p")}), 0);
    EXPECT_EQ(bwtest::decompress(bwtest::readFile(t.path("p.bz2"))), "new content");
}

#ifndef _WIN32
TEST_F(CompressStep, HardLinkedFileIsRefusedUnlessForced) {
    t.write("h", "linked");
    ASSERT_EQ(::link(os::hostPath(t.path("h")).c_str(), os::hostPath(t.path("h2")).c_str()), 0);
    EXPECT_EQ(step({"-k", t.path("h")}), 1);
    EXPECT_FALSE(os::fileExists(t.path("h.bz2")));
    EXPECT_EQ(step({"-k", "-f", t.path("h")}), 0);
    EXPECT_TRUE(os::fileExists(t.path("h.bz2")));
}
#endif

TEST_F(CompressStep, BlockSizeResetsAndEnvironmentFlagsApply) {
    t.write("a", std::string(1000, 'a'));
    auto header = [&](std::vector<std::string> args) {
        os::deleteFile(t.path("a.bz2"));
        args.push_back(t.path("a"));
        EXPECT_EQ(step(args), 0);
        return bwtest::readFile(t.path("a.bz2")).substr(0, 4);
    };
    EXPECT_EQ(header({"-k", "-1"}), "BZh1");
    EXPECT_EQ(header({"-k"}), "BZh9");          // a previous call's flag is forgotten
    EXPECT_EQ(header({"-ks"}), "BZh2");         // small limits the block size
    EXPECT_EQ(header({"--keep", "--fast"}), "BZh1");
    os::setEnv("BZIP2", "-2 -v");
    EXPECT_EQ(header({"-k"}), "BZh2");
    os::setEnv("BZIP", "-3");                   // read after BZIP2
    EXPECT_EQ(header({"-k"}), "BZh3");
    EXPECT_EQ(header({"-k", "-5"}), "BZh5");    // the call's own flags come last
    os::setEnv("BZIP2", "");
    os::setEnv("BZIP", "");
    EXPECT_EQ(header({"-k"}), "BZh9");
}

TEST_F(CompressStep, BadFlagOrOtherOperationDoesNothing) {
    t.write("a", "a");
    EXPECT_EQ(step({"-k", "-x", t.path("a")}), 1);
    EXPECT_EQ(step({"-k", "--nonsense", t.path("a")}), 1);
    EXPECT_EQ(step({"-d", t.path("a")}), 1);
    EXPECT_FALSE(os::fileExists(t.path("a.bz2")));
    EXPECT_TRUE(os::fileExists(t.path("a")));
}

TEST_F(CompressStep, SeveralFilesRaiseToHighestValue) {
    t.write("a", "a");
    t.write("b", "b");
    EXPECT_EQ(step({"-k", t.path("a"), t.path("missing"), t.path("b")}), 1);
    EXPECT_TRUE(os::fileExists(t.path("a.bz2")));
    EXPECT_TRUE(os::fileExists(t.path("b.bz2")));
}

TEST(StreamCompressorTest, PiecesDoNotChangeTheBytes) {
    std::string data;
    for (unsigned i = 0; i < 300000; ++i) data.push_back(static_cast<char>((i * 7919u) % 251));
    std::vector<char> whole = builder::compressBytes(data);
    builder::StreamCompressor c;
    std::vector<char> pieces;
    for (size_t at = 0; at < data.size(); at += 4999)
        ASSERT_TRUE(c.write(data.data() + at, std::min<size_t>(4999, data.size() - at), pieces));
    ASSERT_TRUE(c.finish(pieces));
    EXPECT_EQ(whole, pieces);
}

}  // namespace

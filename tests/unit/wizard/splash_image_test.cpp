#include "wizard/splash_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "platform/os/os.h"
#include "tests/support/test_folder.h"
#include "tests/unit/wizard/jpeg_writer.h"

namespace {

using bwtest::TestFolder;
using bwtest::jpegSample;

uint32_t u32(const std::string& s, size_t at) {
    return uint8_t(s[at]) | uint8_t(s[at + 1]) << 8 | uint8_t(s[at + 2]) << 16 |
           uint32_t(uint8_t(s[at + 3])) << 24;
}
uint16_t u16(const std::string& s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); }

class SplashImage : public ::testing::Test {
protected:
    TestFolder dir;
    std::string jpeg() const { return dir.file("bundlewright.jpg"); }
    std::string bmp() const { return dir.file("bundlewright.bmp"); }
};

TEST_F(SplashImage, ColourBecomes24BitWithoutPalette) {
    bwtest::writeJpeg(jpeg(), 5, 3, {false, 1, 72, 72});  // dots per inch: no density in the bitmap
    ASSERT_TRUE(wizard::convertJpegToBmp(jpeg(), bmp()));
    const std::string b = TestFolder::read(bmp());
    const uint32_t row = 16;  // 5 * 3 = 15, padded to 16
    ASSERT_EQ(b.size(), 54u + row * 3);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(u32(b, 2), b.size());
    EXPECT_EQ(u32(b, 6), 0u);
    EXPECT_EQ(u32(b, 10), 54u);
    EXPECT_EQ(u32(b, 14), 40u);
    EXPECT_EQ(u32(b, 18), 5u);
    EXPECT_EQ(u32(b, 22), 3u);
    EXPECT_EQ(u16(b, 26), 1);
    EXPECT_EQ(u16(b, 28), 24);
    EXPECT_EQ(u32(b, 30), 0u);  // no compression
    EXPECT_EQ(u32(b, 34), 0u);  // image size 0
    EXPECT_EQ(u32(b, 38), 0u);
    EXPECT_EQ(u32(b, 42), 0u);
    EXPECT_EQ(u32(b, 46), 0u);  // colours used
    EXPECT_EQ(u32(b, 50), 0u);
    for (int y = 0; y < 3; ++y) {
        const size_t at = 54 + row * (2 - y);  // bottom-up
        for (int x = 0; x < 5; ++x) {
            EXPECT_NEAR(uint8_t(b[at + x * 3 + 0]), jpegSample(x, y, 2), 6) << x << "," << y;  // blue
            EXPECT_NEAR(uint8_t(b[at + x * 3 + 1]), jpegSample(x, y, 1), 6) << x << "," << y;
            EXPECT_NEAR(uint8_t(b[at + x * 3 + 2]), jpegSample(x, y, 0), 6) << x << "," << y;  // red
        }
        EXPECT_EQ(b[at + 15], 0) << "padding of row " << y;
    }

    wizard::DibPicture pic;
    ASSERT_EQ(wizard::loadDib(bmp(), pic), wizard::DibLoad::Loaded);
    EXPECT_EQ(pic.width, 5);
    EXPECT_EQ(pic.height, 3);
    EXPECT_EQ(pic.bits_per_pixel, 24);
    EXPECT_TRUE(pic.palette.empty());
    EXPECT_EQ(pic.bits_offset, 40u);
    EXPECT_EQ(pic.dib, std::vector<uint8_t>(b.begin() + 14, b.end()));
}

TEST_F(SplashImage, GreyBecomes8BitWithRampAndDensity) {
    bwtest::writeJpeg(jpeg(), 6, 2, {true, 2, 38, 20});  // dots per centimetre
    ASSERT_TRUE(wizard::convertJpegToBmp(jpeg(), bmp()));
    const std::string b = TestFolder::read(bmp());
    const uint32_t row = 8;  // 6 padded to 8
    ASSERT_EQ(b.size(), 54u + 1024 + row * 2);
    EXPECT_EQ(u32(b, 2), b.size());
    EXPECT_EQ(u32(b, 10), 54u + 1024);
    EXPECT_EQ(u16(b, 28), 8);
    EXPECT_EQ(u32(b, 38), 3800u);
    EXPECT_EQ(u32(b, 42), 2000u);
    EXPECT_EQ(u32(b, 46), 256u);
    EXPECT_EQ(u32(b, 50), 0u);
    for (int i = 0; i < 256; ++i) {
        const std::string entry = b.substr(54 + i * 4, 4);
        const std::string want{char(i), char(i), char(i), '\0'};
        ASSERT_EQ(entry, want) << "palette entry " << i;
    }
    for (int y = 0; y < 2; ++y) {
        const size_t at = 54 + 1024 + row * (1 - y);
        for (int x = 0; x < 6; ++x) EXPECT_NEAR(uint8_t(b[at + x]), jpegSample(x, y, 0), 3);
        EXPECT_EQ(b.substr(at + 6, 2), std::string(2, '\0'));
    }

    wizard::DibPicture pic;
    ASSERT_EQ(wizard::loadDib(bmp(), pic), wizard::DibLoad::Loaded);
    EXPECT_EQ(pic.bits_per_pixel, 8);
    ASSERT_EQ(pic.palette.size(), 256u);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(pic.palette[i].red, i);
        EXPECT_EQ(pic.palette[i].green, i);
        EXPECT_EQ(pic.palette[i].blue, i);
        EXPECT_EQ(pic.palette[i].flags, 0);
    }
    EXPECT_EQ(pic.bits_offset, 40u + 1024u);
}

TEST_F(SplashImage, MissingJpegGivesNoPictureAndIgnoresAnOldBitmap) {
    bwtest::writeJpeg(jpeg(), 4, 4);
    ASSERT_TRUE(wizard::convertJpegToBmp(jpeg(), bmp()));
    ASSERT_TRUE(os::deleteFile(jpeg()));
    wizard::DibPicture pic;
    EXPECT_EQ(wizard::loadSplashPicture(jpeg(), bmp(), pic), wizard::DibLoad::NoPicture);
    EXPECT_TRUE(pic.dib.empty());
}

TEST_F(SplashImage, UncreatableBitmapGivesNoPicture) {
    bwtest::writeJpeg(jpeg(), 4, 4);
    wizard::DibPicture pic;
    EXPECT_EQ(wizard::loadSplashPicture(jpeg(), dir.file("no\\such\\x.bmp"), pic),
              wizard::DibLoad::NoPicture);
}

TEST_F(SplashImage, CorruptJpegEndsWithExitCode1AndAMessage) {
    TestFolder::write(jpeg(), std::string("\xFF\xD8\xFF\xE0 this is no picture at all", 30));
    os::setExitTrap(true);
    testing::internal::CaptureStderr();
    int code = -1;
    try {
        wizard::convertJpegToBmp(jpeg(), bmp());
    } catch (const os::ExitRequest& e) {
        code = e.code;
    }
    const std::string err = testing::internal::GetCapturedStderr();
    os::setExitTrap(false);
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(os::fileExists(bmp())) << "a half-written bitmap is removed";
}

TEST_F(SplashImage, BitmapsThatCannotBeLoaded) {
    std::string good;
    {
        bwtest::writeJpeg(jpeg(), 4, 2);
        ASSERT_TRUE(wizard::convertJpegToBmp(jpeg(), bmp()));
        good = TestFolder::read(bmp());
    }
    auto with = [&](size_t at, uint32_t v) {
        std::string s = good;
        for (int i = 0; i < 4; ++i) s[at + i] = char(v >> (8 * i));
        return s;
    };
    struct Case {
        const char* name;
        std::string bytes;
        wizard::DibLoad result;
    } cases[] = {
        {"wrong marker", "MB" + good.substr(2), wizard::DibLoad::CannotBeLoaded},
        {"shorter than the file header", good.substr(0, 10), wizard::DibLoad::CannotBeLoaded},
        {"negative width", with(18, uint32_t(-4)), wizard::DibLoad::ErrorInLoading},
        {"negative height", with(22, uint32_t(-2)), wizard::DibLoad::ErrorInLoading},
        {"pixels beyond the end", good.substr(0, good.size() - 1), wizard::DibLoad::ErrorInLoading},
        {"colour table beyond the end", with(46, 100000), wizard::DibLoad::ErrorInLoading},
        {"unknown header size", with(14, 20), wizard::DibLoad::ErrorInLoading},
    };
    for (const Case& c : cases) {
        TestFolder::write(bmp(), c.bytes);
        wizard::DibPicture pic;
        EXPECT_EQ(wizard::loadDib(bmp(), pic), c.result) << c.name;
        EXPECT_TRUE(pic.dib.empty()) << c.name;
    }
    wizard::DibPicture pic;
    EXPECT_EQ(wizard::loadDib(dir.file("absent.bmp"), pic), wizard::DibLoad::NoPicture);
}

}  // namespace

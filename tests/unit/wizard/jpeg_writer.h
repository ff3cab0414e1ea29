// Splash pictures for the tests, written with libjpeg's own compressor.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

#include "platform/os/os.h"

namespace bwtest {

// Pixel (x, y) of the test pictures: distinct enough to catch swapped channels,
// flipped rows and wrong padding, smooth enough to survive JPEG at quality 100.
inline uint8_t jpegSample(int x, int y, int channel) { return uint8_t(40 + x * 8 + channel * 60 + y * 3); }

struct JpegLook {
    bool grey = false;
    int densityUnit = 0;   // 1 dots per inch, 2 dots per centimetre
    int xDensity = 1, yDensity = 1;
};

inline void writeJpeg(const std::string& path, int width, int height, JpegLook look = {}) {
    FILE* f = os::openFile(path, "wb");
    ASSERT_NE(f, nullptr);
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = width;
    c.image_height = height;
    c.input_components = look.grey ? 1 : 3;
    c.in_color_space = look.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    c.density_unit = uint8_t(look.densityUnit);
    c.X_density = uint16_t(look.xDensity);
    c.Y_density = uint16_t(look.yDensity);
    jpeg_start_compress(&c, TRUE);
    const char comment[] = "made by the test";
    jpeg_write_marker(&c, JPEG_COM, reinterpret_cast<const JOCTET*>(comment), sizeof comment);
    jpeg_write_marker(&c, JPEG_APP0 + 12, reinterpret_cast<const JOCTET*>("Ducky"), 5);
    std::vector<JSAMPLE> row(width * c.input_components);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            for (int ch = 0; ch < c.input_components; ++ch) row[x * c.input_components + ch] = jpegSample(x, y, ch);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

}  // namespace bwtest

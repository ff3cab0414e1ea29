// The splash picture: a JPEG converted at every start into a Windows bitmap file,
// then read back as a packed device-independent bitmap with its palette.
//
// Bitmap file written (all numbers little-endian):
//   file header, 14 bytes: "BM", file size (u32), two reserved u16 = 0, offset of
//     the pixel bits (u32: 54 for 24-bit, 54 + 1024 for 8-bit)
//   information header, 40 bytes: size 40, width (i32), height (i32, positive:
//     rows run bottom-up), planes 1, bits 24 or 8, compression 0, image size 0,
//     x and y pixels per metre (density x 100 when the JPEG's unit is dots per
//     centimetre, else 0), colours used (0 or 256), colours important 0
//   8-bit only: 256 colour-table entries, entry i = blue i, green i, red i, 0
//   pixel rows, bottom row first, blue-green-red, each padded with zero bytes to
//     a multiple of 4
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wizard {

constexpr int kBmpFileHeaderSize = 14;
constexpr int kBmpInfoHeaderSize = 40;
constexpr int kBmpCoreHeaderSize = 12;

// Decodes jpeg_path and writes bmp_path (created or replaced). False when there is
// no picture: the JPEG cannot be opened, the bitmap cannot be created or written,
// or the picture is too large for a bitmap file. A JPEG the library cannot decode
// ends the program with exit code 1 after the library's message on the error
// stream (the partial bitmap file is removed first); warnings go to the error
// stream only.
bool convertJpegToBmp(const std::string& jpeg_path, const std::string& bmp_path);

struct PaletteColour {
    uint8_t red = 0, green = 0, blue = 0, flags = 0;
};

// A loaded picture: the bitmap file without its 14-byte file header (information
// header, colour table, pixel bits), its size, and its palette (empty: none).
struct DibPicture {
    std::vector<uint8_t> dib;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bits_per_pixel = 0;
    uint32_t header_size = 0;          // 40 (or larger), or 12 for a core header
    uint32_t bits_offset = 0;          // where the pixel bits start within dib
    std::vector<PaletteColour> palette;
};

enum class DibLoad {
    Loaded,
    NoPicture,        // file absent or unreadable: silent
    CannotBeLoaded,   // kImageCannotBeLoaded
    ErrorInLoading,   // kErrorInLoadingBitmap
};

inline constexpr const char kImageCannotBeLoaded[] = "Image cannot be loaded";
inline constexpr const char kErrorInLoadingBitmap[] = "Error in loading bitmap";

// Reads a bitmap file back. A file whose marker is not "BM" or that is shorter
// than it claims gives CannotBeLoaded; a negative width or height, or headers
// that do not fit the file, give ErrorInLoading (nothing is ever read outside
// the block).
DibLoad loadDib(const std::string& bmp_path, DibPicture& out);

// Both steps of the splash start: convert, then load. No JPEG means no picture
// (an old bitmap file is never used).
DibLoad loadSplashPicture(const std::string& jpeg_path, const std::string& bmp_path,
                          DibPicture& out);

}  // namespace wizard

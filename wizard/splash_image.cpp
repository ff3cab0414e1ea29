#include "wizard/splash_image.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/os/os.h"

extern "C" {
#include <jpeglib.h>
}

namespace wizard {
namespace {

// libjpeg ends the process on a fatal error through error_exit, which must not
// return. Ours formats the message and jumps back to convertJpegToBmp, which
// cleans up and ends the program itself; nothing between the jump and its
// target has a destructor to skip.
struct ErrorManager {
    jpeg_error_mgr pub;  // first member: libjpeg sees only this part
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void onFatalError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

extern "C" void onMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    std::fprintf(stderr, "%s\n", text);
}

int nextByte(j_decompress_ptr cinfo) {
    jpeg_source_mgr* src = cinfo->src;
    if (src->bytes_in_buffer == 0 && !(*src->fill_input_buffer)(cinfo)) return -1;
    --src->bytes_in_buffer;
    return *src->next_input_byte++;
}

// Comment and APP12 markers: read past their contents, which carry nothing we use.
extern "C" boolean skipMarker(j_decompress_ptr cinfo) {
    const int hi = nextByte(cinfo);
    const int lo = nextByte(cinfo);
    if (hi < 0 || lo < 0) return FALSE;
    const long length = (static_cast<long>(hi) << 8) + lo - 2;
    if (length > 0) (*cinfo->src->skip_input_data)(cinfo, length);
    return TRUE;
}

struct Conversion {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    FILE* in = nullptr;
    FILE* out = nullptr;
};

void put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}
uint16_t get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t get32(const uint8_t* p) { return get16(p) | (static_cast<uint32_t>(get16(p + 2)) << 16); }

// Decodes and writes the bitmap. May leave through onFatalError, so it holds no
// object with a destructor; the row buffers belong to libjpeg's image pool.
bool decode(Conversion& c) {
    j_decompress_ptr cinfo = &c.cinfo;
    jpeg_read_header(cinfo, TRUE);
    jpeg_start_decompress(cinfo);

    const uint32_t width = cinfo->output_width;
    const uint32_t height = cinfo->output_height;
    const int components = cinfo->output_components;
    const bool grey = cinfo->out_color_space == JCS_GRAYSCALE;
    const bool cmyk = cinfo->out_color_space == JCS_CMYK;
    const uint32_t bytes_per_pixel = grey ? 1 : 3;
    const uint64_t row_bytes = (static_cast<uint64_t>(width) * bytes_per_pixel + 3) & ~uint64_t(3);
    const uint32_t colours = grey ? 256 : 0;
    const uint32_t bits_offset = kBmpFileHeaderSize + kBmpInfoHeaderSize + colours * 4;
    const uint64_t file_size = bits_offset + row_bytes * height;
    if (file_size > 0x7FFFFFFF) return false;

    uint8_t header[kBmpFileHeaderSize + kBmpInfoHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    put32(header + 2, static_cast<uint32_t>(file_size));
    put32(header + 10, bits_offset);
    uint8_t* info = header + kBmpFileHeaderSize;
    put32(info + 0, kBmpInfoHeaderSize);
    put32(info + 4, width);
    put32(info + 8, height);
    put16(info + 12, 1);
    put16(info + 14, grey ? 8 : 24);
    uint32_t ppm_x = 0, ppm_y = 0;
    if (cinfo->density_unit == 2) {
        ppm_x = cinfo->X_density * 100u;
        ppm_y = cinfo->Y_density * 100u;
    }
    put32(info + 24, ppm_x);
    put32(info + 28, ppm_y);
    put32(info + 32, colours);
    if (std::fwrite(header, sizeof header, 1, c.out) != 1) return false;
    if (grey) {
        uint8_t ramp[256 * 4];
        for (int i = 0; i < 256; ++i) {
            ramp[i * 4 + 0] = ramp[i * 4 + 1] = ramp[i * 4 + 2] = static_cast<uint8_t>(i);
            ramp[i * 4 + 3] = 0;
        }
        if (std::fwrite(ramp, sizeof ramp, 1, c.out) != 1) return false;
    }

    JSAMPARRAY scan = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                 width * components, 1);
    auto* row = static_cast<uint8_t*>((*cinfo->mem->alloc_large)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, static_cast<size_t>(row_bytes)));
    std::memset(row, 0, static_cast<size_t>(row_bytes));

    while (cinfo->output_scanline < height) {
        const uint32_t y = cinfo->output_scanline;
        if (jpeg_read_scanlines(cinfo, scan, 1) != 1) return false;
        const JSAMPLE* s = scan[0];
        for (uint32_t x = 0; x < width; ++x, s += components) {
            uint8_t* d = row + x * bytes_per_pixel;
            if (grey) {
                d[0] = s[0];
            } else if (cmyk) {  // libjpeg hands Adobe CMYK over inverted
                d[0] = static_cast<uint8_t>(s[2] * s[3] / 255);
                d[1] = static_cast<uint8_t>(s[1] * s[3] / 255);
                d[2] = static_cast<uint8_t>(s[0] * s[3] / 255);
            } else {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
        }
        // Rows run bottom-up: the first scanline is the last row of the file.
        const uint64_t at = bits_offset + row_bytes * (height - 1 - y);
        if (std::fseek(c.out, static_cast<long>(at), SEEK_SET) != 0) return false;
        if (std::fwrite(row, static_cast<size_t>(row_bytes), 1, c.out) != 1) return false;
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

}  // namespace

bool convertJpegToBmp(const std::string& jpeg_path, const std::string& bmp_path) {
    FILE* in = os::openFile(jpeg_path, "rb");
    if (!in) return false;
    FILE* out = os::openFile(bmp_path, "wb");
    if (!out) {
        std::fclose(in);
        return false;
    }
    // Created before setjmp and never reassigned, so it is intact after the jump.
    const std::unique_ptr<Conversion> job(new Conversion());
    job->in = in;
    job->out = out;
    job->cinfo.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = onFatalError;
    job->err.pub.output_message = onMessage;

    if (setjmp(job->err.jump) != 0) {
        jpeg_destroy_decompress(&job->cinfo);
        std::fclose(job->in);
        std::fclose(job->out);
        os::deleteFile(bmp_path);
        std::fprintf(stderr, "%s\n", job->err.message);
        std::fflush(stderr);
        os::exitProcess(1);
    }
    jpeg_create_decompress(&job->cinfo);
    jpeg_set_marker_processor(&job->cinfo, JPEG_COM, skipMarker);
    jpeg_set_marker_processor(&job->cinfo, JPEG_APP0 + 12, skipMarker);
    jpeg_stdio_src(&job->cinfo, job->in);
    bool ok = decode(*job);
    jpeg_destroy_decompress(&job->cinfo);
    std::fclose(job->in);
    if (std::fclose(job->out) != 0) ok = false;
    if (!ok) os::deleteFile(bmp_path);
    return ok;
}

DibLoad loadDib(const std::string& bmp_path, DibPicture& out) {
    out = DibPicture();
    FILE* f = os::openFile(bmp_path, "rb");
    if (!f) return DibLoad::NoPicture;
    long length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    if (length < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        std::fclose(f);
        return DibLoad::NoPicture;
    }
    uint8_t file_header[kBmpFileHeaderSize];
    if (std::fread(file_header, 1, sizeof file_header, f) != sizeof file_header ||
        file_header[0] != 'B' || file_header[1] != 'M') {
        std::fclose(f);
        return DibLoad::CannotBeLoaded;
    }
    std::vector<uint8_t> dib(static_cast<size_t>(length - kBmpFileHeaderSize), 0);
    const size_t got = dib.empty() ? 0 : std::fread(dib.data(), 1, dib.size(), f);
    std::fclose(f);
    if (got != dib.size()) return DibLoad::CannotBeLoaded;

    // Headers: nothing may point outside the block, since painting reads it whole.
    if (dib.size() < 4) return DibLoad::ErrorInLoading;
    const uint32_t header_size = get32(dib.data());
    if ((header_size != kBmpCoreHeaderSize && header_size < kBmpInfoHeaderSize) ||
        header_size > dib.size())
        return DibLoad::ErrorInLoading;
    int64_t width, height;
    uint16_t bits;
    uint32_t colours_used = 0, compression = 0, entry_size;
    if (header_size == kBmpCoreHeaderSize) {
        width = get16(dib.data() + 4);
        height = get16(dib.data() + 6);
        bits = get16(dib.data() + 10);
        entry_size = 3;
    } else {
        width = static_cast<int32_t>(get32(dib.data() + 4));
        height = static_cast<int32_t>(get32(dib.data() + 8));
        bits = get16(dib.data() + 14);
        compression = get32(dib.data() + 16);
        colours_used = get32(dib.data() + 32);
        entry_size = 4;
    }
    if (width < 0 || height < 0) return DibLoad::ErrorInLoading;
    if (compression != 0) return DibLoad::ErrorInLoading;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return DibLoad::ErrorInLoading;

    uint64_t colours = colours_used;
    if (colours == 0) colours = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
    const uint64_t bits_offset = header_size + colours * entry_size;
    const uint64_t row_bytes = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
    if (bits_offset + row_bytes * static_cast<uint64_t>(height) > dib.size())
        return DibLoad::ErrorInLoading;

    out.palette.resize(static_cast<size_t>(colours));
    for (size_t i = 0; i < out.palette.size(); ++i) {
        const uint8_t* e = dib.data() + header_size + i * entry_size;
        out.palette[i] = PaletteColour{e[2], e[1], e[0], 0};
    }
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.bits_per_pixel = bits;
    out.header_size = header_size;
    out.bits_offset = static_cast<uint32_t>(bits_offset);
    out.dib = std::move(dib);
    return DibLoad::Loaded;
}

DibLoad loadSplashPicture(const std::string& jpeg_path, const std::string& bmp_path,
                          DibPicture& out) {
    out = DibPicture();
    if (!convertJpegToBmp(jpeg_path, bmp_path)) return DibLoad::NoPicture;
    return loadDib(bmp_path, out);
}

}  // namespace wizard

// JPEG decoding through libjpeg (the 6.2 interface). libjpeg reports fatal errors
// through error_exit, which must not return; ours longjmps back into
// runDecoder(), a function holding only C objects, so no C++ destructor is
// skipped. Tables (JPEGTables, or tables-only streams inside the image data, as
// old writers produced them) are read as abbreviated table streams first.
#include "swf/Bitmap.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

namespace swf {

namespace {

constexpr int kMaxScans = 1000;            // a progressive file needs ~10; more is an attack
constexpr int kMaxHeaderRounds = 16;       // tables-only streams before the image
constexpr long kMaxJpegMemory = 512L << 20;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo)
{
    auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, e->message);
    std::longjmp(e->jump, 1);
}

void onMessage(j_common_ptr, int) {} // warnings about damaged data: decode what is there

void onProgress(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->is_decompressor && d->input_scan_number > kMaxScans) {
        auto* e = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(e->message, sizeof e->message, "too many scans in a progressive JPEG");
        std::longjmp(e->jump, 1);
    }
}

struct JpegJob {
    const std::uint8_t* tables;
    std::size_t tablesSize;
    const std::uint8_t* image;
    std::size_t imageSize;
    std::uint64_t maxPixels;
    DecodedBitmap* out;
    char error[JMSG_LENGTH_MAX];
    JSAMPLE* cmykRow; // here, not in runDecoder's frame, so that it survives a longjmp
};

void cmykRowToArgb(const JSAMPLE* in, std::uint32_t* out, unsigned width, bool inverted)
{
    for (unsigned x = 0; x < width; ++x, in += 4) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c; m = 255 - m; y = 255 - y; k = 255 - k;
        }
        out[x] = 0xFF000000u | ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
    }
}

// Only C objects live in this frame (see the note at the top).
bool runDecoder(JpegJob& job)
{
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.emit_message = onMessage;
    err.message[0] = 0;
    if (setjmp(err.jump)) {
        std::memcpy(job.error, err.message, sizeof job.error);
        std::free(job.cmykRow);
        job.cmykRow = nullptr;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_CreateDecompress(&cinfo, 62, sizeof cinfo);
    cinfo.mem->max_memory_to_use = kMaxJpegMemory;
    progress.progress_monitor = onProgress;
    cinfo.progress = &progress;
    if (job.tablesSize > 0) {
        jpeg_mem_src(&cinfo, job.tables, static_cast<unsigned long>(job.tablesSize));
        jpeg_read_header(&cinfo, FALSE);
    }
    jpeg_mem_src(&cinfo, job.image, static_cast<unsigned long>(job.imageSize));
    int rc = JPEG_HEADER_TABLES_ONLY;
    for (int i = 0; i < kMaxHeaderRounds && rc == JPEG_HEADER_TABLES_ONLY; ++i)
        rc = jpeg_read_header(&cinfo, FALSE);
    if (rc != JPEG_HEADER_OK) {
        std::snprintf(job.error, sizeof job.error, "the JPEG data holds no image");
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (std::uint64_t(cinfo.image_width) * cinfo.image_height > job.maxPixels || cinfo.image_width == 0 ||
        cinfo.image_height == 0) {
        std::snprintf(job.error, sizeof job.error, "the JPEG image is %ux%u pixels, more than allowed",
                      cinfo.image_width, cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA; // BGRA bytes = 0xAARRGGBB words
    jpeg_start_decompress(&cinfo);
    job.out->width = int(cinfo.output_width);
    job.out->height = int(cinfo.output_height);
    job.out->pixels.assign(std::size_t(cinfo.output_width) * cinfo.output_height, 0xFF000000u);
    if (cmyk)
        job.cmykRow = static_cast<JSAMPLE*>(std::malloc(std::size_t(cinfo.output_width) * 4));
    const bool inverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        std::uint32_t* row = job.out->pixels.data() + std::size_t(cinfo.output_scanline) * cinfo.output_width;
        JSAMPROW dest = cmyk ? job.cmykRow : reinterpret_cast<JSAMPROW>(row);
        jpeg_read_scanlines(&cinfo, &dest, 1);
        if (cmyk)
            cmykRowToArgb(job.cmykRow, row, cinfo.output_width, inverted);
    }
    jpeg_finish_decompress(&cinfo);
    std::free(job.cmykRow);
    job.cmykRow = nullptr;
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// Old writers put an EOI+SOI pair (FF D9 FF D8) in front of the data.
std::span<const std::uint8_t> stripBogusHeader(std::span<const std::uint8_t> d)
{
    static const std::uint8_t bogus[] = {0xFF, 0xD9, 0xFF, 0xD8};
    if (d.size() >= 4 && std::memcmp(d.data(), bogus, 4) == 0)
        return d.subspan(4);
    return d;
}

} // namespace

Result<DecodedBitmap> decodeJpeg(std::span<const std::uint8_t> tables, std::span<const std::uint8_t> image,
                                 const Limits& limits)
{
    tables = stripBogusHeader(tables);
    image = stripBogusHeader(image);
    if (image.size() < 4)
        return makeError(ErrorCode::Malformed, "the JPEG data is empty");
    DecodedBitmap out;
    JpegJob job{tables.data(), tables.size(), image.data(), image.size(), limits.maxBitmapPixels, &out, {}, nullptr};
    if (!runDecoder(job))
        return makeError(ErrorCode::Malformed, std::string("JPEG: ") + job.error);
    return out;
}

} // namespace swf

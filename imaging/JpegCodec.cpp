#include "JpegCodec.h"

#include "Bitmap.h"
#include "Exceptions.h"
#include "JPEGImage.h"
#include "Stream.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

// jpeg_create_compress passes the library version the header names; this library
// requires 62 (not the 61 of older IJG releases).
static_assert(JPEG_LIB_VERSION == 62, "built for the libjpeg 6.2 interface");

namespace jpeg_codec {
namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code = 0;
};

void onError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    err->code = cinfo->err->msg_code;
    std::longjmp(err->jump, 1);
}

// The library would print warnings on stderr; they are not ours to show.
void silent(j_common_ptr) {}

void installErrorManager(jpeg_common_struct& cinfo, ErrorManager& err)
{
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = onError;
    err.pub.output_message = silent;
}

[[noreturn]] void raise(int code)
{
    throw EJPEG(FormatMessage(jpeg_messages::JPEGError, {std::to_string(code)}));
}

// Appends the compressed bytes to a memory stream.
struct Destination {
    jpeg_destination_mgr pub;
    TMemoryStream* out;
    JOCTET buffer[16384];
};

void initDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<Destination*>(cinfo->dest);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = sizeof d->buffer;
}

bool appendBytes(Destination* d, size_t size)
{
    try {
        d->out->WriteBuffer(d->buffer, size);
        return true;
    } catch (...) {
        return false;
    }
}

boolean emptyOutputBuffer(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<Destination*>(cinfo->dest);
    if (!appendBytes(d, sizeof d->buffer))
        ERREXIT(cinfo, JERR_FILE_WRITE);
    initDestination(cinfo);
    return TRUE;
}

void termDestination(j_compress_ptr cinfo)
{
    auto* d = reinterpret_cast<Destination*>(cinfo->dest);
    if (!appendBytes(d, sizeof d->buffer - d->pub.free_in_buffer))
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

struct CompressJob {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    Destination dest;
    JSAMPROW* rows;
    JDIMENSION width, height;
    bool oneRowPerCall;
    CompressSettings settings;
};

// Only plain data lives in this frame, so jumping back into it from the library is safe.
int runCompress(CompressJob& job)
{
    jpeg_compress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return job.err.code;
    }
    jpeg_create_compress(&cinfo);
    job.dest.pub.init_destination = initDestination;
    job.dest.pub.empty_output_buffer = emptyOutputBuffer;
    job.dest.pub.term_destination = termDestination;
    cinfo.dest = &job.dest.pub;
    cinfo.image_width = job.width;
    cinfo.image_height = job.height;
    cinfo.input_components = 3;
    // The rows hold blue, green, red: the library reads them as such, so the file has
    // the frame's colours.
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job.settings.quality, TRUE);
    if (job.settings.grayscale) {
        jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
    } else if (job.settings.quality >= 100) {
        // Who asks for the best quality gets the colour at every pixel too: halved
        // chroma smears the edges between saturated colours, which movies are full of.
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    if (job.settings.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JDIMENSION left = cinfo.image_height - cinfo.next_scanline;
        jpeg_write_scanlines(&cinfo, job.rows + cinfo.next_scanline, job.oneRowPerCall ? 1 : left);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return -1;
}

} // namespace

void Compress(const TBitmap& bitmap, const CompressSettings& settings, TMemoryStream& out)
{
    auto job = std::make_unique<CompressJob>();
    job->cinfo = {};
    installErrorManager(*reinterpret_cast<jpeg_common_struct*>(&job->cinfo), job->err);
    job->dest.out = &out;
    job->width = JDIMENSION(bitmap.Width());
    job->height = JDIMENSION(bitmap.Height());
    job->settings = settings;
    // Rows from the top down.
    std::vector<JSAMPROW> rows(size_t(bitmap.Height()));
    for (int y = 0; y < bitmap.Height(); ++y)
        rows[size_t(y)] = const_cast<JSAMPROW>(bitmap.ScanLine(y));
    job->rows = rows.data();
    // Rows stored bottom-up (or oddly spaced) cannot be handed over as one block.
    const ptrdiff_t distance = bitmap.Height() > 1 ? bitmap.ScanLine(1) - bitmap.ScanLine(0) : 0;
    job->oneRowPerCall = distance < 0 || distance % 4 != 0;
    const int code = runCompress(*job);
    if (code >= 0)
        raise(code);
}

namespace {

struct DecompressJob {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    bool created = false;
};

int readHeaderPhase(DecompressJob& job, const uint8_t* data, size_t size, const DecodeSettings* settings)
{
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump))
        return job.err.code;
    jpeg_create_decompress(&cinfo);
    job.created = true;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (settings) {
        cinfo.scale_num = 1;
        cinfo.scale_denom = unsigned(settings->scaleDenominator);
        cinfo.do_fancy_upsampling = settings->smoothing ? TRUE : FALSE;
        cinfo.dct_method = settings->fast ? JDCT_IFAST : JDCT_ISLOW;
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_calc_output_dimensions(&cinfo);
    }
    return -1;
}

int decodePhase(DecompressJob& job, JSAMPROW* rows)
{
    jpeg_decompress_struct& cinfo = job.cinfo;
    if (setjmp(job.err.jump))
        return job.err.code;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height)
        jpeg_read_scanlines(&cinfo, rows + cinfo.output_scanline, cinfo.output_height - cinfo.output_scanline);
    jpeg_finish_decompress(&cinfo);
    return -1;
}

// Destroys the decompressor on every way out.
struct DecompressGuard {
    DecompressJob& job;
    ~DecompressGuard()
    {
        if (job.created)
            jpeg_destroy_decompress(&job.cinfo);
    }
};

} // namespace

Header ReadHeader(const uint8_t* data, size_t size)
{
    auto job = std::make_unique<DecompressJob>();
    job->cinfo = {};
    installErrorManager(*reinterpret_cast<jpeg_common_struct*>(&job->cinfo), job->err);
    DecompressGuard guard{*job};
    const int code = readHeaderPhase(*job, data, size, nullptr);
    if (code >= 0)
        raise(code);
    return Header{int(job->cinfo.image_width), int(job->cinfo.image_height)};
}

std::unique_ptr<TBitmap> Decode(const uint8_t* data, size_t size, const DecodeSettings& settings)
{
    auto job = std::make_unique<DecompressJob>();
    job->cinfo = {};
    installErrorManager(*reinterpret_cast<jpeg_common_struct*>(&job->cinfo), job->err);
    DecompressGuard guard{*job};
    int code = readHeaderPhase(*job, data, size, &settings);
    if (code >= 0)
        raise(code);
    const uint32_t width = job->cinfo.output_width, height = job->cinfo.output_height;
    if (width > settings.maxWidth || height > settings.maxHeight || uint64_t(width) * height > settings.maxPixels)
        raise(JERR_IMAGE_TOO_BIG);
    auto bitmap = std::make_unique<TBitmap>(int(width), int(height), pf24bit);
    std::vector<JSAMPROW> rows(height);
    for (uint32_t y = 0; y < height; ++y)
        rows[y] = bitmap->ScanLine(int(y));
    code = decodePhase(*job, rows.data());
    if (code >= 0)
        raise(code);
    return bitmap;
}

} // namespace jpeg_codec

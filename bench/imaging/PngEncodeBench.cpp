// Encoding one 440 x 316 frame the way the image series saves it, by our writer and by
// libpng at the same settings: 16-bit RGBA, Sub filter on every row, zlib level 7,
// window bits 15, memory level 8, default strategy, 65535-byte IDAT chunks.
// libpng gets its rows ready-made (our writer converts from its store while encoding).
#include "Stream.h"
#include "sf_pngimage.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 316;

struct Pixel {
    uint8_t r, g, b, a;
};

// Something like a captured movie frame: a gradient sky, flat shapes with soft edges,
// some fine detail, and a transparent border.
Pixel framePixel(int x, int y)
{
    Pixel p{uint8_t(40 + y * 150 / kHeight), uint8_t(90 + y * 100 / kHeight), uint8_t(200 - y * 60 / kHeight), 255};
    const double dx = x - 150, dy = y - 160, d = std::sqrt(dx * dx + dy * dy);
    if (d < 80) {
        const double edge = std::min(1.0, 80 - d);
        p.r = uint8_t(p.r + (250 - p.r) * edge);
        p.g = uint8_t(p.g + (200 - p.g) * edge);
        p.b = uint8_t(p.b + (30 - p.b) * edge);
    }
    if (x > 260 && x < 400 && y > 60 && y < 250) {
        p.r = 180;
        p.g = 40;
        p.b = 60;
        if ((x / 6 + y / 6) % 2 == 0)
            p.g = 70;
    }
    if (y > 280)
        p.r = p.g = p.b = uint8_t((x * 13 + y * 7) % 256);  // text-like noise
    if (x < 8 || x >= kWidth - 8)
        p.a = 0;
    return p;
}

std::unique_ptr<TsfPngImage> makeImage()
{
    auto image = TsfPngImage::CreateSized(sf_png::ctRGB, 16, kWidth, kHeight);
    image->AddAlpha();
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Pixel p = framePixel(x, y);
            image->SetPixels(x, y, RGB(p.r, p.g, p.b));
            image->AlphaRow(y)[x] = p.a;
        }
    return image;
}

void ours(benchmark::State& state)
{
    auto image = makeImage();
    size_t bytes = 0;
    for (auto _ : state) {
        TMemoryStream out;
        image->SaveToStream(out);
        bytes = size_t(out.Size());
        benchmark::DoNotOptimize(out.Memory());
    }
    state.counters["file_bytes"] = double(bytes);
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 8);
}

void appendBytes(png_structp png, png_bytep data, png_size_t size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void libpng(benchmark::State& state)
{
    // The same samples: the 8-bit value in the high byte, 0 in the low byte.
    std::vector<std::vector<uint8_t>> rows(kHeight, std::vector<uint8_t>(size_t(kWidth) * 8, 0));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Pixel p = framePixel(x, y);
            uint8_t* s = &rows[size_t(y)][size_t(x) * 8];
            s[0] = p.r;
            s[2] = p.g;
            s[4] = p.b;
            s[6] = p.a;
        }
    std::vector<png_bytep> pointers;
    for (auto& r : rows)
        pointers.push_back(r.data());
    size_t bytes = 0;
    for (auto _ : state) {
        std::vector<uint8_t> out;
        out.reserve(1 << 20);
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_write_fn(png, &out, appendBytes, nullptr);
        png_set_IHDR(png, info, kWidth, kHeight, 16, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_filter(png, 0, PNG_FILTER_SUB);
        png_set_compression_level(png, 7);
        png_set_compression_window_bits(png, 15);
        png_set_compression_mem_level(png, 8);
        png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
        png_set_compression_buffer_size(png, 65535);
        png_write_info(png, info);
        png_write_image(png, pointers.data());
        png_write_end(png, info);
        png_destroy_write_struct(&png, &info);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["file_bytes"] = double(bytes);
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 8);
}

} // namespace

BENCHMARK(ours)->Name("PngEncode/ours_rgba16_440x316")->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(libpng)->Name("PngEncode/libpng_rgba16_440x316")->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();

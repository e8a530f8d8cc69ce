#include "LibpngOracle.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace imaging_test {
namespace {

[[noreturn]] void onError(png_structp, png_const_charp message)
{
    throw std::runtime_error(std::string("libpng: ") + message);
}
void onWarning(png_structp, png_const_charp) {}

int channelsOf(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
    }
}

struct File {
    FILE* f;
    ~File() { if (f) fclose(f); }
};

} // namespace

RawPng ReadWithLibpng(const std::string& path)
{
    File file{fopen(path.c_str(), "rb")};
    if (!file.f)
        throw std::runtime_error("cannot open " + path);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    png_infop info = png_create_info_struct(png);
    RawPng out;
    try {
        png_init_io(png, file.f);
        png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        out.width = png_get_image_width(png, info);
        out.height = png_get_image_height(png, info);
        out.bitDepth = png_get_bit_depth(png, info);
        out.colorType = png_get_color_type(png, info);
        out.interlace = png_get_interlace_type(png, info);
        out.channels = channelsOf(out.colorType);
        png_bytepp rows = png_get_rows(png, info);
        for (uint32_t y = 0; y < out.height; ++y) {
            const png_bytep row = rows[y];
            for (uint32_t i = 0; i < out.width * uint32_t(out.channels); ++i) {
                uint16_t v;
                if (out.bitDepth == 16)
                    v = uint16_t((row[2 * i] << 8) | row[2 * i + 1]);
                else if (out.bitDepth == 8)
                    v = row[i];
                else {
                    const uint32_t bit = i * uint32_t(out.bitDepth);
                    v = uint16_t((row[bit / 8] >> (8 - out.bitDepth - bit % 8)) & ((1 << out.bitDepth) - 1));
                }
                out.samples.push_back(v);
            }
        }
        png_colorp palette;
        int count = 0;
        if (png_get_PLTE(png, info, &palette, &count))
            for (int i = 0; i < count; ++i)
                out.palette.insert(out.palette.end(), {palette[i].red, palette[i].green, palette[i].blue});
        png_bytep trans;
        int transCount = 0;
        png_color_16p transColor;
        if (png_get_tRNS(png, info, &trans, &transCount, &transColor) && out.colorType == PNG_COLOR_TYPE_PALETTE)
            out.transparency.assign(trans, trans + transCount);
    } catch (...) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return out;
}

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void encode(png_structp png, png_infop info, const RawPng& image, bool likeOurs);

} // namespace

std::vector<uint8_t> EncodeWithLibpngLikeOurs(const RawPng& image)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    png_infop info = png_create_info_struct(png);
    try {
        png_set_write_fn(png, &out, appendBytes, nullptr);
        encode(png, info, image, true);
    } catch (...) {
        png_destroy_write_struct(&png, &info);
        throw;
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

void WriteWithLibpng(const std::string& path, const RawPng& image)
{
    File file{fopen(path.c_str(), "wb")};
    if (!file.f)
        throw std::runtime_error("cannot create " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    png_infop info = png_create_info_struct(png);
    try {
        png_init_io(png, file.f);
        encode(png, info, image, false);
    } catch (...) {
        png_destroy_write_struct(&png, &info);
        throw;
    }
    png_destroy_write_struct(&png, &info);
}

namespace {

void encode(png_structp png, png_infop info, const RawPng& image, bool likeOurs)
{
    {
        png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colorType, image.interlace,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        std::vector<png_color> palette;
        for (size_t i = 0; i + 2 < image.palette.size(); i += 3)
            palette.push_back(png_color{image.palette[i], image.palette[i + 1], image.palette[i + 2]});
        if (!palette.empty())
            png_set_PLTE(png, info, palette.data(), int(palette.size()));
        if (!image.transparency.empty())
            png_set_tRNS(png, info, image.transparency.data(), int(image.transparency.size()), nullptr);
        if (likeOurs) {
            png_set_filter(png, 0, PNG_FILTER_SUB);
            png_set_compression_level(png, 7);
            png_set_compression_window_bits(png, 15);
            png_set_compression_mem_level(png, 8);
            png_set_compression_strategy(png, 0);  // Z_DEFAULT_STRATEGY
            png_set_compression_buffer_size(png, 65535);
        } else {
            png_set_filter(png, 0, PNG_ALL_FILTERS);
        }
        png_write_info(png, info);
        const int channels = channelsOf(image.colorType);
        const size_t rowBytes = (size_t(image.width) * channels * image.bitDepth + 7) / 8;
        std::vector<std::vector<uint8_t>> rows(image.height, std::vector<uint8_t>(rowBytes, 0));
        for (uint32_t y = 0; y < image.height; ++y)
            for (uint32_t i = 0; i < image.width * uint32_t(channels); ++i) {
                const uint16_t v = image.samples[size_t(y) * image.width * channels + i];
                uint8_t* row = rows[y].data();
                if (image.bitDepth == 16) {
                    row[2 * i] = uint8_t(v >> 8);
                    row[2 * i + 1] = uint8_t(v);
                } else if (image.bitDepth == 8) {
                    row[i] = uint8_t(v);
                } else {
                    const uint32_t bit = i * uint32_t(image.bitDepth);
                    row[bit / 8] |= uint8_t(v << (8 - image.bitDepth - bit % 8));
                }
            }
        std::vector<png_bytep> pointers;
        for (auto& r : rows)
            pointers.push_back(r.data());
        png_write_image(png, pointers.data());
        png_write_end(png, info);
    }
}

} // namespace

} // namespace imaging_test

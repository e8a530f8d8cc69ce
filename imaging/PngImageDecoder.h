// Inflates and unfilters the image data of a PNG file into the pixel store, fed with
// the IDAT bodies piece by piece.
#pragma once

#include "PngRows.h"

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

class TsfPngImage;
class TsfPngLayerIHDR;

namespace png_reader {

class ImageDecoder {
public:
    ImageDecoder(TsfPngImage& image, TsfPngLayerIHDR& header);
    ~ImageDecoder();
    ImageDecoder(const ImageDecoder&) = delete;
    ImageDecoder& operator=(const ImageDecoder&) = delete;

    // Inflates one piece of the zlib stream. False on corrupt data (see Error()).
    bool Feed(const uint8_t* data, size_t size);
    // True once every row of the image has been decoded.
    bool Complete() const { return m_pass >= m_passCount; }
    const std::string& Error() const { return m_error; }

private:
    bool startPass();
    bool finishRow();
    void storeFullImage();

    TsfPngImage& m_image;
    TsfPngLayerIHDR& m_header;
    png_rows::RowFormat m_format;
    z_stream m_z{};
    bool m_zReady = false;
    bool m_interlaced = false;
    int m_passCount = 1;
    int m_pass = -1;
    uint32_t m_passWidth = 0;
    uint32_t m_passRows = 0;
    uint32_t m_rowInPass = 0;
    size_t m_lineSize = 0;      // of the current pass
    size_t m_filled = 0;        // bytes of the current row (filter byte included)
    std::vector<uint8_t> m_row;       // filter byte + scanline
    std::vector<uint8_t> m_previous;  // previous unfiltered scanline of the pass
    std::vector<uint8_t> m_fullImage; // interlaced images: every scanline, unfiltered
    std::string m_error;
};

} // namespace png_reader

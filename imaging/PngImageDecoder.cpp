#include "PngImageDecoder.h"

#include "PngAdam7.h"
#include "PngFilters.h"
#include "PngFormat.h"
#include "sf_pngimage.h"

#include <cstring>

namespace png_reader {

ImageDecoder::ImageDecoder(TsfPngImage& image, TsfPngLayerIHDR& header)
    : m_image(image), m_header(header), m_format{header.ColorType, header.BitDepth, uint32_t(header.Width)}
{
    m_interlaced = header.InterlaceMethod == 1;
    m_passCount = m_interlaced ? 7 : 1;
    const size_t fullLine = png_format::LineSize(m_format.colorType, m_format.bitDepth, m_format.width);
    m_row.assign(fullLine + 1, 0);
    m_previous.assign(fullLine, 0);
    if (m_interlaced)
        m_fullImage.assign(fullLine * size_t(header.Height), 0);
    m_zReady = inflateInit(&m_z) == Z_OK;
    if (!m_zReady)
        m_error = "the decompressor cannot start";
    startPass();
}

ImageDecoder::~ImageDecoder()
{
    if (m_zReady)
        inflateEnd(&m_z);
}

bool ImageDecoder::startPass()
{
    // Empty passes of small interlaced images have no rows, not even filter bytes.
    for (++m_pass; m_pass < m_passCount; ++m_pass) {
        m_passWidth = m_interlaced ? png_adam7::PassWidth(m_pass, m_format.width) : m_format.width;
        m_passRows = m_interlaced ? png_adam7::PassHeight(m_pass, uint32_t(m_header.Height)) : uint32_t(m_header.Height);
        if (m_passWidth > 0 && m_passRows > 0)
            break;
    }
    m_rowInPass = 0;
    m_filled = 0;
    m_lineSize = png_format::LineSize(m_format.colorType, m_format.bitDepth, m_passWidth);
    std::memset(m_previous.data(), 0, m_previous.size());
    if (Complete() && m_interlaced)
        storeFullImage();
    return true;
}

bool ImageDecoder::Feed(const uint8_t* data, size_t size)
{
    if (!m_zReady)
        return false;
    m_z.next_in = const_cast<Bytef*>(data);
    m_z.avail_in = static_cast<uInt>(size);
    while (m_z.avail_in > 0 && !Complete()) {
        m_z.next_out = m_row.data() + m_filled;
        m_z.avail_out = static_cast<uInt>(m_lineSize + 1 - m_filled);
        int rc = inflate(&m_z, Z_NO_FLUSH);
        m_filled = size_t(m_z.next_out - m_row.data());
        if (rc == Z_NEED_DICT || rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR) {
            m_error = std::string("corrupt image data (") + (m_z.msg ? m_z.msg : "inflate failed") + ")";
            return false;
        }
        if (m_filled == m_lineSize + 1 && !finishRow())
            return false;
        if (rc == Z_STREAM_END && !Complete()) {
            m_error = "the image data ends before the last row";
            return false;
        }
    }
    return true;
}

bool ImageDecoder::finishRow()
{
    const uint8_t filter = m_row[0];
    uint8_t* line = m_row.data() + 1;
    if (!png_filters::Unfilter(filter, line, m_previous.data(), m_lineSize,
                               size_t(png_format::PixelStep(m_format.colorType, m_format.bitDepth)))) {
        m_error = "unknown filter type " + std::to_string(filter);
        return false;
    }
    if (m_interlaced) {
        const png_adam7::Pass& p = png_adam7::kPasses[m_pass];
        const size_t fullLine = m_previous.size();
        uint8_t* target = m_fullImage.data() + fullLine * (p.yStart + m_rowInPass * p.yStep);
        png_adam7::ScatterPass(m_pass, line, m_passWidth, m_format.bitDepth * png_format::Channels(m_format.colorType),
                               target);
    } else {
        const int y = int(m_rowInPass);
        png_rows::ScanlineToStoredRow(m_format, line, m_image.PixelRow(y), m_image.AlphaRow(y), m_image.GammaTable);
    }
    std::memcpy(m_previous.data(), line, m_lineSize);
    m_filled = 0;
    if (++m_rowInPass == m_passRows)
        startPass();
    return true;
}

void ImageDecoder::storeFullImage()
{
    const size_t fullLine = m_previous.size();
    for (int y = 0; y < m_header.Height; ++y)
        png_rows::ScanlineToStoredRow(m_format, m_fullImage.data() + fullLine * size_t(y), m_image.PixelRow(y),
                                      m_image.AlphaRow(y), m_image.GammaTable);
    m_fullImage = {};
}

} // namespace png_reader

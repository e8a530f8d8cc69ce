#include "PngWriter.h"

#include "Exceptions.h"
#include "PngAdam7.h"
#include "PngChunk.h"
#include "PngFilters.h"
#include "PngFormat.h"
#include "PngRows.h"
#include "sf_pngimage.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace png_writer {

IdatSink::IdatSink(TStream& stream, size_t limit) : m_stream(stream), m_buffer(limit) {}

uint8_t* IdatSink::Space(size_t& available)
{
    if (m_used == m_buffer.size())
        writeChunk();
    available = m_buffer.size() - m_used;
    return m_buffer.data() + m_used;
}

void IdatSink::Commit(size_t used)
{
    m_used += used;
    if (m_used == m_buffer.size())
        writeChunk();
}

void IdatSink::Put(const uint8_t* data, size_t size)
{
    while (size > 0) {
        size_t available = 0;
        uint8_t* space = Space(available);
        size_t n = std::min(size, available);
        std::memcpy(space, data, n);
        Commit(n);
        data += n;
        size -= n;
    }
}

void IdatSink::Finish()
{
    if (m_used > 0)
        writeChunk();
}

void IdatSink::writeChunk()
{
    png_chunk::WriteChunk(m_stream, TsfPngLayerIDAT::kName, m_buffer.data(), m_used);
    m_used = 0;
}

namespace {

// One zlib stream (deflate method, window bits 15, memory level 8, default strategy)
// whose output goes straight into the IDAT buffer.
class Deflater {
public:
    Deflater(IdatSink& sink, int level) : m_sink(sink)
    {
        if (deflateInit2(&m_z, level, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw EOutOfResources("PNG: the compressor cannot start");
    }
    ~Deflater() { deflateEnd(&m_z); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void Feed(const uint8_t* data, size_t size) { run(data, size, Z_NO_FLUSH); }
    void Finish() { run(nullptr, 0, Z_FINISH); }

private:
    void run(const uint8_t* data, size_t size, int flush)
    {
        m_z.next_in = const_cast<Bytef*>(data);
        m_z.avail_in = static_cast<uInt>(size);
        for (;;) {
            size_t available = 0;
            m_z.next_out = m_sink.Space(available);
            m_z.avail_out = static_cast<uInt>(available);
            int rc = deflate(&m_z, flush);
            if (rc == Z_STREAM_ERROR)
                throw EInvalidGraphicOperation("PNG: compression failed");
            m_sink.Commit(available - m_z.avail_out);
            if (flush == Z_FINISH ? rc == Z_STREAM_END : (m_z.avail_in == 0 && m_z.avail_out != 0))
                return;
        }
    }

    IdatSink& m_sink;
    z_stream m_z{};
};

struct Encoder {
    const TsfPngImage& image;
    const TsfPngLayerIHDR& header;
    png_rows::RowFormat format;
    png_filters::RowFilter& filter;
    Deflater& deflater;

    void convertRow(int y, uint8_t* out) const
    {
        const uint8_t* alpha = header.AlphaData.empty() ? nullptr : header.AlphaData.data() + size_t(y) * header.Width;
        png_rows::StoredRowToScanline(format, image.PixelRow(y), alpha, image.InverseGammaTable, out);
    }

    void emitRow()
    {
        uint8_t type = filter.ChooseFilter();
        deflater.Feed(&type, 1);
        deflater.Feed(filter.FilteredRow(TsfPngFilter(type)), filter.LineSize());
    }

    void writeProgressive()
    {
        for (int y = 0; y < header.Height; ++y) {
            convertRow(y, filter.CurrentRow());
            emitRow();
        }
    }

    void writeInterlaced()
    {
        const int bits = format.bitDepth * png_format::Channels(format.colorType);
        std::vector<uint8_t> fullRow(png_format::LineSize(format.colorType, format.bitDepth, format.width));
        for (int pass = 0; pass < 7; ++pass) {
            const uint32_t width = png_adam7::PassWidth(pass, format.width);
            const uint32_t rows = png_adam7::PassHeight(pass, uint32_t(header.Height));
            if (width == 0 || rows == 0)
                continue;
            filter.Reset(png_format::LineSize(format.colorType, format.bitDepth, width));
            const png_adam7::Pass& p = png_adam7::kPasses[pass];
            for (uint32_t r = 0; r < rows; ++r) {
                convertRow(int(p.yStart + r * p.yStep), fullRow.data());
                png_adam7::ExtractPass(pass, fullRow.data(), format.width, bits, filter.CurrentRow());
                emitRow();
            }
        }
    }
};

} // namespace

void WriteImageData(const TsfPngImage& image, TStream& stream)
{
    const TsfPngLayerIHDR* header = image.HeaderLayer();
    if (!header)
        return;
    png_rows::RowFormat format{header->ColorType, header->BitDepth, uint32_t(header->Width)};
    const size_t lineSize = png_format::LineSize(format.colorType, format.bitDepth, format.width);
    png_filters::RowFilter filter(image.FilterSet(), lineSize, png_format::PixelStep(format.colorType, format.bitDepth));
    IdatSink sink(stream, size_t(image.IdatLimit()));
    Deflater deflater(sink, image.CompressionLevel());
    Encoder encoder{image, *header, format, filter, deflater};
    if (image.InterlaceMethod() == 1)
        encoder.writeInterlaced();
    else
        encoder.writeProgressive();
    deflater.Finish();
    sink.Finish();
}

} // namespace png_writer

#include "PngReader.h"

#include "PngChunk.h"
#include "PngFormat.h"
#include "PngImageDecoder.h"
#include "Stream.h"
#include "sf_pngimage.h"

#include <cstring>
#include <memory>
#include <vector>

namespace png_reader {
namespace {

constexpr size_t kPieceSize = 32768;

class Reader {
public:
    Reader(TsfPngImage& image, TStream& stream) : m_image(image), m_stream(stream), m_limits(image.ReadLimits) {}

    bool Run();
    const std::string& Error() const { return m_error; }

private:
    bool fail(std::string message)
    {
        m_error = std::move(message);
        return false;
    }
    bool readExact(void* buffer, size_t size)
    {
        return size == 0 || m_stream.Read(buffer, size) == size || fail("the file ends inside a chunk");
    }
    bool readChunkHead();
    bool readBodyAndCrc(std::vector<uint8_t>& body);
    bool checkCrc(uint32_t crc);
    bool skipBody();
    bool readImageData();
    bool takeChunk(const std::vector<uint8_t>& body);
    bool takeHeader(const std::vector<uint8_t>& body);
    bool takeOther(const std::vector<uint8_t>& body);

    TsfPngImage& m_image;
    TStream& m_stream;
    const TsfPngReadLimits m_limits;
    std::string m_error;
    uint32_t m_length = 0;
    std::string m_type;
    uint32_t m_chunks = 0;
    uint64_t m_ancillaryBytes = 0;
    bool m_dataSeen = false;
    bool m_ended = false;
    TsfPngLayerIHDR* m_header = nullptr;
};

bool Reader::Run()
{
    uint8_t signature[8];
    if (m_stream.Read(signature, 8) != 8 || std::memcmp(signature, png_chunk::kSignature, 8) != 0)
        return fail("not a PNG file (signature missing)");
    m_image.Building = true;
    m_image.Layers().AddLayer<TsfPngLayerIEND>();
    if (!readChunkHead())
        return false;
    while (!m_ended) {
        if (m_type == TsfPngLayerIDAT::kName) {
            if (!readImageData())
                return false;
            continue;  // the chunk after the image data has been read already
        }
        std::vector<uint8_t> body;
        if (!readBodyAndCrc(body) || !takeChunk(body))
            return false;
        if (!m_ended && !readChunkHead())
            return false;
    }
    if (!m_dataSeen)
        return fail("the file has no image data");
    m_image.Building = false;
    return true;
}

bool Reader::readChunkHead()
{
    uint8_t head[8];
    if (m_stream.Read(head, 8) != 8)
        return fail("the file ends before its IEND chunk");
    m_length = png_format::ReadBigEndian32(head);
    m_type.assign(reinterpret_cast<const char*>(head + 4), 4);
    if (m_length > png_chunk::kMaxLength)
        return fail("chunk length out of range");
    for (char c : m_type)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return fail("invalid chunk type");
    if (++m_chunks > m_limits.MaxChunks)
        return fail("too many chunks");
    if (m_chunks == 1 && m_type != TsfPngLayerIHDR::kName)
        return fail("the first chunk is not IHDR");
    return true;
}

bool Reader::checkCrc(uint32_t crc)
{
    uint8_t stored[4];
    if (!readExact(stored, 4))
        return false;
    return png_format::ReadBigEndian32(stored) == crc || !m_limits.VerifyCrc || fail("CRC error in chunk " + m_type);
}

bool Reader::readBodyAndCrc(std::vector<uint8_t>& body)
{
    const bool ancillary = m_type[0] >= 'a' && m_type[0] <= 'z';
    const uint64_t budget = ancillary ? m_limits.MaxAncillaryBytes - m_ancillaryBytes : 3 * 256;
    if (m_length > budget)
        return fail("chunk " + m_type + " is too large");
    if (ancillary)
        m_ancillaryBytes += m_length;
    body.resize(m_length);
    if (!readExact(body.data(), m_length))
        return false;
    return checkCrc(png_chunk::ChunkCrc(m_type, body.data(), body.size()));
}

bool Reader::readImageData()
{
    if (!m_header)
        return fail("IDAT before IHDR");
    if (m_dataSeen)
        return fail("IDAT chunks are not consecutive");
    if (m_header->ColorType == sf_png::ctPalette && !m_image.Layers().FindLayer<TsfPngLayerPLTE>())
        return fail("palette image without PLTE chunk");
    m_dataSeen = true;
    m_image.Building = true;
    m_image.Layers().AddLayer<TsfPngLayerIDAT>();
    ImageDecoder decoder(m_image, *m_header);
    std::vector<uint8_t> piece(kPieceSize);
    // The zlib stream runs on across consecutive IDAT chunks.
    while (m_type == TsfPngLayerIDAT::kName) {
        uint32_t crc = png_chunk::ChunkCrc(m_type, nullptr, 0);
        for (uint32_t left = m_length; left > 0;) {
            const size_t n = left < kPieceSize ? left : kPieceSize;
            if (!readExact(piece.data(), n))
                return false;
            crc = png_chunk::Crc(crc, piece.data(), n);
            if (!decoder.Complete() && !decoder.Feed(piece.data(), n))
                return fail(decoder.Error());
            left -= uint32_t(n);
        }
        if (!checkCrc(crc) || !readChunkHead())
            return false;
    }
    return decoder.Complete() || fail("the image data ends before the last row");
}

bool Reader::takeChunk(const std::vector<uint8_t>& body)
{
    if (m_type == TsfPngLayerIHDR::kName)
        return takeHeader(body);
    if (m_type == TsfPngLayerIEND::kName) {
        m_ended = true;
        return true;
    }
    if (m_type == "cHRM")
        return true;  // chromaticities are not used
    return takeOther(body);
}

bool Reader::takeHeader(const std::vector<uint8_t>& body)
{
    if (m_header)
        return fail("second IHDR chunk");
    auto* header = m_image.Layers().AddLayer<TsfPngLayerIHDR>();
    if (!header->LoadLayer(body.data(), uint32_t(body.size())))
        return fail("invalid IHDR chunk");
    const uint64_t pixels = uint64_t(uint32_t(header->Width)) * uint32_t(header->Height);
    if (uint32_t(header->Width) > m_limits.MaxWidth || uint32_t(header->Height) > m_limits.MaxHeight ||
        pixels > m_limits.MaxPixels)
        return fail("the image is too large");
    if (!header->PrepareStore())
        return fail("the image is too large");
    m_image.SetInterlaceMethod(header->InterlaceMethod);
    m_header = header;
    return true;
}

bool Reader::takeOther(const std::vector<uint8_t>& body)
{
    const bool critical = m_type[0] >= 'A' && m_type[0] <= 'Z';
    const bool known = m_type == TsfPngLayerPLTE::kName || m_type == TsfPngLayertRNS::kName ||
                       m_type == TsfPngLayergAMA::kName || m_type == TsfPngLayerpHYs::kName ||
                       m_type == TsfPngLayertIME::kName || m_type == TsfPngLayertEXt::kName ||
                       m_type == TsfPngLayerzTXt::kName;
    if (critical && !known)
        return fail("unknown critical chunk " + m_type);
    if (m_type == TsfPngLayerPLTE::kName) {
        if (m_dataSeen || m_image.Layers().FindLayer<TsfPngLayerPLTE>())
            return fail("misplaced PLTE chunk");
        if (m_header->ColorType == sf_png::ctGrey || m_header->ColorType == sf_png::ctGreyAlpha)
            return fail("PLTE chunk in a grey image");
        if (m_header->ColorType != sf_png::ctPalette)
            return true;  // a suggested palette of a true-colour image: not needed
    }
    if (m_type == TsfPngLayertRNS::kName && m_dataSeen)
        return true;  // after the image data it no longer applies
    m_image.Building = true;
    TsfPngLayer* layer = m_image.Layers().AddLayer(m_type);
    if (!layer)
        return true;  // a second gAMA, tRNS or pHYs: the first one counts
    if (!layer->LoadLayer(body.data(), uint32_t(body.size())))
        return fail("invalid " + m_type + " chunk");
    return true;
}

} // namespace

std::string ReadPng(TsfPngImage& image, TStream& stream)
{
    image.ClearLayers();
    Reader reader(image, stream);
    const bool ok = reader.Run();
    image.Building = false;
    if (ok)
        return {};
    image.ClearLayers();
    return reader.Error().empty() ? std::string("unreadable PNG file") : reader.Error();
}

} // namespace png_reader

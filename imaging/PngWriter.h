// Encodes the image data of a PNG image: row conversion, filtering and one zlib
// stream split into IDAT chunks of IdatLimit bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TStream;
class TsfPngImage;

namespace png_writer {

// The output buffer of the zlib stream: each time it is full it is written as one
// IDAT chunk, so every IDAT but the last holds exactly the buffer's size.
class IdatSink {
public:
    IdatSink(TStream& stream, size_t limit);
    // Free space at the end of the buffer (writes the full buffer first if needed).
    uint8_t* Space(size_t& available);
    void Commit(size_t used);
    // Appends bytes (for callers that already hold compressed data).
    void Put(const uint8_t* data, size_t size);
    // Writes what is left as the last IDAT chunk, if anything.
    void Finish();

private:
    void writeChunk();

    TStream& m_stream;
    std::vector<uint8_t> m_buffer;
    size_t m_used = 0;
};

// Writes the IDAT chunks of image (nothing for an image without a header).
void WriteImageData(const TsfPngImage& image, TStream& stream);

} // namespace png_writer

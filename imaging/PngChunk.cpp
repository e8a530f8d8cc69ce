#include "PngChunk.h"

#include "Exceptions.h"
#include "PngFormat.h"
#include "Stream.h"

#include <zlib.h>

namespace png_chunk {

uint32_t Crc(uint32_t crc, const uint8_t* data, size_t size)
{
    // zlib's crc32 is exactly the PNG CRC; it takes the size in pieces of uInt.
    while (size > 0) {
        uInt piece = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
        crc = static_cast<uint32_t>(crc32(crc, data, piece));
        data += piece;
        size -= piece;
    }
    return crc;
}

uint32_t ChunkCrc(const std::string& type, const uint8_t* body, size_t size)
{
    uint32_t crc = Crc(0, reinterpret_cast<const uint8_t*>(type.data()), 4);
    return Crc(crc, body, size);
}

void WriteChunk(TStream& stream, const std::string& type, const uint8_t* body, size_t size)
{
    if (type.size() != 4 || size > kMaxLength)
        throw EInvalidGraphicOperation("PNG chunk " + type + " cannot be written");
    uint8_t head[8];
    // Length: the body only, big-endian.
    png_format::PutBigEndian32(head, static_cast<uint32_t>(size));
    // Chunk type: four ASCII letters.
    for (int i = 0; i < 4; ++i)
        head[4 + i] = static_cast<uint8_t>(type[i]);
    stream.WriteBuffer(head, 8);
    stream.WriteBuffer(body, size);
    // CRC over type and body.
    uint8_t crc[4];
    png_format::PutBigEndian32(crc, ChunkCrc(type, body, size));
    stream.WriteBuffer(crc, 4);
}

} // namespace png_chunk

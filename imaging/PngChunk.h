// PNG chunk framing: length, type, body and the CRC-32 over type and body.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TStream;

namespace png_chunk {

inline constexpr uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
// The largest chunk length the PNG standard allows.
inline constexpr uint32_t kMaxLength = 0x7FFFFFFFu;

// CRC-32 of the PNG standard (polynomial 0xEDB88320, preset and final complement),
// continued from crc (start with 0).
uint32_t Crc(uint32_t crc, const uint8_t* data, size_t size);
uint32_t ChunkCrc(const std::string& type, const uint8_t* body, size_t size);

// Writes one whole chunk.
void WriteChunk(TStream& stream, const std::string& type, const uint8_t* body, size_t size);

} // namespace png_chunk

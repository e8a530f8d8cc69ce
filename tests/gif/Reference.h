// Straightforward implementations of the engine's LZW encoder and histogram
// reduction (popularity up to 256 colours, median cut beyond), written the plain way (the hashed string table with 17777 slots, the
// 5191-slot colour hash, a fresh recount after every precision drop). The engine's
// faster data structures must give byte-identical results.
#pragma once

#include <cstdint>
#include <vector>

namespace reference {

// Rows bottom-up, padded to 4 bytes; bits 1, 4 or 8; not interlaced.
std::vector<uint8_t> LzwEncode(const uint8_t* rows, int width, int height, int bits);

// 24-bit bottom-up raster in, 8-bit rows (padded to 4) and 256 BGR0 entries out.
void Histogram(const uint8_t* bits, int width, int height, std::vector<uint8_t>& indices, std::vector<uint8_t>& table);

} // namespace reference

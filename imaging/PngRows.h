// Conversion between one row of the pixel store and one PNG scanline (unfiltered,
// without its filter byte), in both directions.
#pragma once

#include <array>
#include <cstdint>

namespace png_rows {

struct RowFormat {
    uint8_t colorType = 0;
    uint8_t bitDepth = 0;  // as in the file (2 only when reading)
    uint32_t width = 0;
};

using GammaTable = std::array<uint8_t, 256>;

// stored: a store row; alpha: the row's alpha bytes (types with alpha only);
// out: LineSize bytes. True-colour samples pass through inverseGamma.
void StoredRowToScanline(const RowFormat& format, const uint8_t* stored, const uint8_t* alpha,
                         const GammaTable& inverseGamma, uint8_t* out);

// The reverse: fills a store row (and the alpha row) from a scanline. 16-bit samples
// keep their high byte; 2-bit samples become 4-bit indices (greys rescaled so that
// the 4-bit ramp shows the same grey).
void ScanlineToStoredRow(const RowFormat& format, const uint8_t* scanline, uint8_t* stored, uint8_t* alpha,
                         const GammaTable& gamma);

} // namespace png_rows

// PNG scanline filters: choosing and applying one per row when writing, undoing it
// when reading.
#pragma once

#include "sf_pngimage.h"

#include <cstdint>
#include <vector>

namespace png_filters {

uint8_t PaethPredictor(uint8_t left, uint8_t above, uint8_t upperLeft);

// Filters successive rows of one image (or one interlace pass). Working memory is the
// previous row, the current row and one candidate per enabled filter.
class RowFilter {
public:
    RowFilter(TsfPngFilterSet filterSet, size_t lineSize, int pixelStep);
    // Starts a new image or pass: the previous row becomes all zero.
    void Reset(size_t lineSize);
    // The buffer to convert the next raw row into.
    uint8_t* CurrentRow() { return m_current.data(); }
    // Filters the current row; returns the filter type and leaves the filtered bytes
    // in FilteredRow(type). The current row becomes the previous row.
    TsfPngFilter ChooseFilter();
    const uint8_t* FilteredRow(TsfPngFilter type) const;
    size_t LineSize() const { return m_lineSize; }

private:
    bool enabled(TsfPngFilter type) const { return (m_filterSet & FilterBit(type)) != 0; }
    void computeCandidates();
    size_t score(const uint8_t* candidate) const;

    TsfPngFilterSet m_filterSet;
    size_t m_lineSize;
    size_t m_step;
    std::vector<uint8_t> m_previous;  // also the None candidate once a row is chosen
    std::vector<uint8_t> m_current;
    std::vector<uint8_t> m_candidates[5];
};

// Undoes filter type on row in place, given the previous unfiltered row (all zero for
// the first). False for an unknown filter type.
bool Unfilter(uint8_t type, uint8_t* row, const uint8_t* previous, size_t lineSize, size_t pixelStep);

} // namespace png_filters

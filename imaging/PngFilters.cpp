#include "PngFilters.h"

#include <cstdlib>
#include <cstring>

namespace png_filters {

uint8_t PaethPredictor(uint8_t left, uint8_t above, uint8_t upperLeft)
{
    int p = int(left) + above - upperLeft;
    int pa = std::abs(p - left);
    int pb = std::abs(p - above);
    int pc = std::abs(p - upperLeft);
    // Ties go to left, then above.
    if (pa <= pb && pa <= pc)
        return left;
    if (pb <= pc)
        return above;
    return upperLeft;
}

RowFilter::RowFilter(TsfPngFilterSet filterSet, size_t lineSize, int pixelStep)
    : m_filterSet(filterSet), m_lineSize(lineSize), m_step(static_cast<size_t>(pixelStep))
{
    m_previous.assign(lineSize, 0);
    m_current.assign(lineSize, 0);
    for (int type = sfFilterSub; type <= sfFilterPaeth; ++type)
        if (enabled(TsfPngFilter(type)))
            m_candidates[type].assign(lineSize, 0);
}

void RowFilter::Reset(size_t lineSize)
{
    // Passes of an interlaced image are narrower than the buffers; only the first
    // lineSize bytes are used.
    m_lineSize = lineSize;
    std::memset(m_previous.data(), 0, m_previous.size());
}

void RowFilter::computeCandidates()
{
    const uint8_t* x = m_current.data();
    const uint8_t* p = m_previous.data();
    const size_t n = m_lineSize, step = m_step;
    if (enabled(sfFilterSub)) {
        uint8_t* c = m_candidates[sfFilterSub].data();
        for (size_t i = 0; i < n && i < step; ++i)
            c[i] = x[i];
        for (size_t i = step; i < n; ++i)
            c[i] = uint8_t(x[i] - x[i - step]);
    }
    if (enabled(sfFilterUp)) {
        uint8_t* c = m_candidates[sfFilterUp].data();
        for (size_t i = 0; i < n; ++i)
            c[i] = uint8_t(x[i] - p[i]);
    }
    if (enabled(sfFilterAverage)) {
        uint8_t* c = m_candidates[sfFilterAverage].data();
        for (size_t i = 0; i < n; ++i) {
            unsigned left = i >= step ? x[i - step] : 0;
            c[i] = uint8_t(x[i] - ((left + p[i]) / 2));
        }
    }
    if (enabled(sfFilterPaeth)) {
        uint8_t* c = m_candidates[sfFilterPaeth].data();
        for (size_t i = 0; i < n; ++i) {
            uint8_t left = i >= step ? x[i - step] : 0;
            uint8_t upperLeft = i >= step ? p[i - step] : 0;
            c[i] = uint8_t(x[i] - PaethPredictor(left, p[i], upperLeft));
        }
    }
}

size_t RowFilter::score(const uint8_t* c) const
{
    // Runs and short repeats compress well: count bytes equal to one of the two before.
    size_t count = 0;
    for (size_t j = 2; j < m_lineSize; ++j)
        if (c[j] == c[j - 1] || c[j] == c[j - 2])
            ++count;
    return count;
}

TsfPngFilter RowFilter::ChooseFilter()
{
    computeCandidates();
    std::memcpy(m_previous.data(), m_current.data(), m_lineSize);
    const TsfPngFilterSet set = m_filterSet;
    if (set == 0 || set == FilterBit(sfFilterNone))
        return sfFilterNone;
    TsfPngFilter result = sfFilterNone;
    size_t best = 0;
    for (int t = sfFilterNone; t <= sfFilterPaeth; ++t) {
        TsfPngFilter type = TsfPngFilter(t);
        if (!enabled(type))
            continue;
        if (set == FilterBit(type))
            return type;
        size_t s = score(FilteredRow(type));
        if (s > best) {
            best = s;
            result = type;
        }
    }
    return result;
}

const uint8_t* RowFilter::FilteredRow(TsfPngFilter type) const
{
    return type == sfFilterNone ? m_previous.data() : m_candidates[type].data();
}

bool Unfilter(uint8_t type, uint8_t* row, const uint8_t* p, size_t n, size_t step)
{
    switch (type) {
    case sfFilterNone:
        return true;
    case sfFilterSub:
        for (size_t i = step; i < n; ++i)
            row[i] = uint8_t(row[i] + row[i - step]);
        return true;
    case sfFilterUp:
        for (size_t i = 0; i < n; ++i)
            row[i] = uint8_t(row[i] + p[i]);
        return true;
    case sfFilterAverage:
        for (size_t i = 0; i < n; ++i) {
            unsigned left = i >= step ? row[i - step] : 0;
            row[i] = uint8_t(row[i] + ((left + p[i]) / 2));
        }
        return true;
    case sfFilterPaeth:
        for (size_t i = 0; i < n; ++i) {
            uint8_t left = i >= step ? row[i - step] : 0;
            uint8_t upperLeft = i >= step ? p[i - step] : 0;
            row[i] = uint8_t(row[i] + PaethPredictor(left, p[i], upperLeft));
        }
        return true;
    default:
        return false;
    }
}

} // namespace png_filters

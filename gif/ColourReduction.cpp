// Colour reduction of full-colour frames to 8-bit indices.
//
// The popularity method numbers the image's colours once, front to back. When a
// 2050th distinct colour turns up, one bit of precision is dropped and the colours
// met so far are merged under the coarser masks (in the order they were first met,
// counts summed) before the scan goes on. That gives exactly the table a fresh
// recount under the final masks would give, without rescanning the image.
#include "ColourReduction.h"

#include "BmpHeaders.h"
#include "Exceptions.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <numeric>

namespace gif {
namespace {

constexpr int kMaxEntries = 2049;
constexpr int kPaletteSize = 256;
constexpr uint8_t kFillerGrey = 128;

// Channel masks; precision is dropped from blue, then red, then green, and so on.
struct ChannelMasks {
    uint8_t red = 0xFF;
    uint8_t green = 0xFF;
    uint8_t blue = 0xFF;

    uint32_t Word() const { return uint32_t(blue) | (uint32_t(green) << 8) | (uint32_t(red) << 16); }
    void DropOneBit()
    {
        if (red < green)
            green = uint8_t(green << 1);
        else if (red > blue)
            red = uint8_t(red << 1);
        else
            blue = uint8_t(blue << 1);
    }
};

// Masked colours (blue | green << 8 | red << 16) numbered in the order first met.
class ColourCounter {
public:
    void Reset()
    {
        m_slotKey.fill(0);
        m_count = 0;
    }
    int Size() const { return m_count; }
    uint32_t Key(int entry) const { return m_keys[size_t(entry)]; }
    uint32_t& Count(int entry) { return m_counts[size_t(entry)]; }
    uint32_t Count(int entry) const { return m_counts[size_t(entry)]; }

    // The entry of key when it sits in its first slot, else -1.
    int FindFirst(uint32_t key) const
    {
        const uint32_t s = (key * 2654435761u) >> (32 - kSlotBits);
        return m_slotKey[s] == key + 1 ? int(m_slotEntry[s]) : -1;
    }

    // The entry of key, a new entry with count 0, or -1 when the table is full.
    int FindOrAdd(uint32_t key)
    {
        uint32_t s = (key * 2654435761u) >> (32 - kSlotBits);
        for (;;) {
            uint32_t stored = m_slotKey[s];
            if (stored == key + 1)
                return m_slotEntry[s];
            if (stored == 0)
                break;
            s = (s + 1) & (kSlots - 1);
        }
        if (m_count == kMaxEntries)
            return -1;
        m_slotKey[s] = key + 1;
        m_slotEntry[s] = uint16_t(m_count);
        m_keys[size_t(m_count)] = key;
        m_counts[size_t(m_count)] = 0;
        return m_count++;
    }

private:
    static constexpr int kSlotBits = 13;
    static constexpr uint32_t kSlots = 1u << kSlotBits;
    std::array<uint32_t, kSlots> m_slotKey{};
    std::array<uint16_t, kSlots> m_slotEntry{};
    std::array<uint32_t, kMaxEntries> m_keys{};
    std::array<uint32_t, kMaxEntries> m_counts{};
    int m_count = 0;
};

// Where a precision drop happened and how the earlier entries were renumbered.
struct MergePoint {
    size_t position;
    std::vector<uint16_t> remap;
};

struct Scratch {
    ColourCounter counters[2];
    std::array<std::array<uint32_t, kMaxEntries>, 4> lanes;
    std::vector<uint16_t> entryOfPixel;
};

Scratch& ThreadScratch()
{
    thread_local Scratch scratch;
    return scratch;
}

inline uint32_t LoadPixel(const uint8_t* p, bool lastInRow)
{
    if (lastInRow)
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v & 0xFFFFFF;
}

class HistogramCount {
public:
    HistogramCount(const Raster24& source, Scratch& scratch) : m_source(source), m_scratch(scratch)
    {
        m_current = &scratch.counters[0];
        m_current->Reset();
        scratch.entryOfPixel.resize(size_t(source.width) * size_t(source.height));
    }

    void Run()
    {
        // One hash probe per pixel and no counting in the scan: the counts are taken
        // from the entry numbers afterwards (and at each precision drop), which keeps
        // the loop free of read-modify-write chains and badly predicted branches.
        uint32_t maskWord = m_masks.Word();
        uint16_t* out = m_scratch.entryOfPixel.data();
        size_t pos = 0, segmentStart = 0;
        const int width = m_source.width, height = m_source.height;
        for (int y = 0; y < height; ++y) {
            const uint8_t* p = m_source.bits + m_source.stride * size_t(y);
            for (int x = 0; x < width; ++x, p += 3) {
                uint32_t key = LoadPixel(p, x + 1 == width) & maskWord;
                int entry = m_current->FindFirst(key);
                if (entry < 0) {
                    entry = m_current->FindOrAdd(key);
                    while (entry < 0) {
                        CountSegment(segmentStart, pos);
                        segmentStart = pos;
                        DropPrecision(pos);
                        maskWord = m_masks.Word();
                        key &= maskWord;
                        entry = m_current->FindOrAdd(key);
                    }
                }
                out[pos++] = uint16_t(entry);
            }
        }
        CountSegment(segmentStart, pos);
    }

    // Adds the entries of pixels [from, to) to the current counts.
    void CountSegment(size_t from, size_t to)
    {
        const uint16_t* entries = m_scratch.entryOfPixel.data();
        std::array<std::array<uint32_t, kMaxEntries>, 4>& lanes = m_scratch.lanes;
        for (auto& lane : lanes)
            std::fill(lane.begin(), lane.begin() + m_current->Size(), 0);
        size_t i = from;
        for (; i + 4 <= to; i += 4) {
            ++lanes[0][entries[i]];
            ++lanes[1][entries[i + 1]];
            ++lanes[2][entries[i + 2]];
            ++lanes[3][entries[i + 3]];
        }
        for (; i < to; ++i)
            ++lanes[0][entries[i]];
        for (int e = 0; e < m_current->Size(); ++e)
            m_current->Count(e) += lanes[0][size_t(e)] + lanes[1][size_t(e)] + lanes[2][size_t(e)] + lanes[3][size_t(e)];
    }

    const ColourCounter& Counter() const { return *m_current; }
    const std::vector<MergePoint>& Merges() const { return m_merges; }
    uint32_t MaskWord() const { return m_masks.Word(); }

private:
    void DropPrecision(size_t position)
    {
        m_masks.DropOneBit();
        const uint32_t maskWord = m_masks.Word();
        ColourCounter* next = m_current == &m_scratch.counters[0] ? &m_scratch.counters[1] : &m_scratch.counters[0];
        next->Reset();
        MergePoint merge{position, std::vector<uint16_t>(size_t(m_current->Size()))};
        for (int e = 0; e < m_current->Size(); ++e) {
            int merged = next->FindOrAdd(m_current->Key(e) & maskWord);
            next->Count(merged) += m_current->Count(e);
            merge.remap[size_t(e)] = uint16_t(merged);
        }
        m_merges.push_back(std::move(merge));
        m_current = next;
    }

    const Raster24& m_source;
    Scratch& m_scratch;
    ChannelMasks m_masks;
    ColourCounter* m_current;
    std::vector<MergePoint> m_merges;
};

struct PaletteColour {
    int green, red, blue, index;
};

// Nearest palette entry by the sum of squared channel differences, lowest index on
// equal sums. The palette is sorted by green so the search can stop once the green
// difference alone exceeds the best sum.
class NearestPalette {
public:
    explicit NearestPalette(const TRGBQuad* table)
    {
        for (int i = 0; i < kPaletteSize; ++i)
            m_sorted[size_t(i)] = {table[i].rgbGreen, table[i].rgbRed, table[i].rgbBlue, i};
        std::sort(m_sorted.begin(), m_sorted.end(), [](const PaletteColour& a, const PaletteColour& b) {
            return a.green != b.green ? a.green < b.green : a.index < b.index;
        });
    }

    int Find(int red, int green, int blue) const
    {
        int best = 196608;  // larger than any sum
        int bestIndex = 0;
        auto consider = [&](const PaletteColour& c) {
            int dg = c.green - green, dr = c.red - red, db = c.blue - blue;
            int d = db * db + dg * dg + dr * dr;
            if (d < best || (d == best && c.index < bestIndex)) {
                best = d;
                bestIndex = c.index;
            }
        };
        // Walk outwards from the nearest green, always on the side whose green is
        // closer, so that the best sum drops early and ends the walk soon.
        const auto start = std::lower_bound(m_sorted.begin(), m_sorted.end(), green,
                                            [](const PaletteColour& c, int g) { return c.green < g; });
        auto up = start;
        auto down = start;
        for (;;) {
            const int upGap = up != m_sorted.end() ? up->green - green : 1000;
            const int downGap = down != m_sorted.begin() ? green - (down - 1)->green : 1000;
            const int gap = std::min(upGap, downGap);
            if (gap * gap > best)
                break;
            if (upGap <= downGap)
                consider(*up++);
            else
                consider(*--down);
        }
        return bestIndex;
    }

private:
    std::array<PaletteColour, kPaletteSize> m_sorted;
};

TRGBQuad QuadOfKey(uint32_t key)
{
    return TRGBQuad{uint8_t(key), uint8_t(key >> 8), uint8_t(key >> 16), 0};
}

// A group of counted colours that shares one palette entry.
struct ColourBox {
    std::vector<int> entries;
    uint64_t weight = 0;
    int longestRange = 0;  // of the channel with the widest spread
    int longestShift = 0;  // that channel's shift in a key
};

int Channel(uint32_t key, int shift) { return int((key >> shift) & 0xFF); }

ColourBox MakeBox(const ColourCounter& counter, std::vector<int> entries)
{
    ColourBox box;
    box.entries = std::move(entries);
    box.longestRange = -1;
    for (int shift : {8, 16, 0}) {  // green, red, blue: the eye's order on equal spreads
        int low = 255, high = 0;
        for (int e : box.entries) {
            low = std::min(low, Channel(counter.Key(e), shift));
            high = std::max(high, Channel(counter.Key(e), shift));
        }
        if (high - low > box.longestRange) {
            box.longestRange = high - low;
            box.longestShift = shift;
        }
    }
    for (int e : box.entries)
        box.weight += counter.Count(e);
    return box;
}

// Median cut: the counted colours are split, always the box of the widest spread, at
// the count-weighted median of that spread, until there are as many boxes as palette
// entries; each box is given the count-weighted mean of its colours. Unlike the most
// frequent colours alone, this keeps every part of the picture's colours near an
// entry, so a gradient keeps its hues.
std::vector<ColourBox> MedianCut(const ColourCounter& counter)
{
    std::vector<int> all(size_t(counter.Size()));
    std::iota(all.begin(), all.end(), 0);
    std::vector<ColourBox> boxes{MakeBox(counter, std::move(all))};
    while (boxes.size() < size_t(kPaletteSize)) {
        auto widest = std::max_element(boxes.begin(), boxes.end(), [](const ColourBox& a, const ColourBox& b) {
            return a.longestRange < b.longestRange;
        });
        if (widest->longestRange <= 0)
            break;
        ColourBox box = std::move(*widest);
        const int shift = box.longestShift;
        std::stable_sort(box.entries.begin(), box.entries.end(),
                         [&](int a, int b) { return Channel(counter.Key(a), shift) < Channel(counter.Key(b), shift); });
        // The first colour past half the weight starts the upper box; neither box is empty.
        uint64_t below = 0;
        size_t cut = 1;
        for (; cut < box.entries.size(); ++cut) {
            below += counter.Count(box.entries[cut - 1]);
            if (below * 2 >= box.weight)
                break;
        }
        cut = std::min(cut, box.entries.size() - 1);
        // Equal values stay together, so the split always separates two values.
        const int value = Channel(counter.Key(box.entries[cut]), shift);
        while (cut > 0 && Channel(counter.Key(box.entries[cut - 1]), shift) == value)
            --cut;
        if (cut == 0)
            while (Channel(counter.Key(box.entries[cut]), shift) == value)
                ++cut;
        std::vector<int> upper(box.entries.begin() + std::ptrdiff_t(cut), box.entries.end());
        box.entries.resize(cut);
        *widest = MakeBox(counter, std::move(box.entries));
        boxes.push_back(MakeBox(counter, std::move(upper)));
    }
    // The heaviest boxes first, as the most frequent colours come first otherwise.
    std::stable_sort(boxes.begin(), boxes.end(), [](const ColourBox& a, const ColourBox& b) { return a.weight > b.weight; });
    return boxes;
}

// The weighted mean of a box; masked colours stand for the middle of the values they
// cover, not their lowest.
TRGBQuad MeanOfBox(const ColourCounter& counter, const ColourBox& box, uint32_t maskWord)
{
    uint64_t sums[3] = {0, 0, 0};
    for (int e : box.entries)
        for (int c = 0; c < 3; ++c)
            sums[c] += uint64_t(Channel(counter.Key(e), 8 * c)) * counter.Count(e);
    uint8_t mean[3];
    for (int c = 0; c < 3; ++c) {
        const uint64_t centre = ((~maskWord >> (8 * c)) & 0xFF) / 2;
        mean[c] = uint8_t(std::min<uint64_t>(255, (sums[c] + box.weight / 2) / std::max<uint64_t>(1, box.weight) + centre));
    }
    return TRGBQuad{mean[0], mean[1], mean[2], 0};
}

// At most 256 colours: each its own entry, most frequent first, the colour met first
// on equal counts. More: the median cut's entries, and every colour goes to its
// nearest entry.
std::vector<uint8_t> ChoosePalette(const ColourCounter& counter, uint32_t maskWord, TRGBQuad* table)
{
    const int n = counter.Size();
    for (int i = 0; i < kPaletteSize; ++i)
        table[i] = TRGBQuad{kFillerGrey, kFillerGrey, kFillerGrey, 0};
    std::vector<uint8_t> indexOfEntry(size_t(n), 0);
    if (n <= kPaletteSize) {
        std::vector<int> order(static_cast<size_t>(n));
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            return counter.Count(a) != counter.Count(b) ? counter.Count(a) > counter.Count(b) : a < b;
        });
        for (int i = 0; i < n; ++i) {
            table[i] = QuadOfKey(counter.Key(order[size_t(i)]));
            indexOfEntry[size_t(order[size_t(i)])] = uint8_t(i);
        }
        return indexOfEntry;
    }
    const std::vector<ColourBox> boxes = MedianCut(counter);
    for (size_t i = 0; i < boxes.size(); ++i)
        table[i] = MeanOfBox(counter, boxes[i], maskWord);
    NearestPalette nearest(table);
    const uint32_t centre = (~maskWord & 0xFEFEFE) >> 1;  // half of each channel's dropped bits
    for (int e = 0; e < n; ++e) {
        const uint32_t key = counter.Key(e) + centre;
        indexOfEntry[size_t(e)] = uint8_t(nearest.Find(Channel(key, 16), Channel(key, 8), Channel(key, 0)));
    }
    return indexOfEntry;
}

// Writes each pixel's palette index; pixels counted before a precision drop carry
// entry numbers of that time and go through the later renumberings.
void WriteIndices(const Raster24& source, const HistogramCount& count, const std::vector<uint8_t>& indexOfEntry,
                  const std::vector<uint16_t>& entryOfPixel, Indexed8& result)
{
    const auto& merges = count.Merges();
    std::vector<uint8_t> table = indexOfEntry;
    const size_t total = size_t(source.width) * size_t(source.height);
    size_t segmentEnd = total;
    for (size_t m = merges.size() + 1; m-- > 0;) {
        const size_t segmentStart = m == 0 ? 0 : merges[m - 1].position;
        const size_t width = size_t(source.width);
        size_t y = segmentStart / width, x = segmentStart % width;
        for (size_t pos = segmentStart; pos < segmentEnd;) {
            uint8_t* out = result.rows + y * result.stride;
            const size_t runEnd = std::min(segmentEnd, pos + (width - x));
            for (; pos < runEnd; ++pos, ++x)
                out[x] = table[entryOfPixel[pos]];
            x = 0;
            ++y;
        }
        if (m > 0) {
            const auto& remap = merges[m - 1].remap;
            std::vector<uint8_t> earlier(remap.size());
            for (size_t e = 0; e < remap.size(); ++e)
                earlier[e] = table[remap[e]];
            table = std::move(earlier);
        }
        segmentEnd = segmentStart;
    }
}

} // namespace

void ReduceHistogram(const Raster24& source, Indexed8& result)
{
    Scratch& scratch = ThreadScratch();
    HistogramCount count(source, scratch);
    count.Run();
    std::vector<uint8_t> indexOfEntry = ChoosePalette(count.Counter(), count.MaskWord(), result.table);
    WriteIndices(source, count, indexOfEntry, scratch.entryOfPixel, result);
}

void ReduceGrey(const Raster24& source, Indexed8& result)
{
    for (int i = 0; i < kPaletteSize; ++i)
        result.table[i] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    for (int y = 0; y < source.height; ++y) {
        const uint8_t* in = source.bits + source.stride * size_t(y);
        uint8_t* out = result.rows + result.stride * size_t(y);
        for (int x = 0; x < source.width; ++x) {
            const uint8_t* p = in + 3 * x;
            out[x] = uint8_t((p[2] * 77 + p[1] * 150 + p[0] * 29) >> 8);
        }
    }
}

} // namespace gif

namespace {

// The bitmap as a 24-bit bottom-up raster, converting into holder when needed.
gif::Raster24 WorkingRaster(const TBitmap& bitmap, std::vector<uint8_t>& holder)
{
    const int w = bitmap.Width(), h = bitmap.Height();
    const size_t stride = size_t(TBitmap::RowBytesOf(w, pf24bit));
    if (bitmap.PixelFormat() == pf24bit)
        return {bitmap.Bits(), w, h, stride};
    holder.assign(stride * size_t(h), 0);
    if (bitmap.BitsPerPixel() == 32) {
        const size_t inStride = size_t(bitmap.RowBytes());
        for (int y = 0; y < h; ++y) {
            const uint8_t* in = bitmap.Bits() + inStride * size_t(y);
            uint8_t* out = holder.data() + stride * size_t(y);
            for (int x = 0; x < w; ++x)
                std::memcpy(out + 3 * x, in + 4 * x, 3);
        }
    } else {
        TBitmap copy(bitmap);
        copy.SetPixelFormat(pf24bit);
        std::memcpy(holder.data(), copy.Bits(), std::min(holder.size(), copy.BitsSize()));
    }
    return {holder.data(), w, h, stride};
}

} // namespace

std::unique_ptr<TMemoryStream> ReduceToIndexed(const TBitmap& bitmap, TPixelFormat target, TColorReduction method)
{
    if (!bitmap.HandleAllocated())
        throw EInvalidGraphic(toolkit_messages::InvalidBitmap);
    std::vector<uint8_t> holder;
    const gif::Raster24 raster = WorkingRaster(bitmap, holder);

    gif::BmpLayout layout{raster.width, raster.height, 8, 256};
    std::vector<uint8_t> bytes(layout.FileSize());
    gif::WriteBmpHeaders(bytes.data(), layout);
    gif::Indexed8 result;
    result.rows = bytes.data() + layout.PixelOffset();
    result.stride = layout.Stride();
    if (method == rmGrey)
        gif::ReduceGrey(raster, result);
    else
        gif::ReduceHistogram(raster, result);
    std::memcpy(bytes.data() + gif::BmpLayout::kHeadersSize, result.table, sizeof result.table);
    auto stream = std::make_unique<TMemoryStream>(std::move(bytes));
    stream->SetPosition(0);
    return stream;
}

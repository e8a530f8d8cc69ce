#include "Reference.h"

#include <algorithm>

#include <cstring>

namespace reference {
namespace {

struct BitWriter {
    std::vector<uint8_t>& out;
    uint8_t buffer[260] = {};
    int position = 0;

    void Write(int code, int size)
    {
        uint32_t shifted = uint32_t(code) << (position % 8);
        int at = position / 8;
        buffer[at] |= uint8_t(shifted);
        buffer[at + 1] = uint8_t(shifted >> 8);
        buffer[at + 2] = uint8_t(shifted >> 16);
        position += size;
        if (position >= 2040) {
            out.push_back(255);
            out.insert(out.end(), buffer, buffer + 255);
            buffer[0] = buffer[255];
            buffer[1] = buffer[256];
            std::memset(buffer + 2, 0, 255);
            position -= 2040;
        }
    }
    void Flush()
    {
        int n = (position + 7) / 8;
        if (n > 0) {
            out.push_back(uint8_t(n));
            out.insert(out.end(), buffer, buffer + n);
        }
        out.push_back(0);
    }
};

struct Entry {
    uint16_t code, prefix;
    uint8_t suffix;
};

int PixelAt(const uint8_t* row, int x, int bits)
{
    if (bits == 8)
        return row[x];
    if (bits == 4)
        return (x & 1) ? row[x / 2] & 15 : row[x / 2] >> 4;
    return (row[x / 8] >> (7 - x % 8)) & 1;
}

} // namespace

std::vector<uint8_t> LzwEncode(const uint8_t* rows, int width, int height, int bits)
{
    std::vector<uint8_t> out;
    const int startSize = bits == 1 ? 3 : bits + 1;
    out.push_back(uint8_t(startSize - 1));
    const int clear = 1 << (startSize - 1), end = clear + 1;
    std::vector<int> hash(17777, -1);
    std::vector<Entry> table(4096);
    int newest = end, size = startSize, limit = 1 << startSize, length = 0, prefix = 0;
    uint32_t h = 0;
    BitWriter writer{out};
    writer.Write(clear, size);
    const size_t stride = ((size_t(width) * size_t(bits) + 31) / 32) * 4;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = rows + stride * size_t(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            int v = PixelAt(row, x, bits);
            ++length;
            if (length == 1) {
                prefix = v;
                h = uint32_t(v + 3) * 301;
                continue;
            }
            h = (h * uint32_t(v + length + 4)) % 17777;
            uint32_t slot = h;
            while (hash[slot] >= 0 && (table[size_t(hash[slot])].prefix != prefix || table[size_t(hash[slot])].suffix != v))
                slot = (slot + 1) % 17777;
            if (hash[slot] >= 0) {
                prefix = table[size_t(hash[slot])].code;
                continue;
            }
            writer.Write(prefix, size);
            ++newest;
            table[size_t(newest)] = Entry{uint16_t(newest), uint16_t(prefix), uint8_t(v)};
            hash[slot] = newest;
            prefix = v;
            h = uint32_t(v + 3) * 301;
            length = 1;
            if (newest >= limit) {
                limit *= 2;
                ++size;
            } else if (newest >= 4094) {
                writer.Write(prefix, size);
                writer.Write(clear, size);
                length = 0;
                newest = end;
                size = startSize;
                limit = 1 << startSize;
                std::fill(hash.begin(), hash.end(), -1);
            }
        }
    }
    writer.Write(prefix, size);
    writer.Write(end, size);
    writer.Flush();
    return out;
}

namespace {

struct ColourEntry {
    uint8_t b, g, r;
    uint32_t count;
    uint8_t index;
};

int Slot(int r, int g, int b)
{
    return ((r + g) * (g + b) * (b + r)) % 5191;
}

} // namespace

void Histogram(const uint8_t* bits, int width, int height, std::vector<uint8_t>& indices, std::vector<uint8_t>& table)
{
    const size_t inStride = ((size_t(width) * 24 + 31) / 32) * 4;
    const size_t outStride = ((size_t(width) * 8 + 31) / 32) * 4;
    uint8_t mr = 0xFF, mg = 0xFF, mb = 0xFF;
    std::vector<ColourEntry> entries;
    std::vector<int> hash;
    auto find = [&](int r, int g, int b) {
        int s = Slot(r, g, b);
        while (hash[size_t(s)] != 0xFFFF) {
            const ColourEntry& e = entries[size_t(hash[size_t(s)])];
            if (e.r == r && e.g == g && e.b == b)
                return s;
            s = (s + 1) % 5191;
        }
        return s;
    };
    for (;;) {
        entries.clear();
        hash.assign(5191, 0xFFFF);
        bool failed = false;
        for (int y = 0; y < height && !failed; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = bits + inStride * size_t(y) + 3 * size_t(x);
                int b = p[0] & mb, g = p[1] & mg, r = p[2] & mr;
                int s = find(r, g, b);
                if (hash[size_t(s)] != 0xFFFF) {
                    ++entries[size_t(hash[size_t(s)])].count;
                } else if (entries.size() < 2049) {
                    hash[size_t(s)] = int(entries.size());
                    entries.push_back({uint8_t(b), uint8_t(g), uint8_t(r), 1, 0});
                } else {
                    failed = true;
                    break;
                }
            }
        }
        if (!failed)
            break;
        if (mr < mg)
            mg = uint8_t(mg << 1);
        else if (mr > mb)
            mr = uint8_t(mr << 1);
        else
            mb = uint8_t(mb << 1);
    }
    table.assign(1024, 0);
    for (int i = 0; i < 256; ++i)
        table[size_t(4 * i)] = table[size_t(4 * i + 1)] = table[size_t(4 * i + 2)] = 128;
    if (entries.size() <= 256) {
        // Every colour its own entry, most frequent first.
        for (int i = 0; i < int(entries.size()); ++i) {
            int best = -1;
            for (int e = 0; e < int(entries.size()); ++e)
                if (entries[size_t(e)].count > 0 && (best < 0 || entries[size_t(e)].count > entries[size_t(best)].count))
                    best = e;
            ColourEntry& chosen = entries[size_t(best)];
            chosen.index = uint8_t(i);
            chosen.count = 0;
            table[size_t(4 * i)] = chosen.b;
            table[size_t(4 * i + 1)] = chosen.g;
            table[size_t(4 * i + 2)] = chosen.r;
        }
    } else {
        // Median cut, box by box: split the box of the widest spread (green, red, blue
        // on equal spreads; the first such box) at the weighted median, equal values
        // together; then the heaviest boxes first, each its weighted mean.
        auto channel = [](const ColourEntry& e, int c) { return c == 0 ? e.g : c == 1 ? e.r : e.b; };
        auto spread = [&](const std::vector<int>& box, int& which) {
            int widest = -1;
            for (int c = 0; c < 3; ++c) {
                int low = 255, high = 0;
                for (int e : box) {
                    low = std::min(low, int(channel(entries[size_t(e)], c)));
                    high = std::max(high, int(channel(entries[size_t(e)], c)));
                }
                if (high - low > widest) {
                    widest = high - low;
                    which = c;
                }
            }
            return widest;
        };
        std::vector<std::vector<int>> boxes(1);
        for (int e = 0; e < int(entries.size()); ++e)
            boxes[0].push_back(e);
        while (boxes.size() < 256) {
            size_t pick = 0;
            int pickSpread = -1, pickChannel = 0;
            for (size_t i = 0; i < boxes.size(); ++i) {
                int c = 0;
                const int w = spread(boxes[i], c);
                if (w > pickSpread) {
                    pickSpread = w;
                    pick = i;
                    pickChannel = c;
                }
            }
            if (pickSpread <= 0)
                break;
            std::vector<int> box = boxes[pick];
            std::stable_sort(box.begin(), box.end(), [&](int x, int y) {
                return channel(entries[size_t(x)], pickChannel) < channel(entries[size_t(y)], pickChannel);
            });
            uint64_t weight = 0;
            for (int e : box)
                weight += entries[size_t(e)].count;
            uint64_t below = 0;
            size_t cut = 1;
            for (; cut < box.size(); ++cut) {
                below += entries[size_t(box[cut - 1])].count;
                if (below * 2 >= weight)
                    break;
            }
            cut = std::min(cut, box.size() - 1);
            const int value = channel(entries[size_t(box[cut])], pickChannel);
            while (cut > 0 && channel(entries[size_t(box[cut - 1])], pickChannel) == value)
                --cut;
            if (cut == 0)
                while (channel(entries[size_t(box[cut])], pickChannel) == value)
                    ++cut;
            boxes[pick].assign(box.begin(), box.begin() + std::ptrdiff_t(cut));
            boxes.emplace_back(box.begin() + std::ptrdiff_t(cut), box.end());
        }
        auto weightOf = [&](const std::vector<int>& box) {
            uint64_t w = 0;
            for (int e : box)
                w += entries[size_t(e)].count;
            return w;
        };
        std::stable_sort(boxes.begin(), boxes.end(),
                         [&](const std::vector<int>& x, const std::vector<int>& y) { return weightOf(x) > weightOf(y); });
        const int centre[3] = {(0xFF & ~mb) / 2, (0xFF & ~mg) / 2, (0xFF & ~mr) / 2};
        for (size_t i = 0; i < boxes.size(); ++i) {
            const uint64_t w = weightOf(boxes[i]);
            uint64_t sum[3] = {0, 0, 0};
            for (int e : boxes[i]) {
                sum[0] += uint64_t(entries[size_t(e)].b) * entries[size_t(e)].count;
                sum[1] += uint64_t(entries[size_t(e)].g) * entries[size_t(e)].count;
                sum[2] += uint64_t(entries[size_t(e)].r) * entries[size_t(e)].count;
            }
            for (int c = 0; c < 3; ++c)
                table[4 * i + size_t(c)] = uint8_t(std::min<uint64_t>(255, (sum[c] + w / 2) / w + uint64_t(centre[c])));
        }
        for (ColourEntry& e : entries) {
            int best = 196608;
            const int b = e.b + centre[0], g = e.g + centre[1], r = e.r + centre[2];
            for (int i = 0; i < 256; ++i) {
                int db = table[size_t(4 * i)] - b, dg = table[size_t(4 * i + 1)] - g, dr = table[size_t(4 * i + 2)] - r;
                int d = db * db + dg * dg + dr * dr;
                if (d < best) {
                    best = d;
                    e.index = uint8_t(i);
                }
            }
        }
    }
    indices.assign(outStride * size_t(height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = bits + inStride * size_t(y) + 3 * size_t(x);
            int s = find(p[2] & mr, p[1] & mg, p[0] & mb);
            indices[outStride * size_t(y) + size_t(x)] = entries[size_t(hash[size_t(s)])].index;
        }
    }
}

} // namespace reference

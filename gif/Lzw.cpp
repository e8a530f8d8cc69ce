// GIF LZW. The encoder keeps the GIF rules exactly (code size grows when the code
// just assigned reaches 2^size, the table is cleared as soon as code 4094 has been
// assigned); its string table is a small open-addressed hash keyed by (prefix, pixel),
// which yields the same codes as any other exact dictionary.
#include "Lzw.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace gif {

int NextInterlacedRow(int y, int height, int& pass)
{
    y += pass <= 1 ? 8 : (pass == 2 ? 4 : 2);
    if (y < height)
        return y;
    if (pass == 0) {
        pass = 1;
        y = 4;
        if (y < height)
            return y;
    }
    if (pass == 1) {
        pass = 2;
        y = 2;
        if (y < height)
            return y;
    }
    if (pass == 2) {
        pass = 3;
        return 1;
    }
    return y;
}

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kClearAfterCode = 4094;

// Packs codes least significant bit first into a flat byte run; the sub-block
// framing is added once at the end (every block but the last holds 255 bytes).
class CodePacker {
public:
    explicit CodePacker(size_t expectedBytes) { m_bytes.reserve(expectedBytes); }

    void Put(uint32_t code, int size)
    {
        m_acc |= uint64_t(code) << m_bits;
        m_bits += size;
        if (m_bits >= 32) {
            uint8_t b[4] = {uint8_t(m_acc), uint8_t(m_acc >> 8), uint8_t(m_acc >> 16), uint8_t(m_acc >> 24)};
            m_bytes.insert(m_bytes.end(), b, b + 4);
            m_acc >>= 32;
            m_bits -= 32;
        }
    }

    void FinishInto(std::vector<uint8_t>& out)
    {
        while (m_bits > 0) {
            m_bytes.push_back(uint8_t(m_acc));
            m_acc >>= 8;
            m_bits -= 8;
        }
        out.reserve(out.size() + m_bytes.size() + m_bytes.size() / 255 + 2);
        for (size_t at = 0; at < m_bytes.size(); at += 255) {
            size_t n = std::min<size_t>(255, m_bytes.size() - at);
            // Data sub-block: length byte, then the bytes.
            out.push_back(uint8_t(n));
            out.insert(out.end(), m_bytes.begin() + ptrdiff_t(at), m_bytes.begin() + ptrdiff_t(at + n));
        }
        // Block terminator.
        out.push_back(0);
    }

private:
    std::vector<uint8_t> m_bytes;
    uint64_t m_acc = 0;
    int m_bits = 0;
};

// (prefix code, pixel) -> code. 8192 slots for at most 4094 entries keeps probes short
// and the whole table in the first-level cache.
class StringTable {
public:
    StringTable() { Clear(); }
    void Clear() { m_slots.fill(kEmpty); }

    // Returns the code of the string prefix+pixel, or -1; slot receives where it
    // would be inserted.
    int Find(uint32_t key, uint32_t& slot) const
    {
        uint32_t s = (key * 2654435761u) >> (32 - kBits);
        for (;;) {
            uint32_t e = m_slots[s];
            if (e == kEmpty) {
                slot = s;
                return -1;
            }
            if ((e >> 12) == key)
                return int(e & 0xFFF);
            s = (s + 1) & (kSize - 1);
        }
    }
    void Insert(uint32_t slot, uint32_t key, int code) { m_slots[slot] = (key << 12) | uint32_t(code); }

private:
    static constexpr int kBits = 13;
    static constexpr uint32_t kSize = 1u << kBits;
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;  // prefix 4095 is never a prefix
    std::array<uint32_t, kSize> m_slots;
};

// Unpacks one stored row into one byte per pixel.
const uint8_t* PixelsOfRow(const uint8_t* row, int width, int bits, std::vector<uint8_t>& scratch)
{
    if (bits == 8)
        return row;
    scratch.resize(size_t(width));
    for (int x = 0; x < width; ++x) {
        if (bits == 4)
            scratch[size_t(x)] = (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
        else
            scratch[size_t(x)] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
    return scratch.data();
}

// The encoder proper. Runs of one pixel value are the common case in captured frames;
// within a run the strings v, vv, vvv ... that already exist are walked by index
// (each such step would be a successful lookup) instead of one lookup per pixel. Every
// step that can emit a code goes through Step, so the codes are those of the plain
// per-pixel algorithm.
class Encoder {
public:
    explicit Encoder(int bits, size_t pixels)
        : m_startSize(bits == 1 ? 3 : bits + 1), m_clear(1 << (m_startSize - 1)), m_end(m_clear + 1),
          m_packer(pixels / 2 + 64), m_table(std::make_unique<StringTable>())
    {
        for (int v = 0; v < m_clear; ++v) {
            m_pureLength[size_t(v)] = 1;
            m_pureValue[size_t(v)] = uint8_t(v);
        }
        Restart();
        m_packer.Put(uint32_t(m_clear), m_size);
    }

    int MinimumCodeSize() const { return m_startSize - 1; }

    void Row(const uint8_t* pixels, int width)
    {
        for (int x = 0; x < width;) {
            const uint8_t v = pixels[x];
            int run = 1;
            while (x + run < width && pixels[x + run] == v)
                ++run;
            x += run;
            if (run == 1) {
                Step(v);
                continue;
            }
            while (run > 0) {
                if (!m_fresh && m_pureValue[m_prefix] == v && m_pureLength[m_prefix] > 0) {
                    std::vector<uint16_t>& chain = Chain(v);
                    const int have = m_pureLength[m_prefix], longest = int(chain.size());
                    if (have < longest) {
                        const int advance = std::min(run, longest - have);
                        m_prefix = chain[size_t(have + advance - 1)];
                        run -= advance;
                        continue;
                    }
                }
                Step(v);
                --run;
            }
        }
    }

    void Finish(std::vector<uint8_t>& out)
    {
        m_packer.Put(m_prefix, m_size);
        m_packer.Put(uint32_t(m_end), m_size);
        m_packer.FinishInto(out);
    }

private:
    // One pixel of the plain algorithm.
    void Step(uint32_t v)
    {
        if (m_fresh) {
            m_prefix = v;
            m_fresh = false;
            return;
        }
        const uint32_t key = (m_prefix << 8) | v;
        uint32_t slot;
        const int code = m_table->Find(key, slot);
        if (code >= 0) {
            m_prefix = uint32_t(code);
            return;
        }
        m_packer.Put(m_prefix, m_size);
        ++m_newest;
        m_table->Insert(slot, key, m_newest);
        NotePure(m_prefix, uint8_t(v), m_newest);
        m_prefix = v;
        if (m_newest >= m_limit) {
            m_limit <<= 1;
            ++m_size;
        } else if (m_newest >= kClearAfterCode) {
            // The pixel just seen goes out as a string of its own before the clear.
            m_packer.Put(m_prefix, m_size);
            m_packer.Put(uint32_t(m_clear), m_size);
            Restart();
            m_table->Clear();
        }
    }

    // Records whether the new string (prefix + v) consists of v alone.
    void NotePure(uint32_t prefix, uint8_t v, int code)
    {
        if (m_pureValue[prefix] == v && m_pureLength[prefix] > 0) {
            std::vector<uint16_t>& chain = Chain(v);
            m_pureLength[size_t(code)] = uint16_t(chain.size() + 1);
            m_pureValue[size_t(code)] = v;
            chain.push_back(uint16_t(code));
        } else {
            m_pureLength[size_t(code)] = 0;
        }
    }

    // The codes of v, vv, vvv ... in the current table.
    std::vector<uint16_t>& Chain(uint8_t v)
    {
        std::vector<uint16_t>& chain = m_chains[v];
        if (chain.empty()) {
            chain.push_back(v);
            m_chained.push_back(v);
        }
        return chain;
    }

    void Restart()
    {
        m_newest = m_end;
        m_size = m_startSize;
        m_limit = 1 << m_startSize;
        m_fresh = true;
        for (uint8_t v : m_chained)
            m_chains[v].clear();
        m_chained.clear();
    }

    const int m_startSize;
    const int m_clear;
    const int m_end;
    CodePacker m_packer;
    std::unique_ptr<StringTable> m_table;
    int m_newest = 0;
    int m_size = 0;
    int m_limit = 0;
    uint32_t m_prefix = 0;
    bool m_fresh = true;
    std::array<uint16_t, kMaxCodes> m_pureLength{};
    std::array<uint8_t, kMaxCodes> m_pureValue{};
    std::array<std::vector<uint16_t>, 256> m_chains;
    std::vector<uint8_t> m_chained;
};

} // namespace

void LzwEncode(std::vector<uint8_t>& out, const RasterShape& shape, const uint8_t* rows, const LzwProgress& progress)
{
    Encoder encoder(shape.bitsPerPixel, size_t(shape.width) * size_t(shape.height));
    // LZW minimum code size.
    out.push_back(uint8_t(encoder.MinimumCodeSize()));
    const size_t stride = shape.Stride();
    std::vector<uint8_t> scratch;
    int pass = 0;
    int done = 0;
    for (int y = 0; y < shape.height;) {
        const uint8_t* row = rows + stride * size_t(shape.height - 1 - y);
        encoder.Row(PixelsOfRow(row, shape.width, shape.bitsPerPixel, scratch), shape.width);
        ++done;
        if (progress)
            progress(int(int64_t(done) * 100 / shape.height));
        y = shape.interlaced ? NextInterlacedRow(y, shape.height, pass) : y + 1;
    }
    encoder.Finish(out);
}

namespace {

// Reads codes across the data sub-blocks. Holds at most one block plus the few bytes
// of a code that straddles two blocks, and never reads past the end of the data.
class CodeReader {
public:
    CodeReader(const uint8_t* at, const uint8_t* end) : m_at(at), m_end(end) {}

    bool Read(int size, int& code)
    {
        while (m_bitPos + size > m_validBits && m_at < m_end) {
            int offset = m_bitPos / 8;
            std::memmove(m_buffer, m_buffer + offset, 3);
            m_validBits -= 8 * offset;
            m_bitPos %= 8;
            size_t n = *m_at++;
            n = std::min(n, size_t(m_end - m_at));
            std::memcpy(m_buffer + m_validBits / 8, m_at, n);
            m_at += n;
            m_validBits += 8 * int(n);
        }
        if (m_bitPos + size > m_validBits)
            return false;
        const uint8_t* b = m_buffer + m_bitPos / 8;
        uint32_t word = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16);
        code = int((word >> (m_bitPos % 8)) & ((1u << size) - 1));
        m_bitPos += size;
        return true;
    }

    size_t Consumed(const uint8_t* start) const { return size_t(m_at - start); }

private:
    const uint8_t* m_at;
    const uint8_t* m_end;
    uint8_t m_buffer[264] = {};
    int m_bitPos = 0;
    int m_validBits = 0;
};

// Writes decoded pixels into the bottom-up rows in GIF row order.
class PixelSink {
public:
    PixelSink(const RasterShape& shape, uint8_t* rows) : m_shape(shape), m_rows(rows), m_stride(shape.Stride()) {}

    bool Done() const { return m_y >= m_shape.height || m_shape.width <= 0; }

    void Put(uint32_t value)
    {
        if (Done())
            return;
        uint8_t* row = m_rows + m_stride * size_t(m_shape.height - 1 - m_y);
        switch (m_shape.bitsPerPixel) {
        case 8: row[m_x] = uint8_t(value); break;
        case 4:
            if ((m_x & 1) == 0)
                row[m_x >> 1] = uint8_t(value << 4);
            else
                row[m_x >> 1] |= uint8_t(value);
            break;
        default:
            if ((m_x & 7) == 0)
                row[m_x >> 3] = uint8_t(value << 7);
            else
                row[m_x >> 3] |= uint8_t(value << (7 - (m_x & 7)));
            break;
        }
        if (++m_x >= m_shape.width) {
            m_x = 0;
            m_y = m_shape.interlaced ? NextInterlacedRow(m_y, m_shape.height, m_pass) : m_y + 1;
        }
    }

private:
    const RasterShape& m_shape;
    uint8_t* m_rows;
    size_t m_stride;
    int m_x = 0;
    int m_y = 0;
    int m_pass = 0;
};

} // namespace

bool LzwDecode(const uint8_t* coded, size_t size, const RasterShape& shape, int colourBits, uint8_t* rows,
               const LzwProgress& progress)
{
    if (size == 0)
        return false;
    int minSize = coded[0];
    bool damaged = minSize < 2 || minSize > 9;
    minSize = std::clamp(minSize, 2, 9);

    CodeReader reader(coded + 1, coded + size);
    PixelSink sink(shape, rows);
    const int clear = 1 << minSize;
    const int end = clear + 1;
    const int firstFree = clear + 2;
    const uint32_t pixelMask = (1u << std::clamp(colourBits, 1, shape.bitsPerPixel)) - 1;
    int codeSize = minSize + 1;
    int limit = 1 << codeSize;
    int nextFree = firstFree;
    int oldCode = 0;
    uint32_t firstPixel = 0;
    bool tableFull = false;

    std::vector<uint16_t> prefix(kMaxCodes, 0), suffix(kMaxCodes, 0);
    std::vector<uint16_t> stack(kMaxCodes + 8, 0);
    auto report = [&] {
        if (progress)
            progress(int(reader.Consumed(coded + 1) * 100 / size));
    };

    int code = 0;
    if (!reader.Read(codeSize, code))
        return false;
    while (code != end && !sink.Done()) {
        if (code == clear) {
            codeSize = minSize + 1;
            limit = 1 << codeSize;
            nextFree = firstFree;
            // Consecutive clear codes are legal and add nothing.
            do {
                if (!reader.Read(codeSize, code))
                    return false;
            } while (code == clear);
            // A clear followed by the end code is an image without pixels.
            if (code == end)
                break;
            oldCode = code;
            firstPixel = uint32_t(code) & pixelMask;
            sink.Put(firstPixel);
            tableFull = false;
        } else {
            const int incoming = code;
            int current = code;
            size_t depth = 0;
            if (code >= nextFree) {
                current = oldCode;
                stack[depth++] = uint16_t(firstPixel);
            }
            while (uint32_t(current) > pixelMask) {
                if (depth > kMaxCodes) {
                    damaged = true;
                    break;
                }
                stack[depth++] = suffix[size_t(current)];
                current = prefix[size_t(current)];
            }
            if (damaged)
                break;
            firstPixel = uint32_t(current) & pixelMask;
            stack[depth++] = uint16_t(firstPixel);
            while (depth > 0)
                sink.Put(stack[--depth]);
            if (!tableFull) {
                prefix[size_t(nextFree)] = uint16_t(oldCode);
                suffix[size_t(nextFree)] = uint16_t(firstPixel);
                if (++nextFree >= limit) {
                    if (codeSize < 12) {
                        ++codeSize;
                        limit <<= 1;
                    } else {
                        tableFull = true;
                    }
                }
            }
            oldCode = incoming;
        }
        // Data after the last pixel (a missing end code, extra codes) is not ours to judge.
        if (sink.Done())
            break;
        if (!reader.Read(codeSize, code))
            return false;
        report();
    }
    return !damaged;
}

} // namespace gif

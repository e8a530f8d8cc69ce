// Bounds-checked reading of bytes and bit fields. A read past the end returns
// zeros and poisons the reader; parsers check failed() once per record instead
// of after every field, and every loop also stops on failed(), so damage can
// never turn into an endless loop or an out-of-bounds read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace swf {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> data) : m_data(data) {}

    bool failed() const { return m_failed; }
    void fail() { m_failed = true; m_pos = m_data.size(); m_bitCount = 0; }
    std::size_t position() const { return m_pos; }
    std::size_t remaining() const { return m_data.size() - m_pos; }
    bool atEnd() const { return m_pos >= m_data.size(); }
    std::size_t size() const { return m_data.size(); }

    // Byte-aligned reads (they drop the rest of a partly read bit byte first).
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t s32() { return static_cast<std::int32_t>(u32()); }
    float f32();
    double fixed16() { return s32() / 65536.0; } // FIXED 16.16
    double fixed8() { return s16() / 256.0; }    // FIXED8 8.8
    std::span<const std::uint8_t> bytes(std::size_t n);
    std::vector<std::uint8_t> bytesVector(std::size_t n);
    std::vector<std::uint8_t> rest();
    std::span<const std::uint8_t> restSpan();
    void skip(std::size_t n) { (void)bytes(n); }
    std::string cstring(); // STRING: up to a terminating zero
    std::string pstring(); // a u8 length and that many bytes

    // A reader over the next n bytes, advancing this one past them.
    ByteReader sub(std::size_t n);

    // Bit fields, most significant bit first, as the packed records use them.
    std::uint32_t ub(int bits);
    std::int32_t sb(int bits);
    double fb(int bits) { return sb(bits) / 65536.0; }
    bool flag() { return ub(1) != 0; }
    void align() { m_bitCount = 0; }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
    std::uint8_t m_bitByte = 0;
    int m_bitCount = 0; // unread bits left in m_bitByte
    bool m_failed = false;
};

} // namespace swf

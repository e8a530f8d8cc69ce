#include "swf/ByteWriter.h"

#include <cmath>
#include <cstring>

namespace swf {

void ByteWriter::u8(std::uint8_t v)
{
    flushBits();
    m_data.push_back(v);
}

void ByteWriter::u16(std::uint16_t v)
{
    u8(std::uint8_t(v));
    u8(std::uint8_t(v >> 8));
}

void ByteWriter::u32(std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        u8(std::uint8_t(v >> (8 * i)));
}

void ByteWriter::f32(float v)
{
    std::uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    u32(u);
}

void ByteWriter::fixed16(double v) { u32(static_cast<std::uint32_t>(toFixed16(v))); }

void ByteWriter::fixed8(double v)
{
    const long f = std::lround(v * 256.0);
    if (f < INT16_MIN || f > INT16_MAX)
        fail("an 8.8 fixed-point value out of range");
    s16(static_cast<std::int16_t>(f));
}

void ByteWriter::bytes(std::span<const std::uint8_t> b)
{
    flushBits();
    m_data.insert(m_data.end(), b.begin(), b.end());
}

void ByteWriter::cstring(const std::string& s)
{
    if (s.find('\0') != std::string::npos)
        fail("a string holds a zero byte");
    bytes({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()});
    u8(0);
}

void ByteWriter::patchU16(std::size_t at, std::uint16_t v)
{
    m_data[at] = std::uint8_t(v);
    m_data[at + 1] = std::uint8_t(v >> 8);
}

void ByteWriter::patchU32(std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        m_data[at + i] = std::uint8_t(v >> (8 * i));
}

void ByteWriter::ub(int bits, std::uint32_t v)
{
    if (bits < 32 && (v >> bits) != 0)
        fail("a value does not fit its bit field");
    for (int i = bits - 1; i >= 0; --i) {
        m_bitByte = std::uint8_t((m_bitByte << 1) | ((v >> i) & 1u));
        if (++m_bitCount == 8) {
            m_data.push_back(m_bitByte);
            m_bitByte = 0;
            m_bitCount = 0;
        }
    }
}

void ByteWriter::sb(int bits, std::int32_t v)
{
    if (bits == 0) {
        if (v != 0)
            fail("a value does not fit its bit field");
        return;
    }
    if (signedBits(v) > bits)
        fail("a value does not fit its bit field");
    const std::uint32_t mask = bits >= 32 ? ~0u : ((1u << bits) - 1);
    ub(bits, static_cast<std::uint32_t>(v) & mask);
}

void ByteWriter::flushBits()
{
    if (m_bitCount > 0) {
        m_data.push_back(std::uint8_t(m_bitByte << (8 - m_bitCount)));
        m_bitByte = 0;
        m_bitCount = 0;
    }
}

int unsignedBits(std::uint32_t v)
{
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

int signedBits(std::int32_t v)
{
    if (v == 0)
        return 0;
    const std::uint32_t magnitude = v < 0 ? ~static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
    return unsignedBits(magnitude) + 1;
}

std::int32_t toFixed16(double v)
{
    const double f = std::round(v * 65536.0);
    if (!(f >= INT32_MIN && f <= INT32_MAX))
        return v < 0 ? INT32_MIN : INT32_MAX;
    return static_cast<std::int32_t>(f);
}

} // namespace swf

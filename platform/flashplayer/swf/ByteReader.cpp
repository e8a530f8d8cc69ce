#include "swf/ByteReader.h"

#include <cstring>

namespace swf {

std::uint8_t ByteReader::u8()
{
    align();
    if (m_pos >= m_data.size()) {
        fail();
        return 0;
    }
    return m_data[m_pos++];
}

std::uint16_t ByteReader::u16()
{
    auto b = bytes(2);
    return b.size() == 2 ? std::uint16_t(b[0] | (b[1] << 8)) : 0;
}

std::uint32_t ByteReader::u32()
{
    auto b = bytes(4);
    if (b.size() != 4)
        return 0;
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) | (std::uint32_t(b[3]) << 24);
}

float ByteReader::f32()
{
    std::uint32_t v = u32();
    float f;
    std::memcpy(&f, &v, sizeof f);
    return f;
}

std::span<const std::uint8_t> ByteReader::bytes(std::size_t n)
{
    align();
    if (n > remaining()) {
        fail();
        return {};
    }
    auto s = m_data.subspan(m_pos, n);
    m_pos += n;
    return s;
}

std::vector<std::uint8_t> ByteReader::bytesVector(std::size_t n)
{
    auto s = bytes(n);
    return {s.begin(), s.end()};
}

std::span<const std::uint8_t> ByteReader::restSpan() { return bytes(remaining()); }

std::vector<std::uint8_t> ByteReader::rest()
{
    auto s = restSpan();
    return {s.begin(), s.end()};
}

std::string ByteReader::cstring()
{
    align();
    for (std::size_t i = m_pos; i < m_data.size(); ++i) {
        if (m_data[i] == 0) {
            std::string s(reinterpret_cast<const char*>(m_data.data() + m_pos), i - m_pos);
            m_pos = i + 1;
            return s;
        }
    }
    fail();
    return {};
}

std::string ByteReader::pstring()
{
    std::size_t n = u8();
    auto b = bytes(n);
    std::string s(reinterpret_cast<const char*>(b.data()), b.size());
    // Some writers count the terminating zero in the length.
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

ByteReader ByteReader::sub(std::size_t n)
{
    auto s = bytes(n);
    ByteReader r(s);
    if (m_failed)
        r.fail();
    return r;
}

std::uint32_t ByteReader::ub(int bits)
{
    std::uint32_t v = 0;
    while (bits > 0) {
        if (m_bitCount == 0) {
            if (m_pos >= m_data.size()) {
                fail();
                return 0;
            }
            m_bitByte = m_data[m_pos++];
            m_bitCount = 8;
        }
        const int take = bits < m_bitCount ? bits : m_bitCount;
        v = (v << take) | ((unsigned(m_bitByte) >> (m_bitCount - take)) & ((1u << take) - 1));
        m_bitCount -= take;
        bits -= take;
    }
    return v;
}

std::int32_t ByteReader::sb(int bits)
{
    if (bits <= 0)
        return 0;
    std::uint32_t v = ub(bits);
    if (bits < 32 && (v & (1u << (bits - 1))))
        v |= ~0u << bits; // sign-extend
    return static_cast<std::int32_t>(v);
}

} // namespace swf

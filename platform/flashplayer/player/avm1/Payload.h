// Bounds-checked reading of one action's payload: reads past the end yield zeros and
// empty strings and mark the payload bad, so a malformed action is skipped whole.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace flash::avm1 {

class Payload {
public:
    Payload(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_pos >= m_size; }
    size_t position() const { return m_pos; }

    uint8_t u8()
    {
        if (m_pos + 1 > m_size)
            return fail();
        return m_data[m_pos++];
    }
    uint16_t u16()
    {
        if (m_pos + 2 > m_size)
            return fail();
        const uint16_t v = uint16_t(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    int16_t s16() { return static_cast<int16_t>(u16()); }
    uint32_t u32()
    {
        if (m_pos + 4 > m_size)
            return fail();
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | m_data[m_pos + i];
        m_pos += 4;
        return v;
    }
    float f32()
    {
        const uint32_t bits = u32();
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    // DOUBLE in action payloads: the two 32-bit halves are stored high word first.
    double f64()
    {
        const uint64_t high = u32();
        const uint64_t low = u32();
        const uint64_t bits = (high << 32) | low;
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    // A zero-terminated string; an unterminated one is an error.
    std::string str()
    {
        const void* zero = m_pos < m_size ? std::memchr(m_data + m_pos, 0, m_size - m_pos) : nullptr;
        if (!zero) {
            fail();
            return {};
        }
        const size_t end = static_cast<const uint8_t*>(zero) - m_data;
        std::string s(reinterpret_cast<const char*>(m_data + m_pos), end - m_pos);
        m_pos = end + 1;
        return s;
    }

private:
    uint8_t fail()
    {
        m_ok = false;
        m_pos = m_size;
        return 0;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

}  // namespace flash::avm1

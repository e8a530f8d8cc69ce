// Little-endian field reading and building for the RIFF records kept in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class LittleEndianBytes {
public:
    void U8(uint8_t v) { m_bytes.push_back(v); }
    void U16(uint16_t v)
    {
        U8(uint8_t(v));
        U8(uint8_t(v >> 8));
    }
    void U32(uint32_t v)
    {
        U16(uint16_t(v));
        U16(uint16_t(v >> 16));
    }
    void U64(uint64_t v)
    {
        U32(uint32_t(v));
        U32(uint32_t(v >> 32));
    }
    void Raw(const void* data, size_t count)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        m_bytes.insert(m_bytes.end(), p, p + count);
    }
    size_t Size() const { return m_bytes.size(); }
    std::vector<uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

// Readers over a buffer whose length the caller has already checked.
inline uint16_t ReadU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t ReadU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

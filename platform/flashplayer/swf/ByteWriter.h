// Bytes and bit fields for the writer, with a sticky error: encoders write on and
// the caller checks failed() once per movie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace swf {

class ByteWriter {
public:
    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    void fail(std::string message) { if (m_error.empty()) m_error = std::move(message); }
    // Takes over another writer's error (for nested buffers).
    void adoptError(const ByteWriter& other) { if (other.failed()) fail(other.error()); }

    const std::vector<std::uint8_t>& data() const { return m_data; }
    std::vector<std::uint8_t>& data() { return m_data; }
    std::size_t size() const { return m_data.size(); }

    void u8(std::uint8_t v);
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void s16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void f32(float v);
    void fixed16(double v); // FIXED 16.16
    void fixed8(double v);  // FIXED8 8.8
    void bytes(std::span<const std::uint8_t> b);
    void cstring(const std::string& s); // STRING with its terminating zero
    void patchU16(std::size_t at, std::uint16_t v);
    void patchU32(std::size_t at, std::uint32_t v);

    // Bit fields, most significant bit first; flushBits() pads to a byte.
    void ub(int bits, std::uint32_t v);
    void sb(int bits, std::int32_t v);
    void flushBits();

private:
    std::vector<std::uint8_t> m_data;
    std::uint8_t m_bitByte = 0;
    int m_bitCount = 0; // bits used in m_bitByte
    std::string m_error;
};

// Bits needed for a value in UB / SB fields.
int unsignedBits(std::uint32_t v);
int signedBits(std::int32_t v);
// 16.16 fixed-point value of a double, as FB fields and FIXED store it.
std::int32_t toFixed16(double v);

} // namespace swf

// Hand-made RIFF files for the WAV reader's cases.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace avi_test {

using Chunk = std::pair<std::string, std::vector<uint8_t>>;

inline void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// RIFF form with the chunks in order (each padded to an even length).
inline std::vector<uint8_t> RiffBytes(const std::string& form, const std::vector<Chunk>& chunks)
{
    std::vector<uint8_t> body(form.begin(), form.end());
    for (const auto& [id, data] : chunks) {
        body.insert(body.end(), id.begin(), id.end());
        putU32(body, static_cast<uint32_t>(data.size()));
        body.insert(body.end(), data.begin(), data.end());
        if (data.size() & 1)
            body.push_back(0);
    }
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
    putU32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// WAVEFORMAT fields: tag, channels, rate, bytes per second, block align, bits.
inline std::vector<uint8_t> FormatBytes(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t bytesPerSec,
                                        uint16_t blockAlign, uint16_t bits)
{
    std::vector<uint8_t> f = {uint8_t(tag), uint8_t(tag >> 8), uint8_t(channels), uint8_t(channels >> 8)};
    putU32(f, rate);
    putU32(f, bytesPerSec);
    f.push_back(uint8_t(blockAlign));
    f.push_back(uint8_t(blockAlign >> 8));
    f.push_back(uint8_t(bits));
    f.push_back(uint8_t(bits >> 8));
    return f;
}

} // namespace avi_test

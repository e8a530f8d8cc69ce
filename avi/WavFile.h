// WAV files (RIFF 'WAVE'): a reader that finds the format and the sound data of a
// file we do not trust, and a writer for PCM or any other format block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class WavError {
    None,
    FileOpen,        // the file cannot be opened
    FileRead,        // it opened but reading it failed
    BadFormat,       // not a RIFF file, or its chunks are damaged
    NotWave,         // a RIFF file of another kind
    TooLarge,        // a record larger than the limits allow
    NoData,          // a format but no 'data' chunk
    UnusableFormat,  // a format without block size or byte rate: nothing can be timed
    Unknown,         // anything else (a path that cannot name a file, ...)
};

struct WavLimits {
    // The format record: WAVEFORMATEX with the largest extra block it can declare.
    uint32_t maxFormatBytes = 18 + 65535;
    // Chunks looked at before the format and the data must have been found.
    uint32_t maxChunks = 4096;
};

// The WAVEFORMAT fields every format block starts with.
struct WavFormat {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
};

class WavReader {
public:
    WavReader() = default;
    ~WavReader();
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    WavError Open(const std::string& path, const WavLimits& limits = {});

    // The 'fmt ' chunk body exactly as the file holds it.
    const std::vector<uint8_t>& FormatBlock() const { return m_formatBlock; }
    const WavFormat& Format() const { return m_format; }
    // Bytes of sound; a 'data' chunk cut short by the end of the file counts what is there.
    uint64_t DataBytes() const { return m_dataBytes; }

    // Reads the next count bytes of sound; false when the file cannot deliver them.
    bool ReadData(void* buffer, size_t count);

private:
    WavError scanChunks(const WavLimits& limits);
    bool readAt(uint64_t offset, void* buffer, size_t count, WavError& error);

    int m_fd = -1;
    uint64_t m_fileSize = 0;
    std::vector<uint8_t> m_formatBlock;
    WavFormat m_format;
    uint64_t m_dataOffset = 0;
    uint64_t m_dataBytes = 0;
    uint64_t m_readPosition = 0;
};

// A WAVEFORMATEX block for PCM sound (cbSize 0).
std::vector<uint8_t> PcmFormatBlock(uint16_t channels, uint32_t samplesPerSec, uint16_t bitsPerSample);

// Writes a WAV file through a temporary file beside path; raises the toolkit's
// stream errors when it cannot be written.
void WriteWavFile(const std::string& path, const std::vector<uint8_t>& formatBlock, const void* data, size_t bytes);

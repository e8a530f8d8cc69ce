// The fixed header records of an AVI file ('avih' and 'strh') and their byte form.
// Fields keep the names the AVI file format gives them.
#pragma once

#include <cstdint>
#include <vector>

// Flags of the main header.
inline constexpr uint32_t AVIF_HASINDEX = 0x00000010;
inline constexpr uint32_t AVIF_ISINTERLEAVED = 0x00000100;
// The index flag of a chunk that can be decoded on its own.
inline constexpr uint32_t AVIIF_KEYFRAME = 0x00000010;

struct AviMainHeader {
    uint32_t dwMicroSecPerFrame = 0;
    uint32_t dwMaxBytesPerSec = 0;
    uint32_t dwPaddingGranularity = 0;
    uint32_t dwFlags = 0;
    uint32_t dwTotalFrames = 0;
    uint32_t dwInitialFrames = 0;
    uint32_t dwStreams = 0;
    uint32_t dwSuggestedBufferSize = 0;
    uint32_t dwWidth = 0;
    uint32_t dwHeight = 0;
};

struct AviStreamHeader {
    char fccType[4] = {0, 0, 0, 0};
    uint32_t fccHandler = 0;
    uint32_t dwFlags = 0;
    uint16_t wPriority = 0;
    uint16_t wLanguage = 0;
    uint32_t dwInitialFrames = 0;
    uint32_t dwScale = 0;
    uint32_t dwRate = 0;
    uint32_t dwStart = 0;
    uint32_t dwLength = 0;
    uint32_t dwSuggestedBufferSize = 0;
    uint32_t dwQuality = 0;
    uint32_t dwSampleSize = 0;
    // rcFrame: the file holds the rectangle as four 16-bit values.
    int16_t rcLeft = 0;
    int16_t rcTop = 0;
    int16_t rcRight = 0;
    int16_t rcBottom = 0;
};

inline constexpr uint32_t kAviMainHeaderBytes = 56;
inline constexpr uint32_t kAviStreamHeaderBytes = 56;

// The chunk bodies, exactly as they go into the file.
std::vector<uint8_t> EncodeMainHeader(const AviMainHeader& header);
std::vector<uint8_t> EncodeStreamHeader(const AviStreamHeader& header);

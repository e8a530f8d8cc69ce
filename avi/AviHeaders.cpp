#include "AviHeaders.h"

#include "LittleEndian.h"

std::vector<uint8_t> EncodeMainHeader(const AviMainHeader& h)
{
    LittleEndianBytes out;
    out.U32(h.dwMicroSecPerFrame);
    out.U32(h.dwMaxBytesPerSec);
    out.U32(h.dwPaddingGranularity);
    out.U32(h.dwFlags);
    out.U32(h.dwTotalFrames);
    out.U32(h.dwInitialFrames);
    out.U32(h.dwStreams);
    out.U32(h.dwSuggestedBufferSize);
    out.U32(h.dwWidth);
    out.U32(h.dwHeight);
    // dwReserved[4]
    for (int i = 0; i < 4; ++i)
        out.U32(0);
    return out.Take();
}

std::vector<uint8_t> EncodeStreamHeader(const AviStreamHeader& h)
{
    LittleEndianBytes out;
    out.Raw(h.fccType, 4);
    out.U32(h.fccHandler);
    out.U32(h.dwFlags);
    out.U16(h.wPriority);
    out.U16(h.wLanguage);
    out.U32(h.dwInitialFrames);
    out.U32(h.dwScale);
    out.U32(h.dwRate);
    out.U32(h.dwStart);
    out.U32(h.dwLength);
    out.U32(h.dwSuggestedBufferSize);
    out.U32(h.dwQuality);
    out.U32(h.dwSampleSize);
    out.U16(static_cast<uint16_t>(h.rcLeft));
    out.U16(static_cast<uint16_t>(h.rcTop));
    out.U16(static_cast<uint16_t>(h.rcRight));
    out.U16(static_cast<uint16_t>(h.rcBottom));
    return out.Take();
}

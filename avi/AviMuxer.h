// Lays out an AVI file: the header list, the 'movi' data chunks, the 'idx1' index
// of the first RIFF, and, once the data outgrows one RIFF segment, further 'AVIX'
// segments with OpenDML standard indexes, super indexes and the extended header.
// Files that fit one segment stay plain AVI 1.0: the OpenDML records are reserved
// as 'JUNK' and only filled in when a second segment is started.
#pragma once

#include "AviHeaders.h"
#include "OpenDml.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RiffChunk;
class RiffWriter;

struct AviStreamSetup {
    // dwLength and dwSuggestedBufferSize are counted by the muxer.
    AviStreamHeader header;
    // The 'strf' body: a BITMAPINFOHEADER with its colour table, or a wave format.
    std::vector<uint8_t> format;
};

struct AviMuxLimits {
    // Most bytes of one RIFF segment, indexes included. The first segment stays below
    // 1 GiB so that readers of AVI 1.0 can play it.
    uint64_t segmentBytes = uint64_t(1) << 30;
};

class AviMuxer {
public:
    // superIndexEntries: room reserved per stream for segment indexes (see
    // SuperIndexEntriesFor).
    AviMuxer(RiffWriter& out, const AviMainHeader& main, std::vector<AviStreamSetup> streams,
             uint32_t superIndexEntries, AviMuxLimits limits = {});
    ~AviMuxer();

    // Room for the super indexes of a file with about payloadBytes in chunks of at
    // most maxChunk bytes.
    static uint32_t SuperIndexEntriesFor(uint64_t payloadBytes, uint64_t chunks, uint32_t maxChunk,
                                         const AviMuxLimits& limits);

    void Begin();
    // One key-frame chunk of stream ('00db' for video, '01wb' for sound).
    void WriteChunk(size_t stream, const void* data, uint32_t size);
    // Closes the last segment, writes the indexes and fills in the headers.
    void Finish();

    int Segments() const { return m_segmentNumber; }

private:
    struct StreamState;
    struct Idx1Entry {
        uint32_t stream;
        uint32_t offset;
        uint32_t size;
    };

    void writeHeaderList();
    void openSegment(const char* formType);
    void closeSegment();
    uint64_t pendingIndexBytes() const;
    void patchHeaders();

    RiffWriter& m_out;
    AviMainHeader m_main;
    std::vector<StreamState> m_streams;
    uint32_t m_superIndexEntries;
    AviMuxLimits m_limits;
    int64_t m_avihPosition = 0;
    int64_t m_odmlPosition = 0;
    std::unique_ptr<RiffChunk> m_riff;
    std::unique_ptr<RiffChunk> m_movi;
    int64_t m_segmentStart = 0;
    int m_segmentNumber = 0;
    uint64_t m_segmentChunks = 0;
    std::vector<Idx1Entry> m_idx1;
    uint32_t m_firstSegmentFrames = 0;
    bool m_openDml = false;
};

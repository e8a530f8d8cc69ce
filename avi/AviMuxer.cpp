#include "AviMuxer.h"

#include "LittleEndian.h"
#include "RiffWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

struct AviMuxer::StreamState {
    AviStreamSetup setup;
    char chunkId[5] = {};
    char indexId[5] = {};
    bool video = false;
    uint64_t length = 0;  // in stream ticks: frames, or audio blocks
    uint64_t chunks = 0;
    uint32_t maxChunk = 0;
    int64_t strhPosition = 0;
    int64_t indxPosition = 0;
    std::vector<StandardIndexEntry> segmentEntries;
    uint64_t segmentLength = 0;
    std::vector<SuperIndexEntry> superIndex;

    uint64_t ticksOf(uint32_t bytes) const
    {
        uint32_t sampleSize = setup.header.dwSampleSize;
        return sampleSize == 0 ? 1 : bytes / sampleSize;
    }
};

namespace {

uint32_t clampU32(uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v); }

} // namespace

AviMuxer::AviMuxer(RiffWriter& out, const AviMainHeader& main, std::vector<AviStreamSetup> streams,
                   uint32_t superIndexEntries, AviMuxLimits limits)
    : m_out(out), m_main(main), m_superIndexEntries(std::max<uint32_t>(superIndexEntries, 1)), m_limits(limits)
{
    // Standard index offsets count from the segment start in 32 bits.
    m_limits.segmentBytes = std::min<uint64_t>(m_limits.segmentBytes, 0xFFF00000u);
    for (size_t i = 0; i < streams.size(); ++i) {
        StreamState s;
        s.setup = std::move(streams[i]);
        s.video = std::memcmp(s.setup.header.fccType, "vids", 4) == 0;
        std::snprintf(s.chunkId, sizeof s.chunkId, "%02u%s", unsigned(i % 100), s.video ? "db" : "wb");
        std::snprintf(s.indexId, sizeof s.indexId, "ix%02u", unsigned(i % 100));
        m_streams.push_back(std::move(s));
    }
    m_main.dwStreams = static_cast<uint32_t>(m_streams.size());
}

AviMuxer::~AviMuxer() = default;

uint32_t AviMuxer::SuperIndexEntriesFor(uint64_t payloadBytes, uint64_t chunks, uint32_t maxChunk,
                                        const AviMuxLimits& limits)
{
    // A segment is closed when the next chunk would not fit, so each one holds at
    // least segmentBytes minus one chunk, its indexes and the header list.
    uint64_t perChunkOverhead = 8 + 1 + 8 + 16;
    uint64_t total = payloadBytes + chunks * perChunkOverhead;
    uint64_t slack = uint64_t(maxChunk) + 8 + 64 * 1024;
    uint64_t usable = limits.segmentBytes > 2 * slack ? limits.segmentBytes - slack : limits.segmentBytes / 2;
    uint64_t segments = total / std::max<uint64_t>(usable, 1) + 2;
    return clampU32(segments + segments / 4 + 4);
}

void AviMuxer::Begin()
{
    m_riff = std::make_unique<RiffChunk>(m_out, "RIFF", "AVI ");
    m_segmentStart = m_riff->Start();
    m_segmentNumber = 1;
    writeHeaderList();
    m_movi = std::make_unique<RiffChunk>(m_out, "LIST", "movi");
}

void AviMuxer::writeHeaderList()
{
    RiffChunk hdrl(m_out, "LIST", "hdrl");
    m_avihPosition = m_out.Position();
    std::vector<uint8_t> avih = EncodeMainHeader(m_main);
    m_out.Chunk("avih", avih.data(), static_cast<uint32_t>(avih.size()));
    for (StreamState& s : m_streams) {
        RiffChunk strl(m_out, "LIST", "strl");
        s.strhPosition = m_out.Position();
        std::vector<uint8_t> strh = EncodeStreamHeader(s.setup.header);
        m_out.Chunk("strh", strh.data(), static_cast<uint32_t>(strh.size()));
        m_out.Chunk("strf", s.setup.format.data(), static_cast<uint32_t>(s.setup.format.size()));
        // Room for the super index; it stays 'JUNK' unless the file needs it.
        s.indxPosition = m_out.Position();
        m_out.FourCC("JUNK");
        m_out.U32(SuperIndexBodyBytes(m_superIndexEntries));
        m_out.Zeros(SuperIndexBodyBytes(m_superIndexEntries));
    }
    m_odmlPosition = m_out.Position();
    m_out.FourCC("JUNK");
    m_out.U32(kOdmlListBodyBytes);
    m_out.Zeros(kOdmlListBodyBytes);
}

uint64_t AviMuxer::pendingIndexBytes() const
{
    uint64_t bytes = 0;
    for (const StreamState& s : m_streams)
        bytes += StandardIndexChunkBytes(s.segmentEntries.size() + 1);
    if (m_segmentNumber == 1)
        bytes += 8 + 16 * (m_idx1.size() + 1);
    return bytes;
}

void AviMuxer::WriteChunk(size_t stream, const void* data, uint32_t size)
{
    StreamState& s = m_streams.at(stream);
    uint64_t used = static_cast<uint64_t>(m_out.Position() - m_segmentStart);
    uint64_t needed = 8 + uint64_t(size) + (size & 1) + pendingIndexBytes();
    if (m_segmentChunks > 0 && used + needed > m_limits.segmentBytes) {
        m_openDml = true;
        closeSegment();
        openSegment("AVIX");
    }
    int64_t dataPosition = m_out.Position() + 8;
    s.segmentEntries.push_back({static_cast<uint32_t>(dataPosition - m_segmentStart), size});
    if (m_segmentNumber == 1) {
        // idx1 offsets count from the 'movi' list type.
        m_idx1.push_back({static_cast<uint32_t>(stream), static_cast<uint32_t>(dataPosition - 8 - (m_movi->Start() + 8)),
                          size});
        if (s.video)
            ++m_firstSegmentFrames;
    }
    m_out.Chunk(s.chunkId, data, size);
    ++m_segmentChunks;
    ++s.chunks;
    s.length += s.ticksOf(size);
    s.segmentLength += s.ticksOf(size);
    s.maxChunk = std::max(s.maxChunk, size);
}

void AviMuxer::openSegment(const char* formType)
{
    m_riff = std::make_unique<RiffChunk>(m_out, "RIFF", formType);
    m_segmentStart = m_riff->Start();
    ++m_segmentNumber;
    m_segmentChunks = 0;
    m_movi = std::make_unique<RiffChunk>(m_out, "LIST", "movi");
}

void AviMuxer::closeSegment()
{
    if (m_openDml) {
        for (StreamState& s : m_streams) {
            if (s.segmentEntries.empty())
                continue;
            int64_t at = m_out.Position();
            WriteStandardIndex(m_out, s.indexId, s.chunkId, static_cast<uint64_t>(m_segmentStart), s.segmentEntries);
            s.superIndex.push_back({static_cast<uint64_t>(at), static_cast<uint32_t>(m_out.Position() - at),
                                    clampU32(s.segmentLength)});
        }
    }
    for (StreamState& s : m_streams) {
        s.segmentEntries.clear();
        s.segmentLength = 0;
    }
    m_movi->Close();
    if (m_segmentNumber == 1) {
        m_out.FourCC("idx1");
        m_out.U32(static_cast<uint32_t>(16 * m_idx1.size()));
        for (const Idx1Entry& e : m_idx1) {
            m_out.FourCC(m_streams[e.stream].chunkId);
            m_out.U32(AVIIF_KEYFRAME);
            m_out.U32(e.offset);
            m_out.U32(e.size);
        }
        m_idx1.clear();
        m_idx1.shrink_to_fit();
    }
    m_riff->Close();
}

void AviMuxer::Finish()
{
    closeSegment();
    patchHeaders();
    m_out.Flush();
}

void AviMuxer::patchHeaders()
{
    uint64_t totalFrames = 0;
    uint32_t maxChunk = 0;
    for (const StreamState& s : m_streams) {
        if (s.video)
            totalFrames += s.length;
        maxChunk = std::max(maxChunk, s.maxChunk);
    }
    AviMainHeader main = m_main;
    // Readers of AVI 1.0 see only the first segment; its frame count goes here.
    main.dwTotalFrames = m_openDml ? m_firstSegmentFrames : clampU32(totalFrames);
    main.dwSuggestedBufferSize = maxChunk + 8;
    std::vector<uint8_t> avih = EncodeMainHeader(main);
    m_out.Patch(m_avihPosition + 8, avih.data(), avih.size());

    for (StreamState& s : m_streams) {
        AviStreamHeader h = s.setup.header;
        h.dwLength = clampU32(s.length);
        h.dwSuggestedBufferSize = s.maxChunk;
        std::vector<uint8_t> strh = EncodeStreamHeader(h);
        m_out.Patch(s.strhPosition + 8, strh.data(), strh.size());
        if (!m_openDml)
            continue;
        if (s.superIndex.size() > m_superIndexEntries) {
            m_out.Fail();
            return;
        }
        std::vector<uint8_t> indx = EncodeSuperIndex(s.chunkId, s.superIndex, m_superIndexEntries);
        m_out.PatchFourCC(s.indxPosition, "indx");
        m_out.Patch(s.indxPosition + 8, indx.data(), indx.size());
    }
    if (m_openDml) {
        std::vector<uint8_t> odml = EncodeOdmlList(clampU32(totalFrames));
        m_out.PatchFourCC(m_odmlPosition, "LIST");
        m_out.Patch(m_odmlPosition + 8, odml.data(), odml.size());
    }
}

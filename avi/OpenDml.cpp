#include "OpenDml.h"

#include "LittleEndian.h"
#include "RiffWriter.h"

namespace {

// bIndexType values.
constexpr uint8_t AVI_INDEX_OF_INDEXES = 0x00;
constexpr uint8_t AVI_INDEX_OF_CHUNKS = 0x01;

} // namespace

void WriteStandardIndex(RiffWriter& out, const char* indexId, const char* chunkId, uint64_t baseOffset,
                        const std::vector<StandardIndexEntry>& entries)
{
    out.FourCC(indexId);
    out.U32(static_cast<uint32_t>(StandardIndexChunkBytes(entries.size()) - 8));
    // wLongsPerEntry, bIndexSubType, bIndexType
    out.U16(2);
    out.U8(0);
    out.U8(AVI_INDEX_OF_CHUNKS);
    // nEntriesInUse, dwChunkId, qwBaseOffset, dwReserved3
    out.U32(static_cast<uint32_t>(entries.size()));
    out.FourCC(chunkId);
    out.U64(baseOffset);
    out.U32(0);
    LittleEndianBytes body;
    for (const StandardIndexEntry& e : entries) {
        // dwOffset points at the chunk data; bit 31 of dwSize clear marks a key frame.
        body.U32(e.dwOffset);
        body.U32(e.dwSize & 0x7FFFFFFFu);
    }
    std::vector<uint8_t> bytes = body.Take();
    out.Bytes(bytes.data(), bytes.size());
}

std::vector<uint8_t> EncodeSuperIndex(const char* chunkId, const std::vector<SuperIndexEntry>& entries,
                                      uint32_t reservedEntries)
{
    LittleEndianBytes out;
    // wLongsPerEntry, bIndexSubType, bIndexType
    out.U16(4);
    out.U8(0);
    out.U8(AVI_INDEX_OF_INDEXES);
    // nEntriesInUse, dwChunkId, dwReserved[3]
    out.U32(static_cast<uint32_t>(entries.size()));
    out.Raw(chunkId, 4);
    for (int i = 0; i < 3; ++i)
        out.U32(0);
    for (uint32_t i = 0; i < reservedEntries; ++i) {
        SuperIndexEntry e = i < entries.size() ? entries[i] : SuperIndexEntry{};
        out.U64(e.qwOffset);
        out.U32(e.dwSize);
        out.U32(e.dwDuration);
    }
    return out.Take();
}

std::vector<uint8_t> EncodeOdmlList(uint32_t totalFrames)
{
    LittleEndianBytes out;
    out.Raw("odml", 4);
    out.Raw("dmlh", 4);
    out.U32(248);
    // dwTotalFrames, then the reserved rest of the extended header.
    out.U32(totalFrames);
    for (int i = 0; i < 61; ++i)
        out.U32(0);
    return out.Take();
}

// The AVI 2.0 (OpenDML) index records: a super index ('indx') in each stream's
// header list pointing at one standard index ('ix##') per RIFF segment, and the
// extended header ('odml' list with 'dmlh') that carries the total frame count.
#pragma once

#include <cstdint>
#include <vector>

class RiffWriter;

// One chunk of a segment: its data offset from the segment's base, its size.
struct StandardIndexEntry {
    uint32_t dwOffset = 0;
    uint32_t dwSize = 0;
};

// One standard index: where its 'ix##' chunk starts, how long it is, and how many
// stream ticks (frames, or audio blocks) it covers.
struct SuperIndexEntry {
    uint64_t qwOffset = 0;
    uint32_t dwSize = 0;
    uint32_t dwDuration = 0;
};

// Bytes of an 'indx' body that has room for entries.
constexpr uint32_t SuperIndexBodyBytes(uint32_t entries) { return 24 + 16 * entries; }
// Bytes of a whole 'ix##' chunk with entries (header included).
constexpr uint64_t StandardIndexChunkBytes(uint64_t entries) { return 8 + 24 + 8 * entries; }
// Body of the 'LIST' that holds 'odml': the list type plus the 'dmlh' chunk.
inline constexpr uint32_t kOdmlListBodyBytes = 4 + 8 + 248;

// Writes an 'ix##' chunk for the chunks chunkId of one segment whose offsets count
// from baseOffset.
void WriteStandardIndex(RiffWriter& out, const char* indexId, const char* chunkId, uint64_t baseOffset,
                        const std::vector<StandardIndexEntry>& entries);

// The 'indx' body: entries in use, padded with empty entries up to reservedEntries.
std::vector<uint8_t> EncodeSuperIndex(const char* chunkId, const std::vector<SuperIndexEntry>& entries,
                                      uint32_t reservedEntries);

// The body of LIST 'odml' (starting with the list type).
std::vector<uint8_t> EncodeOdmlList(uint32_t totalFrames);

// Writes RIFF files (AVI and WAV): little-endian fields, chunks whose size field is a
// placeholder patched when the chunk closes, and one sticky error flag. A failed
// write does not throw here; the save checks Failed() at its checkpoints and reports
// the failure in its own words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TStream;

class RiffWriter {
public:
    // Buffers small fields and writes large blocks straight through.
    explicit RiffWriter(TStream& stream, size_t bufferBytes = size_t(1) << 20);
    RiffWriter(const RiffWriter&) = delete;
    RiffWriter& operator=(const RiffWriter&) = delete;

    void U8(uint8_t v);
    void U16(uint16_t v);
    void U32(uint32_t v);
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void U64(uint64_t v);
    // A four-character code; id must hold exactly four characters.
    void FourCC(const char* id);
    void Bytes(const void* data, size_t count);
    void Zeros(size_t count);
    // A whole chunk whose size is known up front (no patch needed), with its pad byte.
    void Chunk(const char* id, const void* data, uint32_t size);

    // Logical end of what has been written so far (file offset).
    int64_t Position() const { return m_bufferStart + static_cast<int64_t>(m_buffer.size()); }
    // Overwrites bytes written earlier; the end position stays where it was.
    void Patch(int64_t position, const void* data, size_t count);
    void PatchU32(int64_t position, uint32_t v);
    void PatchFourCC(int64_t position, const char* id);

    // Hands every buffered byte to the stream.
    void Flush();
    // Flush, and for a file also its own buffer: a checkpoint that learns whether the
    // disk took everything so far.
    void Sync();
    bool Failed() const { return m_failed; }
    // Marks the output as unusable (a size that does not fit its field, for instance).
    void Fail() { m_failed = true; }

private:
    void put(const void* data, size_t count);
    void writeThrough(const void* data, size_t count);

    TStream& m_stream;
    std::vector<uint8_t> m_buffer;
    size_t m_capacity;
    int64_t m_bufferStart;
    bool m_failed = false;
};

// A chunk (or, with a form type, a RIFF or LIST) open for as long as the object lives:
// the size is written as 0 first and patched on Close; odd sizes get their pad byte.
class RiffChunk {
public:
    RiffChunk(RiffWriter& out, const char* id);
    RiffChunk(RiffWriter& out, const char* id, const char* formType);
    ~RiffChunk() { Close(); }
    RiffChunk(const RiffChunk&) = delete;
    RiffChunk& operator=(const RiffChunk&) = delete;

    // Offset of the chunk's four-character code.
    int64_t Start() const { return m_start; }
    // Bytes between the size field and the current end.
    uint64_t BodySize() const { return static_cast<uint64_t>(m_out.Position() - m_start - 8); }
    void Close();

private:
    RiffWriter& m_out;
    int64_t m_start;
    bool m_open = true;
};

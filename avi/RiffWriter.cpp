#include "RiffWriter.h"

#include "Stream.h"

#include <cstring>
#include <exception>

RiffWriter::RiffWriter(TStream& stream, size_t bufferBytes) : m_stream(stream), m_capacity(bufferBytes)
{
    m_buffer.reserve(m_capacity);
    try {
        m_bufferStart = m_stream.Position();
    } catch (const std::exception&) {
        m_bufferStart = 0;
        m_failed = true;
    }
}

void RiffWriter::U8(uint8_t v) { put(&v, 1); }

void RiffWriter::U16(uint16_t v)
{
    uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    put(b, 2);
}

void RiffWriter::U32(uint32_t v)
{
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    put(b, 4);
}

void RiffWriter::U64(uint64_t v)
{
    U32(static_cast<uint32_t>(v));
    U32(static_cast<uint32_t>(v >> 32));
}

void RiffWriter::FourCC(const char* id) { put(id, 4); }

void RiffWriter::Bytes(const void* data, size_t count)
{
    if (count >= m_capacity / 2) {
        Flush();
        writeThrough(data, count);
        m_bufferStart += static_cast<int64_t>(count);
    } else {
        put(data, count);
    }
}

void RiffWriter::Zeros(size_t count)
{
    static const uint8_t zeros[4096] = {};
    while (count > 0) {
        size_t n = count < sizeof zeros ? count : sizeof zeros;
        put(zeros, n);
        count -= n;
    }
}

void RiffWriter::Chunk(const char* id, const void* data, uint32_t size)
{
    FourCC(id);
    U32(size);
    Bytes(data, size);
    if (size & 1)
        U8(0);
}

void RiffWriter::put(const void* data, size_t count)
{
    if (m_buffer.size() + count > m_capacity)
        Flush();
    if (count > m_capacity) {
        writeThrough(data, count);
        m_bufferStart += static_cast<int64_t>(count);
        return;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    m_buffer.insert(m_buffer.end(), bytes, bytes + count);
}

void RiffWriter::writeThrough(const void* data, size_t count)
{
    if (m_failed || count == 0)
        return;
    try {
        if (m_stream.Write(data, count) != count)
            m_failed = true;
    } catch (const std::exception&) {
        m_failed = true;
    }
}

void RiffWriter::Flush()
{
    writeThrough(m_buffer.data(), m_buffer.size());
    m_bufferStart += static_cast<int64_t>(m_buffer.size());
    m_buffer.clear();
}

void RiffWriter::Sync()
{
    Flush();
    auto* file = dynamic_cast<TFileStream*>(&m_stream);
    if (m_failed || !file)
        return;
    try {
        file->Flush();
    } catch (const std::exception&) {
        m_failed = true;
    }
}

void RiffWriter::Patch(int64_t position, const void* data, size_t count)
{
    if (position >= m_bufferStart && position + static_cast<int64_t>(count) <= Position()) {
        std::memcpy(m_buffer.data() + (position - m_bufferStart), data, count);
        return;
    }
    Flush();
    if (m_failed)
        return;
    try {
        m_stream.Seek(position, TSeekOrigin::soBeginning);
        writeThrough(data, count);
        m_stream.Seek(m_bufferStart, TSeekOrigin::soBeginning);
    } catch (const std::exception&) {
        m_failed = true;
    }
}

void RiffWriter::PatchU32(int64_t position, uint32_t v)
{
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    Patch(position, b, 4);
}

void RiffWriter::PatchFourCC(int64_t position, const char* id) { Patch(position, id, 4); }

RiffChunk::RiffChunk(RiffWriter& out, const char* id) : m_out(out), m_start(out.Position())
{
    m_out.FourCC(id);
    m_out.U32(0);
}

RiffChunk::RiffChunk(RiffWriter& out, const char* id, const char* formType) : RiffChunk(out, id)
{
    m_out.FourCC(formType);
}

void RiffChunk::Close()
{
    if (!m_open)
        return;
    m_open = false;
    uint64_t size = BodySize();
    // A RIFF size field has 32 bits; a larger chunk cannot be described.
    if (size > 0xFFFFFFFFu) {
        m_out.Fail();
        return;
    }
    m_out.PatchU32(m_start + 4, static_cast<uint32_t>(size));
    if (size & 1)
        m_out.U8(0);
}

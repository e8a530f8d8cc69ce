#include "StreamOutput.h"

#include "Stream.h"

#include <new>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {
constexpr int kBufferBytes = 1 << 16;
}

StreamOutput::StreamOutput(TStream& stream) : m_stream(stream)
{
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferBytes));
    if (buffer)
        m_context = avio_alloc_context(buffer, kBufferBytes, 1, this, nullptr, &StreamOutput::write, &StreamOutput::seek);
    if (!m_context) {
        av_free(buffer);
        throw std::bad_alloc();
    }
}

StreamOutput::~StreamOutput()
{
    av_freep(&m_context->buffer);
    avio_context_free(&m_context);
}

int StreamOutput::write(void* opaque, uint8_t* data, int size)
{
    auto* self = static_cast<StreamOutput*>(opaque);
    try {
        if (self->m_stream.Write(data, size_t(size)) != size_t(size))
            self->m_failed = true;
    } catch (const std::exception&) {
        self->m_failed = true;
    }
    return self->m_failed ? AVERROR(EIO) : size;
}

int64_t StreamOutput::seek(void* opaque, int64_t offset, int whence)
{
    auto* self = static_cast<StreamOutput*>(opaque);
    try {
        switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET: return self->m_stream.Seek(offset, TSeekOrigin::soBeginning);
        case SEEK_CUR: return self->m_stream.Seek(offset, TSeekOrigin::soCurrent);
        case SEEK_END: return self->m_stream.Seek(offset, TSeekOrigin::soEnd);
        case AVSEEK_SIZE: return self->m_stream.Size();
        default: return AVERROR(EINVAL);
        }
    } catch (const std::exception&) {
        self->m_failed = true;
        return AVERROR(EIO);
    }
}

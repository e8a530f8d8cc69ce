#include "WavFile.h"

#include "LittleEndian.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

WavError openErrorFor(int error)
{
    switch (error) {
    case ENOENT:
    case EACCES:
    case EPERM:
    case EIO:
    case EMFILE:
    case ENFILE:
    case EBUSY:
        return WavError::FileOpen;
    default:
        return WavError::Unknown;
    }
}

} // namespace

WavReader::~WavReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

WavError WavReader::Open(const std::string& path, const WavLimits& limits)
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    // Non-blocking, so that a pipe given as a sound file fails instead of hanging.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        return openErrorFor(errno);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        return WavError::FileRead;
    m_fileSize = st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
    return scanChunks(limits);
}

bool WavReader::readAt(uint64_t offset, void* buffer, size_t count, WavError& error)
{
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        ssize_t n = ::pread(m_fd, out, count, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = WavError::FileRead;
            return false;
        }
        if (n == 0) {
            error = WavError::BadFormat;
            return false;
        }
        out += n;
        offset += static_cast<uint64_t>(n);
        count -= static_cast<size_t>(n);
    }
    return true;
}

WavError WavReader::scanChunks(const WavLimits& limits)
{
    WavError error = WavError::None;
    uint8_t header[12];
    // A directory opens but cannot be read: that is a read failure, not a format one.
    if (!readAt(0, header, sizeof header, error))
        return error;
    if (std::memcmp(header, "RIFF", 4) != 0)
        return WavError::BadFormat;
    if (std::memcmp(header + 8, "WAVE", 4) != 0)
        return WavError::NotWave;

    bool haveFormat = false;
    bool haveData = false;
    uint64_t at = 12;
    for (uint32_t seen = 0; at + 8 <= m_fileSize && !(haveFormat && haveData); ++seen) {
        if (seen >= limits.maxChunks)
            return WavError::BadFormat;
        uint8_t chunk[8];
        if (!readAt(at, chunk, sizeof chunk, error))
            return error;
        uint64_t size = ReadU32(chunk + 4);
        uint64_t body = at + 8;
        uint64_t present = m_fileSize - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            if (size < 16 || size > present)
                return WavError::BadFormat;
            if (size > limits.maxFormatBytes)
                return WavError::TooLarge;
            m_formatBlock.resize(static_cast<size_t>(size));
            if (!readAt(body, m_formatBlock.data(), m_formatBlock.size(), error))
                return error;
            const uint8_t* f = m_formatBlock.data();
            m_format = {ReadU16(f), ReadU16(f + 2), ReadU32(f + 4), ReadU32(f + 8), ReadU16(f + 12), ReadU16(f + 14)};
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
            // Recorders that stop abruptly leave a size that runs past the end; keep what is there.
            m_dataOffset = body;
            m_dataBytes = size < present ? size : present;
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat)
        return WavError::BadFormat;
    if (!haveData)
        return WavError::NoData;
    if (m_format.nBlockAlign == 0 || m_format.nAvgBytesPerSec == 0)
        return WavError::UnusableFormat;
    m_readPosition = 0;
    return WavError::None;
}

bool WavReader::ReadData(void* buffer, size_t count)
{
    if (m_fd < 0 || count > m_dataBytes - m_readPosition)
        return false;
    WavError error = WavError::None;
    if (!readAt(m_dataOffset + m_readPosition, buffer, count, error))
        return false;
    m_readPosition += count;
    return true;
}

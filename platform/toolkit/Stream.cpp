#include "Stream.h"

#include "Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

int64_t TStream::Size()
{
    int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    int64_t end = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return end;
}

void TStream::SetSize(int64_t)
{
    throw EStreamError("stream size cannot be changed");
}

void TStream::ReadBuffer(void* buffer, size_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(toolkit_messages::ReadError);
}

void TStream::WriteBuffer(const void* buffer, size_t count)
{
    if (count != 0 && Write(buffer, count) != count) {
        const std::string problem = WriteProblem();
        throw EWriteError(problem.empty() ? std::string(toolkit_messages::WriteError)
                                          : std::string(toolkit_messages::WriteError) + ": " + problem);
    }
}

void TStream::WriteWord(uint16_t w)
{
    uint8_t b[2] = {uint8_t(w), uint8_t(w >> 8)};
    WriteBuffer(b, 2);
}

void TStream::WriteDWord(uint32_t d)
{
    uint8_t b[4] = {uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)};
    WriteBuffer(b, 4);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 1 << 20)));
    int64_t left = count;
    while (left > 0) {
        size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(buffer.size())));
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= static_cast<int64_t>(n);
    }
    return count;
}

size_t TMemoryStream::Read(void* buffer, size_t count)
{
    if (count == 0 || m_pos >= m_data.size())
        return 0;
    size_t n = std::min(count, m_data.size() - m_pos);
    std::memcpy(buffer, m_data.data() + m_pos, n);
    m_pos += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0)
        return 0;
    if (m_pos + count > m_data.size())
        m_data.resize(m_pos + count);
    std::memcpy(m_data.data() + m_pos, buffer, count);
    m_pos += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? static_cast<int64_t>(m_pos) : static_cast<int64_t>(m_data.size());
    int64_t target = base + offset;
    if (target < 0)
        target = 0;
    m_pos = static_cast<size_t>(target);
    return target;
}

void TMemoryStream::SetSize(int64_t size)
{
    m_data.resize(static_cast<size_t>(std::max<int64_t>(size, 0)));
    m_pos = std::min(m_pos, m_data.size());
}

void TMemoryStream::Clear()
{
    m_data.clear();
    m_pos = 0;
}

void TMemoryStream::LoadFromStream(TStream& source)
{
    source.SetPosition(0);
    int64_t size = source.Size();
    m_data.resize(static_cast<size_t>(size));
    source.ReadBuffer(m_data.data(), m_data.size());
    m_pos = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName)
{
    TFileStream file(fileName, TFileMode::fmOpenRead);
    LoadFromStream(file);
}

void TMemoryStream::SaveToStream(TStream& dest) const
{
    dest.WriteBuffer(m_data.data(), m_data.size());
}

void TMemoryStream::SaveToFile(const std::string& fileName) const
{
    TFileStream file(fileName, TFileMode::fmCreate);
    SaveToStream(file);
    file.Flush();
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : m_name(fileName)
{
    const char* how = mode == TFileMode::fmOpenRead ? "rb" : mode == TFileMode::fmCreate ? "wb" : "r+b";
    m_file = std::fopen(fileName.c_str(), how);
    if (!m_file) {
        if (mode == TFileMode::fmCreate)
            throw EFCreateError(FormatMessage(toolkit_messages::CreateError, {fileName}) + ": " + std::strerror(errno));
        throw EFOpenError(FormatMessage(toolkit_messages::OpenError, {fileName}) + ": " + std::strerror(errno));
    }
}

TFileStream::~TFileStream()
{
    if (m_file)
        std::fclose(m_file);
}

size_t TFileStream::Read(void* buffer, size_t count)
{
    return std::fread(buffer, 1, count, m_file);
}

size_t TFileStream::Write(const void* buffer, size_t count)
{
    const size_t written = std::fwrite(buffer, 1, count, m_file);
    if (written != count && m_writeErrno == 0)
        m_writeErrno = errno;
    return written;
}

std::string TFileStream::WriteProblem() const
{
    return m_writeErrno ? m_name + ": " + std::strerror(m_writeErrno) : std::string();
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    if (fseeko(m_file, offset, whence) != 0)
        throw EStreamError("seek failed in " + m_name);
    return ftello(m_file);
}

void TFileStream::SetSize(int64_t size)
{
    std::fflush(m_file);
    if (ftruncate(fileno(m_file), size) != 0)
        throw EWriteError(toolkit_messages::WriteError);
}

void TFileStream::Flush()
{
    if (std::fflush(m_file) != 0 || std::ferror(m_file)) {
        if (m_writeErrno == 0)
            m_writeErrno = errno ? errno : EIO;
        throw EWriteError(std::string(toolkit_messages::WriteError) + ": " + WriteProblem());
    }
}

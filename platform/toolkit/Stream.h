// Byte streams: the abstract TStream, a growable TMemoryStream and a TFileStream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to count bytes; returns how many were read.
    virtual size_t Read(void* buffer, size_t count) = 0;
    // Writes up to count bytes; returns how many were written.
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t size);

    // What went wrong with the last failed write, in words ("out.gif: No space left on
    // device"); empty when the stream cannot tell.
    virtual std::string WriteProblem() const { return {}; }

    // Read or write exactly count bytes, or raise EReadError / EWriteError.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Copies count bytes from source (all of it from its start when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);

    void WriteByte(uint8_t b) { WriteBuffer(&b, 1); }
    void WriteWord(uint16_t w);
    void WriteDWord(uint32_t d);
    void WriteBytes(const std::vector<uint8_t>& bytes) { WriteBuffer(bytes.data(), bytes.size()); }
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : m_data(std::move(bytes)) {}

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(m_data.size()); }
    void SetSize(int64_t size) override;

    void Clear();
    uint8_t* Memory() { return m_data.data(); }
    const uint8_t* Memory() const { return m_data.data(); }
    const std::vector<uint8_t>& Bytes() const { return m_data; }
    void LoadFromStream(TStream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(TStream& dest) const;
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<uint8_t> m_data;
    size_t m_pos = 0;
};

enum class TFileMode { fmOpenRead, fmCreate, fmOpenReadWrite };

class TFileStream : public TStream {
public:
    // Raises EFOpenError or EFCreateError when the file cannot be opened.
    TFileStream(const std::string& fileName, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    // Flushes buffered bytes; raises EWriteError when the disk refuses them.
    void Flush();
    const std::string& FileName() const { return m_name; }
    std::string WriteProblem() const override;

private:
    std::FILE* m_file = nullptr;
    std::string m_name;
    int m_writeErrno = 0;
};

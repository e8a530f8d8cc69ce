#include "ImagingTestSupport.h"

#include <zlib.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>

namespace imaging_test {

namespace {
uint32_t be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
} // namespace

std::vector<Chunk> ParseChunks(const std::vector<uint8_t>& png)
{
    std::vector<Chunk> chunks;
    size_t pos = 8;
    while (pos + 12 <= png.size()) {
        uint32_t length = be32(&png[pos]);
        if (pos + 12 + length > png.size())
            break;
        Chunk c;
        c.type.assign(reinterpret_cast<const char*>(&png[pos + 4]), 4);
        c.body.assign(png.begin() + long(pos + 8), png.begin() + long(pos + 8 + length));
        uint32_t crc = uint32_t(crc32(0, &png[pos + 4], 4 + length));
        c.crcOk = crc == be32(&png[pos + 8 + length]);
        chunks.push_back(std::move(c));
        pos += 12 + length;
    }
    return chunks;
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& data)
{
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(data.data());
    z.avail_in = uInt(data.size());
    std::vector<uint8_t> out;
    std::array<uint8_t, 65536> piece;
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = piece.data();
        z.avail_out = uInt(piece.size());
        rc = inflate(&z, Z_NO_FLUSH);
        out.insert(out.end(), piece.data(), piece.data() + (piece.size() - z.avail_out));
        if (rc == Z_BUF_ERROR)
            break;
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("zlib stream does not end properly");
    return out;
}

std::vector<uint8_t> InflateImageData(const std::vector<Chunk>& chunks)
{
    std::vector<uint8_t> joined;
    for (const Chunk& c : chunks)
        if (c.type == "IDAT")
            joined.insert(joined.end(), c.body.begin(), c.body.end());
    return Inflate(joined);
}

std::vector<uint8_t> MakeChunk(const std::string& type, const std::vector<uint8_t>& body)
{
    std::vector<uint8_t> out;
    uint32_t n = uint32_t(body.size());
    out = {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)};
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), body.begin(), body.end());
    uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4));
    if (!body.empty())  // crc32 with a null buffer restarts
        crc = uint32_t(crc32(crc, body.data(), uInt(body.size())));
    for (int s = 24; s >= 0; s -= 8)
        out.push_back(uint8_t(crc >> s));
    return out;
}

int Run(const std::string& command, std::string* output)
{
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, n);
    int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Python()
{
    return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

ScratchDir::ScratchDir(const std::string& name)
{
    m_path = std::string(TOVRANE_BINARY_DIR) + "/scratch-imaging/" + name;
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::vector<std::string> ScratchDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_path))
        names.push_back(e.path().filename().string());
    return names;
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace imaging_test

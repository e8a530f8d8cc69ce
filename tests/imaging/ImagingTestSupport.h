// Helpers for the imaging tests: PNG chunk listings, inflating image data, running the
// outside readers, scratch folders.
#pragma once

#include "Stream.h"

#include <cstdint>
#include <string>
#include <vector>

namespace imaging_test {

struct Chunk {
    std::string type;
    std::vector<uint8_t> body;
    bool crcOk = false;
};

// The chunks after the signature (stops at the end of the bytes or a cut chunk).
std::vector<Chunk> ParseChunks(const std::vector<uint8_t>& png);
// The IDAT bodies joined and inflated.
std::vector<uint8_t> InflateImageData(const std::vector<Chunk>& chunks);
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& zlibStream);

// A big-endian chunk with a correct CRC.
std::vector<uint8_t> MakeChunk(const std::string& type, const std::vector<uint8_t>& body);

// Runs a shell command; returns its exit status and fills output with stdout+stderr.
int Run(const std::string& command, std::string* output = nullptr);
// The Debian interpreter that has Pillow.
std::string Python();

// A fresh folder under the build tree, removed with its content on destruction.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    std::vector<std::string> Entries() const;

private:
    std::string m_path;
};

std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace imaging_test

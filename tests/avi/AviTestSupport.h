// Helpers for the AVI writer's tests: a scratch folder, pattern bitmaps, the frame a
// bitmap should become, external readers (ffprobe, ffmpeg) and a small RIFF walker.
#pragma once

#include "Bitmap.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace avi_test {

// A fresh folder under the build tree, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    // Names of the entries, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string m_path;
};

// A 24-bit bitmap of colourful, position-dependent pixels (different per seed).
std::unique_ptr<TBitmap> PatternBitmap(int width, int height, int seed, TPixelFormat format = pf24bit);

// The picture a frame should show, as top-down blue-green-red rows without padding:
// the bitmap composed on a width x height canvas, then mapped through the colour
// table of bits (24: unchanged).
std::vector<uint8_t> ExpectedFrame(const TBitmap& bitmap, int width, int height, bool stretch, int bits);

// Runs a shell command; returns its standard output. status gets the exit status.
std::string RunCommand(const std::string& command, int* status = nullptr);
// "key=value" lines of ffprobe -show_streams for one stream.
std::map<std::string, std::string> ProbeStream(const std::string& file, int stream, bool countFrames = false);
int ProbeStreamCount(const std::string& file);
// Every video frame decoded by ffmpeg as bgr24 top-down rows.
std::vector<uint8_t> DecodeVideo(const std::string& file);
// The sound of stream a:0 decoded by ffmpeg into raw signed 16-bit samples.
std::vector<uint8_t> DecodeAudioS16(const std::string& file);

std::vector<uint8_t> ReadFileBytes(const std::string& file);
void WriteFileBytes(const std::string& file, const std::vector<uint8_t>& bytes);

// One RIFF chunk or list of a file (lists have a form and children).
struct RiffNode {
    std::string id;
    std::string form;
    uint64_t offset = 0;  // of the four-character code
    uint32_t size = 0;
    std::vector<RiffNode> children;
    const RiffNode* Find(const std::string& idOrForm) const;
    std::vector<const RiffNode*> FindAll(const std::string& idOrForm) const;
};
// The top-level chunks of a file (RIFF 'AVI ', RIFF 'AVIX', ...).
std::vector<RiffNode> ReadRiffTree(const std::string& file);
// count bytes of a file from offset.
std::vector<uint8_t> BytesAt(const std::string& file, uint64_t offset, size_t count);
// size bytes of a chunk's body.
std::vector<uint8_t> ChunkBody(const std::string& file, const RiffNode& node);

uint32_t U32At(const std::vector<uint8_t>& bytes, size_t at);
uint16_t U16At(const std::vector<uint8_t>& bytes, size_t at);

} // namespace avi_test

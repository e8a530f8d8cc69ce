#include "AviTestSupport.h"

#include "PixelFormats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace avi_test {

ScratchDir::ScratchDir()
{
    std::string pattern = std::string(TOVRANE_BINARY_DIR) + "/avi-scratch-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data()))
        throw std::runtime_error("cannot make a scratch folder");
    m_path = buffer.data();
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> ScratchDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::unique_ptr<TBitmap> PatternBitmap(int width, int height, int seed, TPixelFormat format)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap->ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x + 0] = static_cast<uint8_t>(x * 7 + seed * 31);
            row[3 * x + 1] = static_cast<uint8_t>(y * 5 + seed * 17 + x);
            row[3 * x + 2] = static_cast<uint8_t>((x ^ y) * 3 + seed * 53);
        }
    }
    if (format != pf24bit)
        bitmap->SetPixelFormat(format);
    return bitmap;
}

namespace {

TColor mapThroughTable(TColor c, int bits)
{
    uint8_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    const std::vector<TRGBQuad>* table = nullptr;
    uint8_t index = 0;
    switch (bits) {
    case 1: table = &pixel_formats::MonochromePalette(); index = pixel_formats::NearestMonochrome(r, g, b); break;
    case 4: table = &pixel_formats::StandardPalette16(); index = pixel_formats::NearestStandard16(r, g, b); break;
    case 8: table = &pixel_formats::HalftonePalette(); index = pixel_formats::NearestHalftone(r, g, b); break;
    default: return c;
    }
    const TRGBQuad& q = (*table)[index];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

} // namespace

std::vector<uint8_t> ExpectedFrame(const TBitmap& bitmap, int width, int height, bool stretch, int bits)
{
    std::vector<uint8_t> out(size_t(width) * height * 3);
    TColor fill = bitmap.GetPixel(0, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            TColor c;
            if (stretch)
                c = bitmap.GetPixel(int(int64_t(x) * bitmap.Width() / width), int(int64_t(y) * bitmap.Height() / height));
            else
                c = (x < bitmap.Width() && y < bitmap.Height()) ? bitmap.GetPixel(x, y) : fill;
            c = mapThroughTable(c, bits);
            uint8_t* p = &out[(size_t(y) * width + x) * 3];
            p[0] = GetBValue(c);
            p[1] = GetGValue(c);
            p[2] = GetRValue(c);
        }
    }
    return out;
}

std::string RunCommand(const std::string& command, int* status)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    char buffer[1 << 16];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    int rc = pclose(pipe);
    if (status)
        *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return output;
}

std::map<std::string, std::string> ProbeStream(const std::string& file, int stream, bool countFrames)
{
    std::string out = RunCommand("ffprobe -v error " + std::string(countFrames ? "-count_frames " : "") + "-select_streams " +
                          std::to_string(stream) + " -show_streams '" + file + "'");
    std::map<std::string, std::string> values;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

int ProbeStreamCount(const std::string& file)
{
    std::string out = RunCommand("ffprobe -v error -show_entries stream=index -of csv=p=0 '" + file + "'");
    return static_cast<int>(std::count(out.begin(), out.end(), '\n'));
}

std::vector<uint8_t> DecodeVideo(const std::string& file)
{
    std::string out = RunCommand("ffmpeg -v error -i '" + file + "' -map 0:v -f rawvideo -pix_fmt bgr24 -");
    return {out.begin(), out.end()};
}

std::vector<uint8_t> DecodeAudioS16(const std::string& file)
{
    std::string out = RunCommand("ffmpeg -v error -i '" + file + "' -map 0:a -f s16le -acodec pcm_s16le -");
    return {out.begin(), out.end()};
}

std::vector<uint8_t> ReadFileBytes(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::string& file, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

const RiffNode* RiffNode::Find(const std::string& idOrForm) const
{
    auto all = FindAll(idOrForm);
    return all.empty() ? nullptr : all.front();
}

std::vector<const RiffNode*> RiffNode::FindAll(const std::string& idOrForm) const
{
    std::vector<const RiffNode*> found;
    for (const RiffNode& c : children) {
        if (c.id == idOrForm || c.form == idOrForm)
            found.push_back(&c);
    }
    return found;
}

namespace {

void readChildren(std::ifstream& in, uint64_t from, uint64_t end, std::vector<RiffNode>& out, int depth)
{
    uint64_t at = from;
    while (at + 8 <= end) {
        char header[12] = {};
        in.seekg(static_cast<std::streamoff>(at));
        in.read(header, 8);
        if (!in)
            return;
        RiffNode node;
        node.id.assign(header, 4);
        node.offset = at;
        node.size = uint32_t(uint8_t(header[4])) | uint32_t(uint8_t(header[5])) << 8 | uint32_t(uint8_t(header[6])) << 16 |
                    uint32_t(uint8_t(header[7])) << 24;
        if ((node.id == "RIFF" || node.id == "LIST") && depth < 8) {
            in.read(header + 8, 4);
            node.form.assign(header + 8, 4);
            // The data of 'movi' is not walked: its chunks are checked through the indexes.
            if (node.form != "movi")
                readChildren(in, at + 12, at + 8 + node.size, node.children, depth + 1);
            else
                readChildren(in, at + 12, at + 8 + node.size, node.children, 8);
        }
        out.push_back(std::move(node));
        at += 8 + uint64_t(out.back().size) + (out.back().size & 1);
    }
}

} // namespace

std::vector<RiffNode> ReadRiffTree(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<RiffNode> top;
    readChildren(in, 0, fs::file_size(file), top, 0);
    return top;
}

std::vector<uint8_t> BytesAt(const std::string& file, uint64_t offset, size_t count)
{
    std::ifstream in(file, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::vector<uint8_t> bytes(count);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

std::vector<uint8_t> ChunkBody(const std::string& file, const RiffNode& node) { return BytesAt(file, node.offset + 8, node.size); }

uint32_t U32At(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 | uint32_t(b.at(at + 3)) << 24;
}

uint16_t U16At(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b.at(at) | b.at(at + 1) << 8); }

} // namespace avi_test

// Videos of known pictures, encoded at test time by the ffmpeg program, and the
// nearest-picture test that tells which frame a captured picture shows.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace testvideo {

// Background colours of the frames, in turn; none is the GIF pages' transparent
// aqua, and all lie on the 8-bit halftone cube.
inline const uint8_t Backgrounds[][3] = {{255, 0, 0}, {0, 204, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}, {102, 51, 0}};

// Frame f: a background colour that changes every frame, and a white block a quarter
// of the picture wide that moves right by one step per frame. Rows of RGB bytes.
inline std::vector<uint8_t> Picture(int width, int height, int f, int frames)
{
    std::vector<uint8_t> rgb(size_t(width) * size_t(height) * 3);
    const uint8_t* bg = Backgrounds[f % 6];
    const int block = std::max(1, width / 4);
    const int step = frames > 1 ? (width - block) * f / (frames - 1) : 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            const bool white = x >= step && x < step + block && y >= height / 4 && y < height * 3 / 4;
            for (int c = 0; c < 3; ++c)
                p[c] = white ? 255 : bg[c];
        }
    }
    return rgb;
}

struct Kind {
    const char* name;        // for messages
    const char* extension;   // ".avi", ".mp4", ...
    const char* codecArgs;   // ffmpeg's output options
};

// The codecs and containers the tests play.
inline const Kind Kinds[] = {
    {"rawvideo AVI", ".avi", "-c:v rawvideo -pix_fmt bgr24"},
    {"MJPEG AVI", ".avi", "-c:v mjpeg -q:v 2 -pix_fmt yuvj420p"},
    {"MPEG-4 AVI", ".avi", "-c:v mpeg4 -q:v 2"},
    {"H.264 AVI", ".avi", "-c:v libx264 -crf 12 -pix_fmt yuv420p"},
    {"H.264 MP4", ".mp4", "-c:v libx264 -crf 12 -pix_fmt yuv420p"},
    {"MPEG-4 MP4", ".mp4", "-c:v mpeg4 -q:v 2"},
};

// Encodes frames pictures of width x height at fps into path; false when ffmpeg
// failed.
inline bool Make(const std::string& path, const char* codecArgs, int width, int height, int frames, int fps)
{
    const std::string command = "ffmpeg -nostdin -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                                std::to_string(width) + "x" + std::to_string(height) + " -r " + std::to_string(fps) +
                                " -i pipe:0 " + codecArgs + " '" + path + "'";
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe)
        return false;
    for (int f = 0; f < frames; ++f) {
        const std::vector<uint8_t> rgb = Picture(width, height, f, frames);
        fwrite(rgb.data(), 1, rgb.size(), pipe);
    }
    return pclose(pipe) == 0;
}

// Mean absolute difference per channel between an RGB picture and one read through
// pixel(x, y) -> 0x00RRGGBB.
template <typename Pixel>
double Difference(const std::vector<uint8_t>& rgb, int width, int height, Pixel pixel)
{
    uint64_t sum = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixel(x, y);
            const uint8_t* e = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            sum += uint64_t(std::abs(int((p >> 16) & 0xFF) - e[0]) + std::abs(int((p >> 8) & 0xFF) - e[1]) +
                            std::abs(int(p & 0xFF) - e[2]));
        }
    }
    return double(sum) / (double(width) * height * 3);
}

// The frame whose picture is nearest to the one read through pixel, with its
// difference.
template <typename Pixel>
std::pair<int, double> NearestFrame(int width, int height, int frames, Pixel pixel)
{
    std::pair<int, double> best{-1, 1e9};
    for (int f = 0; f < frames; ++f) {
        const double d = Difference(Picture(width, height, f, frames), width, height, pixel);
        if (d < best.second)
            best = {f, d};
    }
    return best;
}

inline std::vector<char> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

inline void writeAll(const std::string& path, const std::vector<char>& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// A copy of an AVI whose headers claim 20000 x 20000 pixels (the main header, and
// the stream format's bitmap header), and, with sof, whose JPEG pictures do too.
inline std::string MakeHugeAvi(const std::string& source, const std::string& path, bool sof)
{
    std::vector<char> bytes = readAll(source);
    const std::string text(bytes.begin(), bytes.end());
    auto put32 = [&](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + size_t(i)] = char((value >> (8 * i)) & 0xFF);
    };
    if (size_t at = text.find("avih"); at != std::string::npos) {
        put32(at + 8 + 32, 20000);  // dwWidth
        put32(at + 8 + 36, 20000);  // dwHeight
    }
    for (size_t at = text.find("strf"); at != std::string::npos; at = text.find("strf", at + 4)) {
        put32(at + 8 + 4, 20000);  // biWidth
        put32(at + 8 + 8, 20000);  // biHeight
    }
    // Start of frame: marker, length, precision, then height and width, big-endian.
    for (size_t at = sof ? text.find("\xFF\xC0") : std::string::npos; at != std::string::npos;
         at = text.find("\xFF\xC0", at + 2)) {
        bytes[at + 5] = char(0x4E), bytes[at + 6] = char(0x20);
        bytes[at + 7] = char(0x4E), bytes[at + 8] = char(0x20);
    }
    writeAll(path, bytes);
    return path;
}

// The frame a video started at time 0 shows at t milliseconds.
inline int FrameAt(int64_t t, int fps) { return int(t * fps / 1000); }

} // namespace testvideo

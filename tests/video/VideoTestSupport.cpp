#include "VideoTestSupport.h"

#include "AviTestSupport.h"
#include "PixelRows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace video_test {

namespace {

// How much of a pixel a shape covers, from the distance inside its edge: the edges are
// smoothed over two pixels, as the player's anti-aliasing draws them.
double coverage(double inside) { return std::clamp(inside / 2.0 + 0.5, 0.0, 1.0); }

void blend(double* pixel, const double* colour, double amount)
{
    for (int c = 0; c < 3; ++c)
        pixel[c] = pixel[c] * (1 - amount) + colour[c] * amount;
}

} // namespace

std::unique_ptr<TBitmap> MovieFrame(int width, int height, int index, bool alpha)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, alpha ? pf32bit : pf24bit);
    const int bytes = alpha ? 4 : 3;
    const double half = width / 8.0;
    const double sx = (index * 5) % std::max(1, width - width / 4) + half, sy = (index * 3) % std::max(1, height - height / 4) + half;
    const double cx = width * 0.7 - index * 2.0, cy = height * 0.5, r = height / 5.0;
    static const double square[3] = {20, 200, 240}, disc[3] = {180, 40, 60};
    for (int y = 0; y < height; ++y) {
        uint8_t* row = bitmap->ScanLine(y);
        for (int x = 0; x < width; ++x) {
            double p[3] = {40.0 + 150.0 * y / height, 60.0 + 120.0 * x / width, 200.0 - 100.0 * (x + y) / (width + height)};
            const double inSquare = coverage(half - std::max(std::abs(x + 0.5 - sx), std::abs(y + 0.5 - sy)));
            const double inDisc = coverage(r - std::hypot(x + 0.5 - cx, y + 0.5 - cy));
            blend(p, square, inSquare);
            blend(p, disc, inDisc);
            uint8_t* out = row + bytes * x;
            for (int c = 0; c < 3; ++c)
                out[c] = uint8_t(std::lround(p[c]));
            // With alpha the square is half clear and the disc a hole.
            if (alpha)
                out[3] = uint8_t(std::lround(255 * (1 - 0.5 * inSquare) * (1 - inDisc)));
        }
    }
    return bitmap;
}

std::vector<uint8_t> FramePixels(const TBitmap& bitmap, bool withAlpha)
{
    const int w = bitmap.Width(), h = bitmap.Height(), n = withAlpha ? 4 : 3;
    std::vector<uint8_t> quads(size_t(w) * 4), out(size_t(w) * h * n);
    for (int y = 0; y < h; ++y) {
        pixel_rows::ReadRow(bitmap.PixelFormat(), bitmap.ScanLine(y), w, bitmap.Palette(), quads.data());
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < n; ++c)
                out[(size_t(y) * w + x) * n + c] =
                    c < 3 ? quads[4 * size_t(x) + c] : (bitmap.PixelFormat() == pf32bit ? quads[4 * size_t(x) + 3] : 255);
    }
    return out;
}

double PsnrAgainst(const std::string& file, const std::string& rawBgr, int width, int height, int frameTime)
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string command = "ffmpeg -nostdin -hide_banner -i '" + file + "' -f rawvideo -pix_fmt bgr24 -s " + size +
                                " -framerate 1000/" + std::to_string(frameTime) + " -i '" + rawBgr +
                                "' -lavfi \"[0:v]scale=flags=bicubic+accurate_rnd+full_chroma_int,format=bgr24,crop=" + std::to_string(width) + ":" + std::to_string(height) +
                                ":0:0[a];[1:v]format=bgr24[b];[a][b]psnr\" -f null - 2>&1";
    const std::string out = avi_test::RunCommand(command);
    std::smatch m;
    if (!std::regex_search(out, m, std::regex("average:([0-9.]+|inf)")))
        throw std::runtime_error("no PSNR from ffmpeg: " + out);
    return m[1] == "inf" ? 1000.0 : std::stod(m[1]);
}

PillowAnimation ReadWithPillow(const std::string& file)
{
    // Header line first, then the raw frames.
    const std::string script =
        "import sys\n"
        "from PIL import Image, ImageSequence\n"
        "im = Image.open(sys.argv[1])\n"
        "mode = im.mode\n"
        "loop = im.info.get('loop', -1)\n"
        "frames = []\n"
        "durations = []\n"
        "for f in ImageSequence.Iterator(im):\n"
        "    frames.append(f.convert('RGBA').tobytes())\n"
        "    durations.append(int(f.info.get('duration', 0)))\n"
        "out = sys.stdout.buffer\n"
        "out.write(('%d %d %d %s %d %s\\n' % (len(frames), im.size[0], im.size[1], mode, loop,\n"
        "          ','.join(map(str, durations)))).encode())\n"
        "for f in frames: out.write(f)\n";
    int status = 0;
    const std::string out = avi_test::RunCommand("/usr/bin/python3 -c \"$(cat <<'PYEOF'\n" + script + "PYEOF\n)\" '" + file + "'", &status);
    if (status != 0)
        throw std::runtime_error("Pillow could not read " + file);
    PillowAnimation a;
    const size_t eol = out.find('\n');
    std::istringstream head(out.substr(0, eol));
    std::string durations;
    head >> a.frames >> a.width >> a.height >> a.mode >> a.loop >> durations;
    std::istringstream list(durations);
    for (std::string d; std::getline(list, d, ',');)
        a.durations.push_back(std::stoi(d));
    a.rgba.assign(out.begin() + long(eol) + 1, out.end());
    return a;
}

} // namespace video_test

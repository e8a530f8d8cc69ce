#include "render/BoxBlur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace render {

namespace {

// Taps of one box: `inner` taps each side of the centre at full weight, one more each
// side at `outer` (in 1/256), the sum divided by `total`.
struct Box {
    int inner = 0;
    std::int64_t outer = 0;
    std::int64_t total = 256;
};

Box boxFor(double width)
{
    const double half = (width - 1) / 2;
    Box b;
    b.inner = int(std::floor(half));
    b.outer = std::llround((half - b.inner) * 256);
    if (b.outer >= 256) {
        ++b.inner;
        b.outer = 0;
    }
    b.total = (2 * b.inner + 1) * 256 + 2 * b.outer;
    return b;
}

// One box over `count` values `step` bytes apart; values beyond the line are zero, so
// the cost stays linear in the line however wide the box.
void blurLine(std::uint8_t* data, int count, int step, const Box& box, std::vector<std::int32_t>& line)
{
    line.resize(std::size_t(count));
    for (int i = 0; i < count; ++i)
        line[std::size_t(i)] = data[std::ptrdiff_t(i) * step];
    const auto at = [&](long i) -> std::int64_t { return i >= 0 && i < count ? line[std::size_t(i)] : 0; };
    const long inner = box.inner;
    std::int64_t sum = 0;   // the inner taps around position 0
    for (long k = 0; k <= std::min<long>(inner, count - 1); ++k)
        sum += line[std::size_t(k)];
    for (long i = 0; i < count; ++i) {
        const std::int64_t edges = at(i - inner - 1) + at(i + inner + 1);
        const std::int64_t v = (sum * 256 + edges * box.outer + box.total / 2) / box.total;
        data[std::ptrdiff_t(i) * step] = std::uint8_t(v > 255 ? 255 : v);
        sum += at(i + inner + 1) - at(i - inner);
    }
}

}  // namespace

int blurReach(double width, int passes)
{
    if (!(width > 1) || passes <= 0)
        return 0;
    const Box b = boxFor(width);
    return (b.inner + (b.outer > 0 ? 1 : 0)) * passes;
}

void boxBlur(std::uint8_t* pixels, int width, int height, int stride, int channels, const BlurSize& size)
{
    if (!pixels || width <= 0 || height <= 0 || channels <= 0)
        return;
    const bool alongX = size.x > 1, alongY = size.y > 1;
    const Box bx = boxFor(alongX ? size.x : 1), by = boxFor(alongY ? size.y : 1);
    std::vector<std::int32_t> line;
    for (int pass = 0; pass < size.passes; ++pass) {
        if (alongX)
            for (int y = 0; y < height; ++y)
                for (int ch = 0; ch < channels; ++ch)
                    blurLine(pixels + std::ptrdiff_t(y) * stride + ch, width, channels, bx, line);
        if (alongY)
            for (int x = 0; x < width; ++x)
                for (int ch = 0; ch < channels; ++ch)
                    blurLine(pixels + std::ptrdiff_t(x) * channels + ch, height, stride, by, line);
    }
    // Rounding may leave a colour a level above its alpha: keep the pixels premultiplied.
    if (channels == 4)
        for (int y = 0; y < height; ++y) {
            std::uint8_t* p = pixels + std::ptrdiff_t(y) * stride;
            for (int x = 0; x < width; ++x, p += 4)
                for (int ch = 0; ch < 3; ++ch)
                    if (p[ch] > p[3])
                        p[ch] = p[3];
        }
}

}  // namespace render

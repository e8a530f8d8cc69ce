#include "VideoLayer.h"

#include "VideoSource.h"

#include <algorithm>
#include <cstring>

namespace media {

void VideoLayer::Update(VideoSource& source)
{
    m_width = std::max(Width(), 0);
    m_height = std::max(Height(), 0);
    m_pixels.assign(size_t(m_width) * size_t(m_height), 0xFF000000u);
    if (!m_pixels.empty())
        source.Render(m_width, m_height, m_pixels.data(), m_width * 4);
}

void VideoLayer::Clear()
{
    m_pixels.clear();
    m_width = m_height = 0;
}

void VideoLayer::Paint()
{
    if (m_pixels.empty())
        return;
    const TCanvasTarget target = CanvasTarget();
    const TSurface& s = target.surface;
    if (!s.pixels)
        return;
    // The part of the picture that falls on the surface.
    const int left = std::max(0, -target.x), right = std::min(m_width, s.width - target.x);
    if (right <= left)
        return;
    for (int y = std::max(0, -target.y); y < m_height && target.y + y < s.height; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(s.pixels) + ptrdiff_t(target.y + y) * s.stride);
        std::memcpy(line + target.x + left, &m_pixels[size_t(y) * size_t(m_width) + size_t(left)],
                    size_t(right - left) * 4);
    }
}

} // namespace media

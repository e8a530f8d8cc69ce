// The picture of a video in its window: a control without a window of its own whose
// bounds are the display rectangle. It keeps the picture drawn at its size, so that
// painting is a copy.
#pragma once

#include "Controls.h"

#include <cstdint>
#include <vector>

namespace media {

class VideoSource;

class VideoLayer : public TGraphicControl {
public:
    // Draws the source's current picture at the layer's size.
    void Update(VideoSource& source);
    // Forgets the picture: the window's own colour shows again.
    void Clear();
    bool HasPicture() const { return !m_pixels.empty(); }
    void Paint() override;

private:
    std::vector<uint32_t> m_pixels;
    int m_width = 0, m_height = 0;
};

} // namespace media

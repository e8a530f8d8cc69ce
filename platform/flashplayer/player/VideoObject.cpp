#include "VideoObject.h"

namespace flash {

VideoObject::VideoObject(const swf::VideoStream& stream)
    : DisplayObject(ObjectKind::Video, stream.id), m_stream(stream)
{
}

VideoObject::~VideoObject() = default;

int VideoObject::indexFor(uint16_t ratio) const
{
    // The last frame whose number does not pass the ratio (frames are in file order).
    int best = -1;
    for (size_t i = 0; i < m_stream.frames.size(); ++i)
        if (m_stream.frames[i].frameNum <= ratio)
            best = static_cast<int>(i);
    return best;
}

const video::VideoImage* VideoObject::pictureFor(uint16_t ratio)
{
    if (m_failed)
        return nullptr;
    const int wanted = indexFor(ratio);
    if (wanted < 0)
        return nullptr;
    if (wanted == m_decoded)
        return m_hasPicture ? &m_picture : nullptr;
    if (!m_decoder) {
        auto made = video::createVideoDecoder(video::StreamInfo::of(m_stream));
        if (!made.ok()) {
            m_failed = true;
            return nullptr;
        }
        m_decoder = std::move(made).value();
    }
    int from = m_decoded + 1;
    if (wanted < m_decoded || m_decoded < 0) {
        from = 0;
        for (int i = wanted; i >= 0; --i)
            if (video::isKeyFrame(m_stream.codecId, m_stream.frames[i].data)) {
                from = i;
                break;
            }
        m_decoder->reset();
    }
    for (int i = from; i <= wanted; ++i) {
        auto picture = m_decoder->decode(m_stream.frames[i].data);
        if (picture.ok()) {
            m_picture = std::move(picture).value();
            m_hasPicture = m_picture.width > 0 && m_picture.height > 0;
        }
    }
    m_decoded = wanted;
    return m_hasPicture ? &m_picture : nullptr;
}

}  // namespace flash

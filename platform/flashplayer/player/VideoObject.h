// A placed video stream: the picture for the placement's ratio (its frame number),
// decoded on demand. Going forward decodes the frames in between; going back
// restarts from the nearest key frame.
#pragma once

#include "DisplayObject.h"

#include "swf/Characters.h"
#include "video/VideoDecoder.h"

#include <memory>

namespace flash {

class NetStreamPlayback;

class VideoObject : public DisplayObject {
public:
    explicit VideoObject(const swf::VideoStream& stream);
    ~VideoObject() override;

    const swf::VideoStream& stream() const { return m_stream; }
    // The picture for frame number `ratio`, or null when there is none (no such
    // frame yet, an unsupported codec, damaged data).
    const video::VideoImage* pictureFor(uint16_t ratio);

    // attachVideo: the stream shown instead of the placed frames (null: none).
    std::shared_ptr<NetStreamPlayback> netStream;
    // clear(): the stream picture stays hidden until the stream shows another frame.
    int clearedFrame = -2;

private:
    int indexFor(uint16_t ratio) const;

    const swf::VideoStream& m_stream;
    std::unique_ptr<video::VideoDecoder> m_decoder;
    bool m_failed = false;
    int m_decoded = -1;           // index into stream().frames of the picture held
    video::VideoImage m_picture;
    bool m_hasPicture = false;
};

}  // namespace flash

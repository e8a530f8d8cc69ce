// Opens arbitrary bytes as a video, plays a few frames forwards, seeks back and draws
// each picture: the size limits and the end of a broken stream must hold whatever
// the file claims. (FFmpeg itself is not instrumented; our use of it is.)
#include "VideoSource.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The source takes a path: an anonymous in-memory file gives it one.
    const int fd = memfd_create("video", 0);
    if (fd < 0)
        return 0;
    if (size > 0 && write(fd, data, size) != ssize_t(size)) {
        close(fd);
        return 0;
    }
    media::Limits limits;
    limits.maxSide = 2048;
    limits.maxPixels = 1 << 20;
    std::string error;
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    media::VideoSource::LooksLikeVideo(path);
    if (auto source = media::VideoSource::Open(path, limits, error)) {
        std::vector<uint32_t> picture(32 * 24);
        for (int frame : {1, 2, 5, 0, 3})
            if (frame < source->FrameCount() && source->SeekTo(frame))
                source->Render(32, 24, picture.data(), 32 * 4);
    }
    close(fd);
    return 0;
}

// One video stream of a file, decoded picture by picture and counted in frames at
// the stream's frame rate. Frame n is the picture shown from n / rate seconds after
// the start; a stream whose timestamps skip frames holds the previous picture.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace media {

// What a file may ask of us before we refuse it.
struct Limits {
    int maxSide = 10000;               // width or height of a picture
    int64_t maxPixels = 40'000'000;    // width x height of a picture
};

class VideoSource {
public:
    // Opens path and decodes its first picture. On failure returns null with error
    // set to a sentence about the file (without its name).
    static std::unique_ptr<VideoSource> Open(const std::string& path, const Limits& limits, std::string& error);
    ~VideoSource();
    VideoSource(const VideoSource&) = delete;
    VideoSource& operator=(const VideoSource&) = delete;

    int Width() const;
    int Height() const;
    // Frames in the stream as the file declares them (counted when it does not).
    int FrameCount() const;
    // The frame rate as a fraction, frames per second = RateNum / RateDen.
    int RateNum() const;
    int RateDen() const;
    // True when the container is AVI, the device the file plays on otherwise.
    bool IsAvi() const;

    // Index of the picture held (the one Render draws).
    int CurrentFrame() const;
    // Decodes forward until the picture held is the one of frame n; false when the
    // stream ends (or breaks) before, the last good picture being held.
    bool AdvanceTo(int n);
    // Moves to the picture of frame n, backwards or forwards.
    bool SeekTo(int n);

    // Draws the picture held, scaled to width x height, as 32-bit pixels (bytes
    // blue, green, red, alpha 255) into rows of stride bytes.
    void Render(int width, int height, uint32_t* pixels, int stride);

    // True when the file's first bytes are those of a video container FFmpeg reads
    // (by content alone, whatever its name); pictures and sound files are not.
    static bool LooksLikeVideo(const std::string& path);

private:
    struct State;
    explicit VideoSource(std::unique_ptr<State> state);
    std::unique_ptr<State> m;
};

} // namespace media

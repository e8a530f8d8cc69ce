// What the control facade needs from the movie engine. The facade speaks COM to its
// host and this interface to the engine; PlayerEngine adapts the real player, tests
// put a scripted engine behind it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace flashcontrol {

// A 32-bit pixel buffer: bytes blue, green, red, alpha; rows `stride` bytes apart.
struct EngineSurface {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// The numbers are the control's ScaleMode, Quality and ReadyState values.
enum class EngineScale { ShowAll = 0, NoBorder = 1, ExactFit = 2, NoScale = 3 };
enum class EngineQuality { Low = 0, High = 1, AutoLow = 2, AutoHigh = 3, Medium = 4, Best = 5 };
enum class EngineReadyState { Loading = 0, Uninitialized = 1, Loaded = 2, Interactive = 3, Complete = 4 };

struct EngineCallbacks {
    std::function<void()> repaint;  // the picture changed
    std::function<void(const std::string& command, const std::string& args)> fsCommand;
    std::function<void(const std::string& url, const std::string& target)> getUrl;
    // The bytes behind a URL the movie loads (resolved already); nothing on failure.
    std::function<std::optional<std::vector<uint8_t>>(const std::string& url, size_t maxBytes)> fetch;
};

class ControlEngine {
public:
    virtual ~ControlEngine() = default;

    virtual void setCallbacks(EngineCallbacks callbacks) = 0;

    // Replaces the movie with the bytes of an SWF file; false (and no movie) when they
    // cannot be read. The first frame is shown; it plays when autoplay is on.
    virtual bool load(const std::vector<uint8_t>& bytes, const std::string& url) = 0;
    virtual void unload() = 0;
    virtual bool isLoaded() const = 0;
    virtual void setAutoPlay(bool value) = 0;

    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void rewind() = 0;
    virtual void stopPlay() = 0;
    virtual void gotoFrame(int frame) = 0;  // 0-based
    virtual int currentFrame() const = 0;
    virtual int totalFrames() const = 0;
    virtual bool isPlaying() const = 0;
    virtual bool loop() const = 0;
    virtual void setLoop(bool value) = 0;

    virtual uint32_t backgroundColor() const = 0;      // 0x00RRGGBB
    virtual void setBackgroundColor(int32_t rgb) = 0;  // -1: the movie's own
    virtual void setQuality(EngineQuality value) = 0;
    virtual void setScaleMode(EngineScale value) = 0;
    virtual void setAlign(unsigned flags) = 0;  // 1 left, 2 right, 4 top, 8 bottom
    virtual void setTransparent(bool value) = 0;
    virtual void setViewSize(int width, int height) = 0;

    // Draws the current frame with the view's top-left corner at (originX, originY)
    // of the surface (either may be negative); pixels outside the view stay as they are.
    virtual void render(const EngineSurface& surface, int originX, int originY) = 0;

    virtual void mouseMove(int x, int y) = 0;  // view coordinates
    virtual void mouseDown(int x, int y) = 0;
    virtual void mouseUp(int x, int y) = 0;

    virtual bool setVariable(const std::string& path, const std::string& value) = 0;
    virtual std::string getVariable(const std::string& path) const = 0;
    // A function the movie exposes to its container; nothing when it exposes none by
    // that request's name.
    virtual std::optional<std::string> callFunction(const std::string& request) = 0;

    // The movie's sound, 44,100 Hz stereo 16-bit interleaved. An engine without sound
    // keeps these as they are: silent.
    virtual void setSoundCapture(bool on) { (void)on; }
    virtual std::vector<int16_t> takeCapturedSound() { return {}; }
    virtual void setLiveSound(bool on) { (void)on; }
    virtual size_t readLiveSound(int16_t* frames, size_t maxFrames) { (void)frames, (void)maxFrames; return 0; }
    virtual void setSoundVolume(int percent) { (void)percent; }
    virtual int soundVolume() { return 100; }
};

using EngineFactory = std::function<std::unique_ptr<ControlEngine>()>;

}  // namespace flashcontrol

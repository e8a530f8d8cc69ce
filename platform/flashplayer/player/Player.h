// The Flash engine as one object: load a movie, play it on a scheduler timer, render
// frames into 32-bit pixel buffers, feed it the mouse, read and write its variables.
// Usable without any COM layer; the control facade maps its methods and properties
// onto this class one to one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Scheduler;

namespace render {
class Renderer;
}
namespace swf {
struct Movie;
}

namespace flash {

// How the stage is fitted into the view (the object rectangle).
enum class ScaleMode {
    ShowAll,   // whole stage visible, aspect kept, borders around it (the default)
    NoBorder,  // view filled, aspect kept, stage cropped
    ExactFit,  // view filled, aspect not kept
    NoScale,   // one stage pixel per view pixel
};

// Where the stage sits in the view when it does not fill it: bit flags, none = centred.
enum Align : unsigned {
    AlignCentre = 0,
    AlignLeft = 1,
    AlignRight = 2,
    AlignTop = 4,
    AlignBottom = 8,
};

// The control's quality values; Low draws without anti-aliasing.
enum class Quality { Low = 0, High = 1, AutoLow = 2, AutoHigh = 3, Medium = 4, Best = 5 };

// The control's ready states: Loading while bytes are read, Complete once playable.
enum class ReadyState { Loading = 0, Uninitialized = 1, Loaded = 2, Interactive = 3, Complete = 4 };

// A 32-bit pixel buffer owned by the caller: bytes blue, green, red, alpha per pixel,
// premultiplied alpha, rows `stride` bytes apart.
struct PixelBuffer {
    uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
};

// Limits on what a movie may cost us; the defaults suit the converter.
struct PlayerLimits {
    size_t maxActionsPerFrame = 1000000;  // script instructions run per frame advance (pixel loops need many)
    int maxNestingDepth = 64;            // sprites inside sprites, as drawn and as run
    int maxFramesPerTick = 8;            // frames caught up after a late timer tick
    size_t maxFetchBytes = size_t(256) << 20;   // one loaded picture, movie or video
    int maxLoadsPerFrame = 4;            // loads served per frame advance; the rest wait
};

// Gives the bytes behind a URL the movie asks for (loadMovie, MovieClipLoader,
// NetStream), already resolved against the movie's URL; nothing when it cannot be read
// or holds more than `maxBytes`.
using FetchHandler = std::function<std::optional<std::vector<uint8_t>>(const std::string& url, size_t maxBytes)>;

class Movie;
class PlayerCore;

class Player {
public:
    // Timers attach to `scheduler`, or to Scheduler::Current() when null. Frames are
    // drawn with `renderer`, or with the QPainter backend when null.
    explicit Player(Scheduler* scheduler = nullptr, PlayerLimits limits = {});
    Player(Scheduler* scheduler, PlayerLimits limits, std::unique_ptr<render::Renderer> renderer);
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // --- Loading -------------------------------------------------------------------
    // Reads a whole SWF file (FWS, CWS or ZWS). On failure the previous movie is gone,
    // the error text says why and false is returned. `url` is kept as the movie's base
    // for later relative loads. After a successful load the movie shows its first
    // frame (its actions have run) and plays when autoplay is on (the default).
    bool load(const std::vector<uint8_t>& bytes, const std::string& url = {});
    // A movie already read (or built in memory).
    bool load(std::shared_ptr<const swf::Movie> movie, const std::string& url = {});
    void unload();
    bool isLoaded() const;
    const std::string& lastError() const;
    const std::string& url() const;
    ReadyState readyState() const;
    void setAutoPlay(bool value);

    // --- Playback (frames are 0-based, as the control counts them) --------------------
    void play();
    void stop();        // pauses at the current frame
    void rewind();      // first frame, paused
    void stopPlay();    // playback stops
    void gotoFrame(int frame);   // out-of-range frames clamp to the last one
    int currentFrame() const;
    int totalFrames() const;
    bool isPlaying() const;
    bool loop() const;
    void setLoop(bool value);    // false: the root stops on its last frame
    // Runs one frame of the movie now, as the frame timer would (for headless drivers).
    void advanceFrame();
    double frameRate() const;     // frames per second, as the timer runs them

    // --- Stage and view -------------------------------------------------------------
    int stageWidth() const;       // pixels
    int stageHeight() const;
    // The colour filled behind the stage, 0x00RRGGBB: the movie's own unless set here.
    uint32_t backgroundColor() const;
    void setBackgroundColor(int32_t rgb);   // -1: back to the movie's own
    Quality quality() const;
    void setQuality(Quality value);
    ScaleMode scaleMode() const;
    void setScaleMode(ScaleMode value);
    unsigned align() const;
    void setAlign(unsigned flags);
    bool transparent() const;
    void setTransparent(bool value);        // true: the background is not painted
    // Size of the object rectangle the stage is fitted into; 0 x 0 means stage size.
    void setViewSize(int width, int height);
    int viewWidth() const;
    int viewHeight() const;

    // --- Drawing --------------------------------------------------------------------
    // Draws the current frame into `target`, the view's top-left corner at (originX,
    // originY) of the buffer. Pixels outside the view are left alone. Unless
    // transparent, the view is first filled with the background colour; transparent,
    // the movie is composed over what the buffer holds.
    void render(const PixelBuffer& target, int originX = 0, int originY = 0);

    // --- Input (view coordinates) ---------------------------------------------------
    void mouseMove(int x, int y);
    void mouseDown(int x, int y);
    void mouseUp(int x, int y);
    void mouseWheel(int delta);   // lines, positive away from the user
    // Keys by key code (Tab 9, Enter 13, Escape 27, Left 37, A 65, ...) with the
    // character they type (0: none).
    void keyDown(int keyCode, int charCode);
    void keyUp(int keyCode, int charCode);
    // The window gained or lost the keyboard focus; losing it releases held keys.
    void windowFocus(bool focused);

    // --- Variables (dotted or slash paths, e.g. "_root.clip.count" or "/clip:count") ---
    bool setVariable(const std::string& path, const std::string& value);
    std::string getVariable(const std::string& path) const;

    // --- Sound (44,100 Hz stereo 16-bit, left and right interleaved) -----------------
    // Capture keeps every frame mixed from now on; taking it empties it.
    void setSoundCapture(bool on);
    std::vector<int16_t> takeCapturedSound();
    // The live feed of an audio output: what was mixed since the last read (at most
    // two seconds wait); off, nothing is kept.
    void setLiveSound(bool on);
    size_t readLiveSound(int16_t* frames, size_t maxFrames);
    // The volume of the global Sound object (what new Sound().setVolume sets), 0..100.
    void setSoundVolume(int percent);
    int soundVolume();

    // --- Notifications (called on the scheduler's thread, inside the engine's call) ----
    // The picture changed: the host should render again.
    void setOnRepaint(std::function<void()> handler);
    // Playback moved to another frame (also after gotoFrame).
    void setOnFrameChanged(std::function<void(int frame)> handler);
    void setOnReadyStateChange(std::function<void(ReadyState)> handler);
    void setOnProgress(std::function<void(int percent)> handler);
    // getURL("FSCommand:command", args) in the movie's actions.
    void setOnFSCommand(std::function<void(const std::string& command, const std::string& args)> handler);
    // Any other getURL: the host decides whether to open it.
    void setOnGetURL(std::function<void(const std::string& url, const std::string& target)> handler);
    // trace() output of the movie's scripts.
    void setOnTrace(std::function<void(const std::string& message)> handler);
    // Where loads get their bytes. Asked at the start of a frame advance after the
    // request, never inside an action. Without one every load fails.
    void setFetchHandler(FetchHandler handler);

    // The engine itself, for tests and tools that need more than this interface.
    PlayerCore& core() { return *m_core; }

private:
    std::unique_ptr<PlayerCore> m_core;
    std::string m_error;
};

}  // namespace flash

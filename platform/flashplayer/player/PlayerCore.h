// The engine behind Player: the loaded movie, its root clip, the frame clock, the
// script interpreter, input and drawing. Tests drive it directly with a movie built
// in memory and a renderer of their choice.
#pragma once

#include "FrameClock.h"
#include "Library.h"
#include "MovieClip.h"
#include "Player.h"
#include "avm1/Interpreter.h"

#include "render/Renderer.h"
#include "sound/Mixer.h"
#include "sound/SoundDecoder.h"
#include "swf/Movie.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

class Scheduler;

namespace flash {

class ButtonObject;
class NetStreamPlayback;

struct PlayerCallbacks {
    std::function<void()> repaint;
    std::function<void(int)> frameChanged;
    std::function<void(ReadyState)> readyState;
    std::function<void(int)> progress;
    std::function<void(const std::string&, const std::string&)> fsCommand;
    std::function<void(const std::string&, const std::string&)> getURL;
    std::function<void(const std::string&)> trace;
    FetchHandler fetch;
};

class PlayerCore final : public ClipContext, public avm1::Host {
public:
    PlayerCore(Scheduler& scheduler, PlayerLimits limits, std::unique_ptr<render::Renderer> renderer);
    ~PlayerCore() override;

    bool load(std::shared_ptr<const swf::Movie> movie, const std::string& url);
    void unload();
    bool isLoaded() const { return m_root != nullptr; }
    const swf::Movie* movie() const { return m_movie.get(); }
    MovieClip* root() { return m_root.get(); }
    PlayerCallbacks& callbacks() { return m_callbacks; }
    ReadyState readyState() const { return m_readyState; }
    void setAutoPlay(bool value) { m_autoPlay = value; }
    const std::string& url() const { return m_url; }

    void play();
    void stop();
    void rewind();
    void gotoFrame(int frame);
    int currentFrame() const;
    int totalFrames() const;
    bool isPlaying() const;
    bool loop() const { return m_loop; }
    void setLoop(bool value) { m_loop = value; }
    void advanceFrame();
    double frameRate() const { return m_clock.rate(); }

    uint32_t backgroundColor() const;
    void setBackgroundColor(int32_t rgb) { m_backgroundOverride = rgb; invalidate(); }
    Quality quality() const { return m_quality; }
    void setQuality(Quality q) { m_quality = q; invalidate(); }
    ScaleMode scaleMode() const { return m_scaleMode; }
    void setScaleMode(ScaleMode m) { m_scaleMode = m; invalidate(); }
    unsigned align() const { return m_align; }
    void setAlign(unsigned a) { m_align = a; invalidate(); }
    bool transparent() const { return m_transparent; }
    void setTransparent(bool t) { m_transparent = t; invalidate(); }
    void setViewSize(int w, int h) { m_viewWidth = std::max(0, w); m_viewHeight = std::max(0, h); invalidate(); }
    int viewWidth() const;
    int viewHeight() const;
    int stageWidth() const;
    int stageHeight() const;

    void render(const PixelBuffer& target, int originX = 0, int originY = 0);

    void mouseMove(int x, int y);
    void mouseDown(int x, int y);
    void mouseUp(int x, int y);
    // Keys by their key codes (Tab 9, Enter 13, A 65, ...) and the character typed.
    void keyDown(int keyCode, int charCode);
    void keyUp(int keyCode, int charCode);
    void mouseWheel(int delta);
    void windowFocus(bool focused);

    bool setVariable(const std::string& path, const std::string& value);
    std::string getVariable(const std::string& path);

    // ClipContext
    std::unique_ptr<DisplayObject> instantiate(uint16_t characterId, MovieClip* parent) override;
    void queueActions(const std::vector<uint8_t>& code, MovieClip& clip) override;
    void queueMethod(MovieClip& clip, const std::string& method) override;
    void queueInitActions(const swf::DoInitAction& init) override;
    int swfVersion() const override;
    std::string newInstanceName() override;
    swf::Point mouseIn(const MovieClip& clip) const override;
    swf::Rect boundsInParent(const DisplayObject& object) override;
    std::optional<swf::Rect> boundsInSelf(const DisplayObject& object) override;
    bool hitTest(const DisplayObject& object, double stageX, double stageY, bool shape) override;
    void invalidate() override { m_dirty = true; }   // both interfaces
    int maxNestingDepth() const override { return m_limits.maxNestingDepth; }
    std::string qualityName() const override;
    uint16_t exportedCharacter(const std::string& linkage) const override;
    void queueConstruct(MovieClip& clip) override;
    void setQualityName(const std::string& name) override;
    void setQualityToggle() override;
    DrawingBudget* drawingBudget() override { return &m_drawingBudget; }
    Library* library() override { return m_library.get(); }

    // avm1::Host
    avm1::Clip* rootClip() override { return m_root.get(); }
    avm1::Clip* clipByPath(const std::string& path) override;
    void getURL(const std::string& url, const std::string& target) override;
    void trace(const std::string& message) override;
    double timeMs() const override;
    double wallClockMs() const override { return m_loadedAtWallMs + timeMs(); }
    uint32_t random() override;
    std::shared_ptr<BitmapSurface> exportedBitmap(const std::string& name) override;
    void drawClip(avm1::Clip& source, BitmapSurface& target, const std::array<double, 6>& matrix,
                  const std::array<double, 8>& colour, const std::array<int, 4>& clip, bool smoothing) override;
    std::array<double, 2> stageSizePixels() const override;
    void loadInto(const std::string& url, const std::string& target, std::shared_ptr<avm1::Object> loader) override;
    double loadedBytes(const std::string& targetPath) const override;
    void netStreamCall(const std::shared_ptr<avm1::Object>& stream, const std::string& call,
                       const std::vector<avm1::Value>& args) override;
    void attachVideo(avm1::Clip& video, const std::shared_ptr<avm1::Object>& stream) override;
    bool clearVideo(avm1::Clip& video) override;
    void constructClip(avm1::Clip& clip) override { constructRegistered(clip); }
    void loadText(const std::string& url, std::shared_ptr<avm1::Object> receiver) override;
    bool isKeyDown(int keyCode) const override;
    int lastKeyCode() const override { return m_lastKey; }
    int lastCharCode() const override { return m_lastAscii; }
    avm1::Value focusedValue() override;
    bool setFocusTo(avm1::Clip* target) override;
    std::array<double, 2> mousePixels() const override { return {m_mouse.x / 20.0, m_mouse.y / 20.0}; }

    void startSound(const swf::StartSound& start, MovieClip& clip) override;
    void soundStreamBlock(const swf::SoundStreamBlock& block, MovieClip& clip, int frame) override;
    avm1::Value soundCall(const std::shared_ptr<avm1::Object>& object, const std::string& call,
                          const std::vector<avm1::Value>& args) override;
    void stopSounds() override;

    // The mixer, mixed up to now (PlayerSound.cpp).
    sound::Mixer& mixer();

    // The stage-to-view matrix for the current view size and scale mode.
    render::Matrix stageMatrix() const;

private:
    void constructRegistered(avm1::Clip& clip);
    DisplayObject* focused();
    avm1::Value focusValue(DisplayObject* object);
    void moveFocus(DisplayObject* to, bool byKeyboard);
    std::vector<DisplayObject*> tabOrder();
    void tabFocus(bool backwards);
    void drawFocusRect(const render::Matrix& stageToSurface);
    // Calls object.broadcastMessage(event, args) on a global (Key, Mouse, Selection).
    void broadcast(const char* object, const char* event, std::vector<avm1::Value> args = {});
    void clipEventToAll(uint32_t eventBit);
    static int swfKeyCode(int keyCode, int charCode);
    MovieClip* handlerClipAt(double stageX, double stageY);
    void clipButtonsMove();
    void clipButtonsDown();
    void clipButtonsUp();

    struct Pending {
        std::shared_ptr<const std::vector<uint8_t>> code;
        std::string clipPath;
        std::shared_ptr<avm1::ClipAnchor> clip;   // the clip the actions belong to
        std::string method;                       // or its handler to call
        bool construct = false;                   // or the class registered for it
    };
    struct ButtonKey {
        std::string parentPath;
        int depth = 0;
        uint16_t id = 0;
        bool operator==(const ButtonKey&) const = default;
    };

    struct LoadRequest {
        std::string url;          // resolved; empty: unload
        std::string target;       // clip path or "_levelN"
        std::shared_ptr<avm1::Object> loader;   // MovieClipLoader that hears the events
        bool text = false;        // LoadVars.load: the bytes go to `loader` as text
    };
    // Serves the loads asked for before this advance (PlayerLoading.cpp).
    void serveLoads(int& loadsLeft);
    bool loadInClip(const LoadRequest& request, const std::vector<uint8_t>& bytes);
    void deliverText(const LoadRequest& request, const std::optional<std::vector<uint8_t>>& bytes);
    void loadEvent(const LoadRequest& request, const char* event, std::vector<avm1::Value> extra = {});

    struct NetStreamEntry {
        std::weak_ptr<avm1::Object> object;
        std::shared_ptr<NetStreamPlayback> playback;
    };
    // Fetches the files streams wait for and moves them on (PlayerNetStreams.cpp).
    void serveNetStreams(int& loadsLeft);
    NetStreamEntry* netStreamOf(const avm1::Object* object);
    void netStatus(const std::shared_ptr<avm1::Object>& stream, const char* code, const char* level);

    struct SoundObjectEntry {
        std::weak_ptr<avm1::Object> object;
        std::string owner;        // target path; "" for the global object
        uint16_t soundId = 0;     // attachSound
        uint64_t listener = 0;
        std::shared_ptr<const sound::PcmSound> loaded;   // loadSound
    };
    struct SoundLoad {
        std::weak_ptr<avm1::Object> object;
        std::string url;   // resolved
        bool streaming = false;
    };
    struct StreamState {
        std::unique_ptr<sound::StreamDecoder> decoder;
        int lastFrame = -2;
    };
    // Event sounds decoded once per movie; null when a sound cannot be decoded.
    std::shared_ptr<const sound::PcmSound> decodedSound(uint16_t id);
    void playEventSound(uint16_t id, const swf::SoundInfo& info, const std::string& owner, uint64_t listener);
    void playSound(std::shared_ptr<const sound::PcmSound> pcm, uint16_t id, const swf::SoundInfo& info,
                   const std::string& owner, uint64_t listener);
    // Sound.loadSound: MP3 files fetched at the start of a frame advance.
    void serveSoundLoads(int& loadsLeft);
    SoundObjectEntry* soundObjectOf(const avm1::Object* object);
    void serveSounds();
    void buttonSound(ButtonObject& button, uint16_t transition);
    void resetSound();

    void runQueuedActions();
    void afterChange(int previousFrame);
    void updateEditTexts(MovieClip& clip, int nesting);
    ButtonObject* findButton(const ButtonKey& key);
    ButtonObject* buttonAt(double stageX, double stageY, ButtonKey& key);
    void buttonTransition(ButtonObject& button, uint16_t transition);
    void mouseAt(int x, int y);

    Scheduler& m_scheduler;
    PlayerLimits m_limits;
    PlayerCallbacks m_callbacks;
    std::unique_ptr<render::Renderer> m_renderer;
    std::shared_ptr<const swf::Movie> m_movie;
    std::unique_ptr<Library> m_library;
    std::unique_ptr<avm1::Interpreter> m_interpreter;
    DrawingBudget m_drawingBudget;   // outlives the clips
    std::unique_ptr<MovieClip> m_root;
    FrameClock m_clock;
    std::unique_ptr<sound::Mixer> m_mixer;
    std::map<uint16_t, std::shared_ptr<const sound::PcmSound>> m_sounds;
    size_t m_soundBytes = 0;
    std::map<std::string, StreamState> m_streamStates;   // by clip path
    std::vector<SoundObjectEntry> m_soundObjects;
    std::deque<SoundLoad> m_soundLoads;
    uint64_t m_nextListener = 1;

    std::deque<Pending> m_queue;
    std::deque<LoadRequest> m_loads;
    std::map<std::string, double> m_loadedBytes;   // by target path
    std::vector<NetStreamEntry> m_netStreams;
    std::set<uint16_t> m_initDone;
    std::string m_url;
    ReadyState m_readyState = ReadyState::Uninitialized;
    bool m_autoPlay = true;
    bool m_loop = true;
    bool m_dirty = true;
    bool m_runningActions = false;
    bool m_rendering = false;   // a frame is being drawn: BitmapData.draw waits
    int32_t m_backgroundOverride = -1;
    swf::Rgba m_movieBackground{255, 255, 255, 255};
    Quality m_quality = Quality::High;
    ScaleMode m_scaleMode = ScaleMode::ShowAll;
    unsigned m_align = AlignCentre;
    bool m_transparent = false;
    int m_viewWidth = 0;
    int m_viewHeight = 0;
    int64_t m_loadedAtMs = 0;
    double m_frameTimeMs = 0;   // frame durations run since loading
    double m_loadedAtWallMs = 0;   // the wall clock when the movie was loaded
    uint32_t m_random = 0x2545F491;
    int m_instanceCounter = 0;
    swf::Point m_mouse;          // stage twips
    swf::Point m_lastMoveAt{-1, -1};
    bool m_mouseDown = false;
    std::optional<ButtonKey> m_hover;
    std::optional<ButtonKey> m_pressed;
    std::shared_ptr<avm1::ClipAnchor> m_hoverClip;     // clips acting as buttons
    std::shared_ptr<avm1::ClipAnchor> m_pressedClip;
    bool m_pressedOver = false;
    std::set<int> m_keysDown;
    int m_lastKey = 0;
    int m_lastAscii = 0;
    uint64_t m_focusSerial = 0;   // the focused object (0: none)
    bool m_focusRectShown = false;
    bool m_focusRolledOver = false;   // the focused object was rolled over by the keyboard
};

}  // namespace flash

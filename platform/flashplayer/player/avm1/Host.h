// What the interpreter needs from the player: movie clips it can drive and look up by
// path, and the outside world (getURL, trace). The player implements both.
#pragma once

#include "Value.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace flash {
class DisplayObject;
class Drawing;
class BitmapSurface;
}

namespace flash::avm1 {

// The clip properties by their GetProperty/SetProperty index.
enum class ClipProperty : int {
    X = 0, Y, XScale, YScale, CurrentFrame, TotalFrames, Alpha, Visible, Width, Height,
    Rotation, Target, FramesLoaded, Name, DropTarget, Url, HighQuality, FocusRect,
    SoundBufTime, Quality, XMouse, YMouse,
    Count
};
// Index of "_x", "_alpha", ... or -1.
int clipPropertyIndex(std::string_view name);

// What getBounds gives for every member when a clip has no content.
inline constexpr double kEmptyBounds = 6710886.35;

// A movie clip as scripts see it.
class Clip {
public:
    Clip() = default;
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;
    virtual ~Clip()
    {
        if (m_anchor)
            m_anchor->clip = nullptr;
    }
    // What references to this clip hold; cleared when the clip dies.
    const std::shared_ptr<ClipAnchor>& anchor()
    {
        if (!m_anchor)
            m_anchor = std::make_shared<ClipAnchor>(ClipAnchor{this});
        return m_anchor;
    }

    // The display object behind the clip (null: none), for the members every display
    // object shares (transform, filters, blendMode, ...).
    virtual flash::DisplayObject* displayObject() { return nullptr; }
    virtual std::string targetPath() const = 0;     // "_level0.a.b"
    virtual Clip* parentClip() = 0;                 // null for the root
    virtual Clip* childClip(std::string_view instanceName) = 0;
    virtual Object& variables() = 0;

    virtual bool isPlaying() const = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void nextFrame() = 0;
    virtual void prevFrame() = 0;
    virtual void gotoFrame(int frame, bool andPlay) = 0;     // 0-based; clamps
    virtual bool gotoLabel(std::string_view label, bool andPlay) = 0;
    virtual int currentFrame() const = 0;                    // 0-based
    virtual int totalFrames() const = 0;
    virtual int framesLoaded() const = 0;
    // Frame number (0-based) of a label, or -1.
    virtual int frameOfLabel(std::string_view label) const = 0;

    virtual Value getProperty(ClipProperty property) = 0;
    virtual void setProperty(ClipProperty property, const Value& value) = 0;
    // Members the clip answers itself before its variables (text field members);
    // false when it has none by that name.
    virtual bool getNamed(const std::string& name, Value& out) { (void)name; (void)out; return false; }
    virtual bool setNamed(const std::string& name, const Value& value) { (void)name; (void)value; return false; }
    virtual bool removeClip() = 0;     // removeMovieClip: only script-made clips
    // The colour transform as the Color class sees it: multipliers in percent
    // (ra, ga, ba, aa), then offsets (rb, gb, bb, ab).
    virtual std::array<double, 8> colorTransformValues() const = 0;
    virtual void setColorTransformValues(const std::array<double, 8>& values) = 0;

    // The vector content scripts draw into the clip, made on first use.
    virtual Drawing& drawing() = 0;
    // createEmptyMovieClip: a script-made clip at a script depth (0 and up lie
    // above the timeline's objects); one already there is replaced. Null when the
    // clip cannot have children (nesting limit).
    virtual Clip* createEmptyClip(const std::string& name, int depth) = 0;
    // One more than the highest script depth in use, 0 at least.
    virtual int nextHighestDepth() const = 0;
    // setMask: `mask` (null: none) masks this clip and is no longer drawn itself;
    // false when the clip cannot mask itself.
    virtual bool setMask(Clip* mask) = 0;
    // getBounds: the clip's content in the space of `space` (null: its own), pixels:
    // xMin, xMax, yMin, yMax.
    virtual std::array<double, 4> boundsIn(Clip* space) = 0;
    // Does the stage point (pixels) lie on the clip's content (shapeFlag) or in its
    // bounds?
    virtual bool hitTestPoint(double stageX, double stageY, bool shape) = 0;
    // attachBitmap: shows the pixels at a script depth (they are read at each render).
    virtual bool attachBitmap(std::shared_ptr<flash::BitmapSurface> bitmap, int depth, bool smoothing)
    {
        (void)bitmap, (void)depth, (void)smoothing;
        return false;
    }

private:
    std::shared_ptr<ClipAnchor> m_anchor;
};

class Host {
public:
    virtual ~Host() = default;
    virtual Clip* rootClip() = 0;      // _level0
    // Absolute path as made by Clip::targetPath(); null when the clip is gone.
    virtual Clip* clipByPath(const std::string& path) = 0;
    virtual void getURL(const std::string& url, const std::string& target) = 0;
    // Something scripts changed needs drawing again.
    virtual void invalidate() {}
    // Key: the keys held (key codes), the last key and character pressed or released.
    virtual bool isKeyDown(int keyCode) const { (void)keyCode; return false; }
    virtual int lastKeyCode() const { return 0; }
    virtual int lastCharCode() const { return 0; }
    // Selection: what has the focus (null: nothing); setFocus (null: none).
    virtual Value focusedValue() { return Value::null(); }
    virtual bool setFocusTo(Clip* target) { (void)target; return false; }
    // LoadVars.load: the text at `url` reaches `receiver` on a later frame, through its
    // onData(text) when it has one, else decoded into it before onLoad(success).
    virtual void loadText(const std::string& url, std::shared_ptr<Object> receiver) { (void)url, (void)receiver; }
    // Makes a script-made clip an instance of the class registered for its symbol.
    virtual void constructClip(Clip& clip) { (void)clip; }
    // The mouse on the stage, pixels.
    virtual std::array<double, 2> mousePixels() const { return {0, 0}; }
    virtual void trace(const std::string& message) { (void)message; }
    virtual void setQualityToggle() {}
    virtual void stopSounds() {}
    virtual double timeMs() const { return 0; }   // getTimer: movie time, not wall time
    // Date: milliseconds since 1970 (UTC) now, as the movie sees it.
    virtual double wallClockMs() const { return timeMs(); }
    // Stage.width and Stage.height, pixels.
    virtual std::array<double, 2> stageSizePixels() const { return {0, 0}; }
    virtual uint32_t random() = 0;                // deterministic per movie
    // loadMovie, loadMovieNum and MovieClipLoader.loadClip: `url` (empty: unload)
    // replaces the content of `target` (a clip path or "_levelN") on a later frame;
    // `loader` hears onLoadStart ... onLoadInit or onLoadError through its
    // broadcastMessage.
    virtual void loadInto(const std::string& url, const std::string& target, std::shared_ptr<Object> loader)
    {
        (void)url, (void)target, (void)loader;
    }
    // NetStream: `call` is "create", "play", "pause", "seek" or "close" on the script
    // object `stream`; the player fills in its time, bytesLoaded and bytesTotal and
    // calls its onStatus and onMetaData.
    virtual void netStreamCall(const std::shared_ptr<Object>& stream, const std::string& call,
                               const std::vector<Value>& args)
    {
        (void)stream, (void)call, (void)args;
    }
    // Sound objects: `call` is "create" (args: the target's path, "" for the global
    // object), or a method of Sound.prototype with its script arguments.
    virtual Value soundCall(const std::shared_ptr<Object>& sound, const std::string& call, const std::vector<Value>& args)
    {
        (void)sound, (void)call, (void)args;
        return Value{};
    }
    // Video.attachVideo (`stream` null: detach) and Video.clear.
    virtual void attachVideo(Clip& video, const std::shared_ptr<Object>& stream) { (void)video, (void)stream; }
    // False when `video` is no Video object.
    virtual bool clearVideo(Clip& video) { (void)video; return false; }
    // Bytes of what was last loaded into the clip at `targetPath`, 0 when nothing.
    virtual double loadedBytes(const std::string& targetPath) const { (void)targetPath; return 0; }
    // BitmapData.loadBitmap: the pixels of the bitmap exported under `name`, or null.
    virtual std::shared_ptr<flash::BitmapSurface> exportedBitmap(const std::string& name)
    {
        (void)name;
        return nullptr;
    }
    // BitmapData.draw of a clip: its content through `matrix` (a, b, c, d, tx, ty in
    // pixels) and the colour transform (multipliers, then offsets), inside `clip`
    // (x, y, width, height pixels of the bitmap).
    virtual void drawClip(Clip& source, flash::BitmapSurface& target, const std::array<double, 6>& matrix,
                          const std::array<double, 8>& colour, const std::array<int, 4>& clip, bool smoothing)
    {
        (void)source, (void)target, (void)matrix, (void)colour, (void)clip, (void)smoothing;
    }
};

}  // namespace flash::avm1

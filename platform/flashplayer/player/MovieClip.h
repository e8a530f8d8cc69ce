// A timeline with its display list: the root movie or a placed sprite. Frames are
// 0-based. Entering a frame applies its control tags in file order and queues its
// actions; a goto backwards rebuilds the list from the first frame and keeps the
// instances that survive (same depth, character and placing frame).
#pragma once

#include "DisplayObject.h"
#include "Drawing.h"
#include "avm1/Host.h"

#include "swf/Bitmap.h"
#include "swf/Tags.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace flash {

class Library;

// What a clip needs from the engine around it.
class ClipContext {
public:
    virtual ~ClipContext() = default;
    // A new instance of a dictionary character, or null when it cannot be shown.
    virtual std::unique_ptr<DisplayObject> instantiate(uint16_t characterId, MovieClip* parent) = 0;
    // Runs after the current frame advance, in order.
    virtual void queueActions(const std::vector<uint8_t>& code, MovieClip& clip) = 0;
    // Calls the clip's own handler `method` (onEnterFrame, ...) in the same queue.
    virtual void queueMethod(MovieClip& clip, const std::string& method) = 0;
    virtual void queueInitActions(const swf::DoInitAction& init) = 0;
    virtual int swfVersion() const = 0;
    virtual std::string newInstanceName() = 0;
    // The mouse position in this clip's coordinates (twips).
    virtual swf::Point mouseIn(const MovieClip& clip) const = 0;
    // The object's bounds in its parent's coordinates (twips), for _width/_height.
    virtual swf::Rect boundsInParent(const DisplayObject& object) = 0;
    // The object's bounds in its own coordinates (twips); none when it has no content.
    virtual std::optional<swf::Rect> boundsInSelf(const DisplayObject& object) = 0;
    // Does the stage point (twips) lie on the object's fills and strokes (`shape`) or
    // inside its bounds?
    virtual bool hitTest(const DisplayObject& object, double stageX, double stageY, bool shape) = 0;
    virtual void invalidate() = 0;
    virtual int maxNestingDepth() const = 0;
    // The character exported under `linkage` (0: none).
    virtual uint16_t exportedCharacter(const std::string& linkage) const { (void)linkage; return 0; }
    // A clip was made from a character: a class registered for its linkage name
    // (Object.registerClass) makes it an instance before its first frame's actions.
    virtual void queueConstruct(MovieClip& clip) { (void)clip; }
    // The player's quality as _quality names it ("LOW", "MEDIUM", "HIGH", "BEST"); a
    // script may set it (other words are ignored).
    virtual std::string qualityName() const { return "HIGH"; }
    virtual void setQualityName(const std::string& name) { (void)name; }
    // Shared by the script drawings of the movie (null: none).
    virtual DrawingBudget* drawingBudget() { return nullptr; }
    // The movie's characters as drawn (null: none), for laying text out.
    virtual Library* library() { return nullptr; }
    // A frame entered in play: its event sounds start, its stream block is heard.
    virtual void startSound(const swf::StartSound& start, MovieClip& clip) { (void)start, (void)clip; }
    virtual void soundStreamBlock(const swf::SoundStreamBlock& block, MovieClip& clip, int frame)
    {
        (void)block, (void)clip, (void)frame;
    }
};

class MovieClip : public DisplayObject, public avm1::Clip {
public:
    MovieClip(ClipContext& context, const swf::Timeline& timeline, uint16_t characterId, MovieClip* parentClip);
    ~MovieClip() override;

    MovieClip* asClip() override { return this; }
    const swf::Timeline& timeline() const { return m_timeline; }
    DisplayList& children() { return m_children; }
    const DisplayList& children() const { return m_children; }
    int nesting() const { return m_nesting; }

    bool isPlaying() const override { return m_playing; }
    void setPlaying(bool value) { m_playing = value; }
    int frame() const { return m_frame; }
    int frameCount() const;

    // The first frame after placement (its actions run).
    void enterFirstFrame();
    // A clip a script made from a symbol comes to life: its first frame, and its
    // initialize and construct events.
    void startScriptMade();
    // One tick of the frame clock: this clip, then its children, move on one frame
    // when playing. `loop` false stops the clip on its last frame instead of wrapping.
    void tick(bool loop);
    // Goes to `target` (clamped); the target frame's actions run when `runActions`.
    void gotoFrameIndex(int target, bool runActions);

    // avm1::Clip
    DisplayObject* displayObject() override { return this; }
    std::string targetPath() const override;
    avm1::Clip* parentClip() override;
    avm1::Clip* childClip(std::string_view instanceName) override;
    avm1::Object& variables() override { return *m_variables; }
    void play() override { m_playing = true; }
    void stop() override { m_playing = false; }
    void nextFrame() override;
    void prevFrame() override;
    void gotoFrame(int frame, bool andPlay) override;
    bool gotoLabel(std::string_view label, bool andPlay) override;
    int currentFrame() const override { return m_frame < 0 ? 0 : m_frame; }
    int totalFrames() const override { return frameCount(); }
    int framesLoaded() const override { return frameCount(); }
    int frameOfLabel(std::string_view label) const override;
    avm1::Value getProperty(avm1::ClipProperty property) override;
    void setProperty(avm1::ClipProperty property, const avm1::Value& value) override;
    bool removeClip() override;
    std::array<double, 8> colorTransformValues() const override;
    void setColorTransformValues(const std::array<double, 8>& values) override;
    Drawing& drawing() override;
    avm1::Clip* createEmptyClip(const std::string& name, int depth) override;
    // createTextField: an empty field over `bounds` (twips) at a script depth.
    avm1::Clip* createTextField(const std::string& name, int depth, const swf::Rect& bounds);
    // attachMovie: a new instance of an exported sprite at a script depth; null when
    // there is no such symbol or no room.
    MovieClip* attachMovie(const std::string& linkage, const std::string& name, int depth);
    // duplicateMovieClip: a copy of this clip (character, transform, clip events) in
    // its parent at a script depth.
    MovieClip* duplicate(const std::string& name, int depth);
    // swapDepths: moves to the display-list depth `to`, trading places with what is
    // there.
    void swapDepthWith(int to);
    // Script depths (0 and up above the timeline) to display-list depths and back.
    static int displayDepth(int scriptDepth);
    static int scriptDepth(int displayDepth);
    DisplayObject* objectAtDepth(int displayDepth);
    // Drops the script-made object at a display-list depth; false when there is none.
    bool removeScriptObject(int depth);
    int nextHighestDepth() const override;
    bool setMask(avm1::Clip* mask) override;
    std::array<double, 4> boundsIn(avm1::Clip* space) override;
    bool hitTestPoint(double stageX, double stageY, bool shape) override;
    bool attachBitmap(std::shared_ptr<BitmapSurface> bitmap, int depth, bool smoothing) override;

    // The script drawing, null while none was made.
    Drawing* drawingIfAny() const { return m_drawing.get(); }
    // The clip masking this one (setMask), and the clip this one masks.
    MovieClip* dynamicMask() const { return m_mask; }
    MovieClip* maskedClip() const { return m_maskedClip; }

    // A loaded picture replaces what the clip showed: its children and drawing go,
    // its timeline stops, and `picture` (null: nothing) is drawn at its origin.
    void replaceContent(std::shared_ptr<const swf::DecodedBitmap> picture);
    const swf::DecodedBitmap* loadedPicture() const { return m_picture.get(); }

    MovieClip* findChildClip(std::string_view instanceName);
    // onClipEvent handlers from the PlaceObject that made this clip.
    std::vector<swf::ClipAction> clipEvents;
    void queueClipEvent(uint32_t eventBit);

private:
    void applyFrame(int frame, bool runActions);
    void place(const swf::PlaceObject& p, int frame);
    void remove(int depth);
    void rebuildTo(int target);
    std::unique_ptr<DisplayObject> makeInstance(uint16_t characterId, int depth, int frame);

    void dropMaskLinks();

    ClipContext& m_context;
    const swf::Timeline& m_timeline;
    DisplayList m_children;
    std::shared_ptr<avm1::Object> m_variables;
    int m_frame = -1;
    bool m_playing = true;
    int m_nesting = 0;
    std::unique_ptr<Drawing> m_drawing;
    // setMask links, cleared from both sides when either clip goes away.
    MovieClip* m_mask = nullptr;
    MovieClip* m_maskedClip = nullptr;
    std::shared_ptr<const swf::DecodedBitmap> m_picture;
};

}  // namespace flash

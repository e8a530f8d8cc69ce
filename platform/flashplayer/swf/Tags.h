// Control tags: what a timeline frame does when the playhead enters it.
#pragma once

#include "swf/Filters.h"
#include "swf/Sound.h"
#include "swf/Types.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace swf {

// CLIPEVENTFLAGS bits as a 32-bit value (SWF 5 files carry only the low 16).
enum ClipEvent : std::uint32_t {
    ClipEventKeyUp = 1u << 7, ClipEventKeyDown = 1u << 6, ClipEventMouseUp = 1u << 5,
    ClipEventMouseDown = 1u << 4, ClipEventMouseMove = 1u << 3, ClipEventUnload = 1u << 2,
    ClipEventEnterFrame = 1u << 1, ClipEventLoad = 1u << 0,
    ClipEventDragOver = 1u << 15, ClipEventRollOut = 1u << 14, ClipEventRollOver = 1u << 13,
    ClipEventReleaseOutside = 1u << 12, ClipEventRelease = 1u << 11, ClipEventPress = 1u << 10,
    ClipEventInitialize = 1u << 9, ClipEventData = 1u << 8,
    ClipEventConstruct = 1u << 18, ClipEventKeyPress = 1u << 17, ClipEventDragOut = 1u << 16,
};

// CLIPACTIONRECORD: ActionScript 1/2 bytes run on the given events.
struct ClipAction {
    std::uint32_t events = 0;  // ClipEvent bits
    std::uint8_t keyCode = 0;  // with ClipEventKeyPress
    std::vector<std::uint8_t> actions;
    friend bool operator==(const ClipAction&, const ClipAction&) = default;
};

// PlaceObject, PlaceObject2 and PlaceObject3. Absent members are not changed on a
// move. Version 1 always has a character and a matrix and never moves.
struct PlaceObject {
    std::uint8_t version = 2;
    std::uint16_t depth = 1;
    bool move = false;        // PlaceFlagMove: modify (or, with a character, replace) the object at depth
    std::optional<std::uint16_t> characterId;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<std::uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<std::uint16_t> clipDepth; // this object masks the depths up to clipDepth
    // PlaceObject3.
    std::optional<std::string> className;
    bool hasImage = false;
    std::optional<std::vector<Filter>> filters;
    std::optional<BlendMode> blendMode;
    std::optional<bool> cacheAsBitmap;
    std::optional<bool> visible;
    std::optional<Rgba> opaqueBackground;
    // PlaceObject2/3.
    std::vector<ClipAction> clipActions;
    friend bool operator==(const PlaceObject&, const PlaceObject&) = default;
};

// RemoveObject (with its character id) and RemoveObject2 (depth only).
struct RemoveObject {
    std::uint16_t depth = 1;
    std::optional<std::uint16_t> characterId; // RemoveObject only
    friend bool operator==(const RemoveObject&, const RemoveObject&) = default;
};

struct DoAction {
    std::vector<std::uint8_t> actions; // ACTIONRECORDs up to and with ActionEndFlag
    friend bool operator==(const DoAction&, const DoAction&) = default;
};

struct DoInitAction {
    std::uint16_t spriteId = 0;
    std::vector<std::uint8_t> actions;
    friend bool operator==(const DoInitAction&, const DoInitAction&) = default;
};

struct StartSound {
    std::uint16_t soundId = 0;
    std::optional<std::string> className; // StartSound2 names the sound by class
    SoundInfo info;
    friend bool operator==(const StartSound&, const StartSound&) = default;
};

struct SoundStreamBlock {
    std::vector<std::uint8_t> data;
    friend bool operator==(const SoundStreamBlock&, const SoundStreamBlock&) = default;
};

struct SetBackgroundColor {
    Rgba color;
    friend bool operator==(const SetBackgroundColor&, const SetBackgroundColor&) = default;
};

struct SetTabIndex {
    std::uint16_t depth = 0;
    std::uint16_t tabIndex = 0;
    friend bool operator==(const SetTabIndex&, const SetTabIndex&) = default;
};

using ControlTag = std::variant<PlaceObject, RemoveObject, DoAction, DoInitAction, StartSound,
                                SoundStreamBlock, SetBackgroundColor, SetTabIndex>;

struct FrameLabel {
    std::string name;
    std::uint32_t frame = 0; // 0-based index into Timeline::frames
    bool anchor = false;     // named anchor (SWF 6+)
    friend bool operator==(const FrameLabel&, const FrameLabel&) = default;
};

struct Frame {
    std::vector<ControlTag> tags; // in file order
    friend bool operator==(const Frame&, const Frame&) = default;
};

// A timeline: the root's or a sprite's. `frames` holds the frames closed by a
// ShowFrame; `declaredFrameCount` is what the header or DefineSprite claims
// (players use frames.size(); a truncated file has fewer).
struct Timeline {
    std::uint16_t declaredFrameCount = 0;
    std::vector<Frame> frames;
    std::vector<FrameLabel> labels; // in file order
    std::optional<SoundStreamHead> soundStreamHead;
    friend bool operator==(const Timeline&, const Timeline&) = default;
};

} // namespace swf

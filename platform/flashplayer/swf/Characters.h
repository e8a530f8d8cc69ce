// The character kinds of the dictionary that are not shapes, text or bitmaps:
// sprites, buttons, video streams; and the Character variant itself.
#pragma once

#include "swf/Bitmap.h"
#include "swf/Filters.h"
#include "swf/Shape.h"
#include "swf/Sound.h"
#include "swf/Tags.h"
#include "swf/Text.h"

#include <array>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace swf {

// DefineSprite: a movie clip with its own timeline (only control tags inside).
struct Sprite {
    std::uint16_t id = 0;
    Timeline timeline;
    friend bool operator==(const Sprite&, const Sprite&) = default;
};

// BUTTONRECORD: one character shown in some of the button's states.
struct ButtonRecord {
    bool up = false;
    bool over = false;
    bool down = false;
    bool hitTest = false;
    std::uint16_t characterId = 0;
    std::uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform; // DefineButton2 only (DefineButton: Button::colorTransform)
    std::vector<Filter> filters;   // SWF 8
    std::optional<BlendMode> blendMode;
    friend bool operator==(const ButtonRecord&, const ButtonRecord&) = default;
};

// Button state transitions of a BUTTONCONDACTION. DefineButton's single action
// list runs on OverDownToOverUp (the release).
enum ButtonTransition : std::uint16_t {
    IdleToOverUp = 1 << 0, OverUpToIdle = 1 << 1, OverUpToOverDown = 1 << 2,
    OverDownToOverUp = 1 << 3, OverDownToOutDown = 1 << 4, OutDownToOverDown = 1 << 5,
    OutDownToIdle = 1 << 6, IdleToOverDown = 1 << 7, OverDownToIdle = 1 << 8,
};

struct ButtonAction {
    std::uint16_t transitions = OverDownToOverUp; // ButtonTransition bits
    std::uint8_t keyCode = 0;                     // 0: none
    std::vector<std::uint8_t> actions;            // ActionScript 1/2 bytes
    friend bool operator==(const ButtonAction&, const ButtonAction&) = default;
};

struct ButtonSound {
    std::uint16_t soundId = 0; // 0: none
    SoundInfo info;
    friend bool operator==(const ButtonSound&, const ButtonSound&) = default;
};

// DefineButton / DefineButton2, with DefineButtonCxform and DefineButtonSound
// merged in.
struct Button {
    std::uint16_t id = 0;
    std::uint8_t version = 2;
    bool trackAsMenu = false;
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
    std::optional<ColorTransform> colorTransform; // DefineButtonCxform (DefineButton only)
    // DefineButtonSound: OverUpToIdle, IdleToOverUp, OverUpToOverDown, OverDownToOverUp.
    std::optional<std::array<ButtonSound, 4>> sounds;
    friend bool operator==(const Button&, const Button&) = default;
};

enum class VideoCodec : std::uint8_t {
    SorensonH263 = 2, ScreenVideo = 3, Vp6 = 4, Vp6Alpha = 5, ScreenVideo2 = 6,
};

struct VideoFrame {
    std::uint16_t frameNum = 0;
    std::vector<std::uint8_t> data; // the codec's bitstream for one frame
    friend bool operator==(const VideoFrame&, const VideoFrame&) = default;
};

// DefineVideoStream with the VideoFrame tags that name it (in file order). A
// placed video shows the frame whose frameNum equals the placement's ratio.
struct VideoStream {
    std::uint16_t id = 0;
    std::uint16_t numFrames = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t deblocking = 0; // 0 = as the stream says, 1 = off, 2.. = levels
    bool smoothing = false;
    std::uint8_t codecId = 2;    // a VideoCodec value; unknown values kept as read
    std::vector<VideoFrame> frames;
    friend bool operator==(const VideoStream&, const VideoStream&) = default;
};

using Character = std::variant<Shape, MorphShape, Font, Text, EditText, Bitmap, Sprite, Button,
                               VideoStream, Sound>;

std::uint16_t characterId(const Character& c);

} // namespace swf

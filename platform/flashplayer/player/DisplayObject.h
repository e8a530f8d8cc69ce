// An entry of a display list: one placed character with the properties PlaceObject
// gives it. Sprites (MovieClip) and buttons (ButtonObject) derive from it and own
// display lists of their own.
#pragma once

#include "render/Types.h"
#include "swf/Tags.h"
#include "swf/Types.h"

#include <cstdint>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace flash {

class MovieClip;
class ButtonObject;
namespace avm1 {
class Clip;
}

enum class ObjectKind : uint8_t { Shape, Morph, Text, EditText, Bitmap, Video, Sprite, Button };

class DisplayObject {
public:
    DisplayObject(ObjectKind kind, uint16_t characterId);
    virtual ~DisplayObject() = default;
    DisplayObject(const DisplayObject&) = delete;
    DisplayObject& operator=(const DisplayObject&) = delete;

    ObjectKind kind() const { return m_kind; }
    // Grows with every instance made: tells objects made during a frame from older ones.
    uint64_t serial() const { return m_serial; }
    static uint64_t lastSerial();
    uint16_t characterId() const { return m_characterId; }
    virtual MovieClip* asClip() { return nullptr; }
    virtual ButtonObject* asButton() { return nullptr; }

    // Copies the members a PlaceObject carries; absent members stay as they are. A
    // script-moved object keeps its script transform against the timeline.
    void applyPlacement(const swf::PlaceObject& place);

    int depth = 0;
    // The parent's frame whose PlaceObject created this instance; -1 when a script
    // made it. A backward goto keeps an instance only when the rebuilt list has the
    // same character at its depth from that same frame.
    int placeFrame = -1;
    swf::Matrix matrix;
    swf::ColorTransform colorTransform;
    uint16_t ratio = 0;
    std::string name;
    int clipDepth = 0;               // non-zero: masks the depths above it up to this one
    render::BlendMode blendMode = render::BlendMode::Normal;
    std::vector<swf::Filter> filters;   // drawn through a filter layer when not empty
    bool visible = true;
    bool scriptMoved = false;        // a script set the transform
    // _xscale, _yscale and the rotations of both axes (degrees) as scripts last set
    // them, for the matrix they produced: kept so a flip or a scale of 0 reads back.
    struct Scales {
        double x = 1, y = 1, rotationX = 0, rotationY = 0;
        swf::Matrix forMatrix;
    };
    std::optional<Scales> scaleCache;
    std::optional<swf::Rgba> opaqueBackground;   // filled behind the content's bounds
    bool cacheAsBitmap = false;
    bool scriptColored = false;      // a script set the alpha
    MovieClip* parent = nullptr;
    std::string text;                // EditText: the text shown
    std::shared_ptr<avm1::Clip> script;   // EditText: what scripts see, once they look

private:
    ObjectKind m_kind;
    uint16_t m_characterId;
    uint64_t m_serial;
};

using DisplayList = std::map<int, std::unique_ptr<DisplayObject>>;

}  // namespace flash

#include "DisplayObject.h"

#include <atomic>

namespace flash {

namespace {
std::atomic<uint64_t> g_serials{0};
}

DisplayObject::DisplayObject(ObjectKind kind, uint16_t characterId)
    : m_kind(kind), m_characterId(characterId), m_serial(++g_serials)
{
}

uint64_t DisplayObject::lastSerial() { return g_serials.load(); }

void DisplayObject::applyPlacement(const swf::PlaceObject& place)
{
    if (place.matrix && !scriptMoved)
        matrix = *place.matrix;
    if (place.colorTransform && !scriptColored)
        colorTransform = *place.colorTransform;
    if (place.ratio)
        ratio = *place.ratio;
    if (place.name)
        name = *place.name;
    if (place.clipDepth)
        clipDepth = *place.clipDepth;
    if (place.blendMode)
        blendMode = render::blendModeFromByte(static_cast<uint8_t>(*place.blendMode));
    if (place.filters)
        filters = *place.filters;
    if (place.visible)
        visible = *place.visible;
    if (place.opaqueBackground)
        opaqueBackground = swf::Rgba{place.opaqueBackground->r, place.opaqueBackground->g,
                                     place.opaqueBackground->b, 255};
    if (place.cacheAsBitmap)
        cacheAsBitmap = *place.cacheAsBitmap;
}

}  // namespace flash

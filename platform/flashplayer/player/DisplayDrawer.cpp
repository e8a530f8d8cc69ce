#include "DisplayDrawer.h"

#include "AttachedBitmap.h"
#include "ButtonObject.h"
#include "Geometry.h"
#include "ScrollRect.h"
#include "MovieClip.h"
#include "TextFieldClip.h"
#include "TextLayout.h"
#include "NetStream.h"
#include "VideoObject.h"

#include <algorithm>
#include <cmath>

namespace flash {

render::Matrix toRender(const swf::Matrix& m)
{
    return {m.a, m.b, m.c, m.d, double(m.tx), double(m.ty)};
}

render::ColorTransform toRender(const swf::ColorTransform& cx)
{
    return {cx.rMul / 256.0f, cx.gMul / 256.0f, cx.bMul / 256.0f, cx.aMul / 256.0f,
            float(cx.rAdd), float(cx.gAdd), float(cx.bAdd), float(cx.aAdd)};
}

void DisplayDrawer::drawList(const DisplayList& list, const render::Matrix& m, const render::ColorTransform& cx,
                             int nesting)
{
    if (nesting > m_maxNesting)
        return;
    std::vector<int> openMasks;   // clip depths of the masks in force, innermost last
    for (const auto& [depth, object] : list) {
        while (!openMasks.empty() && depth > openMasks.back()) {
            m_renderer.popMask();
            openMasks.pop_back();
        }
        if (object->clipDepth > 0) {
            m_renderer.beginMask();
            ++m_insideMask;
            drawObject(*object, m, cx, nesting);
            --m_insideMask;
            m_renderer.endMask();
            openMasks.push_back(object->clipDepth);
            continue;
        }
        if (!object->visible)
            continue;
        const MovieClip* clip = object->asClip();
        if (clip && clip->maskedClip() && m_insideMask == 0)
            continue;   // a setMask mask is drawn only as the mask of the clip it masks
        const bool masked = clip && clip->dynamicMask() && m_insideMask == 0;
        if (masked)
            drawDynamicMask(*clip, m, nesting);
        const bool filtered = !object->filters.empty();
        const bool layered = filtered || object->blendMode != render::BlendMode::Normal;
        if (filtered)   // the colour transform tints the filtered result, so the layer takes it
            m_renderer.beginFilterLayer(object->filters, object->blendMode, cx * toRender(object->colorTransform));
        else if (layered)
            m_renderer.beginLayer(object->blendMode);
        if (object->opaqueBackground)
            drawOpaqueBackground(*object, m, filtered ? render::ColorTransform{} : cx);
        drawObject(*object, m, cx, nesting, !filtered);
        if (layered)
            m_renderer.endLayer();
        if (masked)
            m_renderer.popMask();
    }
    while (!openMasks.empty()) {
        m_renderer.popMask();
        openMasks.pop_back();
    }
}

void DisplayDrawer::drawClipContent(const MovieClip& clip, const render::Matrix& m, const render::ColorTransform& cx,
                                    int nesting)
{
    if (const swf::DecodedBitmap* picture = clip.loadedPicture()) {
        const render::ImageView view{reinterpret_cast<const uint8_t*>(picture->pixels.data()), picture->width,
                                     picture->height, picture->width * 4};
        m_renderer.drawVideoFrame(view, picture->width * 20.0, picture->height * 20.0, m, cx, m_smooth);
    }
    if (Drawing* drawing = clip.drawingIfAny())
        if (const render::ShapeId id = drawing->registered(m_renderer); id != render::kNoId)
            m_renderer.drawShape(id, m, cx);
    drawList(clip.children(), m, cx, nesting);
}

// A clip with a scroll rectangle shows that part of its content at its origin.
void DisplayDrawer::drawSprite(const MovieClip& clip, const render::Matrix& m, const render::ColorTransform& cx,
                               int nesting)
{
    const std::optional<swf::Rect> scroll = scrollRectOf(clip);
    if (!scroll) {
        drawClipContent(clip, m, cx, nesting);
        return;
    }
    const render::Matrix scrolled = m * render::Matrix::translate(-double(scroll->xMin), -double(scroll->yMin));
    if (m_insideMask > 0) {   // a mask's shape takes no mask of its own
        drawClipContent(clip, scrolled, cx, nesting);
        return;
    }
    const swf::Rgba white{255, 255, 255, 255};
    const render::ShapeId unit = m_library.box(swf::Rect{0, 20, 0, 20}, white, std::nullopt);
    m_renderer.beginMask();
    m_renderer.drawShape(unit, m * render::Matrix::scale(scroll->width() / 20.0, scroll->height() / 20.0),
                         render::ColorTransform{});
    m_renderer.endMask();
    drawClipContent(clip, scrolled, cx, nesting);
    m_renderer.popMask();
}

// Opens the mask a script set on `masked`. The mask clip may sit anywhere in the
// tree: its place relative to the masked clip's parent comes from both world matrices.
void DisplayDrawer::drawDynamicMask(const MovieClip& masked, const render::Matrix& parentMatrix, int nesting)
{
    const MovieClip& mask = *masked.dynamicMask();
    m_renderer.beginMask();
    render::Matrix toParent;
    const render::Matrix maskParent = mask.parent ? worldMatrix(*mask.parent) : render::Matrix{};
    const render::Matrix maskedParent = masked.parent ? worldMatrix(*masked.parent) : render::Matrix{};
    if (invert(maskedParent, toParent)) {
        ++m_insideMask;
        drawObject(mask, parentMatrix * toParent * maskParent, render::ColorTransform{}, nesting);
        --m_insideMask;
    }
    m_renderer.endMask();
}

void DisplayDrawer::drawObject(const DisplayObject& object, const render::Matrix& parentMatrix,
                               const render::ColorTransform& parentCx, int nesting, bool colored)
{
    const render::Matrix m = parentMatrix * toRender(object.matrix);
    const render::ColorTransform cx = colored ? parentCx * toRender(object.colorTransform) : render::ColorTransform{};
    const uint16_t id = object.characterId();
    switch (object.kind()) {
    case ObjectKind::Shape: m_renderer.drawShape(m_library.shape(id), m, cx); break;
    case ObjectKind::Morph: m_renderer.drawMorph(m_library.morph(id), object.ratio, m, cx); break;
    case ObjectKind::Bitmap:
        if (const auto* attached = dynamic_cast<const AttachedBitmap*>(&object))
            drawAttachedBitmap(*attached, m, cx);
        else
            m_renderer.drawBitmap(m_library.bitmap(id), m, cx, m_smooth);
        break;
    case ObjectKind::Text: drawText(object, m, cx); break;
    case ObjectKind::EditText: drawEditText(object, m, cx); break;
    case ObjectKind::Video: drawVideo(const_cast<VideoObject&>(static_cast<const VideoObject&>(object)), m, cx); break;
    case ObjectKind::Sprite:
        drawSprite(static_cast<const MovieClip&>(object), m, cx, nesting + 1);
        break;
    case ObjectKind::Button:
        drawList(const_cast<DisplayObject&>(object).asButton()->children(), m, cx, nesting + 1);
        break;
    }
}

// opaqueBackground: the object's bounds filled with the colour, under its content.
void DisplayDrawer::drawOpaqueBackground(const DisplayObject& object, const render::Matrix& parentMatrix,
                                         const render::ColorTransform& cx)
{
    const std::optional<swf::Rect> bounds = localBounds(m_library.movie(), object, 0);
    if (!bounds || bounds->width() <= 0 || bounds->height() <= 0)
        return;
    const swf::Rgba colour = *object.opaqueBackground;
    const render::ColorTransform tint =
        cx * render::ColorTransform{0, 0, 0, 1, float(colour.r), float(colour.g), float(colour.b), 0};
    const swf::Rgba white{255, 255, 255, 255};
    m_renderer.drawShape(m_library.box(*bounds, white, std::nullopt), parentMatrix * toRender(object.matrix), tint);
}

void DisplayDrawer::drawVideo(VideoObject& object, const render::Matrix& m, const render::ColorTransform& cx)
{
    const video::VideoImage* picture = nullptr;
    if (object.netStream) {
        if (object.netStream->frameIndex() != object.clearedFrame)
            picture = object.netStream->picture();
    } else {
        picture = object.pictureFor(object.ratio);
    }
    if (!picture)
        return;
    const render::ImageView view{reinterpret_cast<const uint8_t*>(picture->pixels.data()), picture->width,
                                 picture->height, picture->width * 4};
    const swf::VideoStream& s = object.stream();
    const double w = (s.width ? s.width : picture->width) * 20.0;
    const double h = (s.height ? s.height : picture->height) * 20.0;
    m_renderer.drawVideoFrame(view, w, h, m, cx, s.smoothing);
}

void DisplayDrawer::drawAttachedBitmap(const AttachedBitmap& object, const render::Matrix& m,
                                       const render::ColorTransform& cx)
{
    const BitmapSurface& b = object.pixels();
    if (b.disposed() || b.width() <= 0)
        return;
    const render::ImageView view{reinterpret_cast<const uint8_t*>(b.premultiplied().data()), b.width(), b.height(),
                                 b.width() * 4};
    m_renderer.drawVideoFrame(view, b.width() * 20.0, b.height() * 20.0, m, cx, object.smoothing() && m_smooth);
}

void DisplayDrawer::drawText(const DisplayObject& object, const render::Matrix& m, const render::ColorTransform& cx)
{
    const swf::Text* text = m_library.movie().find<swf::Text>(object.characterId());
    if (!text)
        return;
    const std::vector<render::GlyphInstance> glyphs = layoutStaticText(*text, m_library);
    if (!glyphs.empty())
        m_renderer.drawGlyphs(glyphs, m * toRender(text->matrix), cx);
}

void DisplayDrawer::drawEditText(const DisplayObject& object, const render::Matrix& m,
                                 const render::ColorTransform& cx)
{
    const swf::EditText* edit = fieldSettings(object, m_library.movie());
    if (!edit)
        return;
    const FieldLook look = fieldLook(object, *edit);
    if (look.border || look.background)
        drawFieldBox(edit->bounds, look.background ? std::optional(look.backgroundColor) : std::nullopt,
                     look.border ? std::optional(look.borderColor) : std::nullopt, m, cx);
    const EditTextRuns runs = layoutEditText(*edit, object.text, m_library, fieldView(object));
    if (!runs.glyphs.empty())
        m_renderer.drawGlyphs(runs.glyphs, m, cx);
    for (const auto& [run, origin] : runs.deviceRuns)
        m_renderer.drawDeviceText(run, m * render::Matrix::translate(origin.x, origin.y), cx);
}

void DisplayDrawer::drawFieldBox(const swf::Rect& bounds, std::optional<swf::Rgba> fill,
                                 std::optional<swf::Rgba> border, const render::Matrix& m,
                                 const render::ColorTransform& cx)
{
    // Parts are white shapes tinted to their colour, so scripts changing colours never
    // register more shapes.
    auto tint = [&](swf::Rgba colour) {
        return cx * render::ColorTransform{0, 0, 0, colour.a / 255.0f, float(colour.r), float(colour.g),
                                           float(colour.b), 0};
    };
    const swf::Rgba white{255, 255, 255, 255};
    const render::Matrix device = m_stageToSurface * m;
    render::Matrix toStage;
    // Upright enough when turning moves no corner of the box by half a pixel.
    const double turnX = std::abs(device.c) * (bounds.yMax - bounds.yMin);
    const double turnY = std::abs(device.b) * (bounds.xMax - bounds.xMin);
    const bool upright = device.a > 0 && device.d > 0 && turnX < 0.5 && turnY < 0.5;
    if (!upright || !invert(m_stageToSurface, toStage)) {
        if (fill)
            m_renderer.drawShape(m_library.box(bounds, white, std::nullopt), m, tint(*fill));
        if (border)
            m_renderer.drawShape(m_library.box(bounds, std::nullopt, white), m, tint(*border));
        return;
    }
    // Upright, the box sits on whole pixels: its corners round to the nearest pixel, the
    // background covers the pixels between them and the border is one pixel wide, on
    // the pixels right of and below each edge (all but the bottom right corner).
    constexpr double kFar = 1 << 24;
    auto pixel = [&](double v) { return std::round(std::clamp(v, -kFar, kFar)); };
    const double ax = pixel(device.mapX(bounds.xMin, bounds.yMin)), bx = pixel(device.mapX(bounds.xMax, bounds.yMax));
    const double ay = pixel(device.mapY(bounds.xMin, bounds.yMin)), by = pixel(device.mapY(bounds.xMax, bounds.yMax));
    const double x0 = std::min(ax, bx), x1 = std::max(ax, bx), y0 = std::min(ay, by), y1 = std::max(ay, by);
    // One square of a pixel, stretched for each part.
    const render::ShapeId unit = m_library.box(swf::Rect{0, 20, 0, 20}, white, std::nullopt);
    auto part = [&](double x, double y, double w, double h, swf::Rgba colour) {
        if (w <= 0 || h <= 0)
            return;
        m_renderer.drawShape(unit, toStage * render::Matrix::translate(x, y) * render::Matrix::scale(w / 20, h / 20),
                             tint(colour));
    };
    if (fill)
        part(x0, y0, x1 - x0, y1 - y0, *fill);
    if (border) {
        part(x0, y0, x1 - x0 + 1, 1, *border);
        part(x0, y0 + 1, 1, y1 - y0, *border);
        part(x1, y0 + 1, 1, y1 - y0 - 1, *border);
        part(x0 + 1, y1, x1 - x0 - 1, 1, *border);
    }
}

}  // namespace flash

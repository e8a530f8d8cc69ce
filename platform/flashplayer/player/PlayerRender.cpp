// Drawing a frame, and the geometry scripts ask for (bounds, mouse position).
#include "PlayerCore.h"

#include "AttachedBitmap.h"
#include "ButtonObject.h"
#include "DisplayDrawer.h"
#include "Geometry.h"
#include "TextFieldClip.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

render::Quality toRenderQuality(Quality q)
{
    switch (q) {
    case Quality::Low:
    case Quality::AutoLow: return render::Quality::Low;
    case Quality::Medium: return render::Quality::Medium;
    case Quality::High:
    case Quality::AutoHigh: return render::Quality::High;
    case Quality::Best: return render::Quality::Best;
    }
    return render::Quality::High;
}

void unite(std::optional<swf::Rect>& into, const swf::Rect& r)
{
    if (!into) {
        into = r;
        return;
    }
    into->xMin = std::min(into->xMin, r.xMin);
    into->xMax = std::max(into->xMax, r.xMax);
    into->yMin = std::min(into->yMin, r.yMin);
    into->yMax = std::max(into->yMax, r.yMax);
}

}  // namespace

// Bounds of a character instance in its own space, children included.
std::optional<swf::Rect> localBounds(const swf::Movie& movie, const DisplayObject& object, int nesting)
{
    if (nesting > 64)
        return std::nullopt;
    const swf::Character* c = movie.character(object.characterId());
    if (object.kind() == ObjectKind::Sprite || object.kind() == ObjectKind::Button) {
        const DisplayList& list = object.kind() == ObjectKind::Sprite
            ? static_cast<const MovieClip&>(object).children()
            : const_cast<DisplayObject&>(object).asButton()->children();
        std::optional<swf::Rect> all;
        if (object.kind() == ObjectKind::Sprite)
            if (const swf::DecodedBitmap* picture = static_cast<const MovieClip&>(object).loadedPicture())
                unite(all, swf::Rect{0, picture->width * 20, 0, picture->height * 20});
        if (object.kind() == ObjectKind::Sprite)
            if (const Drawing* drawing = static_cast<const MovieClip&>(object).drawingIfAny())
                if (const auto r = drawing->bounds())
                    unite(all, *r);
        for (const auto& [depth, child] : list)
            if (auto r = localBounds(movie, *child, nesting + 1))
                unite(all, transformRect(*r, toRender(child->matrix)));
        return all;
    }
    if (object.kind() == ObjectKind::EditText)
        if (const swf::EditText* e = fieldSettings(object, movie))
            return e->bounds;
    if (const auto* attached = dynamic_cast<const AttachedBitmap*>(&object))
        return swf::Rect{0, attached->pixels().width() * 20, 0, attached->pixels().height() * 20};
    if (!c)
        return std::nullopt;
    if (const auto* s = std::get_if<swf::Shape>(c))
        return s->bounds;
    if (const auto* m = std::get_if<swf::MorphShape>(c))
        return object.ratio < 32768 ? m->startBounds : m->endBounds;
    if (const auto* t = std::get_if<swf::Text>(c))
        return transformRect(t->bounds, toRender(t->matrix));
    if (const auto* e = std::get_if<swf::EditText>(c))
        return e->bounds;
    if (const auto* v = std::get_if<swf::VideoStream>(c))
        return swf::Rect{0, v->width * 20, 0, v->height * 20};
    if (const auto* b = std::get_if<swf::Bitmap>(c))
        return swf::Rect{0, b->width * 20, 0, b->height * 20};
    return std::nullopt;
}

namespace {

bool insideRect(const swf::Rect& r, double x, double y)
{
    return x >= r.xMin && x <= r.xMax && y >= r.yMin && y <= r.yMax;
}

// Does the stage point lie on the fills and strokes of `object`, drawn with `world`?
bool hitObject(Library& library, const DisplayObject& object, const render::Matrix& world, double x, double y,
               int nesting)
{
    if (nesting > 64)
        return false;
    render::Matrix toLocal;
    if (!invert(world, toLocal))
        return false;
    const double lx = toLocal.mapX(x, y), ly = toLocal.mapY(x, y);
    render::Renderer& renderer = library.renderer();
    const uint16_t id = object.characterId();
    switch (object.kind()) {
    case ObjectKind::Shape: return renderer.hitTest(library.shape(id), lx, ly);
    case ObjectKind::Morph: return renderer.hitTestMorph(library.morph(id), object.ratio, lx, ly);
    case ObjectKind::Sprite:
    case ObjectKind::Button: {
        DisplayObject& self = const_cast<DisplayObject&>(object);
        if (MovieClip* clip = self.asClip())
            if (Drawing* drawing = clip->drawingIfAny(); drawing && drawing->hitTest(renderer, lx, ly))
                return true;
        const DisplayList& list = self.asClip() ? self.asClip()->children() : self.asButton()->children();
        for (const auto& [depth, child] : list)
            if (child->clipDepth == 0 && hitObject(library, *child, world * toRender(child->matrix), x, y, nesting + 1))
                return true;
        return false;
    }
    default: {
        const std::optional<swf::Rect> r = localBounds(library.movie(), object, nesting);
        return r && insideRect(*r, lx, ly);
    }
    }
}

}  // namespace

void PlayerCore::updateEditTexts(MovieClip& clip, int nesting)
{
    if (nesting > m_limits.maxNestingDepth)
        return;
    for (auto& [depth, child] : clip.children()) {
        if (MovieClip* sub = child->asClip()) {
            updateEditTexts(*sub, nesting + 1);
        } else if (child->kind() == ObjectKind::EditText) {
            const swf::EditText* field = m_movie->find<swf::EditText>(child->characterId());
            if (field && !field->variableName.empty()) {
                const avm1::Value v = m_interpreter->getVariable(field->variableName, clip);
                if (!v.isUndefined())
                    child->text = avm1::toString(v, swfVersion());
            }
        }
    }
}

void PlayerCore::render(const PixelBuffer& target, int originX, int originY)
{
    if (!target.pixels || target.width <= 0 || target.height <= 0)
        return;
    render::FrameSetup setup;
    setup.surface = {target.pixels, target.width, target.height, target.stride};
    setup.viewport = {originX, originY, viewWidth(), viewHeight()};
    setup.hasBackground = !m_transparent;
    const uint32_t bg = backgroundColor();
    setup.background = {uint8_t(bg >> 16), uint8_t(bg >> 8), uint8_t(bg), 255};
    setup.stageToSurface = render::Matrix::translate(originX, originY) * stageMatrix();
    setup.quality = toRenderQuality(m_quality);
    if (!m_renderer->beginFrame(setup))
        return;
    if (m_root) {
        updateEditTexts(*m_root, 0);
        DisplayDrawer drawer(*m_library, m_limits.maxNestingDepth, setup.quality >= render::Quality::High);
        drawer.setStageToSurface(setup.stageToSurface);
        drawer.drawClipContent(*m_root, render::Matrix{}, render::ColorTransform{}, 0);
        drawFocusRect(setup.stageToSurface);
    }
    m_renderer->endFrame();
    m_dirty = false;
}

swf::Rect PlayerCore::boundsInParent(const DisplayObject& object)
{
    if (!m_movie)
        return {};
    const std::optional<swf::Rect> r = localBounds(*m_movie, object, 0);
    return r ? transformRect(*r, toRender(object.matrix)) : swf::Rect{};
}

std::optional<swf::Rect> PlayerCore::boundsInSelf(const DisplayObject& object)
{
    return m_movie ? localBounds(*m_movie, object, 0) : std::nullopt;
}

bool PlayerCore::hitTest(const DisplayObject& object, double stageX, double stageY, bool shape)
{
    if (!m_movie || !m_library)
        return false;
    const render::Matrix world = worldMatrix(object);
    if (shape)
        return hitObject(*m_library, object, world, stageX, stageY, 0);
    const std::optional<swf::Rect> r = localBounds(*m_movie, object, 0);
    return r && insideRect(transformRect(*r, world), stageX, stageY);
}

std::array<double, 2> PlayerCore::stageSizePixels() const
{
    return {double(stageWidth()), double(stageHeight())};
}

swf::Point PlayerCore::mouseIn(const MovieClip& clip) const
{
    render::Matrix inverse;
    if (!invert(worldMatrix(clip), inverse))
        return {};
    return {swf::Twips(std::clamp(inverse.mapX(m_mouse.x, m_mouse.y), -1e9, 1e9)),
            swf::Twips(std::clamp(inverse.mapY(m_mouse.x, m_mouse.y), -1e9, 1e9))};
}

}  // namespace flash

namespace flash {

std::shared_ptr<BitmapSurface> PlayerCore::exportedBitmap(const std::string& name)
{
    if (!m_movie)
        return nullptr;
    for (const swf::ExportedAsset& asset : m_movie->exports) {
        if (asset.name != name || !m_movie->find<swf::Bitmap>(asset.id))
            continue;
        swf::Result<swf::DecodedBitmap> decoded = m_movie->decodeBitmap(asset.id);
        if (!decoded.ok())
            return nullptr;
        swf::DecodedBitmap& d = decoded.value();
        const swf::BitmapKind kind = m_movie->find<swf::Bitmap>(asset.id)->kind;
        const bool alpha = kind == swf::BitmapKind::Lossless2 || kind == swf::BitmapKind::Jpeg3 || kind == swf::BitmapKind::Jpeg4;
        return BitmapSurface::fromPremultiplied(d.width, d.height, std::move(d.pixels), alpha);
    }
    return nullptr;
}

// The clip is drawn into a copy of the pixels: the bitmap may be shown inside it.
void PlayerCore::drawClip(avm1::Clip& source, BitmapSurface& target, const std::array<double, 6>& matrix,
                          const std::array<double, 8>& colour, const std::array<int, 4>& clip, bool smoothing)
{
    auto* movieClip = dynamic_cast<MovieClip*>(&source);
    if (!movieClip || !m_library || !m_renderer || target.disposed() || m_rendering)
        return;
    for (double v : matrix)
        if (!std::isfinite(v) || std::fabs(v) > 1e7)
            return;
    const PixelBox box = target.clip({clip[0], clip[1], clip[2], clip[3]});
    if (box.width <= 0)
        return;
    std::vector<uint32_t> pixels = target.premultiplied();
    render::FrameSetup setup;
    setup.surface = {reinterpret_cast<uint8_t*>(pixels.data()), target.width(), target.height(), target.width() * 4};
    setup.viewport = {box.x, box.y, box.width, box.height};
    setup.hasBackground = false;
    setup.stageToSurface =
        render::Matrix{matrix[0], matrix[1], matrix[2], matrix[3], matrix[4], matrix[5]} * render::Matrix::scale(1 / 20.0, 1 / 20.0);
    setup.quality = smoothing ? render::Quality::High : toRenderQuality(m_quality);
    auto channel = [](double v, double lo, double hi) { return float(std::isfinite(v) ? std::clamp(v, lo, hi) : 0); };
    const render::ColorTransform cx{channel(colour[0], -256, 256), channel(colour[1], -256, 256),
                                    channel(colour[2], -256, 256), channel(colour[3], -256, 256),
                                    channel(colour[4], -65536, 65536), channel(colour[5], -65536, 65536),
                                    channel(colour[6], -65536, 65536), channel(colour[7], -65536, 65536)};
    if (!m_renderer->beginFrame(setup))
        return;
    m_rendering = true;
    DisplayDrawer drawer(*m_library, m_limits.maxNestingDepth, setup.quality >= render::Quality::High);
    drawer.setStageToSurface(setup.stageToSurface);
    drawer.drawClipContent(*movieClip, render::Matrix{}, cx, movieClip->nesting());
    m_renderer->endFrame();
    m_rendering = false;
    target.replacePixels(std::move(pixels));
}

}  // namespace flash

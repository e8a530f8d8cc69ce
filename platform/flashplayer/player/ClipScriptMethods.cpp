// The clip methods scripts call beyond the timeline: the drawing, empty clips made
// by script, dynamic masks, bounds and hit tests.
#include "MovieClip.h"

#include "AttachedBitmap.h"
#include "Geometry.h"
#include "TextFieldClip.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

// Script depth 0 is this display-list depth: the timeline's depths lie below it.
constexpr int kScriptDepthBase = 16384;
constexpr int kMaxScriptDepth = 2130690045;

const swf::Timeline& emptyTimeline()
{
    static const swf::Timeline timeline;
    return timeline;
}

}  // namespace

Drawing& MovieClip::drawing()
{
    if (!m_drawing)
        m_drawing = std::make_unique<Drawing>(m_context.drawingBudget());
    m_context.invalidate();   // a script takes it to draw
    return *m_drawing;
}

avm1::Clip* MovieClip::createEmptyClip(const std::string& instanceName, int scriptDepth)
{
    if (m_nesting >= m_context.maxNestingDepth())
        return nullptr;
    const int d = std::clamp(scriptDepth, -kScriptDepthBase, kMaxScriptDepth) + kScriptDepthBase;
    remove(d);
    auto clip = std::make_unique<MovieClip>(m_context, emptyTimeline(), 0, this);
    clip->depth = d;
    clip->placeFrame = -1;
    clip->name = instanceName.empty() ? m_context.newInstanceName() : instanceName;
    MovieClip* made = clip.get();
    m_children[d] = std::move(clip);
    m_context.invalidate();
    return made;
}

avm1::Clip* MovieClip::createTextField(const std::string& instanceName, int scriptDepth, const swf::Rect& bounds)
{
    const int d = std::clamp(scriptDepth, -kScriptDepthBase, kMaxScriptDepth) + kScriptDepthBase;
    remove(d);
    auto field = std::make_unique<DisplayObject>(ObjectKind::EditText, 0);
    field->depth = d;
    field->placeFrame = -1;
    field->parent = this;
    field->name = instanceName.empty() ? m_context.newInstanceName() : instanceName;
    swf::EditText settings;
    settings.bounds = bounds;
    settings.readOnly = true;
    TextFieldClip& script = scriptOf(*field, m_context.swfVersion() >= 7, &m_context, &settings);
    m_children[d] = std::move(field);
    m_context.invalidate();
    return &script;
}

bool MovieClip::removeScriptObject(int d)
{
    auto it = m_children.find(d);
    if (it == m_children.end() || it->second->placeFrame >= 0)
        return false;
    remove(d);
    m_context.invalidate();
    return true;
}

bool MovieClip::attachBitmap(std::shared_ptr<BitmapSurface> bitmap, int scriptDepth, bool smoothing)
{
    if (!bitmap)
        return false;
    const int d = std::clamp(scriptDepth, -kScriptDepthBase, kMaxScriptDepth) + kScriptDepthBase;
    remove(d);
    auto object = std::make_unique<AttachedBitmap>(std::move(bitmap), smoothing);
    object->depth = d;
    object->placeFrame = -1;
    object->parent = this;
    m_children[d] = std::move(object);
    m_context.invalidate();
    return true;
}

int MovieClip::displayDepth(int script) { return std::clamp(script, -kScriptDepthBase, kMaxScriptDepth) + kScriptDepthBase; }
int MovieClip::scriptDepth(int display) { return display - kScriptDepthBase; }

DisplayObject* MovieClip::objectAtDepth(int display)
{
    auto it = m_children.find(display);
    return it == m_children.end() ? nullptr : it->second.get();
}

MovieClip* MovieClip::attachMovie(const std::string& linkage, const std::string& instanceName, int script)
{
    const uint16_t id = m_context.exportedCharacter(linkage);
    if (!id || m_nesting >= m_context.maxNestingDepth())
        return nullptr;
    const int d = displayDepth(script);
    std::unique_ptr<DisplayObject> object = makeInstance(id, d, -1);
    MovieClip* clip = object ? object->asClip() : nullptr;
    if (!clip)
        return nullptr;
    remove(d);
    clip->placeFrame = -1;
    clip->name = instanceName.empty() ? m_context.newInstanceName() : instanceName;
    m_children[d] = std::move(object);
    m_context.invalidate();
    return clip;
}

MovieClip* MovieClip::duplicate(const std::string& instanceName, int script)
{
    MovieClip* into = parent;
    if (!into)
        return nullptr;
    const int d = displayDepth(script);
    if (d == depth)
        return nullptr;   // it would replace itself
    std::unique_ptr<DisplayObject> object = into->makeInstance(characterId(), d, -1);
    MovieClip* clip = object ? object->asClip() : nullptr;
    if (!clip)
        return nullptr;
    clip->matrix = matrix;
    clip->colorTransform = colorTransform;
    clip->blendMode = blendMode;
    clip->filters = filters;
    clip->visible = visible;
    clip->scriptMoved = clip->scriptColored = true;
    clip->clipEvents = clipEvents;
    clip->placeFrame = -1;
    clip->name = instanceName.empty() ? m_context.newInstanceName() : instanceName;
    into->remove(d);
    into->m_children[d] = std::move(object);
    m_context.invalidate();
    return clip;
}

void MovieClip::swapDepthWith(int to)
{
    MovieClip* owner = parent;
    if (!owner || to == depth)
        return;
    DisplayList& list = owner->m_children;
    auto mine = list.find(depth);
    if (mine == list.end())
        return;
    std::unique_ptr<DisplayObject> self = std::move(mine->second);
    list.erase(mine);
    auto other = list.find(to);
    if (other != list.end()) {
        std::unique_ptr<DisplayObject> moved = std::move(other->second);
        list.erase(other);
        moved->depth = depth;
        // A timeline object moved by script is no longer the timeline's.
        moved->placeFrame = -1;
        list[depth] = std::move(moved);
    }
    self->depth = to;
    self->placeFrame = -1;
    list[to] = std::move(self);
    m_context.invalidate();
}

int MovieClip::nextHighestDepth() const
{
    if (m_children.empty())
        return 0;
    return std::max(0, m_children.rbegin()->first - kScriptDepthBase + 1);
}

bool MovieClip::setMask(avm1::Clip* mask)
{
    auto* clip = dynamic_cast<MovieClip*>(mask);
    if (mask && (!clip || clip == this))
        return false;
    if (m_mask)
        m_mask->m_maskedClip = nullptr;
    m_mask = nullptr;
    if (clip) {
        // A clip masks one clip at a time: the one it masked before goes unmasked.
        if (clip->m_maskedClip)
            clip->m_maskedClip->m_mask = nullptr;
        clip->m_maskedClip = this;
        m_mask = clip;
    }
    m_context.invalidate();
    return true;
}

void MovieClip::dropMaskLinks()
{
    if (m_mask)
        m_mask->m_maskedClip = nullptr;
    if (m_maskedClip)
        m_maskedClip->m_mask = nullptr;
    m_mask = m_maskedClip = nullptr;
}

std::array<double, 4> MovieClip::boundsIn(avm1::Clip* space)
{
    std::optional<swf::Rect> r = m_context.boundsInSelf(*this);
    if (!r)
        return {avm1::kEmptyBounds, avm1::kEmptyBounds, avm1::kEmptyBounds, avm1::kEmptyBounds};
    auto* target = dynamic_cast<MovieClip*>(space);
    render::Matrix fromTarget;
    if (target && target != this && invert(worldMatrix(*target), fromTarget))
        r = transformRect(*r, fromTarget * worldMatrix(*this));
    return {r->xMin / 20.0, r->xMax / 20.0, r->yMin / 20.0, r->yMax / 20.0};
}

bool MovieClip::hitTestPoint(double stageX, double stageY, bool shape)
{
    if (!std::isfinite(stageX) || !std::isfinite(stageY))
        return false;
    return m_context.hitTest(*this, stageX * 20.0, stageY * 20.0, shape);
}

}  // namespace flash

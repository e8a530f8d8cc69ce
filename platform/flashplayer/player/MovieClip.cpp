#include "MovieClip.h"

#include "VideoClip.h"
#include "VideoObject.h"

#include "ButtonObject.h"
#include "TextFieldClip.h"

#include <algorithm>
#include <cctype>

namespace flash {

namespace {

bool sameName(std::string_view a, std::string_view b, bool caseSensitive)
{
    if (a.size() != b.size())
        return false;
    if (caseSensitive)
        return a == b;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Folds one PlaceObject into the state a depth has accumulated since it was placed.
void merge(swf::PlaceObject& into, const swf::PlaceObject& p)
{
    if (p.matrix) into.matrix = p.matrix;
    if (p.colorTransform) into.colorTransform = p.colorTransform;
    if (p.ratio) into.ratio = p.ratio;
    if (p.name) into.name = p.name;
    if (p.clipDepth) into.clipDepth = p.clipDepth;
    if (p.blendMode) into.blendMode = p.blendMode;
    if (p.filters) into.filters = p.filters;
    if (p.visible) into.visible = p.visible;
    if (p.characterId) into.characterId = p.characterId;
    if (!p.clipActions.empty()) into.clipActions = p.clipActions;
}

}  // namespace

MovieClip::MovieClip(ClipContext& context, const swf::Timeline& timeline, uint16_t characterId,
                     MovieClip* parentClip)
    : DisplayObject(ObjectKind::Sprite, characterId), m_context(context), m_timeline(timeline),
      m_variables(std::make_shared<avm1::Object>(context.swfVersion() >= 7))
{
    parent = parentClip;
    m_nesting = parentClip ? parentClip->m_nesting + 1 : 0;
}

MovieClip::~MovieClip() { dropMaskLinks(); }

int MovieClip::frameCount() const { return static_cast<int>(m_timeline.frames.size()); }

void MovieClip::enterFirstFrame()
{
    if (frameCount() == 0)
        return;
    applyFrame(0, true);
    m_frame = 0;
}

void MovieClip::startScriptMade()
{
    queueClipEvent(swf::ClipEventInitialize | swf::ClipEventConstruct);
    enterFirstFrame();
}

void MovieClip::queueClipEvent(uint32_t eventBit)
{
    for (const swf::ClipAction& action : clipEvents)
        if (action.events & eventBit)
            m_context.queueActions(action.actions, *this);
    // The handlers scripts set on the clip answer the same events.
    static const std::pair<uint32_t, const char*> handlers[] = {
        {swf::ClipEventEnterFrame, "onEnterFrame"}, {swf::ClipEventLoad, "onLoad"},
        {swf::ClipEventUnload, "onUnload"}, {swf::ClipEventMouseDown, "onMouseDown"},
        {swf::ClipEventMouseUp, "onMouseUp"}, {swf::ClipEventMouseMove, "onMouseMove"},
        {swf::ClipEventKeyDown, "onKeyDown"}, {swf::ClipEventKeyUp, "onKeyUp"}, {swf::ClipEventData, "onData"}};
    for (const auto& [bit, name] : handlers)
        if ((eventBit & bit) && m_variables->has(name))
            m_context.queueMethod(*this, name);
}

void MovieClip::tick(bool loop)
{
    // Children made by this very advance show their first frame this time round;
    // only the older ones move on.
    const uint64_t before = DisplayObject::lastSerial();
    queueClipEvent(swf::ClipEventEnterFrame);
    if (m_playing && frameCount() > 0) {
        // A one-frame timeline that loops stays where it is without running its
        // frame again; without looping it stops like any other on its last frame.
        if (m_frame + 1 < frameCount())
            gotoFrameIndex(m_frame + 1, true);
        else if (!loop)
            m_playing = false;
        else if (frameCount() > 1)
            gotoFrameIndex(0, true);
    }
    std::vector<DisplayObject*> animated;
    for (auto& [depth, child] : m_children)
        if ((child->asClip() || child->asButton()) && child->serial() <= before)
            animated.push_back(child.get());
    for (DisplayObject* child : animated) {
        if (MovieClip* clip = child->asClip())
            clip->tick(true);
        else
            child->asButton()->tick();
    }
}

void MovieClip::gotoFrameIndex(int target, bool runActions)
{
    if (frameCount() == 0)
        return;
    target = std::clamp(target, 0, frameCount() - 1);
    if (target == m_frame)
        return;
    if (target > m_frame) {
        for (int f = m_frame + 1; f <= target; ++f)
            applyFrame(f, runActions && f == target);
    } else {
        rebuildTo(target);
        if (runActions)
            for (const swf::ControlTag& tag : m_timeline.frames[target].tags) {
                if (const auto* action = std::get_if<swf::DoAction>(&tag))
                    m_context.queueActions(action->actions, *this);
                else if (const auto* sound = std::get_if<swf::StartSound>(&tag))
                    m_context.startSound(*sound, *this);
                else if (const auto* block = std::get_if<swf::SoundStreamBlock>(&tag))
                    m_context.soundStreamBlock(*block, *this, target);
            }
    }
    m_frame = target;
    m_context.invalidate();
}

void MovieClip::applyFrame(int frame, bool runActions)
{
    for (const swf::ControlTag& tag : m_timeline.frames[frame].tags) {
        if (const auto* p = std::get_if<swf::PlaceObject>(&tag))
            place(*p, frame);
        else if (const auto* r = std::get_if<swf::RemoveObject>(&tag))
            remove(r->depth);
        else if (const auto* a = std::get_if<swf::DoAction>(&tag)) {
            if (runActions)
                m_context.queueActions(a->actions, *this);
        } else if (const auto* init = std::get_if<swf::DoInitAction>(&tag))
            m_context.queueInitActions(*init);
        else if (const auto* sound = std::get_if<swf::StartSound>(&tag)) {
            // Frames a goto passes over are not heard.
            if (runActions)
                m_context.startSound(*sound, *this);
        } else if (const auto* block = std::get_if<swf::SoundStreamBlock>(&tag)) {
            if (runActions)
                m_context.soundStreamBlock(*block, *this, frame);
        }
    }
    m_context.invalidate();
}

std::unique_ptr<DisplayObject> MovieClip::makeInstance(uint16_t characterId, int depth, int frame)
{
    if (m_nesting >= m_context.maxNestingDepth())
        return nullptr;
    std::unique_ptr<DisplayObject> object = m_context.instantiate(characterId, this);
    if (!object)
        return nullptr;
    object->depth = depth;
    object->placeFrame = frame;
    object->parent = this;
    return object;
}

void MovieClip::place(const swf::PlaceObject& p, int frame)
{
    auto it = m_children.find(p.depth);
    DisplayObject* existing = it == m_children.end() ? nullptr : it->second.get();
    if (existing && p.move && (!p.characterId || *p.characterId == existing->characterId())) {
        existing->applyPlacement(p);
        return;
    }
    if (!p.characterId)
        return;   // nothing to place
    if (existing && !p.move) {
        // A plain place onto an occupied depth puts a new instance there in place of
        // the old one, which goes with everything it had.
        remove(p.depth);
        existing = nullptr;
    }
    std::unique_ptr<DisplayObject> object = makeInstance(*p.characterId, p.depth, frame);
    if (!object)
        return;
    if (existing) {
        // Replace: the new character takes over the old one's properties.
        object->placeFrame = existing->placeFrame;
        object->matrix = existing->matrix;
        object->colorTransform = existing->colorTransform;
        object->ratio = existing->ratio;
        object->name = existing->name;
        object->clipDepth = existing->clipDepth;
        object->blendMode = existing->blendMode;
        object->filters = existing->filters;
    }
    object->applyPlacement(p);
    MovieClip* clip = object->asClip();
    if (clip) {
        if (clip->name.empty())
            clip->name = m_context.newInstanceName();
        clip->clipEvents = p.clipActions;
    }
    m_children[p.depth] = std::move(object);
    if (clip) {
        m_context.queueConstruct(*clip);
        clip->queueClipEvent(swf::ClipEventInitialize | swf::ClipEventConstruct);
        clip->enterFirstFrame();
        clip->queueClipEvent(swf::ClipEventLoad);
    }
}

void MovieClip::replaceContent(std::shared_ptr<const swf::DecodedBitmap> picture)
{
    std::vector<int> depths;
    for (const auto& [depth, child] : m_children)
        depths.push_back(depth);
    for (int depth : depths)
        remove(depth);
    m_drawing.reset();
    m_playing = false;
    m_picture = std::move(picture);
    m_context.invalidate();
}

void MovieClip::remove(int depth)
{
    auto it = m_children.find(depth);
    if (it == m_children.end())
        return;
    if (MovieClip* clip = it->second->asClip())
        clip->queueClipEvent(swf::ClipEventUnload);
    m_children.erase(it);
}

// Replays frames 0..target on plain placement records and reconciles the live list
// with the result: survivors keep their state (their own playhead, variables).
void MovieClip::rebuildTo(int target)
{
    struct Slot {
        int placeFrame;
        swf::PlaceObject state;
    };
    std::map<int, Slot> slots;
    for (int f = 0; f <= target; ++f) {
        for (const swf::ControlTag& tag : m_timeline.frames[f].tags) {
            if (const auto* p = std::get_if<swf::PlaceObject>(&tag)) {
                auto it = slots.find(p->depth);
                if (it != slots.end() && p->move)
                    merge(it->second.state, *p);
                else if (p->characterId && (it == slots.end() || !p->move))
                    slots[p->depth] = Slot{f, *p};
            } else if (const auto* r = std::get_if<swf::RemoveObject>(&tag)) {
                slots.erase(r->depth);
            }
        }
    }
    for (auto it = m_children.begin(); it != m_children.end();) {
        DisplayObject& child = *it->second;
        auto slot = slots.find(it->first);
        const bool survives = child.placeFrame < 0 ||
            (slot != slots.end() && slot->second.placeFrame == child.placeFrame &&
             slot->second.state.characterId == child.characterId());
        if (!survives) {
            if (MovieClip* clip = child.asClip())
                clip->queueClipEvent(swf::ClipEventUnload);
            it = m_children.erase(it);
            continue;
        }
        if (slot != slots.end()) {
            swf::PlaceObject state = slot->second.state;
            if (!state.colorTransform)
                state.colorTransform = swf::ColorTransform{};
            if (!state.matrix)
                state.matrix = swf::Matrix{};
            if (!state.filters)
                state.filters = std::vector<swf::Filter>{};
            child.applyPlacement(state);
            slots.erase(slot);
        }
        ++it;
    }
    for (auto& [depth, slot] : slots) {
        swf::PlaceObject p = slot.state;
        p.move = false;
        place(p, slot.placeFrame);
    }
}

void MovieClip::nextFrame()
{
    m_playing = false;
    gotoFrameIndex(m_frame + 1, true);
}

void MovieClip::prevFrame()
{
    m_playing = false;
    if (m_frame > 0)
        gotoFrameIndex(m_frame - 1, true);
}

void MovieClip::gotoFrame(int frame, bool andPlay)
{
    m_playing = andPlay;
    gotoFrameIndex(frame, true);
}

bool MovieClip::gotoLabel(std::string_view label, bool andPlay)
{
    const int frame = frameOfLabel(label);
    if (frame < 0)
        return false;
    gotoFrame(frame, andPlay);
    return true;
}

int MovieClip::frameOfLabel(std::string_view label) const
{
    for (const swf::FrameLabel& l : m_timeline.labels)
        if (sameName(l.name, label, false) && l.frame < m_timeline.frames.size())
            return static_cast<int>(l.frame);
    return -1;
}

std::string MovieClip::targetPath() const
{
    if (!parent)
        return "_level0";
    return parent->targetPath() + "." + name;
}

avm1::Clip* MovieClip::parentClip() { return parent; }

MovieClip* MovieClip::findChildClip(std::string_view instanceName)
{
    const bool caseSensitive = m_context.swfVersion() >= 7;
    for (auto& [depth, child] : m_children)
        if (MovieClip* clip = child->asClip())
            if (sameName(clip->name, instanceName, caseSensitive))
                return clip;
    return nullptr;
}

avm1::Clip* MovieClip::childClip(std::string_view instanceName)
{
    if (MovieClip* clip = findChildClip(instanceName))
        return clip;
    const bool caseSensitive = m_context.swfVersion() >= 7;
    // Of text fields sharing a name the topmost answers: scripts that make one field
    // after another under one name go on with the one just made.
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if (it->second->kind() == ObjectKind::EditText && sameName(it->second->name, instanceName, caseSensitive))
            return &scriptOf(*it->second, caseSensitive, &m_context);
    for (auto& [depth, child] : m_children)
        if (child->kind() == ObjectKind::Video && sameName(child->name, instanceName, caseSensitive))
            return &scriptOf(static_cast<VideoObject&>(*child), m_context, caseSensitive);
    return nullptr;
}

bool MovieClip::removeClip()
{
    if (!parent || placeFrame >= 0)
        return false;
    parent->remove(depth);   // destroys this object: nothing may follow
    return true;
}

}  // namespace flash

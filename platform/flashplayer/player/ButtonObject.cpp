#include "ButtonObject.h"

namespace flash {

ButtonObject::ButtonObject(ClipContext& context, const swf::Button& button, MovieClip* parentClip)
    : DisplayObject(ObjectKind::Button, button.id), m_context(context), m_button(button)
{
    parent = parentClip;
    build();
}

void ButtonObject::setState(State state)
{
    if (state == m_state && m_built)
        return;
    m_state = state;
    build();
    m_context.invalidate();
}

void ButtonObject::build()
{
    m_children.clear();
    m_built = true;
    if (parent && parent->nesting() + 1 >= m_context.maxNestingDepth())
        return;
    for (const swf::ButtonRecord& record : m_button.records) {
        const bool shown = (m_state == State::Up && record.up) || (m_state == State::Over && record.over) ||
                           (m_state == State::Down && record.down);
        if (!shown || m_children.count(record.depth))
            continue;
        std::unique_ptr<DisplayObject> object = m_context.instantiate(record.characterId, parent);
        if (!object)
            continue;
        object->depth = record.depth;
        object->matrix = record.matrix;
        object->colorTransform = m_button.colorTransform.value_or(record.colorTransform);
        if (record.blendMode)
            object->blendMode = render::blendModeFromByte(static_cast<uint8_t>(*record.blendMode));
        object->filters = record.filters;
        MovieClip* clip = object->asClip();
        if (clip)
            clip->name = m_context.newInstanceName();
        DisplayObject* raw = object.get();
        m_children[record.depth] = std::move(object);
        if (clip)
            clip->enterFirstFrame();
        (void)raw;
    }
}

void ButtonObject::tick()
{
    std::vector<MovieClip*> clips;
    for (auto& [depth, child] : m_children)
        if (MovieClip* clip = child->asClip())
            clips.push_back(clip);
    for (MovieClip* clip : clips)
        clip->tick(true);
}

}  // namespace flash

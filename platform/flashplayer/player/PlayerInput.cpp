// Mouse input: the top-most button under the pointer moves between its states and
// runs the actions of each transition (the release runs the classic on(release)).
#include "PlayerCore.h"

#include "ButtonObject.h"
#include "DisplayDrawer.h"
#include "Geometry.h"

#include <cmath>

namespace flash {

namespace {

// Does the character at `id`, drawn under `toLocal` (stage -> character space),
// cover the stage point?
bool hitCharacter(Library& library, uint16_t id, uint16_t ratio, const render::Matrix& toLocal, double x, double y,
                  int nesting)
{
    if (nesting > 16)
        return false;
    const double lx = toLocal.mapX(x, y), ly = toLocal.mapY(x, y);
    const swf::Character* c = library.movie().character(id);
    if (!c)
        return false;
    if (std::holds_alternative<swf::Shape>(*c))
        return library.renderer().hitTest(library.shape(id), lx, ly);
    if (std::holds_alternative<swf::MorphShape>(*c))
        return library.renderer().hitTestMorph(library.morph(id), ratio, lx, ly);
    auto inside = [&](const swf::Rect& r) { return lx >= r.xMin && lx <= r.xMax && ly >= r.yMin && ly <= r.yMax; };
    if (const auto* t = std::get_if<swf::Text>(c)) {
        render::Matrix inv;
        if (!invert(toRender(t->matrix), inv))
            return false;
        const double tx = inv.mapX(lx, ly), ty = inv.mapY(lx, ly);
        return tx >= t->bounds.xMin && tx <= t->bounds.xMax && ty >= t->bounds.yMin && ty <= t->bounds.yMax;
    }
    if (const auto* e = std::get_if<swf::EditText>(c))
        return inside(e->bounds);
    if (const auto* b = std::get_if<swf::Bitmap>(c))
        return inside(swf::Rect{0, b->width * 20, 0, b->height * 20});
    if (const auto* s = std::get_if<swf::Sprite>(c)) {
        // The sprite's first frame stands for its shape.
        if (s->timeline.frames.empty())
            return false;
        for (const swf::ControlTag& tag : s->timeline.frames[0].tags) {
            const auto* p = std::get_if<swf::PlaceObject>(&tag);
            if (!p || !p->characterId)
                continue;
            render::Matrix inv;
            if (!invert(toRender(p->matrix.value_or(swf::Matrix{})), inv))
                continue;
            if (hitCharacter(library, *p->characterId, p->ratio.value_or(0), inv * toLocal, x, y, nesting + 1))
                return true;
        }
    }
    return false;
}

bool hitButton(Library& library, ButtonObject& button, double x, double y)
{
    render::Matrix inverseWorld;
    if (!invert(worldMatrix(button), inverseWorld))
        return false;
    for (const swf::ButtonRecord& record : button.button().records) {
        if (!record.hitTest)
            continue;
        render::Matrix inv;
        if (!invert(toRender(record.matrix), inv))
            continue;
        if (hitCharacter(library, record.characterId, 0, inv * inverseWorld, x, y, 0))
            return true;
    }
    return false;
}

ButtonObject* topButton(Library& library, DisplayList& list, double x, double y, int nesting)
{
    if (nesting > 64)
        return nullptr;
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        DisplayObject& object = *it->second;
        if (!object.visible || object.clipDepth > 0)
            continue;
        if (ButtonObject* button = object.asButton())
            if (hitButton(library, *button, x, y))
                return button;
        if (MovieClip* clip = object.asClip())
            if (ButtonObject* inner = topButton(library, clip->children(), x, y, nesting + 1))
                return inner;
    }
    return nullptr;
}

}  // namespace

ButtonObject* PlayerCore::findButton(const ButtonKey& key)
{
    // A path can also name a text field; only clips hold buttons.
    auto* clip = dynamic_cast<MovieClip*>(clipByPath(key.parentPath));
    if (!clip)
        return nullptr;
    auto it = clip->children().find(key.depth);
    if (it == clip->children().end() || it->second->characterId() != key.id)
        return nullptr;
    return it->second->asButton();
}

ButtonObject* PlayerCore::buttonAt(double stageX, double stageY, ButtonKey& key)
{
    if (!m_root)
        return nullptr;
    ButtonObject* button = topButton(*m_library, m_root->children(), stageX, stageY, 0);
    if (button && button->parent)
        key = {button->parent->targetPath(), button->depth, button->characterId()};
    return button && button->parent ? button : nullptr;
}

void PlayerCore::buttonTransition(ButtonObject& button, uint16_t transition)
{
    if (!button.parent)
        return;
    buttonSound(button, transition);
    for (const swf::ButtonAction& action : button.button().actions)
        if (action.transitions & transition)
            queueActions(action.actions, *button.parent);
}

void PlayerCore::mouseAt(int x, int y)
{
    render::Matrix inverse;
    if (!invert(stageMatrix(), inverse))
        return;
    m_mouse = {swf::Twips(std::clamp(inverse.mapX(x, y), -1e9, 1e9)),
               swf::Twips(std::clamp(inverse.mapY(x, y), -1e9, 1e9))};
}

void PlayerCore::mouseMove(int x, int y)
{
    if (!m_root)
        return;
    mouseAt(x, y);
    ButtonKey key;
    ButtonObject* under = buttonAt(m_mouse.x, m_mouse.y, key);
    const int before = m_root->frame();
    m_interpreter->resetBudget();
    if (m_pressed) {
        // Dragging with the button held: the pressed button goes out and in.
        if (ButtonObject* pressed = findButton(*m_pressed)) {
            const bool over = under == pressed;
            const bool wasOver = pressed->state() == ButtonObject::State::Down;
            if (over != wasOver) {
                buttonTransition(*pressed, over ? swf::OutDownToOverDown : swf::OverDownToOutDown);
                pressed->setState(over ? ButtonObject::State::Down : ButtonObject::State::Over);
            }
        }
    } else {
        const std::optional<ButtonKey> now = under ? std::optional<ButtonKey>(key) : std::nullopt;
        if (now != m_hover) {
            if (m_hover)
                if (ButtonObject* old = findButton(*m_hover)) {
                    buttonTransition(*old, swf::OverUpToIdle);
                    old->setState(ButtonObject::State::Up);
                }
            if (under) {
                buttonTransition(*under, swf::IdleToOverUp);
                under->setState(ButtonObject::State::Over);
            }
            m_hover = now;
        }
    }
    if (!under)
        clipButtonsMove();
    if (m_mouse.x != m_lastMoveAt.x || m_mouse.y != m_lastMoveAt.y) {
        m_lastMoveAt = m_mouse;
        broadcast("Mouse", "onMouseMove");
        clipEventToAll(swf::ClipEventMouseMove);
    }
    runQueuedActions();
    afterChange(before);
}

void PlayerCore::mouseDown(int x, int y)
{
    if (!m_root)
        return;
    mouseMove(x, y);
    m_mouseDown = true;
    const int before = m_root->frame();
    m_interpreter->resetBudget();
    // A click takes the keyboard's focus rectangle away.
    if (m_focusRectShown) {
        m_focusRectShown = false;
        invalidate();
    }
    broadcast("Mouse", "onMouseDown");
    clipEventToAll(swf::ClipEventMouseDown);
    ButtonObject* button = m_hover ? findButton(*m_hover) : nullptr;
    if (button) {
        m_pressed = m_hover;
        buttonTransition(*button, swf::OverUpToOverDown);
        button->setState(ButtonObject::State::Down);
    } else {
        clipButtonsDown();
    }
    runQueuedActions();
    afterChange(before);
}

void PlayerCore::mouseUp(int x, int y)
{
    if (!m_root)
        return;
    mouseAt(x, y);
    m_mouseDown = false;
    const int before = m_root->frame();
    m_interpreter->resetBudget();
    if (m_pressed) {
        const ButtonKey pressedKey = *m_pressed;
        m_pressed.reset();
        ButtonKey key;
        ButtonObject* under = buttonAt(m_mouse.x, m_mouse.y, key);
        if (ButtonObject* pressed = findButton(pressedKey)) {
            if (under == pressed) {
                buttonTransition(*pressed, swf::OverDownToOverUp);
                pressed->setState(ButtonObject::State::Over);
                m_hover = pressedKey;
            } else {
                buttonTransition(*pressed, swf::OutDownToIdle);
                pressed->setState(ButtonObject::State::Up);
                m_hover.reset();
            }
        }
    } else {
        clipButtonsUp();
    }
    broadcast("Mouse", "onMouseUp");
    clipEventToAll(swf::ClipEventMouseUp);
    runQueuedActions();
    afterChange(before);
    mouseMove(x, y);
}

void PlayerCore::mouseWheel(int delta)
{
    if (!m_root)
        return;
    const int before = m_root->frame();
    m_interpreter->resetBudget();
    broadcast("Mouse", "onMouseWheel", {avm1::Value::fromNumber(delta)});
    runQueuedActions();
    afterChange(before);
}

}  // namespace flash

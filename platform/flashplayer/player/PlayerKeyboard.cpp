// Keyboard input and focus: the Key object's state and listeners, key clip events,
// button key presses, Tab moving the focus (with its yellow rectangle), Enter and
// Space pressing what has the focus, and the clips that act as buttons through
// their onPress/onRelease/onRollOver/onRollOut handlers.
#include "PlayerCore.h"

#include "ButtonObject.h"
#include "DisplayDrawer.h"
#include "Geometry.h"
#include "TextFieldClip.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace flash {

namespace {

constexpr int kTab = 9, kEnter = 13, kShift = 16, kSpace = 32;

bool hasButtonHandlers(MovieClip& clip)
{
    avm1::Object& v = clip.variables();
    for (const char* name : {"onPress", "onRelease", "onReleaseOutside", "onRollOver", "onRollOut", "onDragOver",
                             "onDragOut"})
        if (v.has(name))
            return true;
    return false;
}

// Does a clip take part in Tab order and mouse handling as a button?
bool actsAsButton(MovieClip& clip)
{
    const avm1::Value enabled = clip.variables().get("enabled");
    if (enabled.type == avm1::Value::Type::Bool && !enabled.boolean)
        return false;
    return hasButtonHandlers(clip);
}

void collectFocusable(DisplayList& list, std::vector<DisplayObject*>& out, int nesting)
{
    if (nesting > 64)
        return;
    for (auto& [depth, child] : list) {
        DisplayObject& o = *child;
        if (!o.visible || o.clipDepth > 0)
            continue;
        if (ButtonObject* button = o.asButton()) {
            out.push_back(button);
            continue;
        }
        if (MovieClip* clip = o.asClip()) {
            const avm1::Value tabEnabled = clip->variables().get("tabEnabled");
            const bool explicitOn = tabEnabled.type == avm1::Value::Type::Bool && tabEnabled.boolean;
            const bool explicitOff = tabEnabled.type == avm1::Value::Type::Bool && !tabEnabled.boolean;
            if (explicitOn || (!explicitOff && actsAsButton(*clip)))
                out.push_back(clip);
            const avm1::Value tabChildren = clip->variables().get("tabChildren");
            if (!(tabChildren.type == avm1::Value::Type::Bool && !tabChildren.boolean))
                collectFocusable(clip->children(), out, nesting + 1);
        }
    }
}

DisplayObject* findSerial(DisplayList& list, uint64_t serial, int nesting)
{
    if (nesting > 64)
        return nullptr;
    for (auto& [depth, child] : list) {
        if (child->serial() == serial)
            return child.get();
        DisplayList* inner = child->asClip() ? &child->asClip()->children()
                             : child->asButton() ? &child->asButton()->children() : nullptr;
        if (inner)
            if (DisplayObject* found = findSerial(*inner, serial, nesting + 1))
                return found;
    }
    return nullptr;
}

std::string pathOf(const DisplayObject& o)
{
    if (const MovieClip* clip = dynamic_cast<const MovieClip*>(&o))
        return clip->targetPath();
    return o.parent ? o.parent->targetPath() + "." + o.name : o.name;
}

}  // namespace

DisplayObject* PlayerCore::focused()
{
    if (!m_root || !m_focusSerial)
        return nullptr;
    DisplayObject* o = findSerial(m_root->children(), m_focusSerial, 0);
    if (!o)
        m_focusSerial = 0;
    return o;
}

avm1::Value PlayerCore::focusValue(DisplayObject* o)
{
    if (!o)
        return avm1::Value::null();
    if (MovieClip* clip = o->asClip())
        return avm1::Value::fromClip(clip);
    if (o->kind() == ObjectKind::EditText && o->parent)
        if (avm1::Clip* field = o->parent->childClip(o->name))
            return avm1::Value::fromClip(field);
    return avm1::Value::fromString(pathOf(*o));
}

void PlayerCore::moveFocus(DisplayObject* to, bool byKeyboard)
{
    DisplayObject* from = focused();
    m_focusRectShown = byKeyboard && to != nullptr;
    invalidate();
    if (from == to)
        return;
    const avm1::Value oldValue = focusValue(from), newValue = focusValue(to);
    m_focusSerial = to ? to->serial() : 0;
    if (!m_interpreter)
        return;
    // What the keyboard focuses is rolled over as the mouse would, and rolled out
    // when the focus leaves it.
    if (from) {
        if (MovieClip* clip = from->asClip()) {
            const std::shared_ptr<avm1::ClipAnchor> alive = clip->anchor();
            if (m_focusRolledOver)
                m_interpreter->runMethod(*clip, "onRollOut");
            if (alive->clip)
                m_interpreter->runMethod(*clip, "onKillFocus", {newValue});
        } else if (ButtonObject* button = from->asButton(); button && m_focusRolledOver) {
            buttonTransition(*button, swf::OverUpToIdle);
            button->setState(ButtonObject::State::Up);
        }
    }
    m_focusRolledOver = false;
    // The handlers above may have removed what takes the focus now.
    to = m_focusSerial && m_root ? findSerial(m_root->children(), m_focusSerial, 0) : nullptr;
    if (to) {
        if (MovieClip* clip = to->asClip()) {
            const std::shared_ptr<avm1::ClipAnchor> alive = clip->anchor();
            if (byKeyboard && actsAsButton(*clip)) {
                m_interpreter->runMethod(*clip, "onRollOver");
                m_focusRolledOver = true;
            }
            if (alive->clip)
                m_interpreter->runMethod(*clip, "onSetFocus", {oldValue});
        } else if (ButtonObject* button = to->asButton(); button && byKeyboard) {
            buttonTransition(*button, swf::IdleToOverUp);
            button->setState(ButtonObject::State::Over);
            m_focusRolledOver = true;
        }
    }
    broadcast("Selection", "onSetFocus", {oldValue, newValue});
}

std::vector<DisplayObject*> PlayerCore::tabOrder()
{
    std::vector<DisplayObject*> all;
    if (!m_root)
        return all;
    collectFocusable(m_root->children(), all, 0);
    std::vector<DisplayObject*> indexed;
    for (DisplayObject* o : all)
        if (MovieClip* clip = o->asClip())
            if (clip->variables().get("tabIndex").type == avm1::Value::Type::Number)
                indexed.push_back(o);
    if (!indexed.empty()) {
        // With any tabIndex set, only the indexed objects take part, in index order.
        std::stable_sort(indexed.begin(), indexed.end(), [](DisplayObject* a, DisplayObject* b) {
            return a->asClip()->variables().get("tabIndex").number < b->asClip()->variables().get("tabIndex").number;
        });
        return indexed;
    }
    // Reading order: top to bottom, then left to right, by the top-left corners.
    struct Entry {
        DisplayObject* object;
        double x, y;
    };
    std::vector<Entry> entries;
    for (DisplayObject* o : all) {
        const std::optional<swf::Rect> r = m_movie ? localBounds(*m_movie, *o, 0) : std::nullopt;
        const swf::Rect world = r ? transformRect(*r, worldMatrix(*o)) : swf::Rect{};
        entries.push_back({o, double(world.xMin), double(world.yMin)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.y != b.y ? a.y < b.y : a.x < b.x;
    });
    all.clear();
    for (const Entry& e : entries)
        all.push_back(e.object);
    return all;
}

void PlayerCore::tabFocus(bool backwards)
{
    const std::vector<DisplayObject*> order = tabOrder();
    if (order.empty())
        return;
    DisplayObject* current = focused();
    auto it = std::find(order.begin(), order.end(), current);
    DisplayObject* next = nullptr;
    if (it == order.end())
        next = backwards ? order.back() : order.front();
    else if (backwards)
        next = it == order.begin() ? order.back() : *(it - 1);
    else
        next = it + 1 == order.end() ? order.front() : *(it + 1);
    moveFocus(next, true);
}

void PlayerCore::broadcast(const char* object, const char* event, std::vector<avm1::Value> args)
{
    if (!m_interpreter)
        return;
    const avm1::Value target = m_interpreter->globals().get(object);
    if (target.type != avm1::Value::Type::Object)
        return;
    args.insert(args.begin(), avm1::Value::fromString(event));
    m_interpreter->runHandler(target, "broadcastMessage", std::move(args));
}

void PlayerCore::clipEventToAll(uint32_t eventBit)
{
    if (!m_root)
        return;
    std::vector<MovieClip*> clips;
    std::vector<std::pair<MovieClip*, int>> stack{{m_root.get(), 0}};
    while (!stack.empty()) {
        auto [clip, nesting] = stack.back();
        stack.pop_back();
        clips.push_back(clip);
        if (nesting < 64)
            for (auto& [depth, child] : clip->children())
                if (MovieClip* sub = child->asClip())
                    stack.push_back({sub, nesting + 1});
    }
    for (MovieClip* clip : clips)
        clip->queueClipEvent(eventBit);
}

void PlayerCore::keyDown(int keyCode, int charCode)
{
    if (!m_root || keyCode < 0 || keyCode > 255 || (keyCode == 0 && charCode == 0))
        return;
    const int before = m_root->frame();
    m_interpreter->resetBudget();
    if (keyCode > 0)
        m_keysDown.insert(keyCode);
    m_lastKey = keyCode;
    m_lastAscii = charCode;
    broadcast("Key", "onKeyDown");
    clipEventToAll(swf::ClipEventKeyDown);
    // Buttons listening for this key (on(keyPress "...")): the SWF key codes of the
    // special keys, the character itself otherwise.
    const int swfKey = swfKeyCode(keyCode, charCode);
    if (swfKey) {
        std::vector<std::pair<MovieClip*, int>> clips{{m_root.get(), 0}};
        while (!clips.empty()) {
            auto [clip, nesting] = clips.back();
            clips.pop_back();
            for (auto& [depth, child] : clip->children()) {
                if (MovieClip* sub = child->asClip(); sub && nesting < 64)
                    clips.push_back({sub, nesting + 1});
                else if (ButtonObject* button = child->asButton())
                    for (const swf::ButtonAction& action : button->button().actions)
                        if (action.keyCode == swfKey && button->parent)
                            queueActions(action.actions, *button->parent);
            }
        }
    }
    if (keyCode == kTab) {
        tabFocus(m_keysDown.count(kShift) > 0);
    } else if ((keyCode == kEnter || keyCode == kSpace) && m_focusRectShown) {
        if (DisplayObject* o = focused()) {
            if (ButtonObject* button = o->asButton()) {
                buttonTransition(*button, swf::OverUpToOverDown);
                buttonTransition(*button, swf::OverDownToOverUp);
            } else if (MovieClip* clip = o->asClip()) {
                m_interpreter->runMethod(*clip, "onPress");
                if (MovieClip* still = dynamic_cast<MovieClip*>(focused()))
                    m_interpreter->runMethod(*still, "onRelease");
            }
        }
    }
    runQueuedActions();
    afterChange(before);
}

void PlayerCore::windowFocus(bool focused)
{
    if (focused || !m_root)
        return;
    // Leaving the window releases held keys and takes the focus from the movie.
    const std::set<int> held = m_keysDown;
    for (int key : held)
        keyUp(key, 0);
    const int before = m_root->frame();
    m_interpreter->resetBudget();
    moveFocus(nullptr, false);
    runQueuedActions();
    afterChange(before);
}

void PlayerCore::keyUp(int keyCode, int charCode)
{
    if (!m_root || keyCode < 0 || keyCode > 255 || (keyCode == 0 && charCode == 0))
        return;
    const int before = m_root->frame();
    m_interpreter->resetBudget();
    m_keysDown.erase(keyCode);
    m_lastKey = keyCode;
    m_lastAscii = charCode;
    broadcast("Key", "onKeyUp");
    clipEventToAll(swf::ClipEventKeyUp);
    runQueuedActions();
    afterChange(before);
}

int PlayerCore::swfKeyCode(int keyCode, int charCode)
{
    // SWF 4 key codes of the special keys (ButtonCondKeyPress).
    switch (keyCode) {
    case 37: return 1;    // left
    case 39: return 2;    // right
    case 36: return 3;    // home
    case 35: return 4;    // end
    case 45: return 5;    // insert
    case 46: return 6;    // delete
    case 8: return 8;     // backspace
    case 13: return 13;   // enter
    case 38: return 14;   // up
    case 40: return 15;   // down
    case 33: return 16;   // page up
    case 34: return 17;   // page down
    case 9: return 18;    // tab
    case 27: return 19;   // escape
    default: break;
    }
    return charCode >= 32 && charCode < 127 ? charCode : 0;
}

bool PlayerCore::isKeyDown(int keyCode) const { return m_keysDown.count(keyCode) > 0; }

avm1::Value PlayerCore::focusedValue() { return focusValue(focused()); }

bool PlayerCore::setFocusTo(avm1::Clip* target)
{
    DisplayObject* o = target ? target->displayObject() : nullptr;
    if (target && !o)
        return false;
    // Clips take the focus only as buttons or when they say they can.
    if (MovieClip* clip = o ? o->asClip() : nullptr) {
        const avm1::Value focusEnabled = clip->variables().get("focusEnabled");
        const bool allowed = actsAsButton(*clip) || (focusEnabled.type == avm1::Value::Type::Bool && focusEnabled.boolean);
        if (!allowed)
            return false;
    }
    moveFocus(o, false);
    return true;
}

// The yellow rectangle around what Tab focused: three pixels wide, inside the
// object's bounds on the stage.
void PlayerCore::drawFocusRect(const render::Matrix& stageToSurface)
{
    if (!m_focusRectShown || !m_movie || !m_library)
        return;
    DisplayObject* o = focused();
    if (!o)
        return;
    if (MovieClip* clip = o->asClip()) {
        const avm1::Value rect = clip->variables().get("__focusrect");
        if (rect.type == avm1::Value::Type::Bool && !rect.boolean)
            return;
    }
    const avm1::Value global = m_root->variables().get("__focusrect");
    if (global.type == avm1::Value::Type::Bool && !global.boolean && o->asClip() &&
        o->asClip()->variables().get("__focusrect").type != avm1::Value::Type::Bool)
        return;
    const std::optional<swf::Rect> local = localBounds(*m_movie, *o, 0);
    if (!local)
        return;
    const swf::Rect world = transformRect(*local, worldMatrix(*o));
    const render::Matrix device = stageToSurface;
    const double x0 = std::round(device.mapX(world.xMin, world.yMin)), y0 = std::round(device.mapY(world.xMin, world.yMin));
    const double x1 = std::round(device.mapX(world.xMax, world.yMax)), y1 = std::round(device.mapY(world.xMax, world.yMax));
    render::Matrix toStage;
    if (!invert(stageToSurface, toStage) || x1 <= x0 || y1 <= y0)
        return;
    const swf::Rgba white{255, 255, 255, 255};
    const render::ShapeId unit = m_library->box(swf::Rect{0, 20, 0, 20}, white, std::nullopt);
    const render::ColorTransform yellow{0, 0, 0, 1, 255, 255, 0, 0};
    const double w = std::min(3.0, (x1 - x0) / 2), h = std::min(3.0, (y1 - y0) / 2);
    auto part = [&](double x, double y, double pw, double ph) {
        if (pw > 0 && ph > 0)
            m_renderer->drawShape(unit, toStage * render::Matrix::translate(x, y) *
                                            render::Matrix::scale(pw / 20, ph / 20), yellow);
    };
    part(x0, y0, x1 - x0, h);
    part(x0, y1 - h, x1 - x0, h);
    part(x0, y0 + h, w, y1 - y0 - 2 * h);
    part(x1 - w, y0 + h, w, y1 - y0 - 2 * h);
}

// --- Clips acting as buttons --------------------------------------------------------------

MovieClip* PlayerCore::handlerClipAt(double stageX, double stageY)
{
    if (!m_root)
        return nullptr;
    MovieClip* found = nullptr;
    // Depth-first, later (higher) objects win: the last hit in drawing order.
    std::function<void(MovieClip&, int)> walk = [&](MovieClip& clip, int nesting) {
        if (nesting > 64)
            return;
        for (auto& [depth, child] : clip.children()) {
            MovieClip* sub = child->asClip();
            if (!sub || !sub->visible || sub->clipDepth > 0)
                continue;
            if (actsAsButton(*sub) && hitTest(*sub, stageX, stageY, true))
                found = sub;
            walk(*sub, nesting + 1);
        }
    };
    walk(*m_root, 0);
    return found;
}

void PlayerCore::clipButtonsMove()
{
    MovieClip* under = handlerClipAt(m_mouse.x, m_mouse.y);
    MovieClip* hover = m_hoverClip && m_hoverClip->clip ? dynamic_cast<MovieClip*>(m_hoverClip->clip) : nullptr;
    MovieClip* pressed = m_pressedClip && m_pressedClip->clip ? dynamic_cast<MovieClip*>(m_pressedClip->clip) : nullptr;
    if (pressed) {
        const bool over = under == pressed;
        if (over != m_pressedOver) {
            m_pressedOver = over;
            m_interpreter->runMethod(*pressed, over ? "onDragOver" : "onDragOut");
        }
        return;
    }
    if (under == hover)
        return;
    const std::shared_ptr<avm1::ClipAnchor> next = under ? under->anchor() : nullptr;
    if (hover)
        m_interpreter->runMethod(*hover, "onRollOut");
    m_hoverClip = next;
    if (next && next->clip)   // the roll-out handler may have removed it
        m_interpreter->runMethod(*next->clip, "onRollOver");
}

void PlayerCore::clipButtonsDown()
{
    MovieClip* under = handlerClipAt(m_mouse.x, m_mouse.y);
    if (!under)
        return;
    m_pressedClip = under->anchor();
    m_pressedOver = true;
    m_interpreter->runMethod(*under, "onPress");
}

void PlayerCore::clipButtonsUp()
{
    MovieClip* pressed = m_pressedClip && m_pressedClip->clip ? dynamic_cast<MovieClip*>(m_pressedClip->clip) : nullptr;
    m_pressedClip.reset();
    if (!pressed)
        return;
    MovieClip* under = handlerClipAt(m_mouse.x, m_mouse.y);
    if (under == pressed) {
        m_interpreter->runMethod(*pressed, "onRelease");
    } else {
        m_interpreter->runMethod(*pressed, "onReleaseOutside");
        m_hoverClip.reset();
    }
}

}  // namespace flash

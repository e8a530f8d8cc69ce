// A placed button: the characters of its current state (up, over, down) as a small
// display list, rebuilt when the mouse moves it to another state. Its hit area is
// the union of the records marked for hit testing.
#pragma once

#include "DisplayObject.h"
#include "MovieClip.h"

#include "swf/Characters.h"

namespace flash {

class ButtonObject : public DisplayObject {
public:
    enum class State : uint8_t { Up, Over, Down };

    ButtonObject(ClipContext& context, const swf::Button& button, MovieClip* parentClip);

    ButtonObject* asButton() override { return this; }
    const swf::Button& button() const { return m_button; }
    State state() const { return m_state; }
    // Shows the characters of `state` (nothing happens when already there).
    void setState(State state);
    DisplayList& children() { return m_children; }
    // Advances sprites shown in the current state.
    void tick();

private:
    void build();

    ClipContext& m_context;
    const swf::Button& m_button;
    State m_state = State::Up;
    bool m_built = false;
    DisplayList m_children;
};

}  // namespace flash

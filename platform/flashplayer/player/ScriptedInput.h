// Scripted input: a text file of timed events played into a movie, one per line,
// `TIME EVENT ARGS`. TIME is milliseconds of movie time, or `fN` for "just after
// frame N is shown". Events:
//   move X Y | down X Y | up X Y | click X Y     (pixels of the output picture)
//   wheel DELTA
//   key NAME | keydown NAME | keyup NAME         (Tab, Enter, Escape, Left, A, F1, Numpad1, ...)
//   type TEXT                                    (the rest of the line, typed key by key)
//   focus in | focus out
// Blank lines and lines starting with # are skipped.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace flash {

class Player;

struct InputEvent {
    enum class Kind { Move, Down, Up, Click, Wheel, Key, KeyDown, KeyUp, Type, Focus };
    int line = 0;           // in the file, 1-based
    double timeMs = 0;      // when `frame` is 0
    int frame = 0;          // fN: after frame N (1-based) is shown
    Kind kind = Kind::Move;
    int x = 0, y = 0;       // pointer events; wheel: x is the delta
    int keyCode = 0;        // key events
    int charCode = 0;
    std::string text;       // type
    bool focusIn = true;
};

// Parses a whole script (events in file order; play them sorted by eventTimeMs);
// on failure `error` names the line and what is wrong.
std::optional<std::vector<InputEvent>> parseInputScript(const std::string& text, std::string& error);
// Key code and character of a key NAME (0 when unknown).
bool keyByName(const std::string& name, int& keyCode, int& charCode);
// When the event is due in movie milliseconds, at `frameRate` frames per second.
double eventTimeMs(const InputEvent& event, double frameRate);
// Hands one event to the movie as the mouse and keyboard of a window would.
void deliverInput(Player& player, const InputEvent& event);

}  // namespace flash

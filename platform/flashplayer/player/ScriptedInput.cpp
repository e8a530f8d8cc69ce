#include "ScriptedInput.h"

#include "Player.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>

namespace flash {

namespace {

std::string lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool parseInt(const std::string& s, int& out)
{
    const char* end = s.data() + s.size();
    auto [ptr, ec] = std::from_chars(s.data(), end, out);
    return ec == std::errc() && ptr == end;
}

bool parseTime(const std::string& s, InputEvent& e)
{
    if (s.size() > 1 && (s[0] == 'f' || s[0] == 'F')) {
        int frame = 0;
        if (!parseInt(s.substr(1), frame) || frame < 1 || frame > 10'000'000)
            return false;
        e.frame = frame;
        return true;
    }
    const char* end = s.data() + s.size();
    double ms = 0;
    auto [ptr, ec] = std::from_chars(s.data(), end, ms);
    if (ec != std::errc() || ptr != end || !std::isfinite(ms) || ms < 0 || ms > 1e10)
        return false;
    e.timeMs = ms;
    return true;
}

}  // namespace

bool keyByName(const std::string& name, int& keyCode, int& charCode)
{
    keyCode = charCode = 0;
    if (name.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(name[0]);
        if (std::isalpha(c)) {
            keyCode = std::toupper(c);
            charCode = c;
            return true;
        }
        if (std::isdigit(c)) {
            keyCode = c;
            charCode = c;
            return true;
        }
        static const std::pair<char, int> punctuation[] = {{';', 186}, {'=', 187}, {',', 188}, {'-', 189},
            {'.', 190}, {'/', 191}, {'`', 192}, {'[', 219}, {'\\', 220}, {']', 221}, {'\'', 222}, {' ', 32}};
        for (const auto& [ch, code] : punctuation)
            if (ch == char(c)) {
                keyCode = code;
                charCode = c;
                return true;
            }
        return false;
    }
    static const std::pair<const char*, std::pair<int, int>> named[] = {
        {"tab", {9, 9}}, {"enter", {13, 13}}, {"return", {13, 13}}, {"escape", {27, 27}}, {"esc", {27, 27}},
        {"space", {32, 32}}, {"backspace", {8, 8}}, {"delete", {46, 127}}, {"insert", {45, 0}},
        {"left", {37, 0}}, {"up", {38, 0}}, {"right", {39, 0}}, {"down", {40, 0}}, {"home", {36, 0}},
        {"end", {35, 0}}, {"pageup", {33, 0}}, {"pagedown", {34, 0}}, {"shift", {16, 0}},
        {"control", {17, 0}}, {"ctrl", {17, 0}}, {"alt", {18, 0}}, {"capslock", {20, 0}}};
    const std::string n = lower(name);
    for (const auto& [key, codes] : named)
        if (n == key) {
            keyCode = codes.first;
            charCode = codes.second;
            return true;
        }
    int f = 0;
    if (n.size() == 7 && n.rfind("numpad", 0) == 0 && std::isdigit(static_cast<unsigned char>(n[6]))) {
        keyCode = 96 + (n[6] - '0');
        charCode = n[6];
        return true;
    }
    if (n.size() >= 2 && n[0] == 'f' && parseInt(n.substr(1), f) && f >= 1 && f <= 15) {
        keyCode = 111 + f;
        return true;
    }
    return false;
}

std::optional<std::vector<InputEvent>> parseInputScript(const std::string& text, std::string& error)
{
    std::vector<InputEvent> events;
    std::istringstream in(text);
    std::string raw;
    int lineNumber = 0;
    while (std::getline(in, raw)) {
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r')
            raw.pop_back();
        std::istringstream words(raw);
        std::string time, name;
        if (!(words >> time) || time[0] == '#')
            continue;
        auto fail = [&](const std::string& why) {
            error = "line " + std::to_string(lineNumber) + ": " + why;
            return std::nullopt;
        };
        InputEvent e;
        e.line = lineNumber;
        if (!parseTime(time, e))
            return fail("the time \"" + time + "\" is neither milliseconds nor fN");
        if (!(words >> name))
            return fail("an event is missing after the time");
        name = lower(name);
        std::vector<std::string> args;
        for (std::string w; words >> w;)
            args.push_back(w);
        auto point = [&](InputEvent::Kind kind) -> bool {
            e.kind = kind;
            return args.size() == 2 && parseInt(args[0], e.x) && parseInt(args[1], e.y) &&
                   std::abs(e.x) <= 1'000'000 && std::abs(e.y) <= 1'000'000;
        };
        if (name == "move" || name == "down" || name == "up" || name == "click") {
            const InputEvent::Kind kind = name == "move" ? InputEvent::Kind::Move : name == "down" ? InputEvent::Kind::Down
                                          : name == "up" ? InputEvent::Kind::Up : InputEvent::Kind::Click;
            if (!point(kind))
                return fail(name + " needs X Y in pixels");
        } else if (name == "wheel") {
            e.kind = InputEvent::Kind::Wheel;
            if (args.size() != 1 || !parseInt(args[0], e.x) || std::abs(e.x) > 1000)
                return fail("wheel needs a DELTA from -1000 to 1000");
        } else if (name == "key" || name == "keydown" || name == "keyup") {
            e.kind = name == "key" ? InputEvent::Kind::Key : name == "keydown" ? InputEvent::Kind::KeyDown
                                                                               : InputEvent::Kind::KeyUp;
            if (args.size() != 1 || !keyByName(args[0], e.keyCode, e.charCode))
                return fail(name + " needs one key NAME (Tab, Enter, Escape, Left, A, F1, ...)");
        } else if (name == "type") {
            e.kind = InputEvent::Kind::Type;
            // The text is the rest of the line after the event word, spaces inside kept.
            size_t at = raw.find_first_not_of(" \t", raw.find(time) + time.size());
            at = at == std::string::npos ? at : raw.find_first_not_of(" \t", at + name.size());
            e.text = at == std::string::npos ? std::string() : raw.substr(at);
            if (e.text.empty())
                return fail("type needs the TEXT to type");
        } else if (name == "focus") {
            e.kind = InputEvent::Kind::Focus;
            if (args.size() != 1 || (lower(args[0]) != "in" && lower(args[0]) != "out"))
                return fail("focus needs in or out");
            e.focusIn = lower(args[0]) == "in";
        } else {
            return fail("unknown event \"" + name +
                        "\" (move, down, up, click, wheel, key, keydown, keyup, type, focus)");
        }
        events.push_back(std::move(e));
    }
    return events;
}

double eventTimeMs(const InputEvent& event, double frameRate)
{
    if (event.frame > 0)
        return (event.frame - 1) * 1000.0 / std::max(0.01, frameRate);
    return event.timeMs;
}

void deliverInput(Player& player, const InputEvent& e)
{
    switch (e.kind) {
    case InputEvent::Kind::Move: player.mouseMove(e.x, e.y); break;
    case InputEvent::Kind::Down: player.mouseDown(e.x, e.y); break;
    case InputEvent::Kind::Up: player.mouseUp(e.x, e.y); break;
    case InputEvent::Kind::Click:
        player.mouseDown(e.x, e.y);
        player.mouseUp(e.x, e.y);
        break;
    case InputEvent::Kind::Wheel: player.mouseWheel(e.x); break;
    case InputEvent::Kind::Key:
        player.keyDown(e.keyCode, e.charCode);
        player.keyUp(e.keyCode, e.charCode);
        break;
    case InputEvent::Kind::KeyDown: player.keyDown(e.keyCode, e.charCode); break;
    case InputEvent::Kind::KeyUp: player.keyUp(e.keyCode, e.charCode); break;
    case InputEvent::Kind::Type:
        for (char c : e.text) {
            int code = 0, ch = 0;
            if (!keyByName(std::string(1, c), code, ch)) {
                code = 0;
                ch = static_cast<unsigned char>(c);
            }
            player.keyDown(code, ch);
            player.keyUp(code, ch);
        }
        break;
    case InputEvent::Kind::Focus: player.windowFocus(e.focusIn); break;
    }
}

}  // namespace flash

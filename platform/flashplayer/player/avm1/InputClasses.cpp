// The objects scripts read input through: Key (held keys, the last key, listeners),
// Mouse (listeners, show/hide) and Selection (the focus and its listeners).
#include "InputClasses.h"

#include "Interpreter.h"
#include "StandardClasses.h"

namespace flash::avm1 {

namespace {

std::shared_ptr<Object> native(NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

void method(Object& o, const char* name, NativeFunction fn) { o.set(name, Value::fromObject(native(std::move(fn)))); }

Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value{}; }

}  // namespace

void installInputClasses(Interpreter& in, Object& global)
{
    std::shared_ptr<Object> key = makeBroadcaster(in);
    method(*key, "isDown", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        return Value::fromBool(in.host().isKeyDown(clampInt(toNumber(arg(a, 0), in.swfVersion()))));
    });
    method(*key, "getCode", [](Interpreter& in, const Value&, std::vector<Value>&) {
        return Value::fromNumber(in.host().lastKeyCode());
    });
    method(*key, "getAscii", [](Interpreter& in, const Value&, std::vector<Value>&) {
        return Value::fromNumber(in.host().lastCharCode());
    });
    method(*key, "isToggled", [](Interpreter&, const Value&, std::vector<Value>&) { return Value::fromBool(false); });
    const std::pair<const char*, int> codes[] = {
        {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40}, {"END", 35},
        {"ENTER", 13}, {"ESCAPE", 27}, {"HOME", 36}, {"INSERT", 45}, {"LEFT", 37}, {"PGDN", 34}, {"PGUP", 33},
        {"RIGHT", 39}, {"SHIFT", 16}, {"SPACE", 32}, {"TAB", 9}, {"UP", 38}, {"ALT", 18}};
    for (const auto& [name, code] : codes)
        key->set(name, Value::fromNumber(code));
    global.set("Key", Value::fromObject(key));

    std::shared_ptr<Object> mouse = makeBroadcaster(in);
    auto shown = std::make_shared<bool>(true);
    method(*mouse, "show", [shown](Interpreter&, const Value&, std::vector<Value>&) {
        const bool was = *shown;
        *shown = true;
        return Value::fromNumber(was ? 1 : 0);
    });
    method(*mouse, "hide", [shown](Interpreter&, const Value&, std::vector<Value>&) {
        const bool was = *shown;
        *shown = false;
        return Value::fromNumber(was ? 1 : 0);
    });
    global.set("Mouse", Value::fromObject(mouse));

    std::shared_ptr<Object> selection = makeBroadcaster(in);
    method(*selection, "getFocus", [](Interpreter& in, const Value&, std::vector<Value>&) {
        const Value f = in.host().focusedValue();
        return f.isNullish() ? Value::null() : Value::fromString(toString(f, in.swfVersion()));
    });
    method(*selection, "setFocus", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        const Value target = arg(a, 0);
        if (target.isNullish())
            return Value::fromBool(in.host().setFocusTo(nullptr));
        Clip* clip = in.resolveClip(target);
        if (!clip && target.type == Value::Type::String && in.host().rootClip())
            clip = in.resolveTarget(target.text, *in.host().rootClip());
        return Value::fromBool(clip && in.host().setFocusTo(clip));
    });
    for (const char* name : {"getBeginIndex", "getEndIndex", "getCaretIndex"})
        method(*selection, name, [](Interpreter&, const Value&, std::vector<Value>&) { return Value::fromNumber(-1); });
    global.set("Selection", Value::fromObject(selection));
}

}  // namespace flash::avm1

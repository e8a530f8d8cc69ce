// Name lookup: scope chain, paths to clips, members of clips and objects, calls.
#include "Activation.h"
#include "Interpreter.h"

#include "StandardClasses.h"

#include <cctype>

namespace flash::avm1 {

static bool iequals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Characters of a UTF-8 text: its bytes but the continuation bytes.
static size_t characterCount(const std::string& s)
{
    size_t n = 0;
    for (char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

int clipPropertyIndex(std::string_view name)
{
    static const char* const names[] = {
        "_x", "_y", "_xscale", "_yscale", "_currentframe", "_totalframes", "_alpha",
        "_visible", "_width", "_height", "_rotation", "_target", "_framesloaded", "_name",
        "_droptarget", "_url", "_highquality", "_focusrect", "_soundbuftime", "_quality",
        "_xmouse", "_ymouse"};
    for (int i = 0; i < static_cast<int>(std::size(names)); ++i)
        if (iequals(name, names[i]))
            return i;
    return -1;
}

Clip* Interpreter::resolveClip(const Value& v)
{
    if (v.type == Value::Type::Clip)
        return clipOf(v.text, v.anchor);
    return nullptr;
}

// One path segment from `clip`: special names, then child instances, then variables
// that hold clips.
static Clip* stepInto(Clip* clip, std::string_view segment, Host& host)
{
    if (!clip)
        return nullptr;
    if (segment.empty() || segment == ".")
        return clip;
    if (segment == ".." || iequals(segment, "_parent"))
        return clip->parentClip();
    if (iequals(segment, "_root") || iequals(segment, "_level0"))
        return host.rootClip();
    if (segment == "this")
        return clip;
    if (Clip* child = clip->childClip(segment))
        return child;
    const Value v = clip->variables().get(std::string(segment));
    if (Clip* live = liveClip(v))
        return live;
    if (v.type == Value::Type::Clip)
        return host.clipByPath(v.text);
    return nullptr;
}

Clip* Interpreter::resolvePath(const std::string& path, Clip* base, Activation* act)
{
    if (path.empty())
        return base;
    Clip* clip = base;
    size_t i = 0;
    if (path[0] == '/') {
        clip = m_host.rootClip();
        i = 1;
    }
    int steps = 0;
    while (i <= path.size() && clip && steps++ < 256) {
        size_t next = path.find_first_of("/.", i);
        if (next == std::string::npos)
            next = path.size();
        // ".." is a slash-syntax segment, not two dots.
        if (path.compare(i, 2, "..") == 0 && (i + 2 == path.size() || path[i + 2] == '/'))
            next = i + 2;
        const std::string_view segment(path.data() + i, next - i);
        if (!segment.empty()) {
            if (steps == 1 && act && act->locals && act->locals->has(std::string(segment))) {
                clip = resolveClip(act->locals->get(std::string(segment)));
            } else {
                clip = stepInto(clip, segment, m_host);
            }
        }
        if (next >= path.size())
            break;
        i = next + 1;
    }
    return clip;
}

Value Interpreter::lookup(const std::string& name, Activation& act)
{
    // Paths: "/a/b:var", "a.b:var", "_root.a.var", "a.b".
    const size_t colon = name.rfind(':');
    if (colon != std::string::npos) {
        Clip* clip = resolvePath(name.substr(0, colon), target(act), &act);
        return clip ? getMember(Value::fromClip(clip), name.substr(colon + 1)) : Value{};
    }
    if (!name.empty() && name[0] == '/') {
        Clip* clip = resolvePath(name, target(act), &act);
        return clip ? Value::fromClip(clip) : Value{};
    }
    const size_t dot = name.find('.');
    if (dot != std::string::npos && dot > 0) {
        Value v = lookup(name.substr(0, dot), act);
        size_t i = dot + 1;
        while (i <= name.size()) {
            size_t next = name.find('.', i);
            if (next == std::string::npos)
                next = name.size();
            v = getMember(v, name.substr(i, next - i));
            if (next >= name.size())
                break;
            i = next + 1;
        }
        return v;
    }
    if (name == "this")
        return act.self;
    if (name == "super" && act.function)
        return superOf(act.function, act.self);
    if (iequals(name, "_root") || iequals(name, "_level0"))
        return Value::fromClip(m_host.rootClip());
    if (name == "_global")
        return Value::fromObject(m_globals);
    for (auto it = act.blocks.rbegin(); it != act.blocks.rend(); ++it) {
        if (!it->isWith)
            continue;
        if (it->object.type == Value::Type::Object && it->object.object->has(name))
            return it->object.object->get(name);
        if (Clip* clip = resolveClip(it->object))
            if (clip->variables().has(name) || clip->childClip(name))
                return getMember(it->object, name);
    }
    if (act.locals && act.locals->has(name))
        return act.locals->get(name);
    if (Clip* clip = target(act)) {
        if (iequals(name, "_parent")) {
            Clip* parent = clip->parentClip();
            return parent ? Value::fromClip(parent) : Value{};
        }
        if (clip->variables().has(name) || clip->childClip(name) || clipPropertyIndex(name) >= 0)
            return getMember(Value::fromClip(clip), name);
    }
    if (m_globals->has(name))
        return m_globals->get(name);
    return {};
}

void Interpreter::assign(const std::string& name, const Value& value, Activation& act)
{
    const size_t colon = name.rfind(':');
    const size_t dot = name.rfind('.');
    if (colon != std::string::npos || (dot != std::string::npos && dot > 0)) {
        const size_t cut = colon != std::string::npos ? colon : dot;
        const std::string owner = name.substr(0, cut);
        const std::string member = name.substr(cut + 1);
        if (colon != std::string::npos || owner[0] == '/') {
            if (Clip* clip = resolvePath(owner, target(act), &act))
                setMember(Value::fromClip(clip), member, value);
        } else {
            setMember(lookup(owner, act), member, value);
        }
        return;
    }
    for (auto it = act.blocks.rbegin(); it != act.blocks.rend(); ++it) {
        if (it->isWith && it->object.type == Value::Type::Object && it->object.object->has(name)) {
            it->object.object->set(name, value);
            return;
        }
    }
    if (act.locals && act.locals->has(name)) {
        act.locals->set(name, value);
        return;
    }
    if (Clip* clip = target(act))
        setMember(Value::fromClip(clip), name, value);
}

Value Interpreter::getMember(const Value& object, const std::string& name)
{
    if (object.type == Value::Type::Clip) {
        Clip* clip = resolveClip(object);
        if (!clip)
            return {};
        const int property = clipPropertyIndex(name);
        if (property >= 0)
            return clip->getProperty(static_cast<ClipProperty>(property));
        if (name == "__proto__") {
            const std::shared_ptr<Object>& own = clip->variables().prototype;
            return Value::fromObject(own ? own : m_clipMethods);
        }
        if (Value named; clip->getNamed(name, named))
            return named;
        if (clip->variables().has(name))
            return readProperty(clip->variables(), object, name);
        if (Clip* child = clip->childClip(name))
            return Value::fromClip(child);
        if (iequals(name, "_parent")) {
            Clip* parent = clip->parentClip();
            return parent ? Value::fromClip(parent) : Value{};
        }
        return readProperty(*m_clipMethods, object, name);
    }
    if (object.type == Value::Type::Object)
        return readProperty(*object.object, object, name);
    if (object.type == Value::Type::String) {
        if (name == "length")
            return Value::fromNumber(double(characterCount(object.text)));
        return m_stringPrototype->get(name);
    }
    if (object.type == Value::Type::Number)
        return m_numberPrototype->get(name);
    if (object.type == Value::Type::Bool)
        return m_booleanPrototype->get(name);
    return {};
}

Value Interpreter::readProperty(Object& o, const Value& self, const std::string& name)
{
    if (name == "__proto__")
        return o.prototype ? Value::fromObject(o.prototype) : Value{};
    Value v = o.get(name);
    if (v.type == Value::Type::Object && v.object->state)
        if (const auto* accessor = dynamic_cast<const Accessor*>(v.object->state.get())) {
            std::vector<Value> none;
            return callFunction(accessor->getter, self, none);
        }
    if (v.isUndefined() && o.isFunction() && !o.has(name))
        return m_functionPrototype->get(name);
    return v;
}

void Interpreter::writeProperty(Object& o, const Value& self, const std::string& name, const Value& value)
{
    if (name == "__proto__") {
        o.prototype = value.type == Value::Type::Object ? value.object : nullptr;
        return;
    }
    Value stored = value;
    if (o.watches && o.watches->hasOwn(name)) {
        const Value entry = o.watches->get(name);
        if (entry.type == Value::Type::Object) {
            std::vector<Value> args{Value::fromString(name), o.get(name), value, entry.object->get("data")};
            stored = callFunction(entry.object->get("callback"), self, args);
        }
    }
    const Value current = o.get(name);
    if (current.type == Value::Type::Object && current.object->state)
        if (const auto* accessor = dynamic_cast<const Accessor*>(current.object->state.get())) {
            if (!accessor->setter.isUndefined()) {
                std::vector<Value> args{stored};
                callFunction(accessor->setter, self, args);
            }
            return;
        }
    o.set(name, std::move(stored));
}

void Interpreter::setMember(const Value& object, const std::string& name, const Value& value)
{
    if (object.type == Value::Type::Clip) {
        Clip* clip = resolveClip(object);
        if (!clip)
            return;
        const int property = clipPropertyIndex(name);
        if (property >= 0)
            clip->setProperty(static_cast<ClipProperty>(property), value);
        else if (!clip->setNamed(name, value)) {
            // The members MovieClip.prototype defines as properties run their setters.
            const Value member = m_clipMethods->get(name);
            const auto* accessor = member.type == Value::Type::Object && member.object->state
                                       ? dynamic_cast<const Accessor*>(member.object->state.get()) : nullptr;
            if (accessor && !clip->variables().hasOwn(name)) {
                std::vector<Value> args{value};
                if (!accessor->setter.isUndefined())
                    callFunction(accessor->setter, object, args);
            } else {
                writeProperty(clip->variables(), object, name, value);
            }
        }
        return;
    }
    if (object.type == Value::Type::Object)
        writeProperty(*object.object, object, name, value);
}

void Interpreter::setVariable(const std::string& path, const Value& value, Clip& base)
{
    Activation act;
    act.originPath = act.targetPath = base.targetPath();
    act.originClip = act.targetClip = base.anchor();
    act.self = Value::fromClip(&base);
    assign(path, value, act);
}

Value Interpreter::getVariable(const std::string& path, Clip& base)
{
    Activation act;
    act.originPath = act.targetPath = base.targetPath();
    act.originClip = act.targetClip = base.anchor();
    act.self = Value::fromClip(&base);
    return lookup(path, act);
}

Value Interpreter::callFunction(const Value& function, const Value& self, std::vector<Value>& args)
{
    if (function.type != Value::Type::Object)
        return {};
    Object& fn = *function.object;
    if (fn.native)
        return fn.native(*this, self, args);
    if (!fn.script || m_depth >= m_limits.maxCallDepth)
        return {};
    const ScriptFunction& body = *fn.script;
    Activation act;
    act.code = body.code;
    act.begin = body.begin;
    act.end = body.end;
    act.originPath = act.targetPath = body.definedIn;
    act.originClip = act.targetClip = body.definedOn;
    act.function = function.object;
    act.constants = body.constants;
    if (self.isUndefined()) {
        act.self = Value::fromClip(body.definedIn);
        act.self.anchor = body.definedOn;
    } else {
        act.self = self;
    }
    act.locals = newObject();
    auto arguments = newObject();
    arguments->isArray = true;
    arguments->set("length", Value::fromNumber(0));
    for (size_t i = 0; i < args.size(); ++i)
        arguments->set(std::to_string(i), args[i]);
    if (body.isFunction2) {
        act.registers.assign(std::max<size_t>(body.registerCount, 1), Value{});
        size_t reg = 1;
        auto preload = [&](uint16_t bit, const Value& v) {
            if ((body.flags & bit) && reg < act.registers.size())
                act.registers[reg++] = v;
        };
        Clip* definedOn = clipOf(body.definedIn, body.definedOn);
        Clip* parent = definedOn ? definedOn->parentClip() : nullptr;
        // Flag bits: 0x01 this, 0x04 arguments, 0x10 super, 0x40 _root, 0x80
        // _parent, 0x100 _global (0x02, 0x08, 0x20 suppress this, arguments, super).
        preload(0x0001, act.self);
        preload(0x0004, Value::fromObject(arguments));
        preload(0x0010, (body.flags & 0x0010) ? superOf(function.object, act.self) : Value::undefined());
        preload(0x0040, Value::fromClip(m_host.rootClip()));
        preload(0x0080, parent ? Value::fromClip(parent) : Value{});
        preload(0x0100, Value::fromObject(m_globals));
    }
    for (size_t i = 0; i < body.params.size(); ++i) {
        const Value arg = i < args.size() ? args[i] : Value{};
        const uint8_t reg = i < body.paramRegisters.size() ? body.paramRegisters[i] : 0;
        if (reg && reg < act.registers.size())
            act.registers[reg] = arg;
        else
            act.locals->set(body.params[i], arg);
    }
    if (!(body.flags & 0x0008))
        act.locals->set("arguments", Value::fromObject(arguments));
    ++m_depth;
    Value result = execute(act);
    --m_depth;
    if (m_stack.size() > act.stackBase)
        m_stack.resize(act.stackBase);
    return result;
}

// `super` inside `function` called on `self`: the prototype the function belongs to
// (the constructor's own, or the one holding the method) is found on self's chain;
// super reaches the next prototype up, and calling it runs that prototype's
// constructor on self.
Value Interpreter::superOf(const std::shared_ptr<Object>& function, const Value& self)
{
    Object* start = nullptr;
    if (self.type == Value::Type::Object)
        start = self.object.get();
    else if (Clip* clip = resolveClip(self))
        start = &clip->variables();
    if (!start || !function)
        return {};
    const Value ownPrototype = function->get("prototype");
    std::shared_ptr<Object> home;
    int depth = 0;
    for (std::shared_ptr<Object> o = start->prototype; o && depth < 32 && !home; o = o->prototype, ++depth) {
        if (ownPrototype.type == Value::Type::Object && o == ownPrototype.object) {
            home = o;
            break;
        }
        for (const std::string& key : o->keys()) {
            const Value v = o->get(key);
            if (v.type == Value::Type::Object && v.object == function) {
                home = o;
                break;
            }
        }
    }
    if (!home)
        home = start->prototype;
    if (!home)
        return {};
    auto super = newObject();
    super->prototype = home->prototype;
    auto state = std::make_shared<SuperState>();
    state->self = self;
    super->state = state;
    const Value parent = home->get("__constructor__");
    super->native = [parent, self](Interpreter& in, const Value&, std::vector<Value>& args) {
        return in.callFunction(parent, self, args);
    };
    return Value::fromObject(super);
}

Value Interpreter::construct(const Value& constructor, std::vector<Value>& args)
{
    auto object = newObject();
    object->prototype = m_objectPrototype;
    if (constructor.type != Value::Type::Object)
        return Value::fromObject(object);
    const Value proto = constructor.object->get("prototype");
    if (proto.type == Value::Type::Object)
        object->prototype = proto.object;
    const Value self = Value::fromObject(object);
    const Value result = callFunction(constructor, self, args);
    if (constructor.object->native && result.type == Value::Type::Object)
        return result;
    return self;
}

}  // namespace flash::avm1

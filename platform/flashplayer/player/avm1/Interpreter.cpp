#include "Interpreter.h"

#include "ActionCodes.h"
#include "Activation.h"
#include "Operators.h"
#include "Payload.h"
#include "StandardClasses.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace flash::avm1 {

Interpreter::Interpreter(Host& host, int swfVersion, Limits limits)
    : m_host(host), m_version(swfVersion), m_limits(limits),
      m_globals(std::make_shared<Object>(swfVersion >= 7))
{
    installBuiltins();
}

Interpreter::~Interpreter()
{
    // The built-in classes link constructors and prototypes both ways: everything
    // reachable from the globals is cleared so those cycles go too.
    std::vector<std::shared_ptr<Object>> reachable;
    std::unordered_set<const Object*> seen;
    std::vector<std::shared_ptr<Object>> stack{m_globals, m_objectPrototype, m_functionPrototype, m_arrayPrototype,
                                               m_stringPrototype, m_numberPrototype, m_booleanPrototype, m_classes,
                                               m_clipMethods};
    auto visit = [&stack](const Value& v) {
        if (v.type == Value::Type::Object && v.object)
            stack.push_back(v.object);
    };
    while (!stack.empty()) {
        std::shared_ptr<Object> o = std::move(stack.back());
        stack.pop_back();
        if (!o || !seen.insert(o.get()).second)
            continue;
        reachable.push_back(o);
        for (const std::string& key : o->keys())
            visit(o->get(key));
        stack.push_back(o->prototype);
        stack.push_back(o->watches);
        if (const auto* accessor = dynamic_cast<const Accessor*>(o->state.get())) {
            visit(accessor->getter);
            visit(accessor->setter);
        }
    }
    for (const std::shared_ptr<Object>& o : reachable)
        o->clear();
    for (const std::weak_ptr<Object>& weak : m_objects)
        if (std::shared_ptr<Object> object = weak.lock())
            object->clear();
    m_globals->clear();
    for (auto* proto : {&m_objectPrototype, &m_functionPrototype, &m_arrayPrototype, &m_stringPrototype,
                        &m_numberPrototype, &m_booleanPrototype, &m_classes, &m_clipMethods})
        if (*proto)
            (*proto)->clear();
}

std::shared_ptr<Object> Interpreter::newObject()
{
    auto object = std::make_shared<Object>(m_version >= 7);
    if (m_objects.size() >= 4096 && m_objects.size() == m_objects.capacity()) {
        // Forget the objects already freed before the list grows again.
        std::erase_if(m_objects, [](const std::weak_ptr<Object>& w) { return w.expired(); });
    }
    m_objects.push_back(object);
    return object;
}

std::shared_ptr<Object> Interpreter::newArray()
{
    auto array = newObject();
    array->isArray = true;
    array->prototype = m_arrayPrototype;
    array->set("length", Value::fromNumber(0));
    return array;
}

Value Interpreter::callMethod(const Value& object, const std::string& name, std::vector<Value>& args)
{
    const Value function = getMember(object, name);
    if (function.type != Value::Type::Object || !function.object->isFunction())
        return {};
    return callFunction(function, object, args);
}

void Interpreter::registerClass(const std::string& linkage, const Value& constructor)
{
    if (constructor.type == Value::Type::Object)
        m_classes->set(linkage, constructor);
    else
        m_classes->remove(linkage);
}

Value Interpreter::registeredClass(const std::string& linkage) const { return m_classes->get(linkage); }

void Interpreter::construct(Clip& clip, const Value& constructor)
{
    if (constructor.type != Value::Type::Object)
        return;
    const Value proto = constructor.object->get("prototype");
    if (proto.type == Value::Type::Object)
        clip.variables().prototype = proto.object;
    std::vector<Value> none;
    const size_t base = m_stack.size();
    const int depth = m_depth;
    try {
        callFunction(constructor, Value::fromClip(&clip), none);
    } catch (const AbortScript&) {
    }
    m_stack.resize(std::min(base, m_stack.size()));
    m_depth = depth;
}

int Interpreter::addTimer(const Value& target, const Value& function, const std::string& method,
                          std::vector<Value> args, double intervalMs, bool repeat, double nowMs)
{
    constexpr size_t kMaxTimers = 4096;
    if (m_timers.size() >= kMaxTimers)
        return 0;
    Timer t;
    t.id = m_nextTimerId++;
    t.target = target;
    t.function = function;
    t.method = method;
    t.args = std::move(args);
    // Shorter periods than a millisecond or so run once per frame at most anyway.
    t.interval = std::isfinite(intervalMs) ? std::max(intervalMs, 1.0) : 1.0;
    t.due = nowMs + t.interval;
    t.repeat = repeat;
    m_timers.push_back(std::move(t));
    return m_timers.back().id;
}

bool Interpreter::removeTimer(int id)
{
    const size_t before = m_timers.size();
    std::erase_if(m_timers, [id](const Timer& t) { return t.id == id; });
    return m_timers.size() != before;
}

void Interpreter::runTimers(double nowMs)
{
    // Each due timer runs once per call; one that fell behind catches up on later
    // frames instead of flooding this one.
    std::vector<int> due;
    for (const Timer& t : m_timers)
        if (t.due <= nowMs + 1e-6)
            due.push_back(t.id);
    for (int id : due) {
        auto it = std::find_if(m_timers.begin(), m_timers.end(), [id](const Timer& t) { return t.id == id; });
        if (it == m_timers.end() || budgetExhausted())
            continue;
        Timer t = *it;
        if (t.repeat)
            it->due = std::max(it->due + it->interval, nowMs - it->interval * 4);
        else
            m_timers.erase(it);
        std::vector<Value> args = t.args;
        const size_t base = m_stack.size();
        try {
            if (!t.method.empty())
                callMethod(t.target, t.method, args);
            else
                callFunction(t.function, Value{}, args);
        } catch (const AbortScript&) {
        }
        m_stack.resize(base);
        m_depth = 0;
    }
}

void Interpreter::resetBudget() { m_used = 0; }
bool Interpreter::budgetExhausted() const { return m_used >= m_limits.maxInstructions; }

void Interpreter::run(std::shared_ptr<const std::vector<uint8_t>> code, Clip& clip)
{
    if (!code || budgetExhausted())
        return;
    Activation act;
    act.code = std::move(code);
    act.begin = 0;
    act.end = act.code->size();
    act.originPath = clip.targetPath();
    act.targetPath = act.originPath;
    act.originClip = act.targetClip = clip.anchor();
    act.self = Value::fromClip(&clip);
    const size_t base = m_stack.size();
    try {
        execute(act);
    } catch (const AbortScript&) {
    }
    m_stack.resize(base);
    m_depth = 0;
}

void Interpreter::runMethod(Clip& clip, const std::string& method, std::vector<Value> args)
{
    runHandler(Value::fromClip(&clip), method, std::move(args));
}

void Interpreter::runHandler(const Value& object, const std::string& method, std::vector<Value> args)
{
    if (budgetExhausted())
        return;
    const size_t base = m_stack.size();
    try {
        callMethod(object, method, args);
    } catch (const AbortScript&) {
    }
    m_stack.resize(base);
    m_depth = 0;
}

Clip* Interpreter::target(Activation& act)
{
    if (!act.targetValid)
        return nullptr;
    return clipOf(act.targetPath, act.targetClip);
}

Clip* Interpreter::origin(Activation& act) { return clipOf(act.originPath, act.originClip); }

Clip* Interpreter::clipOf(const std::string& path, const std::shared_ptr<ClipAnchor>& anchor)
{
    if (anchor && anchor->clip)
        return anchor->clip;
    return m_host.clipByPath(path);
}

Value Interpreter::execute(Activation& act)
{
    act.stackBase = m_stack.size();
    size_t pc = act.begin;
    while (pc < act.end && !act.returned) {
        while (!act.blocks.empty() && pc >= act.blocks.back().end) {
            pc = std::max(pc, act.blocks.back().resume);
            act.blocks.pop_back();
        }
        if (pc >= act.end)
            break;
        if (++m_used > m_limits.maxInstructions)
            throw AbortScript{};
        if (!step(act, pc))
            break;
    }
    return act.returnValue;
}

// Reads the action at pc, moves pc past it and runs it. False ends the block.
bool Interpreter::step(Activation& act, size_t& pc)
{
    const std::vector<uint8_t>& code = *act.code;
    const uint8_t op = code[pc];
    if (op == End)
        return false;
    size_t length = 0;
    size_t header = 1;
    if (op >= 0x80) {
        if (pc + 3 > act.end)
            return false;
        length = code[pc + 1] | (code[pc + 2] << 8);
        header = 3;
    }
    if (pc + header + length > act.end)
        return false;
    const size_t payloadAt = pc + header;
    pc = payloadAt + length;
    if (act.skipActions > 0) {
        --act.skipActions;
        return true;
    }
    Payload p(code.data() + payloadAt, length);
    Ops ops{*this, act, p, pc, payloadAt};
    ops.dispatch(op);
    if (m_stack.size() > m_limits.maxStack)
        throw AbortScript{};
    return true;
}

}  // namespace flash::avm1

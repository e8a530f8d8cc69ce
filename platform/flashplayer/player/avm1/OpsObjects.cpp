// Functions, calls, objects, arrays and classes.
#include "ActionCodes.h"
#include "StandardClasses.h"
#include "Operators.h"

namespace flash::avm1 {

std::vector<Value> Ops::popArgs()
{
    const int count = std::max(0, clampInt(num(pop())));
    std::vector<Value> args;
    for (int i = 0; i < count && in.m_stack.size() > act.stackBase; ++i)
        args.push_back(pop());
    return args;
}

static bool isInstance(Interpreter& in, const Value& object, const Value& constructor)
{
    if (constructor.type != Value::Type::Object)
        return false;
    const Value proto = constructor.object->get("prototype");
    if (proto.type != Value::Type::Object)
        return false;
    // A clip's chain starts at its class, or at MovieClip.prototype.
    std::shared_ptr<Object> first;
    if (object.type == Value::Type::Object)
        first = object.object->prototype;
    else if (object.type == Value::Type::Clip)
        first = in.getMember(object, "__proto__").object;
    else
        return false;
    int depth = 0;
    for (auto o = first; o && depth < 32; o = o->prototype, ++depth)
        if (o == proto.object)
            return true;
    return false;
}

bool Ops::objects(uint8_t op)
{
    switch (op) {
    case DefineFunction: doDefineFunction(false); return true;
    case DefineFunction2: doDefineFunction(true); return true;
    case CallFunction: {
        const std::string name = str(pop());
        std::vector<Value> args = popArgs();
        Value function = in.lookup(name, act);
        Value self;
        // The timeline's clip is in scope: its methods answer unqualified calls.
        if (function.type != Value::Type::Object || !function.object->isFunction())
            if (Clip* clip = in.target(act)) {
                const Value c = Value::fromClip(clip);
                const Value method = in.getMember(c, name);
                if (method.type == Value::Type::Object && method.object->isFunction()) {
                    function = method;
                    self = c;
                }
            }
        push(in.callFunction(function, self, args));
        return true;
    }
    case CallMethod: {
        const Value nameValue = pop();
        const Value object = pop();
        std::vector<Value> args = popArgs();
        const std::string name = str(nameValue);
        // Methods reached through `super` run on the `this` it stands for.
        Value self = object;
        if (object.type == Value::Type::Object && object.object->state)
            if (const auto* super = dynamic_cast<const SuperState*>(object.object->state.get()))
                self = super->self;
        if (nameValue.isUndefined() || name.empty())
            push(in.callFunction(object, Value::undefined(), args));
        else
            push(in.callFunction(in.getMember(object, name), self, args));
        return true;
    }
    case NewObject: {
        const std::string name = str(pop());
        std::vector<Value> args = popArgs();
        push(in.construct(in.lookup(name, act), args));
        return true;
    }
    case NewMethod: {
        const Value nameValue = pop();
        const Value object = pop();
        std::vector<Value> args = popArgs();
        const std::string name = str(nameValue);
        push(in.construct(name.empty() ? object : in.getMember(object, name), args));
        return true;
    }
    case InitArray: {
        std::vector<Value> items = popArgs();
        auto array = in.newArray();
        for (size_t i = 0; i < items.size(); ++i)
            array->set(std::to_string(i), items[i]);
        push(Value::fromObject(array));
        return true;
    }
    case InitObject: {
        const int count = std::max(0, clampInt(num(pop())));
        auto object = in.newObject();
        object->prototype = in.m_objectPrototype;
        for (int i = 0; i < count && in.m_stack.size() > act.stackBase; ++i) {
            Value v = pop();
            object->set(str(pop()), std::move(v));
        }
        push(Value::fromObject(object));
        return true;
    }
    case InstanceOf: {
        const Value constructor = pop();
        const Value object = pop();
        pushBool(isInstance(in, object, constructor));
        return true;
    }
    case CastOp: {
        const Value object = pop();
        const Value constructor = pop();
        push(isInstance(in, object, constructor) ? object : Value::null());
        return true;
    }
    case Extends: {
        const Value superclass = pop();
        const Value subclass = pop();
        if (subclass.type == Value::Type::Object && superclass.type == Value::Type::Object) {
            auto proto = in.newObject();
            const Value superProto = superclass.object->get("prototype");
            proto->prototype = superProto.type == Value::Type::Object ? superProto.object : in.m_objectPrototype;
            proto->set("__constructor__", superclass);
            subclass.object->set("prototype", Value::fromObject(proto));
        }
        return true;
    }
    case ImplementsOp: {
        pop();
        popArgs();
        return true;
    }
    default: return false;
    }
}

void Ops::doDefineFunction(bool version2)
{
    auto fn = std::make_shared<ScriptFunction>();
    const std::string name = p.str();
    const uint16_t count = p.u16();
    if (version2) {
        fn->isFunction2 = true;
        fn->registerCount = p.u8();
        fn->flags = p.u16();
    }
    for (uint16_t i = 0; i < count && p.ok(); ++i) {
        fn->paramRegisters.push_back(version2 ? p.u8() : 0);
        fn->params.push_back(p.str());
    }
    const uint16_t codeSize = p.u16();
    if (!p.ok())
        return;
    fn->code = act.code;
    fn->begin = pc;
    fn->end = std::min(pc + codeSize, act.end);
    fn->definedIn = act.targetPath;
    fn->definedOn = act.targetClip;
    fn->constants = act.constants;
    pc = fn->end;

    auto object = in.newObject();
    object->script = fn;
    object->prototype = in.m_functionPrototype;
    auto proto = in.newObject();
    proto->prototype = in.m_objectPrototype;
    proto->set("constructor", Value::fromObject(object));
    object->set("prototype", Value::fromObject(proto));
    const Value value = Value::fromObject(object);
    if (name.empty())
        push(value);
    else if (act.locals)
        act.locals->set(name, value);
    else if (Clip* clip = in.target(act))
        clip->variables().set(name, value);
}

}  // namespace flash::avm1

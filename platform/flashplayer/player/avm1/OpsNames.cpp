// Variables, members and clip properties.
#include "ActionCodes.h"
#include "DisplayClasses.h"
#include "Operators.h"

#include <cmath>

namespace flash::avm1 {

static const char* typeName(const Value& v)
{
    switch (v.type) {
    case Value::Type::Undefined: return "undefined";
    case Value::Type::Null: return "null";
    case Value::Type::Bool: return "boolean";
    case Value::Type::Number: return "number";
    case Value::Type::String: return "string";
    case Value::Type::Clip: return "movieclip";
    case Value::Type::Object: return v.object->isFunction() ? "function" : "object";
    }
    return "undefined";
}

bool Ops::names(uint8_t op)
{
    switch (op) {
    case GetVariable: push(in.lookup(str(pop()), act)); return true;
    case SetVariable: {
        Value v = pop();
        in.assign(str(pop()), v, act);
        return true;
    }
    case DefineLocal: {
        Value v = pop();
        const std::string name = str(pop());
        if (act.locals)
            act.locals->set(name, std::move(v));
        else if (Clip* clip = in.target(act))
            clip->variables().set(name, std::move(v));
        return true;
    }
    case DefineLocal2: {
        const std::string name = str(pop());
        if (act.locals) {
            if (!act.locals->has(name))
                act.locals->set(name, {});
        } else if (Clip* clip = in.target(act)) {
            if (!clip->variables().has(name))
                clip->variables().set(name, {});
        }
        return true;
    }
    case Delete: {
        const std::string name = str(pop());
        const Value object = pop();
        bool done = false;
        if (object.type == Value::Type::Object)
            done = object.object->remove(name);
        else if (Clip* clip = in.resolveClip(object))
            done = clip->variables().remove(name);
        pushBool(done);
        return true;
    }
    case Delete2: {
        const std::string name = str(pop());
        bool done = act.locals && act.locals->remove(name);
        if (!done)
            if (Clip* clip = in.target(act))
                done = clip->variables().remove(name);
        pushBool(done);
        return true;
    }
    case GetMember: {
        const std::string name = str(pop());
        push(in.getMember(pop(), name));
        return true;
    }
    case SetMember: {
        Value v = pop();
        const std::string name = str(pop());
        in.setMember(pop(), name, v);
        return true;
    }
    case GetProperty: {
        const int index = clampInt(num(pop()));
        const Value targetName = pop();
        Clip* clip = targetName.type == Value::Type::Clip ? in.resolveClip(targetName)
                   : str(targetName).empty() ? in.target(act)
                   : in.resolvePath(str(targetName), in.target(act), &act);
        if (clip && index >= 0 && index < static_cast<int>(ClipProperty::Count))
            push(clip->getProperty(static_cast<ClipProperty>(index)));
        else
            push({});
        return true;
    }
    case SetProperty: {
        Value v = pop();
        const int index = clampInt(num(pop()));
        const Value targetName = pop();
        Clip* clip = targetName.type == Value::Type::Clip ? in.resolveClip(targetName)
                   : str(targetName).empty() ? in.target(act)
                   : in.resolvePath(str(targetName), in.target(act), &act);
        if (clip && index >= 0 && index < static_cast<int>(ClipProperty::Count))
            clip->setProperty(static_cast<ClipProperty>(index), v);
        return true;
    }
    case TargetPath: {
        Clip* clip = in.resolveClip(pop());
        push(clip ? Value::fromString(clip->targetPath()) : Value::undefined());
        return true;
    }
    case CloneSprite: {
        const double depth = num(pop());
        const std::string name = str(pop());
        const Value source = pop();
        Clip* clip = source.type == Value::Type::Clip ? in.resolveClip(source)
                                                       : in.resolvePath(str(source), in.target(act), &act);
        if (clip && std::isfinite(depth))
            duplicateClip(in, *clip, name, clampInt(depth), Value{});
        return true;
    }
    case RemoveSprite: {
        const Value v = pop();
        Clip* clip = v.type == Value::Type::Clip ? in.resolveClip(v) : in.resolvePath(str(v), in.target(act), &act);
        if (clip)
            clip->removeClip();
        return true;
    }
    case StartDrag: {
        pop();
        pop();
        if (truth(pop())) {
            pop(); pop(); pop(); pop();
        }
        return true;
    }
    case EndDrag: return true;
    case Enumerate: doEnumerate(in.lookup(str(pop()), act)); return true;
    case Enumerate2: doEnumerate(pop()); return true;
    case TypeOf: push(Value::fromString(typeName(pop()))); return true;
    default: return false;
    }
}

void Ops::doEnumerate(const Value& object)
{
    push(Value::null());
    std::vector<std::string> keys;
    if (object.type == Value::Type::Object)
        keys = object.object->keys();
    else if (Clip* clip = in.resolveClip(object))
        keys = clip->variables().keys();
    // The newest property comes out first, as the authoring tool's player has it.
    for (const std::string& key : keys)
        push(Value::fromString(key));
}

}  // namespace flash::avm1

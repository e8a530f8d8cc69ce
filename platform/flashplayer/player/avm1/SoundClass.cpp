#include "SoundClass.h"

#include "Interpreter.h"

namespace flash::avm1 {

namespace {

std::shared_ptr<Object> nativeFunction(NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

}  // namespace

void installSoundClass(Object& global)
{
    auto proto = std::make_shared<Object>(false);
    for (const char* method : {"attachSound", "start", "stop", "setVolume", "getVolume", "setPan", "getPan",
                               "setTransform", "getTransform", "getDuration", "getPosition", "loadSound"}) {
        const std::string name = method;
        proto->set(name, Value::fromObject(nativeFunction([name](Interpreter& in, const Value& self, std::vector<Value>& a) {
            if (self.type != Value::Type::Object)
                return Value{};
            return in.host().soundCall(self.object, name, a);
        })));
    }
    auto sound = nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (self.type != Value::Type::Object)
            return Value{};
        // A target that names no clip makes the global object, as a missing one does.
        std::string target;
        if (!a.empty() && !a[0].isNullish())
            if (Clip* clip = in.resolveClip(a[0]))
                target = clip->targetPath();
        in.host().soundCall(self.object, "create", {Value::fromString(target)});
        return Value{};
    });
    sound->set("prototype", Value::fromObject(proto));
    global.set("Sound", Value::fromObject(sound));
}

}  // namespace flash::avm1

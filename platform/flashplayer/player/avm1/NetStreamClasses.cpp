#include "NetStreamClasses.h"

#include "Interpreter.h"

namespace flash::avm1 {

namespace {

std::shared_ptr<Object> nativeFunction(NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value{}; }

}  // namespace

void installVideoMethods(Object& m)
{
    m.set("attachVideo", Value::fromObject(nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const Value stream = arg(a, 0);
        if (Clip* clip = in.resolveClip(self))
            in.host().attachVideo(*clip, stream.type == Value::Type::Object ? stream.object : nullptr);
        return Value{};
    })));
    // Movie clips have a clear() of their own (the drawing's): videos take theirs first.
    const Value clipClear = m.get("clear");
    m.set("clear", Value::fromObject(nativeFunction([clipClear](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Clip* clip = in.resolveClip(self);
        if (clip && in.host().clearVideo(*clip))
            return Value{};
        return in.callFunction(clipClear, self, a);
    })));
}

void installNetStreamClasses(Object& global)
{
    auto connectionProto = std::make_shared<Object>(false);
    connectionProto->set("connect", Value::fromObject(nativeFunction([](Interpreter&, const Value& self, std::vector<Value>& a) {
        // Only the local connection exists: connect(null).
        const bool local = arg(a, 0).isNullish();
        if (self.type == Value::Type::Object)
            self.object->set("isConnected", Value::fromBool(local));
        return Value::fromBool(local);
    })));
    auto connection = nativeFunction([](Interpreter&, const Value& self, std::vector<Value>&) {
        if (self.type == Value::Type::Object)
            self.object->set("isConnected", Value::fromBool(false));
        return Value{};
    });
    connection->set("prototype", Value::fromObject(connectionProto));
    global.set("NetConnection", Value::fromObject(connection));

    auto proto = std::make_shared<Object>(false);
    for (const char* call : {"play", "pause", "seek", "close"}) {
        const std::string name = call;
        proto->set(name, Value::fromObject(nativeFunction([name](Interpreter& in, const Value& self, std::vector<Value>& a) {
            if (self.type == Value::Type::Object)
                in.host().netStreamCall(self.object, name, a);
            return Value{};
        })));
    }
    proto->set("setBufferTime", Value::fromObject(nativeFunction([](Interpreter&, const Value& self, std::vector<Value>& a) {
        if (self.type == Value::Type::Object)
            self.object->set("bufferTime", arg(a, 0));
        return Value{};
    })));
    auto stream = nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>&) {
        if (self.type == Value::Type::Object)
            in.host().netStreamCall(self.object, "create", {});
        return Value{};
    });
    stream->set("prototype", Value::fromObject(proto));
    global.set("NetStream", Value::fromObject(stream));
}

}  // namespace flash::avm1

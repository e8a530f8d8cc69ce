#include "LoaderClasses.h"

#include "Interpreter.h"

#include <cmath>

namespace flash::avm1 {

namespace {

std::shared_ptr<Object> nativeFunction(NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value{}; }

// The clip a loadClip or getProgress target names: a clip, or a path from the root.
Clip* targetClip(Interpreter& in, const Value& target)
{
    if (Clip* clip = in.resolveClip(target))
        return clip;
    if (target.type == Value::Type::String && in.host().rootClip())
        return in.resolveTarget(target.text, *in.host().rootClip());
    return nullptr;
}

// "_level2" for a level number given as a script value.
std::string levelName(Interpreter& in, const Value& v)
{
    const double n = toNumber(v, in.swfVersion());
    return "_level" + std::to_string(std::isfinite(n) && n > 0 ? clampInt(n) : 0);
}

Object* listenersOf(const Value& self)
{
    if (self.type != Value::Type::Object)
        return nullptr;
    const Value list = self.object->get("_listeners");
    return list.type == Value::Type::Object ? list.object.get() : nullptr;
}

size_t lengthOf(Interpreter& in, Object& list)
{
    // A script may set any length; no more than this many listeners are called.
    constexpr double kMaxListeners = 1024;
    const double n = toNumber(list.get("length"), in.swfVersion());
    return std::isfinite(n) && n > 0 ? size_t(std::min(n, kMaxListeners)) : 0;
}

}  // namespace

void installLoaderMethods(Object& m)
{
    m.set("loadMovie", Value::fromObject(nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (Clip* clip = in.resolveClip(self))
            in.host().loadInto(toString(arg(a, 0), in.swfVersion()), clip->targetPath(), nullptr);
        return Value{};
    })));
    m.set("unloadMovie", Value::fromObject(nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>&) {
        if (Clip* clip = in.resolveClip(self))
            in.host().loadInto({}, clip->targetPath(), nullptr);
        return Value{};
    })));
}

void installLoaderClasses(Object& global)
{
    global.set("loadMovieNum", Value::fromObject(nativeFunction([](Interpreter& in, const Value&, std::vector<Value>& a) {
        in.host().loadInto(toString(arg(a, 0), in.swfVersion()), levelName(in, arg(a, 1)), nullptr);
        return Value{};
    })));
    global.set("unloadMovieNum", Value::fromObject(nativeFunction([](Interpreter& in, const Value&, std::vector<Value>& a) {
        in.host().loadInto({}, levelName(in, arg(a, 0)), nullptr);
        return Value{};
    })));

    auto proto = std::make_shared<Object>(false);
    auto method = [&proto](const char* name, NativeFunction fn) {
        proto->set(name, Value::fromObject(nativeFunction(std::move(fn))));
    };
    method("loadClip", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::string url = toString(arg(a, 0), in.swfVersion());
        const Value target = arg(a, 1);
        std::string path;
        if (Clip* clip = targetClip(in, target))
            path = clip->targetPath();
        else if (target.type == Value::Type::Number)
            path = levelName(in, target);
        if (path.empty() || url.empty() || self.type != Value::Type::Object)
            return Value::fromBool(false);
        in.host().loadInto(url, path, self.object);
        return Value::fromBool(true);
    });
    method("unloadClip", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        Clip* clip = targetClip(in, arg(a, 0));
        if (clip)
            in.host().loadInto({}, clip->targetPath(), nullptr);
        return Value::fromBool(clip != nullptr);
    });
    method("getProgress", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        auto progress = in.newObject();
        Clip* clip = targetClip(in, arg(a, 0));
        const double bytes = clip ? in.host().loadedBytes(clip->targetPath()) : 0;
        progress->set("bytesLoaded", Value::fromNumber(bytes));
        progress->set("bytesTotal", Value::fromNumber(bytes));
        return Value::fromObject(progress);
    });
    method("addListener", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* list = listenersOf(self);
        const Value listener = arg(a, 0);
        if (!list || listener.isNullish())
            return Value::fromBool(false);
        const size_t n = lengthOf(in, *list);
        for (size_t i = 0; i < n; ++i) {
            const Value v = list->get(std::to_string(i));
            if (v.type == listener.type && v.object == listener.object && v.text == listener.text)
                return Value::fromBool(true);
        }
        list->set(std::to_string(n), listener);
        list->set("length", Value::fromNumber(double(n + 1)));
        return Value::fromBool(true);
    });
    method("removeListener", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* list = listenersOf(self);
        const Value listener = arg(a, 0);
        if (!list)
            return Value::fromBool(false);
        const size_t n = lengthOf(in, *list);
        for (size_t i = 0; i < n; ++i) {
            const Value v = list->get(std::to_string(i));
            if (v.type != listener.type || v.object != listener.object || v.text != listener.text)
                continue;
            for (size_t j = i; j + 1 < n; ++j)
                list->set(std::to_string(j), list->get(std::to_string(j + 1)));
            list->remove(std::to_string(n - 1));
            list->set("length", Value::fromNumber(double(n - 1)));
            return Value::fromBool(true);
        }
        return Value::fromBool(false);
    });
    // broadcastMessage(name, args...) calls listener[name](args...) on every listener.
    method("broadcastMessage", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* list = listenersOf(self);
        if (!list || a.empty())
            return Value{};
        const std::string name = toString(a[0], in.swfVersion());
        std::vector<Value> listeners;
        const size_t n = lengthOf(in, *list);
        for (size_t i = 0; i < n; ++i)
            listeners.push_back(list->get(std::to_string(i)));
        for (const Value& listener : listeners) {
            if (listener.type != Value::Type::Object)
                continue;
            const Value handler = listener.object->get(name);
            if (handler.type != Value::Type::Object || !handler.object->isFunction())
                continue;
            std::vector<Value> rest(a.begin() + 1, a.end());
            in.callFunction(handler, listener, rest);
        }
        return Value{};
    });
    // The loader hears its own events, so loader.onLoadInit = ... works without addListener.
    auto loader = nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>&) {
        if (self.type != Value::Type::Object)
            return Value{};
        auto list = in.newObject();
        list->isArray = true;
        list->set("0", self);
        list->set("length", Value::fromNumber(1));
        self.object->set("_listeners", Value::fromObject(list));
        return Value{};
    });
    loader->set("prototype", Value::fromObject(proto));
    global.set("MovieClipLoader", Value::fromObject(loader));
}

}  // namespace flash::avm1

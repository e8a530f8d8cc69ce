// The built-in objects scripts lean on most: MovieClip methods, Math, Object, Array
// and a few global functions.
#include "BitmapDataClass.h"
#include "DateClass.h"
#include "DisplayClasses.h"
#include "InputClasses.h"
#include "DrawingMethods.h"
#include "Interpreter.h"
#include "LoaderClasses.h"
#include "NetStreamClasses.h"
#include "SoundClass.h"
#include "StandardClasses.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace flash::avm1 {

namespace {

std::shared_ptr<Object> nativeFunction(NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value{}; }

// gotoAndPlay/gotoAndStop take a 1-based frame number or a label.
void clipGoto(Interpreter& in, Clip& clip, const Value& frame, bool andPlay)
{
    if (frame.type == Value::Type::String && clip.frameOfLabel(frame.text) >= 0) {
        clip.gotoLabel(frame.text, andPlay);
        return;
    }
    const double n = toNumber(frame, in.swfVersion());
    if (!std::isnan(n))
        clip.gotoFrame(clampInt(n) - 1, andPlay);
}

void installClipMethods(Object& m)
{
    auto method = [&m](const char* name, std::function<Value(Interpreter&, Clip&, std::vector<Value>&)> body) {
        m.set(name, Value::fromObject(nativeFunction(
            [body](Interpreter& in, const Value& self, std::vector<Value>& args) -> Value {
                Clip* clip = in.resolveClip(self);
                return clip ? body(in, *clip, args) : Value{};
            })));
    };
    method("play", [](Interpreter&, Clip& c, std::vector<Value>&) { c.play(); return Value{}; });
    method("stop", [](Interpreter&, Clip& c, std::vector<Value>&) { c.stop(); return Value{}; });
    method("nextFrame", [](Interpreter&, Clip& c, std::vector<Value>&) { c.nextFrame(); return Value{}; });
    method("prevFrame", [](Interpreter&, Clip& c, std::vector<Value>&) { c.prevFrame(); return Value{}; });
    method("gotoAndPlay", [](Interpreter& in, Clip& c, std::vector<Value>& a) { clipGoto(in, c, arg(a, 0), true); return Value{}; });
    method("gotoAndStop", [](Interpreter& in, Clip& c, std::vector<Value>& a) { clipGoto(in, c, arg(a, 0), false); return Value{}; });
    method("getBytesLoaded", [](Interpreter&, Clip&, std::vector<Value>&) { return Value::fromNumber(1); });
    method("getBytesTotal", [](Interpreter&, Clip&, std::vector<Value>&) { return Value::fromNumber(1); });
    method("removeMovieClip", [](Interpreter&, Clip& c, std::vector<Value>&) { c.removeClip(); return Value{}; });
    method("toString", [](Interpreter&, Clip& c, std::vector<Value>&) { return Value::fromString(c.targetPath()); });
}

void installMath(Object& global)
{
    auto math = std::make_shared<Object>(false);
    auto unary = [&math](const char* name, double (*f)(double)) {
        math->set(name, Value::fromObject(nativeFunction(
            [f](Interpreter& in, const Value&, std::vector<Value>& a) {
                return Value::fromNumber(f(toNumber(arg(a, 0), in.swfVersion())));
            })));
    };
    unary("abs", [](double x) { return std::fabs(x); });
    unary("floor", [](double x) { return std::floor(x); });
    unary("ceil", [](double x) { return std::ceil(x); });
    unary("round", [](double x) { return std::floor(x + 0.5); });
    unary("sqrt", [](double x) { return std::sqrt(x); });
    unary("sin", [](double x) { return std::sin(x); });
    unary("cos", [](double x) { return std::cos(x); });
    unary("tan", [](double x) { return std::tan(x); });
    unary("atan", [](double x) { return std::atan(x); });
    unary("asin", [](double x) { return std::asin(x); });
    unary("acos", [](double x) { return std::acos(x); });
    unary("exp", [](double x) { return std::exp(x); });
    unary("log", [](double x) { return std::log(x); });
    auto binary = [&math](const char* name, double (*f)(double, double)) {
        math->set(name, Value::fromObject(nativeFunction(
            [f](Interpreter& in, const Value&, std::vector<Value>& a) {
                return Value::fromNumber(f(toNumber(arg(a, 0), in.swfVersion()), toNumber(arg(a, 1), in.swfVersion())));
            })));
    };
    binary("min", [](double x, double y) { return x < y ? x : y; });
    binary("max", [](double x, double y) { return x > y ? x : y; });
    binary("pow", [](double x, double y) { return std::pow(x, y); });
    binary("atan2", [](double y, double x) { return std::atan2(y, x); });
    math->set("random", Value::fromObject(nativeFunction([](Interpreter& in, const Value&, std::vector<Value>&) {
        return Value::fromNumber((in.host().random() % 1000000) / 1000000.0);
    })));
    math->set("PI", Value::fromNumber(3.141592653589793));
    global.set("Math", Value::fromObject(math));
}

void installGlobals(Object& global, const std::shared_ptr<Object>& objectProto)
{
    auto fn = [&global](const char* name, NativeFunction f) {
        global.set(name, Value::fromObject(nativeFunction(std::move(f))));
    };
    fn("parseInt", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        const std::string s = toString(arg(a, 0), in.swfVersion());
        const int radix = a.size() > 1 ? clampInt(toNumber(a[1], in.swfVersion())) : 10;
        char* end = nullptr;
        const long long v = std::strtoll(s.c_str(), &end, radix >= 2 && radix <= 36 ? radix : 10);
        return end == s.c_str() ? Value::fromNumber(NAN) : Value::fromNumber(double(v));
    });
    fn("parseFloat", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        const std::string s = toString(arg(a, 0), in.swfVersion());
        char* end = nullptr;
        const double v = std::strtod(s.c_str(), &end);
        return end == s.c_str() ? Value::fromNumber(NAN) : Value::fromNumber(v);
    });
    fn("isNaN", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        return Value::fromBool(std::isnan(toNumber(arg(a, 0), in.swfVersion())));
    });
    fn("Number", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        return Value::fromNumber(toNumber(arg(a, 0), in.swfVersion()));
    });
    fn("String", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        return Value::fromString(toString(arg(a, 0), in.swfVersion()));
    });
    fn("Boolean", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        return Value::fromBool(toBoolean(arg(a, 0), in.swfVersion()));
    });
    fn("ASSetPropFlags", [](Interpreter&, const Value&, std::vector<Value>&) { return Value{}; });
    auto object = nativeFunction([](Interpreter&, const Value& self, std::vector<Value>&) { return self; });
    object->set("prototype", Value::fromObject(objectProto));
    global.set("Object", Value::fromObject(object));
    auto array = nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (self.type != Value::Type::Object)
            return Value{};
        Object& o = *self.object;
        o.isArray = true;
        o.set("length", Value::fromNumber(0));
        if (a.size() == 1 && a[0].type == Value::Type::Number)
            o.set("length", Value::fromNumber(clampInt(a[0].number)));
        else
            for (size_t i = 0; i < a.size(); ++i)
                o.set(std::to_string(i), a[i]);
        return self;
    });
    global.set("Array", Value::fromObject(array));
}

// The Color class: new Color(target) tints a clip through its colour transform.
void installColor(Object& global)
{
    auto proto = std::make_shared<Object>(false);
    auto clipOf = [](Interpreter& in, const Value& self) -> Clip* {
        if (self.type != Value::Type::Object)
            return nullptr;
        const Value target = self.object->get("target");
        if (Clip* clip = in.resolveClip(target))
            return clip;
        if (target.type == Value::Type::String && in.host().rootClip())
            return in.resolveClip(in.getVariable(target.text, *in.host().rootClip()));
        return nullptr;
    };
    auto method = [&proto](const char* name, NativeFunction fn) {
        proto->set(name, Value::fromObject(nativeFunction(std::move(fn))));
    };
    method("setRGB", [clipOf](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (Clip* clip = clipOf(in, self)) {
            const uint32_t rgb = static_cast<uint32_t>(toInt32(toNumber(arg(a, 0), in.swfVersion())));
            std::array<double, 8> v = clip->colorTransformValues();
            v[0] = v[1] = v[2] = 0;
            v[4] = (rgb >> 16) & 0xFF;
            v[5] = (rgb >> 8) & 0xFF;
            v[6] = rgb & 0xFF;
            clip->setColorTransformValues(v);
        }
        return Value{};
    });
    method("getRGB", [clipOf](Interpreter& in, const Value& self, std::vector<Value>&) {
        Clip* clip = clipOf(in, self);
        if (!clip)
            return Value{};
        const std::array<double, 8> v = clip->colorTransformValues();
        return Value::fromNumber((int(v[4]) << 16) | (int(v[5]) << 8) | int(v[6]));
    });
    static const char* const keys[] = {"ra", "ga", "ba", "aa", "rb", "gb", "bb", "ab"};
    method("setTransform", [clipOf](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Clip* clip = clipOf(in, self);
        const Value t = arg(a, 0);
        if (!clip || t.type != Value::Type::Object)
            return Value{};
        std::array<double, 8> v = clip->colorTransformValues();
        for (int i = 0; i < 8; ++i)
            if (t.object->hasOwn(keys[i]))   // inherited members do not count
                v[i] = toNumber(t.object->get(keys[i]), in.swfVersion());
        clip->setColorTransformValues(v);
        return Value{};
    });
    method("getTransform", [clipOf](Interpreter& in, const Value& self, std::vector<Value>&) {
        Clip* clip = clipOf(in, self);
        if (!clip)
            return Value{};
        auto t = in.newObject();
        const std::array<double, 8> v = clip->colorTransformValues();
        for (int i = 0; i < 8; ++i)
            t->set(keys[i], Value::fromNumber(v[i]));
        return Value::fromObject(t);
    });
    auto color = nativeFunction([](Interpreter&, const Value& self, std::vector<Value>& a) {
        if (self.type == Value::Type::Object)
            self.object->set("target", arg(a, 0));
        return self;
    });
    color->set("prototype", Value::fromObject(proto));
    global.set("Color", Value::fromObject(color));
}

}  // namespace

void Interpreter::installBuiltins()
{
    m_objectPrototype = std::make_shared<Object>(m_version >= 7);
    m_clipMethods = std::make_shared<Object>(m_version >= 7);
    m_classes = std::make_shared<Object>(m_version >= 7);
    for (auto* proto : {&m_functionPrototype, &m_arrayPrototype, &m_stringPrototype, &m_numberPrototype,
                        &m_booleanPrototype}) {
        *proto = std::make_shared<Object>(m_version >= 7);
        (*proto)->prototype = m_objectPrototype;
    }
    m_arrayPrototype->isArray = true;
    m_clipMethods->prototype = m_objectPrototype;
    installClipMethods(*m_clipMethods);
    installDrawingMethods(*m_clipMethods);
    installLoaderMethods(*m_clipMethods);
    installVideoMethods(*m_clipMethods);
    installMath(*m_globals);
    installGlobals(*m_globals, m_objectPrototype);
    installStandardClasses(*this, *m_globals);
    auto movieClip = nativeFunction([](Interpreter&, const Value& self, std::vector<Value>&) { return self; });
    movieClip->set("prototype", Value::fromObject(m_clipMethods));
    m_clipMethods->set("constructor", Value::fromObject(movieClip));
    m_globals->set("MovieClip", Value::fromObject(movieClip));
    installColor(*m_globals);
    installDrawingClasses(*this, *m_globals);
    installLoaderClasses(*m_globals);
    installNetStreamClasses(*m_globals);
    installSoundClass(*m_globals);
    installBitmapClasses(*this, *m_globals);
    installBitmapMethods(*m_clipMethods);
    installDisplayClasses(*this, *m_globals, *m_clipMethods);
    installInputClasses(*this, *m_globals);
    installDateClass(*this, *m_globals);
}

}  // namespace flash::avm1

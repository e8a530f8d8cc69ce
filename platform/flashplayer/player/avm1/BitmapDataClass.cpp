#include "BitmapDataClass.h"

#include "DisplayClasses.h"

#include "BitmapSurface.h"
#include "Interpreter.h"

#include <algorithm>
#include <array>
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
double number(Interpreter& in, const Value& v) { return toNumber(v, in.swfVersion()); }
int integer(Interpreter& in, const Value& v) { return clampInt(std::floor(number(in, v))); }
uint32_t colour(Interpreter& in, const Value& v) { return static_cast<uint32_t>(toInt32(number(in, v))); }
Value member(const Value& o, const char* name) { return o.type == Value::Type::Object ? o.object->get(name) : Value{}; }

std::shared_ptr<Object> package(Object& owner, const char* name)
{
    const Value v = owner.get(name);
    if (v.type == Value::Type::Object)
        return v.object;
    auto o = std::make_shared<Object>(false);
    owner.set(name, Value::fromObject(o));
    return o;
}

std::shared_ptr<BitmapSurface> surfaceOf(const Value& v)
{
    if (v.type != Value::Type::Object)
        return nullptr;
    auto s = std::dynamic_pointer_cast<BitmapSurface>(v.object->state);
    return s && !s->disposed() ? s : nullptr;
}

// The rectangle's ends are clamped, not its size, so a huge rectangle still covers
// the bitmap.
PixelBox boxOf(Interpreter& in, const Value& rect)
{
    auto span = [&](const char* at, const char* size, int& start, int& length) {
        const double a = std::floor(number(in, member(rect, at))), b = a + std::floor(number(in, member(rect, size)));
        if (!std::isfinite(a) || !std::isfinite(b)) {
            start = length = 0;
            return;
        }
        const double lo = std::clamp(a, -1e9, 1e9), hi = std::clamp(b, -1e9, 1e9);
        start = int(lo);
        length = std::max(0, int(hi - lo));
    };
    PixelBox box;
    span("x", "width", box.x, box.width);
    span("y", "height", box.y, box.height);
    return box;
}

// A new instance of a class of `global` by its path, its members set.
Value make(Interpreter& in, const char* pkg, const char* cls, std::initializer_list<std::pair<const char*, double>> v)
{
    auto o = in.newObject();
    // Looked up afresh: a script may have replaced the package or the class.
    const Value ctor = member(member(member(in.globals().get("flash"), pkg), cls), "prototype");
    if (ctor.type == Value::Type::Object)
        o->prototype = ctor.object;
    for (const auto& [k, n] : v)
        o->set(k, Value::fromNumber(n));
    return Value::fromObject(o);
}

// The members scripts read as properties; kept in step with the pixels.
void describe(Interpreter& in, Object& self, const BitmapSurface* s)
{
    const double w = s && !s->disposed() ? s->width() : -1, h = s && !s->disposed() ? s->height() : -1;
    self.set("width", Value::fromNumber(w));
    self.set("height", Value::fromNumber(h));
    self.set("transparent", s && !s->disposed() ? Value::fromBool(s->transparent()) : Value::fromNumber(-1));
    self.set("rectangle", s && !s->disposed() ? make(in, "geom", "Rectangle", {{"x", 0}, {"y", 0}, {"width", w}, {"height", h}})
                                              : Value::fromNumber(-1));
}

Value wrap(Interpreter& in, std::shared_ptr<BitmapSurface> s)
{
    if (!s)
        return Value{};
    Value v = make(in, "display", "BitmapData", {});
    v.object->state = s;
    describe(in, *v.object, s.get());
    return v;
}

void installBitmapData(Interpreter& in, Object& display)
{
    auto proto = std::make_shared<Object>(false);
    auto method = [&proto](const char* name, std::function<Value(Interpreter&, BitmapSurface&, std::vector<Value>&)> body) {
        proto->set(name, Value::fromObject(nativeFunction(
            [body](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
                const std::shared_ptr<BitmapSurface> s = surfaceOf(self);
                return s ? body(in, *s, a) : Value{};
            })));
    };
    method("getPixel", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        return Value::fromNumber(s.getPixel32(integer(in, arg(a, 0)), integer(in, arg(a, 1))) & 0xFFFFFF);
    });
    method("getPixel32", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        return Value::fromNumber(int32_t(s.getPixel32(integer(in, arg(a, 0)), integer(in, arg(a, 1)))));
    });
    method("setPixel", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        s.setPixel(integer(in, arg(a, 0)), integer(in, arg(a, 1)), colour(in, arg(a, 2)));
        return Value{};
    });
    method("setPixel32", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        s.setPixel32(integer(in, arg(a, 0)), integer(in, arg(a, 1)), colour(in, arg(a, 2)));
        return Value{};
    });
    method("fillRect", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        if (arg(a, 0).type == Value::Type::Object)
            s.fillRect(boxOf(in, a[0]), colour(in, arg(a, 1)));
        return Value{};
    });
    method("colorTransform", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const Value t = arg(a, 1);
        if (arg(a, 0).type != Value::Type::Object || t.type != Value::Type::Object)
            return Value{};
        static const char* const keys[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                           "redOffset", "greenOffset", "blueOffset", "alphaOffset"};
        std::array<double, 8> v{};
        for (int i = 0; i < 8; ++i)
            v[i] = number(in, t.object->get(keys[i]));
        s.colorTransform(boxOf(in, a[0]), v);
        return Value{};
    });
    method("copyPixels", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const std::shared_ptr<BitmapSurface> source = surfaceOf(arg(a, 0));
        if (!source || arg(a, 1).type != Value::Type::Object)
            return Value{};
        const std::shared_ptr<BitmapSurface> alpha = surfaceOf(arg(a, 3));
        s.copyPixels(*source, boxOf(in, a[1]), integer(in, member(arg(a, 2), "x")), integer(in, member(arg(a, 2), "y")),
                     alpha.get(), integer(in, member(arg(a, 4), "x")), integer(in, member(arg(a, 4), "y")),
                     toBoolean(arg(a, 5), in.swfVersion()));
        return Value{};
    });
    method("pixelDissolve", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const std::shared_ptr<BitmapSurface> source = surfaceOf(arg(a, 0));
        if (!source || arg(a, 1).type != Value::Type::Object)
            return Value::fromNumber(0);
        const PixelBox box = boxOf(in, a[1]);
        const double n = a.size() > 4 ? number(in, a[4]) : (double(box.width) * box.height) / 30;
        const int64_t count = std::isfinite(n) ? int64_t(std::clamp(n, 0.0, double(kMaxBitmapPixels))) : 0;
        return Value::fromNumber(s.pixelDissolve(*source, box, integer(in, member(arg(a, 2), "x")),
                                                 integer(in, member(arg(a, 2), "y")), toInt32(number(in, arg(a, 3))),
                                                 count, colour(in, arg(a, 5))));
    });
    method("floodFill", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        s.floodFill(integer(in, arg(a, 0)), integer(in, arg(a, 1)), colour(in, arg(a, 2)));
        return Value{};
    });
    method("clone", [](Interpreter& in, BitmapSurface& s, std::vector<Value>&) { return wrap(in, s.clone()); });
    method("noise", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        s.noise(toInt32(number(in, arg(a, 0))), a.size() > 1 ? integer(in, a[1]) : 0,
                a.size() > 2 ? integer(in, a[2]) : 255, a.size() > 3 ? integer(in, a[3]) : 7,
                toBoolean(arg(a, 4), in.swfVersion()));
        return Value{};
    });
    method("perlinNoise", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        std::vector<std::array<double, 2>> offsets;
        const Value list = arg(a, 8);
        if (list.type == Value::Type::Object)
            for (int i = 0; i < 16; ++i) {
                const Value p = list.object->get(std::to_string(i));
                if (p.type != Value::Type::Object)
                    break;
                offsets.push_back({number(in, member(p, "x")), number(in, member(p, "y"))});
            }
        s.perlinNoise(number(in, arg(a, 0)), number(in, arg(a, 1)), integer(in, arg(a, 2)),
                      toInt32(number(in, arg(a, 3))), toBoolean(arg(a, 4), in.swfVersion()),
                      toBoolean(arg(a, 5), in.swfVersion()), a.size() > 6 ? integer(in, a[6]) : 7,
                      toBoolean(arg(a, 7), in.swfVersion()), offsets);
        return Value{};
    });
    method("threshold", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const std::shared_ptr<BitmapSurface> source = surfaceOf(arg(a, 0));
        if (!source || arg(a, 1).type != Value::Type::Object)
            return Value::fromNumber(0);
        using T = BitmapSurface::ThresholdTest;
        static const std::pair<const char*, T> tests[] = {{"<", T::Less}, {"<=", T::LessOrEqual}, {">", T::Greater},
            {">=", T::GreaterOrEqual}, {"==", T::Equal}, {"!=", T::NotEqual}};
        const std::string op = toString(arg(a, 3), in.swfVersion());
        const auto it = std::find_if(std::begin(tests), std::end(tests), [&](const auto& t) { return op == t.first; });
        if (it == std::end(tests))
            return Value::fromNumber(0);
        const uint32_t mask = a.size() > 6 ? colour(in, a[6]) : 0xFFFFFFFFu;
        return Value::fromNumber(double(s.threshold(*source, boxOf(in, a[1]), integer(in, member(arg(a, 2), "x")),
                                                    integer(in, member(arg(a, 2), "y")), it->second,
                                                    colour(in, arg(a, 4)), colour(in, arg(a, 5)), mask,
                                                    toBoolean(arg(a, 7), in.swfVersion()))));
    });
    method("getColorBoundsRect", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const PixelBox b = s.colorBounds(colour(in, arg(a, 0)), colour(in, arg(a, 1)),
                                         a.size() < 3 || toBoolean(a[2], in.swfVersion()));
        return make(in, "geom", "Rectangle", {{"x", b.x}, {"y", b.y}, {"width", b.width}, {"height", b.height}});
    });
    method("hitTest", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const int x = integer(in, member(arg(a, 0), "x")), y = integer(in, member(arg(a, 0), "y"));
        const uint32_t threshold = uint32_t(std::clamp(integer(in, arg(a, 1)), 0, 255));
        const Value other = arg(a, 2);
        if (const std::shared_ptr<BitmapSurface> bitmap = surfaceOf(other)) {
            const uint32_t second = a.size() > 4 ? uint32_t(std::clamp(integer(in, a[4]), 0, 255)) : 1;
            return Value::fromBool(s.hitBitmap(x, y, threshold, *bitmap, integer(in, member(arg(a, 3), "x")),
                                               integer(in, member(arg(a, 3), "y")), second));
        }
        if (other.type != Value::Type::Object)
            return Value::fromBool(false);
        if (other.object->has("width")) {   // a rectangle, in the space the bitmap sits at (x, y)
            PixelBox box = boxOf(in, other);
            box.x -= x;
            box.y -= y;
            return Value::fromBool(s.hitAlpha(box, threshold));
        }
        const int px = integer(in, member(other, "x")) - x, py = integer(in, member(other, "y")) - y;
        return Value::fromBool(s.hitAlpha({px, py, 1, 1}, threshold));
    });
    method("scroll", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        s.scroll(std::clamp(integer(in, arg(a, 0)), -kMaxBitmapSide, kMaxBitmapSide),
                 std::clamp(integer(in, arg(a, 1)), -kMaxBitmapSide, kMaxBitmapSide));
        return Value{};
    });
    method("merge", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const std::shared_ptr<BitmapSurface> source = surfaceOf(arg(a, 0));
        if (!source || arg(a, 1).type != Value::Type::Object)
            return Value{};
        s.merge(*source, boxOf(in, a[1]), integer(in, member(arg(a, 2), "x")), integer(in, member(arg(a, 2), "y")),
                {integer(in, arg(a, 3)), integer(in, arg(a, 4)), integer(in, arg(a, 5)), integer(in, arg(a, 6))});
        return Value{};
    });
    method("paletteMap", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const std::shared_ptr<BitmapSurface> source = surfaceOf(arg(a, 0));
        if (!source || arg(a, 1).type != Value::Type::Object)
            return Value{};
        std::array<std::optional<std::array<uint32_t, 256>>, 4> maps;
        for (int c = 0; c < 4; ++c) {
            const Value list = arg(a, 3 + c);
            if (list.type != Value::Type::Object)
                continue;
            std::array<uint32_t, 256> m{};
            for (int i = 0; i < 256; ++i)
                m[i] = colour(in, list.object->get(std::to_string(i)));
            maps[c] = m;
        }
        s.paletteMap(*source, boxOf(in, a[1]), integer(in, member(arg(a, 2), "x")), integer(in, member(arg(a, 2), "y")),
                     maps);
        return Value{};
    });
    method("applyFilter", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const std::shared_ptr<BitmapSurface> source = surfaceOf(arg(a, 0));
        const std::optional<swf::Filter> filter = filterFromScript(in, arg(a, 3));
        if (!source || arg(a, 1).type != Value::Type::Object || !filter)
            return Value::fromNumber(-1);
        s.applyFilter(*source, boxOf(in, a[1]), integer(in, member(arg(a, 2), "x")),
                      integer(in, member(arg(a, 2), "y")), *filter);
        return Value::fromNumber(0);
    });
    // draw(source, matrix, colorTransform, blendMode, clipRect, smoothing): a clip is
    // drawn by the renderer; another bitmap is laid over by the matrix's translation.
    method("draw", [](Interpreter& in, BitmapSurface& s, std::vector<Value>& a) {
        const Value m = arg(a, 1);
        auto matrixValue = [&](const char* key, double fallback) {
            return m.type == Value::Type::Object && m.object->has(key) ? number(in, m.object->get(key)) : fallback;
        };
        if (const std::shared_ptr<BitmapSurface> source = surfaceOf(arg(a, 0))) {
            const double tx = std::floor(matrixValue("tx", 0)), ty = std::floor(matrixValue("ty", 0));
            if (std::isfinite(tx) && std::isfinite(ty) && std::fabs(tx) < 1e9 && std::fabs(ty) < 1e9)
                s.copyPixels(*source, {0, 0, source->width(), source->height()}, int(tx), int(ty), nullptr, 0, 0, true);
            return Value{};
        }
        Clip* clip = in.resolveClip(arg(a, 0));
        if (!clip)
            return Value{};
        const std::array<double, 6> matrix{matrixValue("a", 1), matrixValue("b", 0), matrixValue("c", 0),
                                           matrixValue("d", 1), matrixValue("tx", 0), matrixValue("ty", 0)};
        std::array<double, 8> colour{1, 1, 1, 1, 0, 0, 0, 0};
        static const char* const keys[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                           "redOffset", "greenOffset", "blueOffset", "alphaOffset"};
        if (arg(a, 2).type == Value::Type::Object)
            for (int i = 0; i < 8; ++i)
                colour[i] = number(in, a[2].object->get(keys[i]));
        PixelBox box{0, 0, s.width(), s.height()};
        if (arg(a, 4).type == Value::Type::Object)
            box = boxOf(in, a[4]);
        in.host().drawClip(*clip, s, matrix, colour, {box.x, box.y, box.width, box.height},
                           toBoolean(arg(a, 5), in.swfVersion()));
        return Value{};
    });
    proto->set("dispose", Value::fromObject(nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>&) {
        if (const std::shared_ptr<BitmapSurface> s = surfaceOf(self)) {
            s->dispose();
            describe(in, *self.object, s.get());
        }
        return Value{};
    })));
    auto ctor = nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (self.type != Value::Type::Object)
            return Value{};
        const double w = number(in, arg(a, 0)), h = number(in, arg(a, 1));
        const bool transparent = a.size() < 3 || toBoolean(a[2], in.swfVersion());
        const uint32_t fill = a.size() < 4 ? 0xFFFFFFFFu : colour(in, a[3]);
        std::shared_ptr<BitmapSurface> s;
        if (std::isfinite(w) && std::isfinite(h) && w >= 1 && h >= 1 && w <= kMaxBitmapSide && h <= kMaxBitmapSide)
            s = BitmapSurface::make(int(w), int(h), transparent, fill);
        self.object->state = s;
        if (s)
            describe(in, *self.object, s.get());
        return Value{};
    });
    ctor->set("prototype", Value::fromObject(proto));
    ctor->set("loadBitmap", Value::fromObject(nativeFunction([](Interpreter& in, const Value&, std::vector<Value>& a) {
        return wrap(in, in.host().exportedBitmap(toString(arg(a, 0), in.swfVersion())));
    })));
    display.set("BitmapData", Value::fromObject(ctor));
}

// A class whose constructor sets numeric members from its arguments.
std::shared_ptr<Object> plainClass(Object& owner, const char* name, std::vector<std::pair<const char*, double>> members)
{
    auto proto = std::make_shared<Object>(false);
    auto ctor = nativeFunction([members](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (self.type == Value::Type::Object)
            for (size_t i = 0; i < members.size(); ++i)
                self.object->set(members[i].first, Value::fromNumber(i < a.size() ? number(in, a[i]) : members[i].second));
        return Value{};
    });
    ctor->set("prototype", Value::fromObject(proto));
    owner.set(name, Value::fromObject(ctor));
    return proto;
}

}  // namespace

void installBitmapMethods(Object& clipMethods)
{
    clipMethods.set("attachBitmap", Value::fromObject(nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Clip* clip = in.resolveClip(self);
        std::shared_ptr<BitmapSurface> s = surfaceOf(arg(a, 0));
        if (clip && s)
            clip->attachBitmap(std::move(s), integer(in, arg(a, 1)), toBoolean(arg(a, 3), in.swfVersion()));
        return Value{};
    })));
}

void installBitmapClasses(Interpreter& in, Object& global)
{
    std::shared_ptr<Object> flash = package(global, "flash");
    installBitmapData(in, *package(*flash, "display"));
    std::shared_ptr<Object> geom = package(*flash, "geom");
    plainClass(*geom, "Rectangle", {{"x", 0}, {"y", 0}, {"width", 0}, {"height", 0}});
    std::shared_ptr<Object> point = plainClass(*geom, "Point", {{"x", 0}, {"y", 0}});
    point->set("add", Value::fromObject(nativeFunction([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        return make(in, "geom", "Point",
                    {{"x", number(in, member(self, "x")) + number(in, member(arg(a, 0), "x"))},
                     {"y", number(in, member(self, "y")) + number(in, member(arg(a, 0), "y"))}});
    })));
    plainClass(*geom, "ColorTransform",
               {{"redMultiplier", 1}, {"greenMultiplier", 1}, {"blueMultiplier", 1}, {"alphaMultiplier", 1},
                {"redOffset", 0}, {"greenOffset", 0}, {"blueOffset", 0}, {"alphaOffset", 0}});
}

}  // namespace flash::avm1

// What SWF 8 scripts see of a display object beyond the classic properties:
// flash.geom (Point, Rectangle, Matrix, ColorTransform, Transform), flash.filters,
// and the clip members transform, filters, blendMode, opaqueBackground and
// cacheAsBitmap, plus the depth and coordinate methods of MovieClip.
#include "DisplayClasses.h"

#include "Interpreter.h"
#include "StandardClasses.h"

#include "DisplayDrawer.h"
#include "DisplayObject.h"
#include "Geometry.h"
#include "MovieClip.h"

#include <algorithm>
#include <cmath>

namespace flash::avm1 {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::shared_ptr<Object> native(NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

void method(Object& proto, const char* name, NativeFunction fn)
{
    proto.set(name, Value::fromObject(native(std::move(fn))));
}

// A property that runs `get` and `set` (set may be empty: read-only).
void accessor(Object& proto, const char* name, NativeFunction get, NativeFunction set = nullptr)
{
    auto slot = std::make_shared<Object>(true);
    auto state = std::make_shared<Accessor>();
    state->getter = Value::fromObject(native(std::move(get)));
    if (set)
        state->setter = Value::fromObject(native(std::move(set)));
    slot->state = state;
    proto.set(name, Value::fromObject(slot));
}

Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value{}; }
double num(Interpreter& in, const Value& v) { return toNumber(v, in.swfVersion()); }
double member(Interpreter& in, const Value& o, const char* name)
{
    return o.type == Value::Type::Object ? num(in, o.object->get(name)) : std::nan("");
}

std::shared_ptr<Object> package(Object& owner, const char* name)
{
    const Value v = owner.get(name);
    if (v.type == Value::Type::Object)
        return v.object;
    auto o = std::make_shared<Object>(false);
    owner.set(name, Value::fromObject(o));
    return o;
}

// The prototype of flash.<pkg>.<cls>, looked up afresh (scripts may replace classes).
std::shared_ptr<Object> prototypeOf(Interpreter& in, const char* pkg, const char* cls)
{
    Value v = in.globals().get("flash");
    for (const char* name : {pkg, cls, "prototype"}) {
        if (v.type != Value::Type::Object)
            return nullptr;
        v = v.object->get(name);
    }
    return v.type == Value::Type::Object ? v.object : nullptr;
}

Value make(Interpreter& in, const char* pkg, const char* cls,
           std::initializer_list<std::pair<const char*, double>> members)
{
    auto o = in.newObject();
    o->prototype = prototypeOf(in, pkg, cls);
    if (!o->prototype)
        o->prototype = in.objectPrototype();
    for (const auto& [k, n] : members)
        o->set(k, Value::fromNumber(n));
    return Value::fromObject(o);
}

// A class of `owner` whose constructor stores its arguments under `names` (defaults
// for the missing ones); an existing class keeps its prototype.
std::shared_ptr<Object> defineClass(Object& owner, const char* name, std::vector<std::pair<const char*, Value>> members)
{
    std::shared_ptr<Object> proto;
    const Value existing = owner.get(name);
    if (existing.type == Value::Type::Object && existing.object->get("prototype").type == Value::Type::Object)
        proto = existing.object->get("prototype").object;
    else
        proto = std::make_shared<Object>(false);
    auto ctor = native([members](Interpreter&, const Value& self, std::vector<Value>& a) {
        if (self.type != Value::Type::Object)
            return Value{};
        for (size_t i = 0; i < members.size(); ++i)
            self.object->set(members[i].first, i < a.size() && !a[i].isUndefined() ? a[i] : members[i].second);
        return Value{};
    });
    ctor->set("prototype", Value::fromObject(proto));
    proto->set("constructor", Value::fromObject(ctor));
    owner.set(name, Value::fromObject(ctor));
    return proto;
}

DisplayObject* objectOf(Interpreter& in, const Value& v)
{
    Clip* clip = in.resolveClip(v);
    return clip ? clip->displayObject() : nullptr;
}

std::string number(double n) { return numberToString(n); }

// --- flash.geom ------------------------------------------------------------------

std::array<double, 6> matrixOf(Interpreter& in, const Value& m)
{
    std::array<double, 6> v{};
    static const char* const keys[] = {"a", "b", "c", "d", "tx", "ty"};
    for (int i = 0; i < 6; ++i)
        v[i] = member(in, m, keys[i]);
    return v;
}

void setMatrix(const Value& self, const std::array<double, 6>& v)
{
    if (self.type != Value::Type::Object)
        return;
    static const char* const keys[] = {"a", "b", "c", "d", "tx", "ty"};
    for (int i = 0; i < 6; ++i)
        self.object->set(keys[i], Value::fromNumber(v[i]));
}

// this * inner, both as a, b, c, d, tx, ty: `inner` applies first.
std::array<double, 6> multiply(const std::array<double, 6>& m, const std::array<double, 6>& inner)
{
    const render::Matrix r = render::Matrix{m[0], m[1], m[2], m[3], m[4], m[5]} *
                             render::Matrix{inner[0], inner[1], inner[2], inner[3], inner[4], inner[5]};
    return {r.a, r.b, r.c, r.d, r.tx, r.ty};
}

Value makeMatrix(Interpreter& in, const std::array<double, 6>& v)
{
    Value m = make(in, "geom", "Matrix", {});
    setMatrix(m, v);
    return m;
}

void installMatrix(Interpreter& in, Object& geom)
{
    const Value ctor = geom.get("Matrix");
    if (ctor.type != Value::Type::Object || ctor.object->get("prototype").type != Value::Type::Object)
        return;
    Object& proto = *ctor.object->get("prototype").object;
    (void)in;
    method(proto, "clone", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        return makeMatrix(in, matrixOf(in, self));
    });
    method(proto, "concat", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        setMatrix(self, multiply(matrixOf(in, arg(a, 0)), matrixOf(in, self)));
        return Value{};
    });
    method(proto, "invert", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        const std::array<double, 6> m = matrixOf(in, self);
        render::Matrix inv;
        if (invert(render::Matrix{m[0], m[1], m[2], m[3], m[4], m[5]}, inv))
            setMatrix(self, {inv.a, inv.b, inv.c, inv.d, inv.tx, inv.ty});
        else
            setMatrix(self, {1, 0, 0, 1, -m[4], -m[5]});
        return Value{};
    });
    method(proto, "rotate", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const double r = num(in, arg(a, 0));
        setMatrix(self, multiply({std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0}, matrixOf(in, self)));
        return Value{};
    });
    method(proto, "scale", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        setMatrix(self, multiply({num(in, arg(a, 0)), 0, 0, num(in, arg(a, 1)), 0, 0}, matrixOf(in, self)));
        return Value{};
    });
    method(proto, "translate", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        std::array<double, 6> m = matrixOf(in, self);
        m[4] += num(in, arg(a, 0));
        m[5] += num(in, arg(a, 1));
        setMatrix(self, m);
        return Value{};
    });
    method(proto, "createBox", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const double sx = num(in, arg(a, 0)), sy = num(in, arg(a, 1));
        const double r = a.size() > 2 ? num(in, a[2]) : 0;
        const double tx = a.size() > 3 ? num(in, a[3]) : 0, ty = a.size() > 4 ? num(in, a[4]) : 0;
        setMatrix(self, {sx * std::cos(r), sx * std::sin(r), -sy * std::sin(r), sy * std::cos(r), tx, ty});
        return Value{};
    });
    method(proto, "transformPoint", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::array<double, 6> m = matrixOf(in, self);
        const double x = member(in, arg(a, 0), "x"), y = member(in, arg(a, 0), "y");
        return make(in, "geom", "Point", {{"x", m[0] * x + m[2] * y + m[4]}, {"y", m[1] * x + m[3] * y + m[5]}});
    });
    method(proto, "deltaTransformPoint", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::array<double, 6> m = matrixOf(in, self);
        const double x = member(in, arg(a, 0), "x"), y = member(in, arg(a, 0), "y");
        return make(in, "geom", "Point", {{"x", m[0] * x + m[2] * y}, {"y", m[1] * x + m[3] * y}});
    });
    method(proto, "toString", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        const std::array<double, 6> m = matrixOf(in, self);
        return Value::fromString("(a=" + number(m[0]) + ", b=" + number(m[1]) + ", c=" + number(m[2]) +
                                 ", d=" + number(m[3]) + ", tx=" + number(m[4]) + ", ty=" + number(m[5]) + ")");
    });
}

void installPoint(Object& geom)
{
    std::shared_ptr<Object> proto = defineClass(geom, "Point", {{"x", Value::fromNumber(0)}, {"y", Value::fromNumber(0)}});
    auto xy = [](Interpreter& in, const Value& p) {
        return std::array<double, 2>{member(in, p, "x"), member(in, p, "y")};
    };
    method(*proto, "add", [xy](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const auto p = xy(in, self), q = xy(in, arg(a, 0));
        return make(in, "geom", "Point", {{"x", p[0] + q[0]}, {"y", p[1] + q[1]}});
    });
    method(*proto, "subtract", [xy](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const auto p = xy(in, self), q = xy(in, arg(a, 0));
        return make(in, "geom", "Point", {{"x", p[0] - q[0]}, {"y", p[1] - q[1]}});
    });
    method(*proto, "clone", [xy](Interpreter& in, const Value& self, std::vector<Value>&) {
        const auto p = xy(in, self);
        return make(in, "geom", "Point", {{"x", p[0]}, {"y", p[1]}});
    });
    method(*proto, "equals", [xy](Interpreter& in, const Value& self, std::vector<Value>& a) {
        return Value::fromBool(xy(in, self) == xy(in, arg(a, 0)));
    });
    method(*proto, "offset", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (self.type == Value::Type::Object) {
            self.object->set("x", Value::fromNumber(member(in, self, "x") + num(in, arg(a, 0))));
            self.object->set("y", Value::fromNumber(member(in, self, "y") + num(in, arg(a, 1))));
        }
        return Value{};
    });
    method(*proto, "normalize", [xy](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const auto p = xy(in, self);
        const double length = std::hypot(p[0], p[1]);
        if (self.type == Value::Type::Object && length > 0) {
            const double k = num(in, arg(a, 0)) / length;
            self.object->set("x", Value::fromNumber(p[0] * k));
            self.object->set("y", Value::fromNumber(p[1] * k));
        }
        return Value{};
    });
    accessor(*proto, "length", [xy](Interpreter& in, const Value& self, std::vector<Value>&) {
        const auto p = xy(in, self);
        return Value::fromNumber(std::hypot(p[0], p[1]));
    });
    method(*proto, "toString", [xy](Interpreter& in, const Value& self, std::vector<Value>&) {
        const auto p = xy(in, self);
        return Value::fromString("(x=" + number(p[0]) + ", y=" + number(p[1]) + ")");
    });
    const Value ctor = geom.get("Point");
    method(*ctor.object, "distance", [xy](Interpreter& in, const Value&, std::vector<Value>& a) {
        const auto p = xy(in, arg(a, 0)), q = xy(in, arg(a, 1));
        return Value::fromNumber(std::hypot(p[0] - q[0], p[1] - q[1]));
    });
    method(*ctor.object, "interpolate", [xy](Interpreter& in, const Value&, std::vector<Value>& a) {
        const auto p = xy(in, arg(a, 0)), q = xy(in, arg(a, 1));
        const double f = num(in, arg(a, 2));
        return make(in, "geom", "Point", {{"x", q[0] + (p[0] - q[0]) * f}, {"y", q[1] + (p[1] - q[1]) * f}});
    });
    method(*ctor.object, "polar", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        const double length = num(in, arg(a, 0)), angle = num(in, arg(a, 1));
        return make(in, "geom", "Point", {{"x", length * std::cos(angle)}, {"y", length * std::sin(angle)}});
    });
}

void installRectangle(Object& geom)
{
    std::shared_ptr<Object> proto = defineClass(geom, "Rectangle", {{"x", Value::fromNumber(0)},
        {"y", Value::fromNumber(0)}, {"width", Value::fromNumber(0)}, {"height", Value::fromNumber(0)}});
    struct R { double x, y, w, h; };
    auto rect = [](Interpreter& in, const Value& r) {
        return R{member(in, r, "x"), member(in, r, "y"), member(in, r, "width"), member(in, r, "height")};
    };
    auto makeRect = [](Interpreter& in, const R& r) {
        return make(in, "geom", "Rectangle", {{"x", r.x}, {"y", r.y}, {"width", r.w}, {"height", r.h}});
    };
    auto store = [](const Value& self, const R& r) {
        if (self.type != Value::Type::Object)
            return;
        self.object->set("x", Value::fromNumber(r.x));
        self.object->set("y", Value::fromNumber(r.y));
        self.object->set("width", Value::fromNumber(r.w));
        self.object->set("height", Value::fromNumber(r.h));
    };
    method(*proto, "clone", [rect, makeRect](Interpreter& in, const Value& self, std::vector<Value>&) {
        return makeRect(in, rect(in, self));
    });
    method(*proto, "isEmpty", [rect](Interpreter& in, const Value& self, std::vector<Value>&) {
        const R r = rect(in, self);
        return Value::fromBool(!(r.w > 0) || !(r.h > 0));
    });
    method(*proto, "setEmpty", [store](Interpreter&, const Value& self, std::vector<Value>&) {
        store(self, {0, 0, 0, 0});
        return Value{};
    });
    method(*proto, "contains", [rect](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const R r = rect(in, self);
        const double x = num(in, arg(a, 0)), y = num(in, arg(a, 1));
        return Value::fromBool(x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h);
    });
    method(*proto, "containsPoint", [rect](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const R r = rect(in, self);
        const double x = member(in, arg(a, 0), "x"), y = member(in, arg(a, 0), "y");
        return Value::fromBool(x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h);
    });
    method(*proto, "containsRectangle", [rect](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const R r = rect(in, self), o = rect(in, arg(a, 0));
        return Value::fromBool(o.x >= r.x && o.y >= r.y && o.x + o.w <= r.x + r.w && o.y + o.h <= r.y + r.h);
    });
    auto intersection = [](const R& a, const R& b) {
        const double x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
        const double x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
        return x1 > x0 && y1 > y0 ? R{x0, y0, x1 - x0, y1 - y0} : R{0, 0, 0, 0};
    };
    method(*proto, "intersection", [rect, makeRect, intersection](Interpreter& in, const Value& self, std::vector<Value>& a) {
        return makeRect(in, intersection(rect(in, self), rect(in, arg(a, 0))));
    });
    method(*proto, "intersects", [rect, intersection](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const R r = intersection(rect(in, self), rect(in, arg(a, 0)));
        return Value::fromBool(r.w > 0 && r.h > 0);
    });
    method(*proto, "union", [rect, makeRect](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const R p = rect(in, self), q = rect(in, arg(a, 0));
        if (!(p.w > 0) || !(p.h > 0))
            return makeRect(in, q);
        if (!(q.w > 0) || !(q.h > 0))
            return makeRect(in, p);
        const double x0 = std::min(p.x, q.x), y0 = std::min(p.y, q.y);
        const double x1 = std::max(p.x + p.w, q.x + q.w), y1 = std::max(p.y + p.h, q.y + q.h);
        return makeRect(in, {x0, y0, x1 - x0, y1 - y0});
    });
    method(*proto, "offset", [rect, store](Interpreter& in, const Value& self, std::vector<Value>& a) {
        R r = rect(in, self);
        r.x += num(in, arg(a, 0));
        r.y += num(in, arg(a, 1));
        store(self, r);
        return Value{};
    });
    method(*proto, "inflate", [rect, store](Interpreter& in, const Value& self, std::vector<Value>& a) {
        R r = rect(in, self);
        const double dx = num(in, arg(a, 0)), dy = num(in, arg(a, 1));
        store(self, {r.x - dx, r.y - dy, r.w + 2 * dx, r.h + 2 * dy});
        return Value{};
    });
    method(*proto, "equals", [rect](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const R p = rect(in, self), q = rect(in, arg(a, 0));
        return Value::fromBool(p.x == q.x && p.y == q.y && p.w == q.w && p.h == q.h);
    });
    method(*proto, "toString", [rect](Interpreter& in, const Value& self, std::vector<Value>&) {
        const R r = rect(in, self);
        return Value::fromString("(x=" + number(r.x) + ", y=" + number(r.y) + ", w=" + number(r.w) +
                                 ", h=" + number(r.h) + ")");
    });
    accessor(*proto, "left", [rect](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromNumber(rect(in, self).x);
    }, [rect, store](Interpreter& in, const Value& self, std::vector<Value>& a) {
        R r = rect(in, self);
        const double x = num(in, arg(a, 0));
        store(self, {x, r.y, r.w + r.x - x, r.h});
        return Value{};
    });
    accessor(*proto, "top", [rect](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromNumber(rect(in, self).y);
    }, [rect, store](Interpreter& in, const Value& self, std::vector<Value>& a) {
        R r = rect(in, self);
        const double y = num(in, arg(a, 0));
        store(self, {r.x, y, r.w, r.h + r.y - y});
        return Value{};
    });
    accessor(*proto, "right", [rect](Interpreter& in, const Value& self, std::vector<Value>&) {
        const R r = rect(in, self);
        return Value::fromNumber(r.x + r.w);
    }, [rect, store](Interpreter& in, const Value& self, std::vector<Value>& a) {
        R r = rect(in, self);
        store(self, {r.x, r.y, num(in, arg(a, 0)) - r.x, r.h});
        return Value{};
    });
    accessor(*proto, "bottom", [rect](Interpreter& in, const Value& self, std::vector<Value>&) {
        const R r = rect(in, self);
        return Value::fromNumber(r.y + r.h);
    }, [rect, store](Interpreter& in, const Value& self, std::vector<Value>& a) {
        R r = rect(in, self);
        store(self, {r.x, r.y, r.w, num(in, arg(a, 0)) - r.y});
        return Value{};
    });
}

const char* const kColorKeys[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                  "redOffset", "greenOffset", "blueOffset", "alphaOffset"};

std::array<double, 8> colorOf(Interpreter& in, const Value& v)
{
    std::array<double, 8> c{};
    for (int i = 0; i < 8; ++i)
        c[i] = member(in, v, kColorKeys[i]);
    return c;
}

Value makeColor(Interpreter& in, const std::array<double, 8>& c)
{
    Value v = make(in, "geom", "ColorTransform", {});
    for (int i = 0; i < 8; ++i)
        v.object->set(kColorKeys[i], Value::fromNumber(c[i]));
    return v;
}

void installColorTransform(Object& geom)
{
    std::vector<std::pair<const char*, Value>> members;
    for (int i = 0; i < 8; ++i)
        members.emplace_back(kColorKeys[i], Value::fromNumber(i < 4 ? 1 : 0));
    std::shared_ptr<Object> proto = defineClass(geom, "ColorTransform", members);
    accessor(*proto, "rgb", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        const std::array<double, 8> c = colorOf(in, self);
        auto byte = [](double v) { return int(std::clamp(v, 0.0, 255.0)); };
        return Value::fromNumber((byte(c[4]) << 16) | (byte(c[5]) << 8) | byte(c[6]));
    }, [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (self.type != Value::Type::Object)
            return Value{};
        const uint32_t rgb = static_cast<uint32_t>(toInt32(num(in, arg(a, 0))));
        for (int i = 0; i < 3; ++i)
            self.object->set(kColorKeys[i], Value::fromNumber(0));
        self.object->set("redOffset", Value::fromNumber((rgb >> 16) & 0xFF));
        self.object->set("greenOffset", Value::fromNumber((rgb >> 8) & 0xFF));
        self.object->set("blueOffset", Value::fromNumber(rgb & 0xFF));
        return Value{};
    });
    method(*proto, "concat", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (self.type != Value::Type::Object)
            return Value{};
        const std::array<double, 8> p = colorOf(in, self), q = colorOf(in, arg(a, 0));
        std::array<double, 8> r{};
        for (int i = 0; i < 4; ++i) {
            r[i] = p[i] * q[i];
            r[i + 4] = p[i] * q[i + 4] + p[i + 4];
        }
        for (int i = 0; i < 8; ++i)
            self.object->set(kColorKeys[i], Value::fromNumber(r[i]));
        return Value{};
    });
    method(*proto, "toString", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        const std::array<double, 8> c = colorOf(in, self);
        std::string s = "(";
        for (int i = 0; i < 8; ++i)
            s += std::string(i ? ", " : "") + kColorKeys[i] + "=" + number(c[i]);
        return Value::fromString(s + ")");
    });
}

// --- Transform: a live view of one clip's matrix and colour transform ---------------

std::array<double, 6> pixelsMatrix(const render::Matrix& m)
{
    return {m.a, m.b, m.c, m.d, m.tx / 20.0, m.ty / 20.0};
}

std::array<double, 8> colorValues(const swf::ColorTransform& c)
{
    return {c.rMul / 256.0, c.gMul / 256.0, c.bMul / 256.0, c.aMul / 256.0,
            double(c.rAdd), double(c.gAdd), double(c.bAdd), double(c.aAdd)};
}

int16_t fixed16(double v) { return static_cast<int16_t>(std::clamp(std::isnan(v) ? 0.0 : v, -32768.0, 32767.0)); }

void installTransform(Object& geom)
{
    auto ctor = native([](Interpreter&, const Value& self, std::vector<Value>& a) {
        if (self.type == Value::Type::Object)
            self.object->set("__target", arg(a, 0));
        return Value{};
    });
    auto proto = std::make_shared<Object>(false);
    ctor->set("prototype", Value::fromObject(proto));
    proto->set("constructor", Value::fromObject(ctor));
    auto target = [](Interpreter& in, const Value& self) -> DisplayObject* {
        return self.type == Value::Type::Object ? objectOf(in, self.object->get("__target")) : nullptr;
    };
    accessor(*proto, "matrix", [target](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = target(in, self);
        return o ? makeMatrix(in, pixelsMatrix(flash::toRender(o->matrix))) : Value{};
    }, [target](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        DisplayObject* o = target(in, self);
        const Value m = arg(a, 0);
        if (!o || m.type != Value::Type::Object)
            return Value{};
        const std::array<double, 6> v = matrixOf(in, m);
        for (double x : v)
            if (!std::isfinite(x))
                return Value{};
        o->matrix.a = v[0];
        o->matrix.b = v[1];
        o->matrix.c = v[2];
        o->matrix.d = v[3];
        o->matrix.tx = swf::Twips(std::clamp(v[4] * 20, -1e9, 1e9));
        o->matrix.ty = swf::Twips(std::clamp(v[5] * 20, -1e9, 1e9));
        o->scriptMoved = true;
        o->scaleCache.reset();
        in.host().invalidate();
        return Value{};
    });
    accessor(*proto, "concatenatedMatrix", [target](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = target(in, self);
        return o ? makeMatrix(in, pixelsMatrix(worldMatrix(*o))) : Value{};
    });
    accessor(*proto, "colorTransform", [target](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = target(in, self);
        return o ? makeColor(in, colorValues(o->colorTransform)) : Value{};
    }, [target](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        DisplayObject* o = target(in, self);
        if (!o || arg(a, 0).type != Value::Type::Object)
            return Value{};
        const std::array<double, 8> c = colorOf(in, arg(a, 0));
        o->colorTransform = {fixed16(c[0] * 256), fixed16(c[1] * 256), fixed16(c[2] * 256), fixed16(c[3] * 256),
                             fixed16(c[4]), fixed16(c[5]), fixed16(c[6]), fixed16(c[7])};
        o->scriptColored = true;
        in.host().invalidate();
        return Value{};
    });
    accessor(*proto, "concatenatedColorTransform", [target](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = target(in, self);
        if (!o)
            return Value{};
        std::array<double, 8> r = {1, 1, 1, 1, 0, 0, 0, 0};
        for (const DisplayObject* p = o; p; p = p->parent) {
            const std::array<double, 8> c = colorValues(p->colorTransform);
            // r = c applied after r: outer transforms apply last.
            for (int i = 0; i < 4; ++i) {
                r[i + 4] = c[i] * r[i + 4] + c[i + 4];
                r[i] *= c[i];
            }
        }
        return makeColor(in, r);
    });
    accessor(*proto, "pixelBounds", [target](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = target(in, self);
        Clip* clip = self.type == Value::Type::Object ? in.resolveClip(self.object->get("__target")) : nullptr;
        if (!o || !clip)
            return Value{};
        const std::array<double, 4> b = clip->boundsIn(in.host().rootClip());
        if (b[0] == kEmptyBounds)
            return make(in, "geom", "Rectangle", {{"x", 0}, {"y", 0}, {"width", 0}, {"height", 0}});
        return make(in, "geom", "Rectangle", {{"x", std::floor(b[0])}, {"y", std::floor(b[2])},
                                              {"width", std::ceil(b[1]) - std::floor(b[0])},
                                              {"height", std::ceil(b[3]) - std::floor(b[2])}});
    });
    geom.set("Transform", Value::fromObject(ctor));
}

// --- flash.filters ------------------------------------------------------------------

swf::Rgba colourAlpha(Interpreter& in, const Value& colour, const Value& alpha)
{
    const uint32_t rgb = static_cast<uint32_t>(toInt32(num(in, colour)));
    double a = num(in, alpha);
    if (std::isnan(a))
        a = 0;
    return {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), uint8_t(std::clamp(a, 0.0, 1.0) * 255 + 0.5)};
}

double finite(double v, double fallback, double lo, double hi)
{
    return std::isfinite(v) ? std::clamp(v, lo, hi) : fallback;
}

// The filter kinds by class name, and the members each constructor takes in order.
struct FilterClass {
    const char* name;
    swf::FilterKind kind;
    std::vector<std::pair<const char*, Value>> members;
};

std::vector<FilterClass> filterClasses()
{
    auto n = [](double v) { return Value::fromNumber(v); };
    auto b = [](bool v) { return Value::fromBool(v); };
    auto s = [](const char* v) { return Value::fromString(v); };
    return {
        {"BlurFilter", swf::FilterKind::Blur, {{"blurX", n(4)}, {"blurY", n(4)}, {"quality", n(1)}}},
        {"DropShadowFilter", swf::FilterKind::DropShadow,
         {{"distance", n(4)}, {"angle", n(45)}, {"color", n(0)}, {"alpha", n(1)}, {"blurX", n(4)}, {"blurY", n(4)},
          {"strength", n(1)}, {"quality", n(1)}, {"inner", b(false)}, {"knockout", b(false)},
          {"hideObject", b(false)}}},
        {"GlowFilter", swf::FilterKind::Glow,
         {{"color", n(0xFF0000)}, {"alpha", n(1)}, {"blurX", n(6)}, {"blurY", n(6)}, {"strength", n(2)},
          {"quality", n(1)}, {"inner", b(false)}, {"knockout", b(false)}}},
        {"BevelFilter", swf::FilterKind::Bevel,
         {{"distance", n(4)}, {"angle", n(45)}, {"highlightColor", n(0xFFFFFF)}, {"highlightAlpha", n(1)},
          {"shadowColor", n(0)}, {"shadowAlpha", n(1)}, {"blurX", n(4)}, {"blurY", n(4)}, {"strength", n(1)},
          {"quality", n(1)}, {"type", s("inner")}, {"knockout", b(false)}}},
        {"GradientGlowFilter", swf::FilterKind::GradientGlow,
         {{"distance", n(4)}, {"angle", n(45)}, {"colors", Value{}}, {"alphas", Value{}}, {"ratios", Value{}},
          {"blurX", n(4)}, {"blurY", n(4)}, {"strength", n(1)}, {"quality", n(1)}, {"type", s("inner")},
          {"knockout", b(false)}}},
        {"GradientBevelFilter", swf::FilterKind::GradientBevel,
         {{"distance", n(4)}, {"angle", n(45)}, {"colors", Value{}}, {"alphas", Value{}}, {"ratios", Value{}},
          {"blurX", n(4)}, {"blurY", n(4)}, {"strength", n(1)}, {"quality", n(1)}, {"type", s("inner")},
          {"knockout", b(false)}}},
        {"ColorMatrixFilter", swf::FilterKind::ColorMatrix, {{"matrix", Value{}}}},
        {"ConvolutionFilter", swf::FilterKind::Convolution,
         {{"matrixX", n(0)}, {"matrixY", n(0)}, {"matrix", Value{}}, {"divisor", n(1)}, {"bias", n(0)},
          {"preserveAlpha", b(true)}, {"clamp", b(true)}, {"color", n(0)}, {"alpha", n(0)}}},
    };
}

std::vector<double> numbers(Interpreter& in, const Value& list, size_t limit)
{
    std::vector<double> out;
    if (list.type != Value::Type::Object)
        return out;
    const double n = num(in, list.object->get("length"));
    for (size_t i = 0; i < limit && double(i) < n; ++i)
        out.push_back(num(in, list.object->get(std::to_string(i))));
    return out;
}

Value numberList(Interpreter& in, const std::vector<double>& values)
{
    auto a = in.newArray();
    for (size_t i = 0; i < values.size(); ++i)
        a->set(std::to_string(i), Value::fromNumber(values[i]));
    return Value::fromObject(a);
}

}  // namespace

std::optional<swf::Filter> filterFromScript(Interpreter& in, const Value& v)
{
    if (v.type != Value::Type::Object)
        return std::nullopt;
    const Object& o = *v.object;
    const FilterClass* cls = nullptr;
    static const std::vector<FilterClass> classes = filterClasses();
    for (const FilterClass& c : classes)
        if (auto p = prototypeOf(in, "filters", c.name); p && o.prototype == p)
            cls = &c;
    if (!cls)
        return std::nullopt;
    auto get = [&](const char* name) { return o.get(name); };
    auto n = [&](const char* name, double fallback, double lo, double hi) {
        return finite(num(in, get(name)), fallback, lo, hi);
    };
    swf::Filter f;
    f.kind = cls->kind;
    f.blurX = n("blurX", 0, 0, 255);
    f.blurY = n("blurY", 0, 0, 255);
    f.passes = uint8_t(n("quality", 1, 0, 15));
    f.strength = n("strength", 1, 0, 255);
    f.distance = n("distance", 0, -32768, 32767);
    f.angle = n("angle", 0, -1e6, 1e6) * kPi / 180;
    f.knockout = toBoolean(get("knockout"), 7);
    const std::string type = toString(get("type"), 7);
    switch (cls->kind) {
    case swf::FilterKind::Blur: break;
    case swf::FilterKind::DropShadow:
    case swf::FilterKind::Glow:
        f.colors = {colourAlpha(in, get("color"), get("alpha"))};
        f.inner = toBoolean(get("inner"), 7);
        f.compositeSource = !toBoolean(get("hideObject"), 7);
        if (cls->kind == swf::FilterKind::Glow) {
            f.distance = 0;
            f.angle = 0;
        }
        break;
    case swf::FilterKind::Bevel:
        f.colors = {colourAlpha(in, get("shadowColor"), get("shadowAlpha")),
                    colourAlpha(in, get("highlightColor"), get("highlightAlpha"))};
        f.inner = type == "inner";
        f.onTop = type == "full";
        break;
    case swf::FilterKind::GradientGlow:
    case swf::FilterKind::GradientBevel: {
        const std::vector<double> colors = numbers(in, get("colors"), 16), alphas = numbers(in, get("alphas"), 16),
                                  ratios = numbers(in, get("ratios"), 16);
        const size_t count = std::min({colors.size(), alphas.size(), ratios.size()});
        for (size_t i = 0; i < count; ++i) {
            f.colors.push_back(colourAlpha(in, Value::fromNumber(colors[i]), Value::fromNumber(alphas[i])));
            f.ratios.push_back(uint8_t(finite(ratios[i], 0, 0, 255)));
        }
        if (count == 0)
            return std::nullopt;
        f.inner = type == "inner";
        f.onTop = type == "full";
        break;
    }
    case swf::FilterKind::ColorMatrix: {
        const std::vector<double> m = numbers(in, get("matrix"), 20);
        f.colorMatrix = {1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
        for (size_t i = 0; i < m.size(); ++i)
            f.colorMatrix[i] = float(finite(m[i], 0, -1e9, 1e9));
        break;
    }
    case swf::FilterKind::Convolution: {
        f.matrixX = uint8_t(n("matrixX", 0, 0, 15));
        f.matrixY = uint8_t(n("matrixY", 0, 0, 15));
        const std::vector<double> m = numbers(in, get("matrix"), size_t(f.matrixX) * f.matrixY);
        for (size_t i = 0; i < size_t(f.matrixX) * f.matrixY; ++i)
            f.matrix.push_back(i < m.size() ? float(finite(m[i], 0, -1e9, 1e9)) : 0.0f);
        f.divisor = float(n("divisor", 1, -1e9, 1e9));
        f.bias = float(n("bias", 0, -1e9, 1e9));
        f.preserveAlpha = toBoolean(get("preserveAlpha"), 7);
        f.clamp = toBoolean(get("clamp"), 7);
        f.defaultColor = colourAlpha(in, get("color"), get("alpha"));
        break;
    }
    }
    return f;
}

namespace {

Value filterToScript(Interpreter& in, const swf::Filter& f)
{
    static const std::vector<FilterClass> classes = filterClasses();
    const FilterClass* cls = nullptr;
    for (const FilterClass& c : classes)
        if (c.kind == f.kind)
            cls = &c;
    auto o = in.newObject();
    o->prototype = prototypeOf(in, "filters", cls->name);
    auto set = [&](const char* name, Value v) { o->set(name, std::move(v)); };
    auto rgb = [](const swf::Rgba& c) { return Value::fromNumber((c.r << 16) | (c.g << 8) | c.b); };
    auto alpha = [](const swf::Rgba& c) { return Value::fromNumber(c.a / 255.0); };
    const swf::Rgba none{0, 0, 0, 0};
    const swf::Rgba first = f.colors.empty() ? none : f.colors[0];
    const char* type = f.onTop ? "full" : f.inner ? "inner" : "outer";
    for (const auto& [name, fallback] : cls->members) {
        const std::string key = name;
        if (key == "blurX") set(name, Value::fromNumber(f.blurX));
        else if (key == "blurY") set(name, Value::fromNumber(f.blurY));
        else if (key == "quality") set(name, Value::fromNumber(f.passes));
        else if (key == "strength") set(name, Value::fromNumber(f.strength));
        else if (key == "distance") set(name, Value::fromNumber(f.distance));
        else if (key == "angle") set(name, Value::fromNumber(f.angle * 180 / kPi));
        else if (key == "knockout") set(name, Value::fromBool(f.knockout));
        else if (key == "inner") set(name, Value::fromBool(f.inner));
        else if (key == "hideObject") set(name, Value::fromBool(!f.compositeSource));
        else if (key == "color") set(name, f.kind == swf::FilterKind::Convolution ? rgb(f.defaultColor) : rgb(first));
        else if (key == "alpha") set(name, f.kind == swf::FilterKind::Convolution ? alpha(f.defaultColor) : alpha(first));
        else if (key == "shadowColor") set(name, rgb(first));
        else if (key == "shadowAlpha") set(name, alpha(first));
        else if (key == "highlightColor") set(name, rgb(f.colors.size() > 1 ? f.colors[1] : none));
        else if (key == "highlightAlpha") set(name, alpha(f.colors.size() > 1 ? f.colors[1] : none));
        else if (key == "type") set(name, Value::fromString(type));
        else if (key == "colors" || key == "alphas" || key == "ratios") {
            std::vector<double> v;
            for (size_t i = 0; i < f.colors.size(); ++i)
                v.push_back(key == "colors" ? double((f.colors[i].r << 16) | (f.colors[i].g << 8) | f.colors[i].b)
                            : key == "alphas" ? f.colors[i].a / 255.0
                                              : double(i < f.ratios.size() ? f.ratios[i] : 0));
            set(name, numberList(in, v));
        } else if (key == "matrix") {
            std::vector<double> v;
            if (f.kind == swf::FilterKind::ColorMatrix)
                v.assign(f.colorMatrix.begin(), f.colorMatrix.end());
            else
                v.assign(f.matrix.begin(), f.matrix.end());
            set(name, numberList(in, v));
        }
        else if (key == "matrixX") set(name, Value::fromNumber(f.matrixX));
        else if (key == "matrixY") set(name, Value::fromNumber(f.matrixY));
        else if (key == "divisor") set(name, Value::fromNumber(f.divisor));
        else if (key == "bias") set(name, Value::fromNumber(f.bias));
        else if (key == "preserveAlpha") set(name, Value::fromBool(f.preserveAlpha));
        else if (key == "clamp") set(name, Value::fromBool(f.clamp));
        else set(name, fallback);
    }
    return Value::fromObject(o);
}

void installFilters(Object& flash)
{
    std::shared_ptr<Object> filters = package(flash, "filters");
    auto base = defineClass(*filters, "BitmapFilter", {});
    for (const FilterClass& c : filterClasses()) {
        std::shared_ptr<Object> proto = defineClass(*filters, c.name, c.members);
        proto->prototype = base;
        method(*proto, "clone", [](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
            const std::optional<swf::Filter> f = filterFromScript(in, self);
            return f ? filterToScript(in, *f) : Value{};
        });
    }
}

// --- Clip members ---------------------------------------------------------------------

const char* const kBlendNames[] = {"normal", "normal", "layer", "multiply", "screen", "lighten", "darken",
                                   "difference", "add", "subtract", "invert", "alpha", "erase", "overlay",
                                   "hardlight"};

void installClipMembers(Object& clip)
{
    accessor(clip, "transform", [](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        if (!objectOf(in, self))
            return Value{};
        auto t = in.newObject();
        t->prototype = prototypeOf(in, "geom", "Transform");
        t->set("__target", self);
        return Value::fromObject(t);
    }, [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        // Assigning a Transform copies its matrix and colour transform.
        const Value t = arg(a, 0);
        if (t.type != Value::Type::Object || !objectOf(in, self))
            return Value{};
        auto mine = in.newObject();
        mine->prototype = prototypeOf(in, "geom", "Transform");
        mine->set("__target", self);
        const Value view = Value::fromObject(mine);
        in.setMember(view, "matrix", in.getMember(t, "matrix"));
        in.setMember(view, "colorTransform", in.getMember(t, "colorTransform"));
        return Value{};
    });
    accessor(clip, "filters", [](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = objectOf(in, self);
        if (!o)
            return Value{};
        auto list = in.newArray();
        for (size_t i = 0; i < o->filters.size(); ++i)
            list->set(std::to_string(i), filterToScript(in, o->filters[i]));
        return Value::fromObject(list);
    }, [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        DisplayObject* o = objectOf(in, self);
        if (!o)
            return Value{};
        std::vector<swf::Filter> filters;
        const Value list = arg(a, 0);
        if (list.type == Value::Type::Object) {
            const double n = num(in, list.object->get("length"));
            for (size_t i = 0; double(i) < n && i < 64; ++i)
                if (auto f = filterFromScript(in, list.object->get(std::to_string(i))))
                    filters.push_back(*f);
        }
        o->filters = std::move(filters);
        in.host().invalidate();
        return Value{};
    });
    accessor(clip, "blendMode", [](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = objectOf(in, self);
        if (!o)
            return Value{};
        const int mode = int(o->blendMode);
        return Value::fromString(mode >= 0 && mode < int(std::size(kBlendNames)) ? kBlendNames[mode] : "normal");
    }, [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        DisplayObject* o = objectOf(in, self);
        if (!o)
            return Value{};
        const Value v = arg(a, 0);
        int mode = -1;
        if (v.type == Value::Type::String) {
            for (int i = 1; i < int(std::size(kBlendNames)); ++i)
                if (v.text == kBlendNames[i])
                    mode = i;
        } else {
            const double n = num(in, v);
            if (n >= 1 && n < double(std::size(kBlendNames)))
                mode = int(n);
        }
        if (mode >= 1) {
            o->blendMode = render::blendModeFromByte(uint8_t(mode));
            in.host().invalidate();
        }
        return Value{};
    });
    accessor(clip, "opaqueBackground", [](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = objectOf(in, self);
        if (!o || !o->opaqueBackground)
            return Value::null();
        const swf::Rgba c = *o->opaqueBackground;
        return Value::fromNumber((c.r << 16) | (c.g << 8) | c.b);
    }, [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        DisplayObject* o = objectOf(in, self);
        if (!o)
            return Value{};
        const Value v = arg(a, 0);
        if (v.isNullish()) {
            o->opaqueBackground.reset();
        } else {
            const uint32_t rgb = static_cast<uint32_t>(toInt32(num(in, v)));
            o->opaqueBackground = swf::Rgba{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255};
        }
        in.host().invalidate();
        return Value{};
    });
    accessor(clip, "cacheAsBitmap", [](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = objectOf(in, self);
        return o ? Value::fromBool(o->cacheAsBitmap) : Value{};
    }, [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        if (DisplayObject* o = objectOf(in, self))
            o->cacheAsBitmap = toBoolean(arg(a, 0), in.swfVersion());
        return Value{};
    });
    method(clip, "localToGlobal", [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        DisplayObject* o = objectOf(in, self);
        const Value p = arg(a, 0);
        if (!o || p.type != Value::Type::Object)
            return Value{};
        const render::Matrix m = worldMatrix(*o);
        const double x = member(in, p, "x") * 20, y = member(in, p, "y") * 20;
        p.object->set("x", Value::fromNumber(m.mapX(x, y) / 20));
        p.object->set("y", Value::fromNumber(m.mapY(x, y) / 20));
        return Value{};
    });
    method(clip, "globalToLocal", [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        DisplayObject* o = objectOf(in, self);
        const Value p = arg(a, 0);
        render::Matrix inv;
        if (!o || p.type != Value::Type::Object || !invert(worldMatrix(*o), inv))
            return Value{};
        const double x = member(in, p, "x") * 20, y = member(in, p, "y") * 20;
        p.object->set("x", Value::fromNumber(inv.mapX(x, y) / 20));
        p.object->set("y", Value::fromNumber(inv.mapY(x, y) / 20));
        return Value{};
    });
    method(clip, "getSWFVersion", [](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = objectOf(in, self);
        if (!o)
            return Value{};
        // A clip showing a loaded picture holds no movie: it has no version.
        if (const MovieClip* clip = o->asClip(); clip && clip->loadedPicture())
            return Value::fromNumber(-1);
        return Value::fromNumber(in.swfVersion());
    });
}

// Copies an init object's own members onto a new clip.
void copyInit(Interpreter& in, MovieClip& clip, const Value& init)
{
    if (init.type != Value::Type::Object)
        return;
    const Value self = Value::fromClip(&clip);
    for (const std::string& key : init.object->keys())
        in.setMember(self, key, init.object->get(key));
}

// The class registered for the clip's symbol, if any.
Value classOf(Interpreter& in, MovieClip& clip, const std::string& linkage)
{
    return linkage.empty() ? Value{} : in.registeredClass(linkage);
}

void installClipTree(Object& clip)
{
    // attachMovie(linkage, name, depth, initObject)
    method(clip, "attachMovie", [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        auto* parent = dynamic_cast<MovieClip*>(in.resolveClip(self));
        if (!parent || a.size() < 3)
            return Value{};
        const std::string linkage = toString(a[0], in.swfVersion());
        const double depth = num(in, a[2]);
        MovieClip* made = parent->attachMovie(linkage, toString(a[1], in.swfVersion()),
                                              std::isfinite(depth) ? clampInt(depth) : 0);
        if (!made)
            return Value{};
        const std::shared_ptr<ClipAnchor> alive = made->anchor();
        made->startScriptMade();
        copyInit(in, *made, arg(a, 3));
        if (!alive->clip)
            return Value{};
        in.construct(*made, classOf(in, *made, linkage));
        if (!alive->clip)
            return Value{};
        made->queueClipEvent(swf::ClipEventLoad);
        return Value::fromClip(made);
    });
    method(clip, "duplicateMovieClip", [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        Clip* source = in.resolveClip(self);
        if (!source || a.size() < 2)
            return Value{};
        const double depth = num(in, a[1]);
        return duplicateClip(in, *source, toString(a[0], in.swfVersion()),
                             MovieClip::displayDepth(std::isfinite(depth) ? clampInt(depth) : 0), arg(a, 2));
    });
    method(clip, "swapDepths", [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        auto* me = dynamic_cast<MovieClip*>(in.resolveClip(self));
        if (!me || !me->parent || a.empty())
            return Value{};
        if (Clip* other = in.resolveClip(a[0])) {
            auto* target = dynamic_cast<MovieClip*>(other);
            if (target && target->parent == me->parent)
                me->swapDepthWith(target->depth);
            return Value{};
        }
        const double depth = num(in, a[0]);
        if (std::isfinite(depth))
            me->swapDepthWith(MovieClip::displayDepth(clampInt(depth)));
        return Value{};
    });
    method(clip, "getDepth", [](Interpreter& in, const Value& self, std::vector<Value>&) -> Value {
        DisplayObject* o = objectOf(in, self);
        return o ? Value::fromNumber(MovieClip::scriptDepth(o->depth)) : Value{};
    });
    method(clip, "getInstanceAtDepth", [](Interpreter& in, const Value& self, std::vector<Value>& a) -> Value {
        auto* me = dynamic_cast<MovieClip*>(in.resolveClip(self));
        const double depth = num(in, arg(a, 0));
        if (!me || !std::isfinite(depth))
            return Value{};
        DisplayObject* o = me->objectAtDepth(MovieClip::displayDepth(clampInt(depth)));
        if (!o)
            return Value{};
        if (MovieClip* clip = o->asClip())
            return Value::fromClip(clip);
        if (avm1::Clip* named = o->name.empty() ? nullptr : me->childClip(o->name))
            return Value::fromClip(named);
        return Value{};
    });
}

}  // namespace

Value duplicateClip(Interpreter& in, Clip& source, const std::string& name, int displayDepth, const Value& init)
{
    auto* original = dynamic_cast<MovieClip*>(&source);
    if (!original)
        return Value{};
    MovieClip* made = original->duplicate(name, MovieClip::scriptDepth(displayDepth));
    if (!made)
        return Value{};
    const std::shared_ptr<ClipAnchor> alive = made->anchor();
    made->startScriptMade();
    copyInit(in, *made, init);
    if (alive->clip)
        in.host().constructClip(*made);
    if (!alive->clip)
        return Value{};
    made->queueClipEvent(swf::ClipEventLoad);
    return Value::fromClip(made);
}

void installDisplayClasses(Interpreter& in, Object& global, Object& clipMethods)
{
    std::shared_ptr<Object> flash = package(global, "flash");
    std::shared_ptr<Object> geom = package(*flash, "geom");
    installMatrix(in, *geom);
    installPoint(*geom);
    installRectangle(*geom);
    installColorTransform(*geom);
    installTransform(*geom);
    installFilters(*flash);
    installClipMembers(clipMethods);
    installClipTree(clipMethods);
}

}  // namespace flash::avm1

#include "DrawingMethods.h"
#include "StandardClasses.h"

#include "BitmapSurface.h"

#include "Drawing.h"
#include "Interpreter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace flash::avm1 {

namespace {

// Gradient space spans this many pixels (32768 twips) across before its matrix.
constexpr double kGradientSquare = 1638.4;
constexpr size_t kMaxGradientStops = 15;

std::shared_ptr<Object> nativeFunction(NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value{}; }

double number(Interpreter& in, const Value& v) { return toNumber(v, in.swfVersion()); }

// NaN as `fallback`, the rest clamped into [lo, hi].
double clamped(double v, double lo, double hi, double fallback)
{
    return std::isnan(v) ? fallback : std::clamp(v, lo, hi);
}

std::string text(Interpreter& in, const Value& v) { return toString(v, in.swfVersion()); }

swf::Rgba colour(Interpreter& in, const Value& rgb, const Value& alpha)
{
    const auto c = static_cast<uint32_t>(toInt32(number(in, rgb)));
    const double a = alpha.isUndefined() ? 100 : clamped(number(in, alpha), 0, 100, 0);
    return {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(std::lround(a * 2.55))};
}

swf::Twips pixelsToTwips(double pixels)
{
    return static_cast<swf::Twips>(std::lround(clamped(pixels * 20, -1e9, 1e9, 0)));
}

double matrixNumber(Interpreter& in, const Object& o, const char* key)
{
    const double v = number(in, o.get(key));
    return std::isfinite(v) ? std::clamp(v, -1e6, 1e6) : 0;
}

// The matrix of createGradientBox and of {matrixType: "box"}: the gradient square
// stretched over a w x h box at (x, y), turned by r radians about its centre.
std::array<double, 6> gradientBox(double w, double h, double r, double x, double y)
{
    return {std::cos(r) * w / kGradientSquare, std::sin(r) * h / kGradientSquare,
            -std::sin(r) * w / kGradientSquare, std::cos(r) * h / kGradientSquare, x + w / 2, y + h / 2};
}

// A gradient matrix object: {matrixType: "box", x, y, w, h, r}, a flash.geom.Matrix
// {a, b, c, d, tx, ty}, or the older 3x3 {a, b, d, e, g, h} that maps a unit square.
std::optional<swf::Matrix> gradientMatrix(Interpreter& in, const Value& v)
{
    if (v.type != Value::Type::Object)
        return std::nullopt;
    const Object& o = *v.object;
    auto n = [&](const char* key) { return matrixNumber(in, o, key); };
    std::array<double, 6> m{};
    if (o.get("matrixType").type == Value::Type::String && o.get("matrixType").text == "box")
        m = gradientBox(n("w"), n("h"), n("r"), n("x"), n("y"));
    else if (!o.has("tx") && o.has("g"))
        m = {n("a") / kGradientSquare, n("b") / kGradientSquare, n("d") / kGradientSquare,
             n("e") / kGradientSquare, n("g"), n("h")};
    else
        m = {n("a"), n("b"), n("c"), n("d"), n("tx"), n("ty")};
    swf::Matrix out;
    out.a = m[0];
    out.b = m[1];
    out.c = m[2];
    out.d = m[3];
    out.tx = pixelsToTwips(m[4]);
    out.ty = pixelsToTwips(m[5]);
    return out;
}

// The elements of an array argument, as many as `length` says, at most `limit`.
std::optional<std::vector<Value>> elements(Interpreter& in, const Value& v, size_t& length, size_t limit)
{
    if (v.type != Value::Type::Object)
        return std::nullopt;
    const double n = number(in, v.object->get("length"));
    length = std::isfinite(n) && n > 0 ? size_t(std::min(n, 1e9)) : 0;
    std::vector<Value> out;
    for (size_t i = 0; i < std::min(length, limit); ++i)
        out.push_back(v.object->get(std::to_string(i)));
    return out;
}

std::optional<swf::LineStyle> lineStyleOf(Interpreter& in, const std::vector<Value>& a)
{
    if (a.empty() || a[0].isUndefined())
        return std::nullopt;
    swf::LineStyle line;
    line.width = static_cast<uint16_t>(std::lround(clamped(number(in, a[0]), 0, 255, 0) * 20));
    line.color = colour(in, arg(a, 1).isUndefined() ? Value::fromNumber(0) : a[1], arg(a, 2));
    line.pixelHinting = toBoolean(arg(a, 3), in.swfVersion());
    const std::string scale = text(in, arg(a, 4));
    line.noHScale = scale == "none" || scale == "vertical";
    line.noVScale = scale == "none" || scale == "horizontal";
    const std::string caps = text(in, arg(a, 5));
    line.startCap = line.endCap = caps == "none" ? swf::CapStyle::None
                                  : caps == "square" ? swf::CapStyle::Square
                                                     : swf::CapStyle::Round;
    const std::string joints = text(in, arg(a, 6));
    line.join = joints == "miter" ? swf::JoinStyle::Miter
                : joints == "bevel" ? swf::JoinStyle::Bevel
                                    : swf::JoinStyle::Round;
    line.miterLimit = arg(a, 7).isUndefined() ? 3.0 : clamped(number(in, a[7]), 1, 255, 3);
    return line;
}

Clip* clipArgument(Interpreter& in, Clip& base, const Value& v)
{
    if (v.type == Value::Type::Clip)
        return in.resolveClip(v);
    if (v.type == Value::Type::Object || v.isNullish())
        return nullptr;
    // Target paths may join their parts with ':' as well as '.' and '/'.
    std::string path = text(in, v);
    std::replace(path.begin(), path.end(), ':', '.');
    Clip* from = base.parentClip() ? base.parentClip() : &base;
    return path.empty() ? nullptr : in.resolveTarget(path, *from);
}

// beginGradientFill / lineGradientStyle arguments: type, colors, alphas, ratios,
// matrix[, spreadMethod, interpolationMethod, focalPointRatio]. Colours, alphas and
// ratios must come in equal numbers (at most 15 are used), every ratio within 0..255.
struct GradientArguments {
    enum class Outcome { Style, Invalid, NoType };
    Outcome outcome = Outcome::Invalid;
    swf::FillStyle style;
};

GradientArguments parseGradient(Interpreter& in, const std::vector<Value>& args)
{
    GradientArguments out;
    if (args.empty() || args[0].isUndefined()) {
        out.outcome = GradientArguments::Outcome::NoType;
        return out;
    }
    if (args.size() > 8 || args[0].type != Value::Type::String)
        return out;
    const std::string& type = args[0].text;
    if (type != "linear" && type != "radial")
        return out;
    size_t colorCount = 0, alphaCount = 0, ratioCount = 0;
    const auto colors = elements(in, arg(args, 1), colorCount, kMaxGradientStops);
    const auto alphas = elements(in, arg(args, 2), alphaCount, kMaxGradientStops);
    const auto ratios = elements(in, arg(args, 3), ratioCount, kMaxGradientStops);
    const std::optional<swf::Matrix> matrix = gradientMatrix(in, arg(args, 4));
    if (!colors || !alphas || !ratios || !matrix || colorCount == 0 || colorCount != alphaCount ||
        colorCount != ratioCount)
        return out;
    swf::Gradient gradient;
    for (size_t i = 0; i < colors->size(); ++i) {
        const double r = std::trunc(clamped(number(in, (*ratios)[i]), -1, 256, 0));
        if (r < 0 || r > 255)
            return out;
        gradient.records.push_back({uint8_t(r), colour(in, (*colors)[i], (*alphas)[i])});
    }
    const std::string spread = text(in, arg(args, 5));
    gradient.spread = spread == "reflect" ? swf::SpreadMode::Reflect
                      : spread == "repeat" ? swf::SpreadMode::Repeat
                                           : swf::SpreadMode::Pad;
    gradient.interpolation = text(in, arg(args, 6)) == "linearRGB" ? swf::InterpolationMode::LinearRgb
                                                                    : swf::InterpolationMode::Normal;
    gradient.focalPoint = args.size() > 7 ? clamped(number(in, args[7]), -1, 1, 0) : 0;
    out.style.kind = type == "linear"             ? swf::FillKind::LinearGradient
                     : gradient.focalPoint != 0.0 ? swf::FillKind::FocalGradient
                                                  : swf::FillKind::RadialGradient;
    out.style.matrix = *matrix;
    out.style.gradient = std::move(gradient);
    out.outcome = GradientArguments::Outcome::Style;
    return out;
}

}  // namespace

void installDrawingMethods(Object& m)
{
    auto method = [&m](const char* name, std::function<Value(Interpreter&, Clip&, std::vector<Value>&)> body) {
        m.set(name, Value::fromObject(nativeFunction(
            [body](Interpreter& in, const Value& self, std::vector<Value>& args) -> Value {
                Clip* clip = in.resolveClip(self);
                return clip ? body(in, *clip, args) : Value{};
            })));
    };
    method("beginFill", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        if (a.empty() || a[0].isUndefined())
            c.drawing().endFill();
        else
            c.drawing().beginFill(swf::FillStyle::solid(colour(in, a[0], arg(a, 1))));
        return Value{};
    });
    method("beginGradientFill", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        const GradientArguments g = parseGradient(in, a);
        if (g.outcome == GradientArguments::Outcome::NoType)
            c.drawing().endFill();
        else if (g.outcome == GradientArguments::Outcome::Style)
            c.drawing().beginFill(g.style);
        return Value{};
    });
    method("endFill", [](Interpreter&, Clip& c, std::vector<Value>&) { c.drawing().endFill(); return Value{}; });
    // beginBitmapFill(bitmap, matrix, repeat = true, smoothing = false)
    method("beginBitmapFill", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        const Value bitmap = arg(a, 0);
        auto surface = bitmap.type == Value::Type::Object ? std::dynamic_pointer_cast<BitmapSurface>(bitmap.object->state)
                                                          : nullptr;
        swf::Matrix matrix;
        const Value m = arg(a, 1);
        if (m.type == Value::Type::Object) {
            auto n = [&](const char* key, double fallback) {
                const double v = m.object->has(key) ? number(in, m.object->get(key)) : fallback;
                return std::isfinite(v) ? std::clamp(v, -1e6, 1e6) : fallback;
            };
            matrix.a = n("a", 1);
            matrix.b = n("b", 0);
            matrix.c = n("c", 0);
            matrix.d = n("d", 1);
            matrix.tx = swf::Twips(std::lround(n("tx", 0) * 20));
            matrix.ty = swf::Twips(std::lround(n("ty", 0) * 20));
        }
        c.drawing().beginBitmapFill(std::move(surface), matrix, a.size() < 3 || toBoolean(a[2], in.swfVersion()),
                                    toBoolean(arg(a, 3), in.swfVersion()));
        return Value{};
    });
    method("lineStyle", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        c.drawing().lineStyle(lineStyleOf(in, a));
        return Value{};
    });
    method("lineGradientStyle", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        // Anything but a whole gradient leaves the stroke as it is.
        const GradientArguments g = parseGradient(in, a);
        if (g.outcome == GradientArguments::Outcome::Style)
            c.drawing().lineFill(g.style);
        return Value{};
    });
    method("moveTo", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        c.drawing().moveTo(number(in, arg(a, 0)), number(in, arg(a, 1)));
        return Value{};
    });
    method("lineTo", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        c.drawing().lineTo(number(in, arg(a, 0)), number(in, arg(a, 1)));
        return Value{};
    });
    method("curveTo", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        c.drawing().curveTo(number(in, arg(a, 0)), number(in, arg(a, 1)), number(in, arg(a, 2)),
                            number(in, arg(a, 3)));
        return Value{};
    });
    method("clear", [](Interpreter&, Clip& c, std::vector<Value>&) { c.drawing().clear(); return Value{}; });

    method("createEmptyMovieClip", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        if (a.size() < 2)
            return Value{};
        Clip* made = c.createEmptyClip(text(in, a[0]), clampInt(number(in, a[1])));
        return made ? Value::fromClip(made) : Value{};
    });
    method("getNextHighestDepth", [](Interpreter&, Clip& c, std::vector<Value>&) {
        return Value::fromNumber(c.nextHighestDepth());
    });
    method("setMask", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        if (a.empty())
            return Value{};
        if (a[0].isNullish())
            return Value::fromBool(c.setMask(nullptr));
        Clip* mask = clipArgument(in, c, a[0]);
        return Value::fromBool(mask && c.setMask(mask));
    });
    method("getBounds", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        Clip* space = a.empty() ? nullptr : clipArgument(in, c, a[0]);
        const std::array<double, 4> b = c.boundsIn(space);
        auto o = in.newObject();
        o->set("xMin", Value::fromNumber(b[0]));
        o->set("xMax", Value::fromNumber(b[1]));
        o->set("yMin", Value::fromNumber(b[2]));
        o->set("yMax", Value::fromNumber(b[3]));
        return Value::fromObject(o);
    });
    method("hitTest", [](Interpreter& in, Clip& c, std::vector<Value>& a) {
        if (a.size() >= 2)
            return Value::fromBool(c.hitTestPoint(number(in, a[0]), number(in, a[1]),
                                                  toBoolean(arg(a, 2), in.swfVersion())));
        Clip* other = a.empty() ? nullptr : clipArgument(in, c, a[0]);
        Clip* root = in.host().rootClip();
        if (!other || !root)
            return Value::fromBool(false);
        // Bounding boxes on the stage overlap.
        const std::array<double, 4> x = c.boundsIn(root), y = other->boundsIn(root);
        if (x[0] == kEmptyBounds || y[0] == kEmptyBounds)
            return Value::fromBool(false);
        return Value::fromBool(x[0] <= y[1] && y[0] <= x[1] && x[2] <= y[3] && y[2] <= x[3]);
    });
}

void installDrawingClasses(Interpreter& in, Object& global)
{
    const std::array<double, 2> stage = in.host().stageSizePixels();
    // Stage broadcasts to its listeners (onResize) like Key and Mouse.
    std::shared_ptr<Object> stageObject = makeBroadcaster(in);
    stageObject->set("width", Value::fromNumber(stage[0]));
    stageObject->set("height", Value::fromNumber(stage[1]));
    stageObject->set("scaleMode", Value::fromString("showAll"));
    stageObject->set("align", Value::fromString(""));
    stageObject->set("showMenu", Value::fromBool(true));
    global.set("Stage", Value::fromObject(stageObject));

    // flash.geom.Matrix, enough for gradient boxes. The packages may exist already:
    // other classes live in them.
    auto package = [](Object& owner, const char* name) {
        const Value v = owner.get(name);
        if (v.type == Value::Type::Object)
            return v.object;
        auto o = std::make_shared<Object>(false);
        owner.set(name, Value::fromObject(o));
        return o;
    };
    std::shared_ptr<Object> geom = package(*package(global, "flash"), "geom");
    static const char* const keys[] = {"a", "b", "c", "d", "tx", "ty"};
    auto setAll = [](const Value& self, const std::array<double, 6>& v) {
        if (self.type != Value::Type::Object)
            return;
        for (size_t i = 0; i < 6; ++i)
            self.object->set(keys[i], Value::fromNumber(v[i]));
    };
    auto proto = std::make_shared<Object>(false);
    proto->set("createGradientBox", Value::fromObject(nativeFunction(
        [setAll](Interpreter& in, const Value& self, std::vector<Value>& a) {
            auto n = [&](size_t i) {
                const double v = number(in, arg(a, i));
                return std::isfinite(v) ? v : 0.0;
            };
            setAll(self, gradientBox(n(0), n(1), n(2), n(3), n(4)));
            return Value{};
        })));
    proto->set("identity", Value::fromObject(nativeFunction([setAll](Interpreter&, const Value& self, std::vector<Value>&) {
        setAll(self, {1, 0, 0, 1, 0, 0});
        return Value{};
    })));
    auto matrix = nativeFunction([setAll](Interpreter& in, const Value& self, std::vector<Value>& a) {
        std::array<double, 6> v{1, 0, 0, 1, 0, 0};
        for (size_t i = 0; i < std::min<size_t>(a.size(), 6); ++i)
            v[i] = number(in, a[i]);
        setAll(self, v);
        return Value{};
    });
    matrix->set("prototype", Value::fromObject(proto));
    geom->set("Matrix", Value::fromObject(matrix));
}

}  // namespace flash::avm1

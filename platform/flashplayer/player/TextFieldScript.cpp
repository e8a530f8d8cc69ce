#include "TextFieldScript.h"

#include "MovieClip.h"
#include "StyleSheet.h"
#include "TextFieldClip.h"

#include <algorithm>
#include <cmath>

namespace flash {

namespace {

using avm1::Interpreter;
using avm1::Object;
using avm1::Value;

constexpr double kMaxFieldPixels = 1e6;

Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value{}; }

std::shared_ptr<Object> nativeFunction(avm1::NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

// The members of a TextFormat object in constructor order (url and target are kept
// but mean nothing here).
const char* const kMembers[] = {"font", "size", "color", "bold", "italic", "underline", "url", "target",
                                "align", "leftMargin", "rightMargin", "indent", "leading"};

TextFormat formatFromObject(Interpreter& in, const Object& o)
{
    TextFormat f;
    const int v = in.swfVersion();
    auto number = [&](const char* key) -> std::optional<double> {
        const Value x = o.get(key);
        if (x.isNullish())
            return std::nullopt;
        const double n = avm1::toNumber(x, v);
        return std::isfinite(n) ? std::optional(n) : std::nullopt;
    };
    auto flag = [&](const char* key) -> std::optional<bool> {
        const Value x = o.get(key);
        return x.isNullish() ? std::nullopt : std::optional(avm1::toBoolean(x, v));
    };
    if (const Value font = o.get("font"); !font.isNullish())
        f.font = avm1::toString(font, v).substr(0, 256);
    f.size = number("size");
    if (const auto c = number("color"))
        f.color = uint32_t(avm1::toInt32(*c)) & 0xFFFFFF;
    f.bold = flag("bold");
    f.italic = flag("italic");
    f.underline = flag("underline");
    if (const Value a = o.get("align"); !a.isNullish()) {
        const std::string s = avm1::toString(a, v);
        if (s == "left") f.align = swf::TextAlign::Left;
        else if (s == "right") f.align = swf::TextAlign::Right;
        else if (s == "center") f.align = swf::TextAlign::Center;
        else if (s == "justify") f.align = swf::TextAlign::Justify;
    }
    f.leftMargin = number("leftMargin");
    f.rightMargin = number("rightMargin");
    f.indent = number("indent");
    f.leading = number("leading");
    f.letterSpacing = number("letterSpacing");
    return f;
}

Value newFormatObject(Interpreter& in, const TextFormat& f)
{
    auto object = in.newObject();
    if (const Value ctor = in.globals().get("TextFormat"); ctor.type == Value::Type::Object)
        if (const Value proto = ctor.object->get("prototype"); proto.type == Value::Type::Object)
            object->prototype = proto.object;
    Object& o = *object;
    auto num = [](const std::optional<double>& n) { return n ? Value::fromNumber(*n) : Value::null(); };
    auto flag = [](const std::optional<bool>& b) { return b ? Value::fromBool(*b) : Value::null(); };
    o.set("font", f.font ? Value::fromString(*f.font) : Value::null());
    o.set("size", num(f.size));
    o.set("color", f.color ? Value::fromNumber(*f.color) : Value::null());
    o.set("bold", flag(f.bold));
    o.set("italic", flag(f.italic));
    o.set("underline", flag(f.underline));
    static const char* const aligns[] = {"left", "right", "center", "justify"};
    o.set("align", f.align ? Value::fromString(aligns[int(*f.align) & 3]) : Value::null());
    o.set("leftMargin", num(f.leftMargin));
    o.set("rightMargin", num(f.rightMargin));
    o.set("indent", num(f.indent));
    o.set("leading", num(f.leading));
    o.set("letterSpacing", num(f.letterSpacing));
    return Value::fromObject(object);
}

TextFieldClip* fieldOf(Interpreter& in, const Value& self)
{
    return dynamic_cast<TextFieldClip*>(in.resolveClip(self));
}

double number(Interpreter& in, const Value& v) { return avm1::toNumber(v, in.swfVersion()); }

// getTextFormat(), (index) or (begin, end): the range as begin and end, NaN for open.
std::pair<double, double> range(Interpreter& in, const std::vector<Value>& a, size_t first)
{
    if (a.size() <= first)
        return {NAN, NAN};
    const double begin = number(in, a[first]);
    if (a.size() == first + 1)
        return {begin, std::isnan(begin) ? NAN : begin + 1};
    return {begin, number(in, a[first + 1])};
}

void installTextFormatClass(Interpreter& in)
{
    auto proto = in.newObject();
    auto ctor = nativeFunction([](Interpreter&, const Value& self, std::vector<Value>& a) {
        if (self.type != Value::Type::Object)
            return Value{};
        for (size_t i = 0; i < std::size(kMembers); ++i)
            self.object->set(kMembers[i], i < a.size() && !a[i].isUndefined() ? a[i] : Value::null());
        return self;
    });
    ctor->set("prototype", Value::fromObject(proto));
    in.globals().set("TextFormat", Value::fromObject(ctor));
}

}  // namespace

void installTextFieldScripting(Interpreter& in)
{
    installTextFormatClass(in);
    installStyleSheetClass(in);
    Object& methods = in.clipMethods();
    auto method = [&methods](const char* name, avm1::NativeFunction fn) {
        methods.set(name, Value::fromObject(nativeFunction(std::move(fn))));
    };
    method("createTextField", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        auto* clip = dynamic_cast<MovieClip*>(in.resolveClip(self));
        if (!clip || a.size() < 6)
            return Value{};
        auto px = [&](size_t i) {
            const double n = number(in, a[i]);
            return std::isfinite(n) ? std::clamp(n, -kMaxFieldPixels, kMaxFieldPixels) : 0.0;
        };
        const double depth = number(in, a[1]);
        const double x = px(2), y = px(3), w = std::max(0.0, px(4)), h = std::max(0.0, px(5));
        // The field's box starts at its origin; x and y place it.
        const swf::Rect box{0, swf::Twips(std::lround(w * 20)), 0, swf::Twips(std::lround(h * 20))};
        avm1::Clip* made = clip->createTextField(avm1::toString(a[0], in.swfVersion()),
                                                 std::isfinite(depth) ? avm1::clampInt(depth) : 0, box);
        if (!made)
            return Value{};
        made->setProperty(avm1::ClipProperty::X, Value::fromNumber(x));
        made->setProperty(avm1::ClipProperty::Y, Value::fromNumber(y));
        // Version 8 answers the new field; older movies get nothing back.
        return in.swfVersion() >= 8 ? Value::fromClip(made) : Value{};
    });
    method("getTextFormat", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        TextFieldClip* field = fieldOf(in, self);
        if (!field)
            return Value{};
        const auto [begin, end] = range(in, a, 0);
        return newFormatObject(in, field->textFormat(begin, end));
    });
    method("setTextFormat", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        TextFieldClip* field = fieldOf(in, self);
        if (!field || a.empty() || a.back().type != Value::Type::Object)
            return Value{};
        // The format comes last: (format), (index, format), (begin, end, format).
        const TextFormat format = formatFromObject(in, *a.back().object);
        std::vector<Value> bounds(a.begin(), a.end() - 1);
        const auto [begin, end] = range(in, bounds, 0);
        field->setTextFormat(begin, end, format);
        return Value{};
    });
    method("getNewTextFormat", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        TextFieldClip* field = fieldOf(in, self);
        if (!field)
            return Value{};
        TextFormat f = field->textFormat(0, 0);
        f.merge(field->newTextFormat());
        return newFormatObject(in, f);
    });
    method("setNewTextFormat", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        TextFieldClip* field = fieldOf(in, self);
        if (field && arg(a, 0).type == Value::Type::Object)
            field->setNewTextFormat(formatFromObject(in, *a[0].object));
        return Value{};
    });
    method("removeTextField", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        if (TextFieldClip* field = fieldOf(in, self))
            field->removeClip();
        return Value{};
    });
}

}  // namespace flash

#include "StyleSheet.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace flash {

namespace {

using avm1::Interpreter;
using avm1::Object;
using avm1::Value;

constexpr size_t kMaxRules = 1000;
constexpr size_t kMaxCss = 1 << 20;
constexpr const char* kStyles = "_css";   // where a sheet keeps its styles

std::string trimmed(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    const size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

std::string camelCase(const std::string& name)
{
    std::string out;
    bool upper = false;
    for (char c : name) {
        if (c == '-') {
            upper = true;
            continue;
        }
        out += upper ? char(std::toupper(static_cast<unsigned char>(c))) : c;
        upper = false;
    }
    return out;
}

std::shared_ptr<Object> nativeFunction(avm1::NativeFunction fn)
{
    auto o = std::make_shared<Object>(true);
    o->native = std::move(fn);
    return o;
}

// The styles object of a sheet, made on first use.
std::shared_ptr<Object> stylesOf(Interpreter& in, const Value& self)
{
    if (self.type != Value::Type::Object)
        return nullptr;
    const Value v = self.object->get(kStyles);
    if (v.type == Value::Type::Object)
        return v.object;
    auto styles = in.newObject();
    self.object->set(kStyles, Value::fromObject(styles));
    return styles;
}

// A copy of a style object's own members.
std::shared_ptr<Object> copied(Interpreter& in, const Object& from)
{
    auto to = in.newObject();
    for (const std::string& key : from.keys())
        to->set(key, from.get(key));
    return to;
}

std::optional<uint32_t> cssColour(const std::string& s)
{
    const std::string t = trimmed(s);
    if (t.size() != 7 || t[0] != '#')
        return std::nullopt;
    char* end = nullptr;
    const unsigned long v = std::strtoul(t.c_str() + 1, &end, 16);
    return end == t.c_str() + 7 ? std::optional(uint32_t(v)) : std::nullopt;
}

std::optional<double> cssNumber(const std::string& s)
{
    const std::string t = trimmed(s);
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    return end != t.c_str() && std::isfinite(v) ? std::optional(v) : std::nullopt;
}

}  // namespace

std::vector<CssRule> parseCss(const std::string& input)
{
    const std::string css = input.substr(0, kMaxCss);
    std::vector<CssRule> rules;
    size_t at = 0;
    while (at < css.size() && rules.size() < kMaxRules) {
        if (css.compare(at, 2, "/*") == 0) {
            const size_t end = css.find("*/", at + 2);
            at = end == std::string::npos ? css.size() : end + 2;
            continue;
        }
        const size_t open = css.find('{', at);
        if (open == std::string::npos)
            break;
        const size_t close = css.find('}', open);
        const std::string selectors = css.substr(at, open - at);
        const std::string body = css.substr(open + 1, (close == std::string::npos ? css.size() : close) - open - 1);
        at = close == std::string::npos ? css.size() : close + 1;
        std::vector<std::pair<std::string, std::string>> properties;
        size_t p = 0;
        while (p <= body.size()) {
            const size_t semi = std::min(body.find(';', p), body.size());
            const std::string decl = body.substr(p, semi - p);
            p = semi + 1;
            const size_t colon = decl.find(':');
            if (colon == std::string::npos)
                continue;
            const std::string name = camelCase(trimmed(decl.substr(0, colon)));
            if (!name.empty())
                properties.emplace_back(name, trimmed(decl.substr(colon + 1)));
        }
        size_t s = 0;
        while (s <= selectors.size() && rules.size() < kMaxRules) {
            const size_t comma = std::min(selectors.find(',', s), selectors.size());
            const std::string name = trimmed(selectors.substr(s, comma - s));
            s = comma + 1;
            if (!name.empty())
                rules.emplace_back(name, properties);
        }
    }
    return rules;
}

StyleRules styleRulesOf(const Object& sheet, int version)
{
    StyleRules rules;
    const Value styles = sheet.get(kStyles);
    if (styles.type != Value::Type::Object)
        return rules;
    for (const std::string& selector : styles.object->keys()) {
        if (rules.size() >= kMaxRules)
            break;
        const Value style = styles.object->get(selector);
        if (style.type != Value::Type::Object)
            continue;
        auto text = [&](const char* key) -> std::optional<std::string> {
            const Value v = style.object->get(key);
            return v.isNullish() ? std::nullopt : std::optional(avm1::toString(v, version));
        };
        TextFormat f;
        if (auto c = text("color"))
            f.color = cssColour(*c);
        if (auto size = text("fontSize"))
            f.size = cssNumber(*size);
        if (auto family = text("fontFamily"))
            f.font = trimmed(family->substr(0, family->find(','))).substr(0, 256);
        if (auto weight = text("fontWeight"))
            f.bold = *weight == "bold";
        if (auto slant = text("fontStyle"))
            f.italic = *slant == "italic";
        if (auto decoration = text("textDecoration"))
            f.underline = *decoration == "underline";
        if (auto align = text("textAlign")) {
            if (*align == "left" || *align == "justify") f.align = swf::TextAlign::Left;
            else if (*align == "right") f.align = swf::TextAlign::Right;
            else if (*align == "center") f.align = swf::TextAlign::Center;
        }
        if (auto spacing = text("letterSpacing"))
            f.letterSpacing = cssNumber(*spacing);
        std::string key = selector;
        // Tag names match in any case; class names as written.
        if (key.find('.') == std::string::npos)
            std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        rules[key] = f;
    }
    return rules;
}

void installStyleSheetClass(Interpreter& in)
{
    auto proto = in.newObject();
    auto method = [&proto](const char* name, avm1::NativeFunction fn) {
        proto->set(name, Value::fromObject(nativeFunction(std::move(fn))));
    };
    method("setStyle", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        auto styles = stylesOf(in, self);
        if (!styles || a.empty())
            return Value{};
        const std::string name = avm1::toString(a[0], in.swfVersion()).substr(0, 1024);
        if (a.size() > 1 && a[1].type == Value::Type::Object) {
            if (styles->keys().size() < kMaxRules || styles->hasOwn(name))
                styles->set(name, Value::fromObject(copied(in, *a[1].object)));
        } else {
            styles->remove(name);
        }
        return Value{};
    });
    method("getStyle", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        auto styles = stylesOf(in, self);
        if (!styles || a.empty())
            return Value::null();
        const Value style = styles->get(avm1::toString(a[0], in.swfVersion()));
        return style.type == Value::Type::Object ? Value::fromObject(copied(in, *style.object)) : Value::null();
    });
    method("getStyleNames", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        auto names = in.newObject();
        names->isArray = true;
        size_t n = 0;
        if (auto styles = stylesOf(in, self))
            for (const std::string& key : styles->keys())
                names->set(std::to_string(n++), Value::fromString(key));
        names->set("length", Value::fromNumber(double(n)));
        return Value::fromObject(names);
    });
    method("clear", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        if (self.type == Value::Type::Object)
            self.object->set(kStyles, Value::fromObject(in.newObject()));
        return Value{};
    });
    method("parseCSS", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        auto styles = stylesOf(in, self);
        if (!styles || a.empty())
            return Value::fromBool(false);
        for (const auto& [selector, properties] : parseCss(avm1::toString(a[0], in.swfVersion()))) {
            if (styles->keys().size() >= kMaxRules && !styles->hasOwn(selector))
                break;
            auto style = in.newObject();
            for (const auto& [name, value] : properties)
                style->set(name, Value::fromString(value));
            styles->set(selector, Value::fromObject(style));
        }
        return Value::fromBool(true);
    });
    auto ctor = nativeFunction([](Interpreter&, const Value& self, std::vector<Value>&) { return self; });
    ctor->set("prototype", Value::fromObject(proto));
    Value textField = in.globals().get("TextField");
    if (textField.type != Value::Type::Object) {
        textField = Value::fromObject(nativeFunction([](Interpreter&, const Value& self, std::vector<Value>&) { return self; }));
        in.globals().set("TextField", textField);
    }
    textField.object->set("StyleSheet", Value::fromObject(ctor));
}

}  // namespace flash

// The core classes of ActionScript 1/2: Object, Function, Array, String, Number,
// Boolean, and AsBroadcaster, with the methods their prototypes carry.
#include "StandardClasses.h"

#include "Interpreter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace flash::avm1 {

namespace {

Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value{}; }

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

// --- Text as code points (SWF 6 on keeps UTF-8; indexes count characters) ---------

std::u32string decode(const std::string& s)
{
    std::u32string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (c >= 0x80 && c < 0xC0)
            extra = 0;
        if (i + extra >= s.size() + (extra ? 0 : 1) && extra) {
            out.push_back(c);
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char n = static_cast<unsigned char>(s[i + k]);
            if ((n & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (n & 0x3F);
        }
        if (!ok) {
            out.push_back(c);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

std::string encode(std::u32string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s) {
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (c >> 18)));
            out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u32string lower(std::u32string s)
{
    for (char32_t& c : s)
        if (c < 0x80)
            c = char32_t(std::tolower(int(c)));
        else if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB) || (c >= 0x410 && c <= 0x42F))
            c += 32;
    return s;
}

std::u32string upper(std::u32string s)
{
    for (char32_t& c : s)
        if (c < 0x80)
            c = char32_t(std::toupper(int(c)));
        else if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB) || (c >= 0x430 && c <= 0x44F))
            c -= 32;
    return s;
}

// --- Arrays ---------------------------------------------------------------------

size_t lengthOf(Interpreter& in, const Object& o)
{
    const double n = toNumber(o.get("length"), in.swfVersion() < 7 ? 7 : in.swfVersion());
    return std::isfinite(n) && n > 0 ? static_cast<size_t>(std::min(n, 1e7)) : 0;
}

std::vector<Value> itemsOf(Interpreter& in, const Object& o)
{
    const size_t n = std::min<size_t>(lengthOf(in, o), 1000000);
    std::vector<Value> items;
    items.reserve(n);
    for (size_t i = 0; i < n; ++i)
        items.push_back(o.get(std::to_string(i)));
    return items;
}

void setItems(Object& o, const std::vector<Value>& items)
{
    const size_t old = static_cast<size_t>(std::max(0.0, toNumber(o.get("length"), 7)));
    for (size_t i = items.size(); i < old && i < 1000000; ++i)
        o.remove(std::to_string(i));
    for (size_t i = 0; i < items.size(); ++i)
        o.set(std::to_string(i), items[i]);
    o.set("length", Value::fromNumber(double(items.size())));
}

Object* selfObject(const Value& self) { return self.type == Value::Type::Object ? self.object.get() : nullptr; }

// Relative start/end indexes of slice and splice: negative counts from the end.
size_t relativeIndex(double v, size_t length)
{
    if (std::isnan(v))
        return 0;
    v = std::trunc(v);
    if (v < 0)
        return static_cast<size_t>(std::max(0.0, double(length) + v));
    return static_cast<size_t>(std::min(v, double(length)));
}

enum SortOption : int { CaseInsensitive = 1, Descending = 2, UniqueSort = 4, ReturnIndexedArray = 8, Numeric = 16 };

// -1, 0, 1 as the default sort compares: as strings, or numbers with NUMERIC.
int compareValues(Interpreter& in, const Value& a, const Value& b, int options)
{
    if (options & Numeric) {
        const double x = toNumber(a, in.swfVersion()), y = toNumber(b, in.swfVersion());
        if (!std::isnan(x) && !std::isnan(y))
            return x < y ? -1 : x > y ? 1 : 0;
    }
    std::string x = toString(a, in.swfVersion()), y = toString(b, in.swfVersion());
    if (options & CaseInsensitive) {
        for (char& c : x) c = char(std::tolower(static_cast<unsigned char>(c)));
        for (char& c : y) c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

// Sorts `items` by `cmp` (negative: a first) and applies the options that follow the
// order: DESCENDING, UNIQUESORT (0 when two compare equal), RETURNINDEXEDARRAY.
Value sortWith(Interpreter& in, const Value& self, Object& array, std::vector<Value> items, int options,
               const std::function<int(const Value&, const Value&)>& cmp)
{
    std::vector<size_t> order(items.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    bool duplicate = false;
    std::stable_sort(order.begin(), order.end(), [&](size_t x, size_t y) {
        int c = cmp(items[x], items[y]);
        if (c == 0)
            duplicate = true;
        if (options & Descending)
            c = -c;
        return c < 0;
    });
    if ((options & UniqueSort) && duplicate)
        return Value::fromNumber(0);
    if (options & ReturnIndexedArray) {
        auto result = in.newArray();
        std::vector<Value> indexes;
        for (size_t i : order)
            indexes.push_back(Value::fromNumber(double(i)));
        setItems(*result, indexes);
        return Value::fromObject(result);
    }
    std::vector<Value> sorted;
    sorted.reserve(items.size());
    for (size_t i : order)
        sorted.push_back(items[i]);
    setItems(array, sorted);
    return self;
}

void installArray(Interpreter& in, Object& global)
{
    Object& proto = *in.arrayPrototype();
    method(proto, "push", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        if (!o)
            return Value{};
        size_t n = lengthOf(in, *o);
        for (const Value& v : a)
            o->set(std::to_string(n++), v);
        o->set("length", Value::fromNumber(double(n)));
        return Value::fromNumber(double(n));
    });
    method(proto, "pop", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        Object* o = selfObject(self);
        if (!o)
            return Value{};
        const size_t n = lengthOf(in, *o);
        if (n == 0)
            return Value{};
        const Value last = o->get(std::to_string(n - 1));
        o->remove(std::to_string(n - 1));
        o->set("length", Value::fromNumber(double(n - 1)));
        return last;
    });
    method(proto, "shift", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        Object* o = selfObject(self);
        if (!o)
            return Value{};
        std::vector<Value> items = itemsOf(in, *o);
        if (items.empty())
            return Value{};
        const Value first = items.front();
        items.erase(items.begin());
        setItems(*o, items);
        return first;
    });
    method(proto, "unshift", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        if (!o)
            return Value{};
        std::vector<Value> items = itemsOf(in, *o);
        items.insert(items.begin(), a.begin(), a.end());
        setItems(*o, items);
        return Value::fromNumber(double(items.size()));
    });
    method(proto, "join", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        if (!o)
            return Value{};
        const std::string sep = a.empty() || a[0].isUndefined() ? "," : toString(a[0], in.swfVersion());
        std::string out;
        const std::vector<Value> items = itemsOf(in, *o);
        for (size_t i = 0; i < items.size(); ++i) {
            if (i)
                out += sep;
            out += toString(items[i], in.swfVersion());
        }
        return Value::fromString(out);
    });
    method(proto, "toString", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromString(toString(self, in.swfVersion()));
    });
    method(proto, "reverse", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        Object* o = selfObject(self);
        if (!o)
            return Value{};
        std::vector<Value> items = itemsOf(in, *o);
        std::reverse(items.begin(), items.end());
        setItems(*o, items);
        return self;
    });
    method(proto, "concat", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        auto result = in.newArray();
        std::vector<Value> items = o ? itemsOf(in, *o) : std::vector<Value>{};
        for (const Value& v : a) {
            if (v.type == Value::Type::Object && v.object->isArray) {
                const std::vector<Value> more = itemsOf(in, *v.object);
                items.insert(items.end(), more.begin(), more.end());
            } else {
                items.push_back(v);
            }
        }
        setItems(*result, items);
        return Value::fromObject(result);
    });
    method(proto, "slice", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        auto result = in.newArray();
        if (!o)
            return Value::fromObject(result);
        const std::vector<Value> items = itemsOf(in, *o);
        const size_t begin = relativeIndex(a.empty() ? 0 : toNumber(a[0], in.swfVersion()), items.size());
        const size_t end = a.size() < 2 || a[1].isUndefined()
                               ? items.size() : relativeIndex(toNumber(a[1], in.swfVersion()), items.size());
        std::vector<Value> part;
        for (size_t i = begin; i < end; ++i)
            part.push_back(items[i]);
        setItems(*result, part);
        return Value::fromObject(result);
    });
    method(proto, "splice", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        auto removed = in.newArray();
        if (!o || a.empty())
            return Value::fromObject(removed);
        std::vector<Value> items = itemsOf(in, *o);
        const size_t start = relativeIndex(toNumber(a[0], in.swfVersion()), items.size());
        size_t count = items.size() - start;
        if (a.size() > 1) {
            const double c = toNumber(a[1], in.swfVersion());
            count = std::isnan(c) || c < 0 ? 0 : std::min<size_t>(count, static_cast<size_t>(std::min(c, 1e7)));
        }
        std::vector<Value> gone(items.begin() + start, items.begin() + start + count);
        items.erase(items.begin() + start, items.begin() + start + count);
        if (a.size() > 2)
            items.insert(items.begin() + start, a.begin() + 2, a.end());
        setItems(*o, items);
        setItems(*removed, gone);
        return Value::fromObject(removed);
    });
    method(proto, "sort", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        if (!o)
            return Value{};
        Value compare;
        int options = 0;
        for (const Value& v : a) {
            if (v.type == Value::Type::Object && v.object->isFunction())
                compare = v;
            else if (v.type == Value::Type::Number)
                options = clampInt(v.number);
        }
        auto cmp = [&](const Value& x, const Value& y) {
            if (compare.isUndefined())
                return compareValues(in, x, y, options);
            std::vector<Value> args{x, y};
            const double r = toNumber(in.callFunction(compare, Value{}, args), in.swfVersion());
            return r < 0 ? -1 : r > 0 ? 1 : 0;
        };
        return sortWith(in, self, *o, itemsOf(in, *o), options, cmp);
    });
    method(proto, "sortOn", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        if (!o || a.empty())
            return self;
        std::vector<std::string> fields;
        std::vector<int> fieldOptions;
        int options = a.size() > 1 && a[1].type == Value::Type::Number ? clampInt(a[1].number) : 0;
        if (a[0].type == Value::Type::Object && a[0].object->isArray) {
            for (const Value& f : itemsOf(in, *a[0].object))
                fields.push_back(toString(f, in.swfVersion()));
            if (a.size() > 1 && a[1].type == Value::Type::Object && a[1].object->isArray)
                for (const Value& f : itemsOf(in, *a[1].object))
                    fieldOptions.push_back(clampInt(toNumber(f, in.swfVersion())));
        } else {
            fields.push_back(toString(a[0], in.swfVersion()));
        }
        auto field = [&](const Value& v, const std::string& name) {
            if (v.type == Value::Type::Object)
                return v.object->get(name);
            if (Clip* clip = in.resolveClip(v))
                return clip->variables().get(name);
            return Value{};
        };
        const int sortOptions = fieldOptions.empty() ? options : (options & (UniqueSort | ReturnIndexedArray));
        auto cmp = [&](const Value& x, const Value& y) {
            for (size_t i = 0; i < fields.size(); ++i) {
                const int opts = i < fieldOptions.size() ? fieldOptions[i] : options;
                int c = compareValues(in, field(x, fields[i]), field(y, fields[i]), opts);
                if (!fieldOptions.empty() && (opts & Descending))
                    c = -c;
                if (c != 0)
                    return c;
            }
            return 0;
        };
        return sortWith(in, self, *o, itemsOf(in, *o), sortOptions, cmp);
    });
    const Value ctor = global.get("Array");
    if (ctor.type == Value::Type::Object) {
        ctor.object->set("prototype", Value::fromObject(in.arrayPrototype()));
        in.arrayPrototype()->set("constructor", ctor);
        const std::pair<const char*, int> constants[] = {{"CASEINSENSITIVE", CaseInsensitive},
            {"DESCENDING", Descending}, {"UNIQUESORT", UniqueSort}, {"RETURNINDEXEDARRAY", ReturnIndexedArray},
            {"NUMERIC", Numeric}};
        for (const auto& [name, value] : constants)
            ctor.object->set(name, Value::fromNumber(value));
    }
}

// --- Strings --------------------------------------------------------------------

std::string selfText(Interpreter& in, const Value& self)
{
    if (self.type == Value::Type::Object && self.object->hasOwn("__value"))
        return toString(self.object->get("__value"), in.swfVersion());
    return toString(self, in.swfVersion());
}

double numberArg(Interpreter& in, const std::vector<Value>& a, size_t i, double fallback)
{
    if (i >= a.size() || a[i].isUndefined())
        return fallback;
    const double v = toNumber(a[i], in.swfVersion());
    return std::isnan(v) ? 0 : v;
}

void installString(Interpreter& in, Object& global)
{
    Object& proto = *in.stringPrototype();
    method(proto, "toString", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromString(selfText(in, self));
    });
    method(proto, "valueOf", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromString(selfText(in, self));
    });
    method(proto, "charAt", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::u32string s = decode(selfText(in, self));
        const double i = std::trunc(numberArg(in, a, 0, 0));
        return Value::fromString(i >= 0 && i < double(s.size()) ? encode(s.substr(size_t(i), 1)) : "");
    });
    method(proto, "charCodeAt", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::u32string s = decode(selfText(in, self));
        const double i = std::trunc(numberArg(in, a, 0, 0));
        return Value::fromNumber(i >= 0 && i < double(s.size()) ? double(s[size_t(i)])
                                                                : std::numeric_limits<double>::quiet_NaN());
    });
    method(proto, "concat", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        std::string s = selfText(in, self);
        for (const Value& v : a)
            s += toString(v, in.swfVersion());
        return Value::fromString(s);
    });
    method(proto, "indexOf", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::u32string s = decode(selfText(in, self));
        const std::u32string find = decode(toString(arg(a, 0), in.swfVersion()));
        const double from = std::max(0.0, std::trunc(numberArg(in, a, 1, 0)));
        if (from > double(s.size()))
            return Value::fromNumber(-1);
        const size_t at = s.find(find, size_t(from));
        return Value::fromNumber(at == std::u32string::npos ? -1 : double(at));
    });
    method(proto, "lastIndexOf", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::u32string s = decode(selfText(in, self));
        const std::u32string find = decode(toString(arg(a, 0), in.swfVersion()));
        const double from = numberArg(in, a, 1, double(s.size()));
        if (from < 0)
            return Value::fromNumber(-1);
        const size_t at = s.rfind(find, size_t(std::min(from, double(s.size()))));
        return Value::fromNumber(at == std::u32string::npos ? -1 : double(at));
    });
    method(proto, "slice", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::u32string s = decode(selfText(in, self));
        const size_t begin = relativeIndex(numberArg(in, a, 0, 0), s.size());
        const size_t end = relativeIndex(numberArg(in, a, 1, double(s.size())), s.size());
        return Value::fromString(begin < end ? encode(s.substr(begin, end - begin)) : "");
    });
    method(proto, "substring", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::u32string s = decode(selfText(in, self));
        auto clampTo = [&](double v) { return size_t(std::clamp(std::trunc(v), 0.0, double(s.size()))); };
        size_t begin = clampTo(numberArg(in, a, 0, 0));
        size_t end = clampTo(numberArg(in, a, 1, double(s.size())));
        if (begin > end)
            std::swap(begin, end);
        return Value::fromString(encode(s.substr(begin, end - begin)));
    });
    method(proto, "substr", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::u32string s = decode(selfText(in, self));
        const size_t begin = relativeIndex(numberArg(in, a, 0, 0), s.size());
        const double count = numberArg(in, a, 1, double(s.size()));
        if (count <= 0)
            return Value::fromString("");
        return Value::fromString(encode(s.substr(begin, size_t(std::min(count, double(s.size()))))));
    });
    method(proto, "split", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        auto result = in.newArray();
        const std::string text = selfText(in, self);
        std::vector<Value> parts;
        const double limit = numberArg(in, a, 1, 1e9);
        if (a.empty() || a[0].isUndefined()) {
            parts.push_back(Value::fromString(text));
        } else {
            const std::u32string s = decode(text);
            const std::u32string sep = decode(toString(a[0], in.swfVersion()));
            if (sep.empty()) {
                for (char32_t c : s)
                    parts.push_back(Value::fromString(encode(std::u32string(1, c))));
            } else {
                size_t from = 0;
                while (true) {
                    const size_t at = s.find(sep, from);
                    parts.push_back(Value::fromString(encode(s.substr(from, at == std::u32string::npos
                                                                               ? std::u32string::npos : at - from))));
                    if (at == std::u32string::npos)
                        break;
                    from = at + sep.size();
                }
            }
        }
        if (limit >= 0 && double(parts.size()) > limit)
            parts.resize(size_t(limit));
        setItems(*result, parts);
        return Value::fromObject(result);
    });
    method(proto, "toLowerCase", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromString(encode(lower(decode(selfText(in, self)))));
    });
    method(proto, "toUpperCase", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromString(encode(upper(decode(selfText(in, self)))));
    });
    // String(x) converts; new String(x) wraps.
    auto ctor = native([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const Value text = Value::fromString(a.empty() ? "" : toString(a[0], in.swfVersion()));
        if (self.type == Value::Type::Object && self.object->prototype == in.stringPrototype()) {
            self.object->set("__value", text);
            self.object->set("length", Value::fromNumber(double(decode(text.text).size())));
            return self;
        }
        return text;
    });
    ctor->set("prototype", Value::fromObject(in.stringPrototype()));
    in.stringPrototype()->set("constructor", Value::fromObject(ctor));
    method(*ctor, "fromCharCode", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        std::u32string s;
        for (const Value& v : a)
            s.push_back(char32_t(uint16_t(toInt32(toNumber(v, in.swfVersion())))));
        return Value::fromString(encode(s));
    });
    global.set("String", Value::fromObject(ctor));
}

// --- Numbers and booleans ---------------------------------------------------------

double selfNumber(Interpreter& in, const Value& self)
{
    if (self.type == Value::Type::Object && self.object->hasOwn("__value"))
        return toNumber(self.object->get("__value"), in.swfVersion());
    return toNumber(self, in.swfVersion());
}

std::string toRadix(double n, int radix)
{
    if (radix == 10 || radix < 2 || radix > 36 || !std::isfinite(n))
        return numberToString(n);
    const bool negative = n < 0;
    int64_t v = static_cast<int64_t>(std::trunc(std::fabs(n)));
    std::string digits;
    do {
        digits.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[v % radix]);
        v /= radix;
    } while (v > 0);
    if (negative)
        digits.push_back('-');
    std::reverse(digits.begin(), digits.end());
    return digits;
}

void installNumberAndBoolean(Interpreter& in, Object& global)
{
    Object& number = *in.numberPrototype();
    method(number, "toString", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const int radix = a.empty() || a[0].isUndefined() ? 10 : clampInt(toNumber(a[0], in.swfVersion()));
        return Value::fromString(toRadix(selfNumber(in, self), radix));
    });
    method(number, "valueOf", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromNumber(selfNumber(in, self));
    });
    auto numberCtor = native([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const Value n = Value::fromNumber(a.empty() ? 0 : toNumber(a[0], in.swfVersion()));
        if (self.type == Value::Type::Object && self.object->prototype == in.numberPrototype()) {
            self.object->set("__value", n);
            return self;
        }
        return n;
    });
    numberCtor->set("prototype", Value::fromObject(in.numberPrototype()));
    number.set("constructor", Value::fromObject(numberCtor));
    numberCtor->set("MAX_VALUE", Value::fromNumber(std::numeric_limits<double>::max()));
    numberCtor->set("MIN_VALUE", Value::fromNumber(std::numeric_limits<double>::denorm_min()));
    numberCtor->set("NaN", Value::fromNumber(std::numeric_limits<double>::quiet_NaN()));
    numberCtor->set("POSITIVE_INFINITY", Value::fromNumber(std::numeric_limits<double>::infinity()));
    numberCtor->set("NEGATIVE_INFINITY", Value::fromNumber(-std::numeric_limits<double>::infinity()));
    global.set("Number", Value::fromObject(numberCtor));

    Object& boolean = *in.booleanPrototype();
    auto selfBool = [](Interpreter& in, const Value& self) {
        if (self.type == Value::Type::Object && self.object->hasOwn("__value"))
            return toBoolean(self.object->get("__value"), in.swfVersion());
        return toBoolean(self, in.swfVersion());
    };
    method(boolean, "toString", [selfBool](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromString(selfBool(in, self) ? "true" : "false");
    });
    method(boolean, "valueOf", [selfBool](Interpreter& in, const Value& self, std::vector<Value>&) {
        return Value::fromBool(selfBool(in, self));
    });
    auto boolCtor = native([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const Value b = Value::fromBool(!a.empty() && toBoolean(a[0], in.swfVersion()));
        if (self.type == Value::Type::Object && self.object->prototype == in.booleanPrototype()) {
            self.object->set("__value", b);
            return self;
        }
        return b;
    });
    boolCtor->set("prototype", Value::fromObject(in.booleanPrototype()));
    boolean.set("constructor", Value::fromObject(boolCtor));
    global.set("Boolean", Value::fromObject(boolCtor));
}

// --- Object and Function ------------------------------------------------------------

void installObjectAndFunction(Interpreter& in, Object& global)
{
    Object& proto = *in.objectPrototype();
    method(proto, "hasOwnProperty", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::string name = toString(arg(a, 0), in.swfVersion());
        if (self.type == Value::Type::Object)
            return Value::fromBool(self.object->hasOwn(name));
        if (Clip* clip = in.resolveClip(self))
            return Value::fromBool(clip->variables().hasOwn(name));
        return Value::fromBool(false);
    });
    method(proto, "isPropertyEnumerable", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::string name = toString(arg(a, 0), in.swfVersion());
        return Value::fromBool(self.type == Value::Type::Object && self.object->hasOwn(name));
    });
    method(proto, "isPrototypeOf", [](Interpreter&, const Value& self, std::vector<Value>& a) {
        const Value v = arg(a, 0);
        if (self.type != Value::Type::Object || v.type != Value::Type::Object)
            return Value::fromBool(false);
        int depth = 0;
        for (auto o = v.object->prototype; o && depth < 32; o = o->prototype, ++depth)
            if (o == self.object)
                return Value::fromBool(true);
        return Value::fromBool(false);
    });
    method(proto, "toString", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        if (self.type == Value::Type::Object && !self.object->isArray)
            return Value::fromString(self.object->isFunction() ? "[type Function]" : "[object Object]");
        return Value::fromString(toString(self, in.swfVersion()));
    });
    method(proto, "valueOf", [](Interpreter&, const Value& self, std::vector<Value>&) { return self; });
    // addProperty(name, getter, setter): reads and writes of `name` call them.
    method(proto, "addProperty", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::string name = toString(arg(a, 0), in.swfVersion());
        const Value getter = arg(a, 1), setter = arg(a, 2);
        if (self.type != Value::Type::Object || name.empty() || getter.type != Value::Type::Object ||
            !getter.object->isFunction())
            return Value::fromBool(false);
        auto accessor = std::make_shared<Object>(true);
        auto state = std::make_shared<Accessor>();
        state->getter = getter;
        if (setter.type == Value::Type::Object && setter.object->isFunction())
            state->setter = setter;
        accessor->state = state;
        self.object->set(name, Value::fromObject(accessor));
        return Value::fromBool(true);
    });
    // watch(name, callback, data): a write of `name` goes through callback(name, old,
    // new, data), whose result is stored.
    method(proto, "watch", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::string name = toString(arg(a, 0), in.swfVersion());
        const Value callback = arg(a, 1);
        if (self.type != Value::Type::Object || callback.type != Value::Type::Object || !callback.object->isFunction())
            return Value::fromBool(false);
        if (!self.object->watches)
            self.object->watches = std::make_shared<Object>(in.swfVersion() >= 7);
        auto entry = std::make_shared<Object>(true);
        entry->set("callback", callback);
        entry->set("data", arg(a, 2));
        self.object->watches->set(name, Value::fromObject(entry));
        return Value::fromBool(true);
    });
    method(proto, "unwatch", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::string name = toString(arg(a, 0), in.swfVersion());
        if (self.type != Value::Type::Object || !self.object->watches)
            return Value::fromBool(false);
        return Value::fromBool(self.object->watches->remove(name));
    });
    const Value objectCtor = global.get("Object");
    if (objectCtor.type == Value::Type::Object) {
        proto.set("constructor", objectCtor);
        method(*objectCtor.object, "registerClass", [](Interpreter& in, const Value&, std::vector<Value>& a) {
            const std::string name = toString(arg(a, 0), in.swfVersion());
            if (name.empty())
                return Value::fromBool(false);
            in.registerClass(name, arg(a, 1));
            return Value::fromBool(true);
        });
    }

    Object& function = *in.functionPrototype();
    method(function, "call", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        std::vector<Value> rest(a.size() > 1 ? a.begin() + 1 : a.end(), a.end());
        Value thisValue = arg(a, 0);
        if (thisValue.isNullish())
            thisValue = Value{};
        return in.callFunction(self, thisValue, rest);
    });
    method(function, "apply", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        std::vector<Value> rest;
        const Value list = arg(a, 1);
        if (list.type == Value::Type::Object)
            rest = itemsOf(in, *list.object);
        Value thisValue = arg(a, 0);
        if (thisValue.isNullish())
            thisValue = Value{};
        return in.callFunction(self, thisValue, rest);
    });
    auto functionCtor = native([](Interpreter&, const Value& self, std::vector<Value>&) { return self; });
    functionCtor->set("prototype", Value::fromObject(in.functionPrototype()));
    global.set("Function", Value::fromObject(functionCtor));
}

// --- AsBroadcaster --------------------------------------------------------------------

Value broadcast(Interpreter& in, const Value& self, std::vector<Value>& a)
{
    Object* o = selfObject(self);
    if (!o || a.empty())
        return Value{};
    const std::string event = toString(a[0], in.swfVersion());
    const Value listeners = o->get("_listeners");
    if (listeners.type != Value::Type::Object)
        return Value{};
    std::vector<Value> args(a.begin() + 1, a.end());
    // Listeners added or removed by a handler take effect on the next broadcast.
    for (const Value& listener : itemsOf(in, *listeners.object)) {
        std::vector<Value> call = args;
        in.callMethod(listener, event, call);
    }
    return Value::fromBool(true);
}

void installBroadcaster(Interpreter& in, Object& global)
{
    auto broadcaster = native([](Interpreter&, const Value& self, std::vector<Value>&) { return self; });
    auto add = native([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        if (!o)
            return Value::fromBool(false);
        Value listeners = o->get("_listeners");
        if (listeners.type != Value::Type::Object)
            return Value::fromBool(false);
        std::vector<Value> items = itemsOf(in, *listeners.object);
        const Value l = arg(a, 0);
        for (const Value& v : items)
            if ((v.type == Value::Type::Object && l.type == Value::Type::Object && v.object == l.object) ||
                (v.type == Value::Type::Clip && l.type == Value::Type::Clip && sameClip(v, l)))
                return Value::fromBool(true);
        items.push_back(l);
        setItems(*listeners.object, items);
        return Value::fromBool(true);
    });
    auto remove = native([](Interpreter& in, const Value& self, std::vector<Value>& a) {
        Object* o = selfObject(self);
        if (!o)
            return Value::fromBool(false);
        Value listeners = o->get("_listeners");
        if (listeners.type != Value::Type::Object)
            return Value::fromBool(false);
        std::vector<Value> items = itemsOf(in, *listeners.object);
        const Value l = arg(a, 0);
        for (size_t i = 0; i < items.size(); ++i) {
            const Value& v = items[i];
            if ((v.type == Value::Type::Object && l.type == Value::Type::Object && v.object == l.object) ||
                (v.type == Value::Type::Clip && l.type == Value::Type::Clip && sameClip(v, l))) {
                items.erase(items.begin() + i);
                setItems(*listeners.object, items);
                return Value::fromBool(true);
            }
        }
        return Value::fromBool(false);
    });
    auto send = native(broadcast);
    broadcaster->set("addListener", Value::fromObject(add));
    broadcaster->set("removeListener", Value::fromObject(remove));
    broadcaster->set("broadcastMessage", Value::fromObject(send));
    method(*broadcaster, "initialize", [add, remove, send](Interpreter& in, const Value&, std::vector<Value>& a) {
        const Value target = arg(a, 0);
        if (target.type != Value::Type::Object)
            return Value{};
        target.object->set("_listeners", Value::fromObject(in.newArray()));
        target.object->set("addListener", Value::fromObject(add));
        target.object->set("removeListener", Value::fromObject(remove));
        target.object->set("broadcastMessage", Value::fromObject(send));
        return Value{};
    });
    global.set("AsBroadcaster", Value::fromObject(broadcaster));
}

}  // namespace

std::shared_ptr<Object> makeBroadcaster(Interpreter& in)
{
    auto o = in.newObject();
    o->prototype = in.objectPrototype();
    const Value b = in.globals().get("AsBroadcaster");
    if (b.type == Value::Type::Object) {
        std::vector<Value> args{Value::fromObject(o)};
        in.callMethod(b, "initialize", args);
    }
    return o;
}

void installTimers(Object& global)
{
    // setInterval(function, ms, args...) or setInterval(object, "method", ms, args...).
    auto start = [](bool repeat) {
        return [repeat](Interpreter& in, const Value&, std::vector<Value>& a) -> Value {
            if (a.empty())
                return Value{};
            const bool isMethod = a.size() >= 2 && a[1].type == Value::Type::String &&
                                  !(a[0].type == Value::Type::Object && a[0].object->isFunction());
            const size_t msAt = isMethod ? 2 : 1;
            const double ms = toNumber(arg(a, msAt), in.swfVersion());
            std::vector<Value> rest(a.size() > msAt + 1 ? a.begin() + msAt + 1 : a.end(), a.end());
            const int id = isMethod ? in.addTimer(a[0], {}, a[1].text, rest, ms, repeat, in.host().timeMs())
                                    : in.addTimer({}, a[0], {}, rest, ms, repeat, in.host().timeMs());
            return id ? Value::fromNumber(id) : Value{};
        };
    };
    auto stop = [](Interpreter& in, const Value&, std::vector<Value>& a) {
        in.removeTimer(clampInt(toNumber(arg(a, 0), in.swfVersion())));
        return Value{};
    };
    global.set("setInterval", Value::fromObject(native(start(true))));
    global.set("setTimeout", Value::fromObject(native(start(false))));
    global.set("clearInterval", Value::fromObject(native(stop)));
    global.set("clearTimeout", Value::fromObject(native(stop)));
}

// escape/unescape: URL encoding of the bytes (letters and digits stay).
std::string escapeText(const std::string& s)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c)) {
            out.push_back(char(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

std::string unescapeText(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() + 0 && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out.push_back(char(std::stoi(s.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// SharedObject (kept in memory for the movie's run), ExternalInterface (no page
// around the player: not available), and the global text and number functions.
void installEnvironment(Interpreter& in, Object& global)
{
    method(global, "escape", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        return Value::fromString(escapeText(toString(arg(a, 0), in.swfVersion())));
    });
    method(global, "unescape", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        return Value::fromString(unescapeText(toString(arg(a, 0), in.swfVersion())));
    });
    method(global, "isFinite", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        return Value::fromBool(std::isfinite(toNumber(arg(a, 0), in.swfVersion())));
    });

    auto store = std::make_shared<Object>(true);   // name -> shared object
    auto shared = native([](Interpreter&, const Value& self, std::vector<Value>&) { return self; });
    auto proto = std::make_shared<Object>(false);
    proto->prototype = in.objectPrototype();
    method(*proto, "flush", [](Interpreter&, const Value&, std::vector<Value>&) { return Value::fromBool(true); });
    method(*proto, "getSize", [](Interpreter&, const Value& self, std::vector<Value>&) {
        const Value data = self.type == Value::Type::Object ? self.object->get("data") : Value{};
        return Value::fromNumber(data.type == Value::Type::Object ? double(data.object->keys().size()) : 0);
    });
    method(*proto, "clear", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        if (self.type == Value::Type::Object) {
            auto data = in.newObject();
            data->prototype = in.objectPrototype();
            self.object->set("data", Value::fromObject(data));
        }
        return Value{};
    });
    method(*proto, "close", [](Interpreter&, const Value&, std::vector<Value>&) { return Value{}; });
    shared->set("prototype", Value::fromObject(proto));
    method(*shared, "getLocal", [store, proto](Interpreter& in, const Value&, std::vector<Value>& a) {
        const std::string name = toString(arg(a, 0), in.swfVersion()) + "\n" + toString(arg(a, 1), in.swfVersion());
        if (store->hasOwn(name))
            return store->get(name);
        auto so = in.newObject();
        so->prototype = proto;
        auto data = in.newObject();
        data->prototype = in.objectPrototype();
        so->set("data", Value::fromObject(data));
        store->set(name, Value::fromObject(so));
        return Value::fromObject(so);
    });
    global.set("SharedObject", Value::fromObject(shared));

    // LoadVars: name=value pairs, URL-encoded, to and from text.
    auto loadVarsProto = std::make_shared<Object>(false);
    loadVarsProto->prototype = in.objectPrototype();
    method(*loadVarsProto, "decode", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        if (self.type != Value::Type::Object)
            return Value{};
        std::string text = toString(arg(a, 0), in.swfVersion());
        size_t from = 0;
        while (from <= text.size()) {
            size_t amp = text.find('&', from);
            if (amp == std::string::npos)
                amp = text.size();
            const std::string pair = text.substr(from, amp - from);
            const size_t eq = pair.find('=');
            auto decodePart = [](std::string s) {
                std::replace(s.begin(), s.end(), '+', ' ');
                return unescapeText(s);
            };
            if (!pair.empty() && eq != 0)
                self.object->set(decodePart(pair.substr(0, eq)),
                                 Value::fromString(eq == std::string::npos ? "" : decodePart(pair.substr(eq + 1))));
            from = amp + 1;
        }
        return Value{};
    });
    method(*loadVarsProto, "toString", [](Interpreter& in, const Value& self, std::vector<Value>&) {
        std::string out;
        if (self.type == Value::Type::Object)
            for (const std::string& key : self.object->keys()) {
                const Value v = self.object->get(key);
                if (v.type == Value::Type::Object && v.object->isFunction())
                    continue;
                if (!out.empty())
                    out += '&';
                out += escapeText(key) + "=" + escapeText(toString(v, in.swfVersion()));
            }
        return Value::fromString(out);
    });
    method(*loadVarsProto, "load", [](Interpreter& in, const Value& self, std::vector<Value>& a) {
        const std::string url = toString(arg(a, 0), in.swfVersion());
        if (self.type != Value::Type::Object || url.empty())
            return Value::fromBool(false);
        self.object->set("loaded", Value::fromBool(false));
        in.host().loadText(url, self.object);
        return Value::fromBool(true);
    });
    method(*loadVarsProto, "sendAndLoad", [](Interpreter& in, const Value&, std::vector<Value>& a) {
        // Nothing is sent anywhere; the answer is read as load() reads it.
        const std::string url = toString(arg(a, 0), in.swfVersion());
        const Value target = arg(a, 1);
        if (target.type != Value::Type::Object || url.empty())
            return Value::fromBool(false);
        in.host().loadText(url, target.object);
        return Value::fromBool(true);
    });
    auto loadVars = native([](Interpreter&, const Value&, std::vector<Value>&) { return Value{}; });
    loadVars->set("prototype", Value::fromObject(loadVarsProto));
    loadVarsProto->set("constructor", Value::fromObject(loadVars));
    global.set("LoadVars", Value::fromObject(loadVars));

    auto external = std::make_shared<Object>(false);
    external->set("available", Value::fromBool(false));
    method(*external, "call", [](Interpreter&, const Value&, std::vector<Value>&) { return Value::null(); });
    method(*external, "addCallback", [](Interpreter&, const Value&, std::vector<Value>&) { return Value::fromBool(false); });
    const Value flash = global.get("flash");
    std::shared_ptr<Object> package = flash.type == Value::Type::Object ? flash.object : std::make_shared<Object>(false);
    global.set("flash", Value::fromObject(package));
    Value external2 = package->get("external");
    std::shared_ptr<Object> externalPackage =
        external2.type == Value::Type::Object ? external2.object : std::make_shared<Object>(false);
    package->set("external", Value::fromObject(externalPackage));
    externalPackage->set("ExternalInterface", Value::fromObject(external));
}

void installStandardClasses(Interpreter& in, Object& global)
{
    installTimers(global);
    installEnvironment(in, global);
    installObjectAndFunction(in, global);
    installArray(in, global);
    installString(in, global);
    installNumberAndBoolean(in, global);
    installBroadcaster(in, global);
}

}  // namespace flash::avm1

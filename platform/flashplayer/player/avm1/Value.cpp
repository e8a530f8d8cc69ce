#include "Value.h"

#include "Host.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace flash::avm1 {

Value Value::fromObject(std::shared_ptr<Object> o)
{
    if (!o)
        return null();
    Value v;
    v.type = Type::Object;
    v.object = std::move(o);
    return v;
}

std::string numberToString(double n)
{
    if (std::isnan(n))
        return "NaN";
    if (std::isinf(n))
        return n > 0 ? "Infinity" : "-Infinity";
    if (n == 0)
        return "0";
    if (std::fabs(n) < 1e15 && n == std::floor(n)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", n);
        return buf;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", n);
    return buf;
}

static double parseNumber(const std::string& s, int swfVersion)
{
    size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    if (i == s.size())
        return swfVersion >= 5 ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    const char* start = s.c_str() + i;
    if (s.size() - i > 2 && start[0] == '0' && (start[1] == 'x' || start[1] == 'X')) {
        char* end = nullptr;
        const long long v = std::strtoll(start + 2, &end, 16);
        return *end == 0 ? static_cast<double>(v) : std::numeric_limits<double>::quiet_NaN();
    }
    char* end = nullptr;
    const double v = std::strtod(start, &end);
    while (*end && std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (end == start || *end != 0)
        return swfVersion >= 5 ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    return v;
}

Value Value::fromClip(Clip* clip)
{
    if (!clip)
        return {};
    Value v = fromClip(clip->targetPath());
    v.anchor = clip->anchor();
    return v;
}

Clip* liveClip(const Value& v)
{
    return v.type == Value::Type::Clip && v.anchor ? v.anchor->clip : nullptr;
}

bool sameClip(const Value& a, const Value& b)
{
    Clip* x = liveClip(a);
    Clip* y = liveClip(b);
    if (x && y)
        return x == y;
    return toString(a, 10) == toString(b, 10);
}

double toNumber(const Value& v, int swfVersion)
{
    switch (v.type) {
    case Value::Type::Undefined:
        return swfVersion >= 7 ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    case Value::Type::Null:
        return swfVersion >= 7 ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    case Value::Type::Bool:
        return v.boolean ? 1 : 0;
    case Value::Type::Number:
        return v.number;
    case Value::Type::String:
        return parseNumber(v.text, swfVersion);
    case Value::Type::Object:
    case Value::Type::Clip:
        return std::numeric_limits<double>::quiet_NaN();
    }
    return 0;
}

std::string toString(const Value& v, int swfVersion)
{
    switch (v.type) {
    case Value::Type::Undefined:
        return swfVersion >= 7 ? "undefined" : "";
    case Value::Type::Null:
        return "null";
    case Value::Type::Bool:
        return v.boolean ? "true" : "false";
    case Value::Type::Number:
        return numberToString(v.number);
    case Value::Type::String:
        return v.text;
    case Value::Type::Clip:
        if (Clip* clip = liveClip(v))
            return clip->targetPath();
        return v.text;
    case Value::Type::Object:
        if (v.object->isArray) {
            std::string out;
            const double n = toNumber(v.object->get("length"), swfVersion);
            for (int i = 0; i < n && i < 100000; ++i) {
                if (i)
                    out += ',';
                out += toString(v.object->get(std::to_string(i)), swfVersion);
            }
            return out;
        }
        return v.object->isFunction() ? "[type Function]" : "[object Object]";
    }
    return {};
}

bool toBoolean(const Value& v, int swfVersion)
{
    switch (v.type) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return false;
    case Value::Type::Bool:
        return v.boolean;
    case Value::Type::Number:
        return v.number != 0 && !std::isnan(v.number);
    case Value::Type::String:
        if (swfVersion >= 7)
            return !v.text.empty();
        {
            const double n = parseNumber(v.text, swfVersion);
            return n != 0 && !std::isnan(n);
        }
    case Value::Type::Object:
    case Value::Type::Clip:
        return true;
    }
    return false;
}

int32_t toInt32(double n)
{
    if (std::isnan(n) || std::isinf(n))
        return 0;
    const double m = std::fmod(std::trunc(n), 4294967296.0);
    const double u = m < 0 ? m + 4294967296.0 : m;
    return static_cast<int32_t>(static_cast<uint32_t>(u));
}

int clampInt(double n)
{
    if (std::isnan(n))
        return 0;
    return static_cast<int>(std::clamp(std::trunc(n), -1e9, 1e9));
}

std::string Object::key(const std::string& name) const
{
    if (m_caseSensitive)
        return name;
    std::string k = name;
    for (char& c : k)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return k;
}

const Value* Object::findOwn(const std::string& name) const
{
    auto it = m_index.find(key(name));
    return it == m_index.end() ? nullptr : &m_props[it->second].second;
}

bool Object::has(const std::string& name) const
{
    int depth = 0;
    for (const Object* o = this; o && depth < 32; o = o->prototype.get(), ++depth)
        if (o->findOwn(name))
            return true;
    return false;
}

Value Object::get(const std::string& name) const
{
    int depth = 0;
    for (const Object* o = this; o && depth < 32; o = o->prototype.get(), ++depth)
        if (const Value* v = o->findOwn(name))
            return *v;
    return {};
}

void Object::set(const std::string& name, Value value)
{
    const std::string k = key(name);
    auto it = m_index.find(k);
    if (it != m_index.end()) {
        m_props[it->second].second = std::move(value);
        return;
    }
    m_index.emplace(k, m_props.size());
    m_props.emplace_back(name, std::move(value));
    if (isArray && !name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) {
        const double index = std::strtod(name.c_str(), nullptr);
        const double length = toNumber(get("length"), 7);
        if (!(index < length))
            set("length", Value::fromNumber(index + 1));
    }
}

bool Object::remove(const std::string& name)
{
    auto it = m_index.find(key(name));
    if (it == m_index.end())
        return false;
    m_props[it->second] = {};
    m_index.erase(it);
    return true;
}

void Object::clear()
{
    m_index.clear();
    m_props.clear();
    prototype.reset();
    watches.reset();
    state.reset();
    native = nullptr;
    script.reset();
}

std::vector<std::string> Object::keys() const
{
    std::vector<std::string> out;
    for (const auto& [name, value] : m_props)
        if (!name.empty())
            out.push_back(name);
    return out;
}

}  // namespace flash::avm1

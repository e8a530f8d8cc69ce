// Numbers, strings, comparisons and bit operations.
#include "ActionCodes.h"
#include "Operators.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace flash::avm1 {

static size_t utf8Length(const std::string& s)
{
    size_t n = 0;
    for (unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

static std::string extract(const std::string& s, double index1, double count)
{
    // StringExtract counts from 1; out-of-range parts give what overlaps.
    long long start = std::isnan(index1) ? 0 : static_cast<long long>(std::clamp(index1, -1e12, 1e12)) - 1;
    long long n = std::isnan(count) ? 0 : static_cast<long long>(std::clamp(count, -1e12, 1e12));
    if (start < 0)
        start = 0;
    if (start >= static_cast<long long>(s.size()) || n <= 0)
        return {};
    return s.substr(static_cast<size_t>(start), static_cast<size_t>(std::min<long long>(n, s.size() - start)));
}

bool Ops::arithmetic(uint8_t op)
{
    switch (op) {
    case Add: { double b = num(pop()), a = num(pop()); push(Value::fromNumber(a + b)); return true; }
    case Subtract: { double b = num(pop()), a = num(pop()); push(Value::fromNumber(a - b)); return true; }
    case Multiply: { double b = num(pop()), a = num(pop()); push(Value::fromNumber(a * b)); return true; }
    case Divide: {
        double b = num(pop()), a = num(pop());
        if (b == 0 && in.m_version < 5)
            push(Value::fromString("#ERROR#"));
        else
            push(Value::fromNumber(a / b));
        return true;
    }
    case Modulo: { double b = num(pop()), a = num(pop()); push(Value::fromNumber(std::fmod(a, b))); return true; }
    case Equals: { double b = num(pop()), a = num(pop()); pushBool(a == b); return true; }
    case Less: { double b = num(pop()), a = num(pop()); pushBool(a < b); return true; }
    case Greater: {
        Value b = pop(), a = pop();
        push(less2(b, a));
        return true;
    }
    case And: { bool b = truth(pop()), a = truth(pop()); pushBool(a && b); return true; }
    case Or: { bool b = truth(pop()), a = truth(pop()); pushBool(a || b); return true; }
    case Not: pushBool(!truth(pop())); return true;
    case StringEquals: { std::string b = str(pop()), a = str(pop()); pushBool(a == b); return true; }
    case StringLess: { std::string b = str(pop()), a = str(pop()); pushBool(a < b); return true; }
    case StringGreater: { std::string b = str(pop()), a = str(pop()); pushBool(a > b); return true; }
    case StringAdd: { std::string b = str(pop()), a = str(pop()); push(Value::fromString(a + b)); return true; }
    case StringLength: push(Value::fromNumber(double(str(pop()).size()))); return true;
    case MBStringLength: push(Value::fromNumber(double(utf8Length(str(pop()))))); return true;
    case StringExtract:
    case MBStringExtract: {
        const double count = num(pop());
        const double index = num(pop());
        push(Value::fromString(extract(str(pop()), index, count)));
        return true;
    }
    case ToInteger: { double v = num(pop()); push(Value::fromNumber(std::isnan(v) ? 0 : std::trunc(v))); return true; }
    case CharToAscii:
    case MBCharToAscii: {
        const std::string s = str(pop());
        push(Value::fromNumber(s.empty() ? 0 : static_cast<unsigned char>(s[0])));
        return true;
    }
    case AsciiToChar:
    case MBAsciiToChar: {
        const int code = clampInt(num(pop())) & 0xFF;
        push(Value::fromString(code ? std::string(1, static_cast<char>(code)) : std::string()));
        return true;
    }
    case Add2: { Value b = pop(), a = pop(); push(add2(a, b)); return true; }
    case Less2: { Value b = pop(), a = pop(); push(less2(a, b)); return true; }
    case Equals2: { Value b = pop(), a = pop(); pushBool(equals2(a, b)); return true; }
    case StrictEquals: { Value b = pop(), a = pop(); pushBool(strictEquals(a, b)); return true; }
    case ToNumber: push(Value::fromNumber(num(pop()))); return true;
    case ToString: push(Value::fromString(str(pop()))); return true;
    case Increment: push(Value::fromNumber(num(pop()) + 1)); return true;
    case Decrement: push(Value::fromNumber(num(pop()) - 1)); return true;
    case BitAnd: { int32_t b = toInt32(num(pop())), a = toInt32(num(pop())); push(Value::fromNumber(a & b)); return true; }
    case BitOr: { int32_t b = toInt32(num(pop())), a = toInt32(num(pop())); push(Value::fromNumber(a | b)); return true; }
    case BitXor: { int32_t b = toInt32(num(pop())), a = toInt32(num(pop())); push(Value::fromNumber(a ^ b)); return true; }
    case BitLShift: {
        int32_t b = toInt32(num(pop())), a = toInt32(num(pop()));
        push(Value::fromNumber(static_cast<int32_t>(static_cast<uint32_t>(a) << (b & 31))));
        return true;
    }
    case BitRShift: { int32_t b = toInt32(num(pop())), a = toInt32(num(pop())); push(Value::fromNumber(a >> (b & 31))); return true; }
    case BitURShift: {
        int32_t b = toInt32(num(pop()));
        uint32_t a = static_cast<uint32_t>(toInt32(num(pop())));
        push(Value::fromNumber(a >> (b & 31)));
        return true;
    }
    default: return false;
    }
}

static Value primitive(const Value& v)
{
    return v;   // objects keep their identity; toString/toNumber handle them
}

Value Ops::add2(const Value& a0, const Value& b0)
{
    const Value a = primitive(a0), b = primitive(b0);
    const bool textual = a.type == Value::Type::String || b.type == Value::Type::String ||
                         a.type == Value::Type::Object || b.type == Value::Type::Object ||
                         a.type == Value::Type::Clip || b.type == Value::Type::Clip;
    if (textual)
        return Value::fromString(str(a) + str(b));
    return Value::fromNumber(num(a) + num(b));
}

Value Ops::less2(const Value& a, const Value& b)
{
    if (a.type == Value::Type::String && b.type == Value::Type::String)
        return Value::fromBool(a.text < b.text);
    const double x = num(a), y = num(b);
    if (std::isnan(x) || std::isnan(y))
        return Value::undefined();
    return Value::fromBool(x < y);
}

bool Ops::strictEquals(const Value& a, const Value& b)
{
    if (a.type != b.type)
        return false;
    switch (a.type) {
    case Value::Type::Undefined:
    case Value::Type::Null: return true;
    case Value::Type::Bool: return a.boolean == b.boolean;
    case Value::Type::Number: return a.number == b.number;
    case Value::Type::String: return a.text == b.text;
    case Value::Type::Clip: return sameClip(a, b);
    case Value::Type::Object: return a.object == b.object;
    }
    return false;
}

bool Ops::equals2(const Value& a, const Value& b)
{
    if (a.type == b.type)
        return strictEquals(a, b);
    if (a.isNullish() && b.isNullish())
        return true;
    if (a.isNullish() || b.isNullish())
        return false;
    if ((a.type == Value::Type::Object || a.type == Value::Type::Clip) !=
        (b.type == Value::Type::Object || b.type == Value::Type::Clip)) {
        const Value& prim = (a.type == Value::Type::Object || a.type == Value::Type::Clip) ? b : a;
        const Value& obj = &prim == &a ? b : a;
        if (prim.type == Value::Type::String)
            return str(obj) == prim.text;
        return false;
    }
    if (a.type == Value::Type::Object || a.type == Value::Type::Clip)
        return false;
    return num(a) == num(b);
}

}  // namespace flash::avm1

// Values and objects of ActionScript 1/2 as the interpreter keeps them. A movie clip is
// held through an anchor the clip clears when it dies: the reference keeps its clip
// while it lives (clips sharing an instance name stay apart) and falls back to the
// target path once it is gone, so a script can never keep a removed clip alive or
// reach freed memory through a stale reference.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace flash::avm1 {

class Object;
class Interpreter;
class Clip;

// The clip a reference stands for while it lives; the clip nulls it when it dies.
struct ClipAnchor {
    Clip* clip = nullptr;
};

struct Value {
    enum class Type : uint8_t { Undefined, Null, Bool, Number, String, Object, Clip };

    Type type = Type::Undefined;
    bool boolean = false;
    double number = 0;
    std::string text;                 // String; Clip: the clip's absolute target path
    std::shared_ptr<Object> object;   // Object
    std::shared_ptr<ClipAnchor> anchor;   // Clip: the clip itself while it lives

    static Value undefined() { return {}; }
    static Value null() { Value v; v.type = Type::Null; return v; }
    static Value fromBool(bool b) { Value v; v.type = Type::Bool; v.boolean = b; return v; }
    static Value fromNumber(double n) { Value v; v.type = Type::Number; v.number = n; return v; }
    static Value fromString(std::string s) { Value v; v.type = Type::String; v.text = std::move(s); return v; }
    static Value fromObject(std::shared_ptr<Object> o);
    static Value fromClip(std::string path) { Value v; v.type = Type::Clip; v.text = std::move(path); return v; }
    static Value fromClip(Clip* clip);   // undefined for null

    bool isUndefined() const { return type == Type::Undefined; }
    bool isNullish() const { return type == Type::Undefined || type == Type::Null; }
};

// Conversions follow the rules of the movie's SWF version (undefined reads as 0 and ""
// before version 7, as NaN and "undefined" from 7 on).
double toNumber(const Value& v, int swfVersion);
// The clip a reference reaches without a path lookup (null once it is gone).
Clip* liveClip(const Value& v);
// Do two clip references name one clip (the same living clip, or the same path)?
bool sameClip(const Value& a, const Value& b);
std::string toString(const Value& v, int swfVersion);
bool toBoolean(const Value& v, int swfVersion);
std::string numberToString(double n);
int32_t toInt32(double n);
// Truncates into +-1e9 (NaN gives 0): frame numbers, counts and indexes from scripts.
int clampInt(double n);

using NativeFunction = std::function<Value(Interpreter&, const Value& self, std::vector<Value>& args)>;

// A script function: its code is a range of a shared action buffer.
struct ScriptFunction {
    std::shared_ptr<const std::vector<uint8_t>> code;
    size_t begin = 0;
    size_t end = 0;
    std::vector<std::string> params;
    std::vector<uint8_t> paramRegisters;   // DefineFunction2: register per parameter (0: none)
    uint8_t registerCount = 0;
    uint16_t flags = 0;                    // DefineFunction2 preload/suppress flags
    bool isFunction2 = false;
    std::string definedIn;                 // target path of the clip it was defined on
    std::shared_ptr<ClipAnchor> definedOn; // that clip while it lives
    std::shared_ptr<const std::vector<std::string>> constants;   // the pool it was defined under
};

// What a built-in class keeps behind a script object (BitmapData's pixels).
struct NativeState {
    virtual ~NativeState() = default;
};

// An object: named properties in insertion order (for enumeration), an optional
// prototype link, and for functions either native code or a script body.
class Object {
public:
    explicit Object(bool caseSensitive = true) : m_caseSensitive(caseSensitive) {}

    bool has(const std::string& name) const;
    bool hasOwn(const std::string& name) const { return findOwn(name) != nullptr; }
    Value get(const std::string& name) const;          // own properties, then prototypes
    void set(const std::string& name, Value value);
    bool remove(const std::string& name);
    std::vector<std::string> keys() const;
    // Drops every property and link (used to break cycles on shutdown).
    void clear();

    std::shared_ptr<Object> prototype;
    NativeFunction native;
    std::shared_ptr<ScriptFunction> script;
    bool isArray = false;
    std::shared_ptr<NativeState> state;
    std::shared_ptr<Object> watches;   // watch(): callbacks by property name
    bool isFunction() const { return native || script; }

private:
    std::string key(const std::string& name) const;
    const Value* findOwn(const std::string& name) const;

    bool m_caseSensitive;
    std::map<std::string, size_t> m_index;
    std::vector<std::pair<std::string, Value>> m_props;   // removed slots keep an empty name
};

}  // namespace flash::avm1

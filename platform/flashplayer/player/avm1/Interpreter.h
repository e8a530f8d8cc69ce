// The ActionScript 1/2 stack machine. One interpreter per movie; the player hands it
// each action block with the clip whose timeline (or button) it belongs to. Unknown
// actions are skipped by their length, so newer movies degrade instead of failing; a
// per-frame instruction budget and a call-depth limit stop runaway scripts.
#pragma once

#include "Host.h"
#include "Value.h"

#include <memory>
#include <string>
#include <vector>

namespace flash::avm1 {

struct Limits {
    size_t maxInstructions = 1000000;   // per budget period (one frame advance)
    int maxCallDepth = 64;
    size_t maxStack = 65536;
};

class Interpreter {
public:
    Interpreter(Host& host, int swfVersion, Limits limits = {});
    ~Interpreter();

    // Runs one action block (DoAction, DoInitAction, button or clip actions) with
    // `clip` as its target and `this`.
    void run(std::shared_ptr<const std::vector<uint8_t>> code, Clip& clip);
    // Calls `clip[method]()` with the clip as `this`, as an event handler runs.
    void runMethod(Clip& clip, const std::string& method, std::vector<Value> args = {});
    // Calls `object[method](args)` the same way, for listeners of the player's events.
    void runHandler(const Value& object, const std::string& method, std::vector<Value> args = {});
    // A new frame advance starts: the instruction budget refills.
    void resetBudget();
    bool budgetExhausted() const;

    // Variables by path, for the host's SetVariable/GetVariable: "a", "clip.a",
    // "/clip:a", "_root.clip.a".
    void setVariable(const std::string& path, const Value& value, Clip& base);
    Value getVariable(const std::string& path, Clip& base);

    Value callFunction(const Value& function, const Value& self, std::vector<Value>& args);
    Host& host() { return m_host; }
    int swfVersion() const { return m_version; }
    Object& globals() { return *m_globals; }
    Object& clipMethods() { return *m_clipMethods; }
    Clip* resolveClip(const Value& v);
    // Calls `object[name](args)` with `object` as `this`; undefined when no function.
    Value callMethod(const Value& object, const std::string& name, std::vector<Value>& args);
    Value getMember(const Value& object, const std::string& name);
    void setMember(const Value& object, const std::string& name, const Value& value);
    // A new empty array (Array.prototype behind it).
    std::shared_ptr<Object> newArray();
    const std::shared_ptr<Object>& objectPrototype() const { return m_objectPrototype; }
    const std::shared_ptr<Object>& functionPrototype() const { return m_functionPrototype; }
    const std::shared_ptr<Object>& arrayPrototype() const { return m_arrayPrototype; }
    const std::shared_ptr<Object>& stringPrototype() const { return m_stringPrototype; }
    const std::shared_ptr<Object>& numberPrototype() const { return m_numberPrototype; }
    const std::shared_ptr<Object>& booleanPrototype() const { return m_booleanPrototype; }
    // Object.registerClass: clips of the symbol exported as `linkage` are made as
    // instances of `constructor` (null or undefined: plain clips again).
    void registerClass(const std::string& linkage, const Value& constructor);
    Value registeredClass(const std::string& linkage) const;
    // Makes `clip` an instance of `constructor`: its prototype, then the constructor
    // run on it.
    void construct(Clip& clip, const Value& constructor);
    // A clip by target path ("a.b", "/a/b", "_root.a") from `base`; null when none.
    Clip* resolveTarget(const std::string& path, Clip& base) { return resolvePath(path, &base, nullptr); }
    // Every script object is made here, so the interpreter can break the reference
    // cycles scripts build (o.self = o) when the movie goes away.
    std::shared_ptr<Object> newObject();

    // setInterval/setTimeout: calls whose time (movie milliseconds) has come run now.
    void runTimers(double nowMs);
    int addTimer(const Value& target, const Value& function, const std::string& method, std::vector<Value> args,
                 double intervalMs, bool repeat, double nowMs);
    bool removeTimer(int id);

    struct Activation;

private:
    friend struct Ops;
    Value execute(Activation& act);
    bool step(Activation& act, size_t& pc);
    Clip* target(Activation& act);
    Clip* origin(Activation& act);
    // The living clip of an anchor, else the clip now at `path`.
    Clip* clipOf(const std::string& path, const std::shared_ptr<ClipAnchor>& anchor);
    Clip* resolvePath(const std::string& path, Clip* base, Activation* act);
    Value lookup(const std::string& name, Activation& act);
    void assign(const std::string& name, const Value& value, Activation& act);
    Value readProperty(Object& o, const Value& self, const std::string& name);
    Value superOf(const std::shared_ptr<Object>& function, const Value& self);
    void writeProperty(Object& o, const Value& self, const std::string& name, const Value& value);
    Value construct(const Value& constructor, std::vector<Value>& args);
    void installBuiltins();

    Host& m_host;
    int m_version;
    Limits m_limits;
    size_t m_used = 0;
    int m_depth = 0;
    std::vector<Value> m_stack;
    std::shared_ptr<Object> m_globals;
    std::shared_ptr<Object> m_clipMethods;
    std::shared_ptr<Object> m_objectPrototype;
    std::shared_ptr<Object> m_functionPrototype;
    std::shared_ptr<Object> m_arrayPrototype;
    std::shared_ptr<Object> m_stringPrototype;
    std::shared_ptr<Object> m_numberPrototype;
    std::shared_ptr<Object> m_booleanPrototype;
    std::shared_ptr<Object> m_classes;   // registerClass, by linkage name
    struct Timer {
        int id = 0;
        Value target;          // the object of setInterval(object, "method", ...)
        Value function;        // or the function itself
        std::string method;
        std::vector<Value> args;
        double interval = 0;
        double due = 0;
        bool repeat = false;
    };
    std::vector<Timer> m_timers;
    int m_nextTimerId = 1;
    std::vector<std::weak_ptr<Object>> m_objects;
};

}  // namespace flash::avm1

// The action handlers, grouped by kind; each runs one decoded action against the
// interpreter's stack and the running activation.
#pragma once

#include "Activation.h"
#include "Payload.h"

namespace flash::avm1 {

struct Ops {
    Interpreter& in;
    Interpreter::Activation& act;
    Payload& p;
    size_t& pc;             // already past this action; jumps move it
    size_t payloadAt;

    void dispatch(uint8_t op);

    Value pop();
    void push(Value v) { in.m_stack.push_back(std::move(v)); }
    double num(const Value& v) const { return toNumber(v, in.m_version); }
    std::string str(const Value& v) const { return toString(v, in.m_version); }
    bool truth(const Value& v) const { return toBoolean(v, in.m_version); }
    // SWF 4 pushes comparison results as 1/0, later versions as booleans.
    void pushBool(bool b);
    void jump(int16_t offset);

    bool timeline(uint8_t op);     // SWF 3 frame control, targets, getURL
    bool arithmetic(uint8_t op);   // numbers, strings, comparisons, bits
    bool stack(uint8_t op);        // push, pop, registers, constants, jumps
    bool names(uint8_t op);        // variables, members, properties
    bool objects(uint8_t op);      // functions, calls, objects, arrays, classes

    void doPush();
    void doGotoFrame2();
    void doGetURL2();
    void doDefineFunction(bool version2);
    void doTry();
    void doWith();
    void doEnumerate(const Value& object);
    Value add2(const Value& a, const Value& b);
    bool equals2(const Value& a, const Value& b);
    bool strictEquals(const Value& a, const Value& b);
    Value less2(const Value& a, const Value& b);
    std::vector<Value> popArgs();
};

}  // namespace flash::avm1

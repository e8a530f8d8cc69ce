// Action records as a compiler writes them, for test movies whose frame scripts call
// methods, make objects and set members.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace flash::test {

class ScriptActions {
public:
    struct Undefined {};
    struct Code {
        std::vector<uint8_t> bytes;   // actions that push one value
    };
    using Arg = std::variant<double, std::string, std::nullptr_t, Undefined, bool, Code>;

    // target.method(args...), the result kept in the variable `into` or dropped.
    ScriptActions& call(const std::string& target, const std::string& method, const std::vector<Arg>& args,
                        const std::string& into = {})
    {
        if (!into.empty())
            push(std::string(into));
        pushArgs(args);
        push(target);
        op(0x1C);   // GetVariable
        push(method);
        op(0x52);   // CallMethod
        op(into.empty() ? 0x17 : 0x1D);   // Pop or SetVariable
        return *this;
    }
    // into = new owner.name(args...), owner empty for a global class.
    ScriptActions& construct(const std::string& owner, const std::string& name, const std::vector<Arg>& args,
                             const std::string& into)
    {
        push(into);
        pushArgs(args);
        if (owner.empty()) {
            push(name);
            op(0x40);   // NewObject
        } else {
            push(owner);
            op(0x1C);
            push(name);
            op(0x53);   // NewMethod
        }
        op(0x1D);
        return *this;
    }
    // target.member = value
    ScriptActions& set(const std::string& target, const std::string& member, const Arg& value)
    {
        push(target);
        op(0x1C);
        push(member);
        push(value);
        op(0x4F);   // SetMember
        return *this;
    }
    // into = target.member
    ScriptActions& get(const std::string& target, const std::string& member, const std::string& into)
    {
        push(into);
        push(target);
        op(0x1C);
        push(member);
        op(0x4E);   // GetMember
        op(0x1D);
        return *this;
    }
    // Pushes the variable's value, as an argument.
    static Code var(const std::string& name)
    {
        ScriptActions s;
        s.push(name);
        s.op(0x1C);
        return {s.m_bytes};
    }
    std::vector<uint8_t> done() const
    {
        std::vector<uint8_t> out = m_bytes;
        out.push_back(0x07);   // Stop
        out.push_back(0);
        return out;
    }

private:
    void op(uint8_t code) { m_bytes.push_back(code); }
    void pushArgs(const std::vector<Arg>& args)
    {
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            push(*it);
        push(double(args.size()));
    }
    void pushRecord(const std::vector<uint8_t>& payload)
    {
        m_bytes.push_back(0x96);
        m_bytes.push_back(uint8_t(payload.size()));
        m_bytes.push_back(uint8_t(payload.size() >> 8));
        m_bytes.insert(m_bytes.end(), payload.begin(), payload.end());
    }
    void push(const Arg& a)
    {
        if (const auto* d = std::get_if<double>(&a)) {
            // Type 6: the double's two 32-bit halves, high half first.
            uint64_t bits;
            std::memcpy(&bits, d, 8);
            std::vector<uint8_t> p{6};
            for (int i = 0; i < 4; ++i)
                p.push_back(uint8_t(bits >> (32 + 8 * i)));
            for (int i = 0; i < 4; ++i)
                p.push_back(uint8_t(bits >> (8 * i)));
            pushRecord(p);
        } else if (const auto* s = std::get_if<std::string>(&a)) {
            std::vector<uint8_t> p{0};
            p.insert(p.end(), s->begin(), s->end());
            p.push_back(0);
            pushRecord(p);
        } else if (const auto* b = std::get_if<bool>(&a)) {
            pushRecord({5, uint8_t(*b)});
        } else if (std::holds_alternative<std::nullptr_t>(a)) {
            pushRecord({2});
        } else if (std::holds_alternative<Undefined>(a)) {
            pushRecord({3});
        } else {
            const auto& code = std::get<Code>(a).bytes;
            m_bytes.insert(m_bytes.end(), code.begin(), code.end());
        }
    }

    std::vector<uint8_t> m_bytes;
};

}  // namespace flash::test

// Push and the stack, registers, the constant pool, jumps and blocks.
#include "ActionCodes.h"
#include "Operators.h"

namespace flash::avm1 {

bool Ops::stack(uint8_t op)
{
    switch (op) {
    case Push: doPush(); return true;
    case Pop: pop(); return true;
    case PushDuplicate: {
        Value v = pop();
        push(v);
        push(std::move(v));
        return true;
    }
    case StackSwap: {
        Value b = pop(), a = pop();
        push(std::move(b));
        push(std::move(a));
        return true;
    }
    case StoreRegister: {
        const uint8_t reg = p.u8();
        Value v = pop();
        if (p.ok() && reg < act.registers.size())
            act.registers[reg] = v;
        push(std::move(v));
        return true;
    }
    case ConstantPool: {
        const uint16_t count = p.u16();
        std::vector<std::string> pool;
        for (uint16_t i = 0; i < count && p.ok(); ++i)
            pool.push_back(p.str());
        if (p.ok())
            act.constants = std::make_shared<const std::vector<std::string>>(std::move(pool));
        return true;
    }
    case Jump: {
        const int16_t offset = p.s16();
        if (p.ok())
            jump(offset);
        return true;
    }
    case If: {
        const int16_t offset = p.s16();
        if (truth(pop()) && p.ok())
            jump(offset);
        return true;
    }
    case Trace: in.m_host.trace(str(pop())); return true;
    case GetTime: push(Value::fromNumber(in.m_host.timeMs())); return true;
    case RandomNumber: {
        const int max = clampInt(num(pop()));
        push(Value::fromNumber(max > 0 ? in.m_host.random() % static_cast<uint32_t>(max) : 0));
        return true;
    }
    case Return:
        act.returnValue = pop();
        act.returned = true;
        return true;
    case With: doWith(); return true;
    case Try: doTry(); return true;
    case Throw: throw AbortScript{};
    default: return false;
    }
}

void Ops::doPush()
{
    while (!p.atEnd()) {
        const uint8_t type = p.u8();
        Value v;
        switch (type) {
        case 0: v = Value::fromString(p.str()); break;
        case 1: v = Value::fromNumber(p.f32()); break;
        case 2: v = Value::null(); break;
        case 3: v = Value::undefined(); break;
        case 4: {
            const uint8_t reg = p.u8();
            if (reg < act.registers.size())
                v = act.registers[reg];
            break;
        }
        case 5: v = in.m_version < 5 ? Value::fromNumber(p.u8() ? 1 : 0) : Value::fromBool(p.u8() != 0); break;
        case 6: v = Value::fromNumber(p.f64()); break;
        case 7: v = Value::fromNumber(static_cast<int32_t>(p.u32())); break;
        case 8:
        case 9: {
            const size_t index = type == 8 ? p.u8() : p.u16();
            if (act.constants && index < act.constants->size())
                v = Value::fromString((*act.constants)[index]);
            break;
        }
        default: return;   // an unknown type: the rest of the payload cannot be read
        }
        if (!p.ok())
            return;
        push(std::move(v));
    }
}

void Ops::doWith()
{
    const uint16_t size = p.u16();
    Value object = pop();
    if (!p.ok())
        return;
    const size_t end = std::min(pc + size, act.end);
    act.blocks.push_back({end, end, true, std::move(object)});
}

// Try: the try block runs; without exceptions (a Throw abandons the script) the catch
// block is skipped and the finally block follows.
void Ops::doTry()
{
    const uint8_t flags = p.u8();
    const uint16_t trySize = p.u16();
    const uint16_t catchSize = p.u16();
    const uint16_t finallySize = p.u16();
    (void)flags;
    (void)finallySize;
    if (!p.ok())
        return;
    const size_t tryEnd = std::min(pc + trySize, act.end);
    const size_t catchEnd = std::min(tryEnd + catchSize, act.end);
    act.blocks.push_back({tryEnd, catchEnd, false, {}});
}

}  // namespace flash::avm1

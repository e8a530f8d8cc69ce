// Frame control, targets and getURL: the actions of SWF 3, and their stack forms.
#include "ActionCodes.h"
#include "Operators.h"

namespace flash::avm1 {

void Ops::dispatch(uint8_t op)
{
    if (timeline(op) || arithmetic(op) || stack(op) || names(op) || objects(op))
        return;
    // Unknown or unsupported: skipped by its length.
}

Value Ops::pop()
{
    if (in.m_stack.size() <= act.stackBase)
        return {};
    Value v = std::move(in.m_stack.back());
    in.m_stack.pop_back();
    return v;
}

void Ops::pushBool(bool b)
{
    push(in.m_version < 5 ? Value::fromNumber(b ? 1 : 0) : Value::fromBool(b));
}

void Ops::jump(int16_t offset)
{
    const long long target = static_cast<long long>(pc) + offset;
    if (target < static_cast<long long>(act.begin) || target > static_cast<long long>(act.end))
        pc = act.end;   // a jump out of the block ends it
    else
        pc = static_cast<size_t>(target);
}

bool Ops::timeline(uint8_t op)
{
    Clip* clip = (op == SetTarget || op == SetTarget2 || op == GetURL || op == GetURL2)
                     ? nullptr : in.target(act);
    switch (op) {
    case NextFrame: if (clip) clip->nextFrame(); return true;
    case PrevFrame: if (clip) clip->prevFrame(); return true;
    case Play: if (clip) clip->play(); return true;
    case Stop: if (clip) clip->stop(); return true;
    case ToggleQuality: in.m_host.setQualityToggle(); return true;
    case StopSounds: in.m_host.stopSounds(); return true;
    case GotoFrame: {
        const uint16_t frame = p.u16();
        // The play state is left alone: gotoAndPlay compiles to GotoFrame + Play.
        if (clip && p.ok())
            clip->gotoFrame(frame, clip->isPlaying());
        return true;
    }
    case GotoLabel: {
        const std::string label = p.str();
        if (clip && p.ok())
            clip->gotoLabel(label, clip->isPlaying());
        return true;
    }
    case WaitForFrame: {
        const uint16_t frame = p.u16();
        const uint8_t skip = p.u8();
        if (clip && p.ok() && frame >= clip->framesLoaded())
            act.skipActions = skip;
        return true;
    }
    case WaitForFrame2: {
        const uint8_t skip = p.u8();
        const Value frame = pop();
        if (!clip)
            return true;
        int index = -1;
        if (frame.type == Value::Type::String && clip->frameOfLabel(frame.text) >= 0)
            index = clip->frameOfLabel(frame.text);
        else
            index = clampInt(num(frame)) - 1;
        if (index >= clip->framesLoaded())
            act.skipActions = skip;
        return true;
    }
    case SetTarget: {
        const std::string name = p.str();
        if (name.empty()) {
            act.targetPath = act.originPath;
            act.targetClip = act.originClip;
            act.targetValid = true;
        } else {
            Clip* found = in.resolvePath(name, in.origin(act), &act);
            act.targetValid = found != nullptr;
            if (found) {
                act.targetPath = found->targetPath();
                act.targetClip = found->anchor();
            }
        }
        return true;
    }
    case SetTarget2: {
        const Value v = pop();
        Clip* found = v.type == Value::Type::Clip ? in.resolveClip(v)
                                                   : in.resolvePath(str(v), in.origin(act), &act);
        if (v.type == Value::Type::String && v.text.empty()) {
            act.targetPath = act.originPath;
            act.targetClip = act.originClip;
            act.targetValid = true;
            return true;
        }
        act.targetValid = found != nullptr;
        if (found) {
            act.targetPath = found->targetPath();
            act.targetClip = found->anchor();
        }
        return true;
    }
    case GetURL: {
        const std::string url = p.str();
        const std::string target = p.str();
        if (!p.ok())
            return true;
        if (target.rfind("_level", 0) == 0)
            in.m_host.loadInto(url, target, nullptr);   // loadMovieNum / unloadMovieNum
        else
            in.m_host.getURL(url, target);
        return true;
    }
    case GetURL2: doGetURL2(); return true;
    case GotoFrame2: doGotoFrame2(); return true;
    case Call: pop(); return true;   // running another frame's actions is not supported
    default: return false;
    }
}

void Ops::doGetURL2()
{
    const uint8_t flags = p.u8();
    const std::string target = str(pop());
    const std::string url = str(pop());
    constexpr uint8_t kLoadTarget = 0x40, kLoadVariables = 0x80;
    if ((flags & kLoadVariables) != 0)
        return;   // loadVariables is not supported
    if ((flags & kLoadTarget) != 0 || target.rfind("_level", 0) == 0) {
        // loadMovie / unloadMovie: the target is a clip path, seen from this block.
        Clip* clip = target.rfind("_level", 0) == 0 ? nullptr
                                                     : in.resolvePath(target, in.origin(act), &act);
        if (clip)
            in.m_host.loadInto(url, clip->targetPath(), nullptr);
        else if (target.rfind("_level", 0) == 0)
            in.m_host.loadInto(url, target, nullptr);
        return;
    }
    in.m_host.getURL(url, target);
}

void Ops::doGotoFrame2()
{
    const uint8_t flags = p.u8();
    const uint16_t bias = (flags & 2) ? p.u16() : 0;
    const bool andPlay = flags & 1;
    const Value frame = pop();
    Clip* clip = in.target(act);
    if (frame.type == Value::Type::String) {
        // "target:frame" or "target:label" or a plain label / number.
        std::string spec = frame.text;
        const size_t colon = spec.rfind(':');
        if (colon != std::string::npos) {
            clip = in.resolvePath(spec.substr(0, colon), clip, &act);
            spec = spec.substr(colon + 1);
        }
        if (!clip)
            return;
        if (clip->frameOfLabel(spec) >= 0) {
            clip->gotoLabel(spec, andPlay);
            return;
        }
        const double n = toNumber(Value::fromString(spec), 7);
        if (n == n)
            clip->gotoFrame(clampInt(n) - 1 + bias, andPlay);
        return;
    }
    if (clip) {
        const double n = num(frame);
        if (n == n)
            clip->gotoFrame(clampInt(n) - 1 + bias, andPlay);
    }
}

}  // namespace flash::avm1

#include "ControlState.h"

#include "ShockwaveFlash.h"

#include <cstring>
#include <optional>

namespace flashcontrol {
namespace {
constexpr char kMagic[4] = {'T', 'V', 'F', 'C'};
constexpr uint16_t kVersion = 1;
enum Kind : uint8_t { kInteger = 1, kBoolean = 2, kString = 3 };

// One row per stored property: its id and where it lives in the state.
struct Field {
    DISPID id;
    Kind kind;
    int32_t ControlState::*integer = nullptr;
    bool ControlState::*boolean = nullptr;
    std::u16string ControlState::*text = nullptr;
};

const Field kFields[] = {
    {flashdispid::Movie, kString, nullptr, nullptr, &ControlState::movie},
    {flashdispid::Base, kString, nullptr, nullptr, &ControlState::base},
    {flashdispid::WMode, kString, nullptr, nullptr, &ControlState::wmode},
    {flashdispid::SWRemote, kString, nullptr, nullptr, &ControlState::swRemote},
    {flashdispid::FlashVars, kString, nullptr, nullptr, &ControlState::flashVars},
    {flashdispid::AllowScriptAccess, kString, nullptr, nullptr, &ControlState::allowScriptAccess},
    {flashdispid::MovieData, kString, nullptr, nullptr, &ControlState::movieData},
    {flashdispid::Quality, kInteger, &ControlState::quality},
    {flashdispid::ScaleMode, kInteger, &ControlState::scaleMode},
    {flashdispid::AlignMode, kInteger, &ControlState::alignMode},
    {flashdispid::BackgroundColor, kInteger, &ControlState::backgroundColor},
    {flashdispid::Loop, kBoolean, nullptr, &ControlState::loop},
    {flashdispid::Playing, kBoolean, nullptr, &ControlState::playing},
    {flashdispid::Menu, kBoolean, nullptr, &ControlState::menu},
    {flashdispid::DeviceFont, kBoolean, nullptr, &ControlState::deviceFont},
    {flashdispid::EmbedMovie, kBoolean, nullptr, &ControlState::embedMovie},
    {flashdispid::SeamlessTabbing, kBoolean, nullptr, &ControlState::seamlessTabbing},
};

void putU16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

// Bounds-checked reading of the stored bytes.
class Cursor {
public:
    explicit Cursor(const std::vector<uint8_t>& bytes) : m_bytes(bytes) {}
    bool has(size_t n) const { return m_bytes.size() - m_pos >= n; }
    std::optional<uint8_t> u8()
    {
        if (!has(1))
            return std::nullopt;
        return m_bytes[m_pos++];
    }
    std::optional<uint16_t> u16()
    {
        if (!has(2))
            return std::nullopt;
        uint16_t v = uint16_t(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
        m_pos += 2;
        return v;
    }
    std::optional<uint32_t> u32()
    {
        if (!has(4))
            return std::nullopt;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(m_bytes[m_pos + i]) << (8 * i);
        m_pos += 4;
        return v;
    }
    bool text(uint32_t chars, std::u16string& out)
    {
        if (!has(size_t(chars) * 2))
            return false;
        out.resize(chars);
        for (uint32_t i = 0; i < chars; ++i)
            out[i] = char16_t(m_bytes[m_pos + 2 * i] | (m_bytes[m_pos + 2 * i + 1] << 8));
        m_pos += size_t(chars) * 2;
        return true;
    }

private:
    const std::vector<uint8_t>& m_bytes;
    size_t m_pos = 0;
};

const Field* findField(DISPID id, uint8_t kind)
{
    for (const Field& f : kFields)
        if (f.id == id && f.kind == kind)
            return &f;
    return nullptr;
}

bool readRecord(Cursor& in, ControlState& state, const ControlStateLimits& limits)
{
    auto id = in.u32();
    auto kind = in.u8();
    if (!id || !kind)
        return false;
    const Field* field = findField(DISPID(*id), *kind);
    switch (*kind) {
    case kInteger: {
        auto v = in.u32();
        if (!v)
            return false;
        if (field)
            state.*(field->integer) = int32_t(*v);
        return true;
    }
    case kBoolean: {
        auto v = in.u8();
        if (!v)
            return false;
        if (field)
            state.*(field->boolean) = *v != 0;
        return true;
    }
    case kString: {
        auto chars = in.u32();
        std::u16string text;
        if (!chars || *chars > limits.maxStringChars || !in.text(*chars, text))
            return false;
        if (field)
            state.*(field->text) = std::move(text);
        return true;
    }
    default: return false;  // an unknown kind cannot be skipped
    }
}
}

std::vector<uint8_t> SaveControlState(const ControlState& state)
{
    std::vector<uint8_t> out(kMagic, kMagic + 4);
    putU16(out, kVersion);
    putU16(out, uint16_t(std::size(kFields)));
    for (const Field& f : kFields) {
        putU32(out, uint32_t(f.id));
        out.push_back(f.kind);
        if (f.kind == kInteger) {
            putU32(out, uint32_t(state.*(f.integer)));
        } else if (f.kind == kBoolean) {
            out.push_back(state.*(f.boolean) ? 1 : 0);
        } else {
            const std::u16string& text = state.*(f.text);
            putU32(out, uint32_t(text.size()));
            for (char16_t c : text)
                putU16(out, uint16_t(c));
        }
    }
    return out;
}

bool LoadControlState(const std::vector<uint8_t>& bytes, ControlState& state, const ControlStateLimits& limits)
{
    if (bytes.size() < 8 || std::memcmp(bytes.data(), kMagic, 4) != 0)
        return false;
    Cursor in(bytes);
    for (int i = 0; i < 4; ++i)
        in.u8();
    auto version = in.u16();
    auto count = in.u16();
    if (!version || *version != kVersion || !count || *count > limits.maxRecords)
        return false;
    ControlState read = state;
    for (uint16_t i = 0; i < *count; ++i)
        if (!readRecord(in, read, limits))
            return false;
    state = std::move(read);
    return true;
}

}  // namespace flashcontrol

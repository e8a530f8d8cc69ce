// The control's properties by dispatch id: reading, writing with coercion, and the
// notifications that follow a write.
#include "FlashControl.h"

#include "PropertyText.h"

#include <algorithm>

namespace flashcontrol {
namespace {
VARIANT boolVariant(bool v)
{
    return VariantFromBool(v);
}

VARIANT textVariant(const std::u16string& s)
{
    return VariantFromString(BSTR(s));
}

// Coerces a written value to the property's type.
HRESULT coerce(const VARIANT& in, VARTYPE vt, VARIANT& out)
{
    return VariantChangeType(&out, &in, 0, vt);
}
}

HRESULT FlashControl::getProperty(DISPID id, VARIANT& out)
{
    namespace d = flashdispid;
    bool loaded = m_engine->isLoaded();
    switch (id) {
    case d::ReadyState: out = VariantFromInt32(int32_t(m_readyState)); break;
    case d::TotalFrames: out = VariantFromInt32(loaded ? m_engine->totalFrames() : 0); break;
    // Without a movie nothing plays, whatever playing on load is set to.
    case d::Playing: out = boolVariant(loaded && m_engine->isPlaying()); break;
    case d::Quality: out = VariantFromInt32(m_state.quality); break;
    case d::ScaleMode: out = VariantFromInt32(m_state.scaleMode); break;
    case d::AlignMode: out = VariantFromInt32(m_state.alignMode); break;
    case d::BackgroundColor:
        out = VariantFromInt32(m_state.backgroundColor >= 0 || !loaded ? m_state.backgroundColor
                                                                        : RgbToColourRef(m_engine->backgroundColor()));
        break;
    case d::Loop: out = boolVariant(m_state.loop); break;
    case d::Movie: out = textVariant(m_state.movie); break;
    case d::FrameNum: out = VariantFromInt32(loaded ? m_engine->currentFrame() : 0); break;
    case d::WMode: out = textVariant(m_state.wmode); break;
    case d::SAlign: out = textVariant(AlignText(m_state.alignMode)); break;
    case d::Menu: out = boolVariant(m_state.menu); break;
    case d::Base: out = textVariant(m_state.base); break;
    case d::Scale: out = textVariant(ScaleText(m_state.scaleMode)); break;
    case d::DeviceFont: out = boolVariant(m_state.deviceFont); break;
    case d::EmbedMovie: out = boolVariant(m_state.embedMovie); break;
    case d::BGColor: out = textVariant(BgColorText(m_state.backgroundColor)); break;
    case d::Quality2: out = textVariant(QualityText(m_state.quality)); break;
    case d::SWRemote: out = textVariant(m_state.swRemote); break;
    case d::FlashVars: out = textVariant(m_state.flashVars); break;
    case d::AllowScriptAccess: out = textVariant(m_state.allowScriptAccess); break;
    case d::MovieData: out = textVariant(m_state.movieData); break;
    case d::SeamlessTabbing: out = boolVariant(m_state.seamlessTabbing); break;
    default: return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

HRESULT FlashControl::putProperty(DISPID id, const VARIANT& value)
{
    namespace d = flashdispid;
    VARTYPE vt;
    switch (id) {
    case d::Quality: case d::ScaleMode: case d::AlignMode: case d::BackgroundColor: case d::FrameNum: vt = VT_I4; break;
    case d::Playing: case d::Loop: case d::Menu: case d::DeviceFont: case d::EmbedMovie: case d::SeamlessTabbing:
        vt = VT_BOOL;
        break;
    case d::Movie: case d::WMode: case d::SAlign: case d::Base: case d::Scale: case d::BGColor: case d::Quality2:
    case d::SWRemote: case d::FlashVars: case d::AllowScriptAccess: case d::MovieData:
        vt = VT_BSTR;
        break;
    default: return DISP_E_MEMBERNOTFOUND;  // unknown, or read-only
    }
    VARIANT v;
    if (FAILED(coerce(value, vt, v)))
        return DISP_E_TYPEMISMATCH;
    const int32_t i = v.lVal;
    const bool b = v.boolVal != VARIANT_FALSE;
    const std::u16string& s = v.bstrVal.str();
    switch (id) {
    case d::Playing:
        m_state.playing = b;
        m_engine->setAutoPlay(b);
        if (m_engine->isLoaded())
            b ? m_engine->play() : m_engine->stop();
        break;
    case d::Quality:
        if (i < 0 || i > 5)
            return E_INVALIDARG;
        m_state.quality = i;
        m_engine->setQuality(EngineQuality(i));
        break;
    case d::Quality2: {
        auto q = QualityFromText(s);
        if (!q)
            return E_INVALIDARG;
        return putProperty(d::Quality, VariantFromInt32(*q));
    }
    case d::ScaleMode:
        if (i < 0 || i > 3)
            return E_INVALIDARG;
        m_state.scaleMode = i;
        m_engine->setScaleMode(EngineScale(i));
        break;
    case d::Scale: {
        auto mode = ScaleFromText(s);
        if (!mode)
            return E_INVALIDARG;
        return putProperty(d::ScaleMode, VariantFromInt32(*mode));
    }
    case d::AlignMode:
        m_state.alignMode = i & 15;
        m_engine->setAlign(unsigned(m_state.alignMode));
        break;
    case d::SAlign: {
        auto flags = AlignFromText(s);
        if (!flags)
            return E_INVALIDARG;
        return putProperty(d::AlignMode, VariantFromInt32(*flags));
    }
    case d::BackgroundColor:
        m_state.backgroundColor = i < 0 ? -1 : (i & 0xFFFFFF);
        m_engine->setBackgroundColor(i < 0 ? -1 : int32_t(ColourRefToRgb(i)));
        break;
    case d::BGColor: {
        auto colour = BgColorFromText(s);
        if (!colour)
            return E_INVALIDARG;
        return putProperty(d::BackgroundColor, VariantFromInt32(*colour));
    }
    case d::Loop:
        m_state.loop = b;
        m_engine->setLoop(b);
        break;
    case d::FrameNum:
        if (m_engine->isLoaded())
            m_engine->gotoFrame(std::max(0, i));
        break;
    case d::Movie: return startLoad(0, s);
    case d::WMode:
        m_state.wmode = s;
        m_engine->setTransparent(transparentMode());
        break;
    case d::Menu: m_state.menu = b; break;
    case d::Base: m_state.base = s; break;
    case d::DeviceFont: m_state.deviceFont = b; break;
    case d::EmbedMovie: m_state.embedMovie = b; break;
    case d::SWRemote: m_state.swRemote = s; break;
    case d::FlashVars: m_state.flashVars = s; break;
    case d::AllowScriptAccess: m_state.allowScriptAccess = s; break;
    case d::MovieData: m_state.movieData = s; break;
    case d::SeamlessTabbing: m_state.seamlessTabbing = b; break;
    }
    propertyChanged(id);
    // Only what changes the picture asks for a repaint: hosts write Loop and read
    // the playhead many times a second.
    if (id == d::Quality || id == d::ScaleMode || id == d::AlignMode || id == d::BackgroundColor || id == d::WMode)
        requestRepaint();
    return S_OK;
}

}  // namespace flashcontrol

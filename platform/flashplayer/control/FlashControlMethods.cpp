// The typed methods of IShockwaveFlash: playback goes straight to the engine, the
// property accessors share the dispatch path so both faces always agree.
#include "FlashControl.h"

#include "WideString.h"

namespace flashcontrol {
namespace {
namespace d = flashdispid;

// The movie's own timeline by the names scripts give it; other targets would need
// the engine's clip lookup.
bool isRootTarget(const BSTR& target)
{
    const std::u16string& t = target.str();
    return t.empty() || t == u"/" || t == u"_root" || t == u"_level0";
}
}

#define FLASH_GET(Name, Id, Type, Field)                                                                               \
    HRESULT FlashControl::get_##Name(Type* out)                                                                        \
    {                                                                                                                  \
        if (!out)                                                                                                      \
            return E_POINTER;                                                                                          \
        VARIANT v;                                                                                                     \
        HRESULT hr = getProperty(Id, v);                                                                               \
        if (SUCCEEDED(hr))                                                                                             \
            *out = Type(v.Field);                                                                                      \
        return hr;                                                                                                     \
    }
#define FLASH_PUT_INT(Name, Id, Type)                                                                                  \
    HRESULT FlashControl::put_##Name(Type value) { return putProperty(Id, VariantFromInt32(int32_t(value))); }
#define FLASH_PUT_BOOL(Name, Id)                                                                                       \
    HRESULT FlashControl::put_##Name(VARIANT_BOOL value) { return putProperty(Id, VariantFromBool(value != 0)); }
#define FLASH_PUT_TEXT(Name, Id)                                                                                       \
    HRESULT FlashControl::put_##Name(BSTR value) { return putProperty(Id, VariantFromString(std::move(value))); }

FLASH_GET(ReadyState, d::ReadyState, LONG, lVal)
FLASH_GET(TotalFrames, d::TotalFrames, LONG, lVal)
FLASH_GET(Playing, d::Playing, VARIANT_BOOL, boolVal)
FLASH_PUT_BOOL(Playing, d::Playing)
FLASH_GET(Quality, d::Quality, INT, lVal)
FLASH_PUT_INT(Quality, d::Quality, INT)
FLASH_GET(ScaleMode, d::ScaleMode, INT, lVal)
FLASH_PUT_INT(ScaleMode, d::ScaleMode, INT)
FLASH_GET(AlignMode, d::AlignMode, INT, lVal)
FLASH_PUT_INT(AlignMode, d::AlignMode, INT)
FLASH_GET(BackgroundColor, d::BackgroundColor, LONG, lVal)
FLASH_PUT_INT(BackgroundColor, d::BackgroundColor, LONG)
FLASH_GET(Loop, d::Loop, VARIANT_BOOL, boolVal)
FLASH_PUT_BOOL(Loop, d::Loop)
FLASH_GET(Movie, d::Movie, BSTR, bstrVal)
FLASH_PUT_TEXT(Movie, d::Movie)
FLASH_GET(FrameNum, d::FrameNum, LONG, lVal)
FLASH_PUT_INT(FrameNum, d::FrameNum, LONG)
FLASH_GET(WMode, d::WMode, BSTR, bstrVal)
FLASH_PUT_TEXT(WMode, d::WMode)
FLASH_GET(SAlign, d::SAlign, BSTR, bstrVal)
FLASH_PUT_TEXT(SAlign, d::SAlign)
FLASH_GET(Menu, d::Menu, VARIANT_BOOL, boolVal)
FLASH_PUT_BOOL(Menu, d::Menu)
FLASH_GET(Base, d::Base, BSTR, bstrVal)
FLASH_PUT_TEXT(Base, d::Base)
FLASH_GET(Scale, d::Scale, BSTR, bstrVal)
FLASH_PUT_TEXT(Scale, d::Scale)
FLASH_GET(DeviceFont, d::DeviceFont, VARIANT_BOOL, boolVal)
FLASH_PUT_BOOL(DeviceFont, d::DeviceFont)
FLASH_GET(EmbedMovie, d::EmbedMovie, VARIANT_BOOL, boolVal)
FLASH_PUT_BOOL(EmbedMovie, d::EmbedMovie)
FLASH_GET(BGColor, d::BGColor, BSTR, bstrVal)
FLASH_PUT_TEXT(BGColor, d::BGColor)
FLASH_GET(Quality2, d::Quality2, BSTR, bstrVal)
FLASH_PUT_TEXT(Quality2, d::Quality2)
FLASH_GET(SWRemote, d::SWRemote, BSTR, bstrVal)
FLASH_PUT_TEXT(SWRemote, d::SWRemote)
FLASH_GET(FlashVars, d::FlashVars, BSTR, bstrVal)
FLASH_PUT_TEXT(FlashVars, d::FlashVars)
FLASH_GET(AllowScriptAccess, d::AllowScriptAccess, BSTR, bstrVal)
FLASH_PUT_TEXT(AllowScriptAccess, d::AllowScriptAccess)
FLASH_GET(MovieData, d::MovieData, BSTR, bstrVal)
FLASH_PUT_TEXT(MovieData, d::MovieData)
FLASH_GET(SeamlessTabbing, d::SeamlessTabbing, VARIANT_BOOL, boolVal)
FLASH_PUT_BOOL(SeamlessTabbing, d::SeamlessTabbing)

#undef FLASH_GET
#undef FLASH_PUT_INT
#undef FLASH_PUT_BOOL
#undef FLASH_PUT_TEXT

HRESULT FlashControl::Play()
{
    if (m_engine->isLoaded())
        m_engine->play();
    return S_OK;
}

HRESULT FlashControl::Stop()
{
    if (m_engine->isLoaded())
        m_engine->stop();
    return S_OK;
}

HRESULT FlashControl::Back()
{
    if (m_engine->isLoaded() && m_engine->currentFrame() > 0)
        m_engine->gotoFrame(m_engine->currentFrame() - 1);
    return Stop();
}

HRESULT FlashControl::Forward()
{
    if (m_engine->isLoaded() && m_engine->currentFrame() + 1 < m_engine->totalFrames())
        m_engine->gotoFrame(m_engine->currentFrame() + 1);
    return Stop();
}

HRESULT FlashControl::Rewind()
{
    if (m_engine->isLoaded())
        m_engine->rewind();
    return S_OK;
}

HRESULT FlashControl::StopPlay()
{
    if (m_engine->isLoaded())
        m_engine->stopPlay();
    return S_OK;
}

HRESULT FlashControl::GotoFrame(LONG frame)
{
    if (frame < 0)
        return E_INVALIDARG;
    if (m_engine->isLoaded())
        m_engine->gotoFrame(frame);
    return S_OK;
}

HRESULT FlashControl::CurrentFrame(LONG* frame)
{
    if (!frame)
        return E_POINTER;
    *frame = m_engine->isLoaded() ? m_engine->currentFrame() : 0;
    return S_OK;
}

HRESULT FlashControl::IsPlaying(VARIANT_BOOL* playing)
{
    return get_Playing(playing);
}

HRESULT FlashControl::PercentLoaded(LONG* percent)
{
    if (!percent)
        return E_POINTER;
    *percent = m_percentLoaded;
    return S_OK;
}

HRESULT FlashControl::FrameLoaded(LONG frame, VARIANT_BOOL* loaded)
{
    if (!loaded)
        return E_POINTER;
    // A movie is only ever shown complete: every frame of it is loaded.
    *loaded = m_engine->isLoaded() && frame >= 0 && frame < m_engine->totalFrames() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashControl::FlashVersion(LONG* version)
{
    if (!version)
        return E_POINTER;
    *version = kFlashVersion;
    return S_OK;
}

// Zooming and panning are not offered by the engine.
HRESULT FlashControl::SetZoomRect(LONG, LONG, LONG, LONG)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::Zoom(INT)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::Pan(LONG, LONG, INT)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::SetVariable(BSTR name, BSTR value)
{
    if (!m_engine->isLoaded())
        return E_FAIL;
    m_engine->setVariable(name.toUtf8(), value.toUtf8());
    return S_OK;
}

HRESULT FlashControl::GetVariable(BSTR name, BSTR* value)
{
    if (!value)
        return E_POINTER;
    if (!m_engine->isLoaded())
        return E_FAIL;
    *value = BSTR::FromUtf8(m_engine->getVariable(name.toUtf8()));
    return S_OK;
}

HRESULT FlashControl::CallFunction(BSTR request, BSTR* response)
{
    if (!response)
        return E_POINTER;
    *response = BSTR();
    auto answer = m_engine->isLoaded() ? m_engine->callFunction(request.toUtf8()) : std::nullopt;
    // A function the movie does not expose is a failed call.
    if (!answer)
        return E_FAIL;
    *response = BSTR::FromUtf8(*answer);
    return S_OK;
}

HRESULT FlashControl::SetReturnValue(BSTR)
{
    return S_OK;  // answers to FlashCall; no FlashCall is fired without external calls
}

HRESULT FlashControl::TGotoFrame(BSTR target, LONG frame)
{
    return isRootTarget(target) ? GotoFrame(frame) : E_FAIL;
}

HRESULT FlashControl::TGotoLabel(BSTR, BSTR)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::TCurrentFrame(BSTR target, LONG* frame)
{
    return isRootTarget(target) ? CurrentFrame(frame) : E_FAIL;
}

HRESULT FlashControl::TCurrentLabel(BSTR, BSTR* label)
{
    if (label)
        *label = BSTR();
    return E_NOTIMPL;
}

HRESULT FlashControl::TPlay(BSTR target)
{
    return isRootTarget(target) ? Play() : E_FAIL;
}

HRESULT FlashControl::TStopPlay(BSTR target)
{
    return isRootTarget(target) ? Stop() : E_FAIL;
}

HRESULT FlashControl::TSetProperty(BSTR, INT, BSTR)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::TGetProperty(BSTR, INT, BSTR* value)
{
    if (value)
        *value = BSTR();
    return E_NOTIMPL;
}

HRESULT FlashControl::TCallFrame(BSTR, INT)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::TCallLabel(BSTR, BSTR)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::TSetPropertyNum(BSTR, INT, double)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::TGetPropertyNum(BSTR, INT, double* value)
{
    if (value)
        *value = 0;
    return E_NOTIMPL;
}

HRESULT FlashControl::TGetPropertyAsNumber(BSTR target, INT property, double* value)
{
    return TGetPropertyNum(target, property, value);
}

HRESULT FlashControl::get_InlineData(IUnknown** data)
{
    if (data)
        *data = nullptr;
    return E_NOTIMPL;
}

HRESULT FlashControl::put_InlineData(IUnknown*)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::EnforceLocalSecurity()
{
    return S_OK;
}

HRESULT FlashControl::DisableLocalSecurity()
{
    return S_OK;
}

HRESULT FlashControl::get_Profile(VARIANT_BOOL* profile)
{
    if (!profile)
        return E_POINTER;
    *profile = VARIANT_FALSE;
    return S_OK;
}

HRESULT FlashControl::put_Profile(VARIANT_BOOL)
{
    return S_OK;
}

HRESULT FlashControl::get_ProfileAddress(BSTR* address)
{
    if (!address)
        return E_POINTER;
    *address = BSTR(u"");
    return S_OK;
}

HRESULT FlashControl::put_ProfileAddress(BSTR)
{
    return S_OK;
}

HRESULT FlashControl::get_ProfilePort(LONG* port)
{
    if (!port)
        return E_POINTER;
    *port = 0;
    return S_OK;
}

HRESULT FlashControl::put_ProfilePort(LONG)
{
    return S_OK;
}

}  // namespace flashcontrol

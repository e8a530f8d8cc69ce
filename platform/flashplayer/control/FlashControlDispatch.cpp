// IDispatch of the control: names to ids, and Invoke for properties and methods with
// their arguments as automation passes them (last first, puts named -3).
#include "FlashControl.h"

#include "PropertyText.h"

namespace flashcontrol {
namespace {
struct Member {
    const char16_t* name;
    DISPID id;
};

namespace d = flashdispid;
const Member kMembers[] = {
    {u"ReadyState", d::ReadyState}, {u"TotalFrames", d::TotalFrames}, {u"Playing", d::Playing},
    {u"Quality", d::Quality}, {u"ScaleMode", d::ScaleMode}, {u"AlignMode", d::AlignMode},
    {u"BackgroundColor", d::BackgroundColor}, {u"Loop", d::Loop}, {u"Movie", d::Movie},
    {u"FrameNum", d::FrameNum}, {u"WMode", d::WMode}, {u"SAlign", d::SAlign}, {u"Menu", d::Menu},
    {u"Base", d::Base}, {u"Scale", d::Scale}, {u"DeviceFont", d::DeviceFont}, {u"EmbedMovie", d::EmbedMovie},
    {u"BGColor", d::BGColor}, {u"Quality2", d::Quality2}, {u"SWRemote", d::SWRemote},
    {u"FlashVars", d::FlashVars}, {u"AllowScriptAccess", d::AllowScriptAccess}, {u"MovieData", d::MovieData},
    {u"SeamlessTabbing", d::SeamlessTabbing}, {u"SetZoomRect", d::SetZoomRect}, {u"Zoom", d::Zoom},
    {u"Pan", d::Pan}, {u"Play", d::Play}, {u"Stop", d::Stop}, {u"Back", d::Back}, {u"Forward", d::Forward},
    {u"Rewind", d::Rewind}, {u"StopPlay", d::StopPlay}, {u"GotoFrame", d::GotoFrame},
    {u"CurrentFrame", d::CurrentFrame}, {u"IsPlaying", d::IsPlaying}, {u"PercentLoaded", d::PercentLoaded},
    {u"FrameLoaded", d::FrameLoaded}, {u"FlashVersion", d::FlashVersion}, {u"LoadMovie", d::LoadMovie},
    {u"SetVariable", d::SetVariable}, {u"GetVariable", d::GetVariable}, {u"CallFunction", d::CallFunction},
    {u"SetReturnValue", d::SetReturnValue},
};

bool isMethod(DISPID id)
{
    switch (id) {
    case d::SetZoomRect: case d::Zoom: case d::Pan: case d::Play: case d::Stop: case d::Back: case d::Forward:
    case d::Rewind: case d::StopPlay: case d::GotoFrame: case d::CurrentFrame: case d::IsPlaying:
    case d::PercentLoaded: case d::FrameLoaded: case d::FlashVersion: case d::LoadMovie: case d::SetVariable:
    case d::GetVariable: case d::CallFunction: case d::SetReturnValue:
        return true;
    default: return false;
    }
}

// Argument count of each method, as declared.
UINT argumentCount(DISPID id)
{
    switch (id) {
    case d::SetZoomRect: return 4;
    case d::Pan: return 3;
    case d::LoadMovie: case d::SetVariable: return 2;
    case d::Zoom: case d::GotoFrame: case d::FrameLoaded: case d::GetVariable: case d::CallFunction:
    case d::SetReturnValue:
        return 1;
    default: return 0;
    }
}

// Reads argument `index` (declared order) as type vt.
HRESULT argument(DISPPARAMS* params, UINT index, VARTYPE vt, VARIANT& out, UINT* argErr)
{
    VARIANT* arg = DispArg(params, index);
    if (!arg || FAILED(VariantChangeType(&out, arg, 0, vt))) {
        if (argErr)
            *argErr = params->cArgs - 1 - index;
        return DISP_E_TYPEMISMATCH;
    }
    return S_OK;
}
}

HRESULT FlashControl::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT FlashControl::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT FlashControl::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (names[0]) {
        for (const Member& m : kMembers)
            if (EqualsIgnoringCase(m.name, names[0]))
                ids[0] = m.id;
    }
    if (ids[0] == DISPID_UNKNOWN || count > 1)  // parameter names are not known
        hr = DISP_E_UNKNOWNNAME;
    return hr;
}

HRESULT FlashControl::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
    EXCEPINFO*, UINT* argErr)
{
    if (riid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none;
    if (!params)
        params = &none;
    ComPtr<IUnknown> keepAlive(identity());
    if (isMethod(id)) {
        if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)))
            return DISP_E_MEMBERNOTFOUND;
        if (params->cNamedArgs > 0)
            return DISP_E_NONAMEDARGS;
        if (params->cArgs != argumentCount(id))
            return DISP_E_BADPARAMCOUNT;
        return invokeMethod(id, params, result, argErr);
    }
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params->cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTOPTIONAL;
        return putProperty(id, params->rgvarg[0]);
    }
    if (flags & DISPATCH_PROPERTYGET) {
        if (params->cArgs != 0)
            return DISP_E_BADPARAMCOUNT;
        VARIANT value;
        HRESULT hr = getProperty(id, value);
        if (SUCCEEDED(hr) && result)
            *result = std::move(value);
        return hr;
    }
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT FlashControl::invokeMethod(DISPID id, DISPPARAMS* params, VARIANT* result, UINT* argErr)
{
    VARIANT a0, a1, a2, a3;
    auto arg = [&](UINT index, VARTYPE vt, VARIANT& out) { return argument(params, index, vt, out, argErr); };
    HRESULT hr = S_OK;
    LONG number = 0;
    VARIANT_BOOL flag = 0;
    BSTR text;
    switch (id) {
    case d::Play: return Play();
    case d::Stop: return Stop();
    case d::Back: return Back();
    case d::Forward: return Forward();
    case d::Rewind: return Rewind();
    case d::StopPlay: return StopPlay();
    case d::Zoom:
        if (FAILED(hr = arg(0, VT_I4, a0)))
            return hr;
        return Zoom(a0.lVal);
    case d::Pan:
        if (FAILED(hr = arg(0, VT_I4, a0)) || FAILED(hr = arg(1, VT_I4, a1)) || FAILED(hr = arg(2, VT_I4, a2)))
            return hr;
        return Pan(a0.lVal, a1.lVal, a2.lVal);
    case d::SetZoomRect:
        if (FAILED(hr = arg(0, VT_I4, a0)) || FAILED(hr = arg(1, VT_I4, a1)) || FAILED(hr = arg(2, VT_I4, a2)) ||
            FAILED(hr = arg(3, VT_I4, a3)))
            return hr;
        return SetZoomRect(a0.lVal, a1.lVal, a2.lVal, a3.lVal);
    case d::GotoFrame:
        if (FAILED(hr = arg(0, VT_I4, a0)))
            return hr;
        return GotoFrame(a0.lVal);
    case d::LoadMovie:
        if (FAILED(hr = arg(0, VT_I4, a0)) || FAILED(hr = arg(1, VT_BSTR, a1)))
            return hr;
        return LoadMovie(a0.lVal, a1.bstrVal);
    case d::SetVariable:
        if (FAILED(hr = arg(0, VT_BSTR, a0)) || FAILED(hr = arg(1, VT_BSTR, a1)))
            return hr;
        return SetVariable(a0.bstrVal, a1.bstrVal);
    case d::SetReturnValue:
        if (FAILED(hr = arg(0, VT_BSTR, a0)))
            return hr;
        return SetReturnValue(a0.bstrVal);
    case d::CurrentFrame: hr = CurrentFrame(&number); break;
    case d::PercentLoaded: hr = PercentLoaded(&number); break;
    case d::FlashVersion: hr = FlashVersion(&number); break;
    case d::IsPlaying: hr = IsPlaying(&flag); break;
    case d::FrameLoaded:
        if (FAILED(hr = arg(0, VT_I4, a0)))
            return hr;
        hr = FrameLoaded(a0.lVal, &flag);
        break;
    case d::GetVariable:
        if (FAILED(hr = arg(0, VT_BSTR, a0)))
            return hr;
        hr = GetVariable(a0.bstrVal, &text);
        break;
    case d::CallFunction:
        if (FAILED(hr = arg(0, VT_BSTR, a0)))
            return hr;
        hr = CallFunction(a0.bstrVal, &text);
        break;
    default: return DISP_E_MEMBERNOTFOUND;
    }
    if (FAILED(hr) || !result)
        return hr;
    if (id == d::IsPlaying || id == d::FrameLoaded)
        *result = VariantFromBool(flag != VARIANT_FALSE);
    else if (id == d::GetVariable || id == d::CallFunction)
        *result = VariantFromString(std::move(text));
    else
        *result = VariantFromInt32(number);
    return hr;
}

}  // namespace flashcontrol

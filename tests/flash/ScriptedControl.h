// A small control of the tests: it records the calls the host makes, answers with
// what a test sets, calls the site back the way a real control does during
// activation, and "draws" a rectangle of one colour blended over the target.
#pragma once

#include "ClassRegistry.h"
#include "ConnectionPoint.h"
#include "Embedding.h"
#include "Persist.h"
#include "ShockwaveFlashStub.h"
#include "WideString.h"
#include "WindowMessages.h"

#include <string>
#include <vector>

class ScriptedControl final
    : public ComObject<ShockwaveFlashStub, IOleObject, IOleControl, IPersistStreamInit, IOleInPlaceObjectWindowless,
                       IOleInPlaceActiveObject, IViewObject, IConnectionPointContainer> {
public:
    // What the test sets.
    LONG version = 10 << 16;
    DWORD miscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE;
    SIZEL extentHimetric{11642, 8361};  // 440 x 316 pixels at 96 per inch
    bool activates = true;
    HRESULT messageAnswer = S_OK;
    uint32_t drawColour = 0x80FF0000;  // straight ARGB, blended over what is there
    RECT drawRect{10, 10, 30, 20};
    std::vector<uint8_t> savedState = {'s', 't', 'a', 't', 'e'};
    LONG totalFrames = 12;
    LONG backgroundColor = -1;  // none: no movie names its stage colour
    LONG currentFrame = 0;

    // What the host did.
    std::vector<std::string> calls;
    std::vector<std::u16string> loadedUrls;
    std::vector<std::pair<std::u16string, std::u16string>> variables;
    std::vector<UINT> messages;
    std::vector<std::pair<DISPID, WORD>> invokes;
    std::vector<uint8_t> loadedState;
    ComPtr<IOleClientSite> site;

    ConnectionPoint events{*identity(), *this, DIID_ShockwaveFlashEvents};
    ConnectionPoint notifications{*identity(), *this, IPropertyNotifySink::kIid};

    void fire(DISPID id, std::initializer_list<VARIANT> args) { events.fireDispatch(id, args); }
    ComPtr<IOleInPlaceSiteWindowless> windowlessSite() { return site.as<IOleInPlaceSiteWindowless>(); }

    // --- IShockwaveFlash
    HRESULT Play() override { return record("Play"); }
    HRESULT Stop() override { return record("Stop"); }
    HRESULT Rewind() override { return record("Rewind"); }
    HRESULT StopPlay() override { return record("StopPlay"); }
    HRESULT GotoFrame(LONG f) override
    {
        currentFrame = f;
        return record("GotoFrame");
    }
    HRESULT CurrentFrame(LONG* f) override
    {
        *f = currentFrame;
        return S_OK;
    }
    HRESULT FlashVersion(LONG* v) override
    {
        *v = version;
        return S_OK;
    }
    HRESULT LoadMovie(INT, BSTR url) override
    {
        loadedUrls.push_back(url.str());
        return record("LoadMovie");
    }
    HRESULT SetVariable(BSTR name, BSTR value) override
    {
        variables.emplace_back(name.str(), value.isNull() ? u"<null>" : value.str());
        return S_OK;
    }
    HRESULT CallFunction(BSTR request, BSTR* response) override
    {
        calls.push_back("CallFunction " + request.toUtf8());
        *response = BSTR(u"<string>ok</string>");
        return S_OK;
    }
    // --- IDispatch
    HRESULT GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        invokes.emplace_back(id, flags);
        if (flags & DISPATCH_PROPERTYGET) {
            if (id == 124)
                *result = VariantFromInt32(totalFrames);
            else if (id == 125)
                *result = VariantFromBool(true);
            else if (id == flashdispid::BackgroundColor)
                *result = VariantFromInt32(backgroundColor);
            else
                *result = VariantFromInt32(0);
        } else if (params && params->cArgs == 1) {
            lastPut = params->rgvarg[0];
        }
        return S_OK;
    }
    VARIANT lastPut;

    // --- IOleObject
    HRESULT SetClientSite(IOleClientSite* s) override
    {
        site = s;
        return record(s ? "SetClientSite" : "SetClientSite(null)");
    }
    HRESULT GetClientSite(IOleClientSite** s) override { return site.copyTo(s); }
    HRESULT SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT Close(DWORD) override { return record("Close"); }
    HRESULT SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT DoVerb(LONG verb, MSG*, IOleClientSite*, LONG, HWND, const RECT*) override
    {
        record("DoVerb " + std::to_string(verb));
        auto windowless = windowlessSite();
        if (!windowless)
            return E_FAIL;
        windowless->CanWindowlessActivate();
        if (activates) {
            BOOL noRedraw = 0;
            windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
        }
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> doc;
        RECT pos, clip;
        OLEINPLACEFRAMEINFO info;
        windowless->GetWindowContext(frame.put(), doc.put(), &pos, &clip, &info);
        return S_OK;
    }
    HRESULT EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT Update() override { return S_OK; }
    HRESULT IsUpToDate() override { return S_OK; }
    HRESULT GetUserClassID(CLSID* c) override
    {
        *c = CLSID_ShockwaveFlash;
        return S_OK;
    }
    HRESULT GetUserType(DWORD, BSTR*) override { return E_NOTIMPL; }
    HRESULT SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    HRESULT GetExtent(DWORD, SIZEL* s) override
    {
        *s = extentHimetric;
        return S_OK;
    }
    HRESULT Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT GetMiscStatus(DWORD, DWORD* s) override
    {
        *s = miscStatus;
        return S_OK;
    }
    HRESULT SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }
    // --- IOleControl
    HRESULT GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
    HRESULT OnMnemonic(MSG*) override { return E_NOTIMPL; }
    HRESULT OnAmbientPropertyChange(DISPID id) override { return record("Ambient " + std::to_string(id)); }
    HRESULT FreezeEvents(BOOL) override { return S_OK; }
    // --- IPersistStreamInit
    HRESULT GetClassID(CLSID* c) override
    {
        *c = CLSID_ShockwaveFlash;
        return S_OK;
    }
    HRESULT IsDirty() override { return S_FALSE; }
    HRESULT Load(IStream* s) override
    {
        BYTE b[256];
        ULONG n = 0;
        s->Read(b, sizeof b, &n);
        loadedState.assign(b, b + n);
        return record("Load");
    }
    HRESULT Save(IStream* s, BOOL) override
    {
        s->Write(savedState.data(), static_cast<ULONG>(savedState.size()), nullptr);
        return S_OK;
    }
    HRESULT GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT InitNew() override { return record("InitNew"); }
    // --- IOleInPlaceObjectWindowless
    HRESULT GetWindow(HWND*) override { return E_FAIL; }
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT InPlaceDeactivate() override { return S_OK; }
    HRESULT UIDeactivate() override { return S_OK; }
    HRESULT SetObjectRects(const RECT* pos, const RECT*) override
    {
        objectRect = *pos;
        return S_OK;
    }
    RECT objectRect;
    HRESULT ReactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT OnWindowMessage(UINT msg, WPARAM, LPARAM, LRESULT*) override
    {
        messages.push_back(msg);
        return messageAnswer;
    }
    HRESULT GetDropTarget(IDropTarget**) override { return E_NOTIMPL; }
    // --- IOleInPlaceActiveObject
    HRESULT TranslateAccelerator(MSG*) override { return S_FALSE; }
    HRESULT OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT ResizeBorder(const RECT*, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT EnableModeless(BOOL) override { return S_OK; }
    // --- IViewObject
    HRESULT Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, const RECTL* bounds, const RECTL*,
        ContinueCallback, uintptr_t) override;
    HRESULT GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    HRESULT Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT SetAdvise(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
    HRESULT GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
    std::vector<std::pair<DWORD, bool>> draws;  // aspect, bounds given
    // --- IConnectionPointContainer
    HRESULT EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** cp) override
    {
        if (riid == events.iid())
            return ComPtr<IConnectionPoint>(&events).copyTo(cp);
        if (riid == notifications.iid())
            return ComPtr<IConnectionPoint>(&notifications).copyTo(cp);
        *cp = nullptr;
        return E_NOINTERFACE;
    }

private:
    HRESULT record(const std::string& call)
    {
        calls.push_back(call);
        return S_OK;
    }
};

inline HRESULT ScriptedControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, const RECTL* bounds,
    const RECTL*, ContinueCallback, uintptr_t)
{
    draws.emplace_back(aspect, bounds != nullptr);
    // Blend the colour over the target, source over, at logical coordinates.
    uint32_t a = drawColour >> 24;
    for (int y = drawRect.top; y < drawRect.bottom; ++y)
        for (int x = drawRect.left; x < drawRect.right; ++x) {
            POINT p = dc->logicalToDevice(POINT{x, y});
            uint8_t* px = dc->pixelAt(p.x, p.y);
            if (!px)
                continue;
            for (int c = 0; c < 3; ++c) {
                uint32_t s = (drawColour >> (8 * c)) & 0xFF;
                px[c] = static_cast<uint8_t>((s * a + px[c] * (255 - a) + 127) / 255);
            }
            px[3] = static_cast<uint8_t>(a + px[3] * (255 - a) / 255);
        }
    return S_OK;
}

// A scripted host for the control: a windowless site with a bind service, recording
// every call the control makes into `log` so tests can check the order of things.
#pragma once

#include "Embedding.h"
#include "WideString.h"

#include <map>
#include <utility>
#include <string>
#include <vector>

class TestSite final
    : public ComObject<IOleClientSite, IOleInPlaceSiteWindowless, IOleControlSite, IServiceProvider, IBindHost,
          IMoniker, IOleInPlaceFrame> {
public:
    std::vector<std::string> log;
    std::map<std::string, std::vector<uint8_t>> served;  // bind host: name -> bytes
    bool offerBindHost = true;     // QueryService answers IBindHost
    bool createMonikerNotImpl = false;
    bool capture = false;
    std::string pendingName;

    // IOleClientSite
    HRESULT SaveObject() override { return note("SaveObject"); }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker** mk) override
    {
        *mk = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetContainer(IOleContainer** c) override
    {
        *c = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT ShowObject() override { return note("ShowObject"); }
    HRESULT OnShowWindow(BOOL) override { return S_OK; }
    HRESULT RequestNewObjectLayout() override { return note("RequestNewObjectLayout"); }

    // IOleWindow (all the window interfaces share it here)
    HRESULT GetWindow(HWND* hwnd) override
    {
        note("GetWindow");
        *hwnd = nullptr;
        return E_FAIL;
    }
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }

    // IOleInPlaceSite(Ex, Windowless)
    HRESULT CanInPlaceActivate() override { return note("CanInPlaceActivate"); }
    HRESULT OnInPlaceActivate() override { return note("OnInPlaceActivate"); }
    HRESULT OnUIActivate() override { return note("OnUIActivate"); }
    HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, RECT* pos, RECT* clip,
        OLEINPLACEFRAMEINFO* info) override
    {
        note("GetWindowContext");
        *frame = this;
        AddRef();
        *doc = nullptr;
        *pos = position;
        *clip = RECT{0, 0, 32767, 32767};
        *info = OLEINPLACEFRAMEINFO{};
        return S_OK;
    }
    HRESULT Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT OnUIDeactivate(BOOL) override { return note("OnUIDeactivate"); }
    HRESULT OnInPlaceDeactivate() override { return note("OnInPlaceDeactivate"); }
    HRESULT DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT DeactivateAndUndo() override { return S_OK; }
    HRESULT OnPosRectChange(const RECT*) override { return S_OK; }
    HRESULT OnInPlaceActivateEx(BOOL*, DWORD flags) override
    {
        return note("OnInPlaceActivateEx " + std::to_string(flags));
    }
    HRESULT OnInPlaceDeactivateEx(BOOL) override { return note("OnInPlaceDeactivateEx"); }
    HRESULT RequestUIActivate() override { return S_OK; }
    HRESULT CanWindowlessActivate() override { return note("CanWindowlessActivate"); }
    HRESULT GetCapture() override { return capture ? S_OK : S_FALSE; }
    HRESULT SetCapture(BOOL f) override
    {
        capture = f != 0;
        return note(std::string("SetCapture ") + (f ? "1" : "0"));
    }
    HRESULT GetFocus() override { return S_OK; }
    HRESULT SetFocus(BOOL) override { return S_OK; }
    HRESULT GetDC(const RECT*, DWORD, HDC* dc) override
    {
        *dc = nullptr;
        return E_NOTIMPL;
    }
    HRESULT ReleaseDC(HDC) override { return S_OK; }
    HRESULT InvalidateRect(const RECT* r, BOOL) override
    {
        ++invalidations;
        return note(r ? "InvalidateRect rect" : "InvalidateRect null");
    }
    HRESULT InvalidateRgn(HRGN, BOOL) override { return note("InvalidateRgn"); }
    HRESULT ScrollRect(INT, INT, const RECT*, const RECT*) override { return S_OK; }
    HRESULT AdjustRect(RECT*) override { return S_OK; }
    HRESULT OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* r) override
    {
        *r = 0;
        return S_OK;
    }

    // IOleControlSite
    HRESULT OnControlInfoChanged() override { return E_NOTIMPL; }
    HRESULT LockInPlaceActive(BOOL) override { return E_NOTIMPL; }
    HRESULT GetExtendedControl(IDispatch** d) override
    {
        *d = nullptr;
        return E_NOTIMPL;
    }
    HRESULT TransformCoords(POINTL*, POINTF*, DWORD) override { return S_OK; }
    HRESULT TranslateAccelerator(MSG*, DWORD) override { return E_NOTIMPL; }
    HRESULT OnFocus(BOOL) override { return E_NOTIMPL; }
    HRESULT ShowPropertyFrame() override { return E_NOTIMPL; }

    // IServiceProvider: every service is this object, as the program's host does it.
    HRESULT QueryService(REFGUID, REFIID riid, void** ppv) override
    {
        note("QueryService");
        if (riid == IID_IBindHost && !offerBindHost) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return QueryInterface(riid, ppv);
    }

    // IBindHost
    HRESULT CreateMoniker(LPOLESTR name, IBindCtx*, IMoniker** mk, DWORD) override
    {
        std::string text = WideToUtf8(name);
        note("CreateMoniker " + text);
        *mk = nullptr;
        if (createMonikerNotImpl)
            return E_NOTIMPL;
        pendingName = text;
        *mk = this;
        AddRef();
        return S_OK;
    }
    HRESULT MonikerBindToStorage(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID, void**) override { return S_OK; }
    HRESULT MonikerBindToObject(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID, void**) override { return S_OK; }

    // IMoniker: only BindToStorage does anything, as in the program's host.
    HRESULT GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT IsDirty() override { return E_NOTIMPL; }
    HRESULT Load(IStream*) override { return E_NOTIMPL; }
    HRESULT Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT BindToObject(IBindCtx*, IMoniker*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT BindToStorage(IBindCtx* ctx, IMoniker*, REFIID, void**) override
    {
        note("BindToStorage");
        if (!ctx)
            return E_FAIL;
        ComPtr<IUnknown> holder;
        ctx->GetObjectParam(kBindStatusCallbackKey, holder.put());
        auto callback = holder.as<IBindStatusCallback>();
        auto it = served.find(pendingName);
        if (!callback || it == served.end())
            return E_FAIL;
        auto stream = SHCreateMemStream(it->second.data(), it->second.size());
        STGMEDIUM medium;
        medium.tymed = TYMED_ISTREAM;
        medium.pstm = stream.get();
        callback->OnStartBinding(0, nullptr);
        callback->OnProgress(100, 100, BINDSTATUS_ENDDOWNLOADDATA, u"");
        callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION, DWORD(it->second.size()),
            nullptr, &medium);
        callback->OnStopBinding(S_OK, u"");
        return S_OK;
    }
    HRESULT Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker**) override { return E_NOTIMPL; }
    HRESULT ComposeWith(IMoniker*, BOOL, IMoniker**) override { return E_NOTIMPL; }
    HRESULT Enum(BOOL, IEnumMoniker**) override { return E_NOTIMPL; }
    HRESULT IsEqual(IMoniker*) override { return E_NOTIMPL; }
    HRESULT Hash(DWORD*) override { return E_NOTIMPL; }
    HRESULT IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return E_NOTIMPL; }
    HRESULT GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override { return E_NOTIMPL; }
    HRESULT Inverse(IMoniker**) override { return E_NOTIMPL; }
    HRESULT CommonPrefixWith(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT RelativePathTo(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT GetDisplayName(IBindCtx*, IMoniker*, BSTR*) override { return E_NOTIMPL; }
    HRESULT ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker**) override { return E_NOTIMPL; }
    HRESULT IsSystemMoniker(DWORD*) override { return E_NOTIMPL; }

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    HRESULT GetBorder(RECT*) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT RequestBorderSpace(const BORDERWIDTHS*) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT SetBorderSpace(const BORDERWIDTHS*) override { return E_NOTIMPL; }
    HRESULT SetActiveObject(IOleInPlaceActiveObject* o, LPCOLESTR) override
    {
        return note(o ? "SetActiveObject object" : "SetActiveObject null");
    }
    HRESULT InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) override { return S_OK; }
    HRESULT SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT RemoveMenus(HMENU) override { return S_OK; }
    HRESULT SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT EnableModeless(BOOL) override { return S_OK; }
    HRESULT TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }

    RECT position{0, 0, 40, 30};
    int invalidations = 0;

    // Calls since the last take(), and forget them.
    std::vector<std::string> take() { return std::exchange(log, {}); }

private:
    HRESULT note(std::string call)
    {
        log.push_back(std::move(call));
        return S_OK;
    }
};

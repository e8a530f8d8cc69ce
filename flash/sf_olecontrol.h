// TsfOleControl: a graphic control (no window of its own, painting on its parent) that
// embeds a COM-style control and keeps it in-place active without a window. It is
// the control's client site, in-place site, frame, control site, ambient-property
// source and bind service, and composes the control's drawing in three 32-bit back
// buffers. TsfFlashPlayer (sf_flash.h) supplies the description of the control.
#pragma once

#include "Bind.h"
#include "Controls.h"
#include "Embedding.h"
#include "Unknown.h"
#include "sf_bitmap.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCanvas;
class TBitmap;
class TJPEGImage;
class TsfFlashList;
class TStream;

// What a host class says about the control it hosts.
struct TControlData {
    CLSID ClassID;
    IID EventIID;
    std::vector<DISPID> EventDispIDs;
    DWORD Flags = 0;  // 1 back colour, 2 fore colour, 4 font, 8 enabled, 16 caption, 32 text
};

using TEventHandler = std::function<void(const DISPPARAMS& params)>;

class TsfOleControl : public TGraphicControl,
                      public IOleClientSite,
                      public IOleControlSite,
                      public IOleInPlaceSiteWindowless,
                      public IServiceProvider,
                      public IMoniker,
                      public IParseDisplayName,
                      public IPropertyNotifySink,
                      public IDispatch {
public:
    TsfOleControl();
    ~TsfOleControl() override;

    // Construction of a host: the derived class's constructor calls Initialize (which
    // asks for the description and creates the control) and, last, ActivateControl.
    void Initialize();
    void CreateControl();
    void ActivateControl();

    bool CreateFailed() const { return m_createFailed; }
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    bool DisableFlashPopup = false;
    bool DisableFlashCursor = false;
    std::function<void(TsfOleControl*)> OnPaint;

    // The frame operations.
    void CopyFrameTo(TCanvas& canvas);
    TsfBitmap* BackBuffer() const { return m_backBuffer.get(); }
    std::unique_ptr<TBitmap> RenderBitmap();
    std::unique_ptr<TJPEGImage> RenderJPEG();

    // Stored control state ("ControlData"): opaque bytes of the control.
    std::vector<uint8_t> WriteControlData();
    void ReadControlData(const std::vector<uint8_t>& bytes);

    // The toolkit hooks.
    void SetBounds(int left, int top, int width, int height) override;
    void SetParent(TWinControl* parent) override;
    void SetName(const std::string& name) override;
    void Paint() override;
    void WndProc(TMessage& message) override;

    // The control's interfaces (null while it does not exist).
    IOleObject* OleObject() const { return m_oleObject.get(); }
    IDispatch* ControlDispatch() const { return m_controlDispatch.get(); }
    IViewObject* ViewObject() const { return m_viewObject.get(); }
    IOleInPlaceObject* InPlaceObject() const { return m_inPlaceObject.get(); }
    IOleInPlaceObjectWindowless* WindowlessObject() const { return m_windowlessObject.get(); }

    // Movie list (see sf_flashlist.h) and the source the next bind serves.
    TsfFlashList* FlashList() const { return m_flashList; }
    void SetFlashList(TsfFlashList* list);
    int FlashIndex() const { return m_flashIndex; }
    std::u16string PendingSource;

    // --- IUnknown (the object's own count only counts)
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return ++m_refCount; }
    ULONG Release() override { return --m_refCount; }

    // --- IOleClientSite
    HRESULT SaveObject() override { return S_OK; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker** ppmk) override;
    HRESULT GetContainer(IOleContainer** ppContainer) override;
    HRESULT ShowObject() override { return S_OK; }
    HRESULT OnShowWindow(BOOL) override { return S_OK; }
    HRESULT RequestNewObjectLayout() override;

    // --- IOleControlSite
    HRESULT OnControlInfoChanged() override { return E_NOTIMPL; }
    HRESULT LockInPlaceActive(BOOL) override { return E_NOTIMPL; }
    HRESULT GetExtendedControl(IDispatch** ppDisp) override;
    HRESULT TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) override;
    HRESULT TranslateAccelerator(MSG*, DWORD) override { return E_NOTIMPL; }
    HRESULT OnFocus(BOOL) override { return E_NOTIMPL; }
    HRESULT ShowPropertyFrame() override { return E_NOTIMPL; }

    // --- IOleWindow through the windowless site: the context-menu rule
    HRESULT GetWindow(HWND* phwnd) override;
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }
    // --- IOleInPlaceSite
    HRESULT CanInPlaceActivate() override { return S_OK; }
    HRESULT OnInPlaceActivate() override;
    HRESULT OnUIActivate() override { return S_OK; }
    HRESULT GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, RECT* lprcPosRect,
        RECT* lprcClipRect, OLEINPLACEFRAMEINFO* lpFrameInfo) override;
    HRESULT Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT OnUIDeactivate(BOOL) override;
    HRESULT OnInPlaceDeactivate() override;
    HRESULT DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT DeactivateAndUndo() override;
    HRESULT OnPosRectChange(const RECT* lprcPosRect) override;
    // --- IOleInPlaceSiteEx
    HRESULT OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD dwFlags) override;
    HRESULT OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
    HRESULT RequestUIActivate() override { return S_OK; }
    // --- IOleInPlaceSiteWindowless
    HRESULT CanWindowlessActivate() override { return S_OK; }
    HRESULT GetCapture() override { return m_mouseCaptured ? S_OK : S_FALSE; }
    HRESULT SetCapture(BOOL fCapture) override;
    HRESULT GetFocus() override { return S_OK; }
    HRESULT SetFocus(BOOL) override { return S_OK; }
    HRESULT GetDC(const RECT* pRect, DWORD grfFlags, HDC* phDC) override;
    HRESULT ReleaseDC(HDC) override { return S_OK; }
    HRESULT InvalidateRect(const RECT* pRect, BOOL fErase) override;
    HRESULT InvalidateRgn(HRGN hRGN, BOOL fErase) override;
    HRESULT ScrollRect(INT, INT, const RECT*, const RECT*) override { return S_OK; }
    HRESULT AdjustRect(RECT* prc) override;
    HRESULT OnDefWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) override;

    // --- IServiceProvider
    HRESULT QueryService(REFGUID guidService, REFIID riid, void** ppvObject) override;

    // --- IMoniker (the host is the moniker of every URL it serves)
    HRESULT GetClassID(CLSID* pClassID) override;
    HRESULT IsDirty() override { return E_NOTIMPL; }
    HRESULT Load(IStream*) override { return E_NOTIMPL; }
    HRESULT Save(IStream*, BOOL) override { return E_NOTIMPL; }
    HRESULT GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT BindToObject(IBindCtx*, IMoniker*, REFIID, void** ppvResult) override;
    HRESULT BindToStorage(IBindCtx* pbc, IMoniker* pmkToLeft, REFIID riid, void** ppvObj) override;
    HRESULT Reduce(IBindCtx*, DWORD, IMoniker** ppmkToLeft, IMoniker** ppmkReduced) override;
    HRESULT ComposeWith(IMoniker*, BOOL, IMoniker** ppmkComposite) override;
    HRESULT Enum(BOOL, IEnumMoniker** ppenumMoniker) override;
    HRESULT IsEqual(IMoniker*) override { return E_NOTIMPL; }
    HRESULT Hash(DWORD*) override { return E_NOTIMPL; }
    HRESULT IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return E_NOTIMPL; }
    HRESULT GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override { return E_NOTIMPL; }
    HRESULT Inverse(IMoniker** ppmk) override;
    HRESULT CommonPrefixWith(IMoniker*, IMoniker** ppmkPrefix) override;
    HRESULT RelativePathTo(IMoniker*, IMoniker** ppmkRelPath) override;
    HRESULT GetDisplayName(IBindCtx*, IMoniker*, BSTR*) override { return E_NOTIMPL; }
    HRESULT ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker** ppmkOut) override;
    HRESULT IsSystemMoniker(DWORD*) override { return E_NOTIMPL; }
    // --- IParseDisplayName
    HRESULT ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker** ppmkOut) override;

    // --- IPropertyNotifySink
    HRESULT OnChanged(DISPID dispID) override;
    HRESULT OnRequestEdit(DISPID) override { return S_OK; }

    // --- IDispatch: the ambient properties
    HRESULT GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override;
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
        VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    // The COM identity of the site.
    IUnknown* SiteUnknown() { return static_cast<IOleClientSite*>(this); }
    ULONG RefCount() const { return m_refCount; }

protected:
    // The derived class's description of its control.
    virtual void InitControlData(TControlData& data) = 0;
    // The handlers of the description's events, in its order.
    std::vector<TEventHandler> EventHandlers;
    virtual void StockEvent(DISPID id, DISPPARAMS& params);
    virtual void InvokeEvent(DISPID id, DISPPARAMS& params);
    virtual void PropertyChanged(DISPID id);
    void Loaded() override;
    // Writes FlashIndex without loading (the player overrides the loading part).
    int m_flashIndex = -1;
    TsfFlashList* m_flashList = nullptr;

    // The stream a "<stream>" token names (the player's table), or null.
    virtual TStream* TokenStream(const std::string&) { return nullptr; }

    // The colour behind the control's content when the component is not transparent.
    virtual TColor BackdropColor() { return Color(); }

private:
    class EventDispatch;
    class FrameWindow;
    class PlainSite;
    friend class EventDispatch;

    void disconnect();
    void queryInPlaceInterfaces();
    void updateBackground();
    void refreshBackground();
    void drawControl(HDC dc, const RECTL* bounds, DWORD aspect);
    void alphaRendering();
    friend class TsfFlashPlayer;

    TControlData m_data;
    ULONG m_refCount = 0;
    bool m_createFailed = false;
    bool m_transparent = true;
    bool m_inSetBounds = false;
    bool m_paintingParent = false;
    bool m_fullRepaintPending = false;
    bool m_backgroundStale = false;
    bool m_mouseCaptured = false;
    bool m_contextMenuPending = false;
    bool m_alphaCapture = false;
    bool m_hasPendingRect = false;
    RECT m_pendingRect;
    uint32_t m_backdropPixel = 0;  // what the last solid background fill used
    DWORD m_miscStatus = 0;
    DWORD m_propertyCookie = 0;
    DWORD m_eventCookie = 0;
    std::vector<uint8_t> m_objectData;
    bool m_hasObjectData = false;

    std::unique_ptr<EventDispatch> m_eventSink;
    std::unique_ptr<FrameWindow> m_frame;
    std::unique_ptr<PlainSite> m_plainSite;
    ComPtr<IOleObject> m_oleObject;
    ComPtr<IPersistStreamInit> m_persistStream;
    ComPtr<IDispatch> m_controlDispatch;
    ComPtr<IOleControl> m_oleControl;
    ComPtr<IPerPropertyBrowsing> m_propertyBrowsing;
    ComPtr<IViewObject> m_viewObject;
    ComPtr<IOleInPlaceObject> m_inPlaceObject;
    ComPtr<IOleInPlaceActiveObject> m_inPlaceActiveObject;
    ComPtr<IOleInPlaceObjectWindowless> m_windowlessObject;
    std::unique_ptr<TsfBitmap> m_backgroundBuffer;
    std::unique_ptr<TsfBitmap> m_workBuffer;
    std::unique_ptr<TsfBitmap> m_backBuffer;
    DeviceContext m_canvasDC;  // the component's canvas: the parent's surface at our place
};

// Ambient property ids.
constexpr DISPID DISPID_AMBIENT_BACKCOLOR = -701;
constexpr DISPID DISPID_AMBIENT_DISPLAYNAME = -702;
constexpr DISPID DISPID_AMBIENT_FONT = -703;
constexpr DISPID DISPID_AMBIENT_FORECOLOR = -704;
constexpr DISPID DISPID_AMBIENT_LOCALEID = -705;
constexpr DISPID DISPID_AMBIENT_MESSAGEREFLECT = -706;
constexpr DISPID DISPID_AMBIENT_USERMODE = -709;
constexpr DISPID DISPID_AMBIENT_UIDEAD = -710;
constexpr DISPID DISPID_AMBIENT_SHOWGRABHANDLES = -711;
constexpr DISPID DISPID_AMBIENT_SHOWHATCHING = -712;
constexpr DISPID DISPID_AMBIENT_SUPPORTSMNEMONICS = -714;
constexpr DISPID DISPID_AMBIENT_AUTOCLIP = -715;

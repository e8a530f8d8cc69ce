// The embedding interfaces between a container (the site) and a control: the object
// and its client site, in-place activation with and without a window, control and
// control-site, property notifications and the view object that draws into a device
// context.
#pragma once

#include "Bind.h"
#include "DeviceContext.h"
#include "Dispatch.h"

struct IOleContainer;
struct IDataObject;
struct IEnumOLEVERB;
struct IEnumSTATDATA;
struct IAdviseSink;
struct IDropTarget;
struct IOleInPlaceActiveObject;
struct LOGPALETTE;

constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_OPEN = -2;
constexpr LONG OLEIVERB_HIDE = -3;
constexpr LONG OLEIVERB_UIACTIVATE = -4;
constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
constexpr LONG OLEIVERB_DISCARDUNDOSTATE = -6;

constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
constexpr DWORD OLECLOSE_NOSAVE = 1;
constexpr DWORD OLECLOSE_PROMPTSAVE = 2;

constexpr DWORD OLEGETMONIKER_ONLYIFTHERE = 1;
constexpr DWORD OLEWHICHMK_CONTAINER = 1;
constexpr DWORD OLEWHICHMK_OBJREL = 2;
constexpr DWORD OLEWHICHMK_OBJFULL = 3;

constexpr DWORD USERCLASSTYPE_FULL = 1;
constexpr DWORD USERCLASSTYPE_SHORT = 2;

constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
constexpr DWORD OLEMISC_INVISIBLEATRUNTIME = 0x400;
constexpr DWORD OLEMISC_ALWAYSRUN = 0x800;
constexpr DWORD OLEMISC_NOUIACTIVATE = 0x4000;
constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_THUMBNAIL = 2;
constexpr DWORD DVASPECT_ICON = 4;
constexpr DWORD DVASPECT_DOCPRINT = 8;
constexpr DWORD DVASPECT_OPAQUE = 16;
constexpr DWORD DVASPECT_TRANSPARENT = 32;

// Flags of OnInPlaceActivateEx.
constexpr DWORD ACTIVATE_WINDOWLESS = 1;

// Flags of TransformCoords.
constexpr DWORD XFORMCOORDS_POSITION = 0x1;
constexpr DWORD XFORMCOORDS_SIZE = 0x2;
constexpr DWORD XFORMCOORDS_HIMETRICTOCONTAINER = 0x4;
constexpr DWORD XFORMCOORDS_CONTAINERTOHIMETRIC = 0x8;

using BORDERWIDTHS = RECT;

struct OLEINPLACEFRAMEINFO {
    UINT cb = sizeof(OLEINPLACEFRAMEINFO);
    BOOL fMDIApp = 0;
    HWND hwndFrame = nullptr;
    HACCEL haccel = nullptr;
    UINT cAccelEntries = 0;
};

struct OLEMENUGROUPWIDTHS {
    LONG width[6] = {};
};

struct CONTROLINFO {
    ULONG cb = sizeof(CONTROLINFO);
    HACCEL hAccel = nullptr;
    USHORT cAccel = 0;
    DWORD dwFlags = 0;
};

struct IOleClientSite : IUnknown {
    static constexpr IID kIid = MakeGuid("00000118-0000-0000-C000-000000000046");
    using Base = IUnknown;
    virtual HRESULT SaveObject() = 0;
    virtual HRESULT GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) = 0;
    virtual HRESULT GetContainer(IOleContainer** ppContainer) = 0;
    virtual HRESULT ShowObject() = 0;
    virtual HRESULT OnShowWindow(BOOL fShow) = 0;
    virtual HRESULT RequestNewObjectLayout() = 0;
};
inline constexpr const IID& IID_IOleClientSite = IOleClientSite::kIid;

struct IOleObject : IUnknown {
    static constexpr IID kIid = MakeGuid("00000112-0000-0000-C000-000000000046");
    using Base = IUnknown;
    virtual HRESULT SetClientSite(IOleClientSite* pClientSite) = 0;
    virtual HRESULT GetClientSite(IOleClientSite** ppClientSite) = 0;
    virtual HRESULT SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) = 0;
    virtual HRESULT Close(DWORD dwSaveOption) = 0;
    virtual HRESULT SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) = 0;
    virtual HRESULT GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) = 0;
    virtual HRESULT InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) = 0;
    virtual HRESULT GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) = 0;
    virtual HRESULT DoVerb(LONG iVerb, MSG* lpmsg, IOleClientSite* pActiveSite, LONG lindex, HWND hwndParent,
        const RECT* lprcPosRect) = 0;
    virtual HRESULT EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) = 0;
    virtual HRESULT Update() = 0;
    virtual HRESULT IsUpToDate() = 0;
    virtual HRESULT GetUserClassID(CLSID* pClsid) = 0;
    // The type name comes back as a BSTR rather than a task-memory string.
    virtual HRESULT GetUserType(DWORD dwFormOfType, BSTR* pszUserType) = 0;
    // Extents are in HIMETRIC units (0.01 mm).
    virtual HRESULT SetExtent(DWORD dwDrawAspect, SIZEL* psizel) = 0;
    virtual HRESULT GetExtent(DWORD dwDrawAspect, SIZEL* psizel) = 0;
    virtual HRESULT Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) = 0;
    virtual HRESULT Unadvise(DWORD dwConnection) = 0;
    virtual HRESULT EnumAdvise(IEnumSTATDATA** ppenumAdvise) = 0;
    virtual HRESULT GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) = 0;
    virtual HRESULT SetColorScheme(LOGPALETTE* pLogpal) = 0;
};
inline constexpr const IID& IID_IOleObject = IOleObject::kIid;

struct IOleContainer : IParseDisplayName {
    static constexpr IID kIid = MakeGuid("0000011B-0000-0000-C000-000000000046");
    using Base = IParseDisplayName;
    virtual HRESULT EnumObjects(DWORD grfFlags, IUnknown** ppenum) = 0;
    virtual HRESULT LockContainer(BOOL fLock) = 0;
};

struct IOleWindow : IUnknown {
    static constexpr IID kIid = MakeGuid("00000114-0000-0000-C000-000000000046");
    using Base = IUnknown;
    virtual HRESULT GetWindow(HWND* phwnd) = 0;
    virtual HRESULT ContextSensitiveHelp(BOOL fEnterMode) = 0;
};

struct IOleInPlaceUIWindow : IOleWindow {
    static constexpr IID kIid = MakeGuid("00000115-0000-0000-C000-000000000046");
    using Base = IOleWindow;
    virtual HRESULT GetBorder(RECT* lprectBorder) = 0;
    virtual HRESULT RequestBorderSpace(const BORDERWIDTHS* pborderwidths) = 0;
    virtual HRESULT SetBorderSpace(const BORDERWIDTHS* pborderwidths) = 0;
    virtual HRESULT SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR pszObjName) = 0;
};

struct IOleInPlaceFrame : IOleInPlaceUIWindow {
    static constexpr IID kIid = MakeGuid("00000116-0000-0000-C000-000000000046");
    using Base = IOleInPlaceUIWindow;
    virtual HRESULT InsertMenus(HMENU hmenuShared, OLEMENUGROUPWIDTHS* lpMenuWidths) = 0;
    virtual HRESULT SetMenu(HMENU hmenuShared, HOLEMENU holemenu, HWND hwndActiveObject) = 0;
    virtual HRESULT RemoveMenus(HMENU hmenuShared) = 0;
    virtual HRESULT SetStatusText(LPCOLESTR pszStatusText) = 0;
    virtual HRESULT EnableModeless(BOOL fEnable) = 0;
    virtual HRESULT TranslateAccelerator(MSG* lpmsg, WORD wID) = 0;
};

struct IOleInPlaceSite : IOleWindow {
    static constexpr IID kIid = MakeGuid("00000119-0000-0000-C000-000000000046");
    using Base = IOleWindow;
    virtual HRESULT CanInPlaceActivate() = 0;
    virtual HRESULT OnInPlaceActivate() = 0;
    virtual HRESULT OnUIActivate() = 0;
    virtual HRESULT GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, RECT* lprcPosRect,
        RECT* lprcClipRect, OLEINPLACEFRAMEINFO* lpFrameInfo) = 0;
    virtual HRESULT Scroll(SIZE scrollExtant) = 0;
    virtual HRESULT OnUIDeactivate(BOOL fUndoable) = 0;
    virtual HRESULT OnInPlaceDeactivate() = 0;
    virtual HRESULT DiscardUndoState() = 0;
    virtual HRESULT DeactivateAndUndo() = 0;
    virtual HRESULT OnPosRectChange(const RECT* lprcPosRect) = 0;
};

struct IOleInPlaceSiteEx : IOleInPlaceSite {
    static constexpr IID kIid = MakeGuid("9C2CAD80-3424-11CF-B670-00AA004CD6D8");
    using Base = IOleInPlaceSite;
    virtual HRESULT OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD dwFlags) = 0;
    virtual HRESULT OnInPlaceDeactivateEx(BOOL fNoRedraw) = 0;
    virtual HRESULT RequestUIActivate() = 0;
};

struct IOleInPlaceSiteWindowless : IOleInPlaceSiteEx {
    static constexpr IID kIid = MakeGuid("922EADA0-3424-11CF-B670-00AA004CD6D8");
    using Base = IOleInPlaceSiteEx;
    virtual HRESULT CanWindowlessActivate() = 0;
    // S_OK when the control has the mouse capture, S_FALSE otherwise.
    virtual HRESULT GetCapture() = 0;
    virtual HRESULT SetCapture(BOOL fCapture) = 0;
    virtual HRESULT GetFocus() = 0;
    virtual HRESULT SetFocus(BOOL fFocus) = 0;
    virtual HRESULT GetDC(const RECT* pRect, DWORD grfFlags, HDC* phDC) = 0;
    virtual HRESULT ReleaseDC(HDC hDC) = 0;
    virtual HRESULT InvalidateRect(const RECT* pRect, BOOL fErase) = 0;
    virtual HRESULT InvalidateRgn(HRGN hRGN, BOOL fErase) = 0;
    virtual HRESULT ScrollRect(INT dx, INT dy, const RECT* pRectScroll, const RECT* pRectClip) = 0;
    virtual HRESULT AdjustRect(RECT* prc) = 0;
    virtual HRESULT OnDefWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) = 0;
};

struct IOleInPlaceObject : IOleWindow {
    static constexpr IID kIid = MakeGuid("00000113-0000-0000-C000-000000000046");
    using Base = IOleWindow;
    virtual HRESULT InPlaceDeactivate() = 0;
    virtual HRESULT UIDeactivate() = 0;
    virtual HRESULT SetObjectRects(const RECT* lprcPosRect, const RECT* lprcClipRect) = 0;
    virtual HRESULT ReactivateAndUndo() = 0;
};

struct IOleInPlaceObjectWindowless : IOleInPlaceObject {
    static constexpr IID kIid = MakeGuid("1C2056CC-5EF4-101B-8BC8-00AA003E3B29");
    using Base = IOleInPlaceObject;
    // S_OK when the control handled the message, S_FALSE when the site should.
    virtual HRESULT OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult) = 0;
    virtual HRESULT GetDropTarget(IDropTarget** ppDropTarget) = 0;
};

struct IOleInPlaceActiveObject : IOleWindow {
    static constexpr IID kIid = MakeGuid("00000117-0000-0000-C000-000000000046");
    using Base = IOleWindow;
    virtual HRESULT TranslateAccelerator(MSG* lpmsg) = 0;
    virtual HRESULT OnFrameWindowActivate(BOOL fActivate) = 0;
    virtual HRESULT OnDocWindowActivate(BOOL fActivate) = 0;
    virtual HRESULT ResizeBorder(const RECT* prcBorder, IOleInPlaceUIWindow* pUIWindow, BOOL fFrameWindow) = 0;
    virtual HRESULT EnableModeless(BOOL fEnable) = 0;
};

struct IOleControl : IUnknown {
    static constexpr IID kIid = MakeGuid("B196B288-BAB4-101A-B69C-00AA00341D07");
    using Base = IUnknown;
    virtual HRESULT GetControlInfo(CONTROLINFO* pCI) = 0;
    virtual HRESULT OnMnemonic(MSG* pMsg) = 0;
    virtual HRESULT OnAmbientPropertyChange(DISPID dispID) = 0;
    virtual HRESULT FreezeEvents(BOOL bFreeze) = 0;
};

struct IOleControlSite : IUnknown {
    static constexpr IID kIid = MakeGuid("B196B289-BAB4-101A-B69C-00AA00341D07");
    using Base = IUnknown;
    virtual HRESULT OnControlInfoChanged() = 0;
    virtual HRESULT LockInPlaceActive(BOOL fLock) = 0;
    virtual HRESULT GetExtendedControl(IDispatch** ppDisp) = 0;
    virtual HRESULT TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) = 0;
    virtual HRESULT TranslateAccelerator(MSG* pMsg, DWORD grfModifiers) = 0;
    virtual HRESULT OnFocus(BOOL fGotFocus) = 0;
    virtual HRESULT ShowPropertyFrame() = 0;
};

struct IPropertyNotifySink : IUnknown {
    static constexpr IID kIid = MakeGuid("9BFBBC02-EFF1-101A-84ED-00AA00341D07");
    using Base = IUnknown;
    virtual HRESULT OnChanged(DISPID dispID) = 0;
    virtual HRESULT OnRequestEdit(DISPID dispID) = 0;
};
inline constexpr const IID& IID_IPropertyNotifySink = IPropertyNotifySink::kIid;

using ContinueCallback = BOOL (*)(uintptr_t dwContinue);

struct IViewObject : IUnknown {
    static constexpr IID kIid = MakeGuid("0000010D-0000-0000-C000-000000000046");
    using Base = IUnknown;
    // Bounds are logical coordinates of hdcDraw. An in-place active windowless object
    // given null bounds draws at its object rectangle.
    virtual HRESULT Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd, HDC hdcTargetDev,
        HDC hdcDraw, const RECTL* lprcBounds, const RECTL* lprcWBounds, ContinueCallback pfnContinue,
        uintptr_t dwContinue) = 0;
    virtual HRESULT GetColorSet(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
        HDC hicTargetDev, LOGPALETTE** ppColorSet) = 0;
    virtual HRESULT Freeze(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DWORD* pdwFreeze) = 0;
    virtual HRESULT Unfreeze(DWORD dwFreeze) = 0;
    virtual HRESULT SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) = 0;
    virtual HRESULT GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) = 0;
};
inline constexpr const IID& IID_IViewObject = IViewObject::kIid;

struct IViewObject2 : IViewObject {
    static constexpr IID kIid = MakeGuid("00000127-0000-0000-C000-000000000046");
    using Base = IViewObject;
    virtual HRESULT GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE* ptd, SIZEL* lpsizel) = 0;
};

struct CALPOLESTR;
struct CADWORD;

// Queried by hosts for property pages; no control of this program offers it.
struct IPerPropertyBrowsing : IUnknown {
    static constexpr IID kIid = MakeGuid("376BD3AA-3845-101B-84ED-08002B2EC713");
    using Base = IUnknown;
    virtual HRESULT GetDisplayString(DISPID dispID, BSTR* pBstr) = 0;
    virtual HRESULT MapPropertyToPage(DISPID dispID, CLSID* pClsid) = 0;
    virtual HRESULT GetPredefinedStrings(DISPID dispID, CALPOLESTR* pCaStringsOut, CADWORD* pCaCookiesOut) = 0;
    virtual HRESULT GetPredefinedValue(DISPID dispID, DWORD dwCookie, VARIANT* pVarOut) = 0;
};

// The answers TsfOleControl gives the control as its site, and its event sink.
#include "Dialogs.h"
#include "Exceptions.h"
#include "sf_olesite_parts.h"
#include "sf_utils.h"
#include "WideString.h"
#include "WindowMessages.h"

#include <cmath>

namespace {

constexpr RECT kClipAll{0, 0, 32767, 32767};

void reportHandlerError(const std::exception& e) { ErrorBox(e.what()); }

// Table B: the button of a stock mouse event; tables M and S: buttons and keys held.
TMouseButton buttonOf(int v)
{
    static const TMouseButton table[8] = {mbLeft, mbLeft, mbRight, mbLeft, mbMiddle, mbLeft, mbRight, mbLeft};
    return table[v & 7];
}

TShiftState shiftOf(int button, int shift)
{
    TShiftState s = 0;
    if (button & 1)
        s |= ssLeft;
    if (button & 2)
        s |= ssRight;
    if (button & 4)
        s |= ssMiddle;
    if (shift & 1)
        s |= ssShift;
    if (shift & 2)
        s |= ssCtrl;
    if (shift & 4)
        s |= ssAlt;
    return s;
}

} // namespace

HRESULT TsfOleControl::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    void* found = nullptr;
    if (riid == IUnknown::kIid || riid == IOleClientSite::kIid)
        found = static_cast<IOleClientSite*>(this);
    else if (riid == IServiceProvider::kIid)
        found = static_cast<IServiceProvider*>(this);
    else if (riid == IMoniker::kIid)
        found = static_cast<IMoniker*>(this);
    else if (riid == IParseDisplayName::kIid)
        found = static_cast<IParseDisplayName*>(this);
    else if (riid == IPropertyNotifySink::kIid)
        found = static_cast<IPropertyNotifySink*>(this);
    else if (riid == IOleWindow::kIid || riid == IOleInPlaceUIWindow::kIid || riid == IOleInPlaceFrame::kIid)
        found = static_cast<IOleInPlaceFrame*>(m_frame.get());
    else if (riid == IDispatch::kIid)
        found = static_cast<IDispatch*>(this);
    else if (riid == IOleInPlaceSiteWindowless::kIid)
        found = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (riid == IOleInPlaceSiteEx::kIid || riid == IOleInPlaceSite::kIid)
        found = static_cast<IOleInPlaceSiteEx*>(m_plainSite.get());
    else if (riid == IOleControlSite::kIid)
        found = static_cast<IOleControlSite*>(this);
    *ppv = found;
    if (!found)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT TsfOleControl::GetMoniker(DWORD, DWORD, IMoniker** ppmk)
{
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

HRESULT TsfOleControl::GetContainer(IOleContainer** ppContainer)
{
    if (ppContainer)
        *ppContainer = nullptr;
    return E_NOINTERFACE;
}

HRESULT TsfOleControl::GetExtendedControl(IDispatch** ppDisp)
{
    if (ppDisp)
        *ppDisp = nullptr;
    return E_NOTIMPL;
}

HRESULT TsfOleControl::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags)
{
    const int ppi = 96;
    if (!himetric || !container)
        return E_POINTER;
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(MulDiv(himetric->x, ppi, 2540));
        container->y = static_cast<float>(MulDiv(himetric->y, ppi, 2540));
    } else {
        himetric->x = static_cast<LONG>(std::lround(container->x * 2540.0 / ppi));
        himetric->y = static_cast<LONG>(std::lround(container->y * 2540.0 / ppi));
    }
    return S_OK;
}

HRESULT TsfOleControl::GetWindow(HWND* phwnd)
{
    // The windowless site's window query: the parent's window, once, right after a
    // right-button press reached the control, so that it can own its context menu.
    HWND answer = nullptr;
    if (m_contextMenuPending) {
        m_contextMenuPending = false;
        if (Parent())
            answer = static_cast<HWND>(Parent()->Handle());
    }
    if (phwnd)
        *phwnd = answer;
    return answer ? S_OK : E_FAIL;
}

HRESULT TsfOleControl::OnInPlaceActivate()
{
    queryInPlaceInterfaces();
    return S_OK;
}

HRESULT TsfOleControl::OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD)
{
    if (pfNoRedraw)
        *pfNoRedraw = 0;
    queryInPlaceInterfaces();
    return S_OK;
}

void TsfOleControl::queryInPlaceInterfaces()
{
    m_inPlaceObject = QueryAs<IOleInPlaceObject>(m_oleObject.get());
    m_inPlaceActiveObject = QueryAs<IOleInPlaceActiveObject>(m_oleObject.get());
    m_windowlessObject = QueryAs<IOleInPlaceObjectWindowless>(m_oleObject.get());
    m_viewObject = QueryAs<IViewObject>(m_oleObject.get());
}

HRESULT TsfOleControl::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, RECT* lprcPosRect,
    RECT* lprcClipRect, OLEINPLACEFRAMEINFO* lpFrameInfo)
{
    if (ppFrame) {
        *ppFrame = m_frame.get();
        AddRef();
    }
    if (ppDoc)
        *ppDoc = nullptr;
    if (lprcPosRect)
        *lprcPosRect = RECT{Left(), Top(), Left() + Width(), Top() + Height()};
    if (lprcClipRect)
        *lprcClipRect = kClipAll;
    if (lpFrameInfo) {
        lpFrameInfo->fMDIApp = 0;
        lpFrameInfo->hwndFrame = nullptr;
        lpFrameInfo->haccel = nullptr;
        lpFrameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT TsfOleControl::OnUIDeactivate(BOOL)
{
    m_frame->SetMenu(nullptr, nullptr, nullptr);
    return S_OK;
}

HRESULT TsfOleControl::OnInPlaceDeactivate()
{
    m_inPlaceActiveObject.reset();
    m_inPlaceObject.reset();
    m_windowlessObject.reset();
    m_viewObject.reset();
    return S_OK;
}

HRESULT TsfOleControl::DeactivateAndUndo()
{
    if (m_inPlaceObject)
        m_inPlaceObject->UIDeactivate();
    return S_OK;
}

HRESULT TsfOleControl::OnPosRectChange(const RECT* lprcPosRect)
{
    if (m_inPlaceObject)
        m_inPlaceObject->SetObjectRects(lprcPosRect, &kClipAll);
    return S_OK;
}

HRESULT TsfOleControl::SetCapture(BOOL fCapture)
{
    if (Parent() && Parent()->Handle())
        m_mouseCaptured = fCapture != 0;
    return S_OK;
}

HRESULT TsfOleControl::GetDC(const RECT*, DWORD, HDC* phDC)
{
    TCanvasTarget target = CanvasTarget();
    m_canvasDC.pixels = reinterpret_cast<uint8_t*>(target.surface.pixels);
    m_canvasDC.width = target.surface.width;
    m_canvasDC.height = target.surface.height;
    m_canvasDC.stride = target.surface.stride;
    m_canvasDC.windowOrg = POINT{-target.x, -target.y};
    if (phDC)
        *phDC = &m_canvasDC;
    return S_OK;
}

HRESULT TsfOleControl::AdjustRect(RECT* prc)
{
    if (prc)
        *prc = RECT{0, 0, Width(), Height()};
    return S_OK;
}

HRESULT TsfOleControl::OnDefWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* plResult)
{
    TMessage m{msg, wParam, lParam, 0};
    DefaultHandler(m);
    if (plResult)
        *plResult = m.Result;
    return S_OK;
}

HRESULT TsfOleControl::OnChanged(DISPID dispID)
{
    PropertyChanged(dispID);
    return S_OK;
}

HRESULT TsfOleControl::GetTypeInfoCount(UINT* pctinfo)
{
    if (pctinfo)
        *pctinfo = 0;
    return S_OK;
}

HRESULT TsfOleControl::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT TsfOleControl::Invoke(DISPID id, REFIID, LCID, WORD wFlags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (!(wFlags & DISPATCH_PROPERTYGET) || !result)
        return DISP_E_MEMBERNOTFOUND;
    switch (id) {
    case DISPID_AMBIENT_BACKCOLOR: *result = VariantFromInt32(Color()); break;
    case DISPID_AMBIENT_DISPLAYNAME: *result = VariantFromString(Utf8ToWide(Name())); break;
    case DISPID_AMBIENT_FORECOLOR: *result = VariantFromInt32(ColorToRGB(clWindowText)); break;
    case DISPID_AMBIENT_LOCALEID: *result = VariantFromInt32(LOCALE_USER_DEFAULT); break;
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_USERMODE:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
    case DISPID_AMBIENT_AUTOCLIP: *result = VariantFromBool(true); break;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING: *result = VariantFromBool(false); break;
    default: return DISP_E_MEMBERNOTFOUND;
    }
    return S_OK;
}

void TsfOleControl::StockEvent(DISPID id, DISPPARAMS& params)
{
    try {
        switch (id) {
        case -600: Click(); break;
        case -601: DblClick(); break;
        case -602:
        case -603:
        case -604:
            // Key arguments are read and handed back unchanged.
            break;
        case -605:
        case -606:
        case -607: {
            if (params.cArgs < 4)
                break;
            int button = sf_utils::DispArgInt(params, 0), shift = sf_utils::DispArgInt(params, 1), x = sf_utils::DispArgInt(params, 2), y = sf_utils::DispArgInt(params, 3);
            TShiftState state = shiftOf(button, shift);
            if (id == -605)
                MouseDown(buttonOf(button), state, x, y);
            else if (id == -606)
                MouseMove(state, x, y);
            else
                MouseUp(buttonOf(button), state, x, y);
            break;
        }
        default: break;
        }
    } catch (const std::exception& e) {
        reportHandlerError(e);
    }
}

void TsfOleControl::InvokeEvent(DISPID id, DISPPARAMS& params)
{
    for (size_t i = 0; i < m_data.EventDispIDs.size(); ++i) {
        if (m_data.EventDispIDs[i] != id)
            continue;
        if (i < EventHandlers.size() && EventHandlers[i]) {
            try {
                EventHandlers[i](params);
            } catch (const std::exception& e) {
                reportHandlerError(e);
            }
        }
        return;
    }
}

void TsfOleControl::PropertyChanged(DISPID id)
{
    // Stock colour, font and enabled properties: the Flash control announces none.
    if (id == -501 && m_controlDispatch) {
        VARIANT v;
        if (SUCCEEDED(DispGetProperty(m_controlDispatch.get(), -501, &v)) && v.vt == VT_I4)
            TGraphicControl::SetColor(v.lVal);
    }
}

HRESULT TsfOleControl::EventDispatch::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    if (riid == IUnknown::kIid || riid == IDispatch::kIid || riid == m_owner.m_data.EventIID) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT TsfOleControl::EventDispatch::GetTypeInfoCount(UINT* pctinfo)
{
    if (pctinfo)
        *pctinfo = 0;
    return S_OK;
}

HRESULT TsfOleControl::EventDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT TsfOleControl::EventDispatch::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
    UINT*)
{
    DISPPARAMS none;
    DISPPARAMS& p = params ? *params : none;
    if (id >= -607 && id <= -600)
        m_owner.StockEvent(id, p);
    else
        m_owner.InvokeEvent(id, p);
    return S_OK;
}

HRESULT TsfOleControl::FrameWindow::QueryInterface(REFIID riid, void** ppv) { return m_owner.QueryInterface(riid, ppv); }

HRESULT TsfOleControl::FrameWindow::GetWindow(HWND* phwnd)
{
    if (phwnd)
        *phwnd = nullptr;
    return E_FAIL;
}

HRESULT TsfOleControl::FrameWindow::SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR)
{
    m_owner.m_inPlaceActiveObject = pActiveObject;
    return S_OK;
}

HRESULT TsfOleControl::FrameWindow::InsertMenus(HMENU, OLEMENUGROUPWIDTHS* widths)
{
    if (widths)
        *widths = OLEMENUGROUPWIDTHS{};
    return S_OK;
}

HRESULT TsfOleControl::PlainSite::GetWindow(HWND* phwnd)
{
    if (phwnd)
        *phwnd = nullptr;
    return E_FAIL;
}

// In-place activation without a window, the object rectangles, and the window
// messages a windowless host forwards to the control.
#include "FlashControl.h"

#include "WindowMessages.h"

#include <algorithm>

namespace flashcontrol {

HRESULT FlashControl::DoVerb(LONG verb, MSG*, IOleClientSite* activeSite, LONG, HWND, const RECT* posRect)
{
    switch (verb) {
    case OLEIVERB_INPLACEACTIVATE: return activateInPlace(activeSite, posRect, false);
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_UIACTIVATE: return activateInPlace(activeSite, posRect, true);
    case OLEIVERB_HIDE: return UIDeactivate();
    case OLEIVERB_DISCARDUNDOSTATE: return S_OK;
    default: return E_NOTIMPL;  // no window of our own to open
    }
}

HRESULT FlashControl::activateInPlace(IOleClientSite* site, const RECT* posRect, bool uiActivate)
{
    IOleClientSite* useSite = site ? site : m_clientSite.get();
    if (!useSite)
        return E_UNEXPECTED;
    if (!m_inPlaceActive) {
        // There are no windows on this platform: only a windowless site can hold us.
        auto windowless = QueryAs<IOleInPlaceSiteWindowless>(useSite);
        if (!windowless || windowless->CanInPlaceActivate() != S_OK || windowless->CanWindowlessActivate() != S_OK)
            return E_FAIL;
        BOOL noRedraw = 0;
        HRESULT hr = windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
        if (FAILED(hr))
            return hr;
        m_windowlessSite = windowless;
        m_inPlaceActive = true;
        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> document;
        RECT pos = posRect ? *posRect : RECT{};
        RECT clip = pos;
        OLEINPLACEFRAMEINFO info;
        hr = windowless->GetWindowContext(frame.put(), document.put(), &pos, &clip, &info);
        if (FAILED(hr)) {
            InPlaceDeactivate();
            return hr;
        }
        m_frame = frame;
        m_uiWindow = document;
        setRects(pos, clip);
    }
    if (uiActivate && !m_uiActive) {
        m_uiActive = true;
        m_windowlessSite->OnUIActivate();
        auto* active = static_cast<IOleInPlaceActiveObject*>(this);
        if (m_frame)
            m_frame->SetActiveObject(active, nullptr);
        if (m_uiWindow)
            m_uiWindow->SetActiveObject(active, nullptr);
    }
    requestRepaint();
    return S_OK;
}

void FlashControl::setRects(const RECT& pos, const RECT& clip)
{
    m_posRect = pos;
    m_clipRect = clip;
    m_engine->setViewSize(std::max<LONG>(0, pos.width()), std::max<LONG>(0, pos.height()));
}

void FlashControl::requestRepaint()
{
    // Null asks for the whole object: the engine does not tell which part changed.
    if (m_inPlaceActive && m_windowlessSite && !m_loadingEngine)
        m_windowlessSite->InvalidateRect(nullptr, 0);
}

HRESULT FlashControl::GetWindow(HWND* hwnd)
{
    if (!hwnd)
        return E_POINTER;
    *hwnd = nullptr;
    return E_FAIL;  // windowless
}

HRESULT FlashControl::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::InPlaceDeactivate()
{
    if (!m_inPlaceActive)
        return S_OK;
    UIDeactivate();
    if (m_capture && m_windowlessSite)
        m_windowlessSite->SetCapture(0);
    m_capture = false;
    m_inPlaceActive = false;
    auto site = std::move(m_windowlessSite);
    m_windowlessSite.reset();
    m_frame.reset();
    m_uiWindow.reset();
    site->OnInPlaceDeactivateEx(1);
    return S_OK;
}

HRESULT FlashControl::UIDeactivate()
{
    if (!m_uiActive)
        return S_OK;
    m_uiActive = false;
    if (m_frame)
        m_frame->SetActiveObject(nullptr, nullptr);
    if (m_uiWindow)
        m_uiWindow->SetActiveObject(nullptr, nullptr);
    if (m_windowlessSite)
        m_windowlessSite->OnUIDeactivate(0);
    return S_OK;
}

HRESULT FlashControl::SetObjectRects(const RECT* posRect, const RECT* clipRect)
{
    if (!posRect)
        return E_INVALIDARG;
    setRects(*posRect, clipRect ? *clipRect : *posRect);
    return S_OK;
}

HRESULT FlashControl::ReactivateAndUndo()
{
    return INPLACE_E_NOTUNDOABLE;
}

HRESULT FlashControl::OnWindowMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT* result)
{
    if (result)
        *result = 0;
    if (!m_inPlaceActive)
        return S_FALSE;
    // Mouse positions arrive in the site's coordinates, those of the object rectangle.
    int x = GET_X_LPARAM(lParam) - m_posRect.left;
    int y = GET_Y_LPARAM(lParam) - m_posRect.top;
    ComPtr<IUnknown> keepAlive(identity());
    switch (msg) {
    case WM_MOUSEMOVE:
        m_engine->mouseMove(x, y);
        return S_OK;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // Keep receiving the mouse while the button is held, as a pressed button needs.
        if (m_windowlessSite && SUCCEEDED(m_windowlessSite->SetCapture(1)))
            m_capture = true;
        m_engine->mouseMove(x, y);
        m_engine->mouseDown(x, y);
        return S_OK;
    case WM_LBUTTONUP:
        m_engine->mouseUp(x, y);
        if (m_capture && m_windowlessSite)
            m_windowlessSite->SetCapture(0);
        m_capture = false;
        return S_OK;
    case WM_RBUTTONDOWN:
        // The context menu needs an owner window, which the site hands out right after
        // a press it passed on. We have no menu to show, but take the window so that
        // the site's state follows the press as it would.
        if (m_state.menu && m_windowlessSite) {
            HWND owner = nullptr;
            m_windowlessSite->GetWindow(&owner);
        }
        return S_OK;
    case WM_RBUTTONUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return S_OK;
    case WM_SETCURSOR:
        if (result)
            *result = 1;  // the arrow stays: no cursor of our own
        return S_OK;
    default:
        return S_FALSE;
    }
}

HRESULT FlashControl::GetDropTarget(IDropTarget** target)
{
    if (target)
        *target = nullptr;
    return E_NOTIMPL;
}

HRESULT FlashControl::TranslateAccelerator(MSG*)
{
    return S_FALSE;
}

HRESULT FlashControl::OnFrameWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT FlashControl::OnDocWindowActivate(BOOL)
{
    return S_OK;
}

HRESULT FlashControl::ResizeBorder(const RECT*, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}

HRESULT FlashControl::EnableModeless(BOOL)
{
    return S_OK;
}

}  // namespace flashcontrol

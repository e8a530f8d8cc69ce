// The parts of TsfOleControl's site that need their own interface tables: the event
// sink, the in-place frame (and UI window), and the plain in-place site whose window
// query answers differently from the windowless one.
#pragma once

#include "sf_olecontrol.h"

class TsfOleControl::EventDispatch final : public IDispatch {
public:
    explicit EventDispatch(TsfOleControl& owner) : m_owner(owner) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return m_owner.AddRef(); }
    ULONG Release() override { return m_owner.Release(); }
    HRESULT GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override;
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    TsfOleControl& m_owner;
};

class TsfOleControl::FrameWindow final : public IOleInPlaceFrame {
public:
    explicit FrameWindow(TsfOleControl& owner) : m_owner(owner) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return m_owner.AddRef(); }
    ULONG Release() override { return m_owner.Release(); }
    HRESULT GetWindow(HWND* phwnd) override;
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT GetBorder(RECT*) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT RequestBorderSpace(const BORDERWIDTHS*) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT SetBorderSpace(const BORDERWIDTHS*) override { return E_NOTIMPL; }
    HRESULT SetActiveObject(IOleInPlaceActiveObject* pActiveObject, LPCOLESTR) override;
    // The program has no main menu to merge with, so the shared menu stays empty.
    HRESULT InsertMenus(HMENU, OLEMENUGROUPWIDTHS* widths) override;
    HRESULT SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT RemoveMenus(HMENU) override { return S_OK; }
    HRESULT SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT EnableModeless(BOOL) override { return S_OK; }
    HRESULT TranslateAccelerator(MSG*, WORD) override { return S_FALSE; }

private:
    TsfOleControl& m_owner;
};

class TsfOleControl::PlainSite final : public IOleInPlaceSiteEx {
public:
    explicit PlainSite(TsfOleControl& owner) : m_owner(owner) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override { return m_owner.QueryInterface(riid, ppv); }
    ULONG AddRef() override { return m_owner.AddRef(); }
    ULONG Release() override { return m_owner.Release(); }
    HRESULT GetWindow(HWND* phwnd) override;
    HRESULT ContextSensitiveHelp(BOOL f) override { return m_owner.ContextSensitiveHelp(f); }
    HRESULT CanInPlaceActivate() override { return m_owner.CanInPlaceActivate(); }
    HRESULT OnInPlaceActivate() override { return m_owner.OnInPlaceActivate(); }
    HRESULT OnUIActivate() override { return m_owner.OnUIActivate(); }
    HRESULT GetWindowContext(IOleInPlaceFrame** f, IOleInPlaceUIWindow** d, RECT* p, RECT* c,
        OLEINPLACEFRAMEINFO* i) override
    {
        return m_owner.GetWindowContext(f, d, p, c, i);
    }
    HRESULT Scroll(SIZE s) override { return m_owner.Scroll(s); }
    HRESULT OnUIDeactivate(BOOL u) override { return m_owner.OnUIDeactivate(u); }
    HRESULT OnInPlaceDeactivate() override { return m_owner.OnInPlaceDeactivate(); }
    HRESULT DiscardUndoState() override { return m_owner.DiscardUndoState(); }
    HRESULT DeactivateAndUndo() override { return m_owner.DeactivateAndUndo(); }
    HRESULT OnPosRectChange(const RECT* r) override { return m_owner.OnPosRectChange(r); }
    HRESULT OnInPlaceActivateEx(BOOL* n, DWORD f) override { return m_owner.OnInPlaceActivateEx(n, f); }
    HRESULT OnInPlaceDeactivateEx(BOOL n) override { return m_owner.OnInPlaceDeactivateEx(n); }
    HRESULT RequestUIActivate() override { return m_owner.RequestUIActivate(); }

private:
    TsfOleControl& m_owner;
};

// The drawing and input half of TsfOleControl: the back buffers, the background
// behind the control, the control's repaint requests, mouse messages and cursor.
#include "Bitmap.h"
#include "Canvas.h"
#include "WindowMessages.h"
#include "sf_olecontrol.h"
#include "sf_utils.h"

#include <cstring>

namespace {

struct Flag {
    bool& flag;
    explicit Flag(bool& f) : flag(f) { flag = true; }
    ~Flag() { flag = false; }
};

void clearFlags(TsfBitmap& b)
{
    b.AlphaBlend = false;
    b.Transparent = false;
}

} // namespace

void TsfOleControl::SetBounds(int left, int top, int width, int height)
{
    if (m_createFailed || m_inSetBounds) {
        TGraphicControl::SetBounds(left, top, width, height);
        return;
    }
    TGraphicControl::SetBounds(left, top, width, height);
    Flag guard(m_inSetBounds);
    RECT r{0, 0, width, height};
    if (m_inPlaceObject)
        m_inPlaceObject->SetObjectRects(&r, &r);
    if (m_windowlessObject)
        m_windowlessObject->SetObjectRects(&r, &r);
    for (auto* buffer : {&m_backgroundBuffer, &m_workBuffer, &m_backBuffer}) {
        if (!*buffer)
            *buffer = std::make_unique<TsfBitmap>();
        (*buffer)->SetSize(width, height);
    }
    if (m_alphaCapture) {
        m_backgroundBuffer->Fill(0);
        m_workBuffer->Fill(0);
        m_backBuffer->Fill(0);
    }
    updateBackground();
    m_fullRepaintPending = true;
}

void TsfOleControl::updateBackground()
{
    if (m_alphaCapture || !Parent() || !Parent()->Handle() || Loading())
        return;
    if (!m_backgroundBuffer || !m_backBuffer || !m_backBuffer->DC())
        return;
    if (m_transparent) {
        Flag painting(m_paintingParent);
        // Our windows draw their border inside their surface, so the area under the
        // component is found at its own position, without a border offset.
        HDC dc = m_backgroundBuffer->DC();
        TSurface target{reinterpret_cast<uint32_t*>(dc->pixels), dc->width, dc->height, dc->stride};
        Parent()->PaintTo(target, -Left(), -Top());
    } else {
        m_backgroundBuffer->Fill(ColorToPixel(Color(), 255));
    }
}

void TsfOleControl::SetTransparent(bool value)
{
    if (value == m_transparent)
        return;
    m_transparent = value;
    updateBackground();
    Paint();
}

void TsfOleControl::drawControl(HDC dc, const RECTL* bounds, DWORD aspect)
{
    m_viewObject->Draw(aspect, -1, nullptr, nullptr, nullptr, dc, bounds, nullptr, nullptr, 0);
}

void TsfOleControl::Paint()
{
    if (m_paintingParent || !Parent() || !Parent()->Handle())
        return;
    if (m_backgroundStale) {
        m_backgroundStale = false;
        updateBackground();
    }
    if (OnPaint)
        OnPaint(this);
    if (Width() > 0 && Height() > 0 && m_viewObject && m_backBuffer) {
        if (m_alphaCapture) {
            twoBackgroundRendering();
        } else {
            clearFlags(*m_backBuffer);
            if (m_hasPendingRect) {
                const RECT& r = m_pendingRect;
                m_backgroundBuffer->DrawToBitmap(*m_workBuffer, 0, 0, r);
                MoveWindowOrg(m_workBuffer->DC(), -r.left, -r.top);
                RECTL bounds{0, 0, r.right, r.bottom};
                drawControl(m_workBuffer->DC(), &bounds, DVASPECT_TRANSPARENT);
                MoveWindowOrg(m_workBuffer->DC(), r.left, r.top);
                m_workBuffer->DrawToBitmap(*m_backBuffer, r.left, r.top, RECT{0, 0, r.width(), r.height()});
            } else {
                m_backgroundBuffer->DrawToBitmap(*m_backBuffer, 0, 0);
                drawControl(m_backBuffer->DC(), nullptr, DVASPECT_TRANSPARENT);
            }
            HDC canvas = nullptr;
            GetDC(nullptr, 0, &canvas);
            m_backBuffer->DrawTo(canvas, 0, 0);
            if (Parent()->OnSurfaceChanged)
                Parent()->OnSurfaceChanged(Parent());
        }
    }
    m_hasPendingRect = false;
}

HRESULT TsfOleControl::InvalidateRect(const RECT* pRect, BOOL)
{
    if (!Parent())
        return S_OK;
    m_hasPendingRect = pRect != nullptr;
    if (pRect)
        m_pendingRect = *pRect;
    if (m_fullRepaintPending) {
        m_fullRepaintPending = false;
        m_hasPendingRect = false;
    }
    Paint();
    return S_OK;
}

HRESULT TsfOleControl::InvalidateRgn(HRGN, BOOL)
{
    if (Parent()) {
        m_hasPendingRect = false;
        Paint();
    }
    return S_OK;
}

void TsfOleControl::WndProc(TMessage& message)
{
    if (m_createFailed || message.Msg == WM_PAINT) {
        DefaultHandler(message);
        return;
    }
    if (message.Msg == WM_RBUTTONDOWN) {
        if (DisableFlashPopup) {
            DefaultHandler(message);
            return;
        }
        m_contextMenuPending = true;
    }
    if (!m_windowlessObject) {
        DefaultHandler(message);
        return;
    }
    LRESULT result = 0;
    HRESULT hr = m_windowlessObject->OnWindowMessage(message.Msg, message.WParam, message.LParam, &result);
    if (hr == S_OK && message.Msg >= WM_MOUSEMOVE && message.Msg <= WM_MOUSEWHEEL) {
        if (DisableFlashCursor) {
            SetScreenCursor(Cursor());
        } else {
            LRESULT ignored = 0;
            m_windowlessObject->OnWindowMessage(WM_SETCURSOR, 0, MAKELONG(HTCLIENT, WM_MOUSEMOVE), &ignored);
        }
    }
    if (hr == S_OK)
        message.Result = result;
    DefaultHandler(message);
}

void TsfOleControl::CopyFrameTo(TCanvas& canvas)
{
    if (m_backBuffer)
        m_backBuffer->DrawToCanvas(canvas, 0, 0);
}

std::unique_ptr<TBitmap> TsfOleControl::RenderBitmap()
{
    if (!m_workBuffer || m_workBuffer->Width() < 1 || m_workBuffer->Height() < 1 || !m_viewObject)
        return nullptr;
    auto bitmap = std::make_unique<TBitmap>(m_workBuffer->Width(), m_workBuffer->Height(), pf32bit);
    clearFlags(*m_workBuffer);
    m_workBuffer->FillRect(RECT{0, 0, m_workBuffer->Width(), m_workBuffer->Height()}, 0);
    RECTL bounds{0, 0, Width(), Height()};
    drawControl(m_workBuffer->DC(), &bounds, DVASPECT_CONTENT);
    for (int y = 0; y < bitmap->Height(); ++y)
        std::memcpy(bitmap->ScanLine(y), m_workBuffer->PixelPtr(0, y), static_cast<size_t>(bitmap->Width()) * 4);
    return bitmap;
}

void TsfOleControl::twoBackgroundRendering()
{
    clearFlags(*m_backBuffer);
    const RECT& r = m_pendingRect;
    bool inside = m_hasPendingRect && r.right <= m_workBuffer->Width() && r.bottom <= m_workBuffer->Height();
    if (!inside) {
        m_backgroundBuffer->Fill(0xFF000000u);
        drawControl(m_backgroundBuffer->DC(), nullptr, DVASPECT_TRANSPARENT);
        m_backBuffer->Fill(0xFFFFFFFFu);
        drawControl(m_backBuffer->DC(), nullptr, DVASPECT_TRANSPARENT);
        combinePixels(RECT{0, 0, m_workBuffer->Width(), m_workBuffer->Height()});
        return;
    }
    for (auto [fill, target] : {std::pair{0xFF000000u, m_backgroundBuffer.get()}, std::pair{0xFFFFFFFFu, m_backBuffer.get()}}) {
        clearFlags(*m_workBuffer);
        m_workBuffer->FillRect(RECT{0, 0, r.width(), r.height()}, fill);
        MoveWindowOrg(m_workBuffer->DC(), -r.left, -r.top);
        RECTL bounds{0, 0, r.right, r.bottom};
        drawControl(m_workBuffer->DC(), &bounds, DVASPECT_TRANSPARENT);
        MoveWindowOrg(m_workBuffer->DC(), r.left, r.top);
        m_workBuffer->DrawToBitmap(*target, r.left, r.top, RECT{0, 0, r.width(), r.height()});
    }
    combinePixels(r);
}



void TsfOleControl::combinePixels(const RECT& r)
{
    for (int y = std::max(0, int(r.top)); y < std::min(int(r.bottom), m_backBuffer->Height()); ++y)
        for (int x = std::max(0, int(r.left)); x < std::min(int(r.right), m_backBuffer->Width()); ++x) {
            uint32_t* w = m_backBuffer->PixelPtr(x, y);
            *w = CombineBlackWhite(*m_backgroundBuffer->PixelPtr(x, y), *w);
        }
}

// The drawing and input half of TsfOleControl: the back buffers, the background
// behind the control, the control's repaint requests, mouse messages and cursor.
#include "Bitmap.h"
#include "Canvas.h"
#include "WindowMessages.h"
#include "sf_olecontrol.h"
#include "sf_utils.h"

#include <algorithm>
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
        m_backdropPixel = ColorToPixel(BackdropColor(), 255);
        m_backgroundBuffer->Fill(m_backdropPixel);
    }
}

void TsfOleControl::refreshBackground()
{
    if (m_backgroundStale) {
        m_backgroundStale = false;
        updateBackground();
        return;
    }
    // The backdrop follows the colour it stands for: a movie names its stage colour
    // only once it has loaded, and a player may be given another.
    if (!m_transparent && m_backgroundBuffer && !m_alphaCapture &&
        ColorToPixel(BackdropColor(), 255) != m_backdropPixel) {
        updateBackground();
        m_hasPendingRect = false;
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
    refreshBackground();
    if (OnPaint)
        OnPaint(this);
    if (Width() > 0 && Height() > 0 && m_viewObject && m_backBuffer) {
        if (m_alphaCapture) {
            alphaRendering();
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
    // A fresh rendering of what the composed frame shows: the content over the same
    // background, so that a snapshot and a copy of the frame never disagree.
    refreshBackground();
    auto bitmap = std::make_unique<TBitmap>(m_workBuffer->Width(), m_workBuffer->Height(), pf32bit);
    clearFlags(*m_workBuffer);
    m_backgroundBuffer->DrawToBitmap(*m_workBuffer, 0, 0);
    RECTL bounds{0, 0, Width(), Height()};
    drawControl(m_workBuffer->DC(), &bounds, DVASPECT_CONTENT);
    for (int y = 0; y < bitmap->Height(); ++y)
        std::memcpy(bitmap->ScanLine(y), m_workBuffer->PixelPtr(0, y), static_cast<size_t>(bitmap->Width()) * 4);
    return bitmap;
}

void TsfOleControl::alphaRendering()
{
    // Drawn once over the background (the frame a person sees) and once over clear
    // pixels (where the movie paints, and how opaquely). Both renderings show the same
    // frame, so every feature of the movie, blend modes included, keeps its look.
    clearFlags(*m_backBuffer);
    clearFlags(*m_workBuffer);
    m_backgroundBuffer->DrawToBitmap(*m_backBuffer, 0, 0);
    drawControl(m_backBuffer->DC(), nullptr, DVASPECT_TRANSPARENT);
    m_workBuffer->Fill(0);
    drawControl(m_workBuffer->DC(), nullptr, DVASPECT_TRANSPARENT);
    const int width = std::min({m_backBuffer->Width(), m_workBuffer->Width(), m_backgroundBuffer->Width()});
    const int height = std::min({m_backBuffer->Height(), m_workBuffer->Height(), m_backgroundBuffer->Height()});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t* seen = m_backBuffer->PixelPtr(x, y);
            *seen = CombineWithBackdrop(*m_workBuffer->PixelPtr(x, y), *seen, *m_backgroundBuffer->PixelPtr(x, y));
        }
}

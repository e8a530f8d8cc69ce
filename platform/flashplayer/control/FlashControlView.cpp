// Drawing into a device context: the view object of the control.
#include "FlashControl.h"

#include "PropertyText.h"

#include <algorithm>

namespace flashcontrol {
namespace {
RECT intersect(const RECT& a, const RECT& b)
{
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.empty())
        return RECT{};
    return r;
}

void fill(const EngineSurface& s, uint32_t rgb)
{
    for (int y = 0; y < s.height; ++y) {
        uint8_t* p = s.pixels + ptrdiff_t(y) * s.stride;
        for (int x = 0; x < s.width; ++x, p += 4) {
            p[0] = uint8_t(rgb);
            p[1] = uint8_t(rgb >> 8);
            p[2] = uint8_t(rgb >> 16);
            p[3] = 255;
        }
    }
}
}

HRESULT FlashControl::Draw(DWORD aspect, LONG lindex, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, const RECTL* bounds,
    const RECTL*, ContinueCallback, uintptr_t)
{
    if (aspect != DVASPECT_CONTENT && aspect != DVASPECT_TRANSPARENT)
        return DV_E_DVASPECT;
    if (lindex != -1)
        return DV_E_LINDEX;
    if (!hdcDraw || !hdcDraw->pixels || hdcDraw->stride < hdcDraw->width * 4)
        return E_INVALIDARG;
    // In place, the picture sits at the object rectangle, whatever bounds say: a host
    // repainting part of it passes that part's bounds with the origin moved, and the
    // picture must not be squeezed into them. Bounds then only clip.
    RECT target;
    RECT clip;
    if (m_inPlaceActive) {
        target = m_posRect;
        clip = intersect(m_posRect, m_clipRect);
        if (bounds)
            clip = intersect(clip, *bounds);
    } else if (bounds) {
        target = clip = *bounds;
    } else {
        return E_INVALIDARG;
    }
    RECT device = hdcDraw->logicalToDevice(target);
    RECT visible = intersect(hdcDraw->logicalToDevice(clip), RECT{0, 0, hdcDraw->width, hdcDraw->height});
    if (visible.empty() || target.empty())
        return S_OK;
    EngineSurface surface{hdcDraw->pixelAt(visible.left, visible.top), visible.width(), visible.height(), hdcDraw->stride};
    if (!m_engine->isLoaded()) {
        if (!transparentMode())
            fill(surface, m_state.backgroundColor < 0 ? 0xFFFFFF : ColourRefToRgb(m_state.backgroundColor));
        return S_OK;
    }
    // Out of place the picture is scaled to the bounds for this one drawing.
    bool resized = !m_inPlaceActive;
    if (resized)
        m_engine->setViewSize(target.width(), target.height());
    m_engine->render(surface, device.left - visible.left, device.top - visible.top);
    if (resized)
        m_engine->setViewSize(m_posRect.width(), m_posRect.height());
    return S_OK;
}

HRESULT FlashControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colours)
{
    if (colours)
        *colours = nullptr;
    return S_FALSE;  // 32-bit drawing: no palette
}

HRESULT FlashControl::Freeze(DWORD, LONG, void*, DWORD* freeze)
{
    if (freeze)
        *freeze = 0;
    return E_NOTIMPL;
}

HRESULT FlashControl::Unfreeze(DWORD)
{
    return E_NOTIMPL;
}

HRESULT FlashControl::SetAdvise(DWORD, DWORD, IAdviseSink*)
{
    // Windowless hosts learn of changes through InvalidateRect; no view advise here.
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT FlashControl::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink)
{
    if (aspects)
        *aspects = 0;
    if (advf)
        *advf = 0;
    if (sink)
        *sink = nullptr;
    return S_OK;
}

HRESULT FlashControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, SIZEL* size)
{
    return GetExtent(aspect, size);
}

}  // namespace flashcontrol

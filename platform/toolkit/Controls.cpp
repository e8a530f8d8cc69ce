#include "Controls.h"

#include <algorithm>
#include <cstddef>

TControl::TControl() = default;

TControl::~TControl()
{
    if (m_parent)
        m_parent->RemoveControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == m_parent)
        return;
    if (m_parent)
        m_parent->RemoveControl(this);
    m_parent = parent;
    if (m_parent)
        m_parent->InsertControl(this);
}

void TControl::SetVisible(bool v)
{
    if (v == m_visible)
        return;
    m_visible = v;
    if (m_parent)
        m_parent->Repaint();
}

void TControl::EndLoading()
{
    m_loading = false;
    Loaded();
}

void TControl::Invalidate()
{
    if (m_parent)
        m_parent->RepaintRect(BoundsRect());
}

void TControl::WndProc(TMessage& message) { DefaultHandler(message); }

void TControl::DefaultHandler(TMessage& message)
{
    int x = PointX(message.LParam), y = PointY(message.LParam);
    TShiftState shift = static_cast<TShiftState>(message.WParam);
    switch (message.Msg) {
    case wm::LButtonDown:
        m_pressed = true;
        MouseDown(mbLeft, shift, x, y);
        break;
    case wm::LButtonUp:
        MouseUp(mbLeft, shift, x, y);
        if (m_pressed && x >= 0 && y >= 0 && x < m_width && y < m_height)
            Click();
        m_pressed = false;
        break;
    case wm::LButtonDblClk: DblClick(); break;
    case wm::RButtonDown: MouseDown(mbRight, shift, x, y); break;
    case wm::RButtonUp: MouseUp(mbRight, shift, x, y); break;
    case wm::MButtonDown: MouseDown(mbMiddle, shift, x, y); break;
    case wm::MButtonUp: MouseUp(mbMiddle, shift, x, y); break;
    case wm::MouseMove: MouseMove(shift, x, y); break;
    default: break;
    }
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

TCanvasTarget TGraphicControl::CanvasTarget() const
{
    TWinControl* parent = Parent();
    if (!parent)
        return {};
    if (parent->m_redirect)
        return TCanvasTarget{*parent->m_redirect, parent->m_redirectX + Left(), parent->m_redirectY + Top()};
    return TCanvasTarget{parent->Surface(), Left(), Top()};
}

TWinControl::TWinControl() { SetColor(clBtnFace); }

TWinControl::~TWinControl()
{
    for (TControl* child : std::vector<TControl*>(m_children))
        child->SetParent(nullptr);
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    TControl::SetBounds(left, top, width, height);
    resizeSurface();
}

void TWinControl::resizeSurface()
{
    size_t size = static_cast<size_t>(std::max(Width(), 0)) * static_cast<size_t>(std::max(Height(), 0));
    if (m_pixels.size() != size)
        m_pixels.assign(size, 0);
}

void TWinControl::InsertControl(TControl* child)
{
    if (std::find(m_children.begin(), m_children.end(), child) == m_children.end())
        m_children.push_back(child);
}

void TWinControl::RemoveControl(TControl* child)
{
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
    if (m_mouseOwner == child)
        m_mouseOwner = nullptr;
}

void* TWinControl::Handle()
{
    m_handleCreated = true;
    return this;
}

TSurface TWinControl::Surface()
{
    resizeSurface();
    return TSurface{m_pixels.data(), Width(), Height(), Width() * 4};
}

void TWinControl::PaintWindow(const TSurface& target, int x, int y)
{
    uint32_t fill = 0xFF000000u | (uint32_t(GetRValue(ColorToRGB(Color()))) << 16) |
                    (uint32_t(GetGValue(ColorToRGB(Color()))) << 8) | GetBValue(ColorToRGB(Color()));
    int border = ClientEdge ? 2 : BorderSingle ? 1 : 0;
    for (int row = 0; row < Height(); ++row) {
        int ty = y + row;
        if (ty < 0 || ty >= target.height)
            continue;
        auto* line = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(target.pixels) + ptrdiff_t(ty) * target.stride);
        for (int col = 0; col < Width(); ++col) {
            int tx = x + col;
            if (tx < 0 || tx >= target.width)
                continue;
            bool edge = col < border || row < border || col >= Width() - border || row >= Height() - border;
            line[tx] = edge ? 0xFF808080u : fill;
        }
    }
}

void TWinControl::paintChildren()
{
    for (TControl* child : m_children)
        if (child->Visible())
            child->Paint();
}

void TWinControl::PaintTo(const TSurface& target, int x, int y)
{
    const TSurface* saved = m_redirect;
    int sx = m_redirectX, sy = m_redirectY;
    m_redirect = &target;
    m_redirectX = x;
    m_redirectY = y;
    PaintWindow(target, x, y);
    paintChildren();
    m_redirect = saved;
    m_redirectX = sx;
    m_redirectY = sy;
}

void TWinControl::Repaint()
{
    TSurface own = Surface();
    PaintWindow(own, 0, 0);
    paintChildren();
    if (OnSurfaceChanged)
        OnSurfaceChanged(this);
}

void TWinControl::RepaintRect(const TRect& rect)
{
    // Children paint whole; the rectangle only decides who takes part.
    for (TControl* child : m_children)
        if (child->Visible() && !IntersectRect(child->BoundsRect(), rect).IsEmpty())
            child->Paint();
    if (OnSurfaceChanged)
        OnSurfaceChanged(this);
}

void TWinControl::MouseMessage(uint32_t msg, uintptr_t wParam, int x, int y)
{
    TControl* target = m_mouseOwner;
    if (!target) {
        for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
            TControl* c = *it;
            if (c->Visible() && x >= c->Left() && y >= c->Top() && x < c->Left() + c->Width() && y < c->Top() + c->Height()) {
                target = c;
                break;
            }
        }
    }
    if (msg == wm::LButtonDown || msg == wm::RButtonDown || msg == wm::MButtonDown)
        m_mouseOwner = target;
    else if (msg == wm::LButtonUp || msg == wm::RButtonUp || msg == wm::MButtonUp)
        m_mouseOwner = nullptr;
    TMessage m{msg, wParam, PackPoint(x - (target ? target->Left() : 0), y - (target ? target->Top() : 0)), 0};
    if (target)
        target->WndProc(m);
    else
        WndProc(m);
}

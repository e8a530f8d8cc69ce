// The toolkit's controls, as far as the program's components need them: a control
// with bounds, a parent, a name and mouse events; a graphic control that has no window
// of its own and paints on its parent; and a windowed control that owns a 32-bit
// surface (rows top-down, bytes blue, green, red, alpha) into which it and its
// children paint. A front end (Qt widgets in the program, nothing in tests) shows a
// windowed control's surface and feeds it the mouse.
#pragma once

#include "Types.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TWinControl;

// Mouse and paint messages, with the platform's numbers so that they pass unchanged to
// controls that expect them.
namespace wm {
constexpr uint32_t Paint = 0x000F;
constexpr uint32_t SetCursor = 0x0020;
constexpr uint32_t MouseMove = 0x0200;
constexpr uint32_t LButtonDown = 0x0201;
constexpr uint32_t LButtonUp = 0x0202;
constexpr uint32_t LButtonDblClk = 0x0203;
constexpr uint32_t RButtonDown = 0x0204;
constexpr uint32_t RButtonUp = 0x0205;
constexpr uint32_t MButtonDown = 0x0207;
constexpr uint32_t MButtonUp = 0x0208;
constexpr uint32_t MouseWheel = 0x020A;
} // namespace wm

struct TMessage {
    uint32_t Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

inline intptr_t PackPoint(int x, int y)
{
    return static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                                 (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}
inline int PointX(intptr_t lp) { return static_cast<int16_t>(lp & 0xFFFF); }
inline int PointY(intptr_t lp) { return static_cast<int16_t>((lp >> 16) & 0xFFFF); }

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };
using TShiftState = unsigned;
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crHandPoint = -21;

// A 32-bit surface (rows top-down).
struct TSurface {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per row
};

class TControl {
public:
    TControl();
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    TRect BoundsRect() const { return Bounds(m_left, m_top, m_width, m_height); }
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, m_top, m_width, m_height); }
    void SetTop(int v) { SetBounds(m_left, v, m_width, m_height); }
    void SetWidth(int v) { SetBounds(m_left, m_top, v, m_height); }
    void SetHeight(int v) { SetBounds(m_left, m_top, m_width, v); }

    TWinControl* Parent() const { return m_parent; }
    virtual void SetParent(TWinControl* parent);
    const std::string& Name() const { return m_name; }
    virtual void SetName(const std::string& name) { m_name = name; }
    bool Visible() const { return m_visible; }
    void SetVisible(bool v);
    TColor Color() const { return m_color; }
    virtual void SetColor(TColor c) { m_color = c; }
    TCursor Cursor() const { return m_cursor; }
    void SetCursor(TCursor c) { m_cursor = c; }

    // True while the component is being read from stored form data.
    bool Loading() const { return m_loading; }
    void BeginLoading() { m_loading = true; }
    void EndLoading();
    // The component is being designed (never, in this program).
    bool Designing() const { return false; }

    // Paints the control onto the surface of its parent at its place.
    virtual void Paint() {}
    // Every message for the control arrives here; the default turns mouse messages
    // into the On... events below.
    virtual void WndProc(TMessage& message);
    // Asks the parent to repaint the control's area now.
    void Invalidate();

    std::function<void(TControl*)> OnClick;
    std::function<void(TControl*)> OnDblClick;
    std::function<void(TControl*, TMouseButton, TShiftState, int, int)> OnMouseDown;
    std::function<void(TControl*, TShiftState, int, int)> OnMouseMove;
    std::function<void(TControl*, TMouseButton, TShiftState, int, int)> OnMouseUp;
    // The cursor the front end shows over the control, last set by SetScreenCursor.
    TCursor ScreenCursor() const { return m_screenCursor; }
    void SetScreenCursor(TCursor c) { m_screenCursor = c; }

    // The toolkit's own handling of a message (what WndProc does by default).
    void DefaultHandler(TMessage& message);
    void Click();
    void DblClick();
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

protected:
    virtual void Loaded() {}

private:
    int m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    TWinControl* m_parent = nullptr;
    std::string m_name;
    bool m_visible = true;
    bool m_loading = false;
    bool m_pressed = false;
    TColor m_color = clBtnFace;
    TCursor m_cursor = crDefault;
    TCursor m_screenCursor = crDefault;
};

// Where a graphic control paints: a surface and the place of the control's top-left
// corner on it (which may lie outside the surface).
struct TCanvasTarget {
    TSurface surface;
    int x = 0;
    int y = 0;
};

// A control without a window: it paints on its parent's surface.
class TGraphicControl : public TControl {
public:
    // The surface the parent is painting into now (its own, or another one during
    // PaintTo); an empty surface without a parent.
    TCanvasTarget CanvasTarget() const;
};

// A control with a window: it owns a surface, paints its background and then its
// children, and routes mouse messages to the child under the pointer.
class TWinControl : public TControl {
public:
    TWinControl();
    ~TWinControl() override;

    void SetBounds(int left, int top, int width, int height) override;
    const std::vector<TControl*>& Controls() const { return m_children; }
    void InsertControl(TControl* child);
    void RemoveControl(TControl* child);

    // The window handle: non-null once the window exists (created on demand).
    void* Handle();
    bool HandleAllocated() const { return m_handleCreated; }
    // Extended style: a sunken client edge; style: a thin border.
    bool ClientEdge = false;
    bool BorderSingle = false;

    TSurface Surface();
    // Repaints the whole window: background, border, then every visible child.
    void Repaint();
    // Repaints one rectangle (children overlapping it repaint themselves).
    void RepaintRect(const TRect& rect);
    // Paints the window, border and children included, into another surface with the
    // window's top-left corner at (x, y).
    void PaintTo(const TSurface& target, int x, int y);
    // A mouse message at window coordinates: goes to the topmost visible child under
    // the point (or the one holding the mouse), in the child's coordinates.
    void MouseMessage(uint32_t msg, uintptr_t wParam, int x, int y);

    std::function<void(TWinControl*)> OnSurfaceChanged;

protected:
    virtual void PaintWindow(const TSurface& target, int x, int y);

private:
    void resizeSurface();
    void paintChildren();

    std::vector<TControl*> m_children;
    std::vector<uint32_t> m_pixels;
    bool m_handleCreated = false;
    TControl* m_mouseOwner = nullptr;
    const TSurface* m_redirect = nullptr;  // PaintTo draws into another surface
    int m_redirectX = 0, m_redirectY = 0;
    friend class TGraphicControl;
};

// A drawing surface bound to a window: what the window shows, to be copied from.
#pragma once

#include "Types.h"

class TCanvas;
class TWinControl;

class TWindowCanvas {
public:
    explicit TWindowCanvas(TWinControl& window) : m_window(window) {}

    TWinControl& Window() const { return m_window; }
    // Copies rect of the window onto the same rect of dest, pixel for pixel. What lies
    // outside the window or dest is left as it is.
    void CopyTo(TCanvas& dest, const TRect& rect) const;

private:
    TWinControl& m_window;
};

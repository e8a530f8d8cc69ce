#include "Centring.h"

#include <QWidget>

int HalfRoundedToEven(int n)
{
    // Floor division first, so negative extents round the same way as positive ones.
    int q = n >= 0 ? n / 2 : -((-n + 1) / 2);
    bool halfway = (n % 2) != 0;
    if (halfway && (q % 2) != 0)
        ++q;  // q and q + 1 are equally near: take the even one
    return q;
}

int CentredOffset(int panelExtent, int viewExtent)
{
    return HalfRoundedToEven(panelExtent) - HalfRoundedToEven(viewExtent);
}

void CentreInPanel(QWidget& view, const QWidget& panel)
{
    view.move(CentredOffset(panel.width(), view.width()), CentredOffset(panel.height(), view.height()));
}

void CentreHorizontally(QWidget& view, const QWidget& panel)
{
    view.move(CentredOffset(panel.width(), view.width()), view.y());
}

void CentreVertically(QWidget& view, const QWidget& panel)
{
    view.move(view.x(), CentredOffset(panel.height(), view.height()));
}

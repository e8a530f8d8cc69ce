// Centring a source view in its panel. Halves round to the even integer, so a
// 441-wide panel and a 440-wide view give 0 (220 - 220), and a panel smaller than its
// view gives a negative offset: the view stays centred and the panel clips it.
#pragma once

class QWidget;

// R(n / 2): n halved, rounded to the nearest integer, a value exactly halfway going
// to the even neighbour.
int HalfRoundedToEven(int n);

// The offset of a view of extent viewExtent centred in a panel of extent panelExtent.
int CentredOffset(int panelExtent, int viewExtent);

// Moves view (a child of panel) so that it is centred on both axes; its size stays.
void CentreInPanel(QWidget& view, const QWidget& panel);
void CentreHorizontally(QWidget& view, const QWidget& panel);
void CentreVertically(QWidget& view, const QWidget& panel);

// Fixed positions with anchors, the way the windows were designed: every control has
// a rectangle at the container's design size, and the sides it is anchored to keep
// their distance to the container's edges when the container is resized. A control
// anchored left and right grows with the width; anchored right only, it moves.
#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <functional>
#include <vector>

class QWidget;

enum AnchorSide : unsigned {
    akLeft = 1,
    akTop = 2,
    akRight = 4,
    akBottom = 8,
};
inline constexpr unsigned akTopLeft = akLeft | akTop;
inline constexpr unsigned akAll = akLeft | akTop | akRight | akBottom;

// The rectangle of a control designed at design inside a container designed at
// designSize, once the container measures actual.
QRect AnchoredRect(const QRect& design, unsigned anchors, QSize designSize, QSize actual);

// A design made for a container of nominal size, moved to a container whose size at
// the design window is reference: controls anchored to the right or bottom only keep
// their distance to that side; all others keep their design rectangle.
QRect AlignedToReference(const QRect& design, unsigned anchors, QSize nominal, QSize reference);

class AnchorArea : public QObject {
public:
    // Watches container's resizes; owned by the container.
    AnchorArea(QWidget& container, QSize designSize);

    // The area of container, created on first use with container's design size.
    static AnchorArea& of(QWidget& container, QSize designSize);

    // Places child at its design rectangle now and after every resize.
    void add(QWidget& child, const QRect& design, unsigned anchors = akTopLeft);
    // Moves a control to a new design rectangle (a control the program resizes).
    void setDesignRect(QWidget& child, const QRect& design);
    QSize designSize() const { return m_designSize; }
    // For a container whose size at the design window is only known once laid out
    // (a page of a page control, whose tabs the style measures): the function gives
    // that size, and the design is aligned to it.
    void setReference(std::function<QSize()> reference);
    // Places every control again.
    void relayout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QWidget* child;
        QRect design;
        unsigned anchors;
    };
    QRect place(const Entry& entry) const;

    QWidget& m_container;
    QSize m_designSize;
    std::vector<Entry> m_entries;
    std::function<QSize()> m_reference;
};

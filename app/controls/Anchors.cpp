#include "Anchors.h"

#include <QEvent>
#include <QWidget>

namespace {

// One axis: start and extent of a control whose container grew by delta.
void anchorAxis(int& start, int& extent, bool nearSide, bool farSide, int delta)
{
    if (nearSide && farSide)
        extent += delta;
    else if (farSide)
        start += delta;
    else if (!nearSide)
        start += delta / 2;  // anchored to neither side: keeps its relative place
}

} // namespace

QRect AnchoredRect(const QRect& design, unsigned anchors, QSize designSize, QSize actual)
{
    int x = design.x(), w = design.width(), y = design.y(), h = design.height();
    anchorAxis(x, w, anchors & akLeft, anchors & akRight, actual.width() - designSize.width());
    anchorAxis(y, h, anchors & akTop, anchors & akBottom, actual.height() - designSize.height());
    return QRect(x, y, std::max(0, w), std::max(0, h));
}

QRect AlignedToReference(const QRect& design, unsigned anchors, QSize nominal, QSize reference)
{
    QRect aligned = design;
    if ((anchors & akRight) && !(anchors & akLeft))
        aligned.translate(reference.width() - nominal.width(), 0);
    if ((anchors & akBottom) && !(anchors & akTop))
        aligned.translate(0, reference.height() - nominal.height());
    return aligned;
}

AnchorArea::AnchorArea(QWidget& container, QSize designSize)
    : QObject(&container), m_container(container), m_designSize(designSize)
{
    setObjectName(QStringLiteral("anchors"));
    container.installEventFilter(this);
}

AnchorArea& AnchorArea::of(QWidget& container, QSize designSize)
{
    for (QObject* child : container.children()) {
        if (auto* area = dynamic_cast<AnchorArea*>(child))
            return *area;
    }
    return *new AnchorArea(container, designSize);
}

void AnchorArea::add(QWidget& child, const QRect& design, unsigned anchors)
{
    m_entries.push_back({&child, design, anchors});
    child.setGeometry(place(m_entries.back()));
}

void AnchorArea::setDesignRect(QWidget& child, const QRect& design)
{
    for (Entry& entry : m_entries) {
        if (entry.child == &child) {
            entry.design = design;
            child.setGeometry(place(entry));
        }
    }
}

bool AnchorArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_container && event->type() == QEvent::Resize)
        relayout();
    return false;
}

void AnchorArea::setReference(std::function<QSize()> reference)
{
    m_reference = std::move(reference);
    relayout();
}

QRect AnchorArea::place(const Entry& entry) const
{
    if (!m_reference)
        return AnchoredRect(entry.design, entry.anchors, m_designSize, m_container.size());
    const QSize reference = m_reference();
    const QRect aligned = AlignedToReference(entry.design, entry.anchors, m_designSize, reference);
    return AnchoredRect(aligned, entry.anchors, reference, m_container.size());
}

void AnchorArea::relayout()
{
    for (const Entry& entry : m_entries)
        entry.child->setGeometry(place(entry));
}

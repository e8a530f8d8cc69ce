#include "ColorBox.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

QColor toQColor(TColor color)
{
    TColor rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor fromQColor(const QColor& color)
{
    return RGB(uint8_t(color.red()), uint8_t(color.green()), uint8_t(color.blue()));
}

const char* const CustomCaption = "Custom...";

} // namespace

QIcon ColorSwatch(TColor color, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(toQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(QColor(70, 70, 70));
    painter.drawRect(0, 0, size - 1, size - 1);
    return QIcon(pixmap);
}

const std::vector<TColorBox::NamedColor>& TColorBox::entries()
{
    static const std::vector<NamedColor> list = {
        {clBlack, "Black"},       {clMaroon, "Maroon"},   {clGreen, "Green"},       {clOlive, "Olive"},
        {clNavy, "Navy"},         {clPurple, "Purple"},   {clTeal, "Teal"},         {clGray, "Gray"},
        {clSilver, "Silver"},     {clRed, "Red"},         {clLime, "Lime"},         {clYellow, "Yellow"},
        {clBlue, "Blue"},         {clFuchsia, "Fuchsia"}, {clAqua, "Aqua"},         {clWhite, "White"},
        {clMoneyGreen, "Money Green"}, {clSkyBlue, "Sky Blue"}, {clCream, "Cream"}, {clMedGray, "Medium Gray"},
    };
    return list;
}

TColorBox::TColorBox(QWidget* parent) : QComboBox(parent)
{
    setIconSize(QSize(12, 12));
    for (const NamedColor& entry : entries())
        addItem(ColorSwatch(entry.color), QString::fromLatin1(entry.name), QVariant::fromValue<int>(entry.color));
    addItem(ColorSwatch(m_custom), QString::fromLatin1(CustomCaption), QVariant::fromValue<int>(m_custom));
    // Only a finished choice counts as a change: picking the custom entry asks for a
    // colour first.
    connect(this, qOverload<int>(&QComboBox::activated), this, &TColorBox::entryActivated);
}

TColor TColorBox::selected() const
{
    return static_cast<TColor>(currentData().toInt());
}

void TColorBox::setSelected(TColor color)
{
    const TColor before = static_cast<TColor>(itemData(m_last).toInt());
    for (int i = 0; i < customIndex(); ++i) {
        if (static_cast<TColor>(itemData(i).toInt()) == color) {
            setCurrentIndex(i);
            m_last = i;
            if (before != color)
                emit changed(color);
            return;
        }
    }
    setCustom(color);
}

void TColorBox::setCustom(TColor color)
{
    // The colour shown before: a user's pick of the custom entry has already moved
    // the current index there.
    const TColor before = static_cast<TColor>(itemData(m_last).toInt());
    m_custom = color;
    const int index = customIndex();
    setItemIcon(index, ColorSwatch(color));
    setItemData(index, QVariant::fromValue<int>(color));
    setCurrentIndex(index);
    m_last = index;
    if (before != color)
        emit changed(color);
}

void TColorBox::entryActivated(int index)
{
    if (index != customIndex()) {
        const bool changedEntry = index != m_last;
        m_last = index;
        if (changedEntry)
            emit changed(selected());
        return;
    }
    QColor chosen = QColorDialog::getColor(toQColor(m_custom), this);
    if (chosen.isValid())
        setCustom(fromQColor(chosen));
    else
        setCurrentIndex(m_last);  // cancelled: back to what was chosen before
}

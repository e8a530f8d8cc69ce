#include "Unit1SettingsRows.h"

#include "controls/ColorBox.h"
#include "controls/FileField.h"
#include "controls/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace {
constexpr int FirstRowTop = 24;
constexpr int RowPitch = 34;
} // namespace

int SettingsRows::rowTop() const
{
    return FirstRowTop + m_row * RowPitch + m_offset;
}

QLabel* SettingsRows::label(const QString& name, const QString& text, const QRect& rect)
{
    auto* caption = new QLabel(text, &m_box);
    caption->setObjectName(name);
    caption->setGeometry(rect);
    return caption;
}

TSpinEdit* SettingsRows::numberAt(const QString& name, const NumberDesign& design, const QRect& rect)
{
    auto* field = new TSpinEdit(&m_box);
    field->setObjectName(name);
    field->setRange(design.minimum, design.maximum);
    field->setIncrement(design.step);
    // Raising the minimum has already lifted an unset field to it.
    if (design.value)
        field->setValue(*design.value);
    field->setGeometry(rect);
    return field;
}

QCheckBox* SettingsRows::checkAt(const QString& name, const QString& caption, bool checked, const QRect& rect)
{
    auto* box = new QCheckBox(caption, &m_box);
    box->setObjectName(name);
    box->setChecked(checked);
    box->setGeometry(rect);
    return box;
}

TSpinEdit* SettingsRows::number(const QString& name, const QString& label, const QString& unit,
                                const NumberDesign& design)
{
    this->label(name + QStringLiteral("Label"), label, cell(LabelLeft, LabelWidth));
    TSpinEdit* field = numberAt(name, design, cell(FieldLeft, NumberWidth));
    this->label(name + QStringLiteral("Unit"), unit, cell(UnitLeft, UnitWidth));
    nextRow();
    return field;
}

QComboBox* SettingsRows::makeList(const QString& name, const QStringList& entries, int selected, const QRect& rect)
{
    auto* box = new QComboBox(&m_box);
    box->setObjectName(name);
    box->addItems(entries);
    box->setCurrentIndex(selected);
    box->setGeometry(rect);
    return box;
}

QComboBox* SettingsRows::list(const QString& name, const QString& label, const QStringList& entries, int selected)
{
    this->label(name + QStringLiteral("Label"), label, cell(LabelLeft, LabelWidth));
    QComboBox* box = makeList(name, entries, selected, cell(FieldLeft, ListWidth));
    nextRow();
    return box;
}

QComboBox* SettingsRows::wideList(const QString& name, const QString& label, const QStringList& entries, int selected)
{
    this->label(name + QStringLiteral("Label"), label, cell(LabelLeft, WideWidth));
    belowLabel();
    QComboBox* box = makeList(name, entries, selected, cell(LabelLeft, WideWidth));
    nextRow();
    return box;
}

QCheckBox* SettingsRows::check(const QString& name, const QString& caption, bool checked)
{
    QCheckBox* box = checkAt(name, caption, checked, cell(LabelLeft, WideWidth));
    nextRow();
    return box;
}

TColorBox* SettingsRows::colour(const QString& name, const QString& label, TColor selected)
{
    this->label(name + QStringLiteral("Label"), label, cell(LabelLeft, LabelWidth));
    auto* picker = new TColorBox(&m_box);
    picker->setObjectName(name);
    picker->setSelected(selected);
    picker->setGeometry(cell(FieldLeft, ListWidth));
    nextRow();
    return picker;
}

FileField* SettingsRows::file(const QString& name, const QString& label, const QString& filter)
{
    this->label(name + QStringLiteral("Label"), label, cell(LabelLeft, WideWidth));
    belowLabel();
    auto* field = new FileField(filter, &m_box);
    field->setObjectName(name);
    field->setGeometry(cell(LabelLeft, WideWidth));
    nextRow();
    return field;
}

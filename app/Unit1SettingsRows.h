// Fills a settings box row by row: a label, the control, and the unit after it.
// Every control gets its component name; its labels get the name with "Label" or
// "Unit" appended, so each caption can be found.
#pragma once

#include "Types.h"

#include <QRect>
#include <optional>
#include <QString>
#include <QStringList>

class FileField;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QWidget;
class TColorBox;
class TSpinEdit;

struct NumberDesign {
    std::optional<int> value;  // none: the field shows what its range makes of 0
    int minimum;
    int maximum;
    int step;
};

class SettingsRows {
public:
    explicit SettingsRows(QGroupBox& box) : m_box(box) {}

    TSpinEdit* number(const QString& name, const QString& label, const QString& unit, const NumberDesign& design);
    QComboBox* list(const QString& name, const QString& label, const QStringList& entries, int selected);
    // The label on one row and the list under it across the box, for long entries.
    QComboBox* wideList(const QString& name, const QString& label, const QStringList& entries, int selected);
    QCheckBox* check(const QString& name, const QString& caption, bool checked);
    TColorBox* colour(const QString& name, const QString& label, TColor selected);
    // The label on one row and the field under it across the box.
    FileField* file(const QString& name, const QString& label, const QString& filter);

    // Pieces for rows of their own shape.
    QLabel* label(const QString& name, const QString& text, const QRect& rect);
    TSpinEdit* numberAt(const QString& name, const NumberDesign& design, const QRect& rect);
    QCheckBox* checkAt(const QString& name, const QString& caption, bool checked, const QRect& rect);
    // The top of the next row, and moving past it.
    int rowTop() const;
    void nextRow() { ++m_row; }

    // Columns of a row, in box coordinates.
    static constexpr int LabelLeft = 8, LabelWidth = 64;
    static constexpr int FieldLeft = 74, NumberWidth = 68, ListWidth = 113;
    static constexpr int UnitLeft = 146, UnitWidth = 44;
    static constexpr int RowHeight = 22;

    static constexpr int WideWidth = FieldLeft + ListWidth - LabelLeft;

private:
    QComboBox* makeList(const QString& name, const QStringList& entries, int selected, const QRect& rect);
    QRect cell(int left, int width) const { return QRect(left, rowTop(), width, RowHeight); }

    // A label above its control takes less than a whole row.
    void belowLabel() { m_offset -= LabelAboveGap; ++m_row; }
    static constexpr int LabelAboveGap = 8;

    QGroupBox& m_box;
    int m_row = 0;
    int m_offset = 0;
};

// A number field: an integer typed as text or changed by its up and down buttons by
// a step. When the minimum and maximum differ every value is clamped to them; when
// both are 0 the field is not bounded. The value is read from the text, so a field
// the user emptied holds no integer.
#pragma once

#include <QAbstractSpinBox>
#include <optional>

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    // The text as an integer, clamped when the field is bounded; none when the text
    // is empty or not an integer.
    std::optional<int> value() const;
    // Shows value, clamped when bounded. Runs the change signal when the text changes,
    // exactly as typing would.
    void setValue(int value);
    // Raising the minimum above the value raises the value; lowering the maximum
    // below it lowers the value.
    void setMinValue(int minimum);
    void setMaxValue(int maximum);
    void setRange(int minimum, int maximum);
    void setIncrement(int step) { m_increment = step; }
    int minValue() const { return m_min; }
    int maxValue() const { return m_max; }
    int increment() const { return m_increment; }
    bool bounded() const { return m_min != m_max; }
    int clamp(long long value) const;

    // The last integer the text held (the value shown at creation before any); what a
    // reader falls back on while the user has emptied the field.
    int lastValidValue() const { return m_lastValid; }

    QString text() const;
    void setText(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    QSize sizeHint() const override;

signals:
    // The text changed, by the user or by the program.
    void changed();

protected:
    StepEnabled stepEnabled() const override;

private:
    void clampShownValue();

    int m_min = 0;
    int m_max = 0;
    int m_increment = 1;
    int m_lastValid = 0;
};

// Reads a whole decimal integer (optional minus sign); none for anything else,
// including numbers beyond the 32-bit range.
std::optional<int> ParseInteger(const QString& text);

#include "SpinEdit.h"

#include <QLineEdit>
#include <algorithm>
#include <charconv>
#include <climits>

std::optional<int> ParseInteger(const QString& text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    if (bytes.isEmpty())
        return std::nullopt;
    int value = 0;
    const char* end = bytes.constData() + bytes.size();
    auto [ptr, ec] = std::from_chars(bytes.constData(), end, value);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    setAccelerated(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (std::optional<int> typed = value())
            m_lastValid = *typed;
        emit changed();
    });
    // Leaving the field shows the clamped number instead of an out-of-range one.
    connect(this, &QAbstractSpinBox::editingFinished, this, &TSpinEdit::clampShownValue);
}

int TSpinEdit::clamp(long long value) const
{
    if (bounded())
        value = std::clamp<long long>(value, std::min(m_min, m_max), std::max(m_min, m_max));
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::optional<int> TSpinEdit::value() const
{
    std::optional<int> typed = ParseInteger(text());
    if (!typed)
        return std::nullopt;
    return clamp(*typed);
}

void TSpinEdit::setValue(int value)
{
    setText(QString::number(clamp(value)));
}

QString TSpinEdit::text() const
{
    return lineEdit()->text();
}

void TSpinEdit::setText(const QString& text)
{
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
}

void TSpinEdit::setMinValue(int minimum)
{
    m_min = minimum;
    clampShownValue();
}

void TSpinEdit::setMaxValue(int maximum)
{
    m_max = maximum;
    clampShownValue();
}

void TSpinEdit::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = maximum;
    clampShownValue();
}

void TSpinEdit::clampShownValue()
{
    if (std::optional<int> shown = value())
        setValue(*shown);
}

void TSpinEdit::stepBy(int steps)
{
    // An empty field steps from its minimum, as if it showed it.
    long long base = value().value_or(bounded() ? std::min(m_min, m_max) : 0);
    setValue(clamp(base + static_cast<long long>(steps) * m_increment));
    selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const
{
    if (isReadOnly())
        return StepNone;
    std::optional<int> shown = value();
    if (!shown || !bounded())
        return StepUpEnabled | StepDownEnabled;
    StepEnabled enabled = StepNone;
    if (*shown < std::max(m_min, m_max))
        enabled |= StepUpEnabled;
    if (*shown > std::min(m_min, m_max))
        enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State TSpinEdit::validate(QString& input, int& pos) const
{
    // Digits with an optional leading minus; empty and a lone minus are on the way
    // to a number.
    static constexpr int MaxLength = 11;
    if (input.size() > MaxLength)
        return QValidator::Invalid;
    for (int i = 0; i < input.size(); ++i) {
        QChar c = input.at(i);
        if (!(c.isDigit() && c.unicode() < 128) && !(c == u'-' && i == 0))
            return QValidator::Invalid;
    }
    if (input.isEmpty() || input == QStringLiteral("-"))
        return QValidator::Intermediate;
    return ParseInteger(input) ? QValidator::Acceptable : QValidator::Intermediate;
}

void TSpinEdit::fixup(QString& input) const
{
    if (std::optional<int> typed = ParseInteger(input))
        input = QString::number(clamp(*typed));
}

QSize TSpinEdit::sizeHint() const
{
    return QAbstractSpinBox::sizeHint().expandedTo(QSize(60, 22));
}

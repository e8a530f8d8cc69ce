// A colour picker: a list of the sixteen standard colours, four extended ones and a
// custom entry that asks for any colour. Colours are TColor values (red in the low byte).
#pragma once

#include "Types.h"

#include <QComboBox>

class TColorBox : public QComboBox {
    Q_OBJECT
public:
    explicit TColorBox(QWidget* parent = nullptr);

    TColor selected() const;
    // Selects the entry of that colour, or makes it the custom colour.
    void setSelected(TColor color);

    struct NamedColor {
        TColor color;
        const char* name;
    };
    static const std::vector<NamedColor>& entries();

signals:
    void changed(TColor color);

private:
    void entryActivated(int index);
    void setCustom(TColor color);
    int customIndex() const { return count() - 1; }

    TColor m_custom = clBlack;
    int m_last = 0;
};

// A square swatch of the colour with a dark border, for list entries.
QIcon ColorSwatch(TColor color, int size = 12);

// The part every conversion page has in common: the preview group box with its black
// panel, source view, placeholder picture, track bar and player buttons, the start
// menu button with the stop button over it, and the right column with Open, the
// settings box, Preview and Save.
#pragma once

#include "look/Placeholders.h"

#include <QSize>
#include <QString>

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QTabWidget;
class QWidget;

struct StartMenuEntry {
    const char* name;
    QString caption;
    bool isDefault;
};

// What tells the pages apart.
struct PageDesign {
    QString suffix;  // of the component names: "x", "y", "z", or "" on the video page
    QString tab;
    QString boxTitle;
    QString start, stop, open, preview, save;
    QString settingsTitle;
    StartMenuEntry first, second;
    QString viewName;
    QSize viewSize;
    bool viewVisible;
    int panelHeight;
    PlaceholderKind picture;
};

struct PreviewPage {
    QWidget* sheet = nullptr;
    QGroupBox* box = nullptr;
    QFrame* panel = nullptr;
    QWidget* view = nullptr;
    QLabel* placeholder = nullptr;
    QSlider* trackBar = nullptr;
    QPushButton* play = nullptr;
    QPushButton* pause = nullptr;
    QPushButton* replay = nullptr;
    QPushButton* start = nullptr;
    QPushButton* stop = nullptr;
    QMenu* startMenu = nullptr;
    QAction* firstEntry = nullptr;
    QAction* secondEntry = nullptr;
    QPushButton* open = nullptr;
    QPushButton* preview = nullptr;
    QPushButton* save = nullptr;
    QGroupBox* settings = nullptr;
};

// The size of a page of the page control when the window has its design size.
inline constexpr QSize SheetDesignSize{679, 444};
inline constexpr QSize SettingsBoxSize{195, 284};

// Adds a page to pages and builds its common part; the settings box is left empty.
PreviewPage BuildPreviewPage(QTabWidget& pages, const PageDesign& design);

#include "Unit1PreviewArea.h"

#include "controls/Anchors.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

namespace {

constexpr QSize BoxDesignSize{460, 427};

QPushButton* makeButton(QWidget& parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, &parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// The black panel with the source view (centred later by the form) and the
// placeholder picture stretched over it.
void buildPanel(PreviewPage& page, const PageDesign& design)
{
    QFrame& panel = *page.panel;
    const QSize panelSize = panel.size();
    panel.setStyleSheet(QStringLiteral("QFrame#%1 { background: #000000; border: none; }").arg(panel.objectName()));

    page.view = new QWidget(&panel);
    page.view->setObjectName(design.viewName);
    page.view->setAttribute(Qt::WA_StyledBackground);
    page.view->setStyleSheet(QStringLiteral("background: #ffffff;"));
    page.view->setGeometry(QRect(QPoint(0, 0), design.viewSize));
    page.view->setVisible(design.viewVisible);

    page.placeholder = new QLabel(&panel);
    page.placeholder->setObjectName(QStringLiteral("Placeholder") + design.suffix);
    page.placeholder->setPixmap(PlaceholderPicture(design.picture));
    page.placeholder->setScaledContents(true);
    AnchorArea::of(panel, panelSize).add(*page.placeholder, QRect(QPoint(0, 0), panelSize), akAll);
}

void buildStartMenu(PreviewPage& page, const PageDesign& design)
{
    page.startMenu = new QMenu(page.start);
    page.startMenu->setObjectName(QStringLiteral("StartMenu") + design.suffix);
    for (const StartMenuEntry* entry : {&design.first, &design.second}) {
        QAction* action = page.startMenu->addAction(entry->caption);
        action->setObjectName(QString::fromLatin1(entry->name));
        if (entry->isDefault)
            page.startMenu->setDefaultAction(action);
    }
    page.firstEntry = page.startMenu->actions().at(0);
    page.secondEntry = page.startMenu->actions().at(1);
    page.start->setMenu(page.startMenu);
    page.start->setProperty("menuButton", true);
}

void buildPreviewBox(PreviewPage& page, const PageDesign& design)
{
    QGroupBox& box = *page.box;
    AnchorArea& area = AnchorArea::of(box, BoxDesignSize);

    page.panel = new QFrame(&box);
    page.panel->setObjectName(QStringLiteral("PanelB") + design.suffix);
    const QRect panelRect(8, 27, 441, design.panelHeight);
    page.panel->resize(panelRect.size());
    buildPanel(page, design);
    area.add(*page.panel, panelRect, akAll);

    page.trackBar = new QSlider(Qt::Horizontal, &box);
    page.trackBar->setObjectName(QStringLiteral("TrackBar") + design.suffix);
    page.trackBar->setRange(0, 100);
    area.add(*page.trackBar, QRect(8, 356, 441, 24), akLeft | akRight | akBottom);

    const int row = 386, height = 31;
    struct Spec {
        QPushButton** slot;
        const char* name;
        QString caption;
        QRect rect;
    };
    const Spec buttons[] = {
        {&page.play, "PlayBtn", QStringLiteral("播放"), QRect(8, row, 72, height)},
        {&page.pause, "PauseBtn", QStringLiteral("暫停"), QRect(84, row, 72, height)},
        {&page.replay, "ReplayBtn", QStringLiteral("重放"), QRect(160, row, 72, height)},
        {&page.start, "StartBtn", design.start, QRect(236, row, 150, height)},
        // Created last, so it lies above the start button it covers when shown.
        {&page.stop, "StopBtn", design.stop, QRect(236, row, 150, height)},
    };
    for (const Spec& spec : buttons) {
        *spec.slot = makeButton(box, QString::fromLatin1(spec.name) + design.suffix, spec.caption);
        area.add(**spec.slot, spec.rect, akLeft | akBottom);
    }
    page.stop->hide();
    buildStartMenu(page, design);
}

void buildRightColumn(PreviewPage& page, const PageDesign& design)
{
    AnchorArea& area = AnchorArea::of(*page.sheet, SheetDesignSize);
    const int left = 476, width = SettingsBoxSize.width();

    page.open = makeButton(*page.sheet, QStringLiteral("OpenBtn") + design.suffix, design.open);
    area.add(*page.open, QRect(left, 19, width, 31), akTop | akRight);

    page.settings = new QGroupBox(design.settingsTitle, page.sheet);
    page.settings->setObjectName(QStringLiteral("GroupBox2") + design.suffix);
    area.add(*page.settings, QRect(QPoint(left, 58), SettingsBoxSize), akTop | akRight);

    page.preview = makeButton(*page.sheet, QStringLiteral("PreviewBtn") + design.suffix, design.preview);
    area.add(*page.preview, QRect(left, 370, width, 31), akRight | akBottom);
    page.save = makeButton(*page.sheet, QStringLiteral("SaveBtn") + design.suffix, design.save);
    area.add(*page.save, QRect(left, 407, width, 31), akRight | akBottom);
}

} // namespace

PreviewPage BuildPreviewPage(QTabWidget& pages, const PageDesign& design)
{
    PreviewPage page;
    page.sheet = new QWidget;
    page.sheet->setObjectName(QStringLiteral("TabSheet%1").arg(pages.count() + 1));
    page.sheet->resize(SheetDesignSize);
    pages.addTab(page.sheet, design.tab);

    page.box = new QGroupBox(design.boxTitle, page.sheet);
    page.box->setObjectName(QStringLiteral("GroupBox1") + design.suffix);
    page.box->resize(BoxDesignSize);
    AnchorArea::of(*page.sheet, SheetDesignSize).add(*page.box, QRect(QPoint(8, 11), BoxDesignSize), akAll);
    buildPreviewBox(page, design);
    buildRightColumn(page, design);
    return page;
}

#include "Skin.h"

#include <QApplication>
#include <QStyleFactory>

// Colours of the skin: a cool grey face, steel-blue frames, a blue highlight.
QString SkinStyleSheet()
{
    return QStringLiteral(R"(
QWidget { color: #1f2a36; }
QWidget#TForm1, QDialog, QTabWidget > QStackedWidget > QWidget { background: #e9eef4; }

QPushButton, QToolButton {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfefe, stop:1 #d9e2ec);
    border: 1px solid #8294aa; border-radius: 4px; padding: 2px 8px;
}
QPushButton:hover, QToolButton:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #e4f0fb);
    border-color: #3f7cc0;
}
QPushButton:pressed, QToolButton:pressed {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #c6d5e6, stop:1 #e1e9f2);
}
QPushButton:disabled, QToolButton:disabled { color: #8d98a5; border-color: #b5c0cc; background: #e4e8ed; }
QPushButton::menu-indicator { subcontrol-origin: padding; subcontrol-position: center right; right: 4px; }
QPushButton[menuButton="true"] { padding-right: 18px; }

QLineEdit, QAbstractSpinBox, QComboBox {
    background: #ffffff; border: 1px solid #8e9fb3; border-radius: 3px;
    padding: 1px 3px; selection-background-color: #3f7cc0;
}
QLineEdit:read-only { background: #f3f5f8; }
QLineEdit:disabled, QAbstractSpinBox:disabled, QComboBox:disabled { color: #8d98a5; background: #eceff3; }
QLineEdit:focus, QAbstractSpinBox:focus, QComboBox:focus { border-color: #3f7cc0; }
QAbstractSpinBox { padding-right: 15px; }
QAbstractSpinBox::up-button, QAbstractSpinBox::down-button {
    subcontrol-origin: border; width: 14px; border-left: 1px solid #b3c0cf; background: #e7edf4;
}
QAbstractSpinBox::up-button { subcontrol-position: top right; border-top-right-radius: 3px; }
QAbstractSpinBox::down-button { subcontrol-position: bottom right; border-bottom-right-radius: 3px; }
QAbstractSpinBox::up-button:hover, QAbstractSpinBox::down-button:hover { background: #d2e3f5; }
QAbstractSpinBox::up-arrow { image: url(:/skin/spin-up.xpm); width: 7px; height: 4px; }
QAbstractSpinBox::down-arrow { image: url(:/skin/spin-down.xpm); width: 7px; height: 4px; }
QAbstractSpinBox::up-arrow:disabled, QAbstractSpinBox::up-arrow:off { image: url(:/skin/spin-up-disabled.xpm); }
QAbstractSpinBox::down-arrow:disabled, QAbstractSpinBox::down-arrow:off { image: url(:/skin/spin-down-disabled.xpm); }
QComboBox { padding-left: 4px; }
QComboBox::down-arrow { image: url(:/skin/combo-down.xpm); width: 9px; height: 5px; }
QComboBox::down-arrow:disabled { image: url(:/skin/combo-down-disabled.xpm); }
QComboBox::drop-down { subcontrol-origin: padding; subcontrol-position: top right; width: 16px;
    border-left: 1px solid #b3c0cf; background: #e7edf4; border-top-right-radius: 3px; border-bottom-right-radius: 3px; }
QComboBox QAbstractItemView { background: #ffffff; border: 1px solid #8294aa;
    selection-background-color: #3f7cc0; selection-color: #ffffff; }

QSlider::groove:horizontal { height: 4px; background: #b7c4d3; border: 1px solid #8e9fb3; border-radius: 2px; }
QSlider::sub-page:horizontal { background: #5d93cf; border: 1px solid #3f7cc0; border-radius: 2px; }
QSlider::handle:horizontal {
    width: 10px; margin: -7px 0; border-radius: 3px; border: 1px solid #5b6f87;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #cbd7e4);
}
QSlider::handle:horizontal:hover { border-color: #3f7cc0; }

QGroupBox {
    border: 1px solid #a6b5c6; border-radius: 5px; margin-top: 7px;
    background: #f4f7fa;
}
QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 8px; padding: 0 3px;
    color: #23466e; }

QTabWidget::pane { border: 1px solid #8e9fb3; top: -1px; background: #e9eef4; }
QTabBar::tab {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f4f7fa, stop:1 #d3dce7);
    border: 1px solid #8e9fb3; border-bottom: none; border-top-left-radius: 4px; border-top-right-radius: 4px;
    padding: 4px 12px; margin-right: 2px; min-width: 80px;
}
QTabBar::tab:selected { background: #e9eef4; color: #123a66; }
QTabBar::tab:!selected { margin-top: 2px; }
QTabBar::tab:hover:!selected { background: #e4f0fb; }

QWidget#BottomBar { background: #dde5ee; border-top: 1px solid #a6b5c6; }

QCheckBox { spacing: 4px; }
QCheckBox:disabled, QLabel:disabled { color: #8d98a5; }
QLabel { background: transparent; }
QMenu { background: #ffffff; border: 1px solid #8294aa; }
QMenu::item { padding: 4px 20px 4px 16px; }
QMenu::item:selected { background: #3f7cc0; color: #ffffff; }
)");
}

void ApplySkin()
{
    // The arrow images live in this static library; nothing else would pull them in.
    Q_INIT_RESOURCE(skin);
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    qApp->setStyleSheet(SkinStyleSheet());
}

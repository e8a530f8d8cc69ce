// A file field: read-only text with a browse button. The button's open dialog (the
// toolkit's, so tests can answer it) puts the chosen path into the text; the user
// cannot type or clear it.
#pragma once

#include "Dialogs.h"

#include <QWidget>

class QLineEdit;
class QToolButton;

class FileField : public QWidget {
    Q_OBJECT
public:
    FileField(const QString& filter, QWidget* parent = nullptr);

    QString fileName() const;
    void setFileName(const QString& name);
    TOpenDialog& dialog() { return m_dialog; }
    QToolButton& browseButton() { return *m_browse; }
    // What the browse button does: asks for a file, keeps the text when cancelled.
    void browse();

signals:
    void changed();

private:
    TOpenDialog m_dialog;
    QLineEdit* m_edit;
    QToolButton* m_browse;
};

#include "FileField.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

FileField::FileField(const QString& filter, QWidget* parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_browse(new QToolButton(this))
{
    m_dialog.Filter = filter.toStdString();
    m_edit->setReadOnly(true);
    m_edit->setObjectName(QStringLiteral("edit"));
    m_browse->setText(QStringLiteral("..."));
    m_browse->setObjectName(QStringLiteral("browse"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    row->addWidget(m_edit, 1);
    row->addWidget(m_browse);
    connect(m_browse, &QToolButton::clicked, this, &FileField::browse);
    connect(m_edit, &QLineEdit::textChanged, this, &FileField::changed);
}

QString FileField::fileName() const
{
    return m_edit->text();
}

void FileField::setFileName(const QString& name)
{
    m_edit->setText(name);
    m_edit->setCursorPosition(int(name.size()));  // the file name, not the folders, stays in view
    m_edit->setToolTip(name);
}

void FileField::browse()
{
    m_dialog.FileName = fileName().toStdString();
    if (m_dialog.Execute())
        setFileName(QString::fromStdString(m_dialog.FileName));
}

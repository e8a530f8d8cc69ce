#include "QtDialogService.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

// The toolkit's filter as (description, patterns) pairs; a trailing description
// without patterns is dropped.
std::vector<std::pair<QString, QStringList>> filterPairs(const std::string& filter)
{
    const QStringList parts = fromUtf8(filter).split(u'|');
    std::vector<std::pair<QString, QStringList>> pairs;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        pairs.emplace_back(parts[i].trimmed(), parts[i + 1].split(u';', Qt::SkipEmptyParts));
    return pairs;
}

QStringList caseVariants(const QStringList& patterns)
{
    QStringList variants;
    for (const QString& raw : patterns) {
        const QString pattern = raw.trimmed();
        for (const QString& spelling : {pattern, pattern.toLower(), pattern.toUpper()}) {
            if (!spelling.isEmpty() && !variants.contains(spelling))
                variants << spelling;
        }
    }
    return variants;
}

} // namespace

QString QtFilterFromToolkit(const std::string& filter)
{
    QStringList entries;
    for (const auto& [description, patterns] : filterPairs(filter))
        entries << QStringLiteral("%1 (%2)").arg(description, caseVariants(patterns).join(u' '));
    return entries.join(QStringLiteral(";;"));
}

QString FilterExtension(const std::string& filter, int index)
{
    const auto pairs = filterPairs(filter);
    if (index < 1 || index > int(pairs.size()) || pairs[index - 1].second.isEmpty())
        return {};
    const QString pattern = pairs[index - 1].second.first().trimmed();
    if (!pattern.startsWith(QStringLiteral("*.")))
        return {};
    const QString extension = pattern.mid(2);
    if (extension.contains(u'*') || extension.contains(u'?'))
        return {};
    return extension;
}

QString MessageText(const std::string& text)
{
    QString shown = fromUtf8(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

bool QtDialogService::RunFileDialog(TOpenDialog& dialog)
{
    QFileDialog box(QApplication::activeWindow(), fromUtf8(dialog.Title), fromUtf8(dialog.InitialDir));
    const QStringList filters = QtFilterFromToolkit(dialog.Filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
        box.setNameFilters(filters);
        box.selectNameFilter(filters.value(std::max(0, dialog.FilterIndex - 1), filters.first()));
    }
    if (dialog.IsSave()) {
        box.setAcceptMode(QFileDialog::AcceptSave);
        box.setFileMode(QFileDialog::AnyFile);
        QString suffix = fromUtf8(dialog.DefaultExt);
        if (suffix.isEmpty())
            suffix = FilterExtension(dialog.Filter, dialog.FilterIndex);
        box.setDefaultSuffix(suffix);
    } else {
        box.setAcceptMode(QFileDialog::AcceptOpen);
        box.setFileMode(QFileDialog::ExistingFile);
    }
    if (!dialog.FileName.empty())
        box.selectFile(fromUtf8(dialog.FileName));
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return false;
    dialog.FileName = box.selectedFiles().first().toStdString();
    const int chosen = filters.indexOf(box.selectedNameFilter());
    if (chosen >= 0)
        dialog.FilterIndex = chosen + 1;
    return true;
}

bool QtDialogService::RunSelectDirectory(const std::string& caption, const std::string& root, std::string& directory)
{
    const QString start = directory.empty() ? fromUtf8(root) : fromUtf8(directory);
    const QString chosen = QFileDialog::getExistingDirectory(QApplication::activeWindow(), fromUtf8(caption), start);
    if (chosen.isEmpty())
        return false;
    directory = chosen.toStdString();
    return true;
}

void QtDialogService::RunMessageBox(MessageKind kind, const std::string& caption, const std::string& text)
{
    const QMessageBox::Icon icon = kind == MessageKind::Warning ? QMessageBox::Warning : QMessageBox::NoIcon;
    QMessageBox box(icon, fromUtf8(caption), MessageText(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool QtDialogService::RunQuestion(const std::string& caption, const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, fromUtf8(caption), MessageText(text), QMessageBox::Ok | QMessageBox::Cancel,
                    QApplication::activeWindow());
    // Enter keeps the work; losing it takes a deliberate choice.
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

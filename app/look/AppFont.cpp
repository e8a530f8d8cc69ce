#include "AppFont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

QString ChooseCaptionFamily()
{
    static const char* const preferred[] = {
        "WenQuanYi Micro Hei", "Noto Sans CJK TC", "Noto Sans TC", "Noto Sans CJK SC", "AR PL UMing TW",
    };
    const QStringList installed = QFontDatabase::families();
    for (const char* name : preferred) {
        if (installed.contains(QString::fromLatin1(name)))
            return QString::fromLatin1(name);
    }
    const QStringList chinese = QFontDatabase::families(QFontDatabase::TraditionalChinese);
    if (!chinese.isEmpty())
        return chinese.first();
    return QApplication::font().family();
}

void UseCaptionFont()
{
    QFont font(ChooseCaptionFamily());
    font.setPixelSize(12);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
}

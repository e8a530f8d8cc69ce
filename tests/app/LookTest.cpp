#include "Screenshot.h"
#include "Unit1.h"
#include "look/AppFont.h"
#include "look/Placeholders.h"
#include "look/Skin.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <set>

TEST(Look, TheCaptionFontHasTheChineseGlyphs)
{
    QFont font(ChooseCaptionFamily());
    QFontMetrics metrics(font);
    for (char32_t glyph : {U'轉', U'換', U'錄', U'製', U'預', U'覽', U'儲', U'檔', U'質', U'階'})
        EXPECT_TRUE(metrics.inFontUcs4(glyph)) << font.family().toStdString() << " lacks U+" << std::hex << unsigned(glyph);
}

TEST(Look, PlaceholdersAreDistinctPictures)
{
    std::set<qint64> keys;
    std::set<QByteArray> contents;
    for (PlaceholderKind kind : {PlaceholderKind::FlashToGif, PlaceholderKind::FlashToAvi,
                                 PlaceholderKind::FlashToImages, PlaceholderKind::VideoToGif}) {
        QImage picture = PlaceholderPicture(kind).toImage();
        EXPECT_EQ(picture.size(), QSize(442, 319));
        contents.insert(QByteArray(reinterpret_cast<const char*>(picture.constBits()), picture.sizeInBytes()));
    }
    EXPECT_EQ(contents.size(), 4u);
}

TEST(Look, TheMainWindowRendersAtItsDesignSize)
{
    UseCaptionFont();
    ApplySkin();
    Windows windows = CreateWindows();
    windows.main->PageControl1->setCurrentIndex(2);
    QImage picture = RenderWindow(*windows.main);
    EXPECT_EQ(picture.size(), QSize(687, 472) * picture.devicePixelRatio());
    // The placeholder shows through the panel: many colours, not a blank window.
    std::set<QRgb> colours;
    for (int y = 100; y < 300; y += 7)
        for (int x = 40; x < 440; x += 7)
            colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 20u);
    qApp->setStyleSheet(QString());
}

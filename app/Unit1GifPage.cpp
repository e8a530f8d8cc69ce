// Page 1: Flash movie to animated GIF.
#include "Unit1.h"
#include "Unit1SettingsRows.h"

#include "controls/ColorBox.h"
#include "controls/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>

void TForm1::buildGifPage()
{
    const PageDesign design{
        QStringLiteral("x"),
        QStringLiteral("Flash 轉換 GIF"),
        QStringLiteral("預覽 Flash 影片"),
        QStringLiteral("開始錄製 GIF"),
        QStringLiteral("停止錄製 GIF"),
        QStringLiteral("開啟 Flash..."),
        QStringLiteral("預覽 GIF 動畫"),
        QStringLiteral("儲存 GIF 為檔案..."),
        QStringLiteral("GIF 設定"),
        {"withautomaticStop1", QStringLiteral("自動停止"), true},
        {"withoutautomaticStop1", QStringLiteral("不自動停止"), false},
        QStringLiteral("FlashPlayer"),
        QSize(440, 316),
        true,
        322,
        PlaceholderKind::FlashToGif,
    };
    PreviewPage& page = m_pages[0] = BuildPreviewPage(*PageControl1, design);
    GroupBox1x = page.box;
    PanelBx = page.panel;
    withautomaticStop1 = page.firstEntry;
    withoutautomaticStop1 = page.secondEntry;
    buildGifSettings(*page.settings);
}

void TForm1::buildGifSettings(QGroupBox& box)
{
    SettingsRows rows(box);
    DelayEditx = rows.number(QStringLiteral("DelayEditx"), QStringLiteral("畫幀延遲"), QStringLiteral("毫秒"),
                             {100, 0, 0, 1});
    DepthBoxx = rows.list(QStringLiteral("DepthBoxx"), QStringLiteral("彩色深度:"),
                          {QStringLiteral("8 bit(位)"), QStringLiteral("4 bit(位)"), QStringLiteral("黑色/白色"),
                           QStringLiteral("灰階"), QStringLiteral("如源檔案")},
                          0);
    WidthEditx = rows.number(QStringLiteral("WidthEditx"), QStringLiteral("GIF 寬度:"), QStringLiteral("像素"),
                             {std::nullopt, 2, 10000, 5});
    HeightEditx = rows.number(QStringLiteral("HeightEditx"), QStringLiteral("GIF 高度:"), QStringLiteral("像素"),
                              {std::nullopt, 2, 10000, 5});
    LoopBoxx = rows.check(QStringLiteral("LoopBoxx"), QStringLiteral("迴圈 GIF 動畫"), true);
    TransColorx = rows.colour(QStringLiteral("TransColorx"), QStringLiteral("透明色:"), clAqua);
    BackColorx = rows.colour(QStringLiteral("BackColorx"), QStringLiteral("背景色:"), clWhite);
}

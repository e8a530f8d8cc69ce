// Page 2: Flash movie to AVI, optionally with a WAV sound track.
#include "Unit1.h"
#include "Unit1SettingsRows.h"

#include "controls/ColorBox.h"
#include "controls/FileField.h"
#include "controls/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>

void TForm1::buildAviPage()
{
    const PageDesign design{
        QStringLiteral("y"),
        QStringLiteral("Flash 轉換 AVI"),
        QStringLiteral("預覽 Flash 影片"),
        QStringLiteral("開始錄製 AVI"),
        QStringLiteral("停止錄製 AVI"),
        QStringLiteral("開啟 Flash..."),
        QStringLiteral("預覽 AVI 視訊"),
        QStringLiteral("儲存 AVI 為檔案..."),
        QStringLiteral("AVI 設定"),
        {"withautomaticStop2", QStringLiteral("自動停止"), false},
        {"withoutautomaticStop2", QStringLiteral("不自動停止"), false},
        QStringLiteral("FlashPlayer2"),
        QSize(440, 316),
        true,
        322,
        PlaceholderKind::FlashToAvi,
    };
    PreviewPage& page = m_pages[1] = BuildPreviewPage(*PageControl1, design);
    GroupBox1y = page.box;
    PanelBy = page.panel;
    withautomaticStop2 = page.firstEntry;
    withoutautomaticStop2 = page.secondEntry;
    buildAviSettings(*page.settings);
}

void TForm1::buildAviSettings(QGroupBox& box)
{
    SettingsRows rows(box);
    DelayEdity = rows.number(QStringLiteral("DelayEdity"), QStringLiteral("畫幀延遲"), QStringLiteral("毫秒"),
                             {100, 0, 0, 1});
    // "8 bit(位)" is the default although "24 bit(位)" comes first.
    DepthBoxy = rows.list(QStringLiteral("DepthBoxy"), QStringLiteral("彩色深度:"),
                          {QStringLiteral("24 bit(位)"), QStringLiteral("8 bit(位)"), QStringLiteral("4 bit(位)"),
                           QStringLiteral("黑色/白色")},
                          1);
    WidthEdity = rows.number(QStringLiteral("WidthEdity"), QStringLiteral("AVI 寬度:"), QStringLiteral("像素"),
                             {std::nullopt, 2, 10000, 5});
    HeightEdity = rows.number(QStringLiteral("HeightEdity"), QStringLiteral("AVI 高度:"), QStringLiteral("像素"),
                              {std::nullopt, 2, 10000, 5});
    WavFiley = rows.file(QStringLiteral("WavFiley"), QStringLiteral("加入音訊到 AVI:"), QStringLiteral("WAV 檔案|*.wav"));
    // Without a WAV file the AVI carries the movie's own sound.
    RecordSoundy = rows.check(QStringLiteral("RecordSoundy"), QStringLiteral("錄製影片聲音"), true);
    BackColory = rows.colour(QStringLiteral("BackColory"), QStringLiteral("背景色:"), clWhite);
}

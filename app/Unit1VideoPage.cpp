// Page 4: AVI video to animated GIF.
#include "Unit1.h"
#include "Unit1SettingsRows.h"

#include "controls/ColorBox.h"
#include "controls/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>

void TForm1::buildVideoPage()
{
    const PageDesign design{
        QString(),
        QStringLiteral("AVI 轉換 GIF"),
        QStringLiteral("預覽(AVI)視訊"),
        QStringLiteral("開始錄製 GIF"),
        QStringLiteral("停止錄製 GIF"),
        QStringLiteral("開啟視訊..."),
        QStringLiteral("預覽 GIF 動畫"),
        QStringLiteral("儲存 GIF 為檔案..."),
        QStringLiteral("GIF 設定"),
        {"fromcurrentposition1", QStringLiteral("從現用的位置錄製"), false},
        {"frombeginning1", QStringLiteral("從開始錄製"), false},
        QStringLiteral("VideoPlayer"),
        QSize(480, 334),
        false,  // shown once a video is opened
        323,
        PlaceholderKind::VideoToGif,
    };
    PreviewPage& page = m_pages[3] = BuildPreviewPage(*PageControl1, design);
    GroupBox1 = page.box;
    PanelB = page.panel;
    VideoPlayer = page.view;
    fromcurrentposition1 = page.firstEntry;
    frombeginning1 = page.secondEntry;
    buildVideoSettings(*page.settings);
}

void TForm1::buildVideoSettings(QGroupBox& box)
{
    SettingsRows rows(box);
    DelayEdit = rows.number(QStringLiteral("DelayEdit"), QStringLiteral("畫幀延遲"), QStringLiteral("毫秒"),
                            {150, 0, 0, 1});
    // Its entries name the colour counts too: the list gets the box's width.
    DepthBox = rows.wideList(QStringLiteral("DepthBox"), QStringLiteral("彩色深度:"),
                         {QStringLiteral("8 bit(位)(256 色)"), QStringLiteral("4 bit(位)(16 色)"),
                          QStringLiteral("黑色/白色"), QStringLiteral("灰階"), QStringLiteral("如源檔案")},
                         4);
    WidthEdit = rows.number(QStringLiteral("WidthEdit"), QStringLiteral("GIF 寬度:"), QStringLiteral("像素"),
                            {std::nullopt, 2, 10000, 5});
    HeightEdit = rows.number(QStringLiteral("HeightEdit"), QStringLiteral("GIF 高度:"), QStringLiteral("像素"),
                             {std::nullopt, 2, 10000, 5});
    LoopBox = rows.check(QStringLiteral("LoopBox"), QStringLiteral("迴圈 GIF 動畫"), false);
    TransColor = rows.colour(QStringLiteral("TransColor"), QStringLiteral("透明色:"), clAqua);
}

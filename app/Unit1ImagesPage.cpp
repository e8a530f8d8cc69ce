// Page 3: Flash movie to a numbered series of JPG, PNG or BMP images.
#include "Unit1.h"
#include "Unit1SettingsRows.h"

#include "controls/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

void TForm1::buildImagesPage()
{
    const PageDesign design{
        QStringLiteral("z"),
        QStringLiteral("Flash 轉換 JPG"),
        QStringLiteral("預覽 Flash 影片"),
        QStringLiteral("開始錄製 JPG"),
        QStringLiteral("停止錄製 JPG"),
        QStringLiteral("開啟 Flash..."),
        QStringLiteral("預覽 JPG 圖像"),
        QStringLiteral("儲存 JPG 圖像"),
        QStringLiteral("輸出設定"),
        {"MenuItem1", QStringLiteral("自動停止"), true},
        {"MenuItem2", QStringLiteral("不自動停止"), false},
        QStringLiteral("FlashPlayer3"),
        QSize(440, 316),
        true,
        322,
        PlaceholderKind::FlashToImages,
    };
    PreviewPage& page = m_pages[2] = BuildPreviewPage(*PageControl1, design);
    GroupBox1z = page.box;
    PanelBz = page.panel;
    MenuItem1 = page.firstEntry;
    MenuItem2 = page.secondEntry;
    buildImagesSettings(*page.settings);
}

void TForm1::buildImagesSettings(QGroupBox& box)
{
    using Rows = SettingsRows;
    Rows rows(box);
    DelayEditz = rows.number(QStringLiteral("DelayEditz"), QStringLiteral("畫幀延遲"), QStringLiteral("毫秒"),
                             {1000, 100, 10000000, 1});
    FormatBoxz = rows.list(QStringLiteral("FormatBoxz"), QStringLiteral("圖像格式:"),
                           {QStringLiteral("JPG"), QStringLiteral("PNG"), QStringLiteral("BMP")}, 0);
    QualityEditz = rows.number(QStringLiteral("QualityEditz"), QStringLiteral("JPG 質量"), QStringLiteral("%"),
                               {95, 10, 100, 1});
    QualityLabelz = box.findChild<QLabel*>(QStringLiteral("QualityEditzLabel"));
    PercentLabelz = box.findChild<QLabel*>(QStringLiteral("QualityEditzUnit"));
    QualityLabelz->setObjectName(QStringLiteral("QualityLabelz"));
    PercentLabelz->setObjectName(QStringLiteral("PercentLabelz"));
    WidthEditz = rows.number(QStringLiteral("WidthEditz"), QStringLiteral("圖像寬度:"), QStringLiteral("像素"),
                             {std::nullopt, 2, 10000, 5});
    HeightEditz = rows.number(QStringLiteral("HeightEditz"), QStringLiteral("圖像高度:"), QStringLiteral("像素"),
                              {std::nullopt, 2, 10000, 5});

    // The row reads: [x] stop at [N] frames, then "recording images" under it.
    const int top = rows.rowTop();
    StopAtBoxz = rows.checkAt(QStringLiteral("StopAtBoxz"), QStringLiteral("停止在"), false,
                              QRect(Rows::LabelLeft, top, Rows::LabelWidth, Rows::RowHeight));
    stopafter = rows.numberAt(QStringLiteral("stopafter"), {std::nullopt, 2, 600, 1},
                              QRect(Rows::FieldLeft, top, Rows::NumberWidth, Rows::RowHeight));
    rows.label(QStringLiteral("stopafterUnit"), QStringLiteral("幀後"),
               QRect(Rows::UnitLeft, top, Rows::UnitWidth, Rows::RowHeight));
    rows.nextRow();
    rows.label(QStringLiteral("stopafterTail"), QStringLiteral("錄製圖像"),
               QRect(Rows::FieldLeft, rows.rowTop() - 8, Rows::ListWidth, Rows::RowHeight));
}

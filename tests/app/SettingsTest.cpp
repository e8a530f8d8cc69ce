#include "AppFixture.h"
#include "controls/ColorBox.h"
#include "controls/FileField.h"
#include "controls/SpinEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>

namespace {

QString u(const char* text)
{
    return QString::fromUtf8(text);
}

struct NumberRow {
    const char* name;
    const char* label;  // null: the row has its own labels
    const char* unit;
    const char* shown;
    int minimum, maximum, step;
};

const NumberRow Numbers[] = {
    {"DelayEditx", "畫幀延遲", "毫秒", "100", 0, 0, 1},
    {"WidthEditx", "GIF 寬度:", "像素", "2", 2, 10000, 5},
    {"HeightEditx", "GIF 高度:", "像素", "2", 2, 10000, 5},
    {"DelayEdity", "畫幀延遲", "毫秒", "100", 0, 0, 1},
    {"WidthEdity", "AVI 寬度:", "像素", "2", 2, 10000, 5},
    {"HeightEdity", "AVI 高度:", "像素", "2", 2, 10000, 5},
    {"DelayEditz", "畫幀延遲", "毫秒", "1000", 100, 10000000, 1},
    {"QualityEditz", nullptr, nullptr, "95", 10, 100, 1},
    {"WidthEditz", "圖像寬度:", "像素", "2", 2, 10000, 5},
    {"HeightEditz", "圖像高度:", "像素", "2", 2, 10000, 5},
    {"stopafter", nullptr, nullptr, "2", 2, 600, 1},
    {"DelayEdit", "畫幀延遲", "毫秒", "150", 0, 0, 1},
    {"WidthEdit", "GIF 寬度:", "像素", "2", 2, 10000, 5},
    {"HeightEdit", "GIF 高度:", "像素", "2", 2, 10000, 5},
};

struct ListRow {
    const char* name;
    const char* label;
    std::vector<const char*> entries;
    const char* shown;
};

const ListRow Lists[] = {
    {"DepthBoxx", "彩色深度:", {"8 bit(位)", "4 bit(位)", "黑色/白色", "灰階", "如源檔案"}, "8 bit(位)"},
    {"DepthBoxy", "彩色深度:", {"24 bit(位)", "8 bit(位)", "4 bit(位)", "黑色/白色"}, "8 bit(位)"},
    {"FormatBoxz", "圖像格式:", {"JPG", "PNG", "BMP"}, "JPG"},
    {"DepthBox", "彩色深度:", {"8 bit(位)(256 色)", "4 bit(位)(16 色)", "黑色/白色", "灰階", "如源檔案"}, "如源檔案"},
};

} // namespace

TEST_F(MainWindowFixture, NumberFieldsShowTheirDefaultsWithTheirRangesAndSteps)
{
    for (const NumberRow& row : Numbers) {
        SCOPED_TRACE(row.name);
        auto* field = find<TSpinEdit>(row.name);
        ASSERT_NE(field, nullptr);
        EXPECT_EQ(field->text(), u(row.shown));
        EXPECT_EQ(field->minValue(), row.minimum);
        EXPECT_EQ(field->maxValue(), row.maximum);
        EXPECT_EQ(field->increment(), row.step);
        if (row.label) {
            auto* label = find<QLabel>((std::string(row.name) + "Label").c_str());
            auto* unit = find<QLabel>((std::string(row.name) + "Unit").c_str());
            ASSERT_TRUE(label && unit);
            EXPECT_EQ(label->text(), u(row.label));
            EXPECT_EQ(unit->text(), u(row.unit));
        }
    }
    EXPECT_EQ(form->QualityLabelz->text(), u("JPG 質量"));
    EXPECT_EQ(form->PercentLabelz->text(), u("%"));
    EXPECT_TRUE(form->QualityEditz->isEnabled());
    EXPECT_EQ(find<QLabel>("stopafterUnit")->text(), u("幀後"));
    EXPECT_EQ(find<QLabel>("stopafterTail")->text(), u("錄製圖像"));
}

TEST_F(MainWindowFixture, ListsOfferTheirEntries)
{
    for (const ListRow& row : Lists) {
        SCOPED_TRACE(row.name);
        auto* list = find<QComboBox>(row.name);
        ASSERT_NE(list, nullptr);
        EXPECT_FALSE(list->isEditable());
        ASSERT_EQ(list->count(), int(row.entries.size()));
        for (int i = 0; i < list->count(); ++i)
            EXPECT_EQ(list->itemText(i), u(row.entries[i]));
        EXPECT_EQ(list->currentText(), u(row.shown));
        EXPECT_EQ(find<QLabel>((std::string(row.name) + "Label").c_str())->text(), u(row.label));
    }
}

TEST_F(MainWindowFixture, CheckBoxesColoursAndTheWavField)
{
    EXPECT_EQ(form->LoopBoxx->text(), u("迴圈 GIF 動畫"));
    EXPECT_TRUE(form->LoopBoxx->isChecked());
    EXPECT_EQ(form->LoopBox->text(), u("迴圈 GIF 動畫"));
    EXPECT_FALSE(form->LoopBox->isChecked());
    EXPECT_EQ(form->StopAtBoxz->text(), u("停止在"));
    EXPECT_FALSE(form->StopAtBoxz->isChecked());

    EXPECT_EQ(form->TransColorx->selected(), RGB(0, 255, 255));
    EXPECT_EQ(form->TransColor->selected(), RGB(0, 255, 255));
    EXPECT_EQ(form->BackColorx->selected(), RGB(255, 255, 255));
    EXPECT_EQ(form->BackColory->selected(), RGB(255, 255, 255));
    EXPECT_EQ(find<QLabel>("TransColorxLabel")->text(), u("透明色:"));
    EXPECT_EQ(find<QLabel>("BackColoryLabel")->text(), u("背景色:"));

    // Page 2 has no loop and no transparent colour; page 3 no background colour.
    for (const char* absent : {"LoopBoxy", "TransColory", "BackColorz", "BackColor"})
        EXPECT_EQ(find<QWidget>(absent), nullptr) << absent;

    EXPECT_EQ(find<QLabel>("WavFileyLabel")->text(), u("加入音訊到 AVI:"));
    EXPECT_TRUE(form->WavFiley->fileName().isEmpty());
    EXPECT_EQ(form->WavFiley->dialog().Filter, "WAV 檔案|*.wav");
}

TEST_F(MainWindowFixture, SettingsBoxesHoldTheirControls)
{
    EXPECT_EQ(form->DelayEditx->parentWidget(), form->Page(1).settings);
    EXPECT_EQ(form->WavFiley->parentWidget(), form->Page(2).settings);
    EXPECT_EQ(form->stopafter->parentWidget(), form->Page(3).settings);
    EXPECT_EQ(form->TransColor->parentWidget(), form->Page(4).settings);
    // Every control fits inside its box.
    for (int i = 1; i <= 4; ++i) {
        QGroupBox* box = form->Page(i).settings;
        for (QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(box->rect().contains(child->geometry())) << child->objectName().toStdString();
    }
}

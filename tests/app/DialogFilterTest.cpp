#include "QtDialogService.h"

#include <gtest/gtest.h>

TEST(DialogFilter, ToolkitFiltersBecomeQtFilters)
{
    struct Case {
        const char* toolkit;
        const char* qt;
    };
    const Case cases[] = {
        {"GIF 檔案|*.gif", "GIF 檔案 (*.gif *.GIF)"},
        {"Flash 檔案 (*.SWF, *.FLV)|*.FLV;*.SWF|Flash 視訊 (FLV)|*.FLV|多媒體 Flash (SWF)|*.SWF",
         "Flash 檔案 (*.SWF, *.FLV) (*.FLV *.flv *.SWF *.swf);;Flash 視訊 (FLV) (*.FLV *.flv);;"
         "多媒體 Flash (SWF) (*.SWF *.swf)"},
        {"All|*.*", "All (*.*)"},
        {"", ""},
        {"Dangling description", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QtFilterFromToolkit(c.toolkit).toStdString(), c.qt) << c.toolkit;
}

TEST(DialogFilter, ExtensionOfTheChosenFilter)
{
    EXPECT_EQ(FilterExtension("GIF 檔案|*.gif", 1).toStdString(), "gif");
    EXPECT_EQ(FilterExtension("音訊視訊交錯格式 (AVI)|*.avi", 1).toStdString(), "avi");
    EXPECT_EQ(FilterExtension("A|*.a|B|*.b;*.c", 2).toStdString(), "b");
    EXPECT_EQ(FilterExtension("GIF 檔案|*.gif", 2).toStdString(), "");
    EXPECT_EQ(FilterExtension("GIF 檔案|*.gif", 0).toStdString(), "");
    EXPECT_EQ(FilterExtension("All|*.*", 1).toStdString(), "");
}

TEST(DialogFilter, MessageLineBreaks)
{
    EXPECT_EQ(MessageText("one\r\ntwo\r\nthree").toStdString(), "one\ntwo\nthree");
    EXPECT_EQ(MessageText("plain").toStdString(), "plain");
}

#include "Dialogs.h"
#include "Exceptions.h"
#include "Guarded.h"

#include <QPushButton>
#include <gtest/gtest.h>

TEST(Guarded, AnExceptionEndsTheHandlerInTheErrorBox)
{
    ScriptedDialogService dialogs;
    ScopedDialogService installed(dialogs);
    SetApplicationTitle("Tovrane");
    int steps = 0;
    RunGuarded([&] {
        ++steps;
        throw EFOpenError("無法開啟檔案 movie.swf");
        ++steps;
    });
    EXPECT_EQ(steps, 1);
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].caption, "Tovrane");
    EXPECT_EQ(dialogs.Boxes[0].text, "無法開啟檔案 movie.swf");

    RunGuarded([] { throw 42; });
    ASSERT_EQ(dialogs.Boxes.size(), 2u);
    EXPECT_EQ(dialogs.Boxes[1].text, "Unexpected error");

    RunGuarded([&] { ++steps; });
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(dialogs.Boxes.size(), 2u);
}

TEST(Guarded, ButtonClicksRunGuarded)
{
    ScriptedDialogService dialogs;
    ScopedDialogService installed(dialogs);
    QPushButton button;
    OnClick(button, [] { throw EInvalidOperation("refused"); });
    button.click();
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].text, "refused");
}

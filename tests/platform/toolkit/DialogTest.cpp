#include "Dialogs.h"
#include "Scheduler.h"
#include "Timer.h"

#include <gtest/gtest.h>

TEST(DialogTest, TimersKeepFiringWhileAModalBoxIsOpen)
{
    VirtualClock clock;
    ScopedScheduler useClock(clock);
    ScriptedDialogService dialogs;
    ScopedDialogService useDialogs(dialogs);
    dialogs.WhileOpen = [&] { clock.AdvanceBy(250); };  // the user reads the box for 250 ms

    int ticks = 0;
    TTimer capture;
    capture.SetInterval(100);
    capture.SetOnTimer([&] { ++ticks; });

    WarningBox("Cannot save: nothing recorded.");
    EXPECT_EQ(ticks, 2);
    ASSERT_EQ(dialogs.Boxes.size(), 1u);
    EXPECT_EQ(dialogs.Boxes[0].kind, MessageKind::Warning);
    EXPECT_EQ(dialogs.Boxes[0].caption, WarningCaption);

    SetApplicationTitle("Tovrane");
    PlainBox("Saved.");
    EXPECT_EQ(dialogs.Boxes[1].caption, "Tovrane");
    EXPECT_EQ(ticks, 5);
}

TEST(DialogTest, ScriptedFileDialogsAnswerInOrderAndCancelWhenEmpty)
{
    ScriptedDialogService dialogs;
    ScopedDialogService useDialogs(dialogs);
    dialogs.AnswerFile("/tmp/a.swf");
    dialogs.CancelFile();

    TOpenDialog open;
    open.Title = "Open";
    open.Filter = "Flash|*.swf";
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName, "/tmp/a.swf");
    TSaveDialog save;
    save.FileName = "kept";
    EXPECT_FALSE(save.Execute());
    EXPECT_EQ(save.FileName, "kept");
    EXPECT_FALSE(open.Execute());
    EXPECT_EQ(dialogs.DialogTitles.front(), "Open");
    EXPECT_EQ(dialogs.DialogFilters.front(), "Flash|*.swf");

    std::string dir;
    dialogs.AnswerDirectory("/tmp/out");
    EXPECT_TRUE(SelectDirectoryDialog("Folder", "", dir));
    EXPECT_EQ(dir, "/tmp/out");
}

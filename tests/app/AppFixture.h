// The main window built as the program builds it, on a virtual clock, laid out as
// if shown (offscreen).
#pragma once

#include "Scheduler.h"
#include "Unit1.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>

class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm1>();
        form->setAttribute(Qt::WA_DontShowOnScreen);
        form->show();
        QApplication::processEvents();
    }
    void TearDown() override { form.reset(); }

    template <typename Widget>
    Widget* find(const char* name) const
    {
        return form->findChild<Widget*>(QString::fromLatin1(name));
    }

    VirtualClock clock;
    ScopedScheduler scheduler{clock};
    std::unique_ptr<TForm1> form;
};

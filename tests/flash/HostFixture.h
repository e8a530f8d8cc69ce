// A player on a panel, hosting the scripted control of the tests.
#pragma once

#include "Dialogs.h"
#include "Scheduler.h"
#include "ScriptedControl.h"
#include "sf_flash.h"

#include <gtest/gtest.h>

#include <memory>

struct HostFixture : ::testing::Test {
    VirtualClock clock;
    ScopedScheduler useClock{clock};
    ScriptedDialogService dialogs;
    ScopedDialogService useDialogs{dialogs};
    ScriptedControl* control = nullptr;
    std::function<void(ScriptedControl&)> configure;
    std::unique_ptr<ScopedClassRegistration> registration{
        std::make_unique<ScopedClassRegistration>(CLSID_ShockwaveFlash, [this] {
            auto made = MakeCom<ScriptedControl>();
            control = made.get();
            if (configure)
                configure(*control);
            return ComPtr<IUnknown>(static_cast<IOleObject*>(made.get()));
        })};
    TWinControl panel;

    HostFixture()
    {
        panel.SetBounds(0, 0, 500, 400);
        panel.SetColor(clBlack);
    }

    std::unique_ptr<TsfFlashPlayer> makePlayer()
    {
        auto player = std::make_unique<TsfFlashPlayer>(&panel);
        return player;
    }
};

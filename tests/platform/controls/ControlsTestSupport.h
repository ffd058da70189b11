// Shared by the controls tests: every test answers its dialogs and drags
// through the scripted services, and fails when a request was left without
// a reply; its timers run on a test clock that only the test moves.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Dialogs.h"
#include "platform/controls/DragDrop.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Timers.h"
#include "platform/controls/WinApi.h"
#include "platform/controls/qt/ControlsQt.h"
#include "tests/support/Input.h"

class ScriptedTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto scripted = std::make_unique<TScriptedDialogs>();
        dialogs = scripted.get();
        previous = InstallDialogService(std::move(scripted));
        auto testClock = std::make_unique<TTestClock>();
        clock = testClock.get();
        previousTimers = InstallTimerService(std::move(testClock));
        auto scriptedDrags = std::make_unique<TScriptedDrags>();
        drags = scriptedDrags.get();
        previousDrags = InstallDragService(std::move(scriptedDrags));
    }
    void TearDown() override {
        for (const std::string& f : dialogs->Failures()) ADD_FAILURE() << "dialog script: " << f;
        EXPECT_EQ(dialogs->Pending(), 0u) << "scripted replies left over";
        for (const std::string& f : drags->Failures()) ADD_FAILURE() << "drag script: " << f;
        EXPECT_EQ(drags->Pending(), 0u) << "scripted drag answers left over";
        InstallDragService(std::move(previousDrags));
        InstallTimerService(std::move(previousTimers));
        InstallDialogService(std::move(previous));
    }
    static void Process() { ProcessEvents(); }
    TScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<TDialogService> previous;
    TTestClock* clock = nullptr;
    std::unique_ptr<TTimerService> previousTimers;
    TScriptedDrags* drags = nullptr;
    std::unique_ptr<TDragService> previousDrags;
};

// A form whose construction finished (its create handler ran).
inline std::unique_ptr<TForm> NewForm(int32_t width = 400, int32_t height = 300) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, width, height);
    form->DoCreate();
    return form;
}

// A region as a picture, one character per pixel: '#' where it holds the
// pixel.
inline std::vector<std::string> RegionPicture(const TRegion& region, int32_t width, int32_t height) {
    std::vector<std::string> rows;
    for (int32_t y = 0; y < height; ++y) {
        std::string row;
        for (int32_t x = 0; x < width; ++x) row += region.Contains(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

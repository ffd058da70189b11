// Shared by the controls tests: every test answers its dialogs through the
// scripted service and fails when a request was left without a reply.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "platform/controls/qt/ControlsQt.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"

class ScriptedTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto scripted = std::make_unique<TScriptedDialogs>();
        dialogs = scripted.get();
        previous = InstallDialogService(std::move(scripted));
    }
    void TearDown() override {
        for (const std::string& f : dialogs->Failures()) ADD_FAILURE() << "dialog script: " << f;
        EXPECT_EQ(dialogs->Pending(), 0u) << "scripted replies left over";
        InstallDialogService(std::move(previous));
    }
    static void Process() {
        for (int i = 0; i < 4; ++i) Application->ProcessMessages();
    }
    // Shows the form and makes it the active window, so that focus and
    // key handling work as for a user.
    static void ShowActive(TForm& form) {
        form.Show();
        Process();
        NativeWidget(&form)->activateWindow();
        QApplication::setActiveWindow(NativeWidget(&form));
        Process();
    }
    TScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<TDialogService> previous;
};

// A form whose construction finished (its create handler ran).
inline std::unique_ptr<TForm> NewForm(int32_t width = 400, int32_t height = 300) {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, width, height);
    form->DoCreate();
    return form;
}

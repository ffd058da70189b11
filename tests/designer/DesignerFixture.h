// A fresh designer for each test: temporary HOME and XDG_CONFIG_HOME, every
// dialog answered by the scripted service, a fast tick source for the
// start-up hold, and the forms created as the program start does.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "designer/Unit1.h"
#include "designer/Unit5.h"
#include "platform/controls/qt/ControlsQt.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/runtime/IniFiles.h"
#include "platform/runtime/SysUtils.h"

// A command as the user gives it: errors go to the error box.
inline void UserClick(TMenuItem* item) {
    GuardedCall(item, [item] { item->Click(); });
}
inline void UserChoose(TComboBox* combo, int32_t index) {
    combo->SetItemIndex(index);
    combo->UserSelected(index);
}

// Types text into an edit key by key, as the keyboard would.
inline void TypeText(TWinControl* control, const std::string& text) {
    QWidget* w = NativeWidget(control);
    if (QWidget* f = w->focusProxy()) w = f;
    for (char ch : text) {
        const QString s = QString(QChar(ch));
        const int key = (ch >= 'a' && ch <= 'z') ? ch - 'a' + Qt::Key_A : ch;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, s);
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, s);
        QApplication::sendEvent(w, &release);
    }
}

class DesignerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/varsona-designer-XXXXXX";
        Root = mkdtemp(tmpl);
        setenv("HOME", Root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Root + "/config").c_str(), 1);
        std::filesystem::create_directories(Root + "/config");
        auto dialogs = std::make_unique<TScriptedDialogs>();
        dialogs->SetAutoOk(true);
        Dialogs = dialogs.get();
        InstallDialogService(std::move(dialogs));
        // Each tick read moves on a quarter second: the hold ends at once.
        SetTickCountSource([t = uint32_t{1000}]() mutable { return t += 250; });
    }

    void TearDown() override {
        StopForms();
        InstallDialogService(nullptr);
        SetTickCountSource({});
        // VARSONA_TEST_KEEP keeps the files of a test for a look.
        if (!std::getenv("VARSONA_TEST_KEEP")) std::filesystem::remove_all(Root);
    }

    std::string ConfigFolder() const { return Root + "/config/varsona/"; }
    std::string IniPath() const { return ConfigFolder() + "varsona.ini"; }
    void MakeSettingsFolder() { std::filesystem::create_directories(ConfigFolder()); }

    void StartForms() {
        Application->CreateForm(Form1);
        Application->CreateForm(frmCaptions);
    }
    void StopForms() {
        Application->DestroyComponents();
        Form1 = nullptr;
        frmCaptions = nullptr;
    }
    void Restart() {
        StopForms();
        StartForms();
    }

    // A value of the settings file; "<none>" when the key is missing.
    std::string Ini(const std::string& section, const std::string& key) {
        TIniFile ini(IniPath());
        return ini.ValueExists(section, key) ? ini.ReadString(section, key, "") : "<none>";
    }
    void SetIni(const std::string& section, const std::string& key, const std::string& value) {
        TIniFile ini(IniPath());
        ini.WriteString(section, key, value);
    }

    std::string Root;
    TScriptedDialogs* Dialogs = nullptr;
};

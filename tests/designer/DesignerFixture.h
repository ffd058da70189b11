// A fresh designer for each test: temporary HOME and XDG_CONFIG_HOME, every
// dialog answered by the scripted service, a fast tick source for the
// start-up hold, and the forms created as the program start does.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "designer/Unit1.h"
#include "designer/Unit5.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/runtime/IniFiles.h"
#include "platform/runtime/SysUtils.h"
#include "tests/support/Input.h"
#include "tests/support/TempFolder.h"

// A command as the user gives it: errors go to the error box.
inline void UserClick(TMenuItem* item) {
    GuardedCall(item, [item] { item->Click(); });
}
inline void UserChoose(TComboBox* combo, int32_t index) {
    combo->SetItemIndex(index);
    combo->UserSelected(index);
}

class DesignerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Home = std::make_unique<TTempHome>("varsona-designer");
        Root = Home->Root();
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
        // The folder goes with the home (VARSONA_TEST_KEEP keeps it for a look).
        Home.reset();
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

    std::unique_ptr<TTempHome> Home;
    std::string Root;
    TScriptedDialogs* Dialogs = nullptr;
};

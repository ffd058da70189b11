// The label windows as the program start creates them (Form1 first, then
// frmLabels and frmLabelsProps) in a temporary HOME and XDG_CONFIG_HOME,
// every dialog answered by the scripted service, and the process printer
// replaced by a recording printer at 600 dpi.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "designer/StartWindows.h"
#include "designer/SymbologyList.h"
#include "designer/Unit1.h"
#include "designer/Unit5.h"
#include "labels/LabelTemplates.h"
#include "labels/LabelWindows.h"
#include "labels/Unit3.h"
#include "labels/Unit4.h"
#include "platform/controls/ComCtrls.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/ExtCtrls.h"
#include "platform/controls/Forms.h"
#include "platform/controls/Spin.h"
#include "platform/printing/Printers.h"
#include "platform/runtime/IniFiles.h"
#include "platform/runtime/SysUtils.h"
#include "tests/support/Input.h"
#include "tests/support/TempFolder.h"

class LabelsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Home = std::make_unique<TTempHome>("varsona-labels");
        Root = Home->Root();
        std::filesystem::create_directories(ConfigFolder());
        auto dialogs = std::make_unique<TScriptedDialogs>();
        dialogs->SetAutoOk(true);
        Dialogs = dialogs.get();
        InstallDialogService(std::move(dialogs));
        SetTickCountSource([t = uint32_t{1000}]() mutable { return t += 250; });
        UsePrinter(TPageSetup{});
    }

    void TearDown() override {
        StopForms();
        SetPrinter(nullptr);
        InstallDialogService(nullptr);
        SetTickCountSource({});
        Home.reset();
    }

    // A file of these bytes in the test's folder; its path.
    std::string File(const std::string& name, const std::string& text) {
        const std::string path = Root + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string ConfigFolder() const { return Root + "/config/varsona/"; }
    std::string TemplatePath() const { return ConfigFolder() + "vrslbl.ini"; }

    // A printer object holding one recording printer.
    void UsePrinter(const TPageSetup& setup) {
        auto recorder = std::make_unique<TRecordingPrinter>(PrinterConst::SRecordingPrinterName, setup);
        Recorder = recorder.get();
        std::vector<std::unique_ptr<TPrinterBackend>> list;
        list.push_back(std::move(recorder));
        SetPrinter(std::make_unique<TPrinter>(std::move(list), 0));
    }

    // The windows as the program start creates them: the main window, then
    // the ones plugged in after it.
    void StartForms() {
        RegisterLabelWindows();
        Application->CreateForm(Form1);
        CreateStartWindows();
    }
    void StopForms() {
        ForgetStartWindows();
        Application->DestroyComponents();
        Form1 = nullptr;
        frmCaptions = nullptr;
        frmLabels = nullptr;
        frmLabelsProps = nullptr;
    }

    // The main window's symbol: a symbology of the list and its data.
    void SetSymbol(const std::string& name, const std::string& data) {
        const int32_t index = SymbologyIndexOf(name);
        ASSERT_GE(index, 0) << name;
        Choose(Form1->ComboBox1, index);
        Form1->Edit1->SetText(data);
    }

    // An entry chosen from a combo's list as the user chooses it.
    static void Choose(TComboBox* combo, int32_t index) {
        combo->SetItemIndex(index);
        GuardedCall(combo, [combo, index] { combo->UserSelected(index); });
    }

    void WriteTemplate(const std::string& name, const TLabelTemplate& t) {
        TIniFile ini(TemplatePath());
        WriteLabelTemplate(ini, name, t);
    }

    // A handler run as the user's click runs it: errors go to the error box.
    static void UserClick(TControl* control) {
        GuardedCall(control, [control] { control->Click(); });
    }
    static void Activate(TForm* form) {
        GuardedCall(form, [form] {
            if (form->OnActivate) form->OnActivate(form);
        });
    }

    std::unique_ptr<TTempHome> Home;
    std::string Root;
    TScriptedDialogs* Dialogs = nullptr;
    TRecordingPrinter* Recorder = nullptr;
};

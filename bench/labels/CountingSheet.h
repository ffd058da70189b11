// The label sheet window as the label benchmarks start it: a home of its own,
// dialogs that answer OK, the 3 x 7 template and a counting run of 10,000
// EAN-13 labels set up (prefix "4006", numbers 00001 to 10000, suffix "123").
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "designer/StartWindows.h"
#include "designer/SymbologyList.h"
#include "designer/Unit1.h"
#include "labels/LabelTemplates.h"
#include "labels/LabelWindows.h"
#include "labels/Unit4.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Forms.h"
#include "platform/runtime/IniFiles.h"

struct TCountingSheet {
    std::string Root;
    TScriptedDialogs* Dialogs = nullptr;

    void Start(const char* folderTemplate) {
        std::string tmpl = folderTemplate;
        Root = mkdtemp(tmpl.data());
        setenv("HOME", Root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (Root + "/config").c_str(), 1);
        std::filesystem::create_directories(Root + "/config/varsona");
        auto dialogs = std::make_unique<TScriptedDialogs>();
        dialogs->SetAutoOk(true);
        Dialogs = dialogs.get();
        InstallDialogService(std::move(dialogs));
        {
            TIniFile ini(LabelTemplateFilePath());
            WriteLabelTemplate(ini, "A4 3x7",
                               {"70", "42.3", "5", "3", "7", "3", "0", "0.45", "70", "42.3", "No. %d", "", "8", "8"});
        }
        RegisterLabelWindows();
        Application->CreateForm(Form1);
        CreateStartWindows();
        const int32_t ean13 = SymbologyIndexOf("Code EAN-13");
        Form1->ComboBox1->SetItemIndex(ean13);
        Form1->ComboBox1->UserSelected(ean13);
        Form1->Edit1->SetText("400600001123");
        frmLabels->OnActivate(frmLabels);
        frmLabels->Prefix->SetText("4006");
        frmLabels->seqBegininput->SetText("00001");
        frmLabels->seqEnd->SetText("10000");
        frmLabels->SuffixBox->SetChecked(true);
        frmLabels->Suffix->SetText("123");
    }

    void Finish() {
        ForgetStartWindows();
        Application->DestroyComponents();
        InstallDialogService(nullptr);
        Dialogs = nullptr;
        std::filesystem::remove_all(Root);
    }
};

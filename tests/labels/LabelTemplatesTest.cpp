// The label template file through the platform's INI files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "labels/LabelTemplates.h"
#include "platform/runtime/IniFiles.h"
#include "platform/runtime/SysUtils.h"
#include "tests/support/TempFolder.h"

namespace {

class LabelTemplatesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Home = std::make_unique<TTempHome>("varsona-labels");
        Root = Home->Root();
        std::filesystem::create_directories(Root + "/config/varsona");
    }
    void TearDown() override { Home.reset(); }

    std::string Path() const { return Root + "/config/varsona/vrslbl.ini"; }
    void WriteFile(const std::string& text) { std::ofstream(Path(), std::ios::binary) << text; }
    std::string FileText() const {
        std::ifstream in(Path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::unique_ptr<TTempHome> Home;
    std::string Root;
};

TEST_F(LabelTemplatesTest, FileLiesInTheSettingsFolder) { EXPECT_EQ(LabelTemplateFilePath(), Path()); }

TEST_F(LabelTemplatesTest, MissingSectionGivesTheDefaults) {
    TIniFile ini(Path());
    const TLabelTemplate t = ReadLabelTemplate(ini, "nothing");
    for (const TTemplateKey& key : TemplateKeys) {
        SCOPED_TRACE(key.Key);
        EXPECT_EQ(t.*key.Field, key.Default);
    }
    EXPECT_EQ(t.Rows, "1");
    EXPECT_EQ(t.TopCaption, "0");
    EXPECT_EQ(t.BottomFontSize, "8");
    EXPECT_FALSE(FileExists(Path()));
}

TEST_F(LabelTemplatesTest, MissingKeyGivesItsDefaultAndEmptyKeyGivesEmpty) {
    WriteFile("[Avery]\nwidth=70\nrows=\ntcaption=\n");
    TIniFile ini(Path());
    const TLabelTemplate t = ReadLabelTemplate(ini, "Avery");
    EXPECT_EQ(t.Width, "70");
    EXPECT_EQ(t.Rows, "");
    EXPECT_EQ(t.TopCaption, "");
    EXPECT_EQ(t.Columns, "1");
    EXPECT_EQ(t.BottomCaption, "0");
    EXPECT_EQ(t.TopFontSize, "8");
}

TEST_F(LabelTemplatesTest, NamesCompareWithoutRegardToCase) {
    WriteFile("[Avery L7160]\nwidth=63.5\n");
    {
        TIniFile ini(Path());
        EXPECT_EQ(ReadLabelTemplate(ini, "AVERY l7160").Width, "63.5");
        TLabelTemplate t;
        t.Width = "64";
        WriteLabelTemplate(ini, "avery L7160", t);
        EXPECT_EQ(ReadTemplateNames(ini), std::vector<std::string>{"Avery L7160"});
        EXPECT_EQ(ReadLabelTemplate(ini, "Avery L7160").Width, "64");
        DeleteLabelTemplate(ini, "AVERY L7160");
        EXPECT_TRUE(ReadTemplateNames(ini).empty());
    }
}

TEST_F(LabelTemplatesTest, SectionsListedInFileOrder) {
    WriteFile("[zeta]\nwidth=1\n\n[Alpha]\nwidth=2\n\n[mid]\nwidth=3\n");
    TIniFile ini(Path());
    EXPECT_EQ(ReadTemplateNames(ini), (std::vector<std::string>{"zeta", "Alpha", "mid"}));
}

TEST_F(LabelTemplatesTest, WritesEveryKeyInOrderWithItsText) {
    TLabelTemplate t{"70", "42,3", "5", "4", "7", "3", "0", "15.15", "70", "42.3", "No. %d", "", "10", "12"};
    {
        TIniFile ini(Path());
        WriteLabelTemplate(ini, "A4 3x7", t);
    }
    EXPECT_EQ(FileText(),
              "[A4 3x7]\nwidth=70\nheight=42,3\nllmargin=5\nltmargin=4\nrows=7\ncolumns=3\npglmargin=0\n"
              "pgtmargin=15.15\nhorizsp=70\nvertsp=42.3\ntcaption=No. %d\nbcaption=\ntcapfont=10\nbcapfont=12\n");
}

TEST_F(LabelTemplatesTest, EmptyFieldKeepsTheStoredValueButCaptionsAreAlwaysWritten) {
    WriteFile("[t]\nwidth=70\nrows=7\ntcaption=Top\nbcaption=Bottom\n");
    TLabelTemplate t;
    for (const TTemplateKey& key : TemplateKeys) t.*key.Field = "";
    {
        TIniFile ini(Path());
        WriteLabelTemplate(ini, "t", t);
        const TLabelTemplate back = ReadLabelTemplate(ini, "t");
        EXPECT_EQ(back.Width, "70");
        EXPECT_EQ(back.Rows, "7");
        EXPECT_EQ(back.TopCaption, "");
        EXPECT_EQ(back.BottomCaption, "");
        // A new template without a width reads the default.
        WriteLabelTemplate(ini, "new", t);
        EXPECT_EQ(ReadLabelTemplate(ini, "new").Width, "0");
        EXPECT_EQ(ReadLabelTemplate(ini, "new").TopCaption, "");
    }
    EXPECT_EQ(FileText(), "[t]\nwidth=70\nrows=7\ntcaption=\nbcaption=\n\n[new]\ntcaption=\nbcaption=\n");
}

TEST_F(LabelTemplatesTest, DeletionErasesOneSectionAndLeavesTheRest) {
    WriteFile("[a]\nwidth=1\n\n[b]\nwidth=2\n");
    TIniFile ini(Path());
    DeleteLabelTemplate(ini, "a");
    EXPECT_EQ(ReadTemplateNames(ini), std::vector<std::string>{"b"});
    const std::string before = FileText();
    DeleteLabelTemplate(ini, "no such template");
    EXPECT_EQ(FileText(), before);
}

TEST_F(LabelTemplatesTest, RefusedWriteRaisesTheProfileError) {
    std::filesystem::remove_all(Root + "/config/varsona");
    TIniFile ini(Path());
    TLabelTemplate t;
    try {
        WriteLabelTemplate(ini, "t", t);
        FAIL() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + Path());
    }
}

}  // namespace

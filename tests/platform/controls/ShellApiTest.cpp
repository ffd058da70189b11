// ShellExecute and HtmlHelp: what reaches the desktop, what is refused, what
// the user is told; the desktop's opener is replaced so nothing starts.
#include <gtest/gtest.h>

#include "platform/controls/Dialogs.h"
#include "platform/controls/HtmlHelp.h"
#include "platform/controls/ShellApi.h"
#include "tests/support/TempFolder.h"

namespace {

// Records what would open, answers as the desktop would (or would not).
struct DesktopFixture : ::testing::Test {
    void SetUp() override {
        previous = SetDesktopOpener([this](const std::string& url) {
            opened.push_back(url);
            return desktopCanOpen;
        });
        ClearShellExecuteLog();
        ClearHtmlHelpLog();
        auto scripted = std::make_unique<TScriptedDialogs>();
        scripted->SetAutoOk(true);
        dialogs = scripted.get();
        previousDialogs = InstallDialogService(std::move(scripted));
        folder = TestFolder();
    }
    void TearDown() override {
        SetDesktopOpener(previous);
        InstallDialogService(std::move(previousDialogs));
    }
    std::vector<std::string> opened;
    bool desktopCanOpen = true;
    TDesktopOpener previous;
    TScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<TDialogService> previousDialogs;
    std::string folder;
};

using ShellExecuteTest = DesktopFixture;

struct OpenRow {
    const char* Name;
    const char* Operation;
    const char* File;
    const char* Url;  // nullptr: nothing opens
    int32_t Result;
};

TEST_F(ShellExecuteTest, AddressesAndFilesOpenWithTheDesktop) {
    WriteFile(folder + "notes.txt", "x");
    const OpenRow rows[] = {
        {"WebPage", "open", "https://varsona.example.org/", "https://varsona.example.org/", SE_SUCCESS},
        {"Mail", "open", "mailto:info@example.org", "mailto:info@example.org", SE_SUCCESS},
        {"DefaultVerb", "", "http://example.org/a b", "http://example.org/a%20b", SE_SUCCESS},
        {"BareWww", "open", "www.example.org", "http://www.example.org", SE_SUCCESS},
        {"VerbCase", "Open", "https://example.org", "https://example.org", SE_SUCCESS},
        {"Print", "print", "https://example.org", nullptr, SE_ERR_NOASSOC},
        {"NoFile", "open", "", nullptr, SE_ERR_FNF},
    };
    for (const OpenRow& row : rows) {
        SCOPED_TRACE(row.Name);
        opened.clear();
        EXPECT_EQ(ShellExecute(nullptr, row.Operation, row.File, "", "", SW_SHOWNORMAL), row.Result);
        if (row.Url) EXPECT_EQ(opened, std::vector<std::string>{row.Url});
        else EXPECT_TRUE(opened.empty());
    }
    ASSERT_EQ(ShellExecuteLog().size(), std::size(rows));
    EXPECT_EQ(ShellExecuteLog()[0].File, "https://varsona.example.org/");
    EXPECT_EQ(ShellExecuteLog()[0].ShowCmd, SW_SHOWNORMAL);
    EXPECT_EQ(ShellExecuteLog()[0].Result, SE_SUCCESS);
}

TEST_F(ShellExecuteTest, FilesAreFoundInTheDirectoryGivenAndMustExist) {
    WriteFile(folder + "labels.csv", "1,2");
    EXPECT_EQ(ShellExecute(nullptr, "open", "labels.csv", "-x", folder, SW_SHOW), SE_SUCCESS);
    EXPECT_EQ(opened, std::vector<std::string>{"file://" + folder + "labels.csv"});
    EXPECT_EQ(ShellExecuteLog().back().Parameters, "-x");
    EXPECT_EQ(ShellExecute(nullptr, "open", folder + "missing.csv", "", "", SW_SHOW), SE_ERR_FNF);
    EXPECT_EQ(ShellExecute(nullptr, "open", folder + "no/such/file", "", "", SW_SHOW), SE_ERR_PNF);
    EXPECT_EQ(ShellExecute(nullptr, "explore", folder, "", "", SW_SHOW), SE_SUCCESS);
    EXPECT_EQ(ShellExecute(nullptr, "explore", folder + "labels.csv", "", "", SW_SHOW), SE_ERR_FNF);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_TRUE(ShellExecuteLog()[1].Url.empty());
}

TEST_F(ShellExecuteTest, ADesktopThatCannotOpenIsReported) {
    desktopCanOpen = false;
    EXPECT_EQ(ShellExecute(nullptr, "open", "https://example.org", "", "", SW_SHOW), SE_ERR_NOASSOC);
    EXPECT_EQ(opened.size(), 1u);
}

// ---------------------------------------------------------------- help

using HtmlHelpTest = DesktopFixture;

struct HelpRow {
    const char* Name;
    uint32_t Command;
    intptr_t Data;
};

TEST_F(HtmlHelpTest, EveryDisplayCommandOpensTheHelpFile) {
    std::string chm = folder + "varsona.chm";
    WriteFile(chm, "ITSF");
    const HelpRow rows[] = {{"Topic", HH_DISPLAY_TOPIC, 0}, {"Index", HH_DISPLAY_INDEX, 0},
                            {"Context", HH_HELP_CONTEXT, 0}, {"ContextNumber", HH_HELP_CONTEXT, 4711}};
    for (const HelpRow& row : rows) {
        SCOPED_TRACE(row.Name);
        opened.clear();
        EXPECT_EQ(HtmlHelp(nullptr, chm, row.Command, row.Data), 1);
        EXPECT_EQ(opened, std::vector<std::string>{"file://" + chm});
        EXPECT_EQ(HtmlHelpLog().back().Command, row.Command);
        EXPECT_EQ(HtmlHelpLog().back().Data, row.Data);
    }
    // A topic or window in the name still opens the file.
    opened.clear();
    EXPECT_EQ(HtmlHelp(nullptr, chm + "::/intro.htm>main", HH_DISPLAY_TOPIC, 0), 1);
    EXPECT_EQ(opened, std::vector<std::string>{"file://" + chm});
    EXPECT_TRUE(dialogs->Log().empty());
}

TEST_F(HtmlHelpTest, CloseAllAndUnknownCommandsOpenNothing) {
    EXPECT_EQ(HtmlHelp(nullptr, "", HH_CLOSE_ALL, 0), 0);
    EXPECT_EQ(HtmlHelp(nullptr, folder + "varsona.chm", 4711, 0), 0);
    EXPECT_EQ(HtmlHelp(nullptr, "", HH_DISPLAY_TOPIC, 0), 0);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(dialogs->Log().empty());
    ASSERT_EQ(HtmlHelpLog().size(), 3u);
    EXPECT_EQ(HtmlHelpLog()[0].Command, HH_CLOSE_ALL);
}

TEST_F(HtmlHelpTest, AMissingFileIsReportedWithItsPathInAWarningBox) {
    std::string chm = folder + "varsona.chm";
    EXPECT_EQ(HtmlHelp(nullptr, chm, HH_DISPLAY_TOPIC, 0), 0);
    EXPECT_TRUE(opened.empty());
    ASSERT_EQ(dialogs->Log().size(), 1u);
    const TDialogRequest& box = dialogs->Log()[0];
    EXPECT_EQ(box.Kind, TDialogKind::MessageBox);
    EXPECT_EQ(box.Caption, HtmlHelpConst::SCaption);
    EXPECT_EQ(box.Text, "Cannot open the help file \"" + chm + "\": file not found.");
    EXPECT_EQ(box.Flags, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(HtmlHelpLog().back().Message, box.Text);
    EXPECT_EQ(HtmlHelpLog().back().Path, chm);
}

TEST_F(HtmlHelpTest, AFileWithoutAViewerIsReportedToo) {
    std::string chm = folder + "varsona.chm";
    WriteFile(chm, "ITSF");
    desktopCanOpen = false;
    EXPECT_EQ(HtmlHelp(nullptr, chm, HH_HELP_CONTEXT, 0), 0);
    EXPECT_EQ(dialogs->Messages(), std::vector<std::string>{FmtMsg(HtmlHelpConst::SNoViewer, chm)});
}

}  // namespace

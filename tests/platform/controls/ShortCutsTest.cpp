// Texts and codes that need no window: shortcuts, accelerators, dialog
// filters, key codes.
#include <gtest/gtest.h>

#include "platform/controls/qt/ControlsQt.h"
#include "platform/controls/Dialogs.h"
#include "platform/controls/Menus.h"

namespace {

struct ShortCutRow {
    const char* Name;
    const char* Text;
    TShortCut Code;
};

class ShortCutText : public ::testing::TestWithParam<ShortCutRow> {};

TEST_P(ShortCutText, ParsesAndWritesBack) {
    const ShortCutRow& row = GetParam();
    EXPECT_EQ(TextToShortCut(row.Text), row.Code);
    EXPECT_EQ(ShortCutToText(row.Code), row.Text);
}

// The main window's menu shortcuts and the platform's key names.
INSTANTIATE_TEST_SUITE_P(
    Rows, ShortCutText,
    ::testing::Values(ShortCutRow{"CtrlO", "Ctrl+O", static_cast<TShortCut>(scCtrl | 'O')},
                      ShortCutRow{"CtrlS", "Ctrl+S", static_cast<TShortCut>(scCtrl | 'S')},
                      ShortCutRow{"CtrlAltP", "Ctrl+Alt+P", static_cast<TShortCut>(scCtrl | scAlt | 'P')},
                      ShortCutRow{"CtrlZ", "Ctrl+Z", static_cast<TShortCut>(scCtrl | 'Z')},
                      ShortCutRow{"ShiftF5", "Shift+F5", static_cast<TShortCut>(scShift | VK_F5)},
                      ShortCutRow{"F1", "F1", VK_F1},
                      ShortCutRow{"Del", "Del", VK_DELETE},
                      ShortCutRow{"CtrlIns", "Ctrl+Ins", static_cast<TShortCut>(scCtrl | VK_INSERT)},
                      ShortCutRow{"ShiftCtrlAltEnter", "Shift+Ctrl+Alt+Enter",
                                  static_cast<TShortCut>(scShift | scCtrl | scAlt | VK_RETURN)},
                      ShortCutRow{"Digit", "Ctrl+1", static_cast<TShortCut>(scCtrl | '1')}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ShortCutText, IgnoresCaseAndModifierOrder) {
    EXPECT_EQ(TextToShortCut("ctrl+o"), TextToShortCut("Ctrl+O"));
    EXPECT_EQ(TextToShortCut("Alt+Ctrl+P"), TextToShortCut("Ctrl+Alt+P"));
    EXPECT_EQ(TextToShortCut(" Ctrl+O "), TextToShortCut("Ctrl+O"));
}

TEST(ShortCutText, UnknownTextIsNoShortCut) {
    for (const char* text : {"", "Ctrl+", "Hyper+O", "Ctrl+??", "F13", "Ctrl+OO"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(TextToShortCut(text), 0);
    }
    EXPECT_EQ(ShortCutToText(0), "");
}

TEST(ShortCutText, KeyAndShiftRoundTrip) {
    TShortCut s = ShortCut('P', ssCtrl | ssAlt);
    Word key;
    TShiftState shift;
    ShortCutToKey(s, key, shift);
    EXPECT_EQ(key, 'P');
    EXPECT_EQ(shift, ssCtrl | ssAlt);
}

TEST(Hotkeys, CaptionsWithoutMarks) {
    EXPECT_EQ(StripHotkey("&File"), "File");
    EXPECT_EQ(StripHotkey("Create &Template"), "Create Template");
    EXPECT_EQ(StripHotkey("Fish && Chips"), "Fish & Chips");
    EXPECT_EQ(StripHotkey("O&k"), "Ok");
    EXPECT_EQ(GetHotkey("E&xit"), 'X');
    EXPECT_EQ(GetHotkey("Fish && Chips"), 0);
    EXPECT_EQ(GetHotkey("plain"), 0);
}

TEST(DialogFilter, SplitsIntoNamePatternPairs) {
    auto entries = ParseFilter(
        "Windows Bitmap (*.BMP)|*.bmp|Gif File (*.GIF)|*.gif|TIFF 6.0 (*.TIF)|*.tif|Windows Metafile (*.WMF)|*.wmf|"
        "Enhanced Metafile (*.EMF)|*.emf|JPEG (*.JPG)|*.jpg");
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_EQ(entries[0].Name, "Windows Bitmap (*.BMP)");
    EXPECT_EQ(entries[0].Pattern, "*.bmp");
    EXPECT_EQ(entries[5].Name, "JPEG (*.JPG)");
    EXPECT_EQ(entries[5].Pattern, "*.jpg");
    auto multi = ParseFilter("Text (*.txt;*.csv)|*.txt;*.csv");
    ASSERT_EQ(multi.size(), 1u);
    EXPECT_EQ(multi[0].Pattern, "*.txt;*.csv");
    EXPECT_TRUE(ParseFilter("").empty());
}

TEST(KeyCodes, QtKeysMapToThePlatformsCodes) {
    struct {
        int Qt;
        Word Vk;
    } rows[] = {{Qt::Key_A, 'A'},          {Qt::Key_Z, 'Z'},          {Qt::Key_0, '0'},
                {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Escape, VK_ESCAPE},
                {Qt::Key_F1, VK_F1},        {Qt::Key_F12, VK_F12},      {Qt::Key_Delete, VK_DELETE},
                {Qt::Key_Backspace, VK_BACK}, {Qt::Key_Tab, VK_TAB},     {Qt::Key_Left, VK_LEFT},
                {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Period, VK_OEM_PERIOD}};
    for (auto& r : rows) {
        SCOPED_TRACE(r.Vk);
        EXPECT_EQ(VirtualKeyFromQt(r.Qt), r.Vk);
        if (r.Qt != Qt::Key_Enter) {
            EXPECT_EQ(QtKeyFromVirtualKey(r.Vk), r.Qt);
        }
    }
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_unknown), 0);
}

}  // namespace

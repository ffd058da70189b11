// Label data files without a window: what the writer writes the reader
// gives back, files of spreadsheets read as Python's csv module reads them,
// refusals of what is no label data, and a row's settings.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "labels/LabelDataFile.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace {

using namespace LabelData;
using Rows = std::vector<std::vector<std::string>>;

Rows Read(std::string_view text, TReadSummary* summary = nullptr) {
    Rows rows;
    const TReadSummary s = ReadLabelText(text, "data.csv", [&](std::vector<std::string>& f) { rows.push_back(f); });
    if (summary) *summary = s;
    return rows;
}

// The same text fed one byte at a time.
Rows ReadByteByByte(std::string_view text) {
    Rows rows;
    TFileReader reader("data.csv", [&](std::vector<std::string>& f) { rows.push_back(f); });
    for (char c : text) reader.Feed(std::string_view(&c, 1));
    reader.Finish();
    return rows;
}

std::string Text(const Rows& rows) {
    std::string out;
    for (size_t r = 0; r < rows.size(); ++r) AppendFileRow(out, rows[r], static_cast<int32_t>(r + 1));
    return out;
}

// Rows as a table holds them: trailing empty cells are no cells.
Rows Trimmed(Rows rows) {
    for (auto& row : rows)
        while (!row.empty() && row.back().empty()) row.pop_back();
    return rows;
}

TEST(LabelDataFile, SavedTablesComeBackAsTheyWere) {
    std::vector<std::string> wide;
    for (int i = 1; i <= 50; ++i) wide.push_back(i % 7 ? "f" + std::to_string(i) : "a, \"b\"");
    const Rows table{
        {"CODE39", "Hello, World", " ", "", "say \"x\"", "\"", ",", "\"\"", "  lead", "trail  "},
        {"CODE128_B", "two\r\nlines", "lf\nonly", "lone\rcr", "tab\there", "\r\n", "x\n", "Gr\xC3\xB6\xC3\x9F" "e"},
        {},
        {" "},
        {"", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "last of 16"},
        wide,
        {"\"quoted\"", "a\"\"b", "end,"},
    };
    const std::string text = Text(table);
    EXPECT_EQ(Trimmed(Read(text)), Trimmed(table));
    EXPECT_EQ(Trimmed(ReadByteByByte(text)), Trimmed(table));
    // Without the last line's end too.
    EXPECT_EQ(Trimmed(Read(text.substr(0, text.size() - 2))), Trimmed(table));
    // A first cell that begins with the character of a byte-order mark.
    const Rows marked{{"\xEF\xBB\xBFx", "y"}};
    EXPECT_EQ(Read(Text(marked)), marked);
}

TEST(LabelDataFile, LinesAndFields) {
    struct Case {
        std::string Text;
        Rows Expected;
    };
    const std::vector<Case> cases{
        {"", {{}}},  // an empty file is one empty line
        {"\r\n", {{}}},
        {"a,b\r\n\r\nc", {{"a", "b"}, {}, {"c"}}},
        {"a,,b,\n", {{"a", "", "b", ""}}},
        {"\"\"\n", {{""}}},
        // Unquoted fields lose their quotes, as before.
        {"12\"x,a\"b\"c\n", {{"12x", "abc"}}},
        // Text after a closing quote joins the field.
        {"\"ab\"cd,e\n", {{"abcd", "e"}}},
        {"\xEF\xBB\xBFUPC_A,1\n", {{"UPC_A", "1"}}},
        // A line that is not UTF-8 is Windows-1252.
        {"Caf\xE9,\x80\n\xC3\xA9\n", {{"Caf\xC3\xA9", "\xE2\x82\xAC"}, {"\xC3\xA9"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(Read(c.Text), c.Expected);
        EXPECT_EQ(ReadByteByByte(c.Text), c.Expected);
    }
}

TEST(LabelDataFile, MoreThanFiftyFieldsAreCutAndCounted) {
    std::string wide = "CODE39";
    for (int i = 2; i <= 60; ++i) wide += "," + std::to_string(i);
    TReadSummary summary;
    const Rows rows = Read("a\n\"two\nlines\"\n" + wide + "\nb\n" + wide + "\n", &summary);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[2].size(), 50u);
    EXPECT_EQ(rows[2].back(), "50");
    EXPECT_EQ(summary.Rows, 5);
    EXPECT_EQ(summary.Widest, 50);
    EXPECT_EQ(summary.CutRows, 2);
    EXPECT_EQ(summary.FirstCutLine, 4);  // the quoted line break counts as a line
}

TEST(LabelDataFile, WhatIsNoTextIsRefused) {
    const std::string notText = "\"data.csv\" is not a text file: it holds NUL bytes or control characters.";
    struct Case {
        std::string Text;
        std::string Message;
    };
    const std::vector<Case> cases{
        {std::string("UPC_A,1\n\0\0\0", 11), notText},
        {"GIF89a\x01\x02", notText},
        {"a,\"b\x1B\"\n", notText},
        {"a,b\x7F\n", notText},
        {"a\nb,\"open\nc\n", "\"data.csv\" cannot be read: the quoted field that starts on line 2 has no closing quote."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        try {
            Read(c.Text);
            ADD_FAILURE() << "read";
        } catch (const EInOutError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
    EXPECT_EQ(Read("a\tb\n"), (Rows{{"a\tb"}}));
}

TEST(LabelDataFile, FilesThatCannotBeReadAndMemoryThatRunsOut) {
    TTempFolder dir("labelfile");
    try {
        ReadLabelFile(dir.File("missing.csv"), [](std::vector<std::string>&) {});
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + dir.File("missing.csv") + "\". No such file or directory");
    }
    EXPECT_THROW(ReadLabelFile(dir.Path(), [](std::vector<std::string>&) {}), EInOutError);
    try {
        ReadLabelText("a\n", "big.csv", [](std::vector<std::string>&) { throw std::bad_alloc(); });
        ADD_FAILURE();
    } catch (const EOutOfMemory& e) {
        EXPECT_EQ(e.Message(), "There is not enough memory to load \"big.csv\".");
    }
}

TEST(LabelDataFile, CellsAFileCannotHoldAreRefused) {
    std::string out = "kept";
    try {
        AppendFileRow(out, {"CODE39", "bell\x07"}, 3);
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(),
                  "Data row 3, column \"Bar Caption\" holds a control character, which a label data file cannot hold.");
    }
    EXPECT_EQ(out, "kept");
}

// A file as spreadsheets write it, read by us and by Python's csv module.
TEST(LabelDataFileOracle, SpreadsheetFilesReadAsPythonReadsThem) {
    SKIP_WITHOUT_TOOL("python3");
    TTempFolder dir("labelcsv");
    const std::string file = dir.File("sheet.csv");
    const std::string text =
        "\xEF\xBB\xBF" "EAN_13,4006381333931,\" \",Arial,SC2,100,100,2:1,TRUE,FALSE,000,\"No. %d\",8,\" \",8\r\n"
        "CODE39,\"Bolt, M6 \"\"hex\"\" #1\",,,,,,,,,,\"two\r\nlines\",10,\"x,\"\"y\"\"\",6\r\n"
        "\r\n"
        "Codabar,A123B,\"\",\"\"\"\",\" lead\",trail ,\"\xC3\xA9t\xC3\xA9\"\r\n"
        "CODE128_B,\"ab\"cd,\"a\nb\",last\r\n"
        "UPC_A,01234567890";
    ASSERT_TRUE(WriteFileAtomically(file, text));
    const std::string script = dir.File("read.py");
    ASSERT_TRUE(WriteFileAtomically(script,
                                    "import csv, sys\n"
                                    "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
                                    "    for row in csv.reader(f):\n"
                                    "        print(' '.join('[' + c.encode().hex() + ']' for c in row))\n"));
    auto hex = [](const std::string& s) {
        static const char* digits = "0123456789abcdef";
        std::string out = "[";
        for (unsigned char c : s) {
            out += digits[c >> 4];
            out += digits[c & 15];
        }
        return out + "]";
    };
    std::string ours;
    ReadLabelFile(file, [&](std::vector<std::string>& row) {
        for (size_t i = 0; i < row.size(); ++i) ours += (i ? " " : "") + hex(row[i]);
        ours += "\n";
    });
    EXPECT_EQ(ours, RunCommand("python3 " + Quoted(script) + " " + Quoted(file)));
}

TEST(LabelDataRow, SettingsFromTheCells) {
    std::vector<std::string> row(ColumnCount, " ");
    row[colType] = "EAN_ISBN";
    row[colRotation] = "270";
    row[colRatio] = "3:1";
    row[colZoom] = "true";
    row[colHumanReadable] = "false";
    row[colBottomSize] = "";  // really empty: 6 points, as a blank one
    const TRowSettings s = RowSettings(row, 4);
    EXPECT_TRUE(s.HasType);
    EXPECT_EQ(s.Type, EAN_13);
    EXPECT_EQ(s.Rotation, rotate_270);
    EXPECT_EQ(s.Ratio, Ratio_3);
    EXPECT_EQ(s.ModuleWidth, SC9);
    EXPECT_FALSE(s.HumanReadable);
    EXPECT_EQ(s.Font, "Arial");
    EXPECT_EQ(s.BarHeight, 100);
    EXPECT_EQ(s.TopSize, 6);
    EXPECT_EQ(s.BottomSize, 6);
    EXPECT_FALSE(s.HasTopCaption);

    struct Bad {
        int32_t Col;
        std::string Text, Message;
    };
    for (const Bad& b : std::vector<Bad>{
             {colTopSize, "", "Data row 4, column \"TCap Font Size\": '' is not a valid integer value"},
             {colBarHeight, "tall", "Data row 4, column \"Bar Height %\": 'tall' is not a valid integer value"},
             {colBottomSize, "x", "Data row 4, column \"BCap Font Size\": 'x' is not a valid integer value"}}) {
        std::vector<std::string> bad = row;
        bad[static_cast<size_t>(b.Col)] = b.Text;
        try {
            RowSettings(bad, 4);
            ADD_FAILURE() << b.Text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), b.Message);
        }
    }
}

TEST(LabelDataRow, TheEditorsListsAreTheWordsThePrintReads) {
    for (const std::string& word : ColumnChoices(colType)) {
        btCodeTypes type;
        EXPECT_TRUE(TypeOfWord(word, type)) << word;
    }
    EXPECT_EQ(ColumnChoices(colType).size(), 15u);
    EXPECT_EQ(ColumnChoices(colRotation), (std::vector<std::string>{"000", "090", "180", "270"}));
    EXPECT_EQ(ColumnChoices(colRatio), (std::vector<std::string>{"2:1", "3:1"}));
    btCodeTypes type = UPC_E;
    EXPECT_FALSE(TypeOfWord("ean_13", type));
    EXPECT_EQ(type, UPC_E);
}

}  // namespace

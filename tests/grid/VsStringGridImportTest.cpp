// The grid's file import and drop target: CSV files (separator detection,
// quoted fields, line breaks, Append and ImportFixedCells, the progress
// event), spreadsheets through a recording provider and through FreeXL on
// .xls files written by gnumeric, and drops fed by synthetic Qt events.
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <random>

#include "grid/VsCsv.h"
#include "grid/VsSpreadsheet.h"
#include "tests/grid/VsStringGridTestSupport.h"
#include "tests/support/TempFolder.h"

#ifndef VARSONA_GRID_TEST_DATA
#define VARSONA_GRID_TEST_DATA "."
#endif

namespace {

using Rows = std::vector<std::vector<std::string>>;

class ImportTest : public StringGridTest {
protected:
    void SetUp() override {
        StringGridTest::SetUp();
        MakeGrid(400, 300, TRect{0, 0, 380, 280});
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder.File(name);
        WriteFile(path, bytes);
        return path;
    }
    // The cells of the grid's first rows and columns.
    Rows Cells(int32_t cols, int32_t rows) const {
        Rows out;
        for (int32_t r = 0; r < rows; ++r) {
            out.emplace_back();
            for (int32_t c = 0; c < cols; ++c) out.back().push_back(grid->Cells(c, r));
        }
        return out;
    }
    Rows AllCells() const { return Cells(grid->ColCount(), grid->RowCount()); }
    TTempFolder folder{"varsona-import"};
};

// ---------------------------------------------------------------- CSV

struct CsvRow {
    const char* Name;
    const char* Text;
    bool Tilde;
    Rows Expected;  // every cell of the grid after the import
};

class CsvCases : public ImportTest, public ::testing::WithParamInterface<CsvRow> {};

TEST_P(CsvCases, ImportsTheCells) {
    const CsvRow& row = GetParam();
    grid->SetColCount(1);
    grid->SetRowCount(1);
    grid->SetFixedRows(0);
    grid->SetFixedCols(0);
    grid->SetCsvTildeBreaks(row.Tilde);
    grid->ImportCsvFile(Write("f.csv", row.Text));
    EXPECT_EQ(AllCells(), row.Expected);
    EXPECT_EQ(grid->CsvSeparator(), '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CsvCases,
    ::testing::Values(
        // Equal counts of ";" (3) and "," (1): the larger wins.
        CsvRow{"EqualCountsLargerWins", "a;b;c;d,e\r\nf;g;h;i,j\r\n", false,
               {{"a", "b", "c", "d,e"}, {"f", "g", "h", "i,j"}}},
        CsvRow{"DifferentCountsOneFieldPerLine", "a;b\nc;d;e\n", false, {{"a;b"}, {"c;d;e"}}},
        CsvRow{"OneLineIsOneColumn", "a,b,c", false, {{"a,b,c"}}},
        CsvRow{"DoubledCharacterDoesNotCount", "a,,b;c\nd;e\n", false, {{"a,,b", "c"}, {"d", "e"}}},
        CsvRow{"TabSeparated", "a\tb\nc\td\n", false, {{"a", "b"}, {"c", "d"}}},
        CsvRow{"PipeSeparated", "a|b\nc|d\n", false, {{"a", "b"}, {"c", "d"}}},
        CsvRow{"DoubledQuotesGiveOne", "\"say \"\"hi\"\"\",x\n1,2\n", false, {{"say \"hi\"", "x"}, {"1", "2"}}},
        CsvRow{"QuotedSeparatorStays", "\"a,b\",c\n1,2,3\n", false, {{"a,b", "c", ""}, {"1", "2", "3"}}},
        CsvRow{"QuotedLastField", "x,\"a \"\"b\"\"\"\n1,2\n", false, {{"x", "a \"b\""}, {"1", "2"}}},
        CsvRow{"UnquotedLastFieldKeepsItsQuotes", "x,5\" wide\"\n1,2\n", false, {{"x", "5\" wide\""}, {"1", "2"}}},
        // Nothing of a line is lost: an unclosed quote runs to the line's
        // end, text after a closing quote joins its field.
        CsvRow{"NoClosingQuoteRunsToTheLinesEnd", "\"abc,def\n1,2\n", false, {{"abc,def", ""}, {"1", "2"}}},
        CsvRow{"TextAfterAClosingQuoteJoinsTheField", "\"a\"b,c\n1,2\n", false, {{"ab", "c"}, {"1", "2"}}},
        CsvRow{"ALineThatIsNoUtf8IsWindows1252", "caf\xE9,x\n1,2\n", false, {{"caf\u00e9", "x"}, {"1", "2"}}},
        CsvRow{"TildeBreaks", "a~b,c\n1,2\n", true, {{"a\r\nb", "c"}, {"1", "2"}}},
        CsvRow{"TildeWithoutTildeBreaks", "a~b,c\n1,2\n", false, {{"a~b", "c"}, {"1", "2"}}},
        // Without a separator a line is one field: a leading quoted part kept
        // only itself, the rest of the line was lost.
        CsvRow{"NoSeparatorKeepsTheWholeLine", "\"a,b\",c\r\nd\r\n", false, {{"a,b\",c"}, {"d"}}},
        CsvRow{"LastFieldKeepsTextAfterItsQuote", "x,\"a\"b\"\n1,2\n", false, {{"x", "a\"b"}, {"1", "2"}}},
        CsvRow{"UnclosedLastFieldKeepsItsText", "x,\"a\"\"b\n1,2\n", false, {{"x", "a\"b"}, {"1", "2"}}}),
    [](const ::testing::TestParamInfo<CsvRow>& info) { return std::string(info.param.Name); });

// The streaming reader cuts a file as SplitLines cuts the whole text, also
// across its buffer's edges and with a line longer than the buffer.
TEST(LineReader, CutsAsSplitLines) {
    TTempFolder folder("varsona-lines");
    std::string big(3 << 20, 'x');
    const std::vector<std::string> texts{"", "\n", "a", "a\r\nb", "a\n\nb\n", "\r\n\r\n", "a\r",
                                         std::string(1 << 20, 'y') + "\r\n" + big + "\nz",
                                         std::string((1 << 20) - 1, 'q') + "\r\nw\n"};
    for (const std::string& text : texts) {
        const std::string path = folder.File("l.txt");
        WriteFile(path, text);
        VsCsv::TLineReader reader(path);
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<std::string> got;
            std::string_view line;
            while (reader.Next(line)) got.emplace_back(line);
            const std::vector<std::string_view> want = VsCsv::SplitLines(text);
            EXPECT_EQ(got, std::vector<std::string>(want.begin(), want.end())) << text.size();
            reader.Rewind();
        }
    }
    EXPECT_THROW(VsCsv::TLineReader(folder.File("none")), EFOpenError);
    VsCsv::TLineReader dir(folder.Path());
    std::string_view line;
    EXPECT_THROW(dir.Next(line), EFOpenError);
}

TEST_F(ImportTest, AppendAndImportFixedCellsPlaceTheLines) {
    const std::string file = Write("two.csv", "a,b\nc,d\n");
    grid->SetColCount(3);
    grid->SetRowCount(3);  // FixedRows and FixedCols 1
    grid->ImportCsvFile(file);
    EXPECT_EQ(AllCells(), (Rows{{"a", "b", ""}, {"c", "d", ""}}));

    grid->ClearAll();
    grid->SetImportFixedCells(false);
    grid->ImportCsvFile(file);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(Cells(3, 3), (Rows{{"", "", ""}, {"", "a", "b"}, {"", "c", "d"}}));

    grid->ImportCsv(file, true);
    EXPECT_EQ(grid->RowCount(), 5);
    EXPECT_EQ(Cells(3, 5), (Rows{{"", "", ""}, {"", "a", "b"}, {"", "c", "d"}, {"", "a", "b"}, {"", "c", "d"}}));
}

// An import over old data left the old cells beside the shorter new rows.
TEST_F(ImportTest, ImportOverAFilledGridClearsTheRowsItFills) {
    grid->SetColCount(4);
    grid->SetRowCount(4);
    for (int32_t r = 0; r < 4; ++r)
        for (int32_t c = 0; c < 4; ++c) grid->SetCells(c, r, "old");
    grid->SetImportFixedCells(false);
    grid->ImportCsvFile(Write("new.csv", "a,b\nc,d\n"));
    EXPECT_EQ(AllCells(), (Rows{{"old", "old", "old", "old"}, {"old", "a", "b", ""}, {"old", "c", "d", ""}}));
}

TEST_F(ImportTest, AnEmptyFileKeepsTheFixedRowsFootersAndOneRow) {
    grid->SetColCount(3);
    grid->SetRowCount(6);
    grid->SetFixedFooters(2);
    grid->ImportCsvFile(Write("empty.csv", ""));
    EXPECT_EQ(grid->RowCount(), 4);
}

TEST_F(ImportTest, ProgressIsReportedWhenItsRoundedValueChanges) {
    std::vector<int16_t> seen;
    grid->OnFileProgress = [&](TObject*, int16_t p) { seen.push_back(p); };
    std::string eight;
    for (int i = 0; i < 8; ++i) eight += "x\n";
    grid->ImportCsvFile(Write("eight.csv", eight));
    // A half goes to the even neighbour: 12.5 gives 12, 37.5 gives 38.
    EXPECT_EQ(seen, (std::vector<int16_t>{12, 25, 38, 50, 62, 75, 88, 100}));
    seen.clear();
    std::string many;
    for (int i = 0; i < 1000; ++i) many += "x\n";
    grid->ImportCsvFile(Write("many.csv", many));
    ASSERT_EQ(seen.size(), 101u);
    for (int i = 0; i <= 100; ++i) EXPECT_EQ(seen[static_cast<size_t>(i)], i);
}

TEST_F(ImportTest, OemTextIsConvertedBeforeSplitting) {
    grid->SetOemConvert(true);
    grid->ImportCsvFile(Write("oem.csv", "\x80\x81,\xe1\xf8\n1,2\n"));
    EXPECT_EQ(grid->Cells(0, 0), "Çü");
    EXPECT_EQ(grid->Cells(1, 0), "ß°");
}

TEST_F(ImportTest, AMissingFileChangesNothing) {
    grid->SetCells(1, 1, "kept");
    const int32_t rows = grid->RowCount();
    const std::string name = folder.File("none.csv");
    try {
        grid->ImportCsvFile(name);
        ADD_FAILURE() << "no error";
    } catch (const EVsGridError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + name);
    }
    EXPECT_THROW(grid->ImportCsvFile(folder.Path()), EVsGridError);
    EXPECT_EQ(grid->Cells(1, 1), "kept");
    EXPECT_EQ(grid->RowCount(), rows);
}

// The import processes messages after its lines: what arrives meanwhile,
// another import or a drop, does nothing, and an error ends it cleanly.
TEST_F(ImportTest, WhileAnImportRunsAnotherOneDoesNothingAndAnErrorEndsItCleanly) {
    const std::string other = Write("other.csv", "zzz;q\nzzz;q\n");
    const std::string file = Write("main.csv", "a;b\nc;d\ne;f\n");
    grid->SetCsvSeparator(';');
    int calls = 0;
    grid->OnFileProgress = [&](TObject*, int16_t) {
        ++calls;
        EXPECT_TRUE(grid->Importing());
        grid->ImportCsvFile(other);
        grid->ImportSpreadsheetFile(folder.File("x.xls"));
    };
    grid->ImportCsvFile(file);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(Cells(2, 3), (Rows{{"a", "b"}, {"c", "d"}, {"e", "f"}}));
    EXPECT_FALSE(grid->Importing());

    grid->SetCsvSeparator('\0');
    grid->OnFileProgress = [](TObject*, int16_t p) {
        if (p > 50) throw EVsGridError("stop");
    };
    EXPECT_THROW(grid->ImportCsvFile(file), EVsGridError);
    EXPECT_EQ(grid->CsvSeparator(), '\0');
    EXPECT_FALSE(grid->Importing());
    grid->OnFileProgress = nullptr;
    grid->ImportCsvFile(other);
    EXPECT_EQ(grid->Cells(0, 0), "zzz");
}

// ---------------------------------------------------------------- spreadsheets

// A spreadsheet program that answers from a table and logs the calls.
struct TFakeBook {
    std::vector<std::string> Names{"One", "Two"};
    std::string Used = "$B$2:$D$5";
    bool FailRange = false;
    std::vector<std::string> Log;
};

class TFakeWorkbook : public TSpreadsheetWorkbook {
public:
    explicit TFakeWorkbook(TFakeBook& b) : B(b) {}
    int32_t SheetCount() override { return static_cast<int32_t>(B.Names.size()); }
    std::string SheetName(int32_t i) override { return B.Names[static_cast<size_t>(i - 1)]; }
    int32_t ActiveSheet() override { return 1; }
    std::string UsedRangeAddress(int32_t sheet) override {
        B.Log.push_back("used " + std::to_string(sheet));
        return B.Used;
    }
    TRangeValues RangeValues(int32_t sheet, const std::string& address) override {
        B.Log.push_back("range " + std::to_string(sheet) + " " + address);
        if (B.FailRange) throw ESpreadsheetError("range failed");
        int32_t l, t, r, b;
        EXPECT_TRUE(ParseRange(address, l, t, r, b));
        TRangeValues out;
        for (int32_t y = t; y <= b; ++y) {
            out.emplace_back();
            for (int32_t x = l; x <= r; ++x) out.back().push_back(ColumnLetters(x) + std::to_string(y));
        }
        return out;
    }
    void Close(bool save) override { B.Log.push_back(save ? "close saving" : "close"); }

private:
    TFakeBook& B;
};

class TFakeApp : public TSpreadsheetApplication {
public:
    explicit TFakeApp(TFakeBook& b) : B(b) {}
    std::unique_ptr<TSpreadsheetWorkbook> Open(const std::string& name) override {
        B.Log.push_back("open " + name);
        return std::make_unique<TFakeWorkbook>(B);
    }
    void Quit() override { B.Log.push_back("quit"); }

private:
    TFakeBook& B;
};

class SpreadsheetTest : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        saved = SetSpreadsheetProvider([this] { return std::make_unique<TFakeApp>(book); });
    }
    void TearDown() override {
        SetSpreadsheetProvider(saved);
        ImportTest::TearDown();
    }
    TFakeBook book;
    TSpreadsheetProvider saved;
};

// The range read was A1:C4 for a used range of B2:D5: the wrong cells.
TEST_F(SpreadsheetTest, TheUsedRangeB2D5GivesItsOwnCells) {
    grid->ImportSpreadsheetFile("book.xls");
    EXPECT_EQ(grid->ColCount(), 3);
    EXPECT_EQ(grid->RowCount(), 4);
    EXPECT_EQ(AllCells(), (Rows{{"B2", "C2", "D2"}, {"B3", "C3", "D3"}, {"B4", "C4", "D4"}, {"B5", "C5", "D5"}}));
    EXPECT_EQ(book.Log, (std::vector<std::string>{"open book.xls", "used 1", "range 1 $B$2:$D$5", "close", "quit"}));
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST_F(SpreadsheetTest, FixedCellsOffsetAndANamedSheet) {
    book.Used = "$A$1:$AZ$2";
    book.Names = {"One", "Two", "One"};
    grid->SetImportFixedCells(false);
    grid->ImportSpreadsheet("book.xls", "One");
    EXPECT_EQ(grid->ColCount(), 53);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Cells(1, 1), "A1");
    EXPECT_EQ(grid->Cells(52, 2), "AZ2");
    EXPECT_EQ(grid->Cells(0, 0), "");
    EXPECT_EQ(book.Log[1], "used 3");  // the last sheet of that name
}

TEST_F(SpreadsheetTest, ASingleCellIsOneByOne) {
    book.Used = "$C$3";
    grid->ImportSpreadsheetFile("book.xls");
    EXPECT_EQ(AllCells(), (Rows{{"C3"}}));
}

TEST_F(SpreadsheetTest, AMissingSheetAndAFailedReadCloseQuitAndRestoreTheCursor) {
    try {
        grid->ImportSpreadsheet("book.xls", "Three");
        ADD_FAILURE() << "no error";
    } catch (const EVsGridError& e) {
        EXPECT_EQ(e.Message(), "Excel worksheet Three not found");
    }
    EXPECT_EQ(book.Log, (std::vector<std::string>{"open book.xls", "close", "quit"}));
    EXPECT_EQ(Screen->Cursor(), crDefault);

    book.Log.clear();
    book.FailRange = true;
    EXPECT_THROW(grid->ImportSpreadsheetFile("book.xls"), ESpreadsheetError);
    EXPECT_EQ(book.Log.back(), "quit");
    EXPECT_EQ(book.Log[book.Log.size() - 2], "close");
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_FALSE(grid->Importing());
}

TEST_F(SpreadsheetTest, WithoutAProviderTheServerIsNotFound) {
    SetSpreadsheetProvider({});
    try {
        grid->ImportSpreadsheetFile("book.xls");
        ADD_FAILURE() << "no error";
    } catch (const EVsGridError& e) {
        EXPECT_EQ(e.Message(), "Excel OLE server not found");
    }
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST(ColumnLetters, AToZThenTwoLetters) {
    const std::vector<std::pair<int32_t, std::string>> rows{{1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"},
                                                            {53, "BA"}, {256, "IV"}, {702, "ZZ"}, {703, "AAA"}};
    for (const auto& [n, letters] : rows) {
        EXPECT_EQ(ColumnLetters(n), letters);
        EXPECT_EQ(ColumnNumber(letters), n);
    }
    int32_t l, t, r, b;
    EXPECT_FALSE(ParseRange("$B$2:", l, t, r, b));
    EXPECT_FALSE(ParseRange("2B", l, t, r, b));
    EXPECT_TRUE(ParseRange("b2:$d$5", l, t, r, b));
    EXPECT_EQ((std::vector<int32_t>{l, t, r, b}), (std::vector<int32_t>{2, 2, 4, 5}));
}

// ---------------------------------------------------------------- .xls files written by gnumeric

std::string Fixture(const std::string& name) { return std::string(VARSONA_GRID_TEST_DATA) + "/" + name; }

TEST_F(ImportTest, XlsFilesWrittenByAnotherProgram) {
    grid->ImportSpreadsheetFile(Fixture("offset.xls"));
    EXPECT_EQ(AllCells(), (Rows{{"Name", "Count", "Price"},
                                {"alpha", "3", "1.5"},
                                {"beta, \"quoted\"", "-7", "1234.25"},
                                {"", "0", "Grüße"}}));

    grid->ImportSpreadsheet(Fixture("sheets.xls"), "Second");
    EXPECT_EQ(AllCells(), (Rows{{"second sheet"}}));
    grid->ImportSpreadsheetFile(Fixture("sheets.xls"));
    EXPECT_EQ(AllCells(), (Rows{{"first", "sheet"}}));

    grid->ImportSpreadsheetFile(Fixture("wide.xls"));
    EXPECT_EQ(grid->ColCount(), 52);
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->Cells(0, 0), "A");
    EXPECT_EQ(grid->Cells(51, 0), "AZ");

    EXPECT_THROW(grid->ImportSpreadsheet(Fixture("sheets.xls"), "Third"), EVsGridError);
    EXPECT_THROW(grid->ImportSpreadsheetFile(folder.File("missing.xls")), ESpreadsheetError);
}

// A used range A1:IV65536 that holds two cells was read as a value per
// cell of the range: 818 MB. Under an address space limit of 256 MB more
// than the test maps now, it imports and the grid holds two rows.
TEST_F(ImportTest, ASparseUsedRangeCostsItsCellsNotItsArea) {
    long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        ASSERT_EQ(std::fscanf(f, "%ld", &pages), 1);
        std::fclose(f);
    }
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{256} << 20);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
    std::string error;
    try {
        grid->ImportSpreadsheetFile(Fixture("sparse.xls"));
    } catch (const Exception& e) {
        error = e.Message();
    } catch (const std::exception& e) {
        error = e.what();
    }
    setrlimit(RLIMIT_AS, &saved);
    ASSERT_EQ(error, "");
    EXPECT_EQ(grid->ColCount(), 256);
    EXPECT_EQ(grid->RowCount(), 65536);
    EXPECT_EQ(grid->Cells(0, 0), "first");
    EXPECT_EQ(grid->Cells(255, 65535), "42");
    EXPECT_EQ(grid->Model().UnitCount(), 2);
}

// The workbook is read in a child process: whatever happens to the reader
// there, a fault, a hang or a run out of memory, is the import's error and
// the grid goes on as it was.
struct ReaderFault {
    const char* Name;
    std::function<void()> Hook;
    const char* Reason;
};

class ReaderFaults : public ImportTest, public ::testing::WithParamInterface<ReaderFault> {};

TEST_P(ReaderFaults, BecomeTheImportsError) {
    const TSpreadsheetReaderLimits limits = SetSpreadsheetReaderLimits({1, int64_t{64} << 20});
    const TSpreadsheetReaderHook saved = SetSpreadsheetReaderHook(GetParam().Hook);
    grid->SetCells(1, 1, "kept");
    const std::string file = Fixture("sheets.xls");
    std::string message;
    try {
        grid->ImportSpreadsheetFile(file);
    } catch (const ESpreadsheetError& e) {
        message = e.Message();
    }
    SetSpreadsheetReaderHook(saved);
    SetSpreadsheetReaderLimits(limits);
    EXPECT_EQ(message, "Cannot read the workbook " + file + ": " + GetParam().Reason);
    EXPECT_EQ(grid->Cells(1, 1), "kept");
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_FALSE(grid->Importing());
    grid->ImportSpreadsheetFile(file);
    EXPECT_EQ(AllCells(), (Rows{{"first", "sheet"}}));
}

INSTANTIATE_TEST_SUITE_P(
    Hooks, ReaderFaults,
    ::testing::Values(ReaderFault{"Segfault", [] { std::raise(SIGSEGV); }, "the reader stopped with signal 11"},
                      ReaderFault{"Abort", [] { std::abort(); }, "the reader stopped with signal 6"},
                      ReaderFault{"Hang",
                                  [] {
                                      for (;;) pause();
                                  },
                                  "the reader ran out of time"},
                      ReaderFault{"Spin",
                                  [] {
                                      volatile uint64_t i = 0;
                                      for (;;) i = i + 1;
                                  },
                                  "the reader ran out of time"},
                      ReaderFault{"Memory",
                                  [] {
                                      std::vector<std::unique_ptr<char[]>> hog;
                                      for (;;) hog.emplace_back(new char[1 << 20]);
                                  },
                                  "the reader ran out of memory"}),
    [](const ::testing::TestParamInfo<ReaderFault>& info) { return std::string(info.param.Name); });

// Damaged copies of a workbook (cut short, bytes overwritten) import or
// fail with an error; none takes the program down.
TEST_F(ImportTest, DamagedWorkbooksFailWithAnError) {
    const std::string good = ReadFile(Fixture("offset.xls"));
    std::mt19937 rng(3);
    int failed = 0;
    for (int round = 0; round < 40; ++round) {
        std::string bad = good;
        if (round % 4 == 0) bad.resize(rng() % bad.size());
        for (int k = static_cast<int>(rng() % 6) + 1; k > 0; --k) bad[rng() % bad.size()] = static_cast<char>(rng());
        const std::string file = Write("bad.xls", bad);
        try {
            grid->ImportSpreadsheetFile(file);
        } catch (const ESpreadsheetError&) {
            ++failed;
        } catch (const EVsGridError&) {
            ++failed;
        }
    }
    EXPECT_GT(failed, 0);
    grid->ImportSpreadsheetFile(Fixture("sheets.xls"));
    EXPECT_EQ(AllCells(), (Rows{{"first", "sheet"}}));
}

// ---------------------------------------------------------------- drops

class DropTest : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        form->Show();
        grid->SetColCount(4);
        grid->SetRowCount(4);
        grid->SetOleDropTarget(true);
        grid->OnOleDrop = [this](TObject*, int32_t c, int32_t r, const std::string& data, bool& allow) {
            log.push_back(std::to_string(c) + "," + std::to_string(r) + " " + data);
            allow = allowDrops;
        };
        Process();
    }
    void Drop(const QMimeData& mime, TPoint client) {
        QWidget* w = NativeWidget(grid);
        const QPoint p(client.X, client.Y);
        QDragEnterEvent enter(p, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &enter);
        QDragMoveEvent move(p, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        QDropEvent drop(QPointF(p), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &drop);
    }
    TPoint CellCentre(int32_t c, int32_t r) const {
        const TRect rect = grid->CellRect(c, r);
        return {(rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2};
    }
    void DropFiles(const std::vector<std::string>& files) {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& f : files) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(f)));
        mime.setUrls(urls);
        Drop(mime, CellCentre(1, 1));
    }
    std::vector<std::string> log;
    bool allowDrops = true;
};

TEST_F(DropTest, OneCsvFileIsImportedTwoFilesNothing) {
    const std::string csv = Write("data.csv", "a,b\nc,d\n");
    DropFiles({csv, Write("more.csv", "x\n")});
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(grid->Cells(0, 0), "");

    DropFiles({csv});
    EXPECT_EQ(log, std::vector<std::string>{"-1,-1 " + csv});
    EXPECT_EQ(Cells(2, 2), (Rows{{"a", "b"}, {"c", "d"}}));

    log.clear();
    allowDrops = false;
    grid->ClearAll();
    DropFiles({csv});
    EXPECT_EQ(log.size(), 1u);
    EXPECT_EQ(grid->Cells(0, 0), "");
}

TEST_F(DropTest, AnXlsFileIsImportedAsASpreadsheet) {
    TFakeBook book;
    const TSpreadsheetProvider saved = SetSpreadsheetProvider([&] { return std::make_unique<TFakeApp>(book); });
    DropFiles({"/tmp/data.xls"});
    SetSpreadsheetProvider(saved);
    EXPECT_EQ(log, std::vector<std::string>{"-1,-1 /tmp/data.xls"});
    EXPECT_EQ(book.Log.front(), "open /tmp/data.xls");
    EXPECT_EQ(grid->Cells(0, 0), "B2");
}

// A workbook whose reader faults, dropped on the grid: the fault is the
// error box's message and the grid takes the next drop.
TEST_F(DropTest, ADroppedWorkbookWhoseReaderFaultsIsAnErrorMessage) {
    const TSpreadsheetReaderHook saved = SetSpreadsheetReaderHook([] { std::raise(SIGSEGV); });
    const std::string book = Fixture("sheets.xls");
    dialogs->AnswerMessageBox(IDOK);
    DropFiles({book});
    SetSpreadsheetReaderHook(saved);
    EXPECT_EQ(dialogs->Messages(),
              std::vector<std::string>{"Cannot read the workbook " + book + ": the reader stopped with signal 11."});
    EXPECT_FALSE(grid->Importing());
    DropFiles({book});
    EXPECT_EQ(Cells(2, 1), (Rows{{"first", "sheet"}}));
}

TEST_F(DropTest, RichTextGoesOnlyIntoAnEditableCellAndNothingOutsideTheCells) {
    QMimeData rich;
    rich.setData("text/rtf", "{\\rtf1 x}");
    Drop(rich, CellCentre(2, 1));
    EXPECT_EQ(log, std::vector<std::string>{"2,1 {\\rtf1 x}"});
    EXPECT_EQ(grid->Cells(2, 1), "");  // no goEditing

    grid->SetOptions(grid->Options() | goEditing);
    Drop(rich, CellCentre(2, 1));
    EXPECT_EQ(grid->Cells(2, 1), "{\\rtf1 x}");

    log.clear();
    const TRect last = grid->CellRect(3, 3);
    Drop(rich, TPoint{last.Right + 20, last.Bottom + 20});
    EXPECT_TRUE(log.empty());
}

TEST_F(DropTest, TextIsPastedAsABlockFromTheCellUnderThePoint) {
    grid->SetOptions(grid->Options() | goEditing);
    QMimeData text;
    text.setText("1\t2\r\n3");
    Drop(text, CellCentre(1, 2));
    EXPECT_EQ(log, std::vector<std::string>{"1,2 1\t2\r\n3"});
    EXPECT_EQ(Cells(4, 4), (Rows{{"", "", "", ""}, {"", "", "", ""}, {"", "1", "2", ""}, {"", "3", "", ""}}));
}

}  // namespace

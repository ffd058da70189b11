// Cell texts from a hostile data file, drawn through the grid's cell
// painting on a bitmap and measured for sizing: nothing may crash, hang,
// read a device or cost more than the part of the text the cell shows.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QImage>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "grid/VsHtml.h"
#include "grid/VsUtil.h"
#include "platform/graphics/RecordingDevice.h"
#include "platform/graphics/qt/FontCache.h"
#include "tests/grid/VsStringGridTestSupport.h"
#include "tests/support/TempFolder.h"

// No operation of the grid hides a column; the tests hide one directly.
struct TVsStringGridProbe {
    static void HideRealColumn(TVsStringGrid& g, int32_t real) {
        g.FColumnVisible.fill(true);
        g.FColumnVisible[static_cast<size_t>(real)] = false;
        g.FHiddenColCount = 1;
    }
};

namespace {

class HostileTextTest : public StringGridTest {
protected:
    void SetUp() override {
        StringGridTest::SetUp();
        MakeGrid(640, 400, {0, 0, 600, 360});
        grid->SetColCount(4);
        grid->SetRowCount(4);
        grid->SetColor(clWhite);
    }
    // The cell painted on a bitmap, as the grid paints it.
    void Paint(int32_t col, int32_t row) {
        canvas = std::make_unique<TRecordingCanvas>(96, 96, TSize{700, 500}, true);
        grid->DrawCellOn(*canvas, col, row, grid->CellRect(col, row), 0);
    }
    // Pixels of the cell that are not the background.
    int32_t Ink(int32_t col, int32_t row) {
        const TRect r = grid->CellRect(col, row);
        int32_t n = 0;
        for (int32_t y = r.Top; y < r.Bottom; ++y)
            for (int32_t x = r.Left; x < r.Right; ++x)
                if (canvas->Bitmap()->Canvas()->Pixel(x, y) != ColorToRGB(clWhite)) ++n;
        return n;
    }
    std::unique_ptr<TRecordingCanvas> canvas;
};

// Bytes read by this process so far (every read(2), devices included).
int64_t BytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

}  // namespace

// ---------------------------------------------------------------- text the font engine must survive

TEST_F(HostileTextTest, ControlCharactersAndInvalidBytesDrawInEveryWay) {
    const char* const faces[] = {"Arial", "Liberation Sans", "DejaVu Sans"};
    const char* const texts[] = {
        "<u>\x0C\xFE<B",          // underlined: a form feed, then a byte that is never UTF-8
        "<A href=x>\x0C\xFE</A>",  // the same inside an anchor
        "<u>\xFE\x0C\x0C\xFF\x80</u>",
        "<u>a\x0C\xC3</u>",         // a cut sequence
        "<S>\x0B\x0C\x1F\x7F\xFE</S>",
        "\x0C\xFE plain",            // plain text
        "{\\rtf1 {\\ul \x0C\xFE}}",  // rich text
    };
    for (const char* face : faces) {
        for (const char* text : texts) {
            SCOPED_TRACE(std::string(face) + " " + text);
            grid->Font()->SetName(face);
            grid->SetCells(1, 1, text);
            Paint(1, 1);
            grid->SetWordWrap(true);
            Paint(1, 1);
            grid->SetWordWrap(false);
            grid->AutoSizeColumn(1, false);
            grid->AutoSizeRow(1);
        }
    }
}

// ---------------------------------------------------------------- files named in a cell

namespace {

// A FIFO whose reader is let go: a watcher opens the writing end whenever
// somebody waits on the reading end, and notes that it happened.
class TFifoWatch {
public:
    explicit TFifoWatch(std::string path) : FPath(std::move(path)), FThread([this] { Run(); }) {}
    ~TFifoWatch() {
        FStop = true;
        FThread.join();
    }
    bool Opened() const { return FOpened; }

private:
    void Run() {
        while (!FStop) {
            const int fd = ::open(FPath.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                FOpened = true;
                ::close(fd);  // the reader sees the end of the file
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    std::string FPath;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FOpened{false};
    std::thread FThread;
};

}  // namespace

TEST_F(HostileTextTest, OnlyRegularFilesOfPictureSizeAreRead) {
    TTempFolder dir("cellfiles");
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Regular, but larger than any picture a cell shows: sparse, so cheap.
    const std::string huge = dir.File("huge.bmp");
    {
        std::ofstream out(huge, std::ios::binary);
        out << "BM";
    }
    std::filesystem::resize_file(huge, 65 * 1024 * 1024);
    TFifoWatch watch(fifo);
    const std::string paths[] = {fifo, "/dev/zero", huge};
    for (const std::string& path : paths) {
        for (const char* form : {"<IMG src=\"file://%s\"></B>x", "<BODY background=\"file://%s\"></B>x"}) {
            char cell[512];
            std::snprintf(cell, sizeof cell, form, path.c_str());
            SCOPED_TRACE(cell);
            grid->SetCells(1, 1, cell);
            const int64_t before = BytesRead();
            Paint(1, 1);
            grid->AutoSizeColumn(1, false);
            grid->AutoSizeRow(1);
            Paint(1, 1);
            EXPECT_LT(BytesRead() - before, 1 << 20);
        }
    }
    EXPECT_FALSE(watch.Opened());
}

TEST_F(HostileTextTest, APictureFileIsReadOncePerChange) {
    TTempFolder dir("cellpictures");
    const std::string path = dir.File("p.bmp");
    auto write = [&](TColor color, int seconds) {
        TBitmap b(40, 16);
        b.Canvas()->Brush()->SetColor(color);
        b.Canvas()->FillRect({0, 0, 40, 16});
        b.SaveToFile(path);
        const timespec times[2] = {{1700000000 + seconds, 0}, {1700000000 + seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    write(clRed, 0);
    const int64_t size = static_cast<int64_t>(std::filesystem::file_size(path));
    grid->SetCells(1, 1, "<IMG src=\"file://" + path + "\"></B>");
    const TRect cell = grid->CellRect(1, 1);
    auto shown = [&] { return canvas->Bitmap()->Canvas()->Pixel(cell.Left + 10, cell.Top + 6); };
    Paint(1, 1);
    EXPECT_EQ(shown(), ColorToRGB(clRed));
    const int64_t before = BytesRead();
    for (int i = 0; i < 5; ++i) {
        Paint(1, 1);
        grid->AutoSizeColumn(1, false);
    }
    EXPECT_LT(BytesRead() - before, size);
    EXPECT_EQ(shown(), ColorToRGB(clRed));
    write(clBlue, 5);  // a new picture under the same name
    Paint(1, 1);
    EXPECT_EQ(shown(), ColorToRGB(clBlue));
}

// ---------------------------------------------------------------- long texts in small cells

TEST_F(HostileTextTest, OnlyWhatACellShowsIsShaped) {
    // One word of 1 MB with the letters that start ligatures and a few that
    // are not ASCII, so that no shortcut of plain ASCII applies.
    std::string word;
    while (word.size() < (1 << 20)) word += "fiffle\xC3\xA9";
    struct Way {
        const char* Name;
        std::string Cell;
        bool EnhTextSize, WordWrap, RightAligned;
    } const ways[] = {
        {"plain", word, false, false, false},
        {"plain, shortened", word, true, false, false},
        {"plain, right", word, false, false, true},
        {"plain, wrapped", word, false, true, false},
        {"HTML", "<B>" + word + "</B>", false, false, false},
        {"HTML, underlined", "<U>" + word + "</U></B>", false, false, false},
    };
    for (const Way& w : ways) {
        SCOPED_TRACE(w.Name);
        grid->SetEnhTextSize(w.EnhTextSize);
        grid->SetWordWrap(w.WordWrap);
        grid->OnGetAlignment = w.RightAligned ? [](TObject*, int32_t, int32_t, TAlignment& a) { a = taRightJustify; }
                                              : TGridAlignEvent();
        grid->SetCells(1, 1, w.Cell);
        const uint64_t before = ShapedUnits();
        Paint(1, 1);
        EXPECT_GT(Ink(1, 1), 0);
        EXPECT_LT(ShapedUnits() - before, 4096u);
    }
    // Measuring for sizes shapes nothing of it either, and gives its width.
    grid->SetWordWrap(false);
    grid->SetCells(1, 1, word);
    grid->SetCells(1, 2, "fiffle\xC3\xA9");
    const uint64_t before = ShapedUnits();
    grid->AutoSizeColumns(true, 0);
    grid->AutoSizeRow(1);
    EXPECT_LT(ShapedUnits() - before, 4096u);
    // Wider than any screen, it is sized to the widest width measured.
    EXPECT_EQ(grid->ColWidths(1), kMaxMeasuredTextWidth + 4);
    grid->SetCells(1, 1, "<B>" + word + "</B>");
    const uint64_t html = ShapedUnits();
    grid->AutoSizeColumns(true, 0);
    EXPECT_LT(ShapedUnits() - html, 4096u);
    EXPECT_EQ(grid->ColWidths(1), kMaxMeasuredTextWidth + 4);
    // A long text narrower than that is measured whole.
    const std::string some = word.substr(0, 4096);
    grid->SetCells(1, 1, some);
    grid->AutoSizeColumns(true, 0);
    TCanvas measure;
    measure.SetFont(grid->Font());
    ASSERT_LT(measure.TextWidth(some), kMaxMeasuredTextWidth);
    EXPECT_EQ(grid->ColWidths(1), measure.TextWidth(some) + 4);
}

TEST_F(HostileTextTest, AHugeTextDrawsAsThePartItShows) {
    // Past what shows, a megabyte and a byte that is never UTF-8: read, it
    // would make the whole text Windows-1252, and the letters shown others.
    std::string shown;
    while (shown.size() < 240) shown += "fiffle\xC3\xA9";
    std::string filler;
    while (filler.size() < (1 << 20)) filler += "fiffle\xC3\xA9";
    std::string amps;
    for (int i = 0; i < 40; ++i) amps += "&amp;";
    std::string many;
    for (int i = 0; i < 200000; ++i) many += "&amp;";
    struct Way {
        const char* Name;
        std::string Huge, Shown;
        TAlignment Align, ShownAlign;
        bool EnhTextSize, WordWrap;
    } const ways[] = {
        {"left", shown + filler + "\xFF", shown, taLeftJustify, taLeftJustify, false, false},
        // Too wide to be measured whole: from its start.
        {"centred", shown + filler + "\xFF", shown, taCenter, taLeftJustify, false, false},
        {"right", "\xFF" + filler + shown, shown, taRightJustify, taRightJustify, false, false},
        {"shortened", shown + filler + "\xFF", shown, taLeftJustify, taLeftJustify, true, false},
        {"wrapped", shown + filler + "\xFF", shown, taLeftJustify, taLeftJustify, false, true},
        {"HTML", "<B>" + shown + filler + "\xFF</B>", "<B>" + shown + "</B>", taLeftJustify, taLeftJustify, false, false},
        {"entities", "<B>" + many + "\xFF</B>", "<B>" + amps + "</B>", taLeftJustify, taLeftJustify, false, false},
    };
    const TRect cell = grid->CellRect(1, 1);
    auto pixels = [&] {
        std::vector<TColor> p;
        for (int32_t y = cell.Top; y < cell.Bottom; ++y)
            for (int32_t x = cell.Left; x < cell.Right; ++x) p.push_back(canvas->Bitmap()->Canvas()->Pixel(x, y));
        return p;
    };
    for (const Way& w : ways) {
        SCOPED_TRACE(w.Name);
        grid->SetEnhTextSize(w.EnhTextSize);
        grid->SetWordWrap(w.WordWrap);
        TAlignment align = w.ShownAlign;
        grid->OnGetAlignment = [&align](TObject*, int32_t, int32_t, TAlignment& a) { a = align; };
        grid->SetCells(1, 1, w.Shown);
        Paint(1, 1);
        const std::vector<TColor> expected = pixels();
        align = w.Align;
        grid->SetCells(1, 1, w.Huge);
        const uint64_t before = ShapedUnits();
        Paint(1, 1);
        EXPECT_LT(ShapedUnits() - before, 4096u);
        EXPECT_GT(Ink(1, 1), 0);
        if (w.Align != taRightJustify) {
            EXPECT_TRUE(pixels() == expected);
            continue;
        }
        // Placed by the width of its end rather than of the whole, the text
        // may sit a fraction of a pixel aside.
        int32_t differ = 0;
        const std::vector<TColor> got = pixels();
        for (size_t k = 0; k < got.size(); ++k) differ += got[k] != expected[k];
        const int32_t ink = Ink(1, 1);
        grid->SetCells(1, 1, w.Shown);
        Paint(1, 1);
        EXPECT_NEAR(ink, Ink(1, 1), Ink(1, 1) / 10);
        EXPECT_LT(differ, 2 * Ink(1, 1));
    }
}

// ---------------------------------------------------------------- numbers beyond their range

TEST_F(HostileTextTest, HugeAnglesAndFontSizesStayInRange) {
    // 300000000 degrees is a turn of 120.
    grid->SetCells(1, 1, "<R a=\"300000000\">turned</R></B>");
    Paint(1, 1);
    auto texts = canvas->Calls(TRecordedKind::TextOut);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].Font.Escapement, 1200);
    grid->SetCells(1, 1, "<R a=\"-300000000\">turned</R></B>");
    Paint(1, 1);
    texts = canvas->Calls(TRecordedKind::TextOut);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0].Font.Escapement, -1200);
    for (const char* size : {"1000000000", "-1000000000", "2147483647", "-2147483648"}) {
        SCOPED_TRACE(size);
        grid->SetCells(1, 1, std::string("<FONT size=\"") + size + "\">big<BR>two</FONT></B>");
        Paint(1, 1);
        grid->AutoSizeColumn(1, false);
        grid->AutoSizeRow(1);
        for (const auto& t : canvas->Calls(TRecordedKind::TextOut)) EXPECT_LE(std::abs(t.Font.Height), 1 << 16);
    }
}

// ---------------------------------------------------------------- entities and columns

TEST_F(HostileTextTest, EntitiesAreReplacedInOnePass) {
    std::string many;
    for (int i = 0; i < 200000; ++i) many += "&amp;";
    TCanvas canvas;
    std::string anchor, plain;
    int32_t w = 0, h = 0;
    HTMLDrawText(canvas, "<B>" + many + "&lt;&GT;&Quot;&amp;lt;&x;&</B>", {0, 0, 100, 100}, nullptr, 0, 0, false, true,
                 false, true, true, 1.0, clBlue, anchor, plain, w, h);
    EXPECT_EQ(plain, std::string(200000, '&') + "<>\"&lt;&x;&");
}

TEST_F(HostileTextTest, SizingTakesFontColourAndTextOfTheRealColumn) {
    grid->SetFixedCols(1);
    grid->FixedFont()->SetSize(30);
    grid->Font()->SetSize(8);
    TVsStringGridProbe::HideRealColumn(*grid, 0);  // display column 0 is real column 1
    ASSERT_EQ(grid->RealColIndex(0), 1);
    for (int32_t r = 0; r < grid->RowCount(); ++r) grid->SetCells(1, r, r == 0 ? "" : "some wider text");
    std::vector<int32_t> asked;
    grid->OnGetCellColor = [&](TObject*, int32_t, int32_t ACol, TGridDrawState, TBrush*, TFont*) {
        asked.push_back(ACol);
    };
    grid->AutoSizeColumn(0, false);
    TCanvas measure;
    measure.SetFont(grid->Font());
    EXPECT_EQ(grid->ColWidths(0), measure.TextWidth("some wider text") + 4);
    ASSERT_FALSE(asked.empty());
    for (int32_t c : asked) EXPECT_EQ(c, 1);
    asked.clear();
    grid->AutoSizeRow(2);
    EXPECT_EQ(asked.front(), 1);
}

// Symbols drawn with DrawOnCanvas on 300 dpi bitmaps, in all four rotations,
// read back by a reader nobody here wrote: the zbarimg command-line tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>

#include "engine/Barcode.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/RecordingDevice.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace {

std::vector<std::string> SortedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

struct TZbarCase {
    const char* name;
    btCodeTypes type;
    std::string caption;
    std::string addon;
    btCodeRatio ratio;
    std::vector<std::string> decoded;  // zbarimg's lines, sorted
    std::string symbologies;           // the reader's decoders to enable
};

void PrintTo(const TZbarCase& c, std::ostream* os) { *os << c.name; }

class ZbarReads : public ::testing::TestWithParam<TZbarCase> {
protected:
    static void SetUpTestSuite() { dir = std::make_unique<TTempFolder>("varsona-zbar"); }
    static void TearDownTestSuite() { dir.reset(); }
    static std::unique_ptr<TTempFolder> dir;
};

std::unique_ptr<TTempFolder> ZbarReads::dir;

TEST_P(ZbarReads, EveryRotation) {
    SKIP_WITHOUT_TOOL("zbarimg");
    const TZbarCase& c = GetParam();
    TBarcode barcode(nullptr);
    barcode.SetBar_CodeType(c.type);
    barcode.SetBar_Caption(c.caption);
    barcode.SetBar_CodeAddon(c.addon);
    barcode.SetBar_Ratio(c.ratio);
    for (btCodeRotate rotation : {rotate_000, rotate_090, rotate_180, rotate_270}) {
        SCOPED_TRACE(90 * static_cast<int>(rotation));
        barcode.SetBar_Rotation(rotation);
        TRecordingCanvas measure(300, 300);
        TSize size;
        barcode.DrawOnCanvas(measure, 0, 0, &size);
        // A white quiet zone of about a third of an inch on every side.
        const int32_t quiet = 100;
        TBitmap bitmap(size.cx + 2 * quiet, size.cy + 2 * quiet);
        bitmap.SetResolution(300, 300);
        TCanvas& canvas = *bitmap.Canvas();
        canvas.Brush()->SetColor(clWhite);
        canvas.FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
        canvas.Font()->SetColor(clBlack);
        TSize drawn;
        barcode.DrawOnCanvas(canvas, quiet, quiet, &drawn);
        EXPECT_EQ(drawn, size);
        const std::string file =
            dir->File(std::string(c.name) + "-" + std::to_string(90 * static_cast<int>(rotation)) + ".png");
        bitmap.SaveToFile(file);
        // Only the symbology drawn is enabled, so that a stray read of another
        // one cannot hide or fake a result.
        std::string command = "zbarimg --nodbus -q -Sdisable";
        std::istringstream names(c.symbologies);
        for (std::string name; names >> name;) command += " -S" + name + ".enable=1";
        command += " -Si25.min-length=2 -Scodabar.min-length=1 " + Quoted(file);
        EXPECT_EQ(SortedLines(RunCommand(command)), c.decoded) << file;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ZbarReads,
    ::testing::Values(
        TZbarCase{"Ean8", EAN_8, "9638507", "", Ratio_3, {"EAN-8:96385074"}, "ean8"},
        TZbarCase{"Ean13", EAN_13, "400638133393", "", Ratio_3, {"EAN-13:4006381333931"}, "ean13"},
        TZbarCase{"Ean13Addon2", EAN_13, "400638133393", "12", Ratio_3, {"EAN-13:4006381333931", "EAN-2:12"},
                  "ean13 ean2"},
        TZbarCase{"Ean13Addon5", EAN_13, "400638133393", "52495", Ratio_3,
                  {"EAN-13:4006381333931", "EAN-5:52495"}, "ean13 ean5"},
        TZbarCase{"UpcA", UPC_A, "03600029145", "", Ratio_3, {"UPC-A:036000291452"}, "ean13 upca"},
        TZbarCase{"UpcE", UPC_E, "042100", "", Ratio_3, {"UPC-E:00421001"}, "upce"},
        TZbarCase{"Bookland", EAN_13, "978020137962", "", Ratio_3, {"EAN-13:9780201379624"}, "ean13"},
        TZbarCase{"Code39Ratio3", CODE39, "CODE 39-A", "", Ratio_3, {"CODE-39:CODE 39-A"}, "code39"},
        TZbarCase{"Code39Ratio2", CODE39, "HELLO123", "", Ratio_2, {"CODE-39:HELLO123"}, "code39"},
        TZbarCase{"CodabarRatio3", Codabar, "A1234B", "", Ratio_3, {"Codabar:A1234B"}, "codabar"},
        TZbarCase{"CodabarRatio2", Codabar, "40156", "", Ratio_2, {"Codabar:A40156A"}, "codabar"},
        TZbarCase{"Code25i", CODE25i, "1234", "", Ratio_3, {"I2/5:1234"}, "i25"},
        TZbarCase{"Code25iOddWithCheck", CODE25i, "9876543", "", Ratio_2, {"I2/5:98765430"}, "i25"},
        TZbarCase{"Code128A", CODE128_A, "ABC-123", "", Ratio_3, {"CODE-128:ABC-123"}, "code128"},
        TZbarCase{"Code128B", CODE128_B, "Hello World", "", Ratio_3, {"CODE-128:Hello World"}, "code128"},
        TZbarCase{"Code128C", CODE128_C, "123456", "", Ratio_3, {"CODE-128:123456"}, "code128"},
        TZbarCase{"Code128COdd", CODE128_C, "12345", "", Ratio_3, {"CODE-128:12345"}, "code128"},
        // Every printable character of sets A and B reads as typed.
        TZbarCase{"Code128ASetFirstHalf", CODE128_A, " !\"#$%&'()*+,-./0123456789:;<=>?", "", Ratio_3,
                  {"CODE-128: !\"#$%&'()*+,-./0123456789:;<=>?"}, "code128"},
        TZbarCase{"Code128ASetSecondHalf", CODE128_A, "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_", "", Ratio_3,
                  {"CODE-128:@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_"}, "code128"},
        TZbarCase{"Code128BSetFirstHalf", CODE128_B, " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNO", "",
                  Ratio_3, {"CODE-128: !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNO"}, "code128"},
        TZbarCase{"Code128BSetSecondHalf", CODE128_B, "PQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~", "",
                  Ratio_3, {"CODE-128:PQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"}, "code128"},
        // A switch to the set in use (CODE C, CODE B, CODE A: typed as the
        // characters 131, 132 and 133) encodes nothing.
        TZbarCase{"Code128CSwitchToCurrentSet", CODE128_C, "12\u0192" "34", "", Ratio_3, {"CODE-128:1234"},
                  "code128"},
        TZbarCase{"Code128BSwitchToCurrentSet", CODE128_B, "ab\u201E" "cd", "", Ratio_3, {"CODE-128:abcd"},
                  "code128"},
        TZbarCase{"Code128ASwitchToCurrentSet", CODE128_A, "AB\u2026" "CD", "", Ratio_3, {"CODE-128:ABCD"},
                  "code128"},
        // Lower case after a switch from set A to set B.
        TZbarCase{"Code128ASwitchToB", CODE128_A, "AB\u201E" "cd", "", Ratio_3, {"CODE-128:ABcd"}, "code128"},
        // A '*' inside the data is drawn as '0', like any character outside
        // the set, as the text shows.
        TZbarCase{"Code39StarInData", CODE39, "A*B", "", Ratio_3, {"CODE-39:A0B"}, "code39"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// Module rows against an encoder nobody here wrote: the zint command-line
// tool's --dump output. zint draws Code 39, Codabar and MSI with wide
// elements of 2 modules and interleaved 2 of 5 with 3; other ratios are
// compared after widening or narrowing its wide runs. Trailing light modules
// (Code 39's last gap, the add-on's end, MSI's stop space) are not in its
// rows and are not compared.
#include "engine/BarLL.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "tests/support/Tools.h"

namespace {

bool HaveZint() {
    static const bool have = RunCommand("zint --version 2>/dev/null").find("Zint") != std::string::npos;
    return have;
}

// One string of '0'/'1' per row of the dump.
std::vector<std::string> ZintRows(const std::string& args, const std::string& data) {
    const std::string out = RunCommand("zint " + args + " --dump -d " + Quoted(data) + " 2>/dev/null");
    std::vector<std::string> rows;
    std::string row;
    auto flush = [&] {
        if (!row.empty()) rows.push_back(row);
        row.clear();
    };
    for (char c : out) {
        if (c == '\n') {
            flush();
        } else if (std::isxdigit(static_cast<unsigned char>(c))) {
            const int v = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
            for (int b = 3; b >= 0; --b) row += (v >> b) & 1 ? '1' : '0';
        }
    }
    flush();
    return rows;
}

std::string StripTrailingZeros(std::string s) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    return s;
}

// Runs of `from` equal modules become `to` modules long.
std::string Rescale(const std::string& row, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = 0; i < row.size();) {
        std::size_t j = i;
        while (j < row.size() && row[j] == row[i]) ++j;
        const std::size_t n = j - i;
        out += std::string(n == from ? to : n, row[i]);
        i = j;
    }
    return out;
}

enum class TKind { Linear, Postnet, Fim };

struct TZintCase {
    const char* name;
    btCodeTypes type;
    std::string caption;
    std::string addon;
    btCodeRatio ratio;
    std::string zintArgs;
    std::string zintData;
    int zintWide;  // wide element of zint's row for two-width symbologies, else 0
    TKind kind = TKind::Linear;
};

void PrintTo(const TZintCase& c, std::ostream* os) { *os << c.name; }

std::string OurRow(const TZintCase& c) {
    TLLBarcode bc;
    bc.Params->CodeType = c.type;
    bc.Params->Caption.Assign(c.caption);
    bc.Params->Addon.Assign(c.addon);
    bc.Params->Ratio = c.ratio;
    bc.MakeModules();
    return bc.ModuleString();
}

class ZintRow : public ::testing::TestWithParam<TZintCase> {};

TEST_P(ZintRow, EqualsOurModules) {
    if (!HaveZint()) GTEST_SKIP() << "zint not installed";
    const TZintCase& c = GetParam();
    const std::vector<std::string> rows = ZintRows(c.zintArgs, c.zintData);
    const std::string ours = OurRow(c);
    switch (c.kind) {
        case TKind::Linear: {
            ASSERT_EQ(rows.size(), 1u);
            std::string theirs = rows[0];
            const int ourWide = c.ratio == Ratio_3 ? 3 : 2;
            if (c.zintWide != 0 && c.zintWide != ourWide)
                theirs = Rescale(theirs, static_cast<std::size_t>(c.zintWide), static_cast<std::size_t>(ourWide));
            EXPECT_EQ(StripTrailingZeros(ours), StripTrailingZeros(theirs));
            break;
        }
        case TKind::Postnet: {
            // Row 0 holds the tall parts, row 1 every bar; bars stand on even columns.
            ASSERT_EQ(rows.size(), 2u);
            const std::string all = StripTrailingZeros(rows[1]);
            std::string tall;
            for (std::size_t i = 0; i < all.size(); i += 2) {
                ASSERT_EQ(all[i], '1') << i;
                tall += rows[0][i];
            }
            EXPECT_EQ(ours, tall);
            break;
        }
        case TKind::Fim: {
            ASSERT_EQ(rows.size(), 1u);
            std::string positions;
            for (std::size_t i = 0; i < 17; i += 2) positions += rows[0][i];
            EXPECT_EQ(ours, positions);
            break;
        }
    }
}

const std::string CodeC(1, static_cast<char>(Code128Char::CodeC));
const std::string CodeB(1, static_cast<char>(Code128Char::CodeB));

INSTANTIATE_TEST_SUITE_P(
    Rows, ZintRow,
    ::testing::Values(
        TZintCase{"Ean13", EAN_13, "400638133393", "", Ratio_3, "-b EANX", "400638133393", 0},
        TZintCase{"Ean13B", EAN_13, "590123412345", "", Ratio_3, "-b EANX", "590123412345", 0},
        TZintCase{"Ean13Addon2", EAN_13, "400638133393", "12", Ratio_3, "-b EANX --addongap=9", "400638133393+12",
                  0},
        TZintCase{"Ean13Addon2Odd", EAN_13, "978020137962", "07", Ratio_3, "-b EANX --addongap=9",
                  "978020137962+07", 0},
        TZintCase{"Ean13Addon5", EAN_13, "400638133393", "52495", Ratio_3, "-b EANX --addongap=9",
                  "400638133393+52495", 0},
        TZintCase{"Ean8", EAN_8, "9638507", "", Ratio_3, "-b EANX", "9638507", 0},
        TZintCase{"Ean8B", EAN_8, "5512345", "", Ratio_3, "-b EANX", "5512345", 0},
        TZintCase{"UpcA", UPC_A, "03600029145", "", Ratio_3, "-b UPCA", "03600029145", 0},
        TZintCase{"UpcAAddon5", UPC_A, "12345678901", "52495", Ratio_3, "-b UPCA --addongap=9",
                  "12345678901+52495", 0},
        TZintCase{"UpcAAddon2", UPC_A, "03600029145", "23", Ratio_3, "-b UPCA --addongap=9", "03600029145+23", 0},
        TZintCase{"UpcETemplate0", UPC_E, "042100", "", Ratio_3, "-b UPCE", "042100", 0},
        TZintCase{"UpcETemplate2", UPC_E, "123452", "", Ratio_3, "-b UPCE", "123452", 0},
        TZintCase{"UpcETemplate3", UPC_E, "123453", "", Ratio_3, "-b UPCE", "123453", 0},
        TZintCase{"UpcETemplate4", UPC_E, "123454", "", Ratio_3, "-b UPCE", "123454", 0},
        TZintCase{"UpcETemplate7", UPC_E, "654327", "", Ratio_3, "-b UPCE", "654327", 0},
        TZintCase{"Code39Ratio2", CODE39, "ABC-123", "", Ratio_2, "-b CODE39", "ABC-123", 2},
        TZintCase{"Code39Ratio3", CODE39, "CODE39", "", Ratio_3, "-b CODE39", "CODE39", 2},
        TZintCase{"Code39Symbols", CODE39, "$/+%. XYZ", "", Ratio_2, "-b CODE39", "$/+%. XYZ", 2},
        TZintCase{"Code39Alphabet", CODE39, "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", "", Ratio_3, "-b CODE39",
                  "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ", 2},
        TZintCase{"Code25iEven", CODE25i, "1234", "", Ratio_3, "-b C25INTER", "1234", 3},
        TZintCase{"Code25iAllDigits", CODE25i, "0123456789", "", Ratio_2, "-b C25INTER", "0123456789", 3},
        TZintCase{"Code25iOddCheck", CODE25i, "123", "", Ratio_3, "-b C25INTER --vers=1", "123", 3},
        TZintCase{"Code25iOddCheckB", CODE25i, "9876543", "", Ratio_2, "-b C25INTER --vers=1", "9876543", 3},
        TZintCase{"Code25iPIdent", CODE25iP, "12345678901", "", Ratio_3, "-b DPIDENT", "12345678901", 3},
        TZintCase{"Code25iPIdentB", CODE25iP, "56310243031", "", Ratio_3, "-b DPIDENT", "56310243031", 3},
        TZintCase{"Code25iPLeit", CODE25iP, "1234567890123", "", Ratio_3, "-b DPLEIT", "1234567890123", 3},
        TZintCase{"Code128BHi", CODE128_B, "Hi", "", Ratio_3, "-b CODE128B", "Hi", 0},
        TZintCase{"Code128BText", CODE128_B, "Hello World!", "", Ratio_3, "-b CODE128B", "Hello World!", 0},
        TZintCase{"Code128BPunctuation", CODE128_B, "{|}~`_^ab", "", Ratio_3, "-b CODE128B", "{|}~`_^ab", 0},
        TZintCase{"Code128C", CODE128_C, "123456", "", Ratio_3, "-b CODE128", "123456", 0},
        TZintCase{"Code128CLong", CODE128_C, "00112233445566778899", "", Ratio_3, "-b CODE128",
                  "00112233445566778899", 0},
        TZintCase{"Code128BToC", CODE128_B, "a" + CodeC + "1234", "", Ratio_3, "-b CODE128", "a1234", 0},
        TZintCase{"Code128CToB", CODE128_C, "1234" + CodeB + "a", "", Ratio_3, "-b CODE128", "1234a", 0},
        TZintCase{"Msi", MSI_Plessey, "1234567", "", Ratio_2, "-b MSI_PLESSEY --vers=1", "1234567", 2},
        TZintCase{"MsiRatio3", MSI_Plessey, "80523", "", Ratio_3, "-b MSI_PLESSEY --vers=1", "80523", 2},
        TZintCase{"MsiLong", MSI_Plessey, "98765432109876543210", "", Ratio_2, "-b MSI_PLESSEY --vers=1",
                  "98765432109876543210", 2},
        TZintCase{"Codabar", Codabar, "A1234B", "", Ratio_2, "-b CODABAR", "A1234B", 2},
        TZintCase{"CodabarRatio3", Codabar, "C$-:/.+D", "", Ratio_3, "-b CODABAR", "C$-:/.+D", 2},
        TZintCase{"CodabarDigits", Codabar, "40156", "", Ratio_2, "-b CODABAR", "A40156A", 2},
        TZintCase{"Postnet5", Postnet, "12345", "", Ratio_3, "-b POSTNET", "12345", 0, TKind::Postnet},
        TZintCase{"Postnet9", Postnet, "555551237", "", Ratio_3, "-b POSTNET", "555551237", 0, TKind::Postnet},
        TZintCase{"Postnet11", Postnet, "12345678901", "", Ratio_3, "-b POSTNET", "12345678901", 0,
                  TKind::Postnet},
        TZintCase{"FimA", Postnet_FIM, "A", "", Ratio_3, "-b FIM", "A", 0, TKind::Fim},
        TZintCase{"FimB", Postnet_FIM, "b", "", Ratio_3, "-b FIM", "B", 0, TKind::Fim},
        TZintCase{"FimC", Postnet_FIM, "C", "", Ratio_3, "-b FIM", "C", 0, TKind::Fim}),
    [](const auto& info) { return std::string(info.param.name); });

// Every Code 128 value against the symbols zint builds: values 0 to 99 from a
// set-C string, the switch characters, FNC1, the starts and the stop.
TEST(ZintCode128, EveryPatternMatches) {
    if (!HaveZint()) GTEST_SKIP() << "zint not installed";
    auto chunk = [](const std::string& row, std::size_t k) { return row.substr(11 * k, 11); };
    // zint takes at most 160 characters: two halves of 50 values.
    for (int half = 0; half < 2; ++half) {
        std::string digits;
        for (int v = 50 * half; v < 50 * half + 50; ++v) digits += (v < 10 ? "0" : "") + std::to_string(v);
        const std::vector<std::string> rows = ZintRows("-b CODE128", digits);
        ASSERT_EQ(rows.size(), 1u);
        const std::string& setC = rows[0];
        EXPECT_EQ(chunk(setC, 0), BarCode128.Pattern(105));
        for (int k = 0; k < 50; ++k)
            EXPECT_EQ(chunk(setC, static_cast<std::size_t>(k) + 1), BarCode128.Pattern(50 * half + k)) << 50 * half + k;
        EXPECT_EQ(setC.substr(11 * 52, 13), std::string(BarCode128.Pattern(106)) + "11");
    }
    EXPECT_EQ(chunk(ZintRows("-b CODE128", "ABC").at(0), 0), BarCode128.Pattern(104));
    EXPECT_EQ(chunk(ZintRows("-b CODE128 --esc", "\\x01AB").at(0), 0), BarCode128.Pattern(103));
    EXPECT_EQ(chunk(ZintRows("-b CODE128", "a1234").at(0), 2), BarCode128.Pattern(99));
    EXPECT_EQ(chunk(ZintRows("-b CODE128", "1234a").at(0), 3), BarCode128.Pattern(100));
    EXPECT_EQ(chunk(ZintRows("-b CODE128 --esc", "1234\\x01").at(0), 3), BarCode128.Pattern(101));
    EXPECT_EQ(chunk(ZintRows("-b GS1_128", "[01]12345678901231").at(0), 1), BarCode128.Pattern(102));
}

}  // namespace

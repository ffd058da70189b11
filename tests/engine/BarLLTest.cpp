// Text preparation, check characters, pattern tables, module encoding and the
// measures of a draw; no canvas involved.
#include "engine/BarLL.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/BarMessages.h"
#include "platform/runtime/SysUtils.h"

namespace {

std::string Bytes(std::initializer_list<int> codes) {
    std::string s;
    for (int c : codes) s += static_cast<char>(c);
    return s;
}

struct TSymbol {
    TLLBarcode bc;
    explicit TSymbol(btCodeTypes type, std::string_view caption = "", std::string_view addon = "",
                     btCodeRatio ratio = Ratio_3) {
        bc.Params->CodeType = type;
        bc.Params->Caption.Assign(caption);
        bc.Params->Addon.Assign(addon);
        bc.Params->Ratio = ratio;
    }
    std::string Prepared() {
        TTextBuffer buffer;
        TLLBarcode::PrepareCode(bc.Params->Caption, buffer, bc.Params->CodeType);
        return buffer.Str();
    }
    std::string Modules() {
        bc.MakeModules();
        return bc.ModuleString();
    }
};

// Expands a row of element widths ("1" narrow, "w" wide) into modules,
// starting with a bar.
std::string Elements(std::string_view pattern, int wide) {
    std::string s;
    bool dark = true;
    for (char c : pattern) {
        s += std::string(c == '1' ? static_cast<std::size_t>(wide) : 1u, dark ? '1' : '0');
        dark = !dark;
    }
    return s;
}

// ---------------------------------------------------------------- preparation

struct TPrepareCase {
    const char* name;
    btCodeTypes type;
    std::string caption;
    std::string prepared;
};

void PrintTo(const TPrepareCase& c, std::ostream* os) { *os << c.name; }

class PrepareCode : public ::testing::TestWithParam<TPrepareCase> {};

TEST_P(PrepareCode, GivesThePreparedText) {
    const TPrepareCase& c = GetParam();
    TSymbol s(c.type, c.caption);
    EXPECT_EQ(s.Prepared(), c.prepared);
}

// Check digits: the published examples of each symbology, worked by hand
// from the weights where no example exists.
INSTANTIATE_TEST_SUITE_P(
    Rows, PrepareCode,
    ::testing::Values(
        TPrepareCase{"Ean13", EAN_13, "400638133393", "4006381333931"},
        TPrepareCase{"Ean13CutTo12", EAN_13, "4006381333939999", "4006381333931"},
        TPrepareCase{"Ean13Empty", EAN_13, "", "0000000000000"},
        TPrepareCase{"Ean8", EAN_8, "9638507", "96385074"},
        TPrepareCase{"Ean8FilteredAndPadded", EAN_8, "12ab", "12000005"},
        TPrepareCase{"UpcA", UPC_A, "03600029145", "036000291452"},
        TPrepareCase{"UpcETemplate0", UPC_E, "042100", "0421001"},
        TPrepareCase{"UpcETemplate6", UPC_E, "123456", "1234565"},
        TPrepareCase{"UpcEPadded", UPC_E, "12", "1200003"},
        TPrepareCase{"Code25iOddGetsCheck", CODE25i, "123", "1236"},
        TPrepareCase{"Code25iEvenGetsNone", CODE25i, "1234", "1234"},
        TPrepareCase{"Code25iEmpty", CODE25i, "", ""},
        TPrepareCase{"Code25iLettersAreZeros", CODE25i, "1x3", "1038"},
        TPrepareCase{"Code25iPIdent", CODE25iP, "12345678901", "123456789016"},
        TPrepareCase{"Code25iPLeit", CODE25iP, "1234567890123", "12345678901236"},
        TPrepareCase{"Postnet7CutTo5", Postnet, "1234567", "123455"},
        TPrepareCase{"Postnet3PaddedTo5", Postnet, "123", "123004"},
        TPrepareCase{"Postnet9", Postnet, "123456789", "1234567895"},
        TPrepareCase{"Postnet10CutTo9", Postnet, "1234567890", "1234567895"},
        TPrepareCase{"Postnet12CutTo11", Postnet, "123456789012", "123456789014"},
        TPrepareCase{"Code39Upper", CODE39, "abc", "*ABC*"},
        TPrepareCase{"Code39Invalid", CODE39, "A_B", "*A0B*"},
        // The start and stop character inside the data is outside the set too.
        TPrepareCase{"Code39StarInData", CODE39, "*A*B*", "*0A0B0*"},
        TPrepareCase{"Code39Empty", CODE39, "", "**"},
        TPrepareCase{"CodabarEmpty", Codabar, "", "AA"},
        TPrepareCase{"CodabarDigits", Codabar, "1234", "A1234A"},
        TPrepareCase{"CodabarOwnStartStop", Codabar, "B12C", "B12C"},
        TPrepareCase{"CodabarInterior", Codabar, "a1b2", "A102A"},
        TPrepareCase{"CodabarOnlyDropped", Codabar, "x", "AA"},
        TPrepareCase{"CodabarLastDropped", Codabar, "B1x", "B1A"},
        TPrepareCase{"CodabarSingleStart", Codabar, "c", "CA"},
        TPrepareCase{"Msi", MSI_Plessey, "1234567", "12345674"},
        TPrepareCase{"MsiEmpty", MSI_Plessey, "", "0"},
        TPrepareCase{"FimFiltered", Postnet_FIM, "bx", "b0"},
        // 105 + 12 + 2*34 + 3*101 + 4*21 = 572; 572 mod 103 = 57.
        TPrepareCase{"Code128C", CODE128_C, "12345", Bytes({137, 44, 66, 133, 53, 57 + 32, 138})},
        // 104 + 40 + 2*73 = 290; 290 mod 103 = 84.
        TPrepareCase{"Code128B", CODE128_B, "Hi", Bytes({136, 'H', 'i', 84 + 32, 138})},
        // 103 + 33 + 2*34 = 204; 204 mod 103 = 101.
        TPrepareCase{"Code128A", CODE128_A, "AB", Bytes({135, 'A', 'B', 101 + 32, 138})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrepareCode, UnknownTypeRaises) {
    TCaptionBuffer caption("1");
    TTextBuffer buffer;
    try {
        TLLBarcode::PrepareCode(caption, buffer, static_cast<btCodeTypes>(14));
        FAIL() << "no exception";
    } catch (const EOverflow& e) {
        EXPECT_EQ(e.Message(), BarMessages::SUnknownType);
    }
}

TEST(PrepareCode, CodabarMakesTheStoredCaptionUpperCase) {
    TSymbol s(Codabar, "a1b2");
    s.bc.MakeModules();
    EXPECT_EQ(s.bc.Params->Caption.Str(), "A1B2");
    EXPECT_EQ(s.bc.TextBuffer.Str(), "A102A");
}

// ---------------------------------------------------------------- Code 128

struct TCode128Case {
    const char* name;
    std::string text;  // start character and caption
    std::string values;
    std::string readable;
};

void PrintTo(const TCode128Case& c, std::ostream* os) { *os << c.name; }

class TranslateCode128 : public ::testing::TestWithParam<TCode128Case> {};

TEST_P(TranslateCode128, CompilesValuesAndText) {
    const TCode128Case& c = GetParam();
    EXPECT_EQ(TLLBarcode::TranslateCode128(c.text, 0), c.values);
    EXPECT_EQ(TLLBarcode::TranslateCode128(c.text, 1), c.readable);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TranslateCode128,
    ::testing::Values(
        TCode128Case{"SetCPairsAndTrailingDigit", Bytes({137}) + "12345", Bytes({137, 44, 66, 133, '5', 138}), "12345"},
        TCode128Case{"SetCNonDigitCountsAsZero", Bytes({137}) + "1x", Bytes({137, 10 + 32, 138}), "10"},
        TCode128Case{"SetCFnc1", Bytes({137, 134}) + "12", Bytes({137, 134, 12 + 32, 138}), " 12"},
        TCode128Case{"SetCFnc1CompletesPair", Bytes({137}) + "1" + Bytes({134}), Bytes({137, 10 + 32, 138}), "10"},
        TCode128Case{"SetAHighCharacterIsBlankText", Bytes({135}) + "A" + Bytes({200}), Bytes({135, 'A', 200, 138}),
                     "A "},
        TCode128Case{"SetAHoldsUnderscore", Bytes({135}) + "A_", Bytes({135, 'A', '_', 138}), "A_"},
        TCode128Case{"SetBTilde", Bytes({136}) + "~", Bytes({136, '~', 138}), "~"},
        TCode128Case{"SwitchBToC", Bytes({136}) + "a" + Bytes({131}) + "1234",
                     Bytes({136, 'a', 131, 12 + 32, 34 + 32, 138}), "a1234"},
        // A switch to the set in use encodes nothing and shows nothing.
        TCode128Case{"SwitchToCurrentSetB", Bytes({136, 132}) + "a", Bytes({136, 'a', 138}), "a"},
        TCode128Case{"SwitchToCurrentSetA", Bytes({135}) + "A" + Bytes({133}) + "B", Bytes({135, 'A', 'B', 138}), "AB"},
        TCode128Case{"SwitchToCurrentSetC", Bytes({137}) + "12" + Bytes({131}) + "34", Bytes({137, 12 + 32, 34 + 32, 138}),
                     "1234"},
        // A digit still waiting when the data leaves set C follows the switch.
        TCode128Case{"PendingDigitBeforeCodeB", Bytes({137}) + "1" + Bytes({132}) + "a",
                     Bytes({137, 132, '1', 'a', 138}), "1a"},
        TCode128Case{"PendingDigitBeforeCodeA", Bytes({137}) + "123" + Bytes({133}) + "B",
                     Bytes({137, 12 + 32, 133, '3', 'B', 138}), "123B"},
        TCode128Case{"PendingDigitStaysOverCodeC", Bytes({137}) + "1" + Bytes({131}) + "2", Bytes({137, 12 + 32, 138}),
                     "12"},
        TCode128Case{"HighCharacterIsBlankText", Bytes({136, 200}), Bytes({136, 200, 138}), " "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Code128, CharacterOutsideTheValueSetRaises) {
    for (int code : {1, 10, 31, 139, 200, 255}) {
        SCOPED_TRACE(code);
        TSymbol s(CODE128_B, "A" + Bytes({code}) + "B");
        try {
            s.bc.MakeModules();
            FAIL() << "no exception";
        } catch (const EOverflow& e) {
            EXPECT_EQ(e.Message(), BarMessages::SCode128Error);
        }
    }
}

void ExpectCode128Error(btCodeTypes type, const std::string& caption) {
    TSymbol s(type, caption);
    try {
        s.bc.MakeModules();
        ADD_FAILURE() << "no exception";
    } catch (const EOverflow& e) {
        EXPECT_EQ(e.Message(), BarMessages::SCode128Error);
    }
}

TEST(Code128, StartOrStopInsideTheDataRaises) {
    for (btCodeTypes type : {CODE128_A, CODE128_B, CODE128_C}) {
        for (int code : {135, 136, 137, 138}) {
            SCOPED_TRACE(testing::Message() << static_cast<int>(type) << " " << code);
            ExpectCode128Error(type, "12" + Bytes({code}) + "34");
            ExpectCode128Error(type, Bytes({code}));
        }
    }
}

TEST(Code128, SetARefusesWhatItCannotHold) {
    // Backquote, lower case, {|}~ and DEL: in set A their values are control
    // characters. Set B holds them; a switch to B from A lets them through.
    for (int code = 96; code <= 127; ++code) {
        SCOPED_TRACE(code);
        ExpectCode128Error(CODE128_A, "A" + Bytes({code}));
        ExpectCode128Error(CODE128_B, Bytes({133, code}));
        ExpectCode128Error(CODE128_C, "12" + Bytes({133, code}));
        TSymbol b(CODE128_B, Bytes({code}));
        EXPECT_NO_THROW(b.bc.MakeModules());
        TSymbol switched(CODE128_A, "A" + Bytes({132, code}));
        EXPECT_NO_THROW(switched.bc.MakeModules());
    }
}

TEST(Code128, CharacterCode255DoesNotEndTheData) {
    // In set C every non-digit counts as '0', 255 too, and the data goes on.
    TSymbol s(CODE128_C, "1" + Bytes({255}) + "23");
    EXPECT_EQ(s.Prepared().substr(0, 3), Bytes({137, 10 + 32, 23 + 32}));
}

TEST(Code128, LongestPreparedTextFitsTheBuffer) {
    // START C, 49 FNC1, a trailing digit as CODE A and the digit, check, STOP.
    std::string caption(49, static_cast<char>(134));
    caption += '7';
    TSymbol s(CODE128_C, caption);
    const std::string prepared = s.Prepared();
    ASSERT_EQ(prepared.size(), 54u);
    EXPECT_EQ(static_cast<uint8_t>(prepared[50]), Code128Char::CodeA);
    EXPECT_EQ(prepared[51], '7');
    EXPECT_EQ(static_cast<uint8_t>(prepared[53]), Code128Char::Stop);
    EXPECT_EQ(s.Modules().size(), 54u * 11 + 2);
}

TEST(Code128, ChecksumOfAllValuesMatchesTheDefinition) {
    // Fifty digits give 25 values in set C; the check is verified independently.
    std::string caption;
    for (int i = 0; i < 25; ++i) caption += std::to_string(10 + 3 * i);
    TSymbol s(CODE128_C, caption);
    const std::string p = s.Prepared();
    ASSERT_EQ(p.size(), 28u);
    int sum = 105;
    for (int i = 0; i < 25; ++i) sum += (i + 1) * (10 + 3 * i);
    EXPECT_EQ(static_cast<uint8_t>(p[26]) - 32, sum % 103);
}

// ---------------------------------------------------------------- MSI

// The check through the definition, with the doubled number held exactly.
int MsiCheckReference(const std::string& digits) {
    unsigned __int128 odd = 0;
    int total = 0;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if ((n - i) % 2 == 1) odd = odd * 10 + static_cast<unsigned>(digits[i] - '0');
        else total += digits[i] - '0';
    }
    odd *= 2;
    while (odd > 0) {
        total += static_cast<int>(odd % 10);
        odd /= 10;
    }
    return total % 10 == 0 ? 0 : 10 - total % 10;
}

TEST(Msi, CheckIsExactForEveryLength) {
    std::string digits;
    for (int n = 1; n <= 50; ++n) {
        digits += static_cast<char>('0' + (n * 7 + 3) % 10);
        SCOPED_TRACE(digits);
        TSymbol s(MSI_Plessey, digits);
        EXPECT_EQ(s.Prepared(), digits + static_cast<char>('0' + MsiCheckReference(digits)));
    }
}

TEST(Msi, FiftyDigitsAreEncodedInFull) {
    const std::string digits(50, '9');
    for (btCodeRatio ratio : {Ratio_3, Ratio_2}) {
        SCOPED_TRACE(ratio);
        TSymbol s(MSI_Plessey, digits, "", ratio);
        const std::string modules = s.Modules();
        const std::size_t perBit = ratio == Ratio_3 ? 4 : 3;
        EXPECT_EQ(modules.size(), (4u * 51 + 3) * perBit);
        // The stop: two 0 bits, narrow bar and wide space each.
        const std::string zero = ratio == Ratio_3 ? "1000" : "100";
        EXPECT_EQ(modules.substr(modules.size() - 2 * perBit), zero + zero);
    }
}

// ---------------------------------------------------------------- module rows

struct TCountCase {
    const char* name;
    btCodeTypes type;
    std::string caption;
    std::string addon;
    btCodeRatio ratio;
    int count;
};

void PrintTo(const TCountCase& c, std::ostream* os) { *os << c.name; }

class ModuleCount : public ::testing::TestWithParam<TCountCase> {};

TEST_P(ModuleCount, MatchesTheLayout) {
    const TCountCase& c = GetParam();
    TSymbol s(c.type, c.caption, c.addon, c.ratio);
    s.bc.MakeModules();
    EXPECT_EQ(s.bc.ModuleCount, c.count);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ModuleCount,
    ::testing::Values(TCountCase{"Ean13", EAN_13, "400638133393", "", Ratio_3, 95},
                      TCountCase{"Ean13Addon2", EAN_13, "400638133393", "12", Ratio_3, 125},
                      TCountCase{"Ean13Addon5", EAN_13, "400638133393", "52495", Ratio_3, 152},
                      TCountCase{"UpcAAddon5", UPC_A, "03600029145", "52495", Ratio_3, 152},
                      TCountCase{"Ean8IgnoresAddon", EAN_8, "9638507", "12", Ratio_3, 67},
                      TCountCase{"UpcEIgnoresAddon", UPC_E, "042100", "52495", Ratio_3, 51},
                      TCountCase{"Code39IgnoresAddon", CODE39, "A", "12", Ratio_3, 48},
                      TCountCase{"Code39Ratio2", CODE39, "A", "", Ratio_2, 39},
                      TCountCase{"Code39Longest", CODE39, std::string(50, 'M'), "", Ratio_3, 832},
                      TCountCase{"Code128BHi", CODE128_B, "Hi", "", Ratio_3, 57},
                      TCountCase{"Code25i1234", CODE25i, "1234", "", Ratio_3, 45},
                      TCountCase{"Code25i1234Ratio2", CODE25i, "1234", "", Ratio_2, 36},
                      TCountCase{"Code25iEmpty", CODE25i, "", "", Ratio_3, 9},
                      TCountCase{"Code25iLongest", CODE25i, std::string(50, '8'), "", Ratio_3, 459},
                      TCountCase{"Postnet5", Postnet, "12345", "", Ratio_3, 32},
                      TCountCase{"Postnet11", Postnet, "12345678901", "", Ratio_3, 62},
                      TCountCase{"Fim", Postnet_FIM, "b", "", Ratio_3, 9},
                      TCountCase{"Msi", MSI_Plessey, "1234567", "", Ratio_3, 4 * 35},
                      TCountCase{"MsiRatio2", MSI_Plessey, "1234567", "", Ratio_2, 3 * 35},
                      TCountCase{"CodabarRatio3", Codabar, "1", "", Ratio_3, 14 + 12 + 14},
                      TCountCase{"CodabarRatio2", Codabar, "1", "", Ratio_2, 11 + 10 + 11}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Encode, Ean13StartsWithGuardAndSetADigit) {
    TSymbol s(EAN_13, "400638133393", "12");
    const std::string m = s.Modules();
    EXPECT_EQ(m.substr(0, 10), "1010001101");
    EXPECT_EQ(m.substr(45, 5), "01010");
    EXPECT_EQ(m.substr(92, 3), "101");
    EXPECT_EQ(m.substr(95, 9), "000000000");
    EXPECT_EQ(m.substr(104, 4), "1011");
    // 12 mod 4 = 0: both digits from set A.
    EXPECT_EQ(m.substr(108, 7), "0011001");
    EXPECT_EQ(m.substr(115, 2), "01");
    EXPECT_EQ(m.substr(117, 7), "0010011");
    EXPECT_EQ(m.substr(124), "0");
}

TEST(Encode, Addon5ParityFromChecksum) {
    // 3 * (5 + 4 + 5) + 9 * (2 + 9) = 141: entry 1, BABAA.
    TSymbol s(EAN_13, "400638133393", "52495");
    const std::string m = s.Modules();
    const std::string expected = std::string(9, '0') + "1011" + "0111001" + "01" + "0010011" + "01" + "0011101" +
                                 "01" + "0001011" + "01" + "0110001" + "0";
    EXPECT_EQ(m.substr(95), expected);
}

TEST(Encode, UpcEParityFromCheckDigit) {
    // 042100 with check 1: BBABAA.
    TSymbol s(UPC_E, "042100");
    const std::string m = s.Modules();
    EXPECT_EQ(m, "101" "0100111" "0011101" "0010011" "0110011" "0001101" "0001101" "010101");
}

TEST(Encode, Code39ElementsAndGaps) {
    for (btCodeRatio ratio : {Ratio_3, Ratio_2}) {
        SCOPED_TRACE(ratio);
        const int wide = ratio == Ratio_3 ? 3 : 2;
        TSymbol s(CODE39, "a", "", ratio);
        const std::string star = Elements("010010100", wide) + "0";
        const std::string a = Elements("100001001", wide) + "0";
        EXPECT_EQ(s.Modules(), star + a + star);
        EXPECT_EQ(s.bc.Code39Elements[9], 1);  // 'A' begins with a wide bar
    }
}

TEST(Encode, Code25InterleavesBarsAndSpaces) {
    TSymbol s(CODE25i, "12", "", Ratio_3);
    // Start 1010; 1 as bars 10001, 2 as spaces 01001; stop 11101.
    std::string expected = "1010";
    const std::string bars = "10001", spaces = "01001";
    for (int j = 0; j < 5; ++j) {
        expected += bars[j] == '1' ? "111" : "1";
        expected += spaces[j] == '1' ? "000" : "0";
    }
    expected += "11101";
    EXPECT_EQ(s.Modules(), expected);
}

TEST(Encode, PostnetAndFim) {
    TSymbol postnet(Postnet, "12345");
    EXPECT_EQ(postnet.Modules(), "1" "00011" "00101" "00110" "01001" "01010" "01010" "1");
    TSymbol fim(Postnet_FIM, "b");
    EXPECT_EQ(fim.Modules(), "101101101");
    EXPECT_EQ(fim.bc.TextBuffer.Str(), "FIM-B");
    for (auto [caption, text] : {std::pair{"A", "FIM-A"}, {"c", "FIM-C"}, {"x", "FIM-C"}, {"", "FIM-C"}}) {
        TSymbol f(Postnet_FIM, caption);
        f.bc.MakeModules();
        EXPECT_EQ(f.bc.TextBuffer.Str(), text) << caption;
    }
}

TEST(Encode, EveryDrawRebuildsTheModules) {
    TSymbol s(CODE39, std::string(50, 'M'));
    s.bc.MakeModules();
    s.bc.Params->Caption.Assign("1");
    s.bc.MakeModules();
    EXPECT_EQ(s.bc.ModuleCount, 48);
    for (std::size_t i = 49; i <= 833; ++i) ASSERT_EQ(s.bc.Modules[i], 0) << i;
}

// ---------------------------------------------------------------- tables

TEST(PatternTables, PublishedEntries) {
    EXPECT_EQ(BarCode39.Pattern(BarCode39.IndexOf('0')), "000110100");
    EXPECT_EQ(BarCode39.Pattern(BarCode39.IndexOf('A')), "100001001");
    EXPECT_EQ(BarCode39.Pattern(BarCode39.IndexOf('*')), "010010100");
    EXPECT_EQ(BarCode39.IndexOf('a'), -1);
    EXPECT_EQ(BarCode128.Pattern(0), "11011001100");
    EXPECT_EQ(BarCode128.Pattern(103), "11010000100");
    EXPECT_EQ(BarCode128.Pattern(104), "11010010000");
    EXPECT_EQ(BarCode128.Pattern(105), "11010011100");
    EXPECT_EQ(BarCode128.Pattern(106), "11000111010");
    EXPECT_EQ(BarCodabar.Pattern(BarCodabar.IndexOf('D')), "0001110");
    EXPECT_EQ(BarPostnet.Pattern(0), "11000");
    EXPECT_EQ(BarPostnet.FimPattern(0), "110010011");
}

TEST(PatternTables, EveryPatternIsDistinctAndWellFormed) {
    std::set<std::string_view> code128;
    for (int v = 0; v < TBarCode128::Count; ++v) {
        const std::string_view p = BarCode128.Pattern(v);
        EXPECT_EQ(p.size(), 11u);
        EXPECT_EQ(p.front(), '1');
        EXPECT_EQ(p.back(), '0');
        code128.insert(p);
    }
    EXPECT_EQ(code128.size(), 107u);
    std::set<std::string_view> code39;
    for (std::size_t i = 0; i < TBarCode39::CharSet.size(); ++i) {
        const std::string_view p = BarCode39.Pattern(static_cast<int>(i));
        EXPECT_EQ(std::count(p.begin(), p.end(), '1'), 3) << TBarCode39::CharSet[i];
        code39.insert(p);
    }
    EXPECT_EQ(code39.size(), 44u);
    for (int d = 0; d < 10; ++d)
        EXPECT_EQ(std::count(BarPostnet.Pattern(d).begin(), BarPostnet.Pattern(d).end(), '1'), 2) << d;
}

// ---------------------------------------------------------------- measures

TEST(Metrics, ScreenAt96DpiSc2) {
    TSymbol s(EAN_13, "400638133393");
    const TBarMetrics m = s.bc.ComputeMetrics(96, 96);
    EXPECT_NEAR(static_cast<double>(m.DotsX), 3.7795275590551, 1e-12);
    EXPECT_EQ(m.Px, 1);
    EXPECT_EQ(m.H, 74);
    EXPECT_EQ(m.Cut, 0);
    EXPECT_EQ(m.Margin, 10);
    EXPECT_EQ(m.FontHeight, 13);  // round(74 * 0.18)
    s.bc.Params->CodeType = CODE39;
    const TBarMetrics c39 = s.bc.ComputeMetrics(96, 96);
    EXPECT_EQ(c39.H, 56);
    EXPECT_EQ(c39.Margin, 0);
    EXPECT_EQ(c39.FontHeight, 13);  // the text size of an EAN-13 of that module width
}

TEST(Metrics, HeightPercentCut) {
    TSymbol s(EAN_13, "1");
    struct {
        int32_t percent, cut;
    } rows[] = {{100, 0}, {200, -74}, {20, 59}, {150, -37}};
    for (auto row : rows) {
        SCOPED_TRACE(row.percent);
        s.bc.Params->HeightPercent = row.percent;
        EXPECT_EQ(s.bc.ComputeMetrics(96, 96).Cut, row.cut);
    }
}

TEST(Metrics, CutRoundsHalvesAwayFromZero) {
    // Code 39 zoomed at 116 dpi: H = round(56.24 * 0.33 * 116 / 25.4) = 85.
    TSymbol s(CODE39, "1");
    s.bc.Params->ZoomSize = true;
    s.bc.Params->HeightPercent = 50;
    const TBarMetrics m = s.bc.ComputeMetrics(116, 116);
    ASSERT_EQ(m.H, 85);
    EXPECT_EQ(m.Cut, 43);
}

TEST(Metrics, HighDensityHalvesAndPxStaysAtLeastOne) {
    TSymbol s(CODE39, "1");
    s.bc.Params->ModuleSize = SC0;
    s.bc.Params->HighDensity = true;
    EXPECT_DOUBLE_EQ(static_cast<double>(s.bc.ModuleWidthMM()), 0.135);
    EXPECT_EQ(s.bc.ComputeMetrics(96, 96).Px, 1);
    EXPECT_EQ(s.bc.ComputeMetrics(10, 10).Px, 1);
    s.bc.Params->ModuleSize = static_cast<btCodeSizes>(12);
    s.bc.Params->HighDensity = false;
    EXPECT_DOUBLE_EQ(static_cast<double>(s.bc.ModuleWidthMM()), 0.33);
}

TEST(Metrics, ModuleWidthTable) {
    const double mm[] = {0.27, 0.297, 0.33, 0.363, 0.396, 0.445, 0.495, 0.544, 0.61, 0.66};
    TLLBarcode bc;
    for (int i = 0; i < 10; ++i) {
        bc.Params->ModuleSize = static_cast<btCodeSizes>(i);
        EXPECT_DOUBLE_EQ(static_cast<double>(bc.ModuleWidthMM()), mm[i]) << i;
    }
}

TEST(Metrics, PositionsWholePixelsOrZoomed) {
    TSymbol s(CODE39, "1");
    s.bc.MakeModules();
    TBarMetrics m = s.bc.ComputeMetrics(300, 300);
    ASSERT_EQ(m.Px, 4);  // round(0.33 * 11.811)
    s.bc.ComputePositions(m, 7);
    EXPECT_EQ(s.bc.ModuleX[1], 7);
    EXPECT_EQ(s.bc.ModuleX[11], 47);
    s.bc.Params->ZoomSize = true;
    m = s.bc.ComputeMetrics(300, 300);
    s.bc.ComputePositions(m, 7);
    EXPECT_EQ(s.bc.ModuleX[11], 7 + 39);  // round(0.33 * 10 * 11.811) = 39
    EXPECT_EQ(m.H, 219);                  // round(56.24 * 0.33 * 11.811)
}

TEST(Metrics, PostnetAt600Dpi) {
    TSymbol s(Postnet, "12345");
    const TPostnetMetrics m = s.bc.ComputePostnetMetrics(600, 600);
    EXPECT_EQ(m.BarWidth, 12);
    EXPECT_NEAR(static_cast<double>(m.Pitch), 600.0 / 22, 1e-9);
    EXPECT_EQ(m.Tall, 75);
    EXPECT_EQ(m.Short, 30);
    EXPECT_EQ(m.TextBasis, 375);
    s.bc.Params->CodeType = Postnet_FIM;
    const TPostnetMetrics f = s.bc.ComputePostnetMetrics(600, 600);
    EXPECT_EQ(f.BarWidth, 19);  // round(18.75)
    EXPECT_EQ(f.Tall, 375);
    EXPECT_EQ(f.Short, 375);
    EXPECT_EQ(f.TextBasis, 375);
}

TEST(FormatCode25PText, Groups) {
    TLLBarcode bc;
    EXPECT_EQ(bc.FormatCode25PText("12345678901234"), "12345.678.901.23   4");
    EXPECT_EQ(bc.FormatCode25PText("123456789016"), "12.34567   8901   6");
    EXPECT_EQ(bc.FormatCode25PText("1234"), "1234");
}

TEST(Robustness, AnyCaptionStaysInsideTheBuffers) {
    // Random bytes of every length for every symbology, with both ratios and
    // add-ons: a Code 128 caption may be refused, nothing else may fail.
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int round = 0; round < 3000; ++round) {
        const auto type = static_cast<btCodeTypes>(round % btCodeTypesCount);
        std::string caption;
        const std::size_t length = next() % 51;
        const bool digitsOnly = next() % 2 == 0;
        for (std::size_t i = 0; i < length; ++i) {
            const uint32_t r = next();
            caption += static_cast<char>(digitsOnly ? '0' + r % 10 : 1 + r % 255);
        }
        TSymbol s(type, caption, next() % 2 ? "12" : "52495", next() % 2 ? Ratio_3 : Ratio_2);
        SCOPED_TRACE(testing::Message() << static_cast<int>(type) << " " << testing::PrintToString(caption));
        try {
            s.bc.MakeModules();
        } catch (const EOverflow& e) {
            EXPECT_TRUE(type >= CODE128_A && type <= CODE128_C);
            EXPECT_EQ(e.Message(), BarMessages::SCode128Error);
            continue;
        }
        EXPECT_GT(s.bc.ModuleCount, 0);
        EXPECT_LE(s.bc.ModuleCount, TLLBarcode::MaxModules);
        EXPECT_LE(s.bc.TextBuffer.Length(), TTextBuffer::Capacity);
    }
}

TEST(Buffers, CaptionHoldsFiftyCharacters) {
    TCaptionBuffer caption(std::string(60, 'x'));
    EXPECT_EQ(caption.Length(), 50u);
    EXPECT_EQ(TTextBuffer::Capacity, 54u);
    TLLBarcode bc;
    EXPECT_EQ(bc.Params->Caption.Str(), "4711");
    EXPECT_EQ(bc.Params->CodeType, EAN_8);
    EXPECT_EQ(bc.Params->ModuleSize, SC2);
    EXPECT_EQ(bc.Params->IdentSplit, 7);
    EXPECT_TRUE(bc.Params->HumanReadable);
}

}  // namespace

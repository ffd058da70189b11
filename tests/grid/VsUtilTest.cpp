// The text rules of the grid utilities, as case tables.
#include "grid/VsUtil.h"

#include <gtest/gtest.h>

namespace {

// Runs a test body with other locale separators and puts them back.
class SeparatorScope {
public:
    SeparatorScope(char decimal, char thousand) : FSaved(FormatSettings()) {
        FormatSettings().DecimalSeparator = decimal;
        FormatSettings().ThousandSeparator = thousand;
    }
    ~SeparatorScope() { FormatSettings() = FSaved; }

private:
    TFormatSettings FSaved;
};

}  // namespace

TEST(VsUtil, VarPosAndFirstCharOf) {
    int32_t p = -1;
    EXPECT_EQ(VarPos("cd", "abcdcd", p), 3);
    EXPECT_EQ(p, 3);
    EXPECT_EQ(VarPos("x", "abc", p), 0);
    EXPECT_EQ(p, 0);
    EXPECT_EQ(FirstCharOf("<>", "a>b<c"), '>');
    EXPECT_EQ(FirstCharOf("<>", "abc"), '\0');
    EXPECT_EQ(FirstCharOf("", "abc"), '\0');
}

TEST(VsUtil, ParseCellRef) {
    struct Row {
        const char* text;
        bool ok;
        int32_t col, row;
    } rows[] = {
        {"R3C5", true, 5, 3},  {"r2c3", true, 3, 2},   {"R10C12", true, 12, 10}, {"R2X3", false, 0, 0},
        {"RC", false, 0, 0},   {"R1C", false, 0, 0},   {"RC12", false, 0, 0},    {"X2C3", false, 0, 0},
        {"R2C3x", false, 0, 0}, {"Ra1C3", false, 0, 0}, {"", false, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        TPoint pt{-7, -7};
        EXPECT_EQ(ParseCellRef(r.text, pt), r.ok);
        if (r.ok) {
            EXPECT_EQ(pt.X, r.col);
            EXPECT_EQ(pt.Y, r.row);
        } else {
            EXPECT_EQ(pt, (TPoint{-7, -7})) << "a failed parse leaves the point alone";
        }
    }
}

TEST(VsUtil, URLs) {
    struct Row {
        const char* text;
        bool url;
        const char* stripped;
    } rows[] = {
        {"http://example.org", true, "example.org"},
        {"mailto:someone@example.org", true, "someone@example.org"},
        {"see mailto:a@b", true, "a@b"},
        {"ftp://x/mailto:y", true, "x/mailto:y"},
        {"plain text", false, "plain text"},
        {"a:/b", false, "a:/b"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(IsURL(r.text), r.url);
        std::string s = r.text;
        StripURLPrefix(s);
        EXPECT_EQ(s, r.stripped);
    }
}

TEST(VsUtil, TextKind) {
    struct Row {
        const char* text;
        int32_t kind;
    } rows[] = {
        {"<b>x</b>", tkHTML},   {"<b>x", tkPlain},      {"=A1", tkFormula},   {"{\\rtf1 x}", tkRichText},
        {"x", tkPlain},         {"", tkPlain},          {"<B>x", tkHTML},     {"<I>y", tkHTML},
        {"a</", tkHTML},        {"=", tkPlain},         {"{x", tkPlain},      {"=<B>", tkFormula},
        {"{\\<B>", tkRichText}, {"<i>lower", tkPlain},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(TextKind(r.text), r.kind);
    }
}

TEST(VsUtil, NumberClassWithPointDecimal) {
    SeparatorScope scope('.', ',');
    struct Row {
        const char* text;
        int32_t cls;
    } rows[] = {
        {"-12", ncInteger}, {"1.5", ncFloat},    {"1.2.3", ncOther},    {"--1", ncOther},  {"", ncInteger},
        {"12a", ncOther},   {"1,234", ncFloat},  {"1,234.5", ncFloat},  {",123", ncOther}, {"1,2,3", ncOther},
        {"1,23,4", ncFloat}, {"12,345,678", ncFloat}, {"-1.5", ncFloat}, {"1 2", ncOther},  {"0", ncInteger},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(NumberClass(r.text), r.cls);
    }
}

TEST(VsUtil, NumberClassWithCommaDecimal) {
    SeparatorScope scope(',', '.');
    struct Row {
        const char* text;
        int32_t cls;
    } rows[] = {
        {"-12", ncInteger}, {"1,5", ncFloat},     {"1,2,3", ncOther}, {"1.234,5", ncFloat},
        {".123", ncOther},  {"1.234.567", ncFloat}, {"1.2.3", ncOther}, {"12a", ncOther},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(NumberClass(r.text), r.cls);
    }
}

TEST(VsUtil, NormalizeFloatText) {
    {
        SeparatorScope scope('.', ',');
        EXPECT_EQ(NormalizeFloatText("1,234.5"), "1234.5");
        EXPECT_EQ(NormalizeFloatText("-0.25"), "-0.25");
    }
    {
        SeparatorScope scope(',', '.');
        EXPECT_EQ(NormalizeFloatText("1.234,5"), "1234.5");
        EXPECT_EQ(NormalizeFloatText("3,75"), "3.75");
    }
}

TEST(VsUtil, SmallTextHelpers) {
    EXPECT_EQ(DecodeLineBreaks("a\\nb\\n"), "a\rb\r");
    EXPECT_EQ(DecodeLineBreaks("a\\b\\"), "a\\b\\");

    std::string pw = "abc";
    FillWithChar(pw, '*');
    EXPECT_EQ(pw, "***");
    std::string accented = "\xC3\xA9t\xC3\xA9";  // three characters, five bytes
    FillWithChar(accented, '*');
    EXPECT_EQ(accented, "***");

    EXPECT_EQ(UpperCaseASCII("abz AZ 09 \xC3\xA9"), "ABZ AZ 09 \xC3\xA9");

    std::string s = "a\nb\n";
    LFToCRLF(s);
    EXPECT_EQ(s, "a\r\nb\r\n");
    s = "no breaks";
    LFToCRLF(s);
    EXPECT_EQ(s, "no breaks");

    s = "a~b~";
    TildeToCRLF(s);
    EXPECT_EQ(s, "a\r\nb\r\n");
}

TEST(VsUtil, CSVQuoting) {
    struct Row {
        char q;
        const char* in;
        const char* out;
    } unquote[] = {
        {'"', "", ""},
        {'"', "plain", "plain"},
        {'"', "say \"\"hi\"\"", "say \"hi\""},
        {'"', "\"\"\"\"", "\"\""},  // four quotes are two doubled quotes
        {'"', "a\"\"\"\"b", "a\"\"b"},
        {'"', "\"a\"", "\"a\""},   // single quotes stay
        {'\'', "it''s", "it's"},
    };
    for (const Row& r : unquote) {
        SCOPED_TRACE(r.in);
        EXPECT_EQ(CSVUnquote(r.q, r.in), r.out);
    }

    std::string s = "line1\r\nline2\rx";
    CSVQuote(s);
    EXPECT_EQ(s, "\"line1\nline2\rx\"");
    s = "";
    CSVQuote(s);
    EXPECT_EQ(s, "\"\"");
}

TEST(VsUtil, SingleChars) {
    struct Row {
        const char* text;
        int32_t first, count;
    } rows[] = {
        {"\"a\"\"b\"", 1, 2},  // a field with one doubled quote inside
        {"abc", 0, 0},
        {"\"\"", 2, 1},        // the last position always counts
        {"a\"\"b", 0, 0},
        {"a\"b\"c\"", 2, 3},
        {"", 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(FindSingleChar('"', r.text), r.first);
        EXPECT_EQ(CountSingleChar('"', r.text), r.count);
    }
}

TEST(VsUtil, Lines) {
    struct Row {
        const char* text;
        bool multi;
        const char* line;
        const char* rest;
        int32_t count;
    } rows[] = {
        {"a\r\nb", true, "a", "b", 2},
        {"a\r\nb", false, "a", "", 1},
        {"single", true, "single", "", 1},
        {"a\rb\rc", true, "a", "b\rc", 3},
        {"a\r\n\nb", true, "a", "\nb", 2},  // only one LF goes with the CR
        {"\r", true, "", "", 2},
        {"", true, "", "", 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        std::string s = r.text;
        EXPECT_EQ(SplitFirstLine(s, r.multi), r.line);
        EXPECT_EQ(s, r.rest);
        EXPECT_EQ(LineCount(r.text, r.multi), r.count);
    }
}

TEST(VsUtil, StripHTMLTags) {
    struct Row {
        const char* in;
        const char* out;
    } rows[] = {
        {"<b>bold</b> text", "bold text"},
        {"no tags", "no tags"},
        {"a<b", "a<b"},
        {"x<i>y</i>z<unclosed", "xyz<unclosed"},
        {"<>", ""},
        {"1 > 0", "1 > 0"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.in);
        EXPECT_EQ(StripHTMLTags(r.in), r.out);
    }
}

TEST(VsUtil, MatchFilter) {
    struct Row {
        const char* condition;
        const char* value;
        bool pass;
    } rows[] = {
        {">10", "11", true},       {">10", "10.5", true},     {">10", "9", false},       {">10", "10", false},
        {">=10", "10", true},      {"<10", "9", true},        {"<=10", "10", true},      {"<10", "10", false},
        {"A*", "Apple", true},     {"A*", "Berry", false},    {"!A*", "Berry", true},    {"!A*", "Apple", false},
        {">1&<5", "0", false},     {">1&<5", "3", true},      {">1&<5", "6", false},     {"A*;B*", "Berry", true},
        {"A*^B*", "Cherry", false}, {"A*^B*", "Apple", true}, {"> 10", "11", true},      {"A *", "Apple", true},
        {">b", "c", true},         {">b", "a", false},        {">b", "B", false},        {"?pple", "Apple", true},
        {"a?c", "abbc", false},    {"*", "", true},           {"", "", true},            {"", "x", false},
        {"a*c*e", "abcde", true},  {"a*c*e", "abcd", false},  {"*p*", "Apple", true},    {"A*&*e", "Apple", true},
        {"A*&*x", "Apple", false}, {"?", "\xC3\xA9", true},   {">10", "abc", true},  // text compare: "abc" > "10"
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.condition) + " on " + r.value);
        EXPECT_EQ(MatchFilter(r.condition, r.value), r.pass);
    }
}

TEST(VsUtil, MatchFilterUsesPointWhateverTheLocale) {
    SeparatorScope scope(',', '.');
    EXPECT_TRUE(MatchFilter(">10", "10.5"));
    EXPECT_FALSE(MatchFilter(">10", "9.5"));
}

TEST(VsUtil, StepDate) {
    TDateTime jan31 = EncodeDate(2021, 1, 31);
    TDateTime jan15 = EncodeDate(2021, 1, 15);
    struct Row {
        const char* name;
        int32_t y, m, d;
        TDateTime from, delta, expected;
    } rows[] = {
        {"days", 0, 0, 3, jan15, 0, EncodeDate(2021, 1, 18)},
        {"days back", 0, 0, -20, jan15, 0, EncodeDate(2020, 12, 26)},
        {"years", 2, 0, 0, jan31, 0, EncodeDate(2023, 1, 31)},
        {"a month", 0, 1, 0, jan15, 0, EncodeDate(2021, 2, 15)},
        {"month to December", 0, -1, 0, jan15, 0, EncodeDate(2020, 12, 15)},
        {"two months back across January", 0, -2, 0, jan15, 0, EncodeDate(2020, 11, 15)},
        {"fourteen months back", 0, -14, 0, jan15, 0, EncodeDate(2019, 11, 15)},
        {"thirteen months on", 0, 13, 0, EncodeDate(2021, 12, 15), 0, EncodeDate(2023, 1, 15)},
        {"mixed takes the delta", 1, 1, 0, jan15, 2.5, jan15 + 2.5},
        {"nothing takes the delta", 0, 0, 0, jan15, 0.25, jan15 + 0.25},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_DOUBLE_EQ(StepDate(r.y, r.m, r.d, r.from, r.delta), r.expected);
    }
    // A day the target month lacks is the date conversion error.
    EXPECT_THROW(StepDate(0, 1, 0, jan31, 0), EConvertError);
    EXPECT_THROW(StepDate(1, 0, 0, EncodeDate(2020, 2, 29), 0), EConvertError);
    EXPECT_THROW(StepDate(INT32_MAX, 0, 0, jan15, 0), EConvertError);
    EXPECT_THROW(StepDate(0, INT32_MIN, 0, jan15, 0), EConvertError);
    try {
        StepDate(0, 1, 0, jan31, 0);
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), SysConst::SDateEncodeError);
    }
}

TEST(VsUtil, OemToAnsiText) {
    std::string s = "Gr\x81\xE1" "e \xC4\xC4 \x9C" "5";
    OemToAnsiText(s);
    EXPECT_EQ(s, "Gr\xC3\xBC\xC3\x9F" "e -- \xC2\xA3" "5");
    std::string ascii = "plain ASCII\t1";
    OemToAnsiText(ascii);
    EXPECT_EQ(ascii, "plain ASCII\t1");
}

#include "platform/runtime/SysUtils.h"

#include <gtest/gtest.h>

namespace {

TEST(SysUtils, RoundHalvesToEven) {
    struct Row {
        long double in;
        int64_t out;
    } rows[] = {{0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {1.2472L, 1}, {2.4999L, 2}, {3.5L, 4}};
    for (const auto& r : rows) {
        SCOPED_TRACE(static_cast<double>(r.in));
        EXPECT_EQ(Round(r.in), r.out);
    }
}

TEST(SysUtils, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(MulDiv(85, 50, 100), 43);
    EXPECT_EQ(MulDiv(-85, 50, 100), -43);
    EXPECT_EQ(MulDiv(85, -50, 100), -43);
    EXPECT_EQ(MulDiv(84, 50, 100), 42);
    EXPECT_EQ(MulDiv(7, 1, 0), -1);
    // The product is 64-bit.
    EXPECT_EQ(MulDiv(2000000000, 2000000000, 2000000000), 2000000000);
    EXPECT_EQ(MulDiv(2000000000, 4, 2), -1);  // does not fit
}

TEST(SysUtils, StrToIntAcceptsWhatThePlatformAccepts) {
    EXPECT_EQ(StrToInt("42"), 42);
    EXPECT_EQ(StrToInt("-7"), -7);
    EXPECT_EQ(StrToInt("+7"), 7);
    EXPECT_EQ(StrToInt("  12"), 12);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", "abc", "12a", "12 ", "2147483648", "1.5", "-"}) {
        SCOPED_TRACE(bad);
        try {
            StrToInt(bad);
            FAIL() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("'") + bad + "' is not a valid integer value");
        }
    }
}

TEST(SysUtils, StrToFloatUsesTheDecimalSeparator) {
    EXPECT_DOUBLE_EQ(static_cast<double>(StrToFloat("1.5")), 1.5);
    EXPECT_DOUBLE_EQ(static_cast<double>(StrToFloat(" -2.25e2 ")), -225.0);
    try {
        StrToFloat("1,5");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'1,5' is not a valid floating point value");
    }
    FormatSettings().DecimalSeparator = ',';
    EXPECT_DOUBLE_EQ(static_cast<double>(StrToFloat("1,5")), 1.5);
    EXPECT_EQ(FloatToStr(2.5L), "2,5");
    FormatSettings().DecimalSeparator = '.';
    EXPECT_EQ(FloatToStr(2.5L), "2.5");
    EXPECT_EQ(FloatToStr(100.0L), "100");
}

TEST(SysUtils, FormatTakesOneIntegerWithThePlatformGrammar) {
    struct Row {
        const char* format;
        int64_t arg;
        const char* out;
    } rows[] = {
        {"Box %d", 7, "Box 7"},
        {"%.4d", 12, "0012"},
        {"%5d|", 12, "   12|"},
        {"%-5d|", 12, "12   |"},
        {"%x", 255, "FF"},
        {"100%% %d", 3, "100% 3"},
        {"%0:d-%0:d", 5, "5-5"},
        {"no number", 5, "no number"},
        {"%D", 9, "9"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.format);
        EXPECT_EQ(Format(r.format, r.arg), r.out);
    }
    for (const char* bad : {"%s", "%d %d", "50%", "%f", "%q"}) {
        SCOPED_TRACE(bad);
        try {
            Format(bad, 1);
            FAIL();
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), std::string("Format '") + bad + "' invalid or incompatible with argument");
        }
    }
}

TEST(SysUtils, Encodings) {
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9"));
    EXPECT_FALSE(IsValidUtf8("caf\xE9"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));  // overlong
    EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Utf8ToCp1252("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD"), "caf\xE9 \x80 ?");
    // Every byte survives the round trip.
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(DecodeFileText("\xEF\xBB\xBFx=\xC3\xA9"), "x=\xC3\xA9");
    EXPECT_EQ(DecodeFileText("x=\xE9"), "x=\xC3\xA9");
}

TEST(SysUtils, Dates) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    int y, m, d;
    DecodeDate(36526.0, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20000101);
    DecodeDate(EncodeDate(2024, 2, 29), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", EncodeDate(2026, 12, 10)), "2026-12-10");
    EXPECT_EQ(DateToStr(EncodeDate(2026, 3, 4)), "3/4/2026");
    EXPECT_EQ(StrToDate("3/4/2026"), EncodeDate(2026, 3, 4));
    EXPECT_THROW(StrToDate("13/40/2026"), EConvertError);
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 10)), 5);  // a Thursday
}

TEST(SysUtils, TimesAndMonthSteps) {
    EXPECT_EQ(TimeToStr(EncodeTime(13, 5, 9, 0)), "13:05:09");
    // Only the time of day: whole days and the sign drop out.
    EXPECT_EQ(TimeToStr(2 + EncodeTime(1, 0, 0, 0)), "1:00:00");
    EXPECT_EQ(TimeToStr(-EncodeTime(1, 0, 0, 0)), "23:00:00");
    struct Row {
        const char* Text;
        int H, M, S;
    };
    for (const Row& row : {Row{"13:05", 13, 5, 0}, Row{"1:05:09", 1, 5, 9}, Row{" 7 ", 7, 0, 0},
                           Row{"1:05 pm", 13, 5, 0}, Row{"12:00am", 0, 0, 0}}) {
        SCOPED_TRACE(row.Text);
        EXPECT_NEAR(StrToTime(row.Text), EncodeTime(row.H, row.M, row.S, 0), 1e-9);
    }
    for (const char* bad : {"", "24:00", "1:60", "1:2:3:4", "1:", "a:00", "13:00 pm", "1.30"}) {
        SCOPED_TRACE(bad);
        TDateTime t;
        EXPECT_FALSE(TryStrToTime(bad, t));
    }
    try {
        StrToTime("25:00");
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'25:00' is not a valid time");
    }
    EXPECT_EQ(IncMonth(EncodeDate(2026, 1, 31)), EncodeDate(2026, 2, 28));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31)), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2026, 1, 15), -1), EncodeDate(2025, 12, 15));
    EXPECT_EQ(IncMonth(EncodeDate(2026, 3, 31) + 0.5, 13), EncodeDate(2027, 4, 30) + 0.5);
}

TEST(SysUtils, FloatToStrFFormats) {
    EXPECT_EQ(FloatToStrF(1.5, ffFixed, 15, 2), "1.50");
    // Halves away from zero, as the platform rounds them.
    EXPECT_EQ(FloatToStrF(-0.125, ffFixed, 15, 2), "-0.13");
    EXPECT_EQ(FloatToStrF(0.124999, ffFixed, 15, 2), "0.12");
    EXPECT_EQ(FloatToStrF(9.995, ffFixed, 15, 1), "10.0");
    EXPECT_EQ(FloatToStrF(-0.001, ffFixed, 15, 2), "0.00");
    EXPECT_EQ(FloatToStrF(2, ffFixed, 15, 0), "2");
    EXPECT_EQ(FloatToStrF(1234567.891, ffNumber, 15, 2), "1,234,567.89");
    EXPECT_EQ(FloatToStrF(-1234, ffNumber, 15, 0), "-1,234");
    EXPECT_EQ(FloatToStrF(1.0 / 3, ffGeneral, 4, 0), "0.3333");
    EXPECT_EQ(FloatToStrF(1e20, ffGeneral, 15, 0), "1E20");
    EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), "1.235E+03");
    EXPECT_EQ(FloatToStrF(9.9996, ffExponent, 4, 0), "1.000E+1");
    EXPECT_EQ(FloatToStrF(-0.00042, ffExponent, 1, 3), "-4E-004");
    // More digits before the point than the precision: the general form.
    EXPECT_EQ(FloatToStrF(1e16, ffFixed, 15, 2), "1E16");
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    EXPECT_EQ(FloatToStrF(1.5, ffFixed, 15, 2), "1,50");
    EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 15, 1), "1.234,5");
    FormatSettings().DecimalSeparator = '.';
    FormatSettings().ThousandSeparator = ',';
}

TEST(SysUtils, StringsWorkOnBytesWithPlatformClamping) {
    EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Copy("abc", 0, 2), "ab");
    EXPECT_EQ(Copy("abc", 5, 2), "");
    EXPECT_EQ(Pos("cd", "abcdef"), 3);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(UpperCase("ab\xC3\xA9z"), "AB\xC3\xA9Z");
    EXPECT_TRUE(SameText("Label", "LABEL"));
    EXPECT_EQ(Trim("  a b \t"), "a b");
    std::string s = "abcdef";
    Delete(s, 2, 2);
    EXPECT_EQ(s, "adef");
    Insert("XY", s, 2);
    EXPECT_EQ(s, "aXYdef");
}

TEST(SysUtils, Paths) {
    EXPECT_EQ(ExtractFilePath("/a/b/c.ini"), "/a/b/");
    EXPECT_EQ(ExtractFileName("/a/b/c.ini"), "c.ini");
    EXPECT_EQ(ExtractFileExt("/a/b.d/c"), "");
    EXPECT_EQ(ExtractFileExt("/a/b/c.tar.gz"), ".gz");
    EXPECT_EQ(ChangeFileExt("/a/c.txt", ".csv"), "/a/c.csv");
    EXPECT_EQ(ChangeFileExt("/a.b/c", ".csv"), "/a.b/c.csv");
}

TEST(SysUtils, SettingsFolderFollowsXdg) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/tmp/xdgtest", 1);
    EXPECT_EQ(SettingsFolder(), "/tmp/xdgtest/varsona/");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/tmp/hometest", 1);
    EXPECT_EQ(SettingsFolder(), "/tmp/hometest/.config/varsona/");
    if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST(SysUtils, TickCountIsInjectable) {
    uint32_t now = 0xFFFFFFF0u;
    SetTickCountSource([&] { return now; });
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    now += 0x20;  // wraps
    EXPECT_EQ(GetTickCount(), 0x10u);
    SetTickCountSource(nullptr);
    uint32_t a = GetTickCount();
    Sleep(5);
    EXPECT_GE(static_cast<uint32_t>(GetTickCount() - a), 4u);
}

}  // namespace

// The grid utilities checked against references nobody here wrote: glibc's
// fnmatch and iconv, and the calendar arithmetic of std::chrono.
#include "grid/VsUtil.h"

#include <fnmatch.h>
#include <iconv.h>

#include <chrono>
#include <random>

#include <gtest/gtest.h>

namespace {

std::string RandomText(std::mt19937& rng, const std::string& alphabet, size_t maxLen) {
    std::uniform_int_distribution<size_t> len(0, maxLen);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string s;
    for (size_t n = len(rng); n > 0; --n) s += alphabet[pick(rng)];
    return s;
}

// Days since 1899-12-30 and back.
constexpr std::chrono::sys_days kEpoch = std::chrono::sys_days{std::chrono::year{1899} / 12 / 30};

std::chrono::year_month_day ToYmd(TDateTime d) {
    return std::chrono::year_month_day{kEpoch + std::chrono::days{static_cast<int>(d)}};
}

TDateTime FromYmd(const std::chrono::year_month_day& ymd) {
    return static_cast<TDateTime>((std::chrono::sys_days{ymd} - kEpoch).count());
}

}  // namespace

TEST(VsUtilOracle, WildcardAgreesWithFnmatch) {
    std::mt19937 rng(20240611);
    int checked = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string pattern = RandomText(rng, "ab*?", 6);
        std::string value = RandomText(rng, "abc", 7);
        SCOPED_TRACE("pattern '" + pattern + "' value '" + value + "'");
        bool expected = fnmatch(pattern.c_str(), value.c_str(), FNM_NOESCAPE) == 0;
        ASSERT_EQ(MatchWildcard(pattern, value), expected);
        // Through the filter too, where these patterns are single parts.
        ASSERT_EQ(MatchFilter(pattern, value), expected);
        ++checked;
    }
    EXPECT_EQ(checked, 20000);
}

TEST(VsUtilOracle, StepDateAgreesWithChrono) {
    using namespace std::chrono;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> year(1901, 2090), month(1, 12), day(1, 31), step(-30, 30);
    int raised = 0, stepped = 0;
    for (int i = 0; i < 5000; ++i) {
        int y = year(rng), m = month(rng), d = day(rng), n = step(rng);
        TDateTime start;
        if (!TryEncodeDate(y, m, d, start) || n == 0) continue;
        year_month_day from{std::chrono::year{y}, std::chrono::month{static_cast<unsigned>(m)},
                            std::chrono::day{static_cast<unsigned>(d)}};
        ASSERT_EQ(ToYmd(start), from);
        SCOPED_TRACE(std::to_string(y) + "-" + std::to_string(m) + "-" + std::to_string(d) + " step " +
                     std::to_string(n));
        // Months, up and down.
        year_month_day byMonths = from + months{n};
        if (byMonths.ok()) {
            ASSERT_DOUBLE_EQ(StepDate(0, n, 0, start, 0), FromYmd(byMonths));
            ++stepped;
        } else {
            ASSERT_THROW(StepDate(0, n, 0, start, 0), EConvertError);
            ++raised;
        }
        // Years.
        year_month_day byYears = from + years{n};
        if (byYears.ok()) ASSERT_DOUBLE_EQ(StepDate(n, 0, 0, start, 0), FromYmd(byYears));
        else ASSERT_THROW(StepDate(n, 0, 0, start, 0), EConvertError);
        // Days.
        ASSERT_DOUBLE_EQ(StepDate(0, 0, n, start, 0), FromYmd(year_month_day{sys_days{from} + days{n}}));
    }
    EXPECT_GT(stepped, 1000);
    EXPECT_GT(raised, 10) << "the sample must reach days the target month lacks";
}

TEST(VsUtilOracle, OemTableAgreesWithIconv) {
    iconv_t cd = iconv_open("WINDOWS-1252", "CP437");
    if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "iconv lacks CP437 or WINDOWS-1252";
    int compared = 0;
    for (int b = 0; b < 256; ++b) {
        char in = static_cast<char>(b);
        char out[8];
        char* inp = &in;
        char* outp = out;
        size_t inLeft = 1, outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) continue;  // no ANSI character
        std::string ansi(out, static_cast<size_t>(outp - out));
        std::string ours(1, in);
        OemToAnsiText(ours);
        SCOPED_TRACE("byte " + std::to_string(b));
        EXPECT_EQ(ours, Cp1252ToUtf8(ansi));
        ++compared;
    }
    iconv_close(cd);
    EXPECT_GE(compared, 128 + 50) << "most of the upper half maps directly";
}

TEST(VsUtilOracle, OemTableGivesOnlyAnsiCharacters) {
    for (int b = 0x80; b < 256; ++b) {
        std::string s(1, static_cast<char>(b));
        OemToAnsiText(s);
        SCOPED_TRACE("byte " + std::to_string(b));
        EXPECT_TRUE(IsValidUtf8(s));
        EXPECT_EQ(Cp1252ToUtf8(Utf8ToCp1252(s)), s) << "every result has a Windows-1252 byte";
    }
}

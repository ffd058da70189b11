#include "platform/runtime/SysUtils.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------- messages

namespace {

std::string ReplaceFirst(std::string_view message, std::string_view token, std::string_view arg,
                         size_t& from) {
    std::string out(message);
    size_t at = out.find(token, from);
    if (at == std::string::npos) return out;
    out.replace(at, token.size(), arg);
    from = at + arg.size();
    return out;
}

}  // namespace

std::string FmtMsg(std::string_view message, std::string_view arg) {
    size_t from = 0;
    return ReplaceFirst(message, "%s", arg, from);
}

std::string FmtMsg(std::string_view message, std::string_view arg1, std::string_view arg2) {
    size_t from = 0;
    std::string once = ReplaceFirst(message, "%s", arg1, from);
    return ReplaceFirst(once, "%s", arg2, from);
}

std::string FmtMsg(std::string_view message, int64_t arg) {
    size_t from = 0;
    return ReplaceFirst(message, "%d", std::to_string(arg), from);
}

// ---------------------------------------------------------------- numbers

int64_t Round(long double value) {
    if (std::isnan(value) || value >= 9.2233720368547758e18L || value <= -9.2233720368547758e18L)
        throw EInvalidOp("Invalid floating point operation");
    return static_cast<int64_t>(std::nearbyint(value));
}

int64_t Trunc(long double value) {
    if (std::isnan(value) || value >= 9.2233720368547758e18L || value <= -9.2233720368547758e18L)
        throw EInvalidOp("Invalid floating point operation");
    return static_cast<int64_t>(value);
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    int64_t p = static_cast<int64_t>(a) * b;
    bool negative = (p < 0) != (c < 0);
    uint64_t up = p < 0 ? static_cast<uint64_t>(-(p + 1)) + 1 : static_cast<uint64_t>(p);
    uint64_t uc = c < 0 ? static_cast<uint64_t>(-(static_cast<int64_t>(c))) : static_cast<uint64_t>(c);
    uint64_t q = (up + uc / 2) / uc;
    if (q > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()) + (negative ? 1u : 0u)) return -1;
    return negative ? static_cast<int32_t>(-static_cast<int64_t>(q)) : static_cast<int32_t>(q);
}

TFormatSettings& FormatSettings() {
    static TFormatSettings settings;
    return settings;
}

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string IntToHex(int64_t value, int digits) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", std::max(digits, 0), static_cast<unsigned long long>(value));
    return buf;
}

bool TryStrToInt64(const std::string& s, int64_t& value) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    unsigned __int128 acc = 0;
    for (; i < s.size(); ++i) {
        int d;
        char c = s[i];
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        acc = acc * base + d;
        if (acc > (static_cast<unsigned __int128>(1) << 64)) return false;
    }
    if (base == 16) {
        if (acc > std::numeric_limits<uint64_t>::max()) return false;
        auto v = static_cast<int64_t>(static_cast<uint64_t>(acc));
        value = negative ? -v : v;
        return true;
    }
    if (negative) {
        if (acc > static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max()) + 1) return false;
        value = static_cast<int64_t>(-static_cast<__int128>(acc));
    } else {
        if (acc > static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max())) return false;
        value = static_cast<int64_t>(acc);
    }
    return true;
}

bool TryStrToInt(const std::string& s, int32_t& value) {
    int64_t v;
    if (!TryStrToInt64(s, v)) return false;
    // Hexadecimal texts up to $FFFFFFFF wrap into the signed range.
    bool hex = s.find('$') != std::string::npos || s.find("0x") != std::string::npos ||
               s.find("0X") != std::string::npos;
    if (hex && v >= 0 && v <= 0xFFFFFFFFLL) {
        value = static_cast<int32_t>(static_cast<uint32_t>(v));
        return true;
    }
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
    value = static_cast<int32_t>(v);
    return true;
}

int32_t StrToInt(const std::string& s) {
    int32_t v;
    if (!TryStrToInt(s, v)) throw EConvertError(FmtMsg(SysConst::SInvalidInteger, s));
    return v;
}

int64_t StrToInt64(const std::string& s) {
    int64_t v;
    if (!TryStrToInt64(s, v)) throw EConvertError(FmtMsg(SysConst::SInvalidInteger, s));
    return v;
}

int32_t StrToIntDef(const std::string& s, int32_t def) {
    int32_t v;
    return TryStrToInt(s, v) ? v : def;
}

bool TryStrToFloat(const std::string& s, long double& value, char decimalSeparator) {
    size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ') ++i;
    while (n > i && s[n - 1] == ' ') --n;
    std::string norm;
    if (i < n && (s[i] == '+' || s[i] == '-')) norm += s[i++];
    size_t digits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') {
        norm += s[i++];
        ++digits;
    }
    if (i < n && s[i] == decimalSeparator) {
        norm += '.';
        ++i;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            norm += s[i++];
            ++digits;
        }
    }
    if (digits == 0) return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        norm += 'e';
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-')) norm += s[i++];
        size_t expDigits = 0;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            norm += s[i++];
            ++expDigits;
        }
        if (expDigits == 0) return false;
    }
    if (i != n) return false;
    errno = 0;
    long double v = std::strtold(norm.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(v)) return false;
    value = v;
    return true;
}

bool TryStrToFloat(const std::string& s, long double& value) {
    return TryStrToFloat(s, value, FormatSettings().DecimalSeparator);
}

long double StrToFloat(const std::string& s) {
    long double v;
    if (!TryStrToFloat(s, v)) throw EConvertError(FmtMsg(SysConst::SInvalidFloat, s));
    return v;
}

long double StrToFloatDef(const std::string& s, long double def) {
    long double v;
    return TryStrToFloat(s, v) ? v : def;
}

namespace {
// At most precision significant digits, the exponent as the platform
// writes it (1E20, 1E-5).
std::string GeneralFloat(long double value, int precision) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Lg", precision, value);
    std::string out = buf;
    size_t e = out.find('e');
    if (e != std::string::npos) {
        std::string mant = out.substr(0, e);
        std::string exp = out.substr(e + 1);
        bool neg = !exp.empty() && exp[0] == '-';
        if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) exp.erase(0, 1);
        while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
        out = mant + "E" + (neg ? "-" : "") + exp;
    }
    for (char& c : out)
        if (c == '.') c = FormatSettings().DecimalSeparator;
    return out;
}
}  // namespace

std::string FloatToStr(long double value) { return GeneralFloat(value, 15); }

namespace {
// Adds one to the last digit of a digit string (a point may stand in it);
// True when the carry ran out of the front.
bool IncrementDigits(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] == '.') continue;
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

// |value| with decimals places, halves away from zero: the printed
// expansion runs far enough past the cut to tell a true half.
std::string FixedDigits(long double magnitude, int decimals) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*Lf", decimals + 30, magnitude);
    std::string all = buf;
    const size_t point = all.find('.');
    const size_t cut = point + 1 + static_cast<size_t>(decimals);
    std::string kept = all.substr(0, decimals > 0 ? cut : point);
    if (all[cut] >= '5' && IncrementDigits(kept)) kept.insert(0, 1, '1');
    return kept;
}

// d.ddd and the exponent of |value| with significant digits, halves away
// from zero.
std::string ExponentDigits(long double magnitude, int significant, int& exponent) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*Le", significant - 1 + 30, magnitude);
    std::string all = buf;
    const size_t e = all.find('e');
    exponent = std::atoi(all.c_str() + e + 1);
    std::string mantissa = all.substr(0, e);
    const size_t cut = significant == 1 ? 2 : static_cast<size_t>(significant) + 1;
    std::string kept = mantissa.substr(0, significant == 1 ? 1 : cut);
    if (mantissa[cut] >= '5' && IncrementDigits(kept)) {
        // 9.99 became 10.00: one more power of ten.
        kept = "1" + kept.substr(0, kept.size() - 1);
        if (kept.size() > 2) std::swap(kept[1], kept[2]);
        ++exponent;
    }
    return kept;
}
}  // namespace

std::string FloatToStrF(long double value, TFloatFormat format, int precision, int digits) {
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (format == ffGeneral) return GeneralFloat(value, precision);
    const char sep = FormatSettings().DecimalSeparator;
    const bool negative = std::signbit(value) && value != 0;
    const long double magnitude = negative ? -value : value;
    auto finish = [&](std::string text) {
        for (char& c : text)
            if (c == '.') c = sep;
        // No sign on a value that shows as zero.
        const bool zero = text.find_first_not_of("0.,") == std::string::npos;
        return negative && !zero ? "-" + text : text;
    };
    if (format == ffExponent) {
        int exponent = 0;
        std::string mantissa = ExponentDigits(magnitude, precision, exponent);
        std::string exp = std::to_string(exponent < 0 ? -exponent : exponent);
        while (static_cast<int>(exp.size()) < digits) exp.insert(0, 1, '0');
        return finish(mantissa + "E" + (exponent < 0 ? "-" : "+") + exp);
    }
    // More digits before the point than the precision holds: the general form.
    if (magnitude >= std::pow(10.0L, precision)) return GeneralFloat(value, precision);
    std::string text = FixedDigits(magnitude, digits);
    if (format == ffNumber) {
        size_t point = text.find('.');
        if (point == std::string::npos) point = text.size();
        for (int64_t i = static_cast<int64_t>(point) - 3; i > 0; i -= 3)
            text.insert(static_cast<size_t>(i), 1, '\x01');
        std::string grouped = finish(text);
        for (char& c : grouped)
            if (c == '\x01') c = FormatSettings().ThousandSeparator;
        return grouped;
    }
    return finish(text);
}

// The platform's Format grammar: "%" [index ":"] ["-"] [width] ["." prec] type.
std::string Format(const std::string& format, int64_t arg) {
    auto fail = [&]() -> EConvertError { return EConvertError(FmtMsg(SysConst::SInvalidFormat, format)); };
    std::string out;
    int nextArg = 0;
    size_t i = 0;
    const size_t n = format.size();
    auto readNumber = [&](bool& star, int& num) -> bool {
        star = false;
        num = -1;
        if (i < n && format[i] == '*') {
            star = true;
            ++i;
            return true;
        }
        if (i < n && format[i] >= '0' && format[i] <= '9') {
            int64_t v = 0;
            while (i < n && format[i] >= '0' && format[i] <= '9') {
                v = v * 10 + (format[i] - '0');
                if (v > 1000000) throw fail();
                ++i;
            }
            num = static_cast<int>(v);
            return true;
        }
        return false;
    };
    auto takeArg = [&]() -> int64_t {
        if (nextArg != 0) throw fail();
        ++nextArg;
        return arg;
    };
    while (i < n) {
        char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i >= n) throw fail();
        if (format[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        bool star;
        int num;
        bool leftAlign = false;
        int width = -1, prec = -1;
        size_t save = i;
        if (readNumber(star, num) && i < n && format[i] == ':') {
            int index = star ? static_cast<int>(takeArg()) : num;
            nextArg = index;
            ++i;
        } else {
            i = save;
        }
        if (i < n && format[i] == '-') {
            leftAlign = true;
            ++i;
        }
        if (readNumber(star, num)) width = star ? static_cast<int>(takeArg()) : num;
        if (i < n && format[i] == '.') {
            ++i;
            if (readNumber(star, num)) prec = star ? static_cast<int>(takeArg()) : num;
            else prec = 0;
        }
        if (i >= n) throw fail();
        char type = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        ++i;
        std::string text;
        if (type == 'd') {
            int64_t v = takeArg();
            uint64_t magnitude = v < 0 ? static_cast<uint64_t>(-(v + 1)) + 1 : static_cast<uint64_t>(v);
            std::string digits = std::to_string(magnitude);
            if (prec > 0 && static_cast<int>(digits.size()) < prec) digits.insert(0, prec - digits.size(), '0');
            text = (v < 0 ? "-" : "") + digits;
        } else if (type == 'u') {
            int64_t v = takeArg();
            // A negative value reads as its 32-bit unsigned pattern.
            std::string digits = v >= 0 ? std::to_string(v) : std::to_string(static_cast<uint32_t>(v));
            if (prec > 0 && static_cast<int>(digits.size()) < prec) digits.insert(0, prec - digits.size(), '0');
            text = digits;
        } else if (type == 'x') {
            int64_t v = takeArg();
            char buf[32];
            if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<uint32_t>::max())
                std::snprintf(buf, sizeof buf, "%X", static_cast<uint32_t>(v));
            else
                std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(v));
            text = buf;
            if (prec > 0 && static_cast<int>(text.size()) < prec) text.insert(0, prec - text.size(), '0');
        } else {
            // s, e, f, g, n, m, p and unknown letters do not take an integer.
            throw fail();
        }
        if (width > 0 && static_cast<int>(text.size()) < width) {
            if (leftAlign) text.append(width - text.size(), ' ');
            else text.insert(0, width - text.size(), ' ');
        }
        out += text;
    }
    return out;
}

// ---------------------------------------------------------------- strings

char UpCase(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

std::string UpperCase(std::string s) {
    for (char& c : s) c = UpCase(c);
    return s;
}

std::string LowerCase(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

int CompareText(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int ca = static_cast<unsigned char>(UpCase(a[i]));
        int cb = static_cast<unsigned char>(UpCase(b[i]));
        if (ca != cb) return ca - cb;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareStr(std::string_view a, std::string_view b) {
    int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::string Trim(const std::string& s) { return TrimLeft(TrimRight(s)); }

std::string TrimLeft(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    return s.substr(i);
}

std::string TrimRight(const std::string& s) {
    size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
    return s.substr(0, n);
}

int Pos(std::string_view sub, std::string_view s) {
    if (sub.empty()) return 0;
    size_t at = s.find(sub);
    return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

std::string Copy(const std::string& s, int64_t index, int64_t count) {
    if (index < 1) index = 1;
    if (count <= 0 || index > static_cast<int64_t>(s.size())) return {};
    return s.substr(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Delete(std::string& s, int64_t index, int64_t count) {
    if (index < 1 || index > static_cast<int64_t>(s.size()) || count <= 0) return;
    s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Insert(const std::string& sub, std::string& s, int64_t index) {
    if (index < 1) index = 1;
    if (index > static_cast<int64_t>(s.size()) + 1) index = static_cast<int64_t>(s.size()) + 1;
    s.insert(static_cast<size_t>(index - 1), sub);
}

std::string StringOfChar(char c, int64_t count) {
    return count > 0 ? std::string(static_cast<size_t>(count), c) : std::string();
}

std::string StringReplace(const std::string& s, const std::string& from, const std::string& to,
                          bool replaceAll, bool ignoreCase) {
    if (from.empty()) return s;
    std::string hay = ignoreCase ? UpperCase(s) : s;
    std::string needle = ignoreCase ? UpperCase(from) : from;
    std::string out;
    size_t pos = 0;
    while (true) {
        size_t at = hay.find(needle, pos);
        if (at == std::string::npos) break;
        out.append(s, pos, at - pos);
        out += to;
        pos = at + from.size();
        if (!replaceAll) break;
    }
    out.append(s, pos, std::string::npos);
    return out;
}

std::string QuotedStr(const std::string& s, char quote) {
    std::string out(1, quote);
    for (char c : s) {
        out += c;
        if (c == quote) out += c;
    }
    out += quote;
    return out;
}

// ---------------------------------------------------------------- encodings

namespace {

// Windows-1252 bytes 0x80..0x9F; the five unassigned bytes map to the C1
// control of the same value, as the system's own conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when invalid.
size_t DecodeUtf8(std::string_view s, size_t i, uint32_t& cp) {
    auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = b(i);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    size_t len;
    uint32_t min;
    if ((c & 0xE0) == 0xC0) {
        len = 2;
        cp = c & 0x1F;
        min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        cp = c & 0x0F;
        min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        uint32_t cp;
        size_t len = DecodeUtf8(s, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

uint32_t Cp1252CodePoint(uint8_t b) { return b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b; }

std::string Cp1252ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size() + s.size() / 4);
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) out += ch;
        else AppendUtf8(out, Cp1252CodePoint(c));
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        uint32_t cp;
        size_t len = DecodeUtf8(s, i, cp);
        if (len == 0) {
            out += '?';
            ++i;
            continue;
        }
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char mapped = '?';
        for (size_t k = 0; k < kCp1252High.size(); ++k)
            if (kCp1252High[k] == cp) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        out += mapped;
    }
    return out;
}

std::string DecodeFileText(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return Cp1252ToUtf8(bytes);
}

// ---------------------------------------------------------------- dates

namespace {

constexpr int64_t kDaysTo1899_12_30 = 693594;  // ordinal of 1899-12-30, 0001-01-01 being day 1

bool ValidDate(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInAMonth(y, m);
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month) {
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return days[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
    if (!ValidDate(year, month, day)) return false;
    int64_t days = 0;
    for (int m = 1; m < month; ++m) days += DaysInAMonth(year, m);
    days += day;
    int64_t y = year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    date = static_cast<TDateTime>(days - kDaysTo1899_12_30);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime d;
    if (!TryEncodeDate(year, month, day, d)) throw EConvertError(SysConst::SDateEncodeError);
    return d;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec) {
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999)
        throw EConvertError("Invalid argument to time encode");
    return (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / 86400000.0;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
    auto t = static_cast<int64_t>(std::floor(date));
    int64_t n = t + kDaysTo1899_12_30 - 1;  // days since 0001-01-01, 0-based
    if (n < 0) {
        year = month = day = 0;
        return;
    }
    int64_t y400 = n / 146097;
    n %= 146097;
    int64_t y100 = n / 36524;
    if (y100 == 4) y100 = 3;
    n -= y100 * 36524;
    int64_t y4 = n / 1461;
    n %= 1461;
    int64_t y1 = n / 365;
    if (y1 == 4) y1 = 3;
    n -= y1 * 365;
    year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
    month = 1;
    while (n >= DaysInAMonth(year, month)) {
        n -= DaysInAMonth(year, month);
        ++month;
    }
    day = static_cast<int>(n) + 1;
}

void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec) {
    double frac = time - std::floor(time);
    auto ms = static_cast<int64_t>(std::llround(frac * 86400000.0));
    if (ms >= 86400000) ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

TDateTime Now() {
    std::time_t t = std::time(nullptr);
    std::tm lt{};
    localtime_r(&t, &lt);
    return EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) + EncodeTime(lt.tm_hour, lt.tm_min, lt.tm_sec, 0);
}

TDateTime Date() { return std::floor(Now()); }

int DayOfWeek(TDateTime date) {
    auto t = static_cast<int64_t>(std::floor(date));
    // 1899-12-30 was a Saturday (7).
    int64_t r = ((t % 7) + 7 + 6) % 7;
    return static_cast<int>(r) + 1;
}

std::string FormatDateTime(const std::string& format, TDateTime value) {
    static const char* shortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* longMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};
    static const char* shortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* longDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    int y, m, d, hh, nn, ss, ms;
    DecodeDate(value, y, m, d);
    DecodeTime(value, hh, nn, ss, ms);
    auto two = [](int v) {
        char b[8];
        std::snprintf(b, sizeof b, "%02d", v);
        return std::string(b);
    };
    bool ampm = format.find("am/pm") != std::string::npos || format.find("AM/PM") != std::string::npos;
    std::string out;
    size_t i = 0;
    bool lastWasHour = false;
    while (i < format.size()) {
        char c = format[i];
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        size_t run = 1;
        while (i + run < format.size() && std::tolower(static_cast<unsigned char>(format[i + run])) == lc) ++run;
        if (c == '"' || c == '\'') {
            size_t end = format.find(c, i + 1);
            if (end == std::string::npos) end = format.size();
            out += format.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (lc == 'a' && (format.compare(i, 5, "am/pm") == 0 || format.compare(i, 5, "AM/PM") == 0)) {
            bool upper = format[i] == 'A';
            out += hh < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
            i += 5;
            continue;
        }
        switch (lc) {
        case 'y':
            out += run <= 2 ? two(y % 100) : std::to_string(y);
            break;
        case 'm':
            if (lastWasHour && run <= 2) {
                out += run == 1 ? std::to_string(nn) : two(nn);
            } else if (run == 1) out += std::to_string(m);
            else if (run == 2) out += two(m);
            else if (run == 3) out += shortMonths[m - 1];
            else out += longMonths[m - 1];
            break;
        case 'd':
            if (run == 1) out += std::to_string(d);
            else if (run == 2) out += two(d);
            else if (run == 3) out += shortDays[DayOfWeek(value) - 1];
            else if (run == 4) out += longDays[DayOfWeek(value) - 1];
            else out += FormatDateTime(FormatSettings().ShortDateFormat, value);
            break;
        case 'h': {
            int h = ampm ? (hh % 12 == 0 ? 12 : hh % 12) : hh;
            out += run == 1 ? std::to_string(h) : two(h);
            break;
        }
        case 'n':
            out += run == 1 ? std::to_string(nn) : two(nn);
            break;
        case 's':
            out += run == 1 ? std::to_string(ss) : two(ss);
            break;
        case '/':
            out += FormatSettings().DateSeparator;
            run = 1;
            break;
        case ':':
            out += FormatSettings().TimeSeparator;
            run = 1;
            break;
        default:
            out += format.substr(i, run);
            break;
        }
        if (lc != ' ' && lc != ':') lastWasHour = (lc == 'h');
        i += run;
    }
    return out;
}

std::string DateToStr(TDateTime date) { return FormatDateTime(FormatSettings().ShortDateFormat, date); }

bool TryStrToDate(const std::string& s, TDateTime& date) {
    // Field order from ShortDateFormat: the order of its y, m and d letters.
    std::string order;
    for (char c : FormatSettings().ShortDateFormat) {
        char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((lc == 'y' || lc == 'm' || lc == 'd') && order.find(lc) == std::string::npos) order += lc;
    }
    if (order.size() != 3) order = "mdy";
    int values[3] = {0, 0, 0};
    int count = 0;
    size_t i = 0;
    std::string t = Trim(s);
    while (i < t.size() && count < 3) {
        if (!(t[i] >= '0' && t[i] <= '9')) return false;
        int v = 0, digits = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            v = v * 10 + (t[i] - '0');
            if (++digits > 4) return false;
            ++i;
        }
        values[count++] = v;
        if (i < t.size()) {
            if (t[i] != FormatSettings().DateSeparator) return false;
            ++i;
        }
    }
    if (i != t.size() || count < 2) return false;
    int y = 0, m = 0, d = 0;
    int current, cm, cd;
    DecodeDate(Date(), current, cm, cd);
    if (count == 2) {
        // Day and month only: the current year.
        bool monthFirst = order.find('m') < order.find('d');
        m = values[monthFirst ? 0 : 1];
        d = values[monthFirst ? 1 : 0];
        y = current;
    } else {
        for (int k = 0; k < 3; ++k) {
            if (order[k] == 'y') y = values[k];
            else if (order[k] == 'm') m = values[k];
            else d = values[k];
        }
        if (y < 100) y += (current / 100) * 100;
    }
    return TryEncodeDate(y, m, d, date);
}

TDateTime StrToDate(const std::string& s) {
    TDateTime d;
    if (!TryStrToDate(s, d)) throw EConvertError(FmtMsg(SysConst::SInvalidDate, s));
    return d;
}

std::string TimeToStr(TDateTime time) { return FormatDateTime(FormatSettings().LongTimeFormat, time - std::floor(time)); }

bool TryStrToTime(const std::string& s, TDateTime& time) {
    std::string t = Trim(s);
    // An am/pm mark at the end, with or without a blank before it.
    int half = 0;
    if (t.size() >= 2) {
        std::string tail = LowerCase(t.substr(t.size() - 2));
        if (tail == "am" || tail == "pm") {
            half = tail == "am" ? 1 : 2;
            t = TrimRight(t.substr(0, t.size() - 2));
        }
    }
    int values[3] = {0, 0, 0};
    int count = 0;
    size_t i = 0;
    while (i < t.size() && count < 3) {
        if (!(t[i] >= '0' && t[i] <= '9')) return false;
        int v = 0, digits = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
            v = v * 10 + (t[i] - '0');
            if (++digits > 2) return false;
            ++i;
        }
        values[count++] = v;
        if (i < t.size()) {
            if (t[i] != FormatSettings().TimeSeparator || count == 3) return false;
            ++i;
            if (i == t.size()) return false;
        }
    }
    if (i != t.size() || count == 0) return false;
    int h = values[0];
    if (half) {
        if (h < 1 || h > 12) return false;
        h = h % 12 + (half == 2 ? 12 : 0);
    }
    if (h > 23 || values[1] > 59 || values[2] > 59) return false;
    time = EncodeTime(h, values[1], values[2], 0);
    return true;
}

TDateTime StrToTime(const std::string& s) {
    TDateTime t;
    if (!TryStrToTime(s, t)) throw EConvertError(FmtMsg(SysConst::SInvalidTime, s));
    return t;
}

TDateTime IncMonth(TDateTime date, int months) {
    int y, m, d;
    DecodeDate(date, y, m, d);
    const TDateTime time = date - std::floor(date);
    int64_t total = static_cast<int64_t>(y) * 12 + (m - 1) + months;
    y = static_cast<int>(total / 12);
    m = static_cast<int>(total % 12) + 1;
    d = std::min(d, DaysInAMonth(y, m));
    return EncodeDate(y, m, d) + time;
}

// ---------------------------------------------------------------- files

bool FileExists(const std::string& path) {
    struct stat st{};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st{};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (DirectoryExists(p)) return true;
    std::string parent = ExtractFileDir(p);
    if (!parent.empty() && parent != p && !ForceDirectories(parent)) return false;
    return ::mkdir(p.c_str(), 0777) == 0 || DirectoryExists(p);
}

bool DeleteFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool RenameFile(const std::string& from, const std::string& to) {
    if (FileExists(to)) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string ExtractFilePath(const std::string& path) {
    size_t at = path.find_last_of('/');
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string ExtractFileDir(const std::string& path) {
    size_t at = path.find_last_of('/');
    if (at == std::string::npos) return {};
    if (at == 0) return "/";
    return path.substr(0, at);
}

std::string ExtractFileName(const std::string& path) {
    size_t at = path.find_last_of('/');
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string ExtractFileExt(const std::string& path) {
    size_t at = path.find_last_of("./");
    if (at == std::string::npos || path[at] != '.') return {};
    return path.substr(at);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    size_t at = path.find_last_of("./");
    if (at == std::string::npos || path[at] != '.') return path + ext;
    return path.substr(0, at) + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && path.back() == '/') return path;
    return path + "/";
}

std::string ExpandFileName(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) return path;
    return IncludeTrailingPathDelimiter(buf) + path;
}

std::string ReadFileBytes(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) throw EFOpenError(FmtMsg(SysConst::SFOpenError, path, std::strerror(errno)));
    std::string data;
    char buf[65536];
    size_t got;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, got);
    // A read that fails part-way is no shorter file: nothing of it counts.
    const int error = std::ferror(f) ? errno : 0;
    std::fclose(f);
    if (error) throw EFOpenError(FmtMsg(SysConst::SFOpenError, path, std::strerror(error)));
    return data;
}

namespace {

// The file a path names in the end: a symbolic link is written through, so
// that it stays a link (a dangling one creates its target).
std::string FollowLinks(const std::string& path) {
    std::string p = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st{};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n <= 0) return p;
        target.resize(static_cast<size_t>(n));
        p = !target.empty() && target[0] == '/' ? target : ExtractFilePath(p) + target;
    }
    return p;
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t w = ::write(fd, p, left);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += w;
        left -= static_cast<size_t>(w);
    }
    return true;
}

// The temporary file of a write: "<path>.varsona-tmp", locked while it is
// written, so that a file a killed write left behind is taken over (and so
// removed) by the next write of the same file. When another writer holds it,
// a name of our own. Returns the locked descriptor, or -1.
// The temporary name: the final name with the suffix, or, where that would
// pass the folder's name limit, the final name cut short (at a character)
// with a hash of the whole name, so that it still belongs to this file alone.
std::string TemporaryName(const std::string& path, const std::string& suffix) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (limit <= 0) limit = NAME_MAX;
    if (name.size() + suffix.size() <= static_cast<size_t>(limit)) return path + suffix;
    uint32_t hash = 2166136261u;  // FNV-1a
    for (unsigned char c : name) hash = (hash ^ c) * 16777619u;
    char tag[10];
    std::snprintf(tag, sizeof tag, "~%08x", hash);
    size_t keep = static_cast<size_t>(limit) - suffix.size() - std::strlen(tag);
    keep = std::min(keep, name.size());
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
    return folder + name.substr(0, keep) + tag + suffix;
}

int OpenTemporary(const std::string& path, std::string& tmp) {
    tmp = TemporaryName(path, ".varsona-tmp");
    const int fd = ::open(tmp.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) {
        struct stat mine{}, named{};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &mine) == 0 && ::lstat(tmp.c_str(), &named) == 0 &&
            mine.st_ino == named.st_ino && mine.st_dev == named.st_dev && ::ftruncate(fd, 0) == 0)
            return fd;
        ::close(fd);
    }
    tmp = TemporaryName(path, ".XXXXXX");
    return ::mkstemp(tmp.data());
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    const std::string target = FollowLinks(path);
    struct stat st{};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    // A read-only file stays as it is, for root too.
    if (exists && (::access(target.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0)) {
        errno = EACCES;
        return false;
    }
    std::string tmp;
    const int fd = OpenTemporary(target, tmp);
    if (fd < 0) return false;
    // The data goes through a second descriptor, so that its close reports
    // the file system's last errors while the first keeps the lock.
    const int data = ::dup(fd);
    bool ok = data >= 0 && WriteAll(data, bytes);
    // Keep the permissions of the file we replace; a new file gets the usual 0666 & ~umask.
    if (ok) {
        if (exists) {
            ok = ::fchmod(data, st.st_mode & 07777) == 0;
        } else {
            mode_t mask = ::umask(0);
            ::umask(mask);
            ok = ::fchmod(data, 0666 & ~mask) == 0;
        }
    }
    if (ok) ok = ::fdatasync(data) == 0;
    if (data >= 0 && ::close(data) != 0) ok = false;
    if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
    const int error = errno;
    if (!ok) ::unlink(tmp.c_str());
    ::close(fd);
    if (!ok) errno = error;
    return ok;
}

std::string AppDataFolder() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return IncludeTrailingPathDelimiter(xdg);
    const char* home = std::getenv("HOME");
    std::string h = home && *home ? home : "/tmp";
    return IncludeTrailingPathDelimiter(h) + ".config/";
}

std::string SettingsFolder() { return AppDataFolder() + "varsona/"; }

std::string ParamStr0() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    buf[n] = 0;
    return buf;
}

std::string ProgramFolder() { return ExtractFilePath(ParamStr0()); }

std::string DocumentsFolder() {
    const char* home = std::getenv("HOME");
    std::string h = IncludeTrailingPathDelimiter(home && *home ? home : "/tmp");
    if (DirectoryExists(h + "Documents")) return h + "Documents/";
    return h;
}

// ---------------------------------------------------------------- ticks

namespace {
std::function<uint32_t()>& TickSource() {
    static std::function<uint32_t()> source;
    return source;
}
}  // namespace

uint32_t GetTickCount() {
    if (TickSource()) return TickSource()();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return static_cast<uint32_t>(ms);
}

void SetTickCountSource(std::function<uint32_t()> source) { TickSource() = std::move(source); }

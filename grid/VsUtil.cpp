#include "grid/VsUtil.h"

#include <vector>

namespace {

bool Contains(std::string_view s, std::string_view sub) { return s.find(sub) != std::string_view::npos; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the UTF-8 sequence that starts at s[i]; a stray byte counts as
// one character so that no input is lost.
size_t Utf8Length(std::string_view s, size_t i) {
    auto c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
    if (i + len > s.size()) return 1;
    for (size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 1;
    return len;
}

// Characters of a UTF-8 text, each as its byte sequence.
std::vector<std::string_view> SplitChars(std::string_view s) {
    std::vector<std::string_view> chars;
    chars.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t len = Utf8Length(s, i);
        chars.push_back(s.substr(i, len));
        i += len;
    }
    return chars;
}

// Code page 437, bytes 0x80 to 0xFF, as the ANSI page shows them. Where the
// ANSI page has the character it is taken as is; the rest are look-alikes.
constexpr char16_t kOem437ToAnsi[128] = {
    // 0x80
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    // 0x90 (0x9E peseta sign: "P")
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, u'P', 0x0192,
    // 0xA0 (0xA9 reversed not sign: the not sign)
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x00AC, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    // 0xB0 shades and box drawing
    u'#', u'#', u'#', u'|', u'+', u'+', u'+', u'+',
    u'+', u'+', u'|', u'+', u'+', u'+', u'+', u'+',
    // 0xC0
    u'+', u'+', u'+', u'+', u'-', u'+', u'+', u'+',
    u'+', u'+', u'+', u'+', u'+', u'=', u'+', u'+',
    // 0xD0 box drawing and blocks
    u'+', u'+', u'+', u'+', u'+', u'+', u'+', u'+',
    u'+', u'+', u'+', u'#', u'#', u'#', u'#', u'#',
    // 0xE0 Greek letters and mathematics
    u'a', 0x00DF, u'G', u'p', u'S', u's', 0x00B5, u't',
    u'F', u'T', u'O', u'd', u'8', u'f', u'e', u'n',
    // 0xF0
    u'=', 0x00B1, u'>', u'<', u'(', u')', 0x00F7, u'~',
    0x00B0, 0x00B7, 0x00B7, u'v', u'n', 0x00B2, u'#', 0x00A0,
};

// Takes a comparison operand: the text after the operator, blanks skipped,
// up to a blank, "&", "|" or the end, at most 255 characters.
std::string Operand(std::string_view pattern, size_t start) {
    size_t i = start;
    while (i < pattern.size() && pattern[i] == ' ') ++i;
    std::string out;
    while (i < pattern.size() && pattern[i] != ' ' && pattern[i] != '&' && pattern[i] != '|' && out.size() < 255)
        out += pattern[i++];
    return out;
}

// -1, 0 or 1; numbers when both convert with "." as decimal point, else the
// texts byte by byte over at most 255 characters.
int Compare(std::string_view value, const std::string& operand) {
    long double a, b;
    std::string v(value);
    if (TryStrToFloat(v, a, '.') && TryStrToFloat(operand, b, '.')) return a < b ? -1 : a > b ? 1 : 0;
    int r = std::string_view(v).substr(0, 255).compare(std::string_view(operand).substr(0, 255));
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

// The greedy "*" with backtracking to the last star, over characters.
bool WildcardCore(const std::vector<std::string_view>& p, const std::vector<std::string_view>& v) {
    size_t pi = 0, vi = 0;
    size_t starP = std::string::npos, starV = 0;
    while (vi < v.size()) {
        if (pi < p.size() && p[pi] == "*") {
            starP = pi++;
            starV = vi;
        } else if (pi < p.size() && (p[pi] == "?" || p[pi] == v[vi])) {
            ++pi;
            ++vi;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            vi = ++starV;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == "*") ++pi;
    return pi == p.size();
}

}  // namespace

int32_t VarPos(std::string_view Sub, std::string_view S, int32_t& P) {
    P = Pos(Sub, S);
    return P;
}

char FirstCharOf(std::string_view Set, std::string_view S) {
    for (char c : S)
        if (Set.find(c) != std::string_view::npos) return c;
    return '\0';
}

bool ParseCellRef(const std::string& S, TPoint& Point) {
    std::string s = UpperCase(S);
    if (s.size() <= 3 || s[0] != 'R') return false;
    s.erase(0, 1);
    size_t c = s.find('C');
    if (c == std::string::npos) return false;
    int32_t row, col;
    if (!TryStrToInt(s.substr(0, c), row) || !TryStrToInt(s.substr(c + 1), col)) return false;
    Point.X = col;
    Point.Y = row;
    return true;
}

bool IsURL(std::string_view S) { return Contains(S, "://") || Contains(S, "mailto:"); }

std::string_view URLWithoutPrefix(std::string_view S) {
    size_t p = S.find("://");
    if (p != std::string_view::npos) return S.substr(p + 3);
    p = S.find("mailto:");
    return p != std::string_view::npos ? S.substr(p + 7) : S;
}

void StripURLPrefix(std::string& S) { S.erase(0, S.size() - URLWithoutPrefix(S).size()); }

int32_t TextKind(std::string_view S) {
    if (S.size() < 2) return tkPlain;
    if (S[0] == '=') return tkFormula;
    if (S.substr(0, 2) == "{\\") return tkRichText;
    // "</", "<B" or "<I" anywhere, in one pass.
    for (size_t lt = S.find('<'); lt != std::string_view::npos && lt + 1 < S.size(); lt = S.find('<', lt + 1))
        if (S[lt + 1] == '/' || S[lt + 1] == 'B' || S[lt + 1] == 'I') return tkHTML;
    return tkPlain;
}

std::string NormalizeFloatText(std::string_view S) {
    const TFormatSettings& fs = FormatSettings();
    std::string out;
    out.reserve(S.size());
    for (char c : S) {
        if (c == fs.ThousandSeparator) continue;
        out += c == fs.DecimalSeparator ? '.' : c;
    }
    return out;
}

int32_t NumberClass(std::string_view S) {
    const TFormatSettings& fs = FormatSettings();
    bool isInt = true, isFloat = true;
    int32_t lastThousand = -1, decimals = 0, minus = 0;
    for (size_t k = 0; k < S.size(); ++k) {
        char c = S[k];
        int32_t i = static_cast<int32_t>(k) + 1;
        if (c != '-' && !IsDigit(c)) isInt = false;
        if (c != ',' && c != '-' && c != '.' && !IsDigit(c)) isFloat = false;
        if (c == fs.ThousandSeparator) {
            if (i - lastThousand < 3) isFloat = false;
            lastThousand = i;
        }
        if (c == fs.DecimalSeparator) ++decimals;
        if (c == '-') ++minus;
    }
    int32_t result = isInt ? ncInteger : isFloat ? ncFloat : ncOther;
    if (minus > 1 || decimals > 1) result = ncOther;
    return result;
}

std::string DecodeLineBreaks(std::string_view S) {
    std::string out;
    out.reserve(S.size());
    for (size_t i = 0; i < S.size(); ++i) {
        if (S[i] == '\\' && i + 1 < S.size() && S[i + 1] == 'n') {
            out += '\r';
            ++i;
        } else {
            out += S[i];
        }
    }
    return out;
}

void FillWithChar(std::string& S, char Ch) {
    size_t count = SplitChars(S).size();
    S.assign(count, Ch);
}

void OemToAnsiText(std::string& S) {
    std::string out;
    out.reserve(S.size() + S.size() / 2);
    for (char ch : S) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) out += ch;
        else AppendUtf8(out, kOem437ToAnsi[c - 0x80]);
    }
    S = std::move(out);
}

std::string CSVUnquote(char Q, std::string_view S) {
    if (S.empty() || S.find(Q) == std::string_view::npos) return std::string(S);
    std::string out;
    out.reserve(S.size());
    for (size_t i = 0; i < S.size(); ++i) {
        out += S[i];
        // A doubled quote stands for one; the second of the pair is dropped.
        if (S[i] == Q && i + 1 < S.size() && S[i + 1] == Q) ++i;
    }
    return out;
}

void CSVQuote(std::string& S) {
    std::string out;
    out.reserve(S.size() + 2);
    out += '"';
    for (size_t i = 0; i < S.size(); ++i) {
        if (S[i] == '\r' && i + 1 < S.size() && S[i + 1] == '\n') continue;
        out += S[i];
    }
    out += '"';
    S = std::move(out);
}

void LFToCRLF(std::string& S) {
    if (S.find('\n') == std::string::npos) return;
    std::string out;
    out.reserve(S.size() + 8);
    for (char c : S) {
        if (c == '\n') out += '\r';
        out += c;
    }
    S = std::move(out);
}

void TildeToCRLF(std::string& S) { S = StringReplace(S, "~", "\r\n"); }

std::string UpperCaseASCII(std::string_view S) {
    std::string out(S);
    for (char& c : out) c = UpCase(c);
    return out;
}

bool MatchWildcard(std::string_view Pattern, std::string_view Value) {
    bool invert = false;
    std::vector<std::string_view> p;
    for (std::string_view c : SplitChars(Pattern)) {
        if (c == "!") invert = true;
        else p.push_back(c);
    }
    bool matched = WildcardCore(p, SplitChars(Value));
    return invert ? !matched : matched;
}

bool MatchCondition(std::string_view Pattern, std::string_view Value) {
    size_t gt = Pattern.find('>');
    size_t lt = Pattern.find('<');
    if (gt == std::string_view::npos && lt == std::string_view::npos) return MatchWildcard(Pattern, Value);
    bool passed = false;
    if (gt != std::string_view::npos) {
        bool orEqual = gt + 1 < Pattern.size() && Pattern[gt + 1] == '=';
        int c = Compare(Value, Operand(Pattern, gt + (orEqual ? 2 : 1)));
        if (c > 0 || (orEqual && c == 0)) passed = true;
    }
    if (lt != std::string_view::npos) {
        bool orEqual = lt + 1 < Pattern.size() && Pattern[lt + 1] == '=';
        int c = Compare(Value, Operand(Pattern, lt + (orEqual ? 2 : 1)));
        if (c < 0 || (orEqual && c == 0)) passed = true;
    }
    return passed;
}

bool MatchFilter(std::string_view Condition, std::string_view Value) {
    std::string cond;
    cond.reserve(Condition.size());
    for (char c : Condition)
        if (c != ' ') cond += c;
    bool result = false;
    char op = '\0';  // separator before the part; none for the first
    size_t start = 0;
    for (size_t i = 0; i <= cond.size(); ++i) {
        if (i < cond.size() && cond[i] != '&' && cond[i] != ';' && cond[i] != '^') continue;
        bool part = MatchCondition(std::string_view(cond).substr(start, i - start), Value);
        if (op == '\0') result = part;
        else if (op == '&') result = result && part;
        else result = result || part;
        if (i < cond.size()) op = cond[i];
        start = i + 1;
    }
    return result;
}

std::string SplitFirstLine(std::string& S, bool MultiLine) {
    size_t cr = S.find('\r');
    if (cr == std::string::npos) {
        std::string line = std::move(S);
        S.clear();
        return line;
    }
    std::string line = S.substr(0, cr);
    size_t cut = cr + 1;
    if (cut < S.size() && S[cut] == '\n') ++cut;
    S.erase(0, cut);
    if (!MultiLine) S.clear();
    return line;
}

int32_t LineCount(std::string_view S, bool MultiLine) {
    if (!MultiLine) return 1;
    int32_t n = 1;
    for (char c : S)
        if (c == '\r') ++n;
    return n;
}

TDateTime StepDate(int32_t Years, int32_t Months, int32_t Days, TDateTime Date, TDateTime Delta) {
    int y, m, d;
    DecodeDate(Date, y, m, d);
    if (Years == 0 && Months == 0 && Days != 0) return Date + Days;
    if (Years != 0 && Months == 0 && Days == 0) {
        int64_t ny = int64_t(y) + Years;
        if (ny < 1 || ny > 9999) throw EConvertError(SysConst::SDateEncodeError);
        return EncodeDate(static_cast<int>(ny), m, d);
    }
    if (Years == 0 && Months != 0 && Days == 0) {
        // Any step, up or down, lands on a month 1..12 of the right year.
        int64_t total = int64_t(y) * 12 + (m - 1) + Months;
        int64_t ny = total >= 0 ? total / 12 : -((-total + 11) / 12);
        int nm = static_cast<int>(total - ny * 12) + 1;
        return EncodeDate(static_cast<int>(ny), nm, d);
    }
    return Date + Delta;
}

int32_t FindSingleChar(char Ch, std::string_view S) {
    size_t n = S.size();
    for (size_t k = 0; k < n; ++k) {
        if (S[k] != Ch) continue;
        if (k + 1 == n) return static_cast<int32_t>(k) + 1;
        if (S[k + 1] != Ch && (k == 0 || S[k - 1] != Ch)) return static_cast<int32_t>(k) + 1;
    }
    return 0;
}

int32_t CountSingleChar(char Ch, std::string_view S) {
    int32_t count = 0;
    for (int32_t i = FindSingleChar(Ch, S); i > 0; i = FindSingleChar(Ch, S)) {
        S.remove_prefix(static_cast<size_t>(i));
        ++count;
    }
    return count;
}

std::string StripHTMLTags(std::string_view S) {
    std::string out;
    out.reserve(S.size());
    size_t i = 0;
    while (i < S.size()) {
        size_t lt = S.find('<', i);
        if (lt == std::string_view::npos) {
            out.append(S.substr(i));
            break;
        }
        out.append(S.substr(i, lt - i));
        size_t gt = S.find('>', lt);
        if (gt == std::string_view::npos) {
            out.append(S.substr(lt));
            break;
        }
        i = gt + 1;
    }
    return out;
}

bool TryStrToDateTime(const std::string& S, TDateTime& Value) {
    std::string t = Trim(S);
    if (t.find(FormatSettings().DateSeparator) == std::string::npos) return TryStrToTime(t, Value);
    size_t blank = t.find(' ');
    TDateTime date = 0, time = 0;
    if (blank == std::string::npos) {
        if (!TryStrToDate(t, date)) return false;
    } else if (!TryStrToDate(t.substr(0, blank), date) || !TryStrToTime(t.substr(blank + 1), time)) {
        return false;
    }
    // Days before the epoch count backwards while their time runs forwards.
    Value = date < 0 ? date - time : date + time;
    return true;
}

TDateTime StrToDateTime(const std::string& S) {
    TDateTime value;
    if (!TryStrToDateTime(S, value)) throw EConvertError(FmtMsg("'%s' is not a valid date and time", S));
    return value;
}

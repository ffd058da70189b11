#include "grid/VsCsv.h"

#include <array>
#include <cstdint>

#include "platform/runtime/SysUtils.h"

namespace VsCsv {

int CountSeparator(std::string_view Line, char Ch) {
    int n = 0;
    for (size_t i = 0; i < Line.size(); ++i) {
        if (Line[i] != Ch) continue;
        const bool before = i > 0 && Line[i - 1] == Ch;
        const bool after = i + 1 < Line.size() && Line[i + 1] == Ch;
        if (!before && !after) ++n;
    }
    return n;
}

char DetectSeparator(std::string_view Line1, std::string_view Line2) {
    char found = '\0';
    int best = 0;
    for (char c : SeparatorCandidates) {
        const int n1 = CountSeparator(Line1, c);
        if (n1 == CountSeparator(Line2, c) && n1 > best) {
            found = c;
            best = n1;
        }
    }
    return found;
}

namespace {
void AppendBreaks(std::string& out, std::string_view text, bool tildeBreaks) {
    const char breakChar = tildeBreaks ? '~' : '\n';
    for (char c : text) {
        if (c == breakChar) out += "\r\n";
        else out += c;
    }
}

// The quoted field at the start of rest (which begins with its quote):
// the text up to the closing quote with doubled quotes made single, and
// where the text after the closing quote starts (npos without one).
size_t TakeQuoted(std::string_view rest, std::string& raw) {
    raw.clear();
    size_t i = 1;
    while (i < rest.size()) {
        if (rest[i] != '"') {
            raw += rest[i++];
            continue;
        }
        if (i + 1 < rest.size() && rest[i + 1] == '"') {
            raw += '"';
            i += 2;
            continue;
        }
        return i + 1;
    }
    return std::string_view::npos;
}
}  // namespace

void SplitLine(std::string_view Line, char Separator, bool TildeBreaks, std::vector<std::string>& Fields) {
    Fields.clear();
    std::string_view rest = Line;
    std::string raw;
    // Without a separator the whole line is the last field.
    while (Separator != '\0' && rest.find(Separator) != std::string_view::npos) {
        std::string f;
        if (rest.front() == '"') {
            const size_t after = TakeQuoted(rest, raw);
            if (after != std::string_view::npos) {
                AppendBreaks(f, raw, TildeBreaks);
                rest.remove_prefix(after);
            } else {
                rest.remove_prefix(1);
            }
            const size_t sep = rest.find(Separator);
            rest.remove_prefix(sep == std::string_view::npos ? rest.size() : sep + 1);
        } else {
            const size_t sep = rest.find(Separator);
            AppendBreaks(f, rest.substr(0, sep), TildeBreaks);
            rest.remove_prefix(sep + 1);
        }
        Fields.push_back(std::move(f));
    }
    if (rest.empty()) return;
    std::string f;
    if (rest.front() == '"') {
        // The last field keeps all of its text, also when its closing quote
        // is not at the end or missing: one quote comes off each end and
        // doubled quotes become one.
        rest.remove_prefix(1);
        if (!rest.empty() && rest.back() == '"') rest.remove_suffix(1);
        raw.clear();
        for (size_t i = 0; i < rest.size(); ++i) {
            raw += rest[i];
            if (rest[i] == '"' && i + 1 < rest.size() && rest[i + 1] == '"') ++i;
        }
        AppendBreaks(f, raw, TildeBreaks);
    } else {
        AppendBreaks(f, rest, TildeBreaks);
    }
    Fields.push_back(std::move(f));
}

namespace {
// The code points of bytes 0x80 to 0xFF of code page 437.
constexpr std::array<uint16_t, 128> kOemHigh{
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};
}  // namespace

std::string OemToUtf8(std::string_view Text) {
    std::string out;
    out.reserve(Text.size());
    for (char ch : Text) {
        const auto b = static_cast<uint8_t>(ch);
        if (b < 0x80) {
            out += ch;
            continue;
        }
        AppendUtf8(out, kOemHigh[b - 0x80]);
    }
    return out;
}

std::vector<std::string_view> SplitLines(std::string_view Text) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < Text.size()) {
        size_t end = Text.find('\n', start);
        const size_t next = end == std::string_view::npos ? Text.size() : end + 1;
        if (end == std::string_view::npos) end = Text.size();
        std::string_view line = Text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = next;
    }
    return lines;
}

}  // namespace VsCsv

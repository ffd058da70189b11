#include "grid/VsCsv.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

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
    for (;;) {
        const size_t p = text.find(breakChar);
        if (p == std::string_view::npos) {
            out.append(text);
            return;
        }
        out.append(text.substr(0, p));
        out += "\r\n";
        text.remove_prefix(p + 1);
    }
}

// The quoted field at the start of rest (which begins with its quote):
// the text up to the closing quote with doubled quotes made single, and
// where the text after the closing quote starts (npos without one).
size_t TakeQuoted(std::string_view rest, std::string& raw) {
    raw.clear();
    size_t i = 1;
    while (i < rest.size()) {
        const size_t q = rest.find('"', i);
        if (q == std::string_view::npos) break;
        raw.append(rest.substr(i, q - i));
        if (q + 1 < rest.size() && rest[q + 1] == '"') {
            raw += '"';
            i = q + 2;
            continue;
        }
        return q + 1;
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
        std::string& f = Fields.emplace_back();
        if (rest.front() == '"') {
            const size_t after = TakeQuoted(rest, raw);
            // Without its closing quote the field runs to the line's end,
            // which the last field's rule below keeps whole.
            if (after == std::string_view::npos) {
                Fields.pop_back();
                break;
            }
            rest.remove_prefix(after);
            // Text between the closing quote and the separator stays with
            // the field.
            const size_t sep = rest.find(Separator);
            raw.append(rest.substr(0, sep));
            AppendBreaks(f, raw, TildeBreaks);
            rest.remove_prefix(sep == std::string_view::npos ? rest.size() : sep + 1);
        } else {
            const size_t sep = rest.find(Separator);
            AppendBreaks(f, rest.substr(0, sep), TildeBreaks);
            rest.remove_prefix(sep + 1);
        }
    }
    if (rest.empty()) return;
    std::string& f = Fields.emplace_back();
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

namespace {
constexpr size_t kReadBlock = 1 << 20;
}

TLineReader::TLineReader(const std::string& FileName) : FName(FileName) {
    FHandle = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (FHandle < 0) throw EFOpenError(FmtMsg(SysConst::SFOpenError, FileName, std::strerror(errno)));
    struct stat st{};
    FBlock = kReadBlock;
    if (::fstat(FHandle, &st) == 0 && S_ISREG(st.st_mode))
        FBlock = std::clamp<size_t>(static_cast<size_t>(st.st_size) + 1, 64, kReadBlock);
}

TLineReader::~TLineReader() {
    if (FHandle >= 0) ::close(FHandle);
}

bool TLineReader::Fill() {
    if (FEof) return false;
    // The part line moves to the front; a line longer than the buffer
    // makes it grow.
    if (FBegin > 0) {
        std::memmove(FBuffer.get(), FBuffer.get() + FBegin, FEnd - FBegin);
        FEnd -= FBegin;
        FBegin = 0;
    }
    if (FSize - FEnd < FBlock / 2) {
        const size_t size = std::max(FBlock, FSize * 2);
        std::unique_ptr<char[]> grown(new char[size]);
        if (FEnd) std::memcpy(grown.get(), FBuffer.get(), FEnd);
        FBuffer = std::move(grown);
        FSize = size;
    }
    ssize_t got;
    do {
        got = ::read(FHandle, FBuffer.get() + FEnd, FSize - FEnd);
    } while (got < 0 && errno == EINTR);
    if (got < 0) throw EFOpenError(FmtMsg(SysConst::SFOpenError, FName, std::strerror(errno)));
    if (got == 0) {
        FEof = true;
        return false;
    }
    FEnd += static_cast<size_t>(got);
    return true;
}

bool TLineReader::Next(std::string_view& Line) {
    size_t scanned = FBegin;
    for (;;) {
        const void* lf = FEnd > scanned ? std::memchr(FBuffer.get() + scanned, '\n', FEnd - scanned) : nullptr;
        if (lf) {
            const size_t end = static_cast<size_t>(static_cast<const char*>(lf) - FBuffer.get());
            Line = std::string_view(FBuffer.get() + FBegin, end - FBegin);
            FBegin = end + 1;
            break;
        }
        // What was searched is not searched again.
        const size_t searched = FEnd - FBegin;
        if (!Fill()) {
            if (FBegin == FEnd) return false;
            Line = std::string_view(FBuffer.get() + FBegin, FEnd - FBegin);
            FBegin = FEnd;
            break;
        }
        scanned = FBegin + searched;
    }
    if (!Line.empty() && Line.back() == '\r') Line.remove_suffix(1);
    return true;
}

void TLineReader::Rewind() {
    if (::lseek(FHandle, 0, SEEK_SET) < 0)
        throw EFOpenError(FmtMsg(SysConst::SFOpenError, FName, std::strerror(errno)));
    FBegin = FEnd = 0;
    FEof = false;
}

TCsvFile::TCsvFile(const std::string& FileName) : FReader(FileName) {
    std::string_view line;
    while (FReader.Next(line)) {
        if (FLineCount == 0) FFirst = line;
        else if (FLineCount == 1) FSecond = line;
        ++FLineCount;
    }
    FReader.Rewind();
}

void TCsvFile::Import(const TCsvImport& Options, TCsvTarget& Target) {
    int32_t rowOffset = Options.RowOffset;
    int32_t line = 0;
    if (Options.Append) {
        rowOffset = 0;
        line = Target.RowCount();
    }
    const char separator = Options.Separator != '\0' ? Options.Separator : DetectSeparator(FFirst, FSecond);
    Target.SeparatorChosen(separator);

    const auto total = static_cast<int32_t>(std::min<size_t>(FLineCount, INT32_MAX / 2));
    Target.SetRowCount(std::max(Options.MinRows, Options.Append ? Target.RowCount() + total : rowOffset + total));

    std::vector<std::string> fields;
    std::string converted;
    std::string_view source;
    for (int32_t i = 0; i < total && FReader.Next(source); ++i) {
        if (Options.OemConvert) {
            converted = OemToUtf8(source);
            source = converted;
        } else if (!IsValidUtf8(source)) {
            // A line that is no UTF-8 comes from an older program.
            converted = Cp1252ToUtf8(source);
            source = converted;
        }
        SplitLine(source, separator, Options.TildeBreaks, fields);
        const int32_t row = rowOffset + line;
        const auto width = static_cast<int32_t>(fields.size());
        if (Target.ColCount() < Options.ColOffset + width) Target.SetColCount(Options.ColOffset + width);
        // The old data of the row does not stay beside the new.
        if (row < Target.RowCount()) Target.SetLine(row, Options.ColOffset, fields, !Options.Append);
        // A row may take the fields' storage: the next line gets as much.
        fields.clear();
        fields.reserve(static_cast<size_t>(width));
        ++line;
        Target.LineDone(i + 1, total);
        if (Target.RowCount() < rowOffset + line) Target.SetRowCount(rowOffset + line);
    }
}

}  // namespace VsCsv

#include "labels/LabelDataFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <new>

namespace LabelData {

namespace {
// What a byte does to the reading.
enum TByteKind : uint8_t { kText, kComma, kQuote, kLF, kCR, kHigh, kControl };

constexpr std::array<uint8_t, 256> ByteKinds() {
    std::array<uint8_t, 256> kinds{};
    for (int b = 0; b < 256; ++b) {
        uint8_t k = kText;
        if (b < 0x20 || b == 0x7F) k = kControl;
        if (b >= 0x80) k = kHigh;
        kinds[static_cast<size_t>(b)] = k;
    }
    kinds['\t'] = kText;
    kinds[','] = kComma;
    kinds['"'] = kQuote;
    kinds['\n'] = kLF;
    kinds['\r'] = kCR;
    return kinds;
}
constexpr std::array<uint8_t, 256> Kinds = ByteKinds();

inline uint8_t KindOf(char c) { return Kinds[static_cast<unsigned char>(c)]; }

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

bool FileCanHold(std::string_view Cell) {
    for (char c : Cell)
        if (KindOf(c) == kControl) return false;
    return true;
}

void AppendFileRow(std::string& Out, const std::vector<std::string>& Cells, int32_t DataRow) {
    for (size_t i = 0; i < Cells.size(); ++i)
        if (!FileCanHold(Cells[i])) {
            const auto col = static_cast<size_t>(i + 1);
            throw EInOutError(FmtMsg(FmtMsg(SCellNotText, DataRow), col < Headers.size() ? Headers[col] : ""));
        }
    // A first cell that begins like a byte-order mark is quoted, or the
    // reading would take its first character for one.
    if (Out.empty() && !Cells.empty() && Cells[0].starts_with(ByteOrderMark) && Cells[0] == FileCell(Cells[0])) {
        Out += '"';
        Out += Cells[0];
        Out += '"';
        std::vector<std::string> rest(Cells.begin() + 1, Cells.end());
        if (!rest.empty()) Out += ',';
        AppendFileLine(Out, rest);
    } else {
        AppendFileLine(Out, Cells);
    }
    Out += "\r\n";
}

TFileReader::TFileReader(std::string FileName, TRowSink Sink) : FName(std::move(FileName)), FSink(std::move(Sink)) {
    FFields.reserve(MaxFields);
}

void TFileReader::NotText() const { throw EInOutError(FmtMsg(SNotText, FName)); }

void TFileReader::EndField() {
    // The sink takes the texts over: each field's own buffer goes with it.
    if (FFieldCount < MaxFields) FFields.emplace_back(std::move(FField));
    FField.clear();
    ++FFieldCount;
    FState = TState::FieldStart;
}

void TFileReader::EndRow() {
    // An empty line has no field; anything else ends its last field here.
    if (FRowHasText) EndField();
    FState = TState::FieldStart;
    if (++FRows >= MaxRows) throw EInOutError(FmtMsg(STooManyLines, FName));
    int32_t n = FFieldCount;
    if (n > MaxFields) {
        if (FSummary.CutRows++ == 0) FSummary.FirstCutLine = static_cast<int32_t>(std::min<int64_t>(FRowLine, INT32_MAX));
        n = MaxFields;
    }
    if (FHighBytes) {
        bool valid = true;
        for (const std::string& f : FFields)
            if (!IsValidUtf8(f)) valid = false;
        if (!valid)
            for (std::string& f : FFields) f = Cp1252ToUtf8(f);
    }
    if (n > FSummary.Widest) FSummary.Widest = n;
    FSink(FFields);
    FFields.clear();
    FFieldCount = 0;
    FRowHasText = false;
    FHighBytes = false;
    FRowLine = FLine;
}

void TFileReader::Feed(std::string_view Bytes) {
    if (!FStarted) {
        // A byte-order mark may come in pieces.
        const size_t take = std::min(Bytes.size(), ByteOrderMark.size() - FMark.size());
        FMark.append(Bytes.substr(0, take));
        Bytes.remove_prefix(take);
        if (FMark.size() < ByteOrderMark.size() && ByteOrderMark.starts_with(FMark)) return;
        FStarted = true;
        std::string head;
        head.swap(FMark);
        if (head != ByteOrderMark) Feed(head);
    }
    const char* p = Bytes.data();
    const char* const end = p + Bytes.size();
    while (p < end) {
        if (FPendingCR) {
            FPendingCR = false;
            if (*p == '\n') {
                ++p;
                ++FLine;
                EndRow();
                continue;
            }
            // A CR on its own stays in the field.
            FField += '\r';
            FRowHasText = true;
            if (FState == TState::FieldStart) FState = TState::Plain;
        }
        switch (FState) {
            case TState::FieldStart:
                if (*p == '"') {
                    ++p;
                    FRowHasText = true;
                    FQuoteLine = FLine;
                    FState = TState::Quoted;
                    continue;
                }
                FState = TState::Plain;
                [[fallthrough]];
            case TState::Plain: {
                // A run of plain text at once.
                const char* run = p;
                while (p < end) {
                    const uint8_t k = KindOf(*p);
                    if (k == kHigh) FHighBytes = true;
                    else if (k != kText) break;
                    ++p;
                }
                if (p != run) {
                    FField.append(run, static_cast<size_t>(p - run));
                    FRowHasText = true;
                }
                if (p == end) break;
                const char c = *p++;
                switch (KindOf(c)) {
                    case kComma:
                        FRowHasText = true;
                        EndField();
                        break;
                    case kQuote: FRowHasText = true; break;  // dropped outside quotes
                    case kLF:
                        ++FLine;
                        EndRow();
                        break;
                    case kCR: FPendingCR = true; break;
                    default: NotText();
                }
                break;
            }
            case TState::Quoted: {
                const char* run = p;
                while (p < end) {
                    const uint8_t k = KindOf(*p);
                    if (k == kQuote || k == kControl) break;
                    if (k == kLF) ++FLine;
                    if (k == kHigh) FHighBytes = true;
                    ++p;
                }
                FField.append(run, static_cast<size_t>(p - run));
                if (p == end) break;
                if (*p != '"') NotText();
                ++p;
                FState = TState::QuoteInQuoted;
                break;
            }
            case TState::QuoteInQuoted: {
                const char c = *p;
                if (c == '"') {
                    // A doubled quote is one quote of the text.
                    FField += '"';
                    ++p;
                    FState = TState::Quoted;
                } else if (c == ',') {
                    ++p;
                    EndField();
                } else if (c == '\n') {
                    ++p;
                    ++FLine;
                    EndRow();
                } else if (c == '\r') {
                    ++p;
                    FState = TState::Plain;
                    FPendingCR = true;
                } else {
                    // Text after the closing quote joins the field.
                    FState = TState::Plain;
                }
                break;
            }
        }
    }
}

TReadSummary TFileReader::Finish() {
    if (!FStarted) {
        FStarted = true;
        std::string head;
        head.swap(FMark);
        if (head != ByteOrderMark) Feed(head);
    }
    if (FState == TState::Quoted) throw EInOutError(FmtMsg(FmtMsg(SOpenQuote, FQuoteLine), FName));
    // A CR at the very end ends the line as CR LF would.
    FPendingCR = false;
    // A last line without its line end counts; an empty rest does not,
    // except that an empty file is one empty line.
    if (FRowHasText || FRows == 0) EndRow();
    FSummary.Rows = static_cast<int32_t>(FRows);
    return FSummary;
}

namespace {
template <class Read>
TReadSummary ReadWith(const std::string& FileName, const TRowSink& Sink, Read&& read) {
    try {
        TFileReader reader(FileName, Sink);
        read(reader);
        return reader.Finish();
    } catch (const std::bad_alloc&) {
        throw EOutOfMemory(FmtMsg(SOutOfMemoryLoading, FileName));
    }
}
}  // namespace

TReadSummary ReadLabelText(std::string_view Text, const std::string& FileName, const TRowSink& Sink) {
    return ReadWith(FileName, Sink, [&](TFileReader& reader) { reader.Feed(Text); });
}

TReadSummary ReadLabelFile(const std::string& Path, const TRowSink& Sink) {
    auto failed = [&Path] { return EInOutError(FmtMsg(SysConst::SFOpenError, Path, std::strerror(errno))); };
    const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw failed();
    struct TCloser {
        int Fd;
        ~TCloser() { ::close(Fd); }
    } closer{fd};
    return ReadWith(Path, Sink, [&](TFileReader& reader) {
        // Pieces small enough to stay in the cache, large enough to cost
        // few calls.
        std::string buffer(1 << 18, '\0');
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data(), buffer.size());
            if (got < 0) {
                if (errno == EINTR) continue;
                throw failed();
            }
            if (got == 0) break;
            reader.Feed(std::string_view(buffer.data(), static_cast<size_t>(got)));
        }
    });
}

}  // namespace LabelData

#include "grid/VsSpreadsheet.h"

#include <fcntl.h>
#include <freexl.h>
#include <iconv.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

using namespace VsSpreadsheetConst;

namespace {
TSpreadsheetProvider& Provider() {
    static TSpreadsheetProvider provider = FreeXlSpreadsheetProvider();
    return provider;
}
}  // namespace

TSpreadsheetProvider SetSpreadsheetProvider(TSpreadsheetProvider Value) {
    TSpreadsheetProvider old = std::move(Provider());
    Provider() = std::move(Value);
    return old;
}

std::unique_ptr<TSpreadsheetApplication> CreateSpreadsheetApplication() {
    if (!Provider()) return nullptr;
    return Provider()();
}

std::string ColumnLetters(int32_t Column) {
    std::string out;
    while (Column > 0) {
        --Column;
        out.insert(out.begin(), static_cast<char>('A' + Column % 26));
        Column /= 26;
    }
    return out;
}

int32_t ColumnNumber(const std::string& Letters) {
    if (Letters.empty() || Letters.size() > 4) return 0;
    int32_t n = 0;
    for (char c : Letters) {
        const int u = std::toupper(static_cast<unsigned char>(c));
        if (u < 'A' || u > 'Z') return 0;
        n = n * 26 + (u - 'A' + 1);
    }
    return n;
}

bool ParseCell(const std::string& Text, int32_t& Column, int32_t& Row) {
    std::string letters, digits;
    size_t i = 0;
    if (i < Text.size() && Text[i] == '$') ++i;
    while (i < Text.size() && std::isalpha(static_cast<unsigned char>(Text[i]))) letters += Text[i++];
    if (i < Text.size() && Text[i] == '$') ++i;
    while (i < Text.size() && std::isdigit(static_cast<unsigned char>(Text[i]))) digits += Text[i++];
    if (i != Text.size() || digits.empty() || digits.size() > 7) return false;
    Column = ColumnNumber(letters);
    Row = std::stoi(digits);
    return Column > 0 && Row > 0;
}

bool ParseRange(const std::string& Address, int32_t& Left, int32_t& Top, int32_t& Right, int32_t& Bottom) {
    const size_t colon = Address.find(':');
    if (colon == std::string::npos) {
        if (!ParseCell(Address, Left, Top)) return false;
        Right = Left;
        Bottom = Top;
        return true;
    }
    return ParseCell(Address.substr(0, colon), Left, Top) && ParseCell(Address.substr(colon + 1), Right, Bottom) &&
           Left <= Right && Top <= Bottom;
}

// ---------------------------------------------------------------- FreeXL

namespace {
// A cell's value as the grid shows it: numbers in the platform's format,
// dates and times in its short date and long time formats.
std::string CellText(const FreeXL_CellValue& v) {
    switch (v.type) {
        case FREEXL_CELL_INT: return IntToStr(v.value.int_value);
        case FREEXL_CELL_DOUBLE: return FloatToStr(v.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT: return v.value.text_value ? v.value.text_value : "";
        case FREEXL_CELL_DATE:
        case FREEXL_CELL_DATETIME:
        case FREEXL_CELL_TIME: {
            const std::string s = v.value.text_value ? v.value.text_value : "";
            int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
            TDateTime date;
            if (v.type == FREEXL_CELL_TIME) {
                if (std::sscanf(s.c_str(), "%d:%d:%d", &h, &mi, &se) == 3) return TimeToStr(EncodeTime(h, mi, se, 0));
                return s;
            }
            if (std::sscanf(s.c_str(), "%d-%d-%d", &y, &mo, &d) != 3 || !TryEncodeDate(y, mo, d, date)) return s;
            if (v.type == FREEXL_CELL_DATE) return DateToStr(date);
            if (std::sscanf(s.c_str() + 10, " %d:%d:%d", &h, &mi, &se) == 3)
                return DateToStr(date) + " " + TimeToStr(EncodeTime(h, mi, se, 0));
            return s;
        }
        default: return "";
    }
}

// ------------------------------------------------ the child's answer

// What the child sends: the open's result code; then the sheet count and,
// per sheet, its name, whether it could be selected, and its cells that
// hold a value (row, column from 1, text); then an end mark, so that an
// answer cut short by a fault is told from a whole one.
constexpr uint32_t kEndMark = 0x454E4421;
enum : int { kExitOk = 0, kExitMemory = 3, kExitOther = 4 };

class TWire {
public:
    explicit TWire(int fd) : FFd(fd) {}
    void U32(uint32_t v) { FData.append(reinterpret_cast<const char*>(&v), sizeof v); }
    void Str(const std::string& s) {
        U32(static_cast<uint32_t>(s.size()));
        FData += s;
        if (FData.size() >= (1u << 16)) Flush();
    }
    void Flush() {
        size_t done = 0;
        while (done < FData.size()) {
            const ssize_t n = ::write(FFd, FData.data() + done, FData.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) _exit(kExitOther);
            done += static_cast<size_t>(n);
        }
        FData.clear();
    }

private:
    int FFd;
    std::string FData;
};

// In the child: the whole workbook down the pipe.
int ReadWorkbookInChild(const std::string& FileName, int fd) {
    TWire out(fd);
    const void* handle = nullptr;
    const int rc = freexl_open(FileName.c_str(), &handle);
    if (rc == FREEXL_INSUFFICIENT_MEMORY) return kExitMemory;
    out.U32(static_cast<uint32_t>(rc));
    if (rc == FREEXL_OK) {
        unsigned int count = 0;
        freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count);
        count = std::min(count, 65535u);
        out.U32(count);
        for (unsigned int i = 0; i < count; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
                name = "";
            out.Str(name);
            const int sel = freexl_select_active_worksheet(handle, static_cast<unsigned short>(i));
            if (sel == FREEXL_INSUFFICIENT_MEMORY) return kExitMemory;
            out.U32(sel == FREEXL_OK ? 1 : 0);
            if (sel != FREEXL_OK) continue;
            unsigned int rows = 0;
            unsigned short cols = 0;
            freexl_worksheet_dimensions(handle, &rows, &cols);
            for (unsigned int r = 0; r < rows && r < INT32_MAX; ++r)
                for (unsigned short c = 0; c < cols; ++c) {
                    FreeXL_CellValue v;
                    if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK || v.type == FREEXL_CELL_NULL) continue;
                    out.U32(r + 1);
                    out.U32(static_cast<uint32_t>(c) + 1);
                    out.Str(CellText(v));
                }
            out.U32(0);  // no row 0: the sheet's end
        }
        freexl_close(handle);
    }
    out.U32(kEndMark);
    out.Flush();
    return kExitOk;
}

struct TSheetData {
    std::string Name;
    bool Selectable = false;
    TRangeCells Cells;  // row and column from 1, in row order
};

// Reads the parent's side of the answer; false when it is cut short.
class TAnswer {
public:
    explicit TAnswer(const std::string& data) : FData(data) {}
    bool U32(uint32_t& v) {
        if (FData.size() - FPos < sizeof v) return false;
        std::memcpy(&v, FData.data() + FPos, sizeof v);
        FPos += sizeof v;
        return true;
    }
    bool Str(std::string& s) {
        uint32_t n = 0;
        if (!U32(n) || FData.size() - FPos < n) return false;
        s.assign(FData, FPos, n);
        FPos += n;
        return true;
    }

private:
    const std::string& FData;
    size_t FPos = 0;
};

TSpreadsheetReaderLimits& Limits() {
    static TSpreadsheetReaderLimits limits;
    return limits;
}

TSpreadsheetReaderHook& Hook() {
    static TSpreadsheetReaderHook hook;
    return hook;
}

// The address space the program maps now, in bytes.
int64_t MappedBytes() {
    long pages = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
        std::fclose(f);
    }
    return static_cast<int64_t>(pages) * sysconf(_SC_PAGESIZE);
}

// The converters the library opens are loaded once here, so that the child
// does not load shared code after the fork.
void LoadConverters() {
    static const bool loaded = [] {
        for (const char* from : {"UTF-16LE", "CP1252"}) {
            const iconv_t cd = iconv_open("UTF-8", from);
            if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
        }
        return true;
    }();
    (void)loaded;
}

// The child's side: limits set, the workbook read into the pipe, and the
// outcome as the exit code.
[[noreturn]] void RunReaderChild(const std::string& FileName, int fd, const TSpreadsheetReaderLimits& limits,
                                 const TSpreadsheetReaderHook& hook, int64_t mapped) {
    // A fault ends the child as it is, whatever handlers the program set.
    for (int sig : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGXCPU}) std::signal(sig, SIG_DFL);
    rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    if (limits.MemoryBytes > 0) {
        const auto bytes = static_cast<rlim_t>(mapped + limits.MemoryBytes);
        rlimit memory{bytes, bytes};
        ::setrlimit(RLIMIT_AS, &memory);
    }
    if (limits.Seconds > 0) {
        rlimit cpu{static_cast<rlim_t>(limits.Seconds), static_cast<rlim_t>(limits.Seconds) + 1};
        ::setrlimit(RLIMIT_CPU, &cpu);
    }
    int code = kExitOther;
    try {
        if (hook) hook();
        code = ReadWorkbookInChild(FileName, fd);
    } catch (const std::bad_alloc&) {
        code = kExitMemory;
    } catch (...) {
        code = kExitOther;
    }
    _exit(code);
}

// Reads the answer while the child writes it, up to the pipe's end; false
// when the time ran out first.
bool ReadAnswer(int fd, int32_t Seconds, std::string& data) {
    // The processor time is the child's own limit; a child that waits (or
    // a busy machine) gets twice that in clock time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2 * std::max(1, Seconds));
    char buf[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(std::min<int64_t>(left, INT32_MAX)));
        if (r < 0 && errno == EINTR) continue;
        if (r == 0) return false;
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        data.append(buf, static_cast<size_t>(n));
    }
}

[[noreturn]] void ReaderFailed(const std::string& FileName, const std::string& why) {
    throw ESpreadsheetError(FmtMsg(SReaderFailed, FileName, why));
}

// How the child ended, as the reader's error; returns only after a clean exit.
void CheckReaderExit(const std::string& FileName, bool timedOut, int status) {
    if (timedOut) ReaderFailed(FileName, SReaderTime);
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        if (sig == SIGXCPU || sig == SIGKILL) ReaderFailed(FileName, SReaderTime);
        ReaderFailed(FileName, FmtMsg(SReaderSignal, sig));
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kExitMemory) ReaderFailed(FileName, SReaderMemory);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != kExitOk) ReaderFailed(FileName, SReaderBroken);
}

// The sheets from the child's answer; an answer cut short is a broken reader.
std::vector<TSheetData> ParseAnswer(const std::string& FileName, const std::string& data) {
    auto fail = [&](const std::string& why) { ReaderFailed(FileName, why); };
    TAnswer in(data);
    uint32_t rc = 0, count = 0, mark = 0;
    if (!in.U32(rc)) fail(SReaderBroken);
    if (rc != FREEXL_OK) throw ESpreadsheetError(FmtMsg(SCannotOpenWorkbook, FileName));
    if (!in.U32(count)) fail(SReaderBroken);
    std::vector<TSheetData> sheets(count);
    for (TSheetData& sheet : sheets) {
        uint32_t selectable = 0;
        if (!in.Str(sheet.Name) || !in.U32(selectable)) fail(SReaderBroken);
        sheet.Selectable = selectable != 0;
        if (!sheet.Selectable) continue;
        for (;;) {
            uint32_t row = 0, col = 0;
            if (!in.U32(row)) fail(SReaderBroken);
            if (row == 0) break;
            TRangeCell cell;
            if (!in.U32(col) || !in.Str(cell.Text)) fail(SReaderBroken);
            cell.Row = static_cast<int32_t>(std::min<uint32_t>(row, INT32_MAX));
            cell.Col = static_cast<int32_t>(std::min<uint32_t>(col, INT32_MAX));
            sheet.Cells.push_back(std::move(cell));
        }
    }
    if (!in.U32(mark) || mark != kEndMark) fail(SReaderBroken);
    return sheets;
}

// Reads a workbook in a child process; the sheets, or ESpreadsheetError.
std::vector<TSheetData> ReadWorkbook(const std::string& FileName) {
    LoadConverters();
    const TSpreadsheetReaderLimits limits = Limits();
    const TSpreadsheetReaderHook hook = Hook();
    const int64_t mapped = MappedBytes();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw ESpreadsheetError(FmtMsg(SCannotOpenWorkbook, FileName));
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw ESpreadsheetError(FmtMsg(SCannotOpenWorkbook, FileName));
    }
    if (pid == 0) {
        ::close(fds[0]);
        RunReaderChild(FileName, fds[1], limits, hook, mapped);
    }
    ::close(fds[1]);

    // Past the time limit the child is stopped.
    std::string data;
    const bool timedOut = !ReadAnswer(fds[0], limits.Seconds, data);
    ::close(fds[0]);
    if (timedOut) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    CheckReaderExit(FileName, timedOut, status);
    return ParseAnswer(FileName, data);
}

// A workbook as the child read it: only the cells that hold a value.
class TFreeXlWorkbook : public TSpreadsheetWorkbook {
public:
    explicit TFreeXlWorkbook(std::vector<TSheetData> sheets) : FSheets(std::move(sheets)) {}

    int32_t SheetCount() override { return static_cast<int32_t>(FSheets.size()); }
    std::string SheetName(int32_t Index) override { return Select(Index).Name; }
    // The workbook's window state is not read: its first sheet is active.
    int32_t ActiveSheet() override { return 1; }

    std::string UsedRangeAddress(int32_t Sheet) override {
        const TSheetData& sheet = Select(Sheet);
        if (sheet.Cells.empty()) return "$A$1";
        int32_t left = INT32_MAX, top = INT32_MAX, right = 0, bottom = 0;
        for (const TRangeCell& c : sheet.Cells) {
            left = std::min(left, c.Col);
            right = std::max(right, c.Col);
            top = std::min(top, c.Row);
            bottom = std::max(bottom, c.Row);
        }
        auto corner = [](int32_t c, int32_t r) { return "$" + ColumnLetters(c) + "$" + std::to_string(r); };
        if (left == right && top == bottom) return corner(left, top);
        return corner(left, top) + ":" + corner(right, bottom);
    }

    TRangeCells RangeCells(int32_t Sheet, const std::string& Address) override {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        if (!ParseRange(Address, left, top, right, bottom)) throw ESpreadsheetError(FmtMsg(SBadRange, Address));
        TRangeCells out;
        for (const TRangeCell& c : Select(Sheet).Cells)
            if (c.Row >= top && c.Row <= bottom && c.Col >= left && c.Col <= right && !c.Text.empty())
                out.push_back({c.Row - top, c.Col - left, c.Text});
        return out;
    }

    TRangeValues RangeValues(int32_t Sheet, const std::string& Address) override {
        int32_t left = 0, top = 0, right = 0, bottom = 0;
        if (!ParseRange(Address, left, top, right, bottom)) throw ESpreadsheetError(FmtMsg(SBadRange, Address));
        TRangeValues out(static_cast<size_t>(bottom - top + 1),
                         std::vector<std::string>(static_cast<size_t>(right - left + 1)));
        for (TRangeCell& c : RangeCells(Sheet, Address))
            out[static_cast<size_t>(c.Row)][static_cast<size_t>(c.Col)] = std::move(c.Text);
        return out;
    }

    void Close(bool) override {}

private:
    const TSheetData& Select(int32_t Sheet) const {
        if (Sheet < 1 || Sheet > static_cast<int32_t>(FSheets.size()) ||
            !FSheets[static_cast<size_t>(Sheet - 1)].Selectable)
            throw ESpreadsheetError(FmtMsg(SBadSheet, Sheet));
        return FSheets[static_cast<size_t>(Sheet - 1)];
    }
    std::vector<TSheetData> FSheets;
};

class TFreeXlApplication : public TSpreadsheetApplication {
public:
    std::unique_ptr<TSpreadsheetWorkbook> Open(const std::string& FileName) override {
        return std::make_unique<TFreeXlWorkbook>(ReadWorkbook(FileName));
    }
    void Quit() override {}
};
}  // namespace

TSpreadsheetProvider FreeXlSpreadsheetProvider() {
    return [] { return std::make_unique<TFreeXlApplication>(); };
}

TSpreadsheetReaderLimits SetSpreadsheetReaderLimits(TSpreadsheetReaderLimits Value) {
    const TSpreadsheetReaderLimits old = Limits();
    Limits() = Value;
    return old;
}

TSpreadsheetReaderHook SetSpreadsheetReaderHook(TSpreadsheetReaderHook Value) {
    TSpreadsheetReaderHook old = std::move(Hook());
    Hook() = std::move(Value);
    return old;
}

TRangeCells TSpreadsheetWorkbook::RangeCells(int32_t Sheet, const std::string& Address) {
    TRangeCells out;
    const TRangeValues values = RangeValues(Sheet, Address);
    for (size_t r = 0; r < values.size(); ++r)
        for (size_t c = 0; c < values[r].size(); ++c)
            if (!values[r][c].empty()) out.push_back({static_cast<int32_t>(r), static_cast<int32_t>(c), values[r][c]});
    return out;
}

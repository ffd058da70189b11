// Run-time library: exceptions, conversions, strings, dates, files, ticks.
// No Qt here; everything in this room is usable without a window.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

// ---------------------------------------------------------------- exceptions

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const { return FMessage; }
    void SetMessage(std::string message) { FMessage = std::move(message); }
    const char* what() const noexcept override { return FMessage.c_str(); }
    // Name of the class as the error box may show it ("EConvertError").
    virtual const char* ClassName() const { return "Exception"; }

private:
    std::string FMessage;
};

#define VARSONA_DECLARE_EXCEPTION(Name, Base)                           \
    class Name : public Base {                                          \
    public:                                                             \
        using Base::Base;                                               \
        const char* ClassName() const override { return #Name; }        \
    };

VARSONA_DECLARE_EXCEPTION(EAbort, Exception)
VARSONA_DECLARE_EXCEPTION(EConvertError, Exception)
VARSONA_DECLARE_EXCEPTION(EInOutError, Exception)
VARSONA_DECLARE_EXCEPTION(EOutOfMemory, Exception)
VARSONA_DECLARE_EXCEPTION(EInvalidOperation, Exception)
VARSONA_DECLARE_EXCEPTION(EInvalidPointer, Exception)
VARSONA_DECLARE_EXCEPTION(EInvalidArgument, Exception)
VARSONA_DECLARE_EXCEPTION(EExternal, Exception)
VARSONA_DECLARE_EXCEPTION(EIntError, EExternal)
VARSONA_DECLARE_EXCEPTION(EDivByZero, EIntError)
VARSONA_DECLARE_EXCEPTION(ERangeError, EIntError)
VARSONA_DECLARE_EXCEPTION(EIntOverflow, EIntError)
VARSONA_DECLARE_EXCEPTION(EMathError, EExternal)
VARSONA_DECLARE_EXCEPTION(EOverflow, EMathError)
VARSONA_DECLARE_EXCEPTION(EZeroDivide, EMathError)
VARSONA_DECLARE_EXCEPTION(EInvalidOp, EMathError)
VARSONA_DECLARE_EXCEPTION(EListError, Exception)
VARSONA_DECLARE_EXCEPTION(EStringListError, Exception)
VARSONA_DECLARE_EXCEPTION(EStreamError, Exception)
VARSONA_DECLARE_EXCEPTION(EFCreateError, EStreamError)
VARSONA_DECLARE_EXCEPTION(EFOpenError, EStreamError)
VARSONA_DECLARE_EXCEPTION(EReadError, EStreamError)
VARSONA_DECLARE_EXCEPTION(EWriteError, EStreamError)
VARSONA_DECLARE_EXCEPTION(EIniFileException, Exception)
VARSONA_DECLARE_EXCEPTION(EAssertionFailed, Exception)
VARSONA_DECLARE_EXCEPTION(EResNotFound, Exception)

// Fixed run-time library messages; code raises these, tests compare them.
namespace SysConst {
inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SInvalidFloat = "'%s' is not a valid floating point value";
inline constexpr const char* SInvalidFormat = "Format '%s' invalid or incompatible with argument";
inline constexpr const char* SInvalidDate = "'%s' is not a valid date";
inline constexpr const char* SInvalidTime = "'%s' is not a valid time";
inline constexpr const char* SDateEncodeError = "Invalid argument to date encode";
inline constexpr const char* SDivByZero = "Division by zero";
inline constexpr const char* SOverflow = "Floating point overflow";
inline constexpr const char* SOutOfMemory = "Out of memory";
inline constexpr const char* SIniFileWriteError = "Unable to write to %s";
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* SListCountError = "List count out of bounds (%d)";
inline constexpr const char* SDuplicateString = "String list does not allow duplicates";
inline constexpr const char* SSortedListError = "Operation not allowed on sorted list";
inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";
inline constexpr const char* SFCreateError = "Cannot create file \"%s\". %s";
inline constexpr const char* SFOpenError = "Cannot open file \"%s\". %s";
inline constexpr const char* SAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* SInvalidStreamOp = "Invalid stream operation";
inline constexpr const char* SResNotFound = "Resource %s not found";
}  // namespace SysConst

// Replaces each "%s" of a fixed message with the next argument, in order, and
// each "%d" with the next integer. Only for our own constant messages: user
// text goes through Format(), which checks its grammar.
std::string FmtMsg(std::string_view message, std::string_view arg);
std::string FmtMsg(std::string_view message, std::string_view arg1, std::string_view arg2);
std::string FmtMsg(std::string_view message, int64_t arg);

// ---------------------------------------------------------------- numbers

// Nearest integer, halves to the even neighbour (the FPU's default rounding).
int64_t Round(long double value);
// Towards zero.
int64_t Trunc(long double value);
// (a * b) / c with a 64-bit product, rounded to nearest, halves away from zero;
// -1 when c is 0 or the result does not fit 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// Locale settings of the run-time library, fixed to the "C" conventions at
// start; tests and callers may change them.
struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "m/d/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:nn";
    std::string LongTimeFormat = "h:nn:ss";
};
TFormatSettings& FormatSettings();

std::string IntToStr(int64_t value);
std::string IntToHex(int64_t value, int digits);
// Decimal or "$"/"0x" hexadecimal, optional sign, blanks around are not allowed
// except leading ones; must fit 32 bits. Raises EConvertError SInvalidInteger.
int32_t StrToInt(const std::string& s);
int64_t StrToInt64(const std::string& s);
int32_t StrToIntDef(const std::string& s, int32_t def);
bool TryStrToInt(const std::string& s, int32_t& value);
bool TryStrToInt64(const std::string& s, int64_t& value);
// Uses FormatSettings().DecimalSeparator; leading and trailing blanks allowed;
// an exponent is allowed. Raises EConvertError SInvalidFloat.
long double StrToFloat(const std::string& s);
long double StrToFloatDef(const std::string& s, long double def);
bool TryStrToFloat(const std::string& s, long double& value);
bool TryStrToFloat(const std::string& s, long double& value, char decimalSeparator);
// Shortest text that reads back the same (15 significant digits), with the
// locale's decimal separator.
std::string FloatToStr(long double value);
// ffGeneral: the shortest text of at most precision significant digits
// (FloatToStr is precision 15); ffFixed: digits decimals; ffNumber: the
// same with thousand separators; ffExponent: d.ddd...E+xx with precision
// digits. A fixed text that would need more than precision digits before
// the point is written as ffExponent; so are infinities and NaN as INF,
// -INF and NAN.
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber };
std::string FloatToStrF(long double value, TFloatFormat format, int precision, int digits);

// The platform's Format for a format text with integer arguments: specifiers
// %[index:][-][width][.precision]d|u|x|X|s... Only d, u, x and X are accepted
// with integer arguments; "%%" is a literal percent. Anything else raises
// EConvertError SInvalidFormat with the format text.
std::string Format(const std::string& format, int64_t arg);

// ---------------------------------------------------------------- strings
// These work on bytes: ASCII case rules, as the single-byte platform did.

std::string UpperCase(std::string s);
std::string LowerCase(std::string s);
char UpCase(char c);
int CompareText(std::string_view a, std::string_view b);  // ASCII case-insensitive
int CompareStr(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
std::string Trim(const std::string& s);  // drops bytes <= ' ' at both ends
std::string TrimLeft(const std::string& s);
std::string TrimRight(const std::string& s);
// 1-based position of sub in s, 0 when absent.
int Pos(std::string_view sub, std::string_view s);
// 1-based Copy/Delete/Insert with the platform's clamping.
std::string Copy(const std::string& s, int64_t index, int64_t count);
void Delete(std::string& s, int64_t index, int64_t count);
void Insert(const std::string& sub, std::string& s, int64_t index);
std::string StringOfChar(char c, int64_t count);
std::string StringReplace(const std::string& s, const std::string& from, const std::string& to,
                          bool replaceAll = true, bool ignoreCase = false);
std::string QuotedStr(const std::string& s, char quote = '\'');

// ---------------------------------------------------------------- encodings

bool IsValidUtf8(std::string_view s);
// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, uint32_t codePoint);
std::string Cp1252ToUtf8(std::string_view s);
// The code point of one Windows-1252 byte.
uint32_t Cp1252CodePoint(uint8_t b);
// Characters without a Windows-1252 byte become '?'.
std::string Utf8ToCp1252(std::string_view s);
// Text as read from a file: UTF-8 when valid (a byte-order mark is dropped),
// else Windows-1252 converted to UTF-8.
std::string DecodeFileText(std::string_view bytes);

// ---------------------------------------------------------------- dates
// Days since 30 December 1899, fraction of the day after the point.
using TDateTime = double;

TDateTime EncodeDate(int year, int month, int day);  // EConvertError SDateEncodeError
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime date, int& year, int& month, int& day);
void DecodeTime(TDateTime time, int& hour, int& min, int& sec, int& msec);
bool IsLeapYear(int year);
int DaysInAMonth(int year, int month);
TDateTime Date();
TDateTime Now();
int DayOfWeek(TDateTime date);  // 1 = Sunday
// Formats with the platform's date-time format letters (d, dd, m, mm, yy,
// yyyy, h, hh, n, nn, s, ss, ddd, dddd, mmm, mmmm, am/pm).
std::string FormatDateTime(const std::string& format, TDateTime value);
std::string DateToStr(TDateTime date);
// Parses a date written in ShortDateFormat's field order with DateSeparator.
TDateTime StrToDate(const std::string& s);
bool TryStrToDate(const std::string& s, TDateTime& date);
// The time of day (the fraction of value, so whole days drop out) in
// LongTimeFormat.
std::string TimeToStr(TDateTime time);
// Hours, minutes and seconds with TimeSeparator ("13:05", "1:05:09", "1:05
// pm"); raises EConvertError SInvalidTime.
TDateTime StrToTime(const std::string& s);
bool TryStrToTime(const std::string& s, TDateTime& time);
// The same day months later (earlier for a negative count), the last day of
// the month when the month is shorter; the time of day stays.
TDateTime IncMonth(TDateTime date, int months = 1);

// ---------------------------------------------------------------- files

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool ForceDirectories(const std::string& path);
bool DeleteFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);
std::string ExtractFilePath(const std::string& path);  // with trailing '/'
std::string ExtractFileDir(const std::string& path);   // without it
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path);   // with the '.'
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExpandFileName(const std::string& path);
// Whole file as bytes; EFOpenError when it cannot be read, also when a read
// fails part-way.
std::string ReadFileBytes(const std::string& path);
// Writes through a temporary file in the same folder and a rename, so the old
// file stays whole if anything fails; a temporary file a killed write left
// is removed. A symbolic link is written through and stays a link; a
// read-only file is refused. Returns false on failure, errno telling why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// The user's application-data folder: $XDG_CONFIG_HOME, else ~/.config,
// with a trailing '/'.
std::string AppDataFolder();
// The program's settings folder: AppDataFolder() + "varsona/".
std::string SettingsFolder();
// The running program's file path, and its folder with a trailing '/'.
std::string ParamStr0();
std::string ProgramFolder();
std::string DocumentsFolder();

// ---------------------------------------------------------------- ticks

// Milliseconds since an arbitrary start, unsigned 32 bits (wraps after 49.7
// days).
uint32_t GetTickCount();
// Tests replace the tick source; an empty function restores the real clock.
void SetTickCountSource(std::function<uint32_t()> source);
// Runs on the clock of SyncObjs.h (tests may replace it); 0 only yields.
void Sleep(uint32_t milliseconds);

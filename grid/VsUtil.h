// Stateless helpers of the grid library: cell-text classification, number
// classes, CSV and clipboard quoting, the filter matcher, date steps for
// series, cell references and tag stripping.
//
// Texts are UTF-8 byte strings; positions are 1-based byte positions, as the
// callers count them. Separators come from FormatSettings() at each call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/runtime/SysUtils.h"
#include "platform/runtime/Types.h"

class TCanvas;
class TFont;
class TBitmap;

// Cell text kinds returned by TextKind.
inline constexpr int32_t tkPlain = 0;
inline constexpr int32_t tkHTML = 1;
inline constexpr int32_t tkRichText = 2;
inline constexpr int32_t tkFormula = 3;

// Number classes returned by NumberClass.
inline constexpr int32_t ncInteger = 0;
inline constexpr int32_t ncFloat = 1;
inline constexpr int32_t ncOther = 2;

// Position of Sub in S (0 when absent), also stored in P.
int32_t VarPos(std::string_view Sub, std::string_view S, int32_t& P);

// The first byte of S that is one of Set's bytes, or '\0'.
char FirstCharOf(std::string_view Set, std::string_view S);

// "R<row>C<col>" (any case): Point.X := column, Point.Y := row.
bool ParseCellRef(const std::string& S, TPoint& Point);

// True when S contains "://" or "mailto:".
bool IsURL(std::string_view S);
// Drops everything up to and including the first "://", else up to and
// including "mailto:".
void StripURLPrefix(std::string& S);
// The part of S that StripURLPrefix keeps.
std::string_view URLWithoutPrefix(std::string_view S);

// The widest a cell's text is measured for sizing (pixels): wider than any
// screen, so that measuring a huge text stops there.
constexpr int32_t kMaxMeasuredTextWidth = 32767;

// tkPlain, tkHTML, tkRichText or tkFormula.
int32_t TextKind(std::string_view S);

// S without thousand separators and with each decimal separator made ".".
std::string NormalizeFloatText(std::string_view S);

// ncInteger, ncFloat or ncOther; the empty text is ncInteger.
int32_t NumberClass(std::string_view S);

// Each backslash followed by "n" becomes a carriage return.
std::string DecodeLineBreaks(std::string_view S);

// Every character of S (a UTF-8 sequence counts once) becomes Ch.
void FillWithChar(std::string& S, char Ch);

// S holds bytes in code page 437 (an OEM text file); afterwards it is the
// same text as the ANSI code page shows it, in UTF-8. Characters the ANSI
// page lacks take a look-alike (box drawing becomes "+", "-", "|").
void OemToAnsiText(std::string& S);

// Removes CSV quoting inside a field: each doubled Q collapses to one.
std::string CSVUnquote(char Q, std::string_view S);
// Deletes every CR that precedes an LF, then encloses S in double quotes.
void CSVQuote(std::string& S);
// When S contains an LF, every LF becomes CR LF.
void LFToCRLF(std::string& S);
// Every "~" becomes CR LF.
void TildeToCRLF(std::string& S);

// a..z upper-cased; every other byte unchanged.
std::string UpperCaseASCII(std::string_view S);

// The filter condition language: parts joined by "&" (and) or ";" / "^"
// (or), evaluated left to right; each part a comparison (">", ">=", "<",
// "<=" with a number or a text) or a wildcard pattern ("*", "?", a leading
// "!" inverts). Blanks in Condition are ignored.
bool MatchFilter(std::string_view Condition, std::string_view Value);
// One part of a condition.
bool MatchCondition(std::string_view Pattern, std::string_view Value);
// The wildcard matcher alone: "*" any run, "?" one character, "!" inverts.
bool MatchWildcard(std::string_view Pattern, std::string_view Value);

// Takes the first line off S: the text before the first CR (an LF right
// after it is dropped too). Without MultiLine S is emptied.
std::string SplitFirstLine(std::string& S, bool MultiLine);
// 1 without MultiLine, else 1 + the number of CRs.
int32_t LineCount(std::string_view S, bool MultiLine);

// The next value of a date series: only Days set adds days, only Years or
// only Months set steps the calendar (same day of month), anything else adds
// Delta. A day missing in the target month raises EConvertError.
TDateTime StepDate(int32_t Years, int32_t Months, int32_t Days, TDateTime Date, TDateTime Delta);

// Copies Bitmap onto Canvas at Rect's top-left corner, its top-left pixel's
// colour shown as Color.
void DrawTransparentBitmap(TCanvas& Canvas, TBitmap& Bitmap, TColor Color, const TRect& Rect);

// The height of a font's character cell on the screen (its text metrics'
// height); null: the screen's default font.
int32_t ScreenFontHeight(const TFont* Font);

// Position of the first Ch of S that is not part of a doubled Ch (0: none).
int32_t FindSingleChar(char Ch, std::string_view S);
// How many single (not doubled) Ch S holds.
int32_t CountSingleChar(char Ch, std::string_view S);

// S without its "<...>" tags; an unclosed "<" keeps the rest as it is.
std::string StripHTMLTags(std::string_view S);

// A date, a time of day, or a date followed by a blank and a time, in the
// short date order with FormatSettings' separators.
bool TryStrToDateTime(const std::string& S, TDateTime& Value);
// The same; raises EConvertError "'<S>' is not a valid date and time".
TDateTime StrToDateTime(const std::string& S);

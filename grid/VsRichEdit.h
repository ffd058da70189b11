// The rich-text control the grid owns: it holds the rich text (RTF) of one
// cell at a time, loaded from a stream, reads it into runs of formatted
// text, draws them into a rectangle and gives the plain text for measuring
// and copying. The grid keeps it invisible.
//
// The reader knows groups, \par, \line, \tab, \b, \i, \ul, \fs, \f with the
// font table, \cf with the colour table, \'hh in the code page of the run's
// font (\fcharset, \cpg), else of the document (\ansicpg), else
// Windows-1252, double-byte code pages included, \uN with its fallback
// characters (\ucN), the escaped characters and the common typographic
// symbols. An object shows its \result. Destinations it has no use for
// (\*..., \info, \pict, style sheets, headers and the like) are skipped;
// table rows are read as text, a tab after each cell; other control words
// are ignored.
//
// Whatever the input, every run's text is valid UTF-8 without control
// characters but TAB (a character that cannot be read is U+FFFD; CR and LF
// end the line), and its size lies in 1..MaxHalfPoints.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls/WinControl.h"
#include "platform/runtime/Classes.h"

class TCanvas;

// A piece of text in one format; Text is UTF-8 and holds no line break.
struct TRichRun {
    std::string Text;
    std::string FontName;      // "" for the canvas's font
    static constexpr int32_t MaxHalfPoints = 3276;  // 1638 points
    int32_t HalfPoints = 24;   // \fs, clamped to 1..MaxHalfPoints
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    TColor Color = clNone;     // clNone: the canvas's font colour
    bool LineEnd = false;      // a line break follows this run
};

class TVsRichEdit : public TWindowControl {
public:
    explicit TVsRichEdit(TComponent* AOwner);
    ~TVsRichEdit() override;

    // Reads rich text from the stream's position to its end. A text that is
    // not rich text shows as it is.
    void LoadFromStream(TStream& Stream);
    void Clear();
    // The text as loaded.
    const std::string& RichText() const { return FRichText; }
    // The text without its formatting: lines joined by CR LF, tabs kept.
    std::string PlainText() const;
    const std::vector<TRichRun>& Runs() const { return FRuns; }

    // Gives the whole text one colour (a selected cell's text colour).
    void SetTextColor(TColor Color);
    // Draws the runs into Rect, wrapping at blanks, on a transparent
    // background; lines below Rect are not drawn.
    void Draw(TCanvas& Canvas, const TRect& Rect);

    // Reads RTF into runs (empty for an empty text).
    static std::vector<TRichRun> Parse(const std::string& Rtf);

    // The control asks for another size (rich text that needs more room).
    std::function<void(TObject* Sender, const TRect& Rect)> OnRequestSize;

private:
    std::string FRichText;
    std::vector<TRichRun> FRuns;
};

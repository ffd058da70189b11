// The mini-HTML of grid cells: font styles (B, I, U, S), FONT face/color/
// bgcolor/size, anchors (A href), images (IMG src="idx:n" / "file://path" /
// "res://name"), BR, HR, lists (UL, LI), paragraphs (P align/bgcolor),
// indents (IND x), SUB, SUP, SHAD, BLINK, BODY background/bgcolor and turned
// text (R a), plus the entities &lt; &gt; &amp; &quot;.
//
// HTMLDrawText lays such a text out line by line in Rect and, by its flags,
// draws it, only measures it or only finds the anchor under a point. It
// starts from the canvas's font and brush and puts both back at the end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/runtime/Types.h"

class TCanvas;
class TImageList;
class TBitmap;

// Canvas    the target; its font and brush at entry are the base state.
// Images    source of "idx:" images; may be null.
// X, Y      the point to hit-test, in canvas coordinates.
// CheckOnly the second pass only hit-tests and draws nothing.
// MeasureOnly  no second pass and no bottom limit: only sizes.
// StretchImages, ImageScale  images scaled by ImageScale.
// KeepColors   anchors, FONT colours and backgrounds leave font colour and
//              brush alone (for measuring and hit-testing).
// BlinkOn   the blink phase; when False, BLINK text takes the brush colour.
// URLColor  font colour of anchor text.
// Anchor    out: the href under (X, Y).
// PlainText out, with MeasureOnly: the words without tags, "\r" per BR.
// Width     out: the widest line.
// Height    out: the sum of the line heights; one text line when empty.
// Returns True when (X, Y) lies on anchor text or an anchor image.
bool HTMLDrawText(TCanvas& Canvas, std::string_view Text, const TRect& Rect, TImageList* Images, int32_t X,
                  int32_t Y, bool CheckOnly, bool MeasureOnly, bool StretchImages, bool KeepColors, bool BlinkOn,
                  double ImageScale, TColor URLColor, std::string& Anchor, std::string& PlainText, int32_t& Width,
                  int32_t& Height);

// "clred", "clbtnface", ... (lower case) to a colour; black when unknown.
TColor HTMLColorByName(const std::string& Name);
// "#RRGGBB" to a colour; black when the digits are missing or not hex.
TColor HTMLHexColor(const std::string& Value);

// The program's own bitmaps for IMG src="res://name" (names compared without
// regard to case). Registering copies the bitmap; an unknown name draws
// nothing and takes no room. User interface thread only.
void RegisterHTMLResourceBitmap(const std::string& Name, const TBitmap& Bitmap);
void UnregisterHTMLResourceBitmap(const std::string& Name);

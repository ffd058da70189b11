#include "grid/VsRichEdit.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <map>

#include "platform/graphics/Graphics.h"
#include "platform/runtime/SysUtils.h"

namespace {

// Destinations whose text is not part of the document's text.
bool SkippedDestination(const std::string& w) {
    static const char* const kNames[] = {
        "info", "pict", "stylesheet", "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr",
        "footerf", "object", "objdata", "listtable", "listoverridetable", "rsidtbl", "generator",
        "xmlnsdecl", "themedata", "colorschememapping", "datastore", "latentstyles", "pgdsctbl", "filetbl",
        "revtbl", "fldinst", "bkmkstart", "bkmkend", "nonshppict", "userprops", "docvar", "template", "author",
        "operator", "title", "subject", "comment", "keywords", "doccomm", "atnid", "atnauthor", "annotation",
        "xe", "tc", "private", "shpinst", "sp", "blipuid", "mmathPr", "wgrffmtfilter", "listtext", "pntext",
        "pntxta", "pntxtb", "falt", "panose", "fname"};
    for (const char* n : kNames)
        if (w == n) return true;
    return false;
}

enum TDestination { dText, dFontTable, dColorTable, dSkip };

struct TState {
    TDestination Dest = dText;
    int32_t Font = -1;
    int32_t HalfPoints = 24;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    int32_t Color = 0;
    int32_t Uc = 1;
};

class TRtfReader {
public:
    explicit TRtfReader(const std::string& s) : S(s) {}

    std::vector<TRichRun> Read() {
        TState st;
        std::vector<TState> stack;
        while (P < S.size()) {
            const char c = S[P];
            if (c == '{') {
                ++P;
                stack.push_back(st);
                Pending = 0;
                continue;
            }
            if (c == '}') {
                ++P;
                if (st.Dest == dFontTable) CommitFont();
                if (stack.empty()) break;
                st = stack.back();
                stack.pop_back();
                Pending = 0;
                if (stack.empty()) break;  // the document's end
                continue;
            }
            if (c == '\\') {
                ++P;
                ControlWord(st);
                continue;
            }
            ++P;
            if (c == '\r' || c == '\n') continue;
            Char(st, Cp1252CodePoint(static_cast<uint8_t>(c)), true);
        }
        // The final paragraph mark ends the text; it adds no line.
        if (!Runs.empty() && Runs.back().LineEnd) Runs.back().LineEnd = false;
        return std::move(Runs);
    }

private:
    void ControlWord(TState& st) {
        if (P >= S.size()) return;
        const char c = S[P];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++P;
            switch (c) {
            case '\\':
            case '{':
            case '}': Char(st, static_cast<char32_t>(c), true); break;
            case '~': Char(st, 0x00A0, true); break;
            case '_': Char(st, U'-', true); break;
            case '-': break;
            case '*':
                st.Dest = dSkip;
                break;
            case '\'': {
                char32_t v = 0;
                int n = 0;
                while (n < 2 && P < S.size() && std::isxdigit(static_cast<unsigned char>(S[P]))) {
                    const char h = S[P++];
                    v = v * 16 + static_cast<char32_t>(std::isdigit(static_cast<unsigned char>(h)) ? h - '0'
                                                                                                    : (std::tolower(h) - 'a' + 10));
                    ++n;
                }
                if (n > 0) Char(st, Cp1252CodePoint(static_cast<uint8_t>(v)), true);
                break;
            }
            case '\r':
            case '\n': LineEnd(st); break;
            default: break;
            }
            return;
        }
        std::string word;
        while (P < S.size() && std::isalpha(static_cast<unsigned char>(S[P]))) word.push_back(S[P++]);
        bool hasParam = false;
        bool negative = false;
        int64_t param = 0;
        if (P < S.size() && S[P] == '-' && P + 1 < S.size() && std::isdigit(static_cast<unsigned char>(S[P + 1]))) {
            negative = true;
            ++P;
        }
        while (P < S.size() && std::isdigit(static_cast<unsigned char>(S[P]))) {
            hasParam = true;
            if (param < 100000000) param = param * 10 + (S[P] - '0');
            ++P;
        }
        if (negative) param = -param;
        if (P < S.size() && S[P] == ' ') ++P;
        const int32_t n = static_cast<int32_t>(param);
        const bool on = !hasParam || n != 0;

        if (word == "bin") {
            // Binary data: its bytes are no text.
            P = std::min(S.size(), P + static_cast<size_t>(std::max<int64_t>(0, param)));
            return;
        }
        if (word == "u" && hasParam) {
            char32_t code = static_cast<char32_t>(n < 0 ? n + 65536 : n);
            if (code >= 0xD800 && code <= 0xDBFF) {
                HighSurrogate = code;
            } else {
                if (code >= 0xDC00 && code <= 0xDFFF && HighSurrogate)
                    code = 0x10000 + ((HighSurrogate - 0xD800) << 10) + (code - 0xDC00);
                HighSurrogate = 0;
                Char(st, code, false);
            }
            Pending = st.Uc;
            return;
        }
        if (Pending > 0) {
            // A control word stands in for one fallback character.
            --Pending;
            return;
        }
        if (st.Dest == dSkip) return;
        if (SkippedDestination(word)) {
            st.Dest = dSkip;
            return;
        }
        if (word == "fonttbl") {
            st.Dest = dFontTable;
            return;
        }
        if (word == "colortbl") {
            st.Dest = dColorTable;
            Red = Green = Blue = -1;
            return;
        }
        if (st.Dest == dFontTable) {
            if (word == "f") {
                CommitFont();
                FontIndex = n;
            }
            return;
        }
        if (st.Dest == dColorTable) {
            if (word == "red") Red = n;
            else if (word == "green") Green = n;
            else if (word == "blue") Blue = n;
            return;
        }
        if (word == "par" || word == "line" || word == "row" || word == "page" || word == "sect") LineEnd(st);
        else if (word == "tab" || word == "cell") Char(st, U'\t', false);
        else if (word == "emdash") Char(st, 0x2014, false);
        else if (word == "endash") Char(st, 0x2013, false);
        else if (word == "bullet") Char(st, 0x2022, false);
        else if (word == "lquote") Char(st, 0x2018, false);
        else if (word == "rquote") Char(st, 0x2019, false);
        else if (word == "ldblquote") Char(st, 0x201C, false);
        else if (word == "rdblquote") Char(st, 0x201D, false);
        else if (word == "emspace" || word == "enspace" || word == "qmspace") Char(st, U' ', false);
        else if (word == "b") st.Bold = on;
        else if (word == "i") st.Italic = on;
        else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" ||
                 word == "ulwave" || word == "ulth")
            st.Underline = on;
        else if (word == "ulnone") st.Underline = false;
        else if (word == "fs") st.HalfPoints = hasParam && n > 0 ? n : 24;
        else if (word == "f") st.Font = n;
        else if (word == "cf") st.Color = n;
        else if (word == "uc") st.Uc = std::max(0, n);
        else if (word == "deff") DefaultFont = n;
        else if (word == "plain") {
            st.Font = -1;
            st.HalfPoints = 24;
            st.Bold = st.Italic = st.Underline = false;
            st.Color = 0;
        }
        // Every other control word changes nothing that is drawn here.
    }

    void CommitFont() {
        if (FontIndex != INT32_MIN) {
            std::string name = FontName;
            while (!name.empty() && (name.back() == ' ' || name.back() == ';')) name.pop_back();
            while (!name.empty() && name.front() == ' ') name.erase(0, 1);
            if (!name.empty()) Fonts[FontIndex] = name;
        }
        FontName.clear();
        FontIndex = INT32_MIN;
    }

    void Char(TState& st, char32_t c, bool countsAsFallback) {
        if (countsAsFallback && Pending > 0) {
            --Pending;
            return;
        }
        if (st.Dest == dSkip) return;
        if (st.Dest == dFontTable) {
            if (c == ';') CommitFont();
            else AppendUtf8(FontName, c);
            return;
        }
        if (st.Dest == dColorTable) {
            if (c == ';') {
                Colors.push_back(Red < 0 && Green < 0 && Blue < 0
                                     ? clNone
                                     : static_cast<TColor>(RGB(std::max(0, Red), std::max(0, Green), std::max(0, Blue))));
                Red = Green = Blue = -1;
            }
            return;
        }
        AppendUtf8(Current(st).Text, c);
    }

    void LineEnd(TState& st) {
        if (st.Dest != dText) return;
        // The break ends the last run whatever format follows.
        if (!Runs.empty() && !Runs.back().LineEnd) Runs.back().LineEnd = true;
        else Current(st).LineEnd = true;
    }

    TRichRun& Current(const TState& st) {
        TRichRun f;
        const int32_t font = st.Font >= 0 ? st.Font : DefaultFont;
        auto it = Fonts.find(font);
        f.FontName = it != Fonts.end() ? it->second : std::string();
        f.HalfPoints = st.HalfPoints;
        f.Bold = st.Bold;
        f.Italic = st.Italic;
        f.Underline = st.Underline;
        f.Color = st.Color > 0 && st.Color < static_cast<int32_t>(Colors.size()) ? Colors[static_cast<size_t>(st.Color)]
                                                                                  : clNone;
        if (!Runs.empty()) {
            TRichRun& last = Runs.back();
            if (!last.LineEnd && last.FontName == f.FontName && last.HalfPoints == f.HalfPoints &&
                last.Bold == f.Bold && last.Italic == f.Italic && last.Underline == f.Underline && last.Color == f.Color)
                return last;
        }
        Runs.push_back(std::move(f));
        return Runs.back();
    }

    const std::string& S;
    size_t P = 0;
    int32_t Pending = 0;
    char32_t HighSurrogate = 0;
    std::map<int32_t, std::string> Fonts;
    int32_t DefaultFont = 0;
    int32_t FontIndex = INT32_MIN;
    std::string FontName;
    std::vector<TColor> Colors;
    int32_t Red = -1, Green = -1, Blue = -1;
    std::vector<TRichRun> Runs;
};

}  // namespace

TVsRichEdit::TVsRichEdit(TComponent* AOwner) : TWindowControl(AOwner) {}

TVsRichEdit::~TVsRichEdit() { DetachWidget(); }

std::vector<TRichRun> TVsRichEdit::Parse(const std::string& Rtf) {
    if (Rtf.empty()) return {};
    if (Rtf.compare(0, 2, "{\\") != 0) {
        // Not rich text: the text itself, line by line.
        std::vector<TRichRun> runs;
        TRichRun run;
        for (size_t i = 0; i < Rtf.size(); ++i) {
            const char c = Rtf[i];
            if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < Rtf.size() && Rtf[i + 1] == '\n') ++i;
                run.LineEnd = true;
                runs.push_back(run);
                run = TRichRun();
            } else {
                run.Text.push_back(c);
            }
        }
        runs.push_back(run);
        return runs;
    }
    return TRtfReader(Rtf).Read();
}

void TVsRichEdit::LoadFromStream(TStream& Stream) {
    FRichText.clear();
    char buffer[4096];
    for (int64_t n; (n = Stream.Read(buffer, sizeof buffer)) > 0;) FRichText.append(buffer, static_cast<size_t>(n));
    FRuns = Parse(FRichText);
}

void TVsRichEdit::Clear() {
    FRichText.clear();
    FRuns.clear();
}

std::string TVsRichEdit::PlainText() const {
    std::string text;
    for (const TRichRun& r : FRuns) {
        text += r.Text;
        if (r.LineEnd) text += "\r\n";
    }
    return text;
}

void TVsRichEdit::SetTextColor(TColor Color) {
    for (TRichRun& r : FRuns) r.Color = Color;
}

void TVsRichEdit::Draw(TCanvas& Canvas, const TRect& Rect) {
    if (FRuns.empty()) return;
    // Laying out sets the runs' fonts already: the canvas's state is kept from
    // here and given back whole at the end.
    const int saved = Canvas.SaveDC();
    TFont base;
    base.Assign(Canvas.Font());
    const int32_t ppi = std::max(1, base.PixelsPerInch());
    auto applyFont = [&](const TRichRun& r) {
        TFont* f = Canvas.Font();
        f->Assign(&base);
        if (!r.FontName.empty()) f->SetName(r.FontName);
        f->SetHeight(-std::max(1, static_cast<int32_t>(std::lround(r.HalfPoints * ppi / 144.0))));
        f->SetStyle(static_cast<TFontStyles>((r.Bold ? fsBold : 0) | (r.Italic ? fsItalic : 0) |
                                             (r.Underline ? fsUnderline : 0)));
        if (r.Color != clNone) f->SetColor(r.Color);
    };
    struct TPiece {
        const TRichRun* Run;
        std::string Text;
        int32_t X;
        int32_t Width;
        int32_t Height;
    };
    struct TLine {
        std::vector<TPiece> Pieces;
        int32_t Height = 0;
    };
    std::vector<TLine> lines(1);
    const int32_t width = Rect.Right - Rect.Left;
    int32_t x = 0;
    for (const TRichRun& r : FRuns) {
        applyFont(r);
        const int32_t lineHeight = Canvas.TextHeight("Wg");
        lines.back().Height = std::max(lines.back().Height, lineHeight);
        size_t pos = 0;
        while (pos < r.Text.size()) {
            if (r.Text[pos] == '\t') {
                const int32_t tab = std::max(1, 8 * Canvas.TextWidth("x"));
                x = (x / tab + 1) * tab;
                ++pos;
                continue;
            }
            // A word with the blanks that follow it.
            size_t end = pos;
            while (end < r.Text.size() && r.Text[end] != ' ' && r.Text[end] != '\t') ++end;
            while (end < r.Text.size() && r.Text[end] == ' ') ++end;
            std::string word = r.Text.substr(pos, end - pos);
            const int32_t w = Canvas.TextWidth(word);
            size_t trimmed = word.find_last_not_of(' ');
            const int32_t inked = trimmed == std::string::npos ? 0 : Canvas.TextWidth(word.substr(0, trimmed + 1));
            if (x > 0 && x + inked > width) {
                lines.emplace_back();
                lines.back().Height = lineHeight;
                x = 0;
            }
            lines.back().Pieces.push_back({&r, word, x, w, lineHeight});
            x += w;
            pos = end;
        }
        if (r.LineEnd) {
            lines.emplace_back();
            lines.back().Height = lineHeight;
            x = 0;
        }
    }
    Canvas.IntersectClipRect(Rect);
    Canvas.SetBkMode(TRANSPARENT);
    Canvas.SetTextAlign(TA_LEFT | TA_TOP);
    int32_t y = Rect.Top;
    bool first = true;
    for (const TLine& line : lines) {
        if (!first && y + line.Height > Rect.Bottom) break;
        first = false;
        for (const TPiece& p : line.Pieces) {
            if (p.Text.find_first_not_of(' ') == std::string::npos) continue;
            applyFont(*p.Run);
            Canvas.TextOut(Rect.Left + p.X, y + line.Height - p.Height, p.Text);
        }
        y += line.Height;
    }
    Canvas.RestoreDC(saved);
}

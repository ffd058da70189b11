#include "grid/VsRichEdit.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
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
        "footerf", "objdata", "listtable", "listoverridetable", "rsidtbl", "generator",
        "xmlnsdecl", "themedata", "colorschememapping", "datastore", "latentstyles", "pgdsctbl", "filetbl",
        "revtbl", "fldinst", "bkmkstart", "bkmkend", "nonshppict", "userprops", "docvar", "template", "author",
        "operator", "title", "subject", "comment", "keywords", "doccomm", "atnid", "atnauthor", "annotation",
        "xe", "tc", "private", "shpinst", "sp", "blipuid", "mmathPr", "wgrffmtfilter", "listtext", "pntext",
        "pntxta", "pntxtb", "falt", "panose", "fname"};
    for (const char* n : kNames)
        if (w == n) return true;
    return false;
}

// The code page of a font's \fcharset; 0 where the charset names none
// (default, symbol, OEM) and the document's code page applies.
int32_t CharsetCodePage(int32_t charset) {
    switch (charset) {
    case 0: return 1252;
    case 77: return 10000;
    case 78: return 10001;
    case 79: return 10003;
    case 80: return 10008;
    case 81: return 10002;
    case 83: return 10005;
    case 84: return 10004;
    case 85: return 10006;
    case 86: return 10081;
    case 87: return 10021;
    case 88: return 10029;
    case 89: return 10007;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    default: return 0;
    }
}

// The converter's name of a code page a document may state; "" for others.
std::string CodePageName(int32_t cp) {
    switch (cp) {
    case 65001: return "UTF-8";
    case 20127: return "ASCII";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 10000: return "MACINTOSH";
    case 10007: return "MAC-CYRILLIC";
    case 10029: return "MAC-CENTRALEUROPE";
    case 10079: return "MAC-IS";
    case 51932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 936: return "GBK";
    case 949: return "UHC";
    case 950: return "BIG5";
    case 1361: return "JOHAB";
    case 708: return "ISO-8859-6";
    default: break;
    }
    if (cp >= 28591 && cp <= 28606) return "ISO-8859-" + std::to_string(cp - 28590);
    if ((cp >= 437 && cp <= 869) || cp == 874 || cp == 932 || (cp >= 1250 && cp <= 1258))
        return "CP" + std::to_string(cp);
    return {};
}

// Converters from code pages to UTF-32, opened when first needed and
// closed with the reading.
class TCodePages {
public:
    TCodePages() = default;
    TCodePages(const TCodePages&) = delete;
    TCodePages& operator=(const TCodePages&) = delete;
    ~TCodePages() {
        for (const auto& [cp, cd] : FOpen)
            if (cd != Closed()) iconv_close(cd);
    }
    static iconv_t Closed() { return reinterpret_cast<iconv_t>(-1); }
    // Closed() when there is no converter for cp.
    iconv_t Get(int32_t cp) {
        auto it = FOpen.find(cp);
        if (it != FOpen.end()) return it->second;
        const std::string name = CodePageName(cp);
        iconv_t cd = name.empty() ? Closed() : iconv_open("UTF-32LE", name.c_str());
        FOpen.emplace(cp, cd);
        return cd;
    }

private:
    std::map<int32_t, iconv_t> FOpen;
};

constexpr char32_t kReplacement = 0xFFFD;

enum TDestination { dText, dFontTable, dColorTable, dObject, dSkip };

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

struct TFontEntry {
    std::string Name;
    int32_t CodePage = 0;  // 0: the document's
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
                FlushBytes(st);
                stack.push_back(st);
                Pending = 0;
                continue;
            }
            if (c == '}') {
                ++P;
                FlushBytes(st);
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
            Byte(st, static_cast<uint8_t>(c));
        }
        FlushBytes(st);
        FlushSurrogate(st);
        // The final paragraph mark ends the text; it adds no line.
        if (!Runs.empty() && Runs.back().LineEnd) Runs.back().LineEnd = false;
        return std::move(Runs);
    }

private:
    void ControlWord(TState& st) {
        if (P >= S.size()) return;
        const char c = S[P];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ControlSymbol(st, c);
            return;
        }
        FlushBytes(st);
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

        if (word == "bin") {
            // Binary data: its bytes are no text.
            P = std::min(S.size(), P + static_cast<size_t>(std::max<int64_t>(0, param)));
            return;
        }
        if (word == "u" && hasParam) {
            UnicodeCharacter(st, param);
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
        if (word == "object") {
            // An object shows its result; the rest of it is no text.
            st.Dest = dObject;
            return;
        }
        if (word == "result") {
            if (st.Dest == dObject) st.Dest = dText;
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
        if (word == "ansicpg") {
            if (n > 0) DocCodePage = n;
            return;
        }
        if (st.Dest == dFontTable || st.Dest == dColorTable) {
            TableWord(st, word, n);
            return;
        }
        TextWord(st, word, hasParam, n);
    }

    // A control symbol: a backslash and one character that is no letter.
    void ControlSymbol(TState& st, char c) {
        ++P;
        switch (c) {
        // Escaped bytes are bytes of the text (a trail byte may be one).
        case '\\':
        case '{':
        case '}': Byte(st, static_cast<uint8_t>(c)); return;
        case '\'': {
            uint8_t v = 0;
            int n = 0;
            while (n < 2 && P < S.size() && std::isxdigit(static_cast<unsigned char>(S[P]))) {
                const char h = S[P++];
                v = static_cast<uint8_t>(v * 16 + (std::isdigit(static_cast<unsigned char>(h))
                                                       ? h - '0'
                                                       : std::tolower(static_cast<unsigned char>(h)) - 'a' + 10));
                ++n;
            }
            if (n > 0) Byte(st, v);
            return;
        }
        default: break;
        }
        FlushBytes(st);
        switch (c) {
        case '~': Symbol(st, 0x00A0, true); break;
        case '_': Symbol(st, U'-', true); break;
        case '-': break;
        case '*':
            st.Dest = dSkip;
            break;
        case '\r':
        case '\n': LineEnd(st); break;
        default: break;
        }
    }

    // \uN: one character, then st.Uc fallback characters to skip.
    void UnicodeCharacter(TState& st, int64_t param) {
        // Code points above 32767 are usually written negative.
        const int64_t v = param < 0 ? param + 65536 : param;
        const char32_t code = v < 0 || v > 0x10FFFF ? kReplacement : static_cast<char32_t>(v);
        if (code >= 0xD800 && code <= 0xDBFF) {
            FlushSurrogate(st);
            HighSurrogate = code;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            if (HighSurrogate) {
                const char32_t high = HighSurrogate;
                HighSurrogate = 0;
                Emit(st, 0x10000 + ((high - 0xD800) << 10) + (code - 0xDC00));
            } else {
                Emit(st, kReplacement);
            }
        } else {
            Emit(st, code);
        }
        Pending = st.Uc;
    }

    // A control word inside the font or colour table.
    void TableWord(TState& st, const std::string& word, int32_t n) {
        if (st.Dest == dFontTable) {
            if (word == "f") {
                CommitFont();
                FontIndex = n;
            } else if (word == "fcharset") {
                FontCharsetCodePage = CharsetCodePage(n);
            } else if (word == "cpg") {
                FontCpg = std::max(0, n);
            }
        } else if (word == "red") {
            Red = n;
        } else if (word == "green") {
            Green = n;
        } else if (word == "blue") {
            Blue = n;
        }
    }

    // A control word of the text: a symbol, or a change of the run's look.
    void TextWord(TState& st, const std::string& word, bool hasParam, int32_t n) {
        const bool on = !hasParam || n != 0;
        if (word == "par" || word == "line" || word == "row" || word == "page" || word == "sect") LineEnd(st);
        else if (word == "tab" || word == "cell") Symbol(st, U'\t', false);
        else if (word == "emdash") Symbol(st, 0x2014, false);
        else if (word == "endash") Symbol(st, 0x2013, false);
        else if (word == "bullet") Symbol(st, 0x2022, false);
        else if (word == "lquote") Symbol(st, 0x2018, false);
        else if (word == "rquote") Symbol(st, 0x2019, false);
        else if (word == "ldblquote") Symbol(st, 0x201C, false);
        else if (word == "rdblquote") Symbol(st, 0x201D, false);
        else if (word == "emspace" || word == "enspace" || word == "qmspace") Symbol(st, U' ', false);
        else if (word == "b") st.Bold = on;
        else if (word == "i") st.Italic = on;
        else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" ||
                 word == "ulwave" || word == "ulth")
            st.Underline = on;
        else if (word == "ulnone") st.Underline = false;
        else if (word == "fs") st.HalfPoints = hasParam && n > 0 ? std::min(n, TRichRun::MaxHalfPoints) : 24;
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
            TFontEntry& f = Fonts[FontIndex];
            f.Name = name;
            f.CodePage = FontCpg > 0 ? FontCpg : FontCharsetCodePage;
        }
        FontName.clear();
        FontIndex = INT32_MIN;
        FontCharsetCodePage = 0;
        FontCpg = 0;
    }

    // The converter for the bytes of the current run (or font name): the
    // font's code page, else the document's, else none (Windows-1252).
    iconv_t Converter(const TState& st) {
        int32_t fontCp = 0;
        if (st.Dest == dFontTable) {
            fontCp = FontCpg > 0 ? FontCpg : FontCharsetCodePage;
        } else {
            auto it = Fonts.find(st.Font >= 0 ? st.Font : DefaultFont);
            if (it != Fonts.end()) fontCp = it->second.CodePage;
        }
        for (const int32_t cp : {fontCp, DocCodePage}) {
            if (cp == 1252) return TCodePages::Closed();
            if (cp > 0) {
                iconv_t cd = CodePages.Get(cp);
                if (cd != TCodePages::Closed()) return cd;
            }
        }
        return TCodePages::Closed();
    }

    // One byte of the text, literal or escaped.
    void Byte(TState& st, uint8_t b) {
        if (Pending > 0) {
            --Pending;
            return;
        }
        if (st.Dest == dSkip || st.Dest == dObject) return;
        if (Bytes.empty() && b < 0x80) {
            Emit(st, b);
            return;
        }
        iconv_t cd = Converter(st);
        if (cd == TCodePages::Closed()) {
            Emit(st, Cp1252CodePoint(b));
            return;
        }
        Bytes.push_back(static_cast<char>(b));
        // A lead byte waits for the rest of its character.
        while (!Bytes.empty()) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            char* in = Bytes.data();
            size_t inLeft = Bytes.size();
            unsigned char out[32];
            char* o = reinterpret_cast<char*>(out);
            size_t outLeft = sizeof out;
            const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
            const int error = errno;
            for (size_t i = 0; i + 4 <= sizeof out - outLeft; i += 4)
                Emit(st, static_cast<char32_t>(out[i] | out[i + 1] << 8 | out[i + 2] << 16 |
                                               static_cast<uint32_t>(out[i + 3]) << 24));
            Bytes.erase(0, static_cast<size_t>(in - Bytes.data()));
            if (r != static_cast<size_t>(-1) || Bytes.empty()) break;
            if (error == E2BIG) continue;
            if (error == EINVAL && Bytes.size() < 4) break;
            // No character starts with this byte.
            Emit(st, kReplacement);
            Bytes.erase(0, 1);
        }
    }

    // A character begun and not finished.
    void FlushBytes(TState& st) {
        if (Bytes.empty()) return;
        Bytes.clear();
        Emit(st, kReplacement);
    }

    void FlushSurrogate(TState& st) {
        if (!HighSurrogate) return;
        HighSurrogate = 0;
        Emit(st, kReplacement);
    }

    // A character a control word stands for.
    void Symbol(TState& st, char32_t c, bool countsAsFallback) {
        if (countsAsFallback && Pending > 0) {
            --Pending;
            return;
        }
        Emit(st, c);
    }

    // Every character of the text comes here: runs hold valid UTF-8 and no
    // control character but TAB; CR and LF end the line.
    void Emit(TState& st, char32_t c) {
        FlushSurrogate(st);
        if (st.Dest == dSkip || st.Dest == dObject) return;
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = kReplacement;
        const bool afterCr = AfterCr;
        AfterCr = false;
        if (c == '\r' || c == '\n') {
            if (c == '\n' && afterCr) return;
            LineEnd(st);
            AfterCr = c == '\r';
            return;
        }
        if ((c < 0x20 && c != '\t') || c == 0x7F) return;
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
        FlushSurrogate(st);
        AfterCr = false;
        if (st.Dest != dText) return;
        // The break ends the last run whatever format follows.
        if (!Runs.empty() && !Runs.back().LineEnd) Runs.back().LineEnd = true;
        else Current(st).LineEnd = true;
    }

    TRichRun& Current(const TState& st) {
        static const std::string kNoFont;
        auto it = Fonts.find(st.Font >= 0 ? st.Font : DefaultFont);
        const std::string& fontName = it != Fonts.end() ? it->second.Name : kNoFont;
        const TColor color = st.Color > 0 && st.Color < static_cast<int32_t>(Colors.size())
                                 ? Colors[static_cast<size_t>(st.Color)]
                                 : clNone;
        if (!Runs.empty()) {
            TRichRun& last = Runs.back();
            if (!last.LineEnd && last.FontName == fontName && last.HalfPoints == st.HalfPoints &&
                last.Bold == st.Bold && last.Italic == st.Italic && last.Underline == st.Underline &&
                last.Color == color)
                return last;
        }
        TRichRun& f = Runs.emplace_back();
        f.FontName = fontName;
        f.HalfPoints = st.HalfPoints;
        f.Bold = st.Bold;
        f.Italic = st.Italic;
        f.Underline = st.Underline;
        f.Color = color;
        return f;
    }

    const std::string& S;
    size_t P = 0;
    int32_t Pending = 0;
    char32_t HighSurrogate = 0;
    bool AfterCr = false;
    std::map<int32_t, TFontEntry> Fonts;
    int32_t DefaultFont = 0;
    int32_t DocCodePage = 0;  // \ansicpg; 0: Windows-1252
    int32_t FontIndex = INT32_MIN;
    std::string FontName;
    int32_t FontCharsetCodePage = 0;
    int32_t FontCpg = 0;
    std::string Bytes;  // a character's bytes read so far
    TCodePages CodePages;
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
        // Not rich text: the text itself, line by line (Windows-1252 where
        // it is not UTF-8), without control characters but TAB.
        const std::string text = IsValidUtf8(Rtf) ? Rtf : Cp1252ToUtf8(Rtf);
        std::vector<TRichRun> runs;
        TRichRun run;
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '\r' || c == '\n') {
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
                run.LineEnd = true;
                runs.push_back(run);
                run = TRichRun();
            } else if ((static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) || c == '\t') {
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
        // Sizes stay in range whatever the run or the device says.
        const double pixels = std::clamp(r.HalfPoints, 1, TRichRun::MaxHalfPoints) * static_cast<double>(ppi) / 144.0;
        f->SetHeight(-static_cast<int32_t>(std::lround(std::clamp(pixels, 1.0, 1e6))));
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

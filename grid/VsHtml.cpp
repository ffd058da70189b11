#include "grid/VsHtml.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <list>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/runtime/SysUtils.h"

namespace {

constexpr TColor kShadowColor = clGray;
constexpr int32_t kShadowOffset = 1;
constexpr int32_t kListIndent = 12;
// Words longer than this (bytes) are replaced and measured only as far as
// they can show.
constexpr size_t kLongWord = 4096;
// Points; far beyond any cell, and inside the font's arithmetic.
constexpr int32_t kMaxFontSize = 10000;
constexpr const char* kBulletFont = "Symbol";
// The bullet of odd list levels, character 0xB7 of the symbol font; even
// levels take "o".
constexpr const char* kBullet = "\xC2\xB7";

constexpr uint32_t kMeasureFlags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | DT_EXTERNALLEADING;
constexpr uint32_t kDrawFlags = DT_SINGLELINE | DT_BOTTOM | DT_NOCLIP | DT_NOPREFIX | DT_EXPANDTABS | DT_EXTERNALLEADING;
constexpr uint32_t kAdvanceFlags = kDrawFlags | DT_CALCRECT | DT_EDITCONTROL;

struct TColorName {
    const char* Name;
    TColor Color;
};

constexpr TColorName kColorNames[] = {
    {"clred", clRed},
    {"clblack", clBlack},
    {"clblue", clBlue},
    {"clgreen", clGreen},
    {"claqua", clAqua},
    {"clyellow", clYellow},
    {"clfuchsia", clFuchsia},
    {"clwhite", clWhite},
    {"cllime", clLime},
    {"clsilver", clSilver},
    {"clgray", clGray},
    {"clolive", clOlive},
    {"clnavy", clNavy},
    {"clpurple", clPurple},
    {"clteal", clTeal},
    {"clmaroon", clMaroon},
    {"clbackground", clBackground},
    {"clactivecaption", clActiveCaption},
    {"clinactivecaption", clInactiveCaption},
    {"clmenu", clMenu},
    {"clwindow", clWindow},
    {"clwindowframe", clWindowFrame},
    {"clmenutext", clMenuText},
    {"clwindowtext", clWindowText},
    {"clcaptiontext", clCaptionText},
    {"clactiveborder", clActiveBorder},
    {"clinactiveborder", clInactiveBorder},
    {"clappworkspace", clAppWorkSpace},
    {"clhighlight", clHighlight},
    {"clhighlighttext", clHighlightText},
    {"clbtnface", clBtnFace},
    {"clbtnshadow", clBtnShadow},
    {"clgraytext", clGrayText},
    {"clbtntext", clBtnText},
    {"clinactivecaptiontext", clInactiveCaptionText},
    {"clbtnhighlight", clBtnHighlight},
    {"cl3ddkshadow", cl3DDkShadow},
    {"cl3dlight", cl3DLight},
    {"clinfotext", clInfoText},
    {"clinfobk", clInfoBk},
};

std::map<std::string, std::unique_ptr<TBitmap>>& ResourceBitmaps() {
    static std::map<std::string, std::unique_ptr<TBitmap>> bitmaps;
    return bitmaps;
}

bool StartsWithI(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && CompareText(s.substr(0, prefix.size()), prefix) == 0;
}

// Whether an upper-cased tag opens with this name.
bool Opens(std::string_view up, std::string_view name) { return up.compare(0, name.size(), name) == 0; }

size_t FindI(std::string_view hay, std::string_view needle, size_t from) {
    if (needle.empty() || hay.size() < needle.size()) return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= hay.size(); ++i)
        if (CompareText(hay.substr(i, needle.size()), needle) == 0) return i;
    return std::string_view::npos;
}

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// The value of attribute name in a tag: name = "value" (or an unquoted
// value up to a blank or ">"). A name only counts as a whole word followed
// by "=".
bool Attribute(const std::string& tag, std::string_view name, std::string& value) {
    size_t from = 1;
    for (size_t p = FindI(tag, name, from); p != std::string::npos; p = FindI(tag, name, from)) {
        from = p + 1;
        if (name[0] != ' ' && p > 0 && IsNameChar(tag[p - 1])) continue;
        size_t i = p + name.size();
        while (i < tag.size() && tag[i] == ' ') ++i;
        if (i >= tag.size() || tag[i] != '=') continue;
        ++i;
        while (i < tag.size() && tag[i] == ' ') ++i;
        size_t end;
        if (i < tag.size() && tag[i] == '"') {
            ++i;
            end = tag.find('"', i);
            if (end == std::string::npos) end = tag.size() - (tag.back() == '>' ? 1 : 0);
        } else {
            end = tag.find_first_of(" >", i);
            if (end == std::string::npos) end = tag.size();
        }
        value = tag.substr(i, end - i);
        return true;
    }
    return false;
}

// "#" values win over colour names; anything else is fallback.
TColor ParseColor(const std::string& value, TColor fallback) {
    size_t hash = value.find('#');
    if (hash != std::string::npos) return HTMLHexColor(value.substr(hash));
    std::string low = LowerCase(Trim(value));
    if (low.find("cl") != std::string::npos) return HTMLColorByName(low);
    return fallback;
}

// &lt; &gt; &amp; &quot; (any case), left to right, in one pass; other "&"
// stay, and a replaced character never starts an entity.
void AppendReplacingEntities(std::string& out, std::string_view word) {
    // name: the entity after "&", in lower case.
    auto is = [](std::string_view rest, std::string_view name) {
        if (rest.size() < name.size()) return false;
        for (size_t k = 0; k < name.size(); ++k)
            if ((name[k] == ';' ? rest[k] : static_cast<char>(rest[k] | 0x20)) != name[k]) return false;
        return true;
    };
    out.reserve(out.size() + word.size());
    size_t pos = 0;
    for (size_t amp = word.find('&'); amp != std::string_view::npos; amp = word.find('&', pos)) {
        out.append(word, pos, amp - pos);
        pos = amp + 1;
        const std::string_view rest = word.substr(pos);
        char ch = '&';
        std::string_view name;
        switch (rest.empty() ? '\0' : static_cast<char>(rest[0] | 0x20)) {
        case 'l': name = "lt;", ch = '<'; break;
        case 'g': name = "gt;", ch = '>'; break;
        case 'a': name = "amp;", ch = '&'; break;
        case 'q': name = "quot;", ch = '"'; break;
        default: break;
        }
        if (!name.empty() && is(rest, name)) pos += name.size();
        else ch = '&';
        out.push_back(ch);
    }
    out.append(word, pos, std::string_view::npos);
}

std::string ReplaceEntities(std::string_view word) {
    std::string out;
    AppendReplacingEntities(out, word);
    return out;
}

// Pictures named by file in cell texts. Painting asks for them at every
// paint, on the user interface thread: only regular files of a picture's
// size are read, each once until it changes, and a few are kept.
constexpr off_t kMaxPictureFile = 64 << 20;
constexpr size_t kPictureFilesKept = 16;

struct TPictureFile {
    std::string Path;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified{};
    timespec Changed{};
    std::shared_ptr<TBitmap> Bitmap;  // null: not a picture
};

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool SameFile(const TPictureFile& f, const struct stat& st) {
    return f.Device == st.st_dev && f.Inode == st.st_ino && f.Size == st.st_size && SameTime(f.Modified, st.st_mtim) &&
           SameTime(f.Changed, st.st_ctim);
}

std::shared_ptr<TBitmap> ReadPicture(int fd, off_t size) {
    std::string bytes;
    bytes.resize(static_cast<size_t>(size));
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return nullptr;
        got += static_cast<size_t>(n);
    }
    auto bitmap = std::make_shared<TBitmap>();
    try {
        TStringStream stream(bytes);
        bitmap->LoadFromStream(stream);
    } catch (const std::exception&) {
        return nullptr;  // painting goes on without it
    }
    return bitmap->Empty() ? nullptr : bitmap;
}

std::shared_ptr<TBitmap> PictureFile(const std::string& path) {
    static std::list<TPictureFile> kept;  // the last used first
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxPictureFile) return nullptr;
    for (auto it = kept.begin(); it != kept.end(); ++it) {
        if (it->Path != path) continue;
        if (SameFile(*it, st)) {
            kept.splice(kept.begin(), kept, it);
            return it->Bitmap;
        }
        kept.erase(it);
        break;
    }
    // Opened without waiting, and checked again: the name may have come to
    // stand for something else since.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return nullptr;
    struct stat opened;
    std::shared_ptr<TBitmap> bitmap;
    const bool regular = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_size <= kMaxPictureFile;
    if (regular) bitmap = ReadPicture(fd, opened.st_size);
    ::close(fd);
    if (!regular) return nullptr;
    TPictureFile entry{path, opened.st_dev, opened.st_ino, opened.st_size, opened.st_mtim, opened.st_ctim, bitmap};
    kept.push_front(std::move(entry));
    if (kept.size() > kPictureFilesKept) kept.pop_back();
    return bitmap;
}

void SetStyleBit(TFont* font, TFontStyle bit, bool on) {
    TFontStyles s = font->Style();
    font->SetStyle(on ? static_cast<TFontStyles>(s | bit) : static_cast<TFontStyles>(s & ~bit));
}

enum class TParaAlign { Left, Center, Right };

// Everything that carries from one line to the next besides the font.
struct TFlags {
    TColor Brush = clNone;  // clNone: clear brush
    int32_t ListLevel = 0;
    TParaAlign Align = TParaAlign::Left;
    bool ParaBackground = false;
    TColor ParaSavedBrush = clNone;
    TColor FontSavedBrush = clNone;
    bool Sub = false;
    bool Sup = false;
    bool Shadow = false;
    bool InAnchor = false;
    std::string Href;
};

struct TState {
    TFont Font;
    TFlags Flags;
};

class THTMLLayout {
public:
    THTMLLayout(TCanvas& canvas, std::string_view text, const TRect& rect, TImageList* images, int32_t x, int32_t y,
                bool checkOnly, bool measureOnly, bool stretch, bool keepColors, bool blinkOn, double scale,
                TColor urlColor, std::string& anchor, std::string& plain)
        : C(canvas), FText(text), FRect(rect), FImages(images), FX(x), FY(y), FCheckOnly(checkOnly),
          FMeasureOnly(measureOnly), FStretch(stretch), FKeepColors(keepColors), FBlinkOn(blinkOn), FScale(scale),
          FURLColor(urlColor), FAnchor(anchor), FPlain(plain) {}

    bool Run(int32_t& width, int32_t& height);

private:
    enum class TPass { Measure, Draw, Check };
    enum class TStep { Go, EndAfter, EndBefore };

    // One line of the text: its part of the text and, from the measuring
    // pass, its size.
    struct TLine {
        size_t Begin = 0;
        size_t End = 0;
        int32_t W = 0;
        int32_t H = 0;
        int32_t Sb = 0;    // room below for subscripts
        int32_t Sp = 0;    // room above for superscripts
        int32_t Lift = 0;  // text raised to images aligned top or middle
        // The widths of the line's words, in order, from the measuring pass:
        // the second pass meets the same words in the same fonts.
        std::vector<int32_t> Widths;
    };
    // Where the second pass puts the line.
    struct TPlacement {
        int32_t Left;
        int32_t Top;
        int32_t Bottom;      // Top + H + Sb + Sp
        int32_t TextBottom;  // Top + H + Sp: the bottom of unshifted text
    };
    // The state of one pass along its line.
    struct TCursor {
        int32_t X = 0;         // from the line's left
        int32_t TextLeft = 0;  // canvas x where drawing goes on
        int32_t LineHeight = 0;
        int32_t Trailing = 0;  // width of a trailing blank, not counted in W
        int32_t Items = 0;     // list items met
        bool Placed = false;   // a word or image is on the line
    };
    struct TImageRef {
        int32_t Index = -1;         // of Images
        TBitmap* Bitmap = nullptr;  // or a bitmap
        int32_t W = 0;
        int32_t H = 0;
    };

    void Pass(TPass pass, TLine& line, const TPlacement* at);
    TStep Tag(TPass pass, const std::string& tag, TLine& line, const TPlacement* at, TCursor& cur);
    TStep ClosingTag(TPass pass, const std::string& up);
    TStep BTag(TPass pass, const std::string& tag, const std::string& up);
    void BodyTag(bool drawing, const std::string& tag);
    void FontTag(bool drawing, const std::string& tag);
    void HorizontalRule(const TPlacement& at);
    void Indent(const std::string& tag, TCursor& cur);
    TStep ListItem(TPass pass, const TLine& line, const TPlacement* at, TCursor& cur);
    void ParagraphTag(bool drawing, const std::string& tag, const TPlacement* at);
    TStep Image(TPass pass, const std::string& tag, TLine& line, const TPlacement* at, TCursor& cur);
    bool FindImage(const std::string& src, TImageRef& ref);
    TBitmap* FileBitmap(const std::string& path);
    void HitTest(int32_t from, int32_t to, const TLine& line, const TPlacement& at, bool needY);
    int32_t MeasureWidth(const std::string& s);
    int32_t LongWord(size_t i, size_t limit, int32_t x, size_t& end, std::string& word);
    // advance: the word's width when known, else -1.
    int32_t DrawWord(const std::string& word, int32_t left, const TLine& line, const TPlacement& at, int32_t advance);
    void FillLine(const TPlacement& at);
    void Save(TState& to) const;
    void Restore(const TState& from);
    void ApplyBrush();
    int32_t LineWidth() const { return FRect.Right - FRect.Left - 1; }

    TCanvas& C;
    std::string_view FText;
    bool FLastLine = false;  // drawing the last line that can show
    TRect FRect;
    TImageList* FImages;
    int32_t FX, FY;
    bool FCheckOnly, FMeasureOnly, FStretch, FKeepColors, FBlinkOn;
    double FScale;
    TColor FURLColor;
    std::string& FAnchor;
    std::string& FPlain;

    TFont FBase;
    TColor FEntryBrushColor = clWhite;
    TFlags S;
    bool FCandidate = false;  // the second pass found an anchor under X
    // The first "<" (blank) at or after From is At (npos: none), so that a
    // text of many words is searched once.
    struct TFound {
        size_t From = std::string::npos;
        size_t At = std::string::npos;
    };
    TFound FLt, FBlank;
    size_t NextOf(char ch, size_t i, TFound& found) const {
        if (found.From == std::string::npos || i < found.From || (found.At != std::string::npos && found.At < i)) {
            found.From = i;
            found.At = FText.find(ch, i);
        }
        return found.At;
    }
    std::map<std::string, std::shared_ptr<TBitmap>> FFiles;
};

void THTMLLayout::Save(TState& to) const {
    to.Font.Assign(C.Font());
    to.Flags = S;
}

void THTMLLayout::Restore(const TState& from) {
    C.Font()->Assign(&from.Font);
    S = from.Flags;
    ApplyBrush();
}

void THTMLLayout::ApplyBrush() {
    if (S.Brush == clNone) C.Brush()->SetStyle(bsClear);
    else C.Brush()->SetColor(S.Brush);
}

int32_t THTMLLayout::MeasureWidth(const std::string& s) {
    TRect r{0, 0, 0, 0};
    C.DrawText(s, r, kMeasureFlags);
    return r.Right - r.Left;
}

// A word of more than kLongWord bytes from i: only the part that can show,
// on the line and on the surface, is replaced and measured (its width, more
// than the room when it is cut, is returned); when nothing after it can
// show, its end is not looked for either. -1: measured the usual way.
int32_t THTMLLayout::LongWord(size_t i, size_t limit, int32_t x, size_t& end, std::string& word) {
    if (FLastLine) {
        end = limit;
    } else {
        const size_t lt = NextOf('<', i, FLt), blank = NextOf(' ', i, FBlank);
        end = (blank != std::string::npos && (lt == std::string::npos || blank < lt)) ? blank + 1
              : lt == std::string::npos                                             ? FText.size()
                                                                                    : lt;
        end = std::min(end, limit);
    }
    const int32_t room = std::max(LineWidth() - x, C.ClipRect().Right - (FRect.Left + x)) + C.TextHeight("gh");
    for (size_t take = kLongWord;; take *= 4) {
        size_t stop = std::min(end, i + take);
        if (stop < end) {
            // Whole characters and whole entities.
            while (stop > i && (static_cast<unsigned char>(FText[stop]) & 0xC0) == 0x80) --stop;
            for (size_t k = stop; k > i && k + 6 > stop; --k)
                if (FText[k - 1] == '&') {
                    stop = k - 1;
                    break;
                }
        }
        const std::string_view part = FText.substr(i, stop - i);
        const auto has = [&](char c) { return part.find(c) != std::string_view::npos; };
        if (stop <= i || has('\t') || has('\r') || has('\n')) break;
        word = ReplaceEntities(part);
        const int32_t width = C.TextWidthUpTo(word, room);
        if (width > room || stop == end) return width;
    }
    // Tabs and line breaks are measured as the platform lays them out.
    if (FLastLine) {
        FLastLine = false;
        return LongWord(i, limit, x, end, word);
    }
    word = ReplaceEntities(FText.substr(i, end - i));
    return -1;
}

void THTMLLayout::FillLine(const TPlacement& at) {
    if (S.Brush == clNone) return;
    C.FillRect({FRect.Left, at.Top, FRect.Right, at.Bottom});
}

TBitmap* THTMLLayout::FileBitmap(const std::string& path) {
    auto it = FFiles.find(path);
    if (it != FFiles.end()) return it->second.get();
    return FFiles.emplace(path, PictureFile(path)).first->second.get();
}

bool THTMLLayout::FindImage(const std::string& src, TImageRef& ref) {
    if (StartsWithI(src, "idx:")) {
        int32_t n = StrToIntDef(Trim(src.substr(4)), -1);
        if (!FImages || n < 0 || n >= FImages->Count()) return false;
        ref.Index = n;
        ref.W = FImages->Width();
        ref.H = FImages->Height();
        return true;
    }
    TBitmap* bitmap = nullptr;
    if (StartsWithI(src, "res://")) {
        auto it = ResourceBitmaps().find(LowerCase(src.substr(6)));
        if (it != ResourceBitmaps().end()) bitmap = it->second.get();
    } else if (StartsWithI(src, "file://")) {
        bitmap = FileBitmap(src.substr(7));
    }
    // "ssys:" and "lsys:" name shell icons, which this desktop does not offer.
    if (!bitmap) return false;
    ref.Bitmap = bitmap;
    ref.W = bitmap->Width();
    ref.H = bitmap->Height();
    return true;
}

void THTMLLayout::HitTest(int32_t from, int32_t to, const TLine& line, const TPlacement& at, bool needY) {
    if (!S.InAnchor) return;
    int32_t rx = FX - at.Left;
    if (rx < from || rx >= to) return;
    FCandidate = true;
    if (needY) {
        int32_t bottom = at.Bottom - line.Sb - line.Lift;
        int32_t th = C.TextHeight("gh");
        if (!(FY > bottom - th && FY < bottom)) return;
    }
    FAnchor = S.Href;
}

int32_t THTMLLayout::DrawWord(const std::string& word, int32_t left, const TLine& line, const TPlacement& at,
                              int32_t advance) {
    TRect r{left, at.Top, left, at.TextBottom};
    if (S.Sup) r.Bottom -= line.Sp;
    if (S.Sub) r.Bottom += line.Sb;
    r.Bottom -= line.Lift;
    if (r.Bottom < r.Top) r.Top = r.Bottom;
    if (advance < 0) {
        TRect m = r;
        C.DrawText(word, m, kAdvanceFlags);
        advance = m.Right - m.Left;
    }
    r.Right = left + advance;
    if (S.Shadow) {
        TColor color = C.Font()->Color();
        C.Font()->SetColor(kShadowColor);
        TRect s = r;
        OffsetRect(s, kShadowOffset, kShadowOffset);
        C.DrawText(word, s, kDrawFlags);
        C.Font()->SetColor(color);
    }
    C.DrawText(word, r, kDrawFlags);
    return advance;
}

void THTMLLayout::Pass(TPass pass, TLine& line, const TPlacement* at) {
    const bool measure = pass == TPass::Measure;
    TCursor cur;
    cur.TextLeft = at ? at->Left : 0;
    cur.LineHeight = C.TextHeight("gh");
    if (measure) {
        line.Sb = line.Sp = line.Lift = 0;
        line.Widths.clear();
    }
    size_t words = 0;
    if (pass == TPass::Draw && S.ParaBackground) FillLine(*at);

    size_t i = line.Begin;
    const size_t limit = measure ? FText.size() : line.End;
    while (i < limit) {
        if (FText[i] == '<') {
            size_t close = FText.find('>', i);
            size_t next = close == std::string::npos ? FText.size() : close + 1;
            TStep step = Tag(pass, std::string(FText.substr(i, next - i)), line, at, cur);
            if (step == TStep::EndBefore) break;
            i = next;
            if (step == TStep::EndAfter) break;
            continue;
        }
        // A word runs to the next "<", or through the next blank when that
        // comes first.
        size_t end = std::string_view::npos;
        for (size_t j = i, w = std::min(limit, i + kLongWord); j < w && end == std::string_view::npos; ++j)
            if (FText[j] == '<' || FText[j] == ' ') end = FText[j] == ' ' ? j + 1 : j;
        std::string word;
        int32_t known = -1;  // the width of a long word's part
        const bool longWord = end == std::string_view::npos && i + kLongWord < limit;
        if (longWord) {
            known = LongWord(i, limit, cur.X, end, word);
        } else {
            if (end == std::string_view::npos) end = limit;
            word = ReplaceEntities(FText.substr(i, end - i));
        }
        int32_t width;
        if (measure) width = known >= 0 ? known : MeasureWidth(word);
        else if (words < line.Widths.size()) width = line.Widths[words];
        else width = MeasureWidth(word);
        ++words;
        if (measure) {
            // A word that does not fit starts the next line, unless it is the
            // first thing on this one.
            if (!(cur.X + width < LineWidth() || (width >= LineWidth() && !cur.Placed))) break;
            // The height of a text is its font's.
            int32_t th = C.TextHeight("gh");
            if (S.Sub) line.Sb = std::max(line.Sb, th / 4);
            if (S.Sup) line.Sp = std::max(line.Sp, th / 4);
            cur.LineHeight = std::max(cur.LineHeight, th);
            cur.X += width;
            line.Widths.push_back(width);
            cur.Trailing = word.back() == ' ' ? MeasureWidth(" ") : 0;
            cur.Placed = true;
            // Only measuring callers read the plain text.
            if (FMeasureOnly && longWord) AppendReplacingEntities(FPlain, FText.substr(i, end - i));
            else if (FMeasureOnly) FPlain += word;
        } else {
            HitTest(cur.X, cur.X + width, line, *at, true);
            // A word of one line advances by the width just measured.
            const bool oneLine = word.find('\r') == std::string::npos && word.find('\n') == std::string::npos;
            cur.TextLeft += pass == TPass::Draw ? DrawWord(word, cur.TextLeft, line, *at, oneLine ? width : -1) : width;
            cur.X += width;
        }
        i = end;
    }
    if (measure) {
        line.End = i;
        line.H = cur.LineHeight;
        line.W = cur.X - cur.Trailing;
    }
}

THTMLLayout::TStep THTMLLayout::Image(TPass pass, const std::string& tag, TLine& line, const TPlacement* at,
                                      TCursor& cur) {
    std::string src, align;
    Attribute(tag, "src", src);
    Attribute(tag, "align", align);
    TImageRef ref;
    if (!FindImage(Trim(src), ref)) return TStep::Go;
    int32_t w = ref.W, h = ref.H;
    if (FStretch) {
        w = static_cast<int32_t>(Round(w * FScale));
        h = static_cast<int32_t>(Round(h * FScale));
    }
    if (pass == TPass::Measure) {
        if (cur.X + w > LineWidth() && w < LineWidth()) return TStep::EndBefore;
        cur.X += w;
        cur.LineHeight = std::max(cur.LineHeight, h);
        cur.Trailing = 0;
        cur.Placed = true;
        int32_t room = std::max(0, cur.LineHeight - C.TextHeight("gh"));
        if (SameText(Trim(align), "top")) line.Lift = std::max(line.Lift, room);
        else if (SameText(Trim(align), "middle")) line.Lift = std::max(line.Lift, room / 2);
        return TStep::Go;
    }
    HitTest(cur.X, cur.X + w, line, *at, false);
    if (pass == TPass::Draw) {
        TRect dest = Bounds(cur.TextLeft, at->Top, w, h);
        if (ref.Bitmap) {
            if (FStretch) C.StretchDraw(dest, ref.Bitmap);
            else C.Draw(dest.Left, dest.Top, ref.Bitmap);
        } else if (FStretch) {
            TBitmap copy;
            FImages->GetBitmap(ref.Index, copy);
            C.StretchDraw(dest, &copy);
        } else {
            FImages->Draw(C, dest.Left, dest.Top, ref.Index);
        }
    }
    cur.X += w;
    cur.TextLeft += w;
    return TStep::Go;
}

THTMLLayout::TStep THTMLLayout::Tag(TPass pass, const std::string& tag, TLine& line, const TPlacement* at,
                                    TCursor& cur) {
    const bool drawing = pass == TPass::Draw;
    std::string up = UpperCase(tag);
    if (up.size() < 2) return TStep::Go;
    if (up[1] == '/') return ClosingTag(pass, up);
    TFont* font = C.Font();
    std::string value;
    switch (up[1]) {
    case 'A':
        Attribute(tag, "href", value);
        SetStyleBit(font, fsUnderline, true);
        if (!FKeepColors) font->SetColor(FURLColor);
        S.InAnchor = true;
        S.Href = value;
        break;
    case 'B': return BTag(pass, tag, up);
    case 'F': FontTag(drawing, tag); break;
    case 'H':
        if (drawing) HorizontalRule(*at);
        return TStep::EndAfter;
    case 'I':
        if (Opens(up, "<I>")) SetStyleBit(font, fsItalic, true);
        else if (Opens(up, "<IND")) Indent(tag, cur);
        else if (Opens(up, "<IMG")) return Image(pass, tag, line, at, cur);
        break;
    case 'L': return ListItem(pass, line, at, cur);
    case 'P': ParagraphTag(drawing, tag, at); break;
    case 'R':
        // A turn of n degrees is one of n mod 360.
        if (Attribute(tag, "a", value)) font->SetOrientation(StrToIntDef(Trim(value), 0) % 360 * 10);
        break;
    case 'S':
        if (Opens(up, "<S>")) SetStyleBit(font, fsStrikeOut, true);
        else if (Opens(up, "<SUB>")) S.Sub = true;
        else if (Opens(up, "<SUP>")) S.Sup = true;
        else if (Opens(up, "<SHAD>")) S.Shadow = true;
        break;
    case 'U':
        if (Opens(up, "<UL>")) ++S.ListLevel;
        else SetStyleBit(font, fsUnderline, true);
        break;
    default:
        break;
    }
    return TStep::Go;
}

THTMLLayout::TStep THTMLLayout::BTag(TPass pass, const std::string& tag, const std::string& up) {
    if (Opens(up, "<B>")) {
        SetStyleBit(C.Font(), fsBold, true);
    } else if (Opens(up, "<BR>")) {
        if (pass == TPass::Measure) FPlain += '\r';
        return TStep::EndAfter;
    } else if (Opens(up, "<BLINK")) {
        if (!FBlinkOn) C.Font()->SetColor(FEntryBrushColor);
    } else if (Opens(up, "<BODY")) {
        BodyTag(pass == TPass::Draw, tag);
    }
    return TStep::Go;
}

void THTMLLayout::BodyTag(bool drawing, const std::string& tag) {
    std::string value;
    if (drawing && Attribute(tag, "background", value) && StartsWithI(value, "file://")) {
        TBitmap* tile = FileBitmap(value.substr(7));
        if (tile && tile->Width() > 0 && tile->Height() > 0) {
            int saved = C.SaveDC();
            C.IntersectClipRect(FRect);
            for (int32_t y = FRect.Top; y < FRect.Bottom; y += tile->Height())
                for (int32_t x = FRect.Left; x < FRect.Right; x += tile->Width()) C.Draw(x, y, tile);
            C.RestoreDC(saved);
        }
    }
    if (Attribute(tag, "bgcolor", value)) {
        S.Brush = ParseColor(value, clNone);
        ApplyBrush();
        if (drawing && S.Brush != clNone) C.FillRect(FRect);
    }
}

void THTMLLayout::FontTag(bool drawing, const std::string& tag) {
    TFont* font = C.Font();
    std::string value;
    if (Attribute(tag, "face", value)) font->SetName(value);
    if (Attribute(tag, " color", value) && !FKeepColors) font->SetColor(ParseColor(value, clBlack));
    if (Attribute(tag, "bgcolor", value) && drawing && !FKeepColors) {
        S.FontSavedBrush = S.Brush;
        S.Brush = ParseColor(value, clNone);
        ApplyBrush();
    }
    if (Attribute(tag, "size", value))
        font->SetSize(std::clamp(StrToIntDef(Trim(value), font->Size()), -kMaxFontSize, kMaxFontSize));
}

void THTMLLayout::HorizontalRule(const TPlacement& at) {
    TColor color = C.Pen()->Color();
    int32_t width = C.Pen()->Width();
    C.Pen()->SetColor(clBlack);
    C.Pen()->SetWidth(1);
    C.MoveTo(at.Left, at.TextBottom + 1);
    C.LineTo(FRect.Right, at.TextBottom + 1);
    C.Pen()->SetColor(color);
    C.Pen()->SetWidth(width);
}

void THTMLLayout::Indent(const std::string& tag, TCursor& cur) {
    std::string value;
    int32_t n = Attribute(tag, "x", value) ? StrToIntDef(Trim(value), 0) : 0;
    if (cur.X < n) {
        cur.X = n;
        cur.TextLeft = FRect.Left + n;
        cur.Trailing = 0;
    }
}

THTMLLayout::TStep THTMLLayout::ListItem(TPass pass, const TLine& line, const TPlacement* at, TCursor& cur) {
    // A second item measured on one line starts a line of its own.
    if (pass == TPass::Measure && ++cur.Items == 2) return TStep::EndBefore;
    int32_t indent = kListIndent * S.ListLevel;
    if (pass == TPass::Draw && S.ListLevel > 0) {
        TFont* font = C.Font();
        std::string name = font->Name();
        font->SetName(kBulletFont);
        int32_t left = cur.TextLeft + kListIndent * (S.ListLevel - 1);
        TRect r{left, at->Top, left + kListIndent, std::max(at->Top, at->TextBottom - line.Lift)};
        C.DrawText(S.ListLevel % 2 == 1 ? kBullet : "o", r, kDrawFlags);
        font->SetName(name);
    }
    cur.X += indent;
    cur.TextLeft += indent;
    cur.Trailing = 0;
    return TStep::Go;
}

void THTMLLayout::ParagraphTag(bool drawing, const std::string& tag, const TPlacement* at) {
    std::string value;
    if (Attribute(tag, "align", value)) {
        std::string a = LowerCase(Trim(value));
        if (a == "right") S.Align = TParaAlign::Right;
        else if (a == "left") S.Align = TParaAlign::Left;
        else if (a == "center") S.Align = TParaAlign::Center;
    }
    if (drawing && Attribute(tag, "bgcolor", value)) {
        S.ParaBackground = true;
        S.ParaSavedBrush = S.Brush;
        S.Brush = ParseColor(value, clNone);
        ApplyBrush();
        FillLine(*at);
    }
}

THTMLLayout::TStep THTMLLayout::ClosingTag(TPass pass, const std::string& up) {
    const bool drawing = pass == TPass::Draw;
    TFont* font = C.Font();
    char second = up.size() > 3 ? up[3] : '\0';
    switch (up.size() > 2 ? up[2] : '\0') {
    case 'A':
        SetStyleBit(font, fsUnderline, false);
        if (!FKeepColors) font->SetColor(FBase.Color());
        S.InAnchor = false;
        S.Href.clear();
        break;
    case 'B':
        if (second == 'L') font->SetColor(FBase.Color());
        else SetStyleBit(font, fsBold, false);
        break;
    case 'F':
        font->SetName(FBase.Name());
        font->SetHeight(FBase.Height());
        if (drawing && !FKeepColors) {
            font->SetColor(FBase.Color());
            S.Brush = S.FontSavedBrush;
            ApplyBrush();
        }
        break;
    case 'I':
        SetStyleBit(font, fsItalic, false);
        break;
    case 'P':
        if (drawing) {
            S.Brush = S.ParaSavedBrush;
            ApplyBrush();
            S.ParaBackground = false;
        }
        return TStep::EndAfter;
    case 'R':
        font->SetOrientation(0);
        break;
    case 'S':
        if (second == 'U') S.Sub = S.Sup = false;
        else if (second == 'H') S.Shadow = false;
        else SetStyleBit(font, fsStrikeOut, false);
        break;
    case 'U':
        if (up.compare(0, 5, "</UL>") == 0 && S.ListLevel > 0) --S.ListLevel;
        else SetStyleBit(font, fsUnderline, false);
        break;
    default:
        break;
    }
    return TStep::Go;
}

bool THTMLLayout::Run(int32_t& width, int32_t& height) {
    FAnchor.clear();
    FPlain.clear();
    width = 0;
    height = 0;
    const TColor entryColor = C.Brush()->Color();
    const TBrushStyle entryStyle = C.Brush()->Style();
    FEntryBrushColor = entryColor;
    FBase.Assign(C.Font());
    S = TFlags{};
    ApplyBrush();
    C.SetBkMode(TRANSPARENT);

    const int32_t lineLeft = FRect.Left + 1;
    bool result = false;
    TState carried;  // the state at the end of the previous line
    Save(carried);
    TState start;
    int32_t top = FRect.Top;
    size_t pos = 0;
    while (pos < FText.size()) {
        Restore(carried);
        Save(start);
        // A line is at least one text line high: with the next one below the
        // bottom, nothing after this line shows.
        FLastLine = !FMeasureOnly && top + 2 * C.TextHeight("gh") > FRect.Bottom;
        TLine line;
        line.Begin = pos;
        Pass(TPass::Measure, line, nullptr);
        if (line.End <= pos) break;  // nothing could be laid out

        int32_t left = lineLeft;
        if (S.Align == TParaAlign::Right) left = FRect.Right - line.W;
        else if (S.Align == TParaAlign::Center) left = lineLeft + (LineWidth() - line.W) / 2;
        int32_t lineHeight = line.H + line.Sb + line.Sp;

        if (!FMeasureOnly) {
            Restore(start);
            TPlacement at{left, top, top + lineHeight, top + line.H + line.Sp};
            FCandidate = false;
            Pass(FCheckOnly ? TPass::Check : TPass::Draw, line, &at);
            if (FCandidate) {
                int32_t bottom = at.Bottom - line.Lift;
                int32_t th = C.TextHeight("gh");
                if (FY > bottom - th && FY < bottom) result = true;
            }
        }
        Save(carried);
        width = std::max(width, line.W);
        top += lineHeight;
        height += lineHeight;
        pos = line.End;
        if (!FMeasureOnly && top + line.H > FRect.Bottom) break;
    }
    if (height == 0) height = C.TextHeight("gh");
    C.Brush()->SetColor(entryColor);
    C.Brush()->SetStyle(entryStyle);
    C.Font()->Assign(&FBase);
    return result;
}

}  // namespace

TColor HTMLColorByName(const std::string& Name) {
    for (const TColorName& entry : kColorNames)
        if (Name == entry.Name) return entry.Color;
    return clBlack;
}

TColor HTMLHexColor(const std::string& Value) {
    if (Value.size() < 7) return clBlack;
    uint32_t rgb[3];
    for (int k = 0; k < 3; ++k) {
        uint32_t v = 0;
        for (int d = 0; d < 2; ++d) {
            char c = UpCase(Value[1 + 2 * k + d]);
            int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0) return clBlack;
            v = v * 16 + static_cast<uint32_t>(digit);
        }
        rgb[k] = v;
    }
    return RGB(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]), static_cast<uint8_t>(rgb[2]));
}

void RegisterHTMLResourceBitmap(const std::string& Name, const TBitmap& Bitmap) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(&Bitmap);
    ResourceBitmaps()[LowerCase(Name)] = std::move(copy);
}

void UnregisterHTMLResourceBitmap(const std::string& Name) { ResourceBitmaps().erase(LowerCase(Name)); }

bool HTMLDrawText(TCanvas& Canvas, std::string_view Text, const TRect& Rect, TImageList* Images, int32_t X,
                  int32_t Y, bool CheckOnly, bool MeasureOnly, bool StretchImages, bool KeepColors, bool BlinkOn,
                  double ImageScale, TColor URLColor, std::string& Anchor, std::string& PlainText, int32_t& Width,
                  int32_t& Height) {
    THTMLLayout layout(Canvas, Text, Rect, Images, X, Y, CheckOnly, MeasureOnly, StretchImages, KeepColors, BlinkOn,
                       ImageScale, URLColor, Anchor, PlainText);
    return layout.Run(Width, Height);
}

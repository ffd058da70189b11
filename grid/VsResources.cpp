#include "grid/VsResources.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "platform/controls/Forms.h"

namespace {

// One character per pixel, rows from the top. The bottom-left pixel is the
// background, which the buttons draw transparent.
struct TPixelTable {
    const char* Name;
    int32_t Width;
    int32_t Height;
    std::array<const char*, 8> Rows;
};

// '.' background (silver), '#' black.
constexpr TPixelTable kBitmaps[] = {
    {"VsSpinUp", 7, 5, {"...#...", "..###..", ".#####.", "#######", "......."}},
    {"VsSpinDown", 7, 5, {"#######", ".#####.", "..###..", "...#...", "......."}},
};

constexpr bool RowsMatch(const TPixelTable& t) {
    for (int32_t y = 0; y < t.Height; ++y) {
        const char* row = t.Rows[static_cast<size_t>(y)];
        int32_t n = 0;
        while (row[n] == '.' || row[n] == '#') ++n;
        if (n != t.Width || row[n] != '\0') return false;
    }
    return t.Height <= static_cast<int32_t>(t.Rows.size()) && t.Rows[static_cast<size_t>(t.Height) - 1][0] == '.';
}
constexpr bool AllRowsMatch() {
    for (const TPixelTable& t : kBitmaps)
        if (!RowsMatch(t)) return false;
    return true;
}
static_assert(AllRowsMatch(), "a bitmap row has the wrong width, or its bottom-left pixel is no background");

const TPixelTable* Find(const std::string& name) {
    for (const TPixelTable& t : kBitmaps)
        if (SameText(t.Name, name)) return &t;
    return nullptr;
}

// The drawn pictures: a square of ink flags, filled by convex polygons
// (pixel centres inside every edge) and rings.
constexpr int32_t kSide = 32;

struct TInk {
    std::array<bool, kSide * kSide> Set{};
    bool At(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < kSide && y < kSide && Set[static_cast<size_t>(y * kSide + x)];
    }
    void Polygon(const std::vector<std::array<double, 2>>& p) {
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                bool pos = true, neg = true;
                for (size_t i = 0; i < p.size(); ++i) {
                    const auto& a = p[i];
                    const auto& b = p[(i + 1) % p.size()];
                    const double cross = (b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0]);
                    pos = pos && cross >= 0;
                    neg = neg && cross <= 0;
                }
                if (pos || neg) Set[static_cast<size_t>(y * kSide + x)] = true;
            }
    }
    void Ring(double cx, double cy, double inner, double outer) {
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                if (d >= inner && d <= outer) Set[static_cast<size_t>(y * kSide + x)] = true;
            }
    }
    // A triangle pointing along (dx, dy) from the centre: tip at Far, base
    // at Near, HalfWidth either side.
    void Head(double cx, double cy, double dx, double dy, double Near, double Far, double HalfWidth) {
        const double len = std::hypot(dx, dy);
        dx /= len;
        dy /= len;
        const double bx = cx + dx * Near, by = cy + dy * Near;
        Polygon({{cx + dx * Far, cy + dy * Far}, {bx - dy * HalfWidth, by + dx * HalfWidth},
                 {bx + dy * HalfWidth, by - dx * HalfWidth}});
    }
    // An arrow whose tip is at (tx, ty), pointing along (dx, dy).
    void Arrow(double tx, double ty, double dx, double dy) {
        const double len = std::hypot(dx, dy);
        dx /= len;
        dy /= len;
        Head(tx - dx * 9, ty - dy * 9, dx, dy, 0, 9, 6);
        const double sx = tx - dx * 9, sy = ty - dy * 9, ex = tx - dx * 20, ey = ty - dy * 20;
        Polygon({{sx - dy * 2, sy + dx * 2}, {sx + dy * 2, sy - dx * 2}, {ex + dy * 2, ey - dx * 2},
                 {ex - dy * 2, ey + dx * 2}});
    }
};

// Colours of the pictures. The cursors' background is a colour no ink or rim
// uses, for their transparency; the origin marks keep the silver of the
// other bitmaps at their top-left pixel.
constexpr TColor kCursorKey = clFuchsia;
constexpr TColor kMarkBack = clSilver;

struct TPanDirection {
    int32_t Id;
    int32_t Dx, Dy;
};
constexpr TPanDirection kPanCursors[] = {{8001, 0, 1},  {8002, -1, 0}, {8003, 1, 0},  {8004, 0, -1},
                                         {8005, 1, -1}, {8006, -1, -1}, {8007, 1, 1}, {8008, -1, 1}};

TInk PanMark(bool Horizontal, bool Vertical) {
    TInk ink;
    ink.Ring(16, 16, 0, 1.5);
    ink.Ring(16, 16, 3.5, 5.5);
    if (Horizontal) {
        ink.Head(16, 16, 1, 0, 8, 15, 5);
        ink.Head(16, 16, -1, 0, 8, 15, 5);
    }
    if (Vertical) {
        ink.Head(16, 16, 0, 1, 8, 15, 5);
        ink.Head(16, 16, 0, -1, 8, 15, 5);
    }
    return ink;
}

bool DrawnCursor(int32_t Id, TInk& Ink, TPoint& HotSpot) {
    HotSpot = TPoint{16, 16};
    if (Id == 8000 || Id == 8009) {
        Ink = PanMark(Id == 8000, Id == 8000);
        return true;
    }
    for (const TPanDirection& d : kPanCursors)
        if (d.Id == Id) {
            Ink = PanMark(false, false);
            Ink.Head(16, 16, d.Dx, d.Dy, 6, 14, 5);
            return true;
        }
    switch (Id) {
    case 8010: Ink.Arrow(26, 16, 1, 0), HotSpot = TPoint{24, 16}; return true;
    case 8011: Ink.Arrow(16, 26, 0, 1), HotSpot = TPoint{16, 24}; return true;
    case 8012: Ink.Arrow(24, 24, 1, 1), HotSpot = TPoint{22, 22}; return true;
    default: return false;
    }
}

void Paint(TBitmap& Bitmap, const TInk& Ink, bool Rim, TColor Back) {
    TBitmap drawn(kSide, kSide);
    drawn.SetPixelFormat(pf24bit);
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x) {
            bool near = false;
            for (int32_t dy = -1; dy <= 1 && !near; ++dy)
                for (int32_t dx = -1; dx <= 1 && !near; ++dx) near = Ink.At(x + dx, y + dy);
            drawn.Canvas()->SetPixel(x, y, Ink.At(x, y) ? clBlack : Rim && near ? clWhite : Back);
        }
    Bitmap.Assign(&drawn);
    Bitmap.SetTransparentColor(Back);
}

}  // namespace

bool HasBitmapResource(const std::string& Name) {
    return Find(Name) != nullptr || SameText(Name, "INTLI1") || SameText(Name, "INTLI2") || SameText(Name, "INTLI3");
}

void LoadCursorResource(TBitmap& Bitmap, int32_t Id, TPoint& HotSpot) {
    TInk ink;
    if (!DrawnCursor(Id, ink, HotSpot)) throw EResNotFound(FmtMsg(SysConst::SResNotFound, std::to_string(Id)));
    Paint(Bitmap, ink, true, kCursorKey);
}

void RegisterGridCursors() {
    static bool done = false;
    if (done) return;
    for (int32_t id = 8000; id <= 8012; ++id) {
        TBitmap image;
        TPoint hot;
        LoadCursorResource(image, id, hot);
        Screen->SetCursors(static_cast<TCursor>(id), image, hot);
    }
    done = true;
}

void LoadBitmapResource(TBitmap& Bitmap, const std::string& Name) {
    // The pan origin marks: both ways, across, up and down.
    for (int32_t i = 1; i <= 3; ++i)
        if (SameText(Name, "INTLI" + std::to_string(i))) {
            Paint(Bitmap, PanMark(i != 3, i != 2), false, kMarkBack);
            return;
        }
    const TPixelTable* t = Find(Name);
    if (!t) throw EResNotFound(FmtMsg(SysConst::SResNotFound, Name));
    TBitmap loaded(t->Width, t->Height);
    loaded.SetPixelFormat(pf24bit);
    for (int32_t y = 0; y < t->Height; ++y)
        for (int32_t x = 0; x < t->Width; ++x)
            loaded.Canvas()->SetPixel(x, y, t->Rows[static_cast<size_t>(y)][x] == '#' ? clBlack : clSilver);
    Bitmap.Assign(&loaded);
}

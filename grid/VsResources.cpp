#include "grid/VsResources.h"

#include <algorithm>
#include <array>

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

}  // namespace

bool HasBitmapResource(const std::string& Name) { return Find(Name) != nullptr; }

void LoadBitmapResource(TBitmap& Bitmap, const std::string& Name) {
    const TPixelTable* t = Find(Name);
    if (!t) throw EResNotFound(FmtMsg(SysConst::SResNotFound, Name));
    TBitmap loaded(t->Width, t->Height);
    loaded.SetPixelFormat(pf24bit);
    for (int32_t y = 0; y < t->Height; ++y)
        for (int32_t x = 0; x < t->Width; ++x)
            loaded.Canvas()->SetPixel(x, y, t->Rows[static_cast<size_t>(y)][x] == '#' ? clBlack : clSilver);
    Bitmap.Assign(&loaded);
}

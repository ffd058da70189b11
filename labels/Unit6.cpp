// The label data editor window: its bars and menu.
#include "labels/Unit6.h"

#include <array>

#include "platform/controls/ComCtrls.h"
#include "platform/controls/Menus.h"
#include "platform/graphics/Graphics.h"

TfrmEdit* frmEdit = nullptr;

namespace {
// The tool buttons' pictures, 16 x 16 as the bar shows them, one character
// a pixel: '.' the background (the bottom-left pixel, drawn transparent),
// 'k' black, 'w' white, 'b' navy, 'y' grey, 'g' green, 'r' red.
using TGlyph = std::array<const char*, 16>;
constexpr std::array<TGlyph, 5> kGlyphs{{
    // Save Changes: a disk.
    {"................", ".kkkkkkkkkkkkkk.", ".kbkwwwwwwwwkbk.", ".kbkwwwwwwwwkbk.", ".kbkwwwwwwwwkbk.",
     ".kbkwwwwwwwwkbk.", ".kbbkkkkkkkkbbk.", ".kbbbbbbbbbbbbk.", ".kbbkkkkkkkkbbk.", ".kbbkyykkkkkbbk.",
     ".kbbkyykkkkkbbk.", ".kbbkyykkkkkbbk.", ".kbbkkkkkkkkbbk.", ".kkkkkkkkkkkkkk.", "................",
     "................"},
    // Cancel: a cross.
    {"................", "................", "..rr........rr..", "..rrr......rrr..", "...rrr....rrr...",
     "....rrr..rrr....", ".....rrrrrr.....", "......rrrr......", "......rrrr......", ".....rrrrrr.....",
     "....rrr..rrr....", "...rrr....rrr...", "..rrr......rrr..", "..rr........rr..", "................",
     "................"},
    // Add Row: rows with a plus below them.
    {"................", ".kkkkkkkkkkkkkk.", ".kwwkwwwwwwwwwk.", ".kkkkkkkkkkkkkk.", ".kwwkwwwwwwwwwk.",
     ".kkkkkkkkkkkkkk.", ".kwwkwwwwwwwwwk.", ".kkkkkkkkkkkkkk.", "................", "......gggg......",
     "......gggg......", "...gggggggggg...", "...gggggggggg...", "......gggg......", "......gggg......",
     "................"},
    // Insert Row: a new row pushed in between two others.
    {"................", "....kkkkkkkkkkk.", "....kwwkwwwwwwk.", "....kkkkkkkkkkk.", ".g..kgggggggggk.",
     ".gg.kgggggggggk.", ".gggkgggggggggk.", ".gg.kgggggggggk.", ".g..kkkkkkkkkkk.", "....kwwkwwwwwwk.",
     "....kkkkkkkkkkk.", "....kwwkwwwwwwk.", "....kkkkkkkkkkk.", "................", "................",
     "................"},
    // Remove Selected Row: rows with a minus below them.
    {"................", ".kkkkkkkkkkkkkk.", ".kwwkwwwwwwwwwk.", ".kkkkkkkkkkkkkk.", ".kwwkwwwwwwwwwk.",
     ".kkkkkkkkkkkkkk.", ".kwwkwwwwwwwwwk.", ".kkkkkkkkkkkkkk.", "................", "................",
     "...rrrrrrrrrr...", "...rrrrrrrrrr...", "................", "................", "................",
     "................"},
}};

constexpr bool GlyphsAreSquare() {
    for (const TGlyph& g : kGlyphs) {
        for (const char* row : g) {
            int n = 0;
            while (row[n] != '\0') ++n;
            if (n != 16) return false;
        }
        if (g[15][0] != '.') return false;
    }
    return true;
}
static_assert(GlyphsAreSquare(), "a picture row is not 16 pixels, or its bottom-left pixel is no background");

TColor GlyphColor(char c) {
    switch (c) {
    case 'k': return clBlack;
    case 'w': return clWhite;
    case 'b': return clNavy;
    case 'y': return clGray;
    case 'g': return clGreen;
    case 'r': return clRed;
    default: return clSilver;
    }
}

void AddGlyph(TImageList& list, const TGlyph& glyph) {
    TBitmap bitmap(16, 16);
    TCanvas* canvas = bitmap.Canvas();
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) canvas->SetPixel(x, y, GlyphColor(glyph[static_cast<size_t>(y)][x]));
    list.Add(bitmap, true);
}
}  // namespace

TfrmEdit::TfrmEdit(TComponent* owner) : TForm(owner) {
    SetName("frmEdit");
    SetCaption("Edit Data File");
    SetBorderStyle(bsSizeable);
    SetPosition(poDesktopCenter);
    SetVisible(false);
    SetWidth(600);
    SetHeight(281);
    BuildControls();
    OnCreate = [this](TObject* s) { FormCreate(s); };
    OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
}

TfrmEdit::~TfrmEdit() {
    if (frmEdit == this) frmEdit = nullptr;
}

void TfrmEdit::BuildControls() {
    auto on = [this](void (TfrmEdit::*handler)(TObject*)) {
        return [this, handler](TObject* s) { (this->*handler)(s); };
    };
    ToolBar1 = CreateNamed<TToolBar>(this, this, "ToolBar1");
    ToolBar1->SetAlign(alTop);
    ToolBar1->SetShowHint(true);
    ImageList1 = new TImageList(this, 16, 16);
    ImageList1->SetName("ImageList1");
    for (const TGlyph& glyph : kGlyphs) AddGlyph(*ImageList1, glyph);
    ToolBar1->SetImages(ImageList1);
    int32_t image = 0;
    auto button = [&](const char* name, const char* hint, void (TfrmEdit::*click)(TObject*)) {
        auto* b = CreateNamed<TToolButton>(this, ToolBar1, name);
        b->SetHint(hint);
        b->SetShowHint(true);
        b->OnClick = on(click);
        b->SetImageIndex(image++);
        return b;
    };
    ToolButton1 = button("ToolButton1", "Save Changes", &TfrmEdit::ToolButton1Click);
    ToolButton5 = button("ToolButton5", "Cancel", &TfrmEdit::ToolButton5Click);
    ToolButton7 = button("ToolButton7", "Add Row", &TfrmEdit::ToolButton7Click);
    ToolButton3 = button("ToolButton3", "Insert Row", &TfrmEdit::ToolButton3Click);
    ToolButton4 = button("ToolButton4", "Remove Selected Row", &TfrmEdit::ToolButton4Click);

    MainMenu1 = new TMainMenu(this);
    MainMenu1->SetName("MainMenu1");
    File1 = new TMenuItem(this);
    File1->SetCaption("File");
    MainMenu1->Items()->Add(File1);
    auto item = [&](const char* caption, TToolButton* runs) {
        auto* i = new TMenuItem(this);
        i->SetCaption(caption);
        if (runs) i->OnClick = [runs](TObject*) { runs->Click(); };
        File1->Add(i);
        return i;
    };
    SaveChanges1 = item("Save Changes", ToolButton1);
    item("-", nullptr);
    AddRow1 = item("Add Row", ToolButton7);
    InsertRow1 = item("Insert Row", ToolButton3);
    RemoveRow1 = item("Remove Row", ToolButton4);
    item("-", nullptr);
    Cancel1 = item("Cancel", ToolButton5);
    SetMenu(MainMenu1);

    StatusBar1 = CreateNamed<TStatusBar>(this, this, "StatusBar1");
    StatusBar1->SetAlign(alBottom);

    BuildGrid();
}

// The grid's option groups: defaults and the two setters that act.
#include "grid/VsGridSettings.h"

#include <gtest/gtest.h>

namespace {

class TOwnerProbe : public TGridSettingsOwner {
public:
    void SettingsRepaint() override { ++Repaints; }
    void SettingsStretchLastColumn() override { ++Stretches; }
    int Repaints = 0;
    int Stretches = 0;
};

}  // namespace

TEST(GridSettings, Defaults) {
    TOwnerProbe owner;
    TCellNode node(&owner);
    EXPECT_EQ(node.Color(), clSilver);
    EXPECT_EQ(node.NodeType(), cnFlat);
    EXPECT_EQ(node.NodeColor(), clBlack);
    EXPECT_TRUE(node.ExpandGlyph()->Empty());
    EXPECT_TRUE(node.ContractGlyph()->Empty());

    TSizeWhileTyping typing;
    EXPECT_FALSE(typing.Height());
    EXPECT_FALSE(typing.Width());

    TMouseActions mouse;
    EXPECT_FALSE(mouse.ColSelect() || mouse.RowSelect() || mouse.AllSelect() || mouse.DirectEdit() ||
                 mouse.DirectComboDrop() || mouse.DisjunctRowSelect() || mouse.AllColumnSize() ||
                 mouse.AllRowSize() || mouse.CaretPositioning());

    TColumnSize size(&owner);
    EXPECT_FALSE(size.Save());
    EXPECT_EQ(size.Key(), "");
    EXPECT_EQ(size.Section(), "");
    EXPECT_FALSE(size.Stretch());
    EXPECT_EQ(size.Location(), clRegistry);

    TNavigation nav;
    EXPECT_TRUE(nav.CopyHTMLTagsToClipboard());
    EXPECT_FALSE(nav.AdvanceOnEnter());
    EXPECT_FALSE(nav.AllowClipboardShortCuts());
    EXPECT_EQ(nav.AdvanceDirection(), adLeftRight);
    EXPECT_EQ(nav.InsertPosition(), pInsertBefore);

    THTMLSettings html;
    EXPECT_EQ(html.BorderSize(), 1);
    EXPECT_EQ(html.CellSpacing(), 0);
    EXPECT_TRUE(html.SaveColor());
    EXPECT_TRUE(html.SaveFonts());
    EXPECT_EQ(html.Width(), 100);

    TPrintsettings print;
    EXPECT_EQ(print.DateFormat(), "dd/mm/yyyy");
    EXPECT_EQ(print.PageNumSep(), "/");
    EXPECT_EQ(print.Time(), ppNone);
    EXPECT_EQ(print.Borders(), pbNoborder);
    EXPECT_EQ(print.BorderStyle(), psSolid);
    EXPECT_EQ(print.Orientation(), poPortrait);
    EXPECT_EQ(print.FitToPage(), fpNever);
    EXPECT_EQ(print.TitleLines()->Count(), 0);
    EXPECT_NE(print.Font(), nullptr);
    EXPECT_EQ(owner.Repaints + owner.Stretches, 0) << "construction reports nothing";
}

TEST(GridSettings, NodeTypeRepaintsOnlyOnChange) {
    TOwnerProbe owner;
    TCellNode node(&owner);
    node.SetNodeType(cnFlat);
    EXPECT_EQ(owner.Repaints, 0);
    node.SetNodeType(cn3D);
    EXPECT_EQ(owner.Repaints, 1);
    node.SetNodeType(cn3D);
    EXPECT_EQ(owner.Repaints, 1);
    node.SetColor(clRed);
    node.SetNodeColor(clBlue);
    EXPECT_EQ(owner.Repaints, 1) << "the colours only store";

    TCellNode lone(nullptr);
    lone.SetNodeType(cnGlyph);
    EXPECT_EQ(lone.NodeType(), cnGlyph);
}

TEST(GridSettings, StretchStoresThenStretches) {
    TOwnerProbe owner;
    TColumnSize size(&owner);
    size.SetStretch(true);
    EXPECT_TRUE(size.Stretch());
    EXPECT_EQ(owner.Stretches, 1);
    size.SetStretch(false);
    EXPECT_EQ(owner.Stretches, 2) << "the grid itself ignores it while Stretch is off";
}

TEST(GridSettings, OwnedObjectsTakeCopies) {
    TOwnerProbe owner;
    TCellNode node(&owner);
    TBitmap glyph(9, 9);
    node.SetExpandGlyph(&glyph);
    EXPECT_NE(node.ExpandGlyph(), &glyph);
    EXPECT_EQ(node.ExpandGlyph()->Width(), 9);

    TPrintsettings print;
    TStringList lines;
    lines.Add("title");
    print.SetTitleLines(&lines);
    lines.Clear();
    EXPECT_EQ(print.TitleLines()->Count(), 1);
    TFont font;
    font.SetName("Courier New");
    print.SetHeaderFont(&font);
    EXPECT_EQ(print.HeaderFont()->Name(), "Courier New");
    EXPECT_NE(print.HeaderFont(), &font);
}

#include "grid/VsGridSettings.h"

TCellNode::TCellNode(TGridSettingsOwner* Owner)
    : FOwner(Owner), FExpandGlyph(std::make_unique<TBitmap>()), FContractGlyph(std::make_unique<TBitmap>()) {}

TCellNode::~TCellNode() = default;

void TCellNode::SetNodeType(TNodeType Value) {
    if (Value == FNodeType) return;
    FNodeType = Value;
    if (FOwner) FOwner->SettingsRepaint();
}

void TCellNode::SetExpandGlyph(const TBitmap* Value) { FExpandGlyph->Assign(Value); }

void TCellNode::SetContractGlyph(const TBitmap* Value) { FContractGlyph->Assign(Value); }

void TColumnSize::SetStretch(bool Value) {
    FStretch = Value;
    if (FOwner) FOwner->SettingsStretchLastColumn();
}

TPrintsettings::TPrintsettings()
    : FTitleLines(std::make_unique<TStringList>()),
      FFont(std::make_unique<TFont>()),
      FHeaderFont(std::make_unique<TFont>()),
      FFooterFont(std::make_unique<TFont>()) {}

TPrintsettings::~TPrintsettings() = default;

void TPrintsettings::SetTitleLines(const TStrings* Value) { FTitleLines->Assign(Value); }

void TPrintsettings::SetFont(const TFont* Value) { FFont->Assign(Value); }

void TPrintsettings::SetHeaderFont(const TFont* Value) { FHeaderFont->Assign(Value); }

void TPrintsettings::SetFooterFont(const TFont* Value) { FFooterFont->Assign(Value); }

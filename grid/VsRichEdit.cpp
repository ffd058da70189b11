#include "grid/VsRichEdit.h"

TVsRichEdit::TVsRichEdit(TComponent* AOwner) : TWindowControl(AOwner) {}

TVsRichEdit::~TVsRichEdit() { DetachWidget(); }

void TVsRichEdit::LoadFromStream(TStream& Stream) {
    FRichText.clear();
    char buffer[4096];
    for (int64_t n; (n = Stream.Read(buffer, sizeof buffer)) > 0;) FRichText.append(buffer, static_cast<size_t>(n));
}

void TVsRichEdit::Clear() { FRichText.clear(); }

// The reader of the formatting comes with the painting of rich-text cells;
// until then the text is given as it was loaded.
std::string TVsRichEdit::PlainText() const { return FRichText; }

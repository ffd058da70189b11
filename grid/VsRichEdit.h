// The rich-text control the grid owns: it holds the rich text (RTF) of one
// cell at a time, loaded from a stream, and gives its plain text for
// measuring and copying. The grid keeps it invisible.
#pragma once

#include <functional>
#include <string>

#include "platform/controls/WinControl.h"
#include "platform/runtime/Classes.h"

class TVsRichEdit : public TWindowControl {
public:
    explicit TVsRichEdit(TComponent* AOwner);
    ~TVsRichEdit() override;

    // Reads rich text from the stream's position to its end.
    void LoadFromStream(TStream& Stream);
    void Clear();
    // The text as loaded.
    const std::string& RichText() const { return FRichText; }
    // The text without its formatting.
    std::string PlainText() const;

    // The control asks for another size (rich text that needs more room).
    std::function<void(TObject* Sender, const TRect& Rect)> OnRequestSize;

private:
    std::string FRichText;
};

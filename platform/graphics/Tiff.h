// TIFF pictures: a baseline writer (uncompressed RGB with resolution) and a
// reader of uncompressed strips (RGB, grey, palette, bilevel).
#pragma once

#include <memory>

#include "platform/graphics/Graphics.h"

class TTiffImage : public TGraphic {
public:
    TTiffImage();
    ~TTiffImage() override;

    bool Empty() const override { return FBitmap->Empty(); }
    int32_t Width() const override { return FBitmap->Width(); }
    int32_t Height() const override { return FBitmap->Height(); }
    void Draw(TCanvas& canvas, const TRect& rect) override { FBitmap->Draw(canvas, rect); }
    // Raises EInvalidGraphic "TIFF image is not valid" for what it cannot read.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void Assign(const TPersistent* source) override;

    // The pixels and their resolution (written as XResolution/YResolution).
    TBitmap* Bitmap() { return FBitmap.get(); }

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    std::unique_ptr<TBitmap> FBitmap;
};

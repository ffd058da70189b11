// JPEG pictures through libjpeg: read, and write at a chosen quality.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Graphics.h"

class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;

    bool Empty() const override;
    int32_t Width() const override;
    int32_t Height() const override;
    void Draw(TCanvas& canvas, const TRect& rect) override;
    // Raises EInvalidGraphic "JPEG error #n" (libjpeg's message number).
    void LoadFromStream(TStream& stream) override;
    // The bytes as read when the picture has not changed since; otherwise
    // the pixels compressed at CompressionQuality.
    void SaveToStream(TStream& stream) override;
    // From a TJPEGImage, a TBitmap or any other graphic (drawn).
    void Assign(const TPersistent* source) override;

    // 1 to 100, default 90.
    int32_t CompressionQuality() const { return FQuality; }
    void SetCompressionQuality(int32_t quality);
    bool Grayscale() const { return FGrayscale; }
    void SetGrayscale(bool grayscale);
    bool ProgressiveEncoding() const { return FProgressive; }
    void SetProgressiveEncoding(bool progressive) { FProgressive = progressive; }
    // Dots per inch stored in the file (JFIF density); 96 when none.
    int32_t ResolutionX() const;
    int32_t ResolutionY() const;

    // The decoded pixels (pf24bit, or pf8bit grey); changing them marks the
    // picture changed for the next save.
    TBitmap* Bitmap();

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    std::unique_ptr<TBitmap> FBitmap;
    std::string FData;  // the file as read, while unchanged
    int32_t FQuality = 90;
    bool FGrayscale = false;
    bool FProgressive = false;
};

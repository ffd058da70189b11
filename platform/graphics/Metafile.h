// Vector pictures: drawing on a TMetafileCanvas records rectangles, lines,
// ellipses and text (font, alignment, escapement, colours) in pixels of a
// reference resolution; the metafile writes them as an enhanced metafile
// (EMF) or a placeable Windows metafile (WMF), sized in 0.01 mm.
#pragma once

#include <memory>
#include <string>

#include "platform/graphics/Graphics.h"

class TMetafile : public TGraphic {
public:
    TMetafile();
    ~TMetafile() override;

    bool Empty() const override;
    // Size in pixels of the reference resolution; 0 until set or drawn.
    int32_t Width() const override { return FWidth; }
    int32_t Height() const override { return FHeight; }
    void SetWidth(int32_t width) override;
    void SetHeight(int32_t height) override;
    // Size in 0.01 mm; follows Width and Height until set.
    int32_t MMWidth() const;
    int32_t MMHeight() const;
    void SetMMWidth(int32_t width);
    void SetMMHeight(int32_t height);
    // The reference resolution in dots per inch (96 unless set).
    int32_t Inch() const { return FInch; }
    void SetInch(int32_t dpi);
    // True writes EMF, False placeable WMF.
    bool Enhanced() const { return FEnhanced; }
    void SetEnhanced(bool enhanced) { FEnhanced = enhanced; }
    // Number of drawing records held.
    int32_t RecordCount() const;
    void Clear();

    void Draw(TCanvas& canvas, const TRect& rect) override;
    // EMF or placeable WMF, by its signature; raises EInvalidGraphic
    // "Metafile is not valid".
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // ".wmf" writes WMF, ".emf" EMF; other extensions follow Enhanced.
    void SaveToFile(const std::string& path) override;
    void Assign(const TPersistent* source) override;

private:
    friend class TMetafileCanvas;
    friend class TMetafileDevice;
    struct Impl;
    std::unique_ptr<Impl> FImpl;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int32_t FMMWidth = 0;   // 0: from the pixel size
    int32_t FMMHeight = 0;
    int32_t FInch = 96;
    bool FEnhanced = true;
};

// A canvas whose drawing goes into a metafile. Coordinates are pixels of the
// metafile's reference resolution (dpi, when given, becomes its Inch). The
// records replace the metafile's when the canvas is destroyed; a metafile
// without a size takes the extent of what was drawn.
class TMetafileCanvas : public TCanvas {
public:
    explicit TMetafileCanvas(TMetafile& metafile, int32_t dpi = 0);
    ~TMetafileCanvas() override;

private:
    TMetafile& FMetafile;
};

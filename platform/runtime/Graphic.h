// The abstract picture. It lives in the runtime room so that picture formats
// (the GIF library) can build and test without a display; drawing it needs a
// TCanvas from the graphics room.
#pragma once

#include <cstdint>
#include <string>

#include "platform/runtime/Classes.h"
#include "platform/runtime/Types.h"

class TCanvas;

VARSONA_DECLARE_EXCEPTION(EInvalidGraphic, Exception)
VARSONA_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception)

class TGraphic : public TPersistent {
public:
    virtual bool Empty() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual void SetWidth(int32_t width) {}
    virtual void SetHeight(int32_t height) {}
    // Paints the picture stretched into rect on canvas; TCanvas::Draw and
    // StretchDraw call this.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromFile(const std::string& path);
    virtual void SaveToFile(const std::string& path);

    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool transparent);
    bool Modified() const { return FModified; }
    void SetModified(bool modified) { FModified = modified; }

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    bool FTransparent = false;
    bool FModified = false;
};

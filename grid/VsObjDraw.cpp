// The drawing part of VsObj; it needs the graphics room.
#include "grid/VsObj.h"

#include "platform/graphics/Graphics.h"

void TFilePicture::DrawPictureFile(TCanvas& Canvas, const TRect& Rect) const {
    if (FFileName.empty()) return;
    TPicture picture;
    try {
        picture.LoadFromFile(FFileName);
    } catch (const std::exception&) {
        return;  // painting goes on without the picture
    }
    if (picture.Graphic() && !picture.Graphic()->Empty()) Canvas.StretchDraw(Rect, picture.Graphic());
}

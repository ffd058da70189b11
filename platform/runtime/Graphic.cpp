#include "platform/runtime/Graphic.h"

#include <cerrno>
#include <cstring>

void TGraphic::LoadFromFile(const std::string& path) {
    TFileStream stream(path, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

// Through memory and a rename: a failed save never leaves half a file behind.
void TGraphic::SaveToFile(const std::string& path) {
    TMemoryStream stream;
    SaveToStream(stream);
    std::string_view bytes(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    if (!WriteFileAtomically(path, bytes))
        throw EFCreateError(FmtMsg(SysConst::SFCreateError, path, std::strerror(errno)));
}

void TGraphic::SetTransparent(bool transparent) {
    if (transparent == FTransparent) return;
    FTransparent = transparent;
    Changed();
}

void TGraphic::Changed() {
    FModified = true;
    if (OnChange) OnChange(this);
}

void TGraphic::Progress(TObject* sender, TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                        const std::string& msg) {
    if (OnProgress) OnProgress(sender, stage, percentDone, redrawNow, r, msg);
}

void TGraphic::SaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette) {
    format = 0;
    data.clear();
    palette = nullptr;
}

void TGraphic::LoadFromClipboardFormat(TClipboardFormat, const std::string&, const HPALETTE&) {
    throw EInvalidGraphic(GraphicConst::SUnsupportedClipboardFormat);
}

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

#include "platform/runtime/Graphic.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/runtime/SysUtils.h"

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

// ---------------------------------------------------------------- clipboard formats

namespace {

struct TFormatNames {
    std::mutex Mutex;
    std::vector<std::string> Names;  // index + CF_FIRSTREGISTERED
};

TFormatNames& FormatNames() {
    static TFormatNames names;
    return names;
}

std::atomic<const TClipboardDataAccess*> DataAccess{nullptr};

}  // namespace

TClipboardFormat RegisterClipboardFormat(const std::string& name) {
    if (name.empty()) return 0;
    TFormatNames& r = FormatNames();
    std::lock_guard<std::mutex> lock(r.Mutex);
    for (size_t i = 0; i < r.Names.size(); ++i)
        if (SameText(r.Names[i], name)) return CF_FIRSTREGISTERED + static_cast<TClipboardFormat>(i);
    r.Names.push_back(name);
    return CF_FIRSTREGISTERED + static_cast<TClipboardFormat>(r.Names.size() - 1);
}

std::string GetClipboardFormatName(TClipboardFormat format) {
    TFormatNames& r = FormatNames();
    std::lock_guard<std::mutex> lock(r.Mutex);
    if (format < CF_FIRSTREGISTERED || format - CF_FIRSTREGISTERED >= r.Names.size()) return {};
    return r.Names[format - CF_FIRSTREGISTERED];
}

void SetClipboardDataAccess(const TClipboardDataAccess* access) {
    DataAccess.store(access, std::memory_order_release);
}

const TClipboardDataAccess* ClipboardDataAccess() { return DataAccess.load(std::memory_order_acquire); }

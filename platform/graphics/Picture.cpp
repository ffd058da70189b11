#include <QImage>
#include <QPainter>
#include <typeinfo>

#include "platform/graphics/CanvasDevice.h"
#include "platform/graphics/GraphicsConst.h"
#include "platform/graphics/PictureFormats.h"
#include "platform/graphics/qt/GraphicsQt.h"

// ---------------------------------------------------------------- registry

namespace {

struct FileFormat {
    std::string Extension;
    std::string Description;
    TGraphicFactory Factory;
};

std::vector<FileFormat>& Formats() {
    static std::vector<FileFormat> formats = [] {
        std::vector<FileFormat> list;
        for (auto& f : BuiltInPictureFormats()) list.push_back({f.Extension, f.Description, f.Factory});
        return list;
    }();
    return formats;
}

std::string Normalize(std::string ext) {
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    return LowerCase(ext);
}

FileFormat* Find(const std::string& extension) {
    std::string ext = Normalize(extension);
    for (auto& f : Formats())
        if (f.Extension == ext) return &f;
    return nullptr;
}

struct ClipboardFormat {
    TClipboardFormat Format;
    TGraphicFactory Factory;
};

std::vector<ClipboardFormat>& ClipboardFormats() {
    static std::vector<ClipboardFormat> formats;
    return formats;
}

ClipboardFormat* FindClipboardFormat(TClipboardFormat format) {
    for (auto& f : ClipboardFormats())
        if (f.Format == format) return &f;
    return nullptr;
}

// A new graphic of the same class as source, through the registry; a bitmap
// when no registered format makes that class.
std::unique_ptr<TGraphic> SameKind(const TGraphic& source) {
    if (dynamic_cast<const TBitmap*>(&source)) return std::make_unique<TBitmap>();
    for (auto& f : Formats()) {
        std::unique_ptr<TGraphic> g = f.Factory();
        if (!g) continue;
        const TGraphic& made = *g;
        if (typeid(made) == typeid(source)) return g;
    }
    return std::make_unique<TBitmap>();
}

}  // namespace

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TGraphicFactory factory) {
    if (FileFormat* f = Find(extension)) {
        f->Description = description;
        f->Factory = std::move(factory);
        return;
    }
    Formats().push_back({Normalize(extension), description, std::move(factory)});
}

void TPicture::UnregisterFileFormat(const std::string& extension) {
    std::string ext = Normalize(extension);
    auto& list = Formats();
    std::erase_if(list, [&](const FileFormat& f) { return f.Extension == ext; });
}

bool TPicture::SupportsExtension(const std::string& extension) { return Find(extension) != nullptr; }

std::string TPicture::GraphicFilter() {
    std::string filter;
    for (auto& f : Formats()) {
        if (!filter.empty()) filter += "|";
        filter += f.Description + " (*." + f.Extension + ")|*." + f.Extension;
    }
    return filter;
}

void TPicture::RegisterClipboardFormat(TClipboardFormat format, TGraphicFactory factory) {
    if (ClipboardFormat* f = FindClipboardFormat(format)) {
        f->Factory = std::move(factory);
        return;
    }
    ClipboardFormats().push_back({format, std::move(factory)});
}

void TPicture::UnregisterClipboardFormat(TClipboardFormat format) {
    std::erase_if(ClipboardFormats(), [&](const ClipboardFormat& f) { return f.Format == format; });
}

bool TPicture::SupportsClipboardFormat(TClipboardFormat format) { return FindClipboardFormat(format) != nullptr; }

// ---------------------------------------------------------------- picture

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Attach(TGraphic& graphic) {
    graphic.OnProgress = [this](TObject* sender, TProgressStage stage, uint8_t percent, bool redraw, const TRect& r,
                                const std::string& msg) {
        if (OnProgress) OnProgress(sender, stage, percent, redraw, r, msg);
    };
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    FGraphic = std::move(graphic);
    if (FGraphic) Attach(*FGraphic);
    if (OnChange) OnChange(this);
}

void TPicture::LoadFromClipboardFormat(TClipboardFormat format, const std::string& data, const HPALETTE& palette) {
    ClipboardFormat* f = FindClipboardFormat(format);
    if (!f) throw EInvalidGraphic(GraphicConst::SUnsupportedClipboardFormat);
    std::unique_ptr<TGraphic> graphic = f->Factory();
    Attach(*graphic);
    graphic->LoadFromClipboardFormat(format, data, palette);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette) {
    format = 0;
    data.clear();
    palette = nullptr;
    if (FGraphic) FGraphic->SaveToClipboardFormat(format, data, palette);
}

TBitmap* TPicture::Bitmap() {
    if (!dynamic_cast<TBitmap*>(FGraphic.get())) SetGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const std::string& path) {
    std::string ext = ExtractFileExt(path);
    FileFormat* format = Find(ext);
    if (!format) throw EInvalidGraphic(FmtMsg(GraphicsConst::SUnknownExtension, LowerCase(Normalize(ext))));
    std::unique_ptr<TGraphic> graphic = format->Factory();
    Attach(*graphic);
    graphic->LoadFromFile(path);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& path) {
    if (FGraphic) FGraphic->SaveToFile(path);
}

void TPicture::Assign(const TPersistent* source) {
    if (!source) {
        SetGraphic(nullptr);
        return;
    }
    const TGraphic* graphic = nullptr;
    if (auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (picture == this) return;
        graphic = picture->Graphic();
        if (!graphic) {
            SetGraphic(nullptr);
            return;
        }
    } else {
        graphic = dynamic_cast<const TGraphic*>(source);
    }
    if (!graphic) {
        TPersistent::Assign(source);
        return;
    }
    std::unique_ptr<TGraphic> copy = SameKind(*graphic);
    copy->Assign(graphic);
    SetGraphic(std::move(copy));
}

// ---------------------------------------------------------------- image list

struct TImageList::Impl {
    struct Entry {
        QImage Shown;     // ARGB32, masked pixels clear
        QImage Original;  // as added, scaled
    };
    std::vector<Entry> Images;
};

TImageList::TImageList(TComponent* owner, int32_t width, int32_t height)
    : TComponent(owner), FWidth(width), FHeight(height), FImpl(std::make_unique<Impl>()) {}

TImageList::~TImageList() = default;

void TImageList::SetSize(int32_t width, int32_t height) {
    if (width == FWidth && height == FHeight) return;
    FWidth = width;
    FHeight = height;
    Clear();
}

int32_t TImageList::Count() const { return static_cast<int32_t>(FImpl->Images.size()); }

int32_t TImageList::Add(TBitmap& bitmap, bool masked) {
    QImage original = bitmap.Empty() ? QImage(FWidth, FHeight, QImage::Format_RGB32)
                                     : BitmapImage(bitmap).convertToFormat(QImage::Format_RGB32);
    if (bitmap.Empty()) original.fill(Qt::white);
    if (original.width() != FWidth || original.height() != FHeight)
        original = original.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QImage shown = original.convertToFormat(QImage::Format_ARGB32);
    if (masked && !shown.isNull()) {
        QRgb key = shown.pixel(0, shown.height() - 1) & 0xFFFFFF;
        for (int y = 0; y < shown.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
        }
    }
    FImpl->Images.push_back({shown, original});
    return Count() - 1;
}

void TImageList::Delete(int32_t index) {
    if (index < 0 || index >= Count()) throw EInvalidOperation(GraphicsConst::SInvalidImageList);
    FImpl->Images.erase(FImpl->Images.begin() + index);
}

void TImageList::Clear() { FImpl->Images.clear(); }

void TImageList::Draw(TCanvas& canvas, int32_t x, int32_t y, int32_t index, bool enabled) {
    if (index < 0 || index >= Count() || !canvas.Device()) return;
    const QImage* image = &FImpl->Images[index].Shown;
    QImage disabled;
    if (!enabled) {
        // Greyed and lightened, keeping the mask.
        disabled = image->copy();
        for (int yy = 0; yy < disabled.height(); ++yy) {
            auto* row = reinterpret_cast<QRgb*>(disabled.scanLine(yy));
            for (int xx = 0; xx < disabled.width(); ++xx) {
                if (!qAlpha(row[xx])) continue;
                int v = 128 + qGray(row[xx]) / 2;
                row[xx] = qRgb(v, v, v);
            }
        }
        image = &disabled;
    }
    TRect dest = canvas.LPtoDP(TRect{x, y, x + FWidth, y + FHeight}).Normalized();
    canvas.Device()->DrawImage(dest, *image, {0, 0, image->width(), image->height()}, false, clBlack);
}

void TImageList::GetBitmap(int32_t index, TBitmap& bitmap) {
    if (index < 0 || index >= Count()) throw EInvalidOperation(GraphicsConst::SInvalidImageList);
    SetBitmapImage(bitmap, FImpl->Images[index].Original);
}

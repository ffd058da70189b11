#include "platform/controls/Clipbrd.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QStringList>
#include <cctype>
#include <map>
#include <mutex>

#include "platform/graphics/Metafile.h"
#include "platform/graphics/qt/GraphicsQt.h"

namespace {

constexpr const char* kText = "text/plain";
constexpr const char* kPng = "image/png";
constexpr const char* kBmp = "image/bmp";
constexpr const char* kEmf = "image/x-emf";

std::string MimeForName(const std::string& name) {
    static const std::pair<const char*, const char*> known[] = {
        {"Rich Text Format", "text/rtf"}, {"GIF Image", "image/gif"}, {"HTML Format", "text/html"},
        {"PNG", "image/png"},
    };
    for (const auto& [n, m] : known)
        if (SameText(name, n)) return m;
    if (name.find('/') != std::string::npos && name.find(' ') == std::string::npos) return name;
    std::string mime = "application/x-varsona-";
    for (unsigned char c : name) mime.push_back(std::isalnum(c) || c == '.' || c == '-' ? static_cast<char>(std::tolower(c)) : '-');
    return mime;
}

// The registered format offered under a MIME type, registering it when the
// type came from elsewhere.
TClipboardFormat FormatForMime(const std::string& mime) {
    for (TClipboardFormat f = CF_FIRSTREGISTERED;; ++f) {
        std::string name = GetClipboardFormatName(f);
        if (name.empty()) break;
        if (MimeForName(name) == mime) return f;
    }
    return RegisterClipboardFormat(mime);
}

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QByteArray Bytes(const std::string& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
std::string Std(const QByteArray& b) { return std::string(b.constData(), static_cast<size_t>(b.size())); }

QClipboard* System() {
    if (!QGuiApplication::instance()) throw EClipboardException(ClipboardConst::SCannotOpenClipboard);
    return QGuiApplication::clipboard();
}

// A copy of the data of every format, so that formats can be added beside it.
std::unique_ptr<QMimeData> CopyOf(const QMimeData* source) {
    auto copy = std::make_unique<QMimeData>();
    if (!source) return copy;
    for (const QString& f : source->formats()) copy->setData(f, source->data(f));
    if (source->hasImage()) copy->setImageData(source->imageData());
    return copy;
}

std::string PngBytes(const QImage& image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Std(png);
}

std::string BmpBytes(TBitmap& bitmap) {
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

}  // namespace

std::string ClipboardFormatMimeType(TClipboardFormat format) {
    switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return kText;
    case CF_BITMAP:
    case CF_DIB: return kBmp;
    case CF_ENHMETAFILE: return kEmf;
    default: break;
    }
    std::string name = GetClipboardFormatName(format);
    return name.empty() ? std::string() : MimeForName(name);
}

// ---------------------------------------------------------------- the clipboard

namespace {

// Graphics reach the clipboard's bytes through the runtime.
const TClipboardDataAccess kDataAccess{
    [](TClipboardFormat format) { return Clipboard()->HasFormat(format); },
    [](TClipboardFormat format) { return Clipboard()->GetFormatData(format); },
    [](TClipboardFormat format, const std::string& bytes) { Clipboard()->SetFormatData(format, bytes); },
};
[[maybe_unused]] const bool kDataAccessInstalled = (SetClipboardDataAccess(&kDataAccess), true);

}  // namespace

struct TClipboard::Impl {
    int32_t OpenCount = 0;
    bool Written = false;  // the open session has replaced the content
    std::unique_ptr<QMimeData> Pending;

    const QMimeData* Current() const { return Pending ? Pending.get() : System()->mimeData(); }
    // The data a write goes into: fresh for the first write of a session
    // that replaces, a copy of what is there for one that adds.
    QMimeData& Target(bool replace) {
        if (!Written) {
            Pending = replace ? std::make_unique<QMimeData>() : CopyOf(System()->mimeData());
            Written = true;
        }
        return *Pending;
    }
};

TClipboard::TClipboard() : FImpl(std::make_unique<Impl>()) {}
TClipboard::~TClipboard() = default;

void TClipboard::Open() {
    System();
    if (FImpl->OpenCount++ == 0) {
        FImpl->Written = false;
        FImpl->Pending.reset();
    }
}

void TClipboard::Close() {
    if (FImpl->OpenCount == 0) throw EClipboardException(ClipboardConst::SUnbalancedClose);
    if (--FImpl->OpenCount > 0) return;
    if (FImpl->Pending) System()->setMimeData(FImpl->Pending.release());
    FImpl->Written = false;
}

bool TClipboard::IsOpen() const { return FImpl->OpenCount > 0; }

namespace {
// Open and Close around one operation, also when it fails.
struct TSession {
    explicit TSession(TClipboard& c) : Clipboard(c) { Clipboard.Open(); }
    ~TSession() {
        try {
            Clipboard.Close();
        } catch (...) {
        }
    }
    TClipboard& Clipboard;
};
}  // namespace

void TClipboard::Clear() {
    TSession s(*this);
    FImpl->Target(true);
}

bool TClipboard::HasFormat(TClipboardFormat format) const {
    const QMimeData* m = FImpl->Current();
    if (!m) return false;
    switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return m->hasText();
    case CF_BITMAP:
    case CF_DIB: return m->hasImage() || m->hasFormat(kPng) || m->hasFormat(kBmp);
    case CF_ENHMETAFILE: return m->hasFormat(kEmf);
    default: break;
    }
    std::string mime = ClipboardFormatMimeType(format);
    return !mime.empty() && m->hasFormat(Q(mime));
}

std::vector<TClipboardFormat> TClipboard::Formats() const {
    std::vector<TClipboardFormat> list;
    const QMimeData* m = FImpl->Current();
    if (!m) return list;
    for (TClipboardFormat f : {CF_TEXT, CF_BITMAP, CF_DIB, CF_UNICODETEXT, CF_ENHMETAFILE})
        if (HasFormat(f)) list.push_back(f);
    for (const QString& mime : m->formats()) {
        std::string type = mime.toStdString();
        if (type == kText || type == kPng || type == kBmp || type == kEmf || type.rfind("application/x-qt-", 0) == 0 ||
            type.rfind("text/plain;", 0) == 0)
            continue;
        list.push_back(FormatForMime(type));
    }
    return list;
}

std::string TClipboard::AsText() const {
    const QMimeData* m = FImpl->Current();
    return m && m->hasText() ? m->text().toStdString() : std::string();
}

void TClipboard::SetAsText(const std::string& text) {
    TSession s(*this);
    FImpl->Target(true).setText(Q(text));
}

void TClipboard::Assign(const TPersistent* source) {
    if (auto* picture = dynamic_cast<const TPicture*>(source)) source = picture->Graphic();
    if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        TSession s(*this);
        TBitmap copy;
        copy.Assign(bitmap);
        QMimeData& m = FImpl->Target(true);
        m.setImageData(BitmapImage(copy));
        m.setData(kPng, Bytes(PngBytes(BitmapImage(copy))));
        m.setData(kBmp, Bytes(BmpBytes(copy)));
        return;
    }
    if (auto* metafile = dynamic_cast<const TMetafile*>(source)) {
        TMetafile emf;
        emf.Assign(metafile);
        emf.SetEnhanced(true);
        TMemoryStream stream;
        emf.SaveToStream(stream);
        TBitmap bitmap(std::max(1, emf.Width()), std::max(1, emf.Height()));
        bitmap.Canvas()->Brush()->SetColor(clWhite);
        bitmap.Canvas()->FillRect({0, 0, bitmap.Width(), bitmap.Height()});
        bitmap.Canvas()->StretchDraw({0, 0, bitmap.Width(), bitmap.Height()}, &emf);
        SetMetafileBytes(std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size())),
                         &bitmap);
        return;
    }
    if (auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        // The graphic's own entry (it may add formats of its own beside it),
        // else a bitmap of it.
        auto* g = const_cast<TGraphic*>(graphic);
        TSession s(*this);
        FImpl->Target(true);
        TClipboardFormat format = 0;
        std::string data;
        HPALETTE palette;
        g->SaveToClipboardFormat(format, data, palette);
        if (format != 0) {
            SetFormatData(format, data);
        } else {
            TBitmap bitmap;
            bitmap.Assign(g);
            Assign(&bitmap);
        }
        return;
    }
    TPersistent::Assign(source);
}

void TClipboard::AssignTo(TPersistent* dest) const {
    if (auto* picture = dynamic_cast<TPicture*>(dest)) {
        // A format some graphic class registered for comes first: it says
        // more than the bitmap beside it.
        for (TClipboardFormat format : Formats()) {
            if (format < CF_FIRSTREGISTERED || !TPicture::SupportsClipboardFormat(format)) continue;
            picture->LoadFromClipboardFormat(format, GetFormatData(format), nullptr);
            return;
        }
        if (!GetBitmap(*picture->Bitmap())) picture->SetGraphic(nullptr);
        return;
    }
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        GetBitmap(*bitmap);
        return;
    }
    TPersistent::AssignTo(dest);
}

bool TClipboard::GetBitmap(TBitmap& bitmap) const {
    const QMimeData* m = FImpl->Current();
    if (!m) return false;
    // Our own BMP first: it keeps the pixel format.
    for (const char* type : {kBmp, kPng}) {
        if (!m->hasFormat(type)) continue;
        QByteArray data = m->data(type);
        try {
            TReadOnlyMemoryStream stream(data.constData(), data.size());
            bitmap.LoadFromStream(stream);
            return true;
        } catch (const Exception&) {
        }
    }
    if (m->hasImage()) {
        QImage image = qvariant_cast<QImage>(m->imageData());
        if (!image.isNull()) {
            SetBitmapImage(bitmap, image);
            return true;
        }
    }
    return false;
}

void TClipboard::SetMetafileBytes(const std::string& emf, const TBitmap* bitmap) {
    TSession s(*this);
    if (bitmap) Assign(bitmap);
    FImpl->Target(true).setData(kEmf, Bytes(emf));
}

std::string TClipboard::MetafileBytes() const {
    const QMimeData* m = FImpl->Current();
    return m && m->hasFormat(kEmf) ? Std(m->data(kEmf)) : std::string();
}

void TClipboard::SetFormatData(TClipboardFormat format, const std::string& bytes) {
    std::string mime = ClipboardFormatMimeType(format);
    if (mime.empty()) throw EClipboardException(ClipboardConst::SUnknownClipboardFormat);
    TSession s(*this);
    QMimeData& m = FImpl->Target(false);
    if (format == CF_TEXT || format == CF_UNICODETEXT) {
        m.setText(Q(std::string(bytes.c_str())));
    } else if (format == CF_BITMAP || format == CF_DIB) {
        TBitmap b;
        TReadOnlyMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
        b.LoadFromStream(stream);
        m.setImageData(BitmapImage(b));
        m.setData(kPng, Bytes(PngBytes(BitmapImage(b))));
        m.setData(kBmp, Bytes(bytes));
    } else {
        m.setData(Q(mime), Bytes(bytes));
    }
}

std::string TClipboard::GetFormatData(TClipboardFormat format) const {
    std::string mime = ClipboardFormatMimeType(format);
    if (mime.empty()) throw EClipboardException(ClipboardConst::SUnknownClipboardFormat);
    const QMimeData* m = FImpl->Current();
    if (!m) return {};
    if (format == CF_TEXT || format == CF_UNICODETEXT) {
        if (!m->hasText()) return {};
        std::string text = m->text().toStdString();
        text.push_back('\0');
        return text;
    }
    if (format == CF_BITMAP || format == CF_DIB) {
        if (m->hasFormat(kBmp)) return Std(m->data(kBmp));
        TBitmap b;
        if (!GetBitmap(b)) return {};
        return BmpBytes(b);
    }
    return m->hasFormat(Q(mime)) ? Std(m->data(Q(mime))) : std::string();
}

// ---------------------------------------------------------------- the process's clipboard

namespace {
std::unique_ptr<TClipboard>& ProcessClipboard() {
    static std::unique_ptr<TClipboard> clipboard;
    return clipboard;
}
}  // namespace

TClipboard* Clipboard() {
    auto& c = ProcessClipboard();
    if (!c) c = std::make_unique<TClipboard>();
    return c.get();
}

std::unique_ptr<TClipboard> SetClipboard(std::unique_ptr<TClipboard> clipboard) {
    std::swap(clipboard, ProcessClipboard());
    return clipboard;
}

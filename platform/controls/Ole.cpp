#include "platform/controls/Ole.h"

#include <QApplication>
#include <QObject>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <new>

#include "platform/controls/qt/ControlsQt.h"

DWORD KeyStateOf(TShiftState shift) { return static_cast<DWORD>(ShiftStateToKeys(shift)); }

// ---------------------------------------------------------------- global memory

HGLOBAL GlobalAlloc(uint32_t flags, size_t bytes) {
    try {
        return std::make_shared<std::vector<char>>(bytes, '\0');
    } catch (const std::bad_alloc&) {
        return nullptr;
    } catch (const std::length_error&) {
        return nullptr;
    }
}

size_t GlobalSize(const HGLOBAL& memory) { return memory ? memory->size() : 0; }

char* GlobalLock(const HGLOBAL& memory) { return memory && !memory->empty() ? memory->data() : nullptr; }

void GlobalUnlock(const HGLOBAL&) {}

void ReleaseStgMedium(STGMEDIUM& medium) {
    medium.hGlobal.reset();
    medium.pUnkForRelease.reset();
    medium.tymed = TYMED_NULL;
}

// ---------------------------------------------------------------- text

std::string Utf8ToUtf16Bytes(const std::string& text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    std::string out;
    out.reserve(static_cast<size_t>(s.size()) * 2);
    for (QChar c : s) {
        out += static_cast<char>(c.unicode() & 0xFF);
        out += static_cast<char>(c.unicode() >> 8);
    }
    return out;
}

std::string Utf16BytesToUtf8(const char* bytes, size_t count) {
    std::u16string units;
    units.reserve(count / 2);
    for (size_t i = 0; i + 1 < count; i += 2)
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    return StdStr(QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())));
}

// ---------------------------------------------------------------- file lists

namespace {
void PutDword(std::string& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t GetDword(const char* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    return v;
}
}  // namespace

std::string DropFilesBlock(const std::vector<std::string>& names, bool wide) {
    std::string block(kDropFilesHeaderSize, '\0');
    PutDword(block, 0, kDropFilesHeaderSize);
    PutDword(block, 16, wide ? 1 : 0);
    for (const std::string& name : names) {
        if (wide) {
            block += Utf8ToUtf16Bytes(name);
            block.append(2, '\0');
        } else {
            block += name;
            block += '\0';
        }
    }
    block.append(wide ? 2 : 1, '\0');
    return block;
}

std::vector<std::string> DropFilesNames(const char* block, size_t size) {
    std::vector<std::string> names;
    if (!block || size < kDropFilesHeaderSize) return names;
    const size_t offset = GetDword(block);
    const bool wide = GetDword(block + 16) != 0;
    size_t at = offset;
    while (at < size) {
        size_t end = at;
        if (wide) {
            while (end + 1 < size && (block[end] != 0 || block[end + 1] != 0)) end += 2;
            if (end + 1 >= size) end = size - (size - at) % 2;
        } else {
            while (end < size && block[end] != 0) ++end;
        }
        if (end == at) break;
        if (wide) {
            names.push_back(Utf16BytesToUtf8(block + at, end - at));
            at = end + 2;
        } else {
            names.push_back(DecodeFileText(std::string_view(block + at, end - at)));
            at = end + 1;
        }
    }
    return names;
}

// ---------------------------------------------------------------- enumerator

namespace {

class TFormatEnumerator : public IEnumFORMATETC {
public:
    explicit TFormatEnumerator(std::shared_ptr<const std::vector<FORMATETC>> formats, size_t at = 0)
        : FFormats(std::move(formats)), FAt(at) {}

    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override {
        ULONG n = 0;
        while (n < celt && FAt < FFormats->size()) rgelt[n++] = (*FFormats)[FAt++];
        if (pceltFetched) *pceltFetched = n;
        return n == celt ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG celt) override {
        FAt += celt;
        if (FAt <= FFormats->size()) return S_OK;
        FAt = FFormats->size();
        return S_FALSE;
    }
    HRESULT Reset() override {
        FAt = 0;
        return S_OK;
    }
    HRESULT Clone(std::shared_ptr<IEnumFORMATETC>& ppenum) override {
        ppenum = std::make_shared<TFormatEnumerator>(FFormats, FAt);
        return S_OK;
    }

private:
    std::shared_ptr<const std::vector<FORMATETC>> FFormats;
    size_t FAt;
};

}  // namespace

std::shared_ptr<IEnumFORMATETC> CreateFormatEnumerator(std::vector<FORMATETC> formats) {
    return std::make_shared<TFormatEnumerator>(std::make_shared<const std::vector<FORMATETC>>(std::move(formats)));
}

// ---------------------------------------------------------------- the drag as a data object

namespace {

TClipboardFormat RichTextFormat() { return RegisterClipboardFormat("Rich Text Format"); }

FORMATETC GlobalFormat(TClipboardFormat format) {
    FORMATETC f;
    f.cfFormat = format;
    f.tymed = TYMED_HGLOBAL;
    return f;
}

// A drag's formats, each as bytes in global memory.
class TDragDataObject : public IDataObject, public IFileListObject {
public:
    explicit TDragDataObject(const TDragData& data) {
        for (const auto& [mime, bytes] : data.Formats()) {
            if (mime == DragConst::SText) {
                Add(CF_TEXT, bytes + '\0');
                Add(CF_UNICODETEXT, Utf8ToUtf16Bytes(bytes) + std::string(2, '\0'));
            } else if (mime == DragConst::SRichText) {
                Add(RichTextFormat(), bytes + '\0');
            } else {
                if (mime == DragConst::SUriList) {
                    FFiles = data.Files();
                    if (!FFiles.empty()) Add(CF_HDROP, {});
                }
                Add(RegisterClipboardFormat(mime), bytes);
            }
        }
    }

    const std::vector<std::string>& FileList() const override { return FFiles; }

    HRESULT GetData(const FORMATETC& format, STGMEDIUM& medium) override {
        const std::string* bytes = Find(format);
        if (!bytes) return DV_E_FORMATETC;
        std::string block;
        if (format.cfFormat == CF_HDROP) {
            block = DropFilesBlock(FFiles, true);
            bytes = &block;
        }
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes->size());
        if (!memory) return E_OUTOFMEMORY;
        if (!bytes->empty()) std::memcpy(GlobalLock(memory), bytes->data(), bytes->size());
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = std::move(memory);
        medium.pUnkForRelease.reset();
        return S_OK;
    }
    HRESULT GetDataHere(const FORMATETC&, STGMEDIUM&) override { return DV_E_FORMATETC; }
    HRESULT QueryGetData(const FORMATETC& format) override { return Find(format) ? S_OK : DV_E_FORMATETC; }
    HRESULT GetCanonicalFormatEtc(const FORMATETC&, FORMATETC& out) override {
        out.ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT SetData(const FORMATETC&, STGMEDIUM&, bool) override { return E_NOTIMPL; }
    HRESULT EnumFormatEtc(DWORD direction, std::shared_ptr<IEnumFORMATETC>& ppenum) override {
        ppenum.reset();
        if (direction != DATADIR_GET) return E_NOTIMPL;
        std::vector<FORMATETC> list;
        for (const auto& entry : FEntries) list.push_back(GlobalFormat(entry.first));
        ppenum = CreateFormatEnumerator(std::move(list));
        return S_OK;
    }
    HRESULT DAdvise(const FORMATETC&, DWORD, const std::shared_ptr<IAdviseSink>&, DWORD&) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumDAdvise(std::shared_ptr<IEnumSTATDATA>& ppenum) override {
        ppenum.reset();
        return OLE_E_ADVISENOTSUPPORTED;
    }

private:
    void Add(TClipboardFormat format, std::string bytes) {
        if (format == 0) return;
        for (const auto& entry : FEntries)
            if (entry.first == format) return;
        FEntries.emplace_back(format, std::move(bytes));
    }
    const std::string* Find(const FORMATETC& format) const {
        if (format.dwAspect != DVASPECT_CONTENT || !(format.tymed & TYMED_HGLOBAL)) return nullptr;
        for (const auto& entry : FEntries)
            if (entry.first == format.cfFormat) return &entry.second;
        return nullptr;
    }
    std::vector<std::pair<TClipboardFormat, std::string>> FEntries;
    std::vector<std::string> FFiles;
};

// The bytes up to the first zero (of one or two bytes).
std::string UpToZero(const char* p, size_t n, bool wide) {
    if (!wide) return std::string(p, strnlen(p, n));
    size_t end = 0;
    while (end + 1 < n && (p[end] != 0 || p[end + 1] != 0)) end += 2;
    return std::string(p, std::min(end, n));
}

}  // namespace

std::shared_ptr<IDataObject> DataObjectOfDrag(const TDragData& data) { return std::make_shared<TDragDataObject>(data); }

const std::vector<std::string>* InProcessFileList(const IDataObject& object) {
    const auto* files = dynamic_cast<const IFileListObject*>(&object);
    return files ? &files->FileList() : nullptr;
}

TDragData DragDataOfObject(IDataObject& object) {
    TDragData data;
    std::shared_ptr<IEnumFORMATETC> formats;
    if (Failed(object.EnumFormatEtc(DATADIR_GET, formats)) || !formats) return data;
    const TClipboardFormat rtf = RichTextFormat();
    FORMATETC f;
    ULONG fetched = 0;
    std::string unicodeText;
    bool hasText = false;
    const std::vector<std::string>* files = InProcessFileList(object);
    while (formats->Next(1, &f, &fetched) == S_OK && fetched == 1) {
        if (!(f.tymed & TYMED_HGLOBAL)) continue;
        if (f.cfFormat == CF_HDROP && files) {
            data.SetFiles(*files);
            continue;
        }
        FORMATETC asked = f;
        asked.tymed = TYMED_HGLOBAL;
        STGMEDIUM medium;
        if (Failed(object.GetData(asked, medium))) continue;
        const char* p = GlobalLock(medium.hGlobal);
        const size_t n = GlobalSize(medium.hGlobal);
        if (p) {
            if (f.cfFormat == CF_TEXT) {
                data.SetText(DecodeFileText(UpToZero(p, n, false)));
                hasText = true;
            } else if (f.cfFormat == CF_UNICODETEXT) {
                std::string u = UpToZero(p, n, true);
                unicodeText = Utf16BytesToUtf8(u.data(), u.size());
            } else if (f.cfFormat == CF_HDROP) {
                data.SetFiles(DropFilesNames(p, n));
            } else if (f.cfFormat == rtf) {
                data.SetData(DragConst::SRichText, UpToZero(p, n, false));
            } else {
                std::string mime = ClipboardFormatMimeType(f.cfFormat);
                if (!mime.empty() && !data.HasFormat(mime)) data.SetData(mime, std::string(p, n));
            }
        }
        GlobalUnlock(medium.hGlobal);
        ReleaseStgMedium(medium);
    }
    if (!hasText && !unicodeText.empty()) data.SetText(unicodeText);
    return data;
}

// ---------------------------------------------------------------- drop targets

namespace {

const char* const kOleTargetName = "varsonaOleDropTarget";

// One effect the source allows.
DWORD HeldToAllowed(DWORD effect, DWORD allowed) {
    if (effect == DROPEFFECT_NONE) return DROPEFFECT_NONE;
    if (DWORD both = effect & allowed) {
        if (both & DROPEFFECT_COPY) return DROPEFFECT_COPY;
        if (both & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
        return DROPEFFECT_LINK;
    }
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
    return DROPEFFECT_NONE;
}

// Turns the drop handler calls of a window into its OLE target's calls;
// it lives with the window's widget.
class TOleDropAdapter : public QObject, public TDropHandler {
public:
    TOleDropAdapter(QWidget* widget, std::shared_ptr<IDropTarget> target) : QObject(widget), Target(std::move(target)) {
        setObjectName(kOleTargetName);
    }
    std::shared_ptr<IDropTarget> Target;

    void DragEnter(const TDragData& data, TShiftState shift, TPoint point, TDropEffect& effect) override {
        Ask(effect, [&](IDropTarget& t, DWORD& e) { t.DragEnter(DataObjectOfDrag(data), KeyStateOf(shift), point, e); });
    }
    void DragOver(TShiftState shift, TPoint point, TDropEffect& effect) override {
        Ask(effect, [&](IDropTarget& t, DWORD& e) { t.DragOver(KeyStateOf(shift), point, e); });
    }
    void DragLeave() override {
        std::shared_ptr<IDropTarget> keep = Target;
        keep->DragLeave();
    }
    void Drop(const TDragData& data, TShiftState shift, TPoint point, TDropEffect& effect) override {
        Ask(effect, [&](IDropTarget& t, DWORD& e) { t.Drop(DataObjectOfDrag(data), KeyStateOf(shift), point, e); });
    }

private:
    // Asks the target (kept alive through its call) and holds its answer to
    // the effects the source allows.
    template <class Call>
    void Ask(TDropEffect& effect, Call call) {
        const DWORD allowed = effect;
        DWORD e = effect;
        std::shared_ptr<IDropTarget> keep = Target;
        call(*keep, e);
        effect = HeldToAllowed(e, allowed);
    }
};

TOleDropAdapter* AdapterOf(const TWinControl* control) {
    QWidget* w = control ? NativeWidget(control) : nullptr;
    return w ? w->findChild<TOleDropAdapter*>(kOleTargetName, Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace

HRESULT RegisterDropTarget(TWinControl* control, std::shared_ptr<IDropTarget> target) {
    if (!control || control->Destroying() || !NativeWidget(control)) return DRAGDROP_E_INVALIDHWND;
    if (!target) return E_INVALIDARG;
    if (AdapterOf(control)) return DRAGDROP_E_ALREADYREGISTERED;
    auto* adapter = new TOleDropAdapter(NativeWidget(control), std::move(target));
    RegisterDragDrop(control, adapter);
    return S_OK;
}

HRESULT RevokeDropTarget(TWinControl* control) {
    TOleDropAdapter* adapter = AdapterOf(control);
    if (!adapter) return DRAGDROP_E_NOTREGISTERED;
    if (RegisteredDropTarget(control) == adapter) RevokeDragDrop(control);
    delete adapter;
    return S_OK;
}

std::shared_ptr<IDropTarget> RegisteredOleTarget(const TWinControl* control) {
    TOleDropAdapter* adapter = AdapterOf(control);
    return adapter ? adapter->Target : nullptr;
}

// ---------------------------------------------------------------- drag source

HRESULT DoDragDrop(const std::shared_ptr<IDataObject>& data, const std::shared_ptr<IDropSource>& source,
                   DWORD allowedEffects, DWORD& effect, TControl* sourceControl) {
    effect = DROPEFFECT_NONE;
    if (!data || !source) return E_INVALIDARG;
    // Qt's drag needs a widget to start from: the focused control's.
    if (!sourceControl) sourceControl = ControlOfWidget(QApplication::focusWidget());
    TDragData drag = DragDataOfObject(*data);
    effect = DragService().DoDragDrop(sourceControl, drag, allowedEffects);
    return effect == DROPEFFECT_NONE ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
}

#include "grid/ddintf.h"

#include <algorithm>
#include <cstring>

namespace {
bool gAcceptRTF = true;
}  // namespace

bool AcceptRTF() { return gAcceptRTF; }
void SetAcceptRTF(bool Value) { gAcceptRTF = Value; }

TClipboardFormat RichTextClipboardFormat() { return RegisterClipboardFormat("Rich Text Format"); }

// ---------------------------------------------------------------- TEnumFormats

TEnumFormats::TEnumFormats(std::shared_ptr<IDataObject> DataObject)
    : FDataObject(std::move(DataObject)), FFileNames(std::make_unique<TStringList>()) {
    if (!FDataObject || Failed(FDataObject->EnumFormatEtc(DATADIR_GET, FEnumerator)) || !FEnumerator)
        throw EAssertionFailed(DdConst::SCannotGetEnumerator);
    Reset();
}

TEnumFormats::~TEnumFormats() = default;

void TEnumFormats::Reset() {
    FValid = false;
    FCount = 0;
    FEnumerator->Reset();
}

bool TEnumFormats::Next() {
    ++FCount;
    ULONG fetched = 0;
    FValid = FEnumerator->Next(1, &FFormatEtc, &fetched) == S_OK && fetched == 1;
    return FValid;
}

bool TEnumFormats::HasFormat(TClipboardFormat Format) {
    Reset();
    while (Next())
        if (FFormatEtc.cfFormat == Format) return true;
    return false;
}

HGLOBAL TEnumFormats::GlobalData(DWORD Medium) {
    if (!FValid || !(FFormatEtc.tymed & Medium)) return nullptr;
    FORMATETC asked = FFormatEtc;
    asked.tymed = Medium;
    STGMEDIUM medium;
    if (FDataObject->GetData(asked, medium) != S_OK) return nullptr;
    return medium.hGlobal;
}

std::string TEnumFormats::GetText(TClipboardFormat Format) {
    if (!HasFormat(Format)) return {};
    HGLOBAL memory = GlobalData(TYMED_HGLOBAL);
    const char* p = GlobalLock(memory);
    if (!p) return {};
    std::string text(p, strnlen(p, GlobalSize(memory)));
    GlobalUnlock(memory);
    return DecodeFileText(text);
}

bool TEnumFormats::GetFiles() {
    FFileNames->Clear();
    const std::vector<std::string>* files =
        Valid() && FormatEtc().cfFormat == CF_HDROP ? InProcessFileList(*FDataObject) : nullptr;
    if (files) {
        for (const std::string& name : *files) FFileNames->Add(name);
        return FFileNames->Count() > 0;
    }
    HGLOBAL memory = GlobalData(TYMED_HGLOBAL);
    const char* p = GlobalLock(memory);
    if (!p) return false;
    for (const std::string& name : DropFilesNames(p, GlobalSize(memory))) FFileNames->Add(name);
    GlobalUnlock(memory);
    return FFileNames->Count() > 0;
}

// ---------------------------------------------------------------- TDropTarget

DWORD TDropTarget::DropEffect(DWORD keyState) const {
    if (FCarriesFiles) return DROPEFFECT_COPY;
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

HRESULT TDropTarget::DragEnter(const std::shared_ptr<IDataObject>& data, DWORD keyState, TPoint point,
                               DWORD& effect) {
    TEnumFormats formats(data);
    FCarriesFiles = formats.HasFiles();
    FAccepted = formats.HasText() || FCarriesFiles || (AcceptRTF() && formats.HasRTF());
    effect = FAccepted ? DropEffect(keyState) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TDropTarget::DragOver(DWORD keyState, TPoint point, DWORD& effect) {
    effect = FAccepted ? DropEffect(keyState) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT TDropTarget::DragLeave() { return S_OK; }

HRESULT TDropTarget::Drop(const std::shared_ptr<IDataObject>& data, DWORD keyState, TPoint point, DWORD& effect) {
    if (!FAccepted) {
        effect = DROPEFFECT_NONE;
        return S_OK;
    }
    TEnumFormats formats(data);
    FCarriesFiles = formats.HasFiles();
    if (AcceptRTF() && formats.HasRTF()) DropRTF(point, formats.GetRTFText());
    else if (formats.HasText()) DropText(point, formats.GetPlainText());
    if (formats.HasFiles() && formats.GetFiles()) DropFiles(point, formats.FileNames());
    effect = DropEffect(keyState);
    return S_OK;
}

// ---------------------------------------------------------------- TSourceDataObject

TSourceDataObject::TSourceDataObject(std::string TextData, std::string RTFData)
    : FTextData(std::move(TextData)), FRTFData(std::move(RTFData)) {}

HRESULT TSourceDataObject::QueryGetData(const FORMATETC& format) {
    if (format.dwAspect != DVASPECT_CONTENT || !(format.tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    for (int32_t i = 0; i < FormatCount(); ++i)
        if (TSourceEnumFormatEtc::Entry(i).cfFormat == format.cfFormat) return S_OK;
    return DV_E_FORMATETC;
}

HRESULT TSourceDataObject::GetData(const FORMATETC& format, STGMEDIUM& medium) {
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    std::string bytes;
    if (format.cfFormat == CF_TEXT) bytes = FTextData + '\0';
    else if (format.cfFormat == CF_UNICODETEXT) bytes = Utf8ToUtf16Bytes(FTextData) + std::string(2, '\0');
    else bytes = FRTFData + '\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, bytes.size());
    char* p = GlobalLock(memory);
    if (!p) return DV_E_FORMATETC;
    std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = std::move(memory);
    medium.pUnkForRelease.reset();
    return S_OK;
}

HRESULT TSourceDataObject::GetDataHere(const FORMATETC&, STGMEDIUM&) { return DV_E_FORMATETC; }

HRESULT TSourceDataObject::GetCanonicalFormatEtc(const FORMATETC&, FORMATETC& formatOut) {
    formatOut.ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT TSourceDataObject::SetData(const FORMATETC&, STGMEDIUM&, bool) { return DV_E_FORMATETC; }

HRESULT TSourceDataObject::EnumFormatEtc(DWORD direction, std::shared_ptr<IEnumFORMATETC>& ppenum) {
    if (direction != DATADIR_GET) {
        ppenum.reset();
        return E_NOTIMPL;
    }
    ppenum = std::make_shared<TSourceEnumFormatEtc>(FormatCount());
    return S_OK;
}

HRESULT TSourceDataObject::DAdvise(const FORMATETC&, DWORD, const std::shared_ptr<IAdviseSink>&, DWORD&) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TSourceDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT TSourceDataObject::EnumDAdvise(std::shared_ptr<IEnumSTATDATA>& ppenum) {
    ppenum.reset();
    return OLE_E_ADVISENOTSUPPORTED;
}

// ---------------------------------------------------------------- TSourceEnumFormatEtc

FORMATETC TSourceEnumFormatEtc::Entry(int32_t Index) {
    FORMATETC f;
    f.cfFormat = Index == 0 ? CF_TEXT : Index == 1 ? CF_UNICODETEXT : RichTextClipboardFormat();
    f.ptd = nullptr;
    f.dwAspect = DVASPECT_CONTENT;
    f.lindex = -1;
    f.tymed = TYMED_HGLOBAL;
    return f;
}

HRESULT TSourceEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) {
    ULONG written = 0;
    while (written < celt && FIndex < FFormats) rgelt[written++] = Entry(FIndex++);
    if (pceltFetched) *pceltFetched = written;
    return written == celt ? S_OK : S_FALSE;
}

HRESULT TSourceEnumFormatEtc::Skip(ULONG celt) {
    const int64_t to = static_cast<int64_t>(FIndex) + celt;
    if (to <= FFormats) {
        FIndex = static_cast<int32_t>(to);
        return S_OK;
    }
    FIndex = FFormats;
    return S_FALSE;
}

HRESULT TSourceEnumFormatEtc::Reset() {
    FIndex = 0;
    return S_OK;
}

HRESULT TSourceEnumFormatEtc::Clone(std::shared_ptr<IEnumFORMATETC>& ppenum) {
    ppenum = std::make_shared<TSourceEnumFormatEtc>(FFormats);
    return S_OK;
}

// ---------------------------------------------------------------- TDropSource

HRESULT TDropSource::QueryContinueDrag(bool escapePressed, DWORD keyState) {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (!(keyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
}

HRESULT TDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

// ---------------------------------------------------------------- StartTextDrag

HRESULT StartTextDrag(const std::string& Text, const std::string& RTF, DWORD AllowedEffects, DWORD& Effect,
                      TControl* Source) {
    auto data = std::make_shared<TSourceDataObject>(Text, RTF);
    auto source = std::make_shared<TDropSource>();
    return DoDragDrop(data, source, AllowedEffects, Effect, Source);
}

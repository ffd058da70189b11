// Drag and drop of the grid with other programs: a drop target that takes
// text, rich text and file lists and hands each to a virtual operation, a
// reader of a dropped data object, and the drag source of a text (the data
// object with its formats, their enumerator, the drop source and
// StartTextDrag).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls/Ole.h"
#include "platform/runtime/Classes.h"

namespace DdConst {
inline constexpr const char* SCannotGetEnumerator = "Cannot get the format enumerator (ddintf)";
}

// Whether a drop that offers rich text hands the rich text rather than the
// plain text; one value for the whole process, True at start (the grid's
// OleDropRTF writes it, so the last grid to set it decides for all).
bool AcceptRTF();
void SetAcceptRTF(bool Value);

// The clipboard format registered as "Rich Text Format".
TClipboardFormat RichTextClipboardFormat();

// Reads a dropped data object through its format enumerator. Lives for one
// drag event.
class TEnumFormats : public TObject {
public:
    // Raises EAssertionFailed SCannotGetEnumerator when the data object
    // gives no enumerator.
    explicit TEnumFormats(std::shared_ptr<IDataObject> DataObject);
    ~TEnumFormats() override;

    const std::shared_ptr<IDataObject>& DataObject() const { return FDataObject; }
    const std::shared_ptr<IEnumFORMATETC>& Enumerator() const { return FEnumerator; }
    // The current entry; meaningful while Valid.
    const FORMATETC& FormatEtc() const { return FFormatEtc; }
    bool Valid() const { return FValid; }
    // Entries read since the last Reset (the failed read at the end too).
    int32_t Count() const { return FCount; }
    TStringList* FileNames() const { return FFileNames.get(); }

    void Reset();
    // Reads the next entry into FormatEtc; False at the end.
    bool Next();
    // Walks from the start to the first entry of Format, which becomes the
    // current one.
    bool HasFormat(TClipboardFormat Format);
    bool HasText() { return HasFormat(CF_TEXT); }
    bool HasRTF() { return HasFormat(RichTextClipboardFormat()); }
    bool HasFiles() { return HasFormat(CF_HDROP); }
    // The memory of the current entry in Medium, or null when the entry
    // does not offer that medium or the object refuses it.
    HGLOBAL GlobalData(DWORD Medium);
    // The zero-terminated 8-bit text of Format (UTF-8, or Windows-1252
    // where it is no valid UTF-8); empty when it is not offered.
    std::string GetText(TClipboardFormat Format);
    std::string GetPlainText() { return GetText(CF_TEXT); }
    std::string GetRTFText() { return GetText(RichTextClipboardFormat()); }
    // Fills FileNames from the current entry's file list (wide or 8-bit
    // names); True when it holds at least one name.
    bool GetFiles();

private:
    std::shared_ptr<IDataObject> FDataObject;
    std::shared_ptr<IEnumFORMATETC> FEnumerator;
    FORMATETC FFormatEtc;
    bool FValid = false;
    int32_t FCount = 0;
    std::unique_ptr<TStringList> FFileNames;
};

// A window's drop target: text, rich text and file lists are accepted and
// handed to DropText, DropRTF and DropFiles, which a descendant overrides
// (they do nothing here). Ctrl held gives the copy effect, otherwise move;
// a drag that carries files always gives copy, so that the program that
// offered them never deletes a file the target only read.
class TDropTarget : public IDropTarget {
public:
    TDropTarget() = default;
    ~TDropTarget() override = default;

    HRESULT DragEnter(const std::shared_ptr<IDataObject>& data, DWORD keyState, TPoint point,
                      DWORD& effect) override;
    HRESULT DragOver(DWORD keyState, TPoint point, DWORD& effect) override;
    HRESULT DragLeave() override;
    HRESULT Drop(const std::shared_ptr<IDataObject>& data, DWORD keyState, TPoint point, DWORD& effect) override;

    // Decided at drag enter.
    bool Accepted() const { return FAccepted; }

protected:
    // Point: the drop point on the screen.
    virtual void DropText(TPoint Point, const std::string& Text) {}
    virtual void DropRTF(TPoint Point, const std::string& Text) {}
    virtual void DropFiles(TPoint Point, TStrings* Files) {}

private:
    DWORD DropEffect(DWORD keyState) const;
    bool FAccepted = false;
    bool FCarriesFiles = false;
};

// The data of a text drag: the text as CF_TEXT (UTF-8) and CF_UNICODETEXT,
// and the rich text, each in global memory. A drag without rich text
// offers none: a receiver that prefers rich text would drop nothing.
class TSourceDataObject : public IDataObject {
public:
    TSourceDataObject(std::string TextData, std::string RTFData);

    const std::string& TextData() const { return FTextData; }
    const std::string& RTFData() const { return FRTFData; }

    HRESULT GetData(const FORMATETC& format, STGMEDIUM& medium) override;
    HRESULT GetDataHere(const FORMATETC& format, STGMEDIUM& medium) override;
    HRESULT QueryGetData(const FORMATETC& format) override;
    HRESULT GetCanonicalFormatEtc(const FORMATETC& formatIn, FORMATETC& formatOut) override;
    HRESULT SetData(const FORMATETC& format, STGMEDIUM& medium, bool release) override;
    HRESULT EnumFormatEtc(DWORD direction, std::shared_ptr<IEnumFORMATETC>& ppenum) override;
    HRESULT DAdvise(const FORMATETC& format, DWORD advf, const std::shared_ptr<IAdviseSink>& sink,
                    DWORD& connection) override;
    HRESULT DUnadvise(DWORD connection) override;
    HRESULT EnumDAdvise(std::shared_ptr<IEnumSTATDATA>& ppenum) override;

private:
    int32_t FormatCount() const { return FRTFData.empty() ? 2 : 3; }
    std::string FTextData;
    std::string FRTFData;
};

// The formats of a TSourceDataObject in their order: CF_TEXT,
// CF_UNICODETEXT, rich text (the first Formats of them).
class TSourceEnumFormatEtc : public IEnumFORMATETC {
public:
    explicit TSourceEnumFormatEtc(int32_t Formats = 3) : FFormats(Formats) {}

    int32_t Index() const { return FIndex; }

    HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override;
    HRESULT Skip(ULONG celt) override;
    HRESULT Reset() override;
    HRESULT Clone(std::shared_ptr<IEnumFORMATETC>& ppenum) override;

    // Format number Index of the list.
    static FORMATETC Entry(int32_t Index);

private:
    int32_t FFormats;
    int32_t FIndex = 0;
};

class TDropSource : public IDropSource {
public:
    HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) override;
    HRESULT GiveFeedback(DWORD effect) override;
};

// Drags Text (and RTF, when not empty) with the allowed effects; Effect gets
// what the drop did. Source: the control the drag starts from (the grid).
// The result is DRAGDROP_S_DROP or DRAGDROP_S_CANCEL.
HRESULT StartTextDrag(const std::string& Text, const std::string& RTF, DWORD AllowedEffects, DWORD& Effect,
                      TControl* Source = nullptr);

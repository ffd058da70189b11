// The platform's data-transfer interfaces for drag and drop between
// programs: format descriptions, storage media in global memory, data
// objects and their format enumerators, drop targets and drop sources, and
// the calls that join them to the drags of DragDrop.h. Objects are counted
// references (std::shared_ptr); no Qt type shows here.
//
// The adapter offers a drag's MIME formats as clipboard formats: text/plain
// as CF_TEXT (UTF-8) and CF_UNICODETEXT, text/rtf as "Rich Text Format",
// text/uri-list as CF_HDROP (a file list with wide names), and every other
// MIME type as the format registered under its own name; a data object given
// to DoDragDrop goes the other way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls/Clipbrd.h"
#include "platform/controls/Controls.h"
#include "platform/controls/DragDrop.h"

using HRESULT = int32_t;
using DWORD = uint32_t;
using ULONG = uint32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
inline constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003u);
inline constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
inline constexpr HRESULT DRAGDROP_E_NOTREGISTERED = static_cast<HRESULT>(0x80040100u);
inline constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = static_cast<HRESULT>(0x80040101u);
inline constexpr HRESULT DRAGDROP_E_INVALIDHWND = static_cast<HRESULT>(0x80040102u);
inline constexpr HRESULT DRAGDROP_S_DROP = 0x00040100;
inline constexpr HRESULT DRAGDROP_S_CANCEL = 0x00040101;
inline constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = 0x00040102;

inline bool Succeeded(HRESULT hr) { return hr >= 0; }
inline bool Failed(HRESULT hr) { return hr < 0; }

// A file list (DROPFILES followed by the names).
inline constexpr TClipboardFormat CF_HDROP = 15;

inline constexpr DWORD DVASPECT_CONTENT = 1;
inline constexpr DWORD DVASPECT_THUMBNAIL = 2;
inline constexpr DWORD DVASPECT_ICON = 4;
inline constexpr DWORD DVASPECT_DOCPRINT = 8;

inline constexpr DWORD TYMED_NULL = 0;
inline constexpr DWORD TYMED_HGLOBAL = 1;
inline constexpr DWORD TYMED_FILE = 2;
inline constexpr DWORD TYMED_ISTREAM = 4;

inline constexpr DWORD DATADIR_GET = 1;
inline constexpr DWORD DATADIR_SET = 2;

// The key state of a drag: the MK_ bits of the buttons and keys held.
DWORD KeyStateOf(TShiftState shift);

// ---------------------------------------------------------------- global memory

inline constexpr uint32_t GMEM_FIXED = 0x0000;
inline constexpr uint32_t GMEM_MOVEABLE = 0x0002;
inline constexpr uint32_t GMEM_ZEROINIT = 0x0040;
inline constexpr uint32_t GMEM_DDESHARE = 0x2000;

// A block of global memory; it is freed with its last reference.
using HGLOBAL = std::shared_ptr<std::vector<char>>;
// A zero-filled block, or null when it cannot be had.
HGLOBAL GlobalAlloc(uint32_t flags, size_t bytes);
size_t GlobalSize(const HGLOBAL& memory);
// The bytes of the block (null for none); unlocking is a formality here.
char* GlobalLock(const HGLOBAL& memory);
void GlobalUnlock(const HGLOBAL& memory);

// ---------------------------------------------------------------- formats and media

struct DVTARGETDEVICE;

struct FORMATETC {
    TClipboardFormat cfFormat = 0;
    DVTARGETDEVICE* ptd = nullptr;
    DWORD dwAspect = DVASPECT_CONTENT;
    int32_t lindex = -1;
    DWORD tymed = TYMED_NULL;
};

struct STGMEDIUM {
    DWORD tymed = TYMED_NULL;
    HGLOBAL hGlobal;
    // Released with the medium instead of the memory, when set.
    std::shared_ptr<void> pUnkForRelease;
};
void ReleaseStgMedium(STGMEDIUM& medium);

class IEnumFORMATETC {
public:
    virtual ~IEnumFORMATETC() = default;
    // Writes up to celt entries into rgelt; fetched (when given) gets how
    // many. S_OK when all celt were written, S_FALSE otherwise.
    virtual HRESULT Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT Skip(ULONG celt) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(std::shared_ptr<IEnumFORMATETC>& ppenum) = 0;
};

class IAdviseSink;
class IEnumSTATDATA;

class IDataObject {
public:
    virtual ~IDataObject() = default;
    virtual HRESULT GetData(const FORMATETC& format, STGMEDIUM& medium) = 0;
    virtual HRESULT GetDataHere(const FORMATETC& format, STGMEDIUM& medium) = 0;
    virtual HRESULT QueryGetData(const FORMATETC& format) = 0;
    virtual HRESULT GetCanonicalFormatEtc(const FORMATETC& formatIn, FORMATETC& formatOut) = 0;
    virtual HRESULT SetData(const FORMATETC& format, STGMEDIUM& medium, bool release) = 0;
    virtual HRESULT EnumFormatEtc(DWORD direction, std::shared_ptr<IEnumFORMATETC>& ppenum) = 0;
    virtual HRESULT DAdvise(const FORMATETC& format, DWORD advf, const std::shared_ptr<IAdviseSink>& sink,
                            DWORD& connection) = 0;
    virtual HRESULT DUnadvise(DWORD connection) = 0;
    virtual HRESULT EnumDAdvise(std::shared_ptr<IEnumSTATDATA>& ppenum) = 0;
};

// What a window registered for drops hears. point is on the screen; effect
// comes in as the effects the source allows and goes out as the one the
// target would do.
class IDropTarget {
public:
    virtual ~IDropTarget() = default;
    virtual HRESULT DragEnter(const std::shared_ptr<IDataObject>& data, DWORD keyState, TPoint point,
                              DWORD& effect) = 0;
    virtual HRESULT DragOver(DWORD keyState, TPoint point, DWORD& effect) = 0;
    virtual HRESULT DragLeave() = 0;
    virtual HRESULT Drop(const std::shared_ptr<IDataObject>& data, DWORD keyState, TPoint point,
                         DWORD& effect) = 0;
};

class IDropSource {
public:
    virtual ~IDropSource() = default;
    virtual HRESULT QueryContinueDrag(bool escapePressed, DWORD keyState) = 0;
    virtual HRESULT GiveFeedback(DWORD effect) = 0;
};

// ---------------------------------------------------------------- file lists

// The DROPFILES block: its header (the offset of the names, the drop point,
// the non-client flag and the wide flag, 20 bytes) and the names, each
// zero-terminated, the list ended by an empty name. Names are UTF-8 here;
// wide blocks hold UTF-16, others the names' bytes.
inline constexpr uint32_t kDropFilesHeaderSize = 20;
std::string DropFilesBlock(const std::vector<std::string>& names, bool wide);
// The names of a block read back: up to the empty name or the end of the
// block, whichever comes first (a block from another program is not
// trusted); 8-bit names are UTF-8 when valid, else Windows-1252.
std::vector<std::string> DropFilesNames(const char* block, size_t size);

// A data object made in this process that carries files hands their names
// over as a list; its DROPFILES block is made only when GetData asks for it.
class IFileListObject {
public:
    virtual ~IFileListObject() = default;
    virtual const std::vector<std::string>& FileList() const = 0;
};
// The file list of a data object made in this process, or null when it is
// another kind (whose CF_HDROP block is then read).
const std::vector<std::string>* InProcessFileList(const IDataObject& object);

// UTF-8 and UTF-16 (little-endian bytes, as in global memory); invalid
// sequences become U+FFFD.
std::string Utf8ToUtf16Bytes(const std::string& text);
std::string Utf16BytesToUtf8(const char* bytes, size_t count);

// An enumerator over a fixed list of formats.
std::shared_ptr<IEnumFORMATETC> CreateFormatEnumerator(std::vector<FORMATETC> formats);

// ---------------------------------------------------------------- the drag

// The data of a drag seen as a data object (formats as described at the
// top), and a data object's formats as the data of a drag.
std::shared_ptr<IDataObject> DataObjectOfDrag(const TDragData& data);
TDragData DragDataOfObject(IDataObject& data);

// Registers target for the control's window: the drags that pass over it
// reach the target (through RegisterDragDrop of DragDrop.h). The effect a
// target answers is held to what the source allows: an effect it does not
// allow becomes copy, else move, else none. DRAGDROP_E_ALREADYREGISTERED
// when the window has an OLE target already, DRAGDROP_E_INVALIDHWND without
// a control.
HRESULT RegisterDropTarget(TWinControl* control, std::shared_ptr<IDropTarget> target);
// DRAGDROP_E_NOTREGISTERED when the window had no OLE target.
HRESULT RevokeDropTarget(TWinControl* control);
std::shared_ptr<IDropTarget> RegisteredOleTarget(const TWinControl* control);

// Runs a drag of data through the drag service (source: the control the
// drag starts from, may be null). effect gets what the drop did;
// DRAGDROP_S_DROP when it was dropped, DRAGDROP_S_CANCEL when it was
// cancelled or refused. The Qt drag watches the Escape key and the mouse
// buttons itself, by the rules of a drop source's QueryContinueDrag.
HRESULT DoDragDrop(const std::shared_ptr<IDataObject>& data, const std::shared_ptr<IDropSource>& source,
                   DWORD allowedEffects, DWORD& effect, TControl* sourceControl = nullptr);

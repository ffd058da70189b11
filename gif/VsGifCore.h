// The GIF codec: colour maps, header, frames, extensions and the image
// object, needing only the runtime room. Frames and images hold bitmaps and
// draw only through the bridge to the graphics room (gif/VsGif.h), which
// makes, copies and frees them; the pixel codec is in VsGifCodec.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "gif/VsGifConsts.h"
#include "platform/runtime/Classes.h"
#include "platform/runtime/Graphic.h"
#include "platform/runtime/Palette.h"
#include "platform/runtime/Threads.h"
#include "platform/runtime/Types.h"

class TVsGifImage;
class TVsGifSubImage;
class TVsGifHeader;
class TVsGifGraphicControlExtension;
class TCustomVsGifPainter;
class TBitmap;
struct TVsGifBridgeImpl;

// What the codec does with a bitmap it holds, given by whoever made it.
struct TVsGifBitmapOps {
    void (*Free)(TBitmap* bitmap);
    HPALETTE (*Palette)(TBitmap& bitmap);
};

template <class B>
struct TVsGifBitmapOpsFor {
    static void Free(TBitmap* bitmap) { delete static_cast<B*>(bitmap); }
    static HPALETTE Palette(TBitmap& bitmap) { return static_cast<B&>(bitmap).GetPalette(); }
    static constexpr TVsGifBitmapOps Ops{&Free, &Palette};
};

// Frees through the operations of the code that made the bitmap, so that a
// program of the codec alone links no bitmap code.
struct TVsGifBitmapDeleter {
    const TVsGifBitmapOps* Ops = nullptr;
    TVsGifBitmapDeleter() = default;
    template <class B>
    TVsGifBitmapDeleter(const std::default_delete<B>&) : Ops(&TVsGifBitmapOpsFor<B>::Ops) {}
    void operator()(TBitmap* bitmap) const {
        if (bitmap && Ops) Ops->Free(bitmap);
    }
};
using TVsGifBitmapPtr = std::unique_ptr<TBitmap, TVsGifBitmapDeleter>;
inline HPALETTE BitmapPaletteOf(const TVsGifBitmapPtr& bitmap) {
    return bitmap ? bitmap.get_deleter().Ops->Palette(*bitmap) : nullptr;
}

VARSONA_DECLARE_EXCEPTION(EVsGifError, EInvalidGraphic)

[[noreturn]] void RaiseGIFError(const std::string& message);

// "87a" or "89a"; empty for GIFVersionUnknown.
std::string GIFVersionText(TGIFVersion version);

using TGIFWarningEvent = std::function<void(TObject* Sender, uint8_t Severity, const std::string& Message)>;

using TGIFPainterEvent = std::function<void(TCustomVsGifPainter* Painter)>;

// The screen shows at most 256 colours. Never so here; a test may set it.
inline std::atomic<bool> PaletteDisplay{false};
// The pixels the frames of one image may hold together, MaxImagePixels
// unless lowered (the fuzz targets do, since a sanitizer touches every byte
// of a large buffer).
inline std::atomic<int64_t> ImagePixelLimit{MaxImagePixels};

// ---------------------------------------------------------------- byte helpers

// Exactly n bytes, else EVsGifError "Premature end of data".
void ReadExact(TStream& stream, void* buffer, int64_t n);
void WriteByte(TStream& stream, uint8_t value);
// The byte read, or 0 when none could be read.
uint8_t ReadByte(TStream& stream);
bool TryReadByte(TStream& stream, uint8_t& value);
// Each line as data sub-blocks of at most 255 bytes, then a 0 terminator.
void WriteSubBlockStrings(TStream& stream, const TStrings& strings);
// One line per sub-block, up to a 0 length byte or the end of the stream.
void ReadSubBlockStrings(TStream& stream, TStrings& strings);
// 0 for 0 colours, else the smallest b in 1..8 with 2^b >= count.
int32_t ColorCountBits(int32_t count);
// Rows padded to 32 bits.
int32_t BytesPerDIBRow(int32_t width, int32_t bitsPerPixel);
// The 216 colours of the web palette.
HPALETTE BuildWebPalette();

// ---------------------------------------------------------------- colour maps

struct TGIFColor {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
};

inline TGIFColor ColorToGIFColor(TColor color) {
    return {GetRValue(static_cast<uint32_t>(color)), GetGValue(static_cast<uint32_t>(color)),
            GetBValue(static_cast<uint32_t>(color))};
}
inline TColor GIFColorToColor(const TGIFColor& c) { return RGB(c.Red, c.Green, c.Blue); }

class TVsGifColorMap : public TPersistent {
public:
    TVsGifColorMap() = default;

    void Assign(const TPersistent* source) override;
    virtual void Warning(uint8_t severity, const std::string& message) = 0;
    // Sorts the entries by use; false when nothing could be done.
    virtual bool OptimizeEntries() = 0;
    virtual void NotifyChanged() = 0;

    // Index of color, appended when missing ("Color table overflow" past 256).
    int32_t InsertColor(TColor color);
    // Exact match or -1; sorted tables give the first, others the last.
    int32_t FindColor(TColor color) const;
    TColor EntryColor(int32_t index);
    void GrowTo(int32_t n);
    // Grows the table to count entries (at most 256), the new ones black.
    void ExtendTo(int32_t count);
    void Clear();
    void ReadEntries(TStream& stream, int32_t n);
    void WriteEntries(TStream& stream) const;
    // The entries of a palette (at most 256); none leaves the table empty.
    void LoadPalette(const HPALETTE& palette);
    // A palette of the entries (flags PC_NOCOLLAPSE); none for an empty table.
    HPALETTE MakePalette() const;
    int32_t EntryBits() const { return ColorCountBits(FCount); }
    // Sorts by use over frame's pixels and remaps them; dropUnused shortens
    // the table to the used entries.
    bool OptimizeColorMap(TVsGifSubImage* frame, bool dropUnused);

    int32_t Count() const { return FCount; }
    int32_t Capacity() const { return FCapacity; }
    bool Sorted() const { return FSorted; }
    void SetSorted(bool sorted) { FSorted = sorted; }
    const TGIFColor* Entries() const { return FEntries.get(); }
    TGIFColor Entry(int32_t index) const { return FEntries[static_cast<size_t>(index)]; }

protected:
    // Derived destructors call this while their owner still stands.
    void Release();

private:
    std::unique_ptr<TGIFColor[]> FEntries;
    int32_t FCount = 0;
    int32_t FCapacity = 0;
    bool FSorted = false;
};

class TVsGifGlobalColorMap final : public TVsGifColorMap {
public:
    explicit TVsGifGlobalColorMap(TVsGifHeader* header) : FHeader(header) {}
    ~TVsGifGlobalColorMap() override { Release(); }
    void Warning(uint8_t severity, const std::string& message) override;
    bool OptimizeEntries() override;
    void NotifyChanged() override;
    TVsGifHeader* Header() const { return FHeader; }

private:
    TVsGifHeader* FHeader;
};

class TVsGifLocalColorMap final : public TVsGifColorMap {
public:
    explicit TVsGifLocalColorMap(TVsGifSubImage* frame) : FFrame(frame) {}
    ~TVsGifLocalColorMap() override { Release(); }
    void Warning(uint8_t severity, const std::string& message) override;
    bool OptimizeEntries() override;
    void NotifyChanged() override;
    TVsGifSubImage* Frame() const { return FFrame; }

private:
    TVsGifSubImage* FFrame;
};

// ---------------------------------------------------------------- items and lists

class TVsGifItem : public TPersistent {
public:
    explicit TVsGifItem(TVsGifImage* image) : FImage(image) {}
    virtual TGIFVersion VersionNeeded() const { return GIFVersion87a; }
    virtual void Warning(uint8_t severity, const std::string& message);
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromStream(TStream& stream) = 0;
    TVsGifImage* Image() const { return FImage; }

protected:
    TVsGifImage* FImage;
};

class TVsGifList : public TPersistent {
public:
    explicit TVsGifList(TVsGifImage* image) : FImage(image) {}
    virtual void Warning(uint8_t severity, const std::string& message);
    virtual void SaveToStream(TStream& stream);
    virtual void LoadFromStream(TStream& stream) = 0;

    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    TVsGifItem* Items(int32_t index) const;
    // Takes ownership; gives the index.
    int32_t Add(TVsGifItem* item);
    // Frees the item, then removes it.
    void Delete(int32_t index);
    void Clear();
    TVsGifItem* First() const { return Items(0); }
    int32_t IndexOf(const TVsGifItem* item) const;
    TVsGifImage* Image() const { return FImage; }

protected:
    TVsGifImage* FImage;
    std::vector<std::unique_ptr<TVsGifItem>> FItems;
};

// ---------------------------------------------------------------- header

class TVsGifHeader final : public TVsGifItem {
public:
    explicit TVsGifHeader(TVsGifImage* image);
    ~TVsGifHeader() override;

    TGIFVersion VersionNeeded() const override;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

    TVsGifColorMap& ColorMap() const { return *FColorMap; }
    int32_t Width() const { return FDescriptor[0] | (FDescriptor[1] << 8); }
    void SetWidth(int32_t width);
    int32_t Height() const { return FDescriptor[2] | (FDescriptor[3] << 8); }
    void SetHeight(int32_t height);
    uint8_t PackedFields() const { return FDescriptor[4]; }
    uint8_t BackgroundColorIndex() const { return FDescriptor[5]; }
    void SetBackgroundColorIndex(uint8_t index) { FDescriptor[5] = index; }
    uint8_t AspectRatio() const { return FDescriptor[6]; }
    void SetAspectRatio(uint8_t ratio) { FDescriptor[6] = ratio; }
    TColor BackgroundColor() const;
    int32_t BitsPerPixel() const { return FColorMap->EntryBits(); }
    int32_t ColorResolution() const { return FColorMap->EntryBits() - 1; }
    // The seven logical screen descriptor bytes as in the file.
    const uint8_t* Descriptor() const { return FDescriptor; }
    // Packed byte from the colour maps of the image (global table flag,
    // colour resolution, sort flag, table size).
    void RebuildPackedByte();

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    uint8_t FDescriptor[7] = {};
    std::unique_ptr<TVsGifGlobalColorMap> FColorMap;
};

// ---------------------------------------------------------------- extensions

class TVsGifExtension;

// A class reference for the extension registries.
struct TVsGifExtensionClassInfo {
    const char* Name;
    TVsGifExtension* (*Create)(TVsGifSubImage* frame);
    // Given the stream after the label: the class that should read the block.
    const TVsGifExtensionClassInfo* (*RefineClass)(TStream& stream);
};
using TVsGifExtensionClass = const TVsGifExtensionClassInfo*;

class TVsGifExtension : public TVsGifItem {
public:
    explicit TVsGifExtension(TVsGifSubImage* frame);
    virtual uint8_t BlockLabel() const = 0;
    virtual TVsGifExtensionClass ClassType() const = 0;
    TGIFVersion VersionNeeded() const override { return GIFVersion89a; }
    // "!" and the label; derived classes add their data.
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    TVsGifSubImage* Frame() const { return FFrame; }

protected:
    TVsGifSubImage* FFrame;
};

void RegisterExtension(uint8_t label, TVsGifExtensionClass extensionClass);
TVsGifExtensionClass FindExtensionClass(uint8_t label);
// identifier: 8 bytes application identifier and 3 bytes authentication code.
void RegisterAppExtension(const std::string& identifier, TVsGifExtensionClass extensionClass);
TVsGifExtensionClass FindAppExtensionClass(const uint8_t identifier[11]);
// The class for the block after a "!" (TVsGifUnknownExtension for a label
// no class is registered for); none when the stream ends inside the block's
// head. The stream is left where it was.
TVsGifExtensionClass ResolveExtensionClass(TStream& stream);

// Read with any declared block size (its first 4 bytes count, further
// sub-blocks are skipped); always written with size 4 and the terminator.
class TVsGifGraphicControlExtension final : public TVsGifExtension {
public:
    static const TVsGifExtensionClassInfo Class;
    explicit TVsGifGraphicControlExtension(TVsGifSubImage* frame);
    ~TVsGifGraphicControlExtension() override;
    uint8_t BlockLabel() const override { return 0xF9; }
    TVsGifExtensionClass ClassType() const override { return &Class; }
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

    bool TransparentFlag() const { return (FRecord[1] & 0x01) != 0; }
    void SetTransparentFlag(bool flag);
    bool UserInputFlag() const { return (FRecord[1] & 0x02) != 0; }
    void SetUserInputFlag(bool flag);
    uint8_t TransparentIndex() const { return FRecord[4]; }
    void SetTransparentIndex(uint8_t index);
    uint16_t FrameDelay() const { return static_cast<uint16_t>(FRecord[2] | (FRecord[3] << 8)); }
    void SetFrameDelay(uint16_t delay);
    uint8_t DisposalMethod() const { return (FRecord[1] >> 2) & 7; }
    void SetDisposalMethod(uint8_t method);
    const uint8_t* Record() const { return FRecord; }

private:
    uint8_t FRecord[6] = {4, 0, 0, 0, 0, 0};
};

// A header sub-block of another size than 12 is read as far as it goes, with
// a warning; a shorter one is written back with 12, a longer one whole.
class TVsGifTextExtension final : public TVsGifExtension {
public:
    static const TVsGifExtensionClassInfo Class;
    explicit TVsGifTextExtension(TVsGifSubImage* frame) : TVsGifExtension(frame) {}
    uint8_t BlockLabel() const override { return 0x01; }
    TVsGifExtensionClass ClassType() const override { return &Class; }
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

    TStringList& Text() { return FText; }
    const TStringList& Text() const { return FText; }
    int32_t Left() const { return Word(1); }
    void SetLeft(int32_t v) { SetWord(1, v); }
    int32_t Top() const { return Word(3); }
    void SetTop(int32_t v) { SetWord(3, v); }
    int32_t GridWidth() const { return Word(5); }
    void SetGridWidth(int32_t v) { SetWord(5, v); }
    int32_t GridHeight() const { return Word(7); }
    void SetGridHeight(int32_t v) { SetWord(7, v); }
    uint8_t CharWidth() const { return FRecord[9]; }
    void SetCharWidth(uint8_t v) { FRecord[9] = v; }
    uint8_t CharHeight() const { return FRecord[10]; }
    void SetCharHeight(uint8_t v) { FRecord[10] = v; }
    uint8_t ForegroundColorIndex() const { return FRecord[11]; }
    void SetForegroundColorIndex(uint8_t v) { FRecord[11] = v; }
    uint8_t BackgroundColorIndex() const { return FRecord[12]; }
    void SetBackgroundColorIndex(uint8_t v) { FRecord[12] = v; }
    const uint8_t* Record() const { return FRecord; }
    // The header bytes after the first 12, when the block had more.
    const std::string& HeaderTail() const { return FHeaderTail; }

private:
    int32_t Word(int i) const { return FRecord[i] | (FRecord[i + 1] << 8); }
    void SetWord(int i, int32_t v) {
        FRecord[i] = static_cast<uint8_t>(v);
        FRecord[i + 1] = static_cast<uint8_t>(v >> 8);
    }
    TStringList FText;
    uint8_t FRecord[13] = {12};
    std::string FHeaderTail;
};

class TVsGifCommentExtension final : public TVsGifExtension {
public:
    static const TVsGifExtensionClassInfo Class;
    explicit TVsGifCommentExtension(TVsGifSubImage* frame) : TVsGifExtension(frame) {}
    uint8_t BlockLabel() const override { return 0xFE; }
    TVsGifExtensionClass ClassType() const override { return &Class; }
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    TStringList& Text() { return FText; }
    const TStringList& Text() const { return FText; }

private:
    TStringList FText;
};

class TVsGifApplicationExtension : public TVsGifExtension {
public:
    static const TVsGifExtensionClassInfo Class;
    explicit TVsGifApplicationExtension(TVsGifSubImage* frame) : TVsGifExtension(frame) {}
    uint8_t BlockLabel() const override { return 0xFF; }
    TVsGifExtensionClass ClassType() const override { return &Class; }
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    // The data sub-blocks after the identifier, with their terminator. This
    // class itself keeps none: it writes an empty list and skips what it reads.
    virtual void WriteAppData(TStream& stream);
    virtual void ReadAppData(TStream& stream);

    // 11 bytes: application identifier (8) and authentication code (3).
    std::string Identifier() const { return std::string(reinterpret_cast<const char*>(FIdent), 11); }
    void SetIdentifier(const std::string& identifier);
    const uint8_t* IdentifierBytes() const { return FIdent; }

protected:
    uint8_t FIdent[11] = {};
};

class TVsGifBlock final : public TObject {
public:
    TVsGifBlock(uint8_t size, const uint8_t* data) : FSize(size), FData(data, data + size) {}
    uint8_t Size() const { return FSize; }
    const uint8_t* Data() const { return FData.data(); }
    uint8_t* Data() { return FData.data(); }

private:
    uint8_t FSize;
    std::vector<uint8_t> FData;
};

// Data sub-blocks kept as they were read, written back the same.
class TVsGifBlockList final {
public:
    int32_t Count() const { return static_cast<int32_t>(FBlocks.size()); }
    const TVsGifBlock& Items(int32_t index) const { return *FBlocks.at(static_cast<size_t>(index)); }
    TVsGifBlock& Items(int32_t index) { return *FBlocks.at(static_cast<size_t>(index)); }
    // An empty block is not kept: it would read back as the terminator.
    void Add(const uint8_t* data, uint8_t size);
    void Insert(int32_t index, const uint8_t* data, uint8_t size);
    void Clear() { FBlocks.clear(); }
    // Blocks up to a 0 length byte or the end of the stream; a block cut
    // short raises "Premature end of data".
    void LoadFromStream(TStream& stream);
    // Each block with its length byte, then the 0 terminator.
    void SaveToStream(TStream& stream) const;

private:
    std::vector<std::unique_ptr<TVsGifBlock>> FBlocks;
};

class TVsGifUnknownAppExtension final : public TVsGifApplicationExtension {
public:
    static const TVsGifExtensionClassInfo Class;
    explicit TVsGifUnknownAppExtension(TVsGifSubImage* frame) : TVsGifApplicationExtension(frame) {}
    TVsGifExtensionClass ClassType() const override { return &Class; }
    void WriteAppData(TStream& stream) override;
    void ReadAppData(TStream& stream) override;
    TVsGifBlockList& DataBlocks() { return FBlocks; }
    const TVsGifBlockList& DataBlocks() const { return FBlocks; }

private:
    TVsGifBlockList FBlocks;
};

// The looping extension. Its loop sub-block (ID 1) holds the count; other
// sub-blocks (the buffering one, ID 2, or any other) are kept as they are.
class TVsGifAppExtNSLoop final : public TVsGifApplicationExtension {
public:
    static const TVsGifExtensionClassInfo Class;
    explicit TVsGifAppExtNSLoop(TVsGifSubImage* frame);
    TVsGifExtensionClass ClassType() const override { return &Class; }
    void WriteAppData(TStream& stream) override;
    void ReadAppData(TStream& stream) override;
    // 0 repeats for ever; also 0 without a loop sub-block.
    uint16_t Loops() const;
    // Adds a loop sub-block first when there is none.
    void SetLoops(uint16_t loops);
    bool HasLoopBlock() const { return LoopBlock() >= 0; }
    const TVsGifBlockList& DataBlocks() const { return FBlocks; }

private:
    int32_t LoopBlock() const;
    TVsGifBlockList FBlocks;
};

// An extension of a label no class is registered for: its label and data
// sub-blocks are kept and written back as they were.
class TVsGifUnknownExtension final : public TVsGifExtension {
public:
    static const TVsGifExtensionClassInfo Class;
    explicit TVsGifUnknownExtension(TVsGifSubImage* frame) : TVsGifExtension(frame) {}
    uint8_t BlockLabel() const override { return FLabel; }
    void SetBlockLabel(uint8_t label) { FLabel = label; }
    TVsGifExtensionClass ClassType() const override { return &Class; }
    void SaveToStream(TStream& stream) override;
    // Warns "Unknown extension type".
    void LoadFromStream(TStream& stream) override;
    TVsGifBlockList& DataBlocks() { return FBlocks; }
    const TVsGifBlockList& DataBlocks() const { return FBlocks; }

private:
    uint8_t FLabel = 0;
    TVsGifBlockList FBlocks;
};

// ---------------------------------------------------------------- frames

class TVsGifExtensionList final : public TVsGifList {
public:
    explicit TVsGifExtensionList(TVsGifSubImage* frame);
    ~TVsGifExtensionList() override { Clear(); }
    void LoadFromStream(TStream& stream) override;
    TVsGifExtension* Extensions(int32_t index) const { return static_cast<TVsGifExtension*>(Items(index)); }
    TVsGifSubImage* Frame() const { return FFrame; }

private:
    TVsGifSubImage* FFrame;
};

class TVsGifSubImage final : public TVsGifItem {
public:
    explicit TVsGifSubImage(TVsGifImage* image);
    ~TVsGifSubImage() override;

    // From another frame, or from a bitmap: 1, 4 and 8 bits per pixel with
    // their colour table, the device format colour by colour into the local
    // map ("Color table overflow" past 256 colours), deeper formats reduced
    // first with the image's reduction mode, bits and dither method.
    void Assign(const TPersistent* source) override;
    TGIFVersion VersionNeeded() const override;
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
    virtual void LoadFromFile(const std::string& path);

    void ResetFrame();
    bool IsEmpty() const;
    // Descriptor fields: 1 left, 2 top, 3 width, 4 height.
    int32_t DescriptorValue(int index) const;
    void SetDescriptorValue(int index, int32_t value);
    int32_t Left() const { return DescriptorValue(1); }
    void SetLeft(int32_t v) { SetDescriptorValue(1, v); }
    int32_t Top() const { return DescriptorValue(2); }
    void SetTop(int32_t v) { SetDescriptorValue(2, v); }
    int32_t Width() const { return DescriptorValue(3); }
    void SetWidth(int32_t v) { SetDescriptorValue(3, v); }
    int32_t Height() const { return DescriptorValue(4); }
    void SetHeight(int32_t v) { SetDescriptorValue(4, v); }
    bool Interlaced() const { return (FDescriptor[9] & 0x40) != 0; }
    void SetInterlaced(bool interlaced);
    uint8_t PackedFields() const { return FDescriptor[9]; }
    const uint8_t* Descriptor() const { return FDescriptor; }
    void RebuildPackedByte();

    int32_t ColorResolution() const { return FColorMap->EntryBits() - 1; }
    int32_t BitsPerPixel() const { return FColorMap->EntryBits(); }
    TVsGifColorMap& ColorMap() const { return *FColorMap; }
    // The local map when it has entries, else the global one when that has
    // entries, else the empty local map.
    TVsGifColorMap& EffectiveColorMap() const;

    // Width x height bytes, zeroed; "Image too large" when the frames of the
    // image would hold more than ImagePixelLimit together.
    void AllocatePixels();
    uint8_t* Data() {
        RealizeFill();
        return FPixels.get();
    }
    const uint8_t* Data() const {
        RealizeFill();
        return FPixels.get();
    }
    int64_t DataSize() const { return FPixelsSize; }
    uint8_t* Scanline(int32_t row) { return Data() + static_cast<int64_t>(row) * Width(); }
    uint8_t Pixels(int32_t x, int32_t y) const { return Data()[static_cast<int64_t>(y) * Width() + x]; }
    // The pixels from decoding-order index decoded on (the image data ended
    // there) take fill. It is written when the pixels are first asked for, so
    // a large frame cut short costs memory only once it is used; the first
    // request from any thread writes it, and the others wait for it.
    void FillFrom(int64_t decoded, uint8_t fill);

    // The bitmap the frame is drawn from, built from the pixels on first use:
    // 8 bits with the frame's palette, or dithered to the web palette when
    // the image UsesWebPalette; with the mask of the transparent pixels.
    // None for an empty frame.
    TBitmap* FrameBitmap();
    // Whether a frame bitmap is built; any thread may ask.
    bool HasBitmap() const { return FHasBitmap.load(std::memory_order_acquire); }
    void ReleaseBitmap();
    // Releases the bitmap and makes an empty one.
    TBitmap* NewBitmap();
    void ReleaseMask();
    // Builds the bitmap again when the mask is stale and the frame is
    // transparent; whether there is a mask (1 bits: transparent pixels).
    bool MaskReady();
    TBitmap* Mask() const { return FMask.get(); }
    HPALETTE GetPalette();
    void SetPalette(HPALETTE palette);
    // The frame's place in the logical screen, stretched over rect.
    TRect MapFrameRect(const TRect& rect) const;
    // Stretched over the frame's place in rect, or tiled from rect's corner
    // at its own size a logical screen apart; transparent draws through the
    // mask, keeping the canvas under transparent pixels.
    void DrawFrame(TCanvas& canvas, const TRect& rect, bool tile, bool transparent);

    TVsGifExtensionList& Extensions() const { return *FExtensions; }
    bool Transparent() const { return FTransparent; }
    TVsGifGraphicControlExtension* GraphicControlExtension() const { return FGraphicControl; }

    // Called by the extensions and the colour map.
    void SetTransparent(bool transparent) {
        if (transparent != FTransparent) FMaskStale = true;
        FTransparent = transparent;
    }
    void SetGraphicControlExtension(TVsGifGraphicControlExtension* extension) { FGraphicControl = extension; }
    void PaletteChanged();

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    struct FreeDeleter {
        void operator()(uint8_t* p) const;
    };
    // A fill not yet written, with the layout the pixels were decoded in.
    struct TPendingFill {
        int64_t From = -1;  // none
        uint8_t Value = 0;
        int32_t Width = 0;
        int32_t Height = 0;
        bool Interlaced = false;
    };
    void FreePixels();
    void RealizeFill() const {
        if (FFillPending.load(std::memory_order_acquire)) WritePendingFill();
    }
    void WritePendingFill() const;
    void AssignBitmap(const TBitmap& source);
    // The palette the frame bitmap is made with.
    HPALETTE DrawingPalette();
    void BuildBitmap(bool webDither);
    void SetBitmap(TVsGifBitmapPtr bitmap);
    // The bridge's parts of Assign and AssignTo; whether they took the object.
    bool BridgeAssign(const TPersistent* source);
    bool BridgeAssignTo(TPersistent* dest) const;
    void CopyBitmapFrom(const TVsGifSubImage& frame);
    friend struct TVsGifBridgeImpl;

    std::unique_ptr<uint8_t, FreeDeleter> FPixels;
    int64_t FPixelsSize = 0;
    mutable TPendingFill FPendingFill;
    mutable std::atomic<bool> FFillPending{false};
    TVsGifBitmapPtr FBitmap;
    std::atomic<bool> FHasBitmap{false};
    TVsGifBitmapPtr FMask;
    bool FMaskStale = true;
    HPALETTE FPalette;
    std::unique_ptr<TVsGifLocalColorMap> FColorMap;
    uint8_t FDescriptor[10] = {GIFImageSeparator};
    std::unique_ptr<TVsGifExtensionList> FExtensions;
    bool FTransparent = false;
    TVsGifGraphicControlExtension* FGraphicControl = nullptr;
};

class TVsGifImageList final : public TVsGifList {
public:
    explicit TVsGifImageList(TVsGifImage* image) : TVsGifList(image) {}
    ~TVsGifImageList() override { Clear(); }
    void SaveToStream(TStream& stream) override;
    // The block sequence between header and trailer.
    void LoadFromStream(TStream& stream) override;
    TVsGifSubImage* SubImages(int32_t index) const { return static_cast<TVsGifSubImage*>(Items(index)); }
};

class TVsGifTrailer final : public TVsGifItem {
public:
    explicit TVsGifTrailer(TVsGifImage* image) : TVsGifItem(image) {}
    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
};

// ---------------------------------------------------------------- image

// ---------------------------------------------------------------- painter seam

// One animation of an image on one canvas and rectangle: the animation
// painter derives from this, and the image knows painters only through it.
// A painter is made suspended by the factory StartPainter uses; it stores
// itself in the reference it was given and clears it (under the image's
// painter list lock, through PainterEnded) when it ends. All of it but Stop,
// Stopped and Painted belongs to the user interface thread.
class TCustomVsGifPainter {
public:
    virtual ~TCustomVsGifPainter() = default;
    virtual TCanvas* Canvas() const = 0;
    virtual TRect Rect() const = 0;
    // Runs on a thread of its own and frees itself when it ends.
    virtual bool InThread() const = 0;
    // Starts a painter on its own thread; the others do nothing.
    virtual void Resume() = 0;
    virtual void SetPriority(uint8_t priority) = 0;
    // A painter without a thread of its own: runs the animation to its end
    // on the calling thread and frees itself; what it kept of an exception
    // is raised here.
    virtual void Run() = 0;
    // Asks the painter to stop at its next check; any thread.
    virtual void Stop() = 0;
    // It was told to stop or has ended; any thread.
    virtual bool Stopped() const = 0;
    // It has drawn its first frame; any thread.
    virtual bool Painted() const = 0;
    // The image is going: the painter must not touch it again.
    virtual void Detach() = 0;
    // One of its calls to the user interface thread is running, and the
    // caller is inside it (a handler, or a paint's progress): the painter
    // cannot end before that returns, so it is not waited for.
    virtual bool InCall() const { return false; }
};

// Makes a suspended painter of image for canvas, rect and options that keeps
// reference up to date, and copies the image's painter handlers into it.
using TVsGifPainterFactory = std::function<TCustomVsGifPainter*(
    TVsGifImage& image, TCanvas& canvas, const TRect& rect, TGIFPaintOptions options,
    TCustomVsGifPainter** reference)>;
// The animation painter is installed from the start; without a factory an
// animated image draws its composed first frame.
// Gives the factory it replaces.
TVsGifPainterFactory SetVsGifPainterFactory(TVsGifPainterFactory factory);
bool HasVsGifPainterFactory();

// ---------------------------------------------------------------- bridge seam

// The bridge to the graphics room (bitmaps, drawing, the picture registry
// and the clipboard) installs itself in every program that includes
// gif/VsGif.h. Without it an image loads, saves and holds its pixels, takes
// only GIF sources and draws nothing.
struct TVsGifBridge {
    // InitVsGif: an image calls it when it is made.
    void (*Start)();
    bool (*ImageAssign)(TVsGifImage& image, const TPersistent* source);
    bool (*ImageAssignTo)(const TVsGifImage& image, TPersistent* dest);
    void (*ImageDraw)(TVsGifImage& image, TCanvas& canvas, const TRect& rect);
    void (*ImageSaveToClipboardFormat)(TVsGifImage& image, TClipboardFormat& format, std::string& data,
                                       HPALETTE& palette);
    void (*ImageLoadFromClipboardFormat)(TVsGifImage& image, TClipboardFormat format, const std::string& data,
                                         const HPALETTE& palette);
    // A new frame of image made from source, or none when it is no bitmap.
    TVsGifSubImage* (*FrameFrom)(TVsGifImage& image, TPersistent* source);
    bool (*FrameAssign)(TVsGifSubImage& frame, const TPersistent* source);
    bool (*FrameAssignTo)(const TVsGifSubImage& frame, TPersistent* dest);
    void (*FrameCopyBitmap)(TVsGifSubImage& to, const TVsGifSubImage& from);
};
void SetVsGifBridge(const TVsGifBridge* bridge);
const TVsGifBridge* VsGifBridge();

// ---------------------------------------------------------------- image

class TVsGifImage : public TGraphic {
public:
    TVsGifImage();
    ~TVsGifImage() override;

    // From another GIF (frames, header and most options; the copy reports
    // through the source's handlers while it runs), a bitmap (one frame) or
    // another graphic (through a bitmap).
    void Assign(const TPersistent* source) override;
    // One frame, or without Animate frame 0, straight on the canvas;
    // several frames as the composed bitmap, or through a painter.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    bool Empty() const override { return FImages->Count() == 0; }
    int32_t Width() const override { return FHeader->Width(); }
    int32_t Height() const override { return FHeader->Height(); }
    void SetWidth(int32_t width) override;
    void SetHeight(int32_t height) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    // "No global or local color table defined" when asked again while it is
    // worked out (neither the image nor frame 0 has a colour table).
    HPALETTE GetPalette() override;
    void SetPalette(HPALETTE palette) override;
    // The composed bitmap as CF_BITMAP, and the GIF itself put on the
    // clipboard as "GIF Image".
    void SaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette) override;
    // The clipboard's "GIF Image" when there is one, else a bitmap of format.
    void LoadFromClipboardFormat(TClipboardFormat format, const std::string& data, const HPALETTE& palette) override;
    virtual void Warning(TObject* sender, uint8_t severity, const std::string& message);

    // True only for this very object.
    bool Equals(const TVsGifImage* other) const { return other == this; }
    void Clear();
    TGIFVersion VersionNeeded() const;
    int32_t MaxColorResolution() const;
    int32_t MaxBitsPerPixel() const;
    // Appends a frame made for this image (ownership passes), a copy of
    // another image's frame, or a frame made from a bitmap; anything else
    // raises "Object type not supported for operation". Grows the logical
    // screen to hold the frame.
    int32_t AddFrame(TPersistent* source);

    TVsGifImageList& Images() const { return *FImages; }
    TVsGifHeader& Header() const { return *FHeader; }
    TVsGifColorMap& GlobalColorMap() const { return FHeader->ColorMap(); }
    TVsGifSubImage* SubImage(int32_t index) const { return FImages->SubImages(index); }
    int32_t FrameCount() const { return FImages->Count(); }
    // Pixels held by all frames but except.
    int64_t PixelCount(const TVsGifSubImage* except = nullptr) const;
    std::string Version() const { return GIFVersionText(VersionNeeded()); }

    // Frames dither their bitmaps to the web palette.
    bool UsesWebPalette() const;
    // Frame 0 on the logical screen; none for an empty image.
    TBitmap* ComposedBitmap();
    // The composed bitmap, or a new one of the screen's size with nothing drawn.
    TBitmap* NewComposedBitmap();
    void ReleaseComposedBitmap();

    // Painters. StartPainter gives the painter to resume, or none when it
    // ran to its end here (or none could be made).
    TCustomVsGifPainter* StartPainter(TCustomVsGifPainter*& reference, TCanvas& canvas, TGIFPaintOptions options,
                                      const TRect& rect);
    void StopPainters();
    void StopOwnPainter();
    // Every live painter of the image (TCustomVsGifPainter*), behind the
    // lock that also guards the own painter.
    TThreadList& Painters() { return FPainters; }
    TCustomVsGifPainter* OwnPainter() const { return FOwnPainter; }
    // A painter's end: it leaves the list, and the own painter when it is that.
    void PainterEnded(TCustomVsGifPainter* painter);

    TGIFPaintOptions PaintOptions() const { return FPaintOptions; }
    void SetPaintOptions(TGIFPaintOptions options) { FPaintOptions = options; }
    uint8_t ReductionMode() const { return FReductionMode; }
    void SetReductionMode(uint8_t mode) { FReductionMode = mode; }
    int32_t ReductionBits() const { return FReductionBits; }
    void SetReductionBits(int32_t bits) { FReductionBits = bits; }
    uint8_t DitherMethod() const { return FDitherMethod; }
    void SetDitherMethod(uint8_t method) { FDitherMethod = method; }
    uint8_t EncoderChoice() const { return FEncoderChoice; }
    void SetEncoderChoice(uint8_t choice) { FEncoderChoice = choice; }
    uint8_t PainterPriority() const { return FPainterPriority; }
    void SetPainterPriority(uint8_t priority) { FPainterPriority = priority; }
    int32_t Speed() const { return FSpeed; }
    void SetSpeed(int32_t speed) { FSpeed = speed; }
    TColor BackgroundColor() const { return FBackgroundColor; }
    void SetBackgroundColor(TColor color) { FBackgroundColor = color; }

    TGIFWarningEvent OnGIFWarning;
    TGIFPainterEvent OnAnimationStart;
    TGIFPainterEvent OnFramePaint;
    TGIFPainterEvent OnAnimationRepeat;
    TGIFPainterEvent OnAnimationEnd;

    // Progress of loading, saving, copying, converting and rendering; public
    // so that frames and lists report through it.
    using TGraphic::Progress;
    // The global colour map changed: cached palette data is stale.
    void PaletteChanged();
    // Public so that frames can signal through it.
    void Changed() override { TGraphic::Changed(); }

protected:
    // A TBitmap gets the composed bitmap.
    void AssignTo(TPersistent* dest) const override;

private:
    void GrowScreenToFrames();
    void CoverColorIndices();
    void DrawComposed(TCanvas& canvas, const TRect& rect);
    // The bridge's parts of the graphic's functions.
    bool BridgeAssign(const TPersistent* source);
    bool BridgeAssignTo(TPersistent* dest) const;
    void BridgeDraw(TCanvas& canvas, const TRect& rect);
    void BridgeSaveToClipboardFormat(TClipboardFormat& format, std::string& data, HPALETTE& palette);
    void BridgeLoadFromClipboardFormat(TClipboardFormat format, const std::string& data, const HPALETTE& palette);
    friend struct TVsGifBridgeImpl;

    std::unique_ptr<TVsGifImageList> FImages;
    std::unique_ptr<TVsGifHeader> FHeader;
    bool FDrawing = false;
    bool FPaletteFlag = false;
    HPALETTE FPalette;
    TThreadList FPainters;
    TCustomVsGifPainter* FOwnPainter = nullptr;
    TVsGifBitmapPtr FComposed;
    TGIFPaintOptions FPaintOptions = DefaultPaintOptions;
    uint8_t FReductionMode = DefaultReductionMode;
    int32_t FReductionBits = DefaultReductionBits;
    uint8_t FDitherMethod = DefaultDitherMethod;
    uint8_t FEncoderChoice = DefaultEncoderChoice;
    uint8_t FPainterPriority = DefaultPainterPriority;
    int32_t FSpeed = DefaultSpeedPercent;
    TColor FBackgroundColor = clNone;
    // Expires when the image goes: code that ran a painter on its thread
    // asks it before it touches the image again.
    std::shared_ptr<const bool> FAlive = std::make_shared<const bool>(true);
};

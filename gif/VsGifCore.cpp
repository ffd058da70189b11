// Errors, byte helpers, colour maps, the item and list bases and the header.
#include <algorithm>
#include <cstring>

#include "gif/VsGifCore.h"

void RaiseGIFError(const std::string& message) { throw EVsGifError(message); }

std::string GIFVersionText(TGIFVersion version) {
    if (version < GIFVersion87a || version > GIFVersion89a) return {};
    return std::string(GIFVersionTexts + 3 * (version - 1), 3);
}

// ---------------------------------------------------------------- byte helpers

void ReadExact(TStream& stream, void* buffer, int64_t n) {
    if (n <= 0) return;
    if (stream.Read(buffer, n) != n) RaiseGIFError(GifMsg::SPrematureEnd);
}

void WriteByte(TStream& stream, uint8_t value) { stream.WriteBuffer(&value, 1); }

uint8_t ReadByte(TStream& stream) {
    uint8_t value = 0;
    stream.Read(&value, 1);
    return value;
}

bool TryReadByte(TStream& stream, uint8_t& value) { return stream.Read(&value, 1) == 1; }

void WriteSubBlockStrings(TStream& stream, const TStrings& strings) {
    for (int32_t i = 0; i < strings.Count(); ++i) {
        std::string line = strings.Get(i);
        size_t pos = 0;
        while (pos < line.size()) {
            size_t n = std::min<size_t>(255, line.size() - pos);
            WriteByte(stream, static_cast<uint8_t>(n));
            stream.WriteBuffer(line.data() + pos, static_cast<int64_t>(n));
            pos += n;
        }
    }
    WriteByte(stream, 0);
}

void ReadSubBlockStrings(TStream& stream, TStrings& strings) {
    strings.Clear();
    uint8_t size = 0;
    while (TryReadByte(stream, size) && size != 0) {
        std::string line(size, '\0');
        ReadExact(stream, line.data(), size);
        strings.Add(line);
    }
}

int32_t ColorCountBits(int32_t count) {
    if (count <= 0) return 0;
    for (int32_t b = 1; b <= 8; ++b)
        if ((1 << b) >= count) return b;
    return 8;
}

int32_t BytesPerDIBRow(int32_t width, int32_t bitsPerPixel) {
    int64_t bits = static_cast<int64_t>(width) * bitsPerPixel + 31;
    return static_cast<int32_t>((bits & ~int64_t(31)) / 8);
}

// ---------------------------------------------------------------- colour maps

void TVsGifColorMap::Assign(const TPersistent* source) {
    if (auto* map = dynamic_cast<const TVsGifColorMap*>(source)) {
        if (map == this) return;
        FEntries.reset();
        if (map->FCapacity > 0) {
            FEntries = std::make_unique<TGIFColor[]>(static_cast<size_t>(map->FCapacity));
            std::memcpy(FEntries.get(), map->FEntries.get(), sizeof(TGIFColor) * static_cast<size_t>(map->FCount));
        }
        FCapacity = map->FCapacity;
        FCount = map->FCount;
        FSorted = map->FSorted;
        NotifyChanged();
        return;
    }
    TPersistent::Assign(source);
}

int32_t TVsGifColorMap::InsertColor(TColor color) {
    int32_t index = FindColor(color);
    if (index >= 0) return index;
    if (FCount > 255) RaiseGIFError(GifMsg::SColorTableOverflow);
    GrowTo(FCount + 1);
    FEntries[static_cast<size_t>(FCount)] = ColorToGIFColor(color);
    FSorted = false;
    index = FCount++;
    NotifyChanged();
    return index;
}

int32_t TVsGifColorMap::FindColor(TColor color) const {
    TGIFColor c = ColorToGIFColor(color);
    auto same = [&](int32_t i) {
        const TGIFColor& e = FEntries[static_cast<size_t>(i)];
        return e.Red == c.Red && e.Green == c.Green && e.Blue == c.Blue;
    };
    if (FSorted) {
        for (int32_t i = 0; i < FCount; ++i)
            if (same(i)) return i;
    } else {
        for (int32_t i = FCount - 1; i >= 0; --i)
            if (same(i)) return i;
    }
    return -1;
}

TColor TVsGifColorMap::EntryColor(int32_t index) {
    if (index < 0 || index >= FCount) {
        Warning(1, GifMsg::SInvalidColorIndex);
        if (FCount == 0) RaiseGIFError(GifMsg::SColorTableEmpty);
        index = 0;
    }
    return GIFColorToColor(FEntries[static_cast<size_t>(index)]);
}

void TVsGifColorMap::GrowTo(int32_t n) {
    if (n < FCapacity) return;
    int32_t capacity = n <= 16 ? 16 : (n + 31) / 32 * 32;
    capacity = std::min(capacity, 256);
    if (capacity == FCapacity) return;
    auto entries = std::make_unique<TGIFColor[]>(static_cast<size_t>(capacity));
    if (FEntries) std::memcpy(entries.get(), FEntries.get(), sizeof(TGIFColor) * static_cast<size_t>(FCount));
    FEntries = std::move(entries);
    FCapacity = capacity;
}

void TVsGifColorMap::ExtendTo(int32_t count) {
    count = std::min(count, 256);
    if (count <= FCount) return;
    GrowTo(count);
    for (int32_t i = FCount; i < count; ++i) FEntries[static_cast<size_t>(i)] = {};
    FCount = count;
    FSorted = false;
    NotifyChanged();
}

void TVsGifColorMap::Clear() {
    FEntries.reset();
    FCount = 0;
    FCapacity = 0;
    FSorted = false;
}

void TVsGifColorMap::Release() {
    Clear();
    NotifyChanged();
}

void TVsGifColorMap::ReadEntries(TStream& stream, int32_t n) {
    Clear();
    n = std::clamp(n, 0, 256);
    GrowTo(n);
    if (n > 0) ReadExact(stream, FEntries.get(), 3 * n);
    FCount = n;
}

void TVsGifColorMap::WriteEntries(TStream& stream) const {
    if (FCount == 0) return;
    uint8_t table[256 * 3] = {};
    std::memcpy(table, FEntries.get(), 3 * static_cast<size_t>(FCount));
    stream.WriteBuffer(table, 3 * (int64_t(1) << EntryBits()));
}

void TVsGifColorMap::LoadPalette(const HPALETTE& palette) {
    Clear();
    const int32_t n = std::min(PaletteEntryCount(palette), 256);
    if (n == 0) return;
    GrowTo(n);
    for (int32_t i = 0; i < n; ++i) {
        const TPaletteEntry& e = palette->Entries()[static_cast<size_t>(i)];
        FEntries[static_cast<size_t>(i)] = {e.peRed, e.peGreen, e.peBlue};
    }
    FCount = n;
    NotifyChanged();
}

HPALETTE TVsGifColorMap::MakePalette() const {
    if (FCount == 0) return nullptr;
    std::vector<TPaletteEntry> entries(static_cast<size_t>(FCount));
    for (int32_t i = 0; i < FCount; ++i) {
        const TGIFColor& c = FEntries[static_cast<size_t>(i)];
        entries[static_cast<size_t>(i)] = {c.Red, c.Green, c.Blue, PC_NOCOLLAPSE};
    }
    return CreatePalette(std::move(entries));
}

bool TVsGifColorMap::OptimizeColorMap(TVsGifSubImage* frame, bool dropUnused) {
    if (FCount <= 1) return false;
    FSorted = true;
    struct Use {
        int64_t Count;
        int32_t Index;
    };
    Use use[256];
    for (int32_t i = 0; i < 256; ++i) use[i] = {0, i};
    if (frame && frame->Data()) {
        const uint8_t* p = frame->Data();
        for (int64_t i = 0, n = frame->DataSize(); i < n; ++i) use[p[i]].Count++;
    }
    // Highest use first; ties end in whatever order the partitioning leaves.
    std::function<void(int32_t, int32_t)> sort = [&](int32_t low, int32_t high) {
        while (low < high) {
            int32_t i = low, j = high;
            int64_t pivot = use[(low + high) / 2].Count;
            do {
                while (use[i].Count > pivot) ++i;
                while (use[j].Count < pivot) --j;
                if (i <= j) {
                    std::swap(use[i], use[j]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (low < j) sort(low, j);
            low = i;
        }
    };
    sort(0, FCount - 1);
    bool moved = false;
    for (int32_t k = 0; k < FCount; ++k)
        if (use[k].Index != k) moved = true;
    if (!moved) return true;
    uint8_t remap[256];
    for (int32_t k = 0; k < 256; ++k) remap[k] = static_cast<uint8_t>(k);
    for (int32_t k = 0; k < FCount; ++k) remap[use[k].Index] = static_cast<uint8_t>(k);
    if (frame && frame->Data()) {
        uint8_t* p = frame->Data();
        for (int64_t i = 0, n = frame->DataSize(); i < n; ++i) p[i] = remap[p[i]];
        if (frame->Transparent() && frame->GraphicControlExtension()) {
            TVsGifGraphicControlExtension* gce = frame->GraphicControlExtension();
            gce->SetTransparentIndex(remap[gce->TransparentIndex()]);
        }
    }
    std::vector<TGIFColor> old(FEntries.get(), FEntries.get() + FCount);
    for (int32_t k = 0; k < FCount; ++k) FEntries[static_cast<size_t>(k)] = old[static_cast<size_t>(use[k].Index)];
    if (dropUnused) {
        for (int32_t k = 0; k < FCount; ++k)
            if (use[k].Count == 0) {
                FCount = k;
                break;
            }
    }
    NotifyChanged();
    return true;
}

void TVsGifGlobalColorMap::Warning(uint8_t severity, const std::string& message) {
    if (FHeader && FHeader->Image()) FHeader->Image()->Warning(this, severity, message);
}

bool TVsGifGlobalColorMap::OptimizeEntries() {
    TVsGifImage* image = FHeader ? FHeader->Image() : nullptr;
    if (!image || image->FrameCount() == 0) return false;
    return OptimizeColorMap(image->SubImage(0), image->FrameCount() == 1);
}

void TVsGifGlobalColorMap::NotifyChanged() {
    if (FHeader && FHeader->Image()) FHeader->Image()->PaletteChanged();
}

void TVsGifLocalColorMap::Warning(uint8_t severity, const std::string& message) {
    if (FFrame && FFrame->Image()) FFrame->Image()->Warning(this, severity, message);
}

bool TVsGifLocalColorMap::OptimizeEntries() { return OptimizeColorMap(FFrame, true); }

void TVsGifLocalColorMap::NotifyChanged() {
    if (FFrame) FFrame->PaletteChanged();
}

// ---------------------------------------------------------------- items and lists

void TVsGifItem::Warning(uint8_t severity, const std::string& message) {
    if (FImage) FImage->Warning(this, severity, message);
}

void TVsGifList::Warning(uint8_t severity, const std::string& message) {
    if (FImage) FImage->Warning(this, severity, message);
}

void TVsGifList::SaveToStream(TStream& stream) {
    for (auto& item : FItems) item->SaveToStream(stream);
}

TVsGifItem* TVsGifList::Items(int32_t index) const {
    if (index < 0 || index >= Count()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    return FItems[static_cast<size_t>(index)].get();
}

int32_t TVsGifList::Add(TVsGifItem* item) {
    std::unique_ptr<TVsGifItem> owned(item);
    FItems.push_back(std::move(owned));
    return Count() - 1;
}

void TVsGifList::Delete(int32_t index) {
    Items(index);
    FItems[static_cast<size_t>(index)].reset();
    FItems.erase(FItems.begin() + index);
}

void TVsGifList::Clear() {
    for (auto& item : FItems) item.reset();  // item 0 first
    FItems.clear();
}

int32_t TVsGifList::IndexOf(const TVsGifItem* item) const {
    for (size_t i = 0; i < FItems.size(); ++i)
        if (FItems[i].get() == item) return static_cast<int32_t>(i);
    return -1;
}

// ---------------------------------------------------------------- header

TVsGifHeader::TVsGifHeader(TVsGifImage* image)
    : TVsGifItem(image), FColorMap(std::make_unique<TVsGifGlobalColorMap>(this)) {}

TVsGifHeader::~TVsGifHeader() { FColorMap.reset(); }

TGIFVersion TVsGifHeader::VersionNeeded() const {
    return FColorMap->Sorted() || AspectRatio() != 0 ? GIFVersion89a : GIFVersion87a;
}

TColor TVsGifHeader::BackgroundColor() const { return FColorMap->EntryColor(BackgroundColorIndex()); }

void TVsGifHeader::SetWidth(int32_t width) {
    FDescriptor[0] = static_cast<uint8_t>(width);
    FDescriptor[1] = static_cast<uint8_t>(width >> 8);
}

void TVsGifHeader::SetHeight(int32_t height) {
    FDescriptor[2] = static_cast<uint8_t>(height);
    FDescriptor[3] = static_cast<uint8_t>(height >> 8);
}

void TVsGifHeader::RebuildPackedByte() {
    uint8_t packed = 0;
    bool hasMap = FColorMap->Count() > 0;
    if (hasMap) {
        packed |= 0x80;
        if (FColorMap->Sorted()) packed |= 0x08;
    }
    int32_t resolution = FImage ? FImage->MaxColorResolution() : ColorResolution();
    packed |= static_cast<uint8_t>((resolution & 7) << 4);
    int32_t sizeBits = hasMap ? FColorMap->EntryBits() - 1 : (FImage ? FImage->MaxBitsPerPixel() : 0) - 1;
    packed |= static_cast<uint8_t>(sizeBits & 7);
    FDescriptor[4] = packed;
}

void TVsGifHeader::SaveToStream(TStream& stream) {
    TGIFVersion version = FImage ? FImage->VersionNeeded() : VersionNeeded();
    if (version == GIFVersionUnknown)
        RaiseGIFError(FImage && FImage->FrameCount() == 0 ? GifMsg::SNoFrames : GifMsg::SUnsupportedVersion);
    RebuildPackedByte();
    std::string signature = "GIF" + GIFVersionText(version);
    stream.WriteBuffer(signature.data(), 6);
    stream.WriteBuffer(FDescriptor, 7);
    if (FDescriptor[4] & 0x80) FColorMap->WriteEntries(stream);
}

void TVsGifHeader::LoadFromStream(TStream& stream) {
    int64_t start = stream.Position();
    char signature[6];
    ReadExact(stream, signature, 6);
    auto isGif = [&] { return UpperCase(std::string(signature, 3)) == "GIF"; };
    if (!isGif()) {
        // Some files carry four bytes of their own before the signature.
        stream.SetPosition(start + 4);
        ReadExact(stream, signature, 6);
        if (!isGif()) RaiseGIFError(GifMsg::SInvalidSignature);
    }
    ReadExact(stream, FDescriptor, 7);
    if (FDescriptor[4] & 0x80)
        FColorMap->ReadEntries(stream, 2 << (FDescriptor[4] & 7));
    else
        FColorMap->Clear();
}

void TVsGifHeader::AssignTo(TPersistent* dest) const {
    if (auto* header = dynamic_cast<TVsGifHeader*>(dest)) {
        if (header == this) return;
        header->FColorMap->Assign(FColorMap.get());
        std::memcpy(header->FDescriptor, FDescriptor, sizeof FDescriptor);
        return;
    }
    TVsGifItem::AssignTo(dest);
}

HPALETTE BuildWebPalette() {
    std::vector<TPaletteEntry> entries;
    entries.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back({static_cast<uint8_t>(51 * r), static_cast<uint8_t>(51 * g),
                                   static_cast<uint8_t>(51 * b), 0});
    return CreatePalette(std::move(entries));
}

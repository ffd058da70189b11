// Extension blocks and the two registries that map labels and application
// identifiers to classes.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "gif/VsGifCore.h"

namespace {

template <typename T>
TVsGifExtension* CreateExtension(TVsGifSubImage* frame) {
    return new T(frame);
}

// Most classes read their blocks themselves.
template <typename T>
TVsGifExtensionClass RefineSelf(TStream&) {
    return &T::Class;
}

struct LabelEntry {
    uint8_t Label;
    TVsGifExtensionClass Class;
};
struct AppEntry {
    uint8_t Ident[11];
    TVsGifExtensionClass Class;
};

std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}

std::vector<LabelEntry>& LabelRegistry() {
    static std::vector<LabelEntry> registry = {
        {0x01, &TVsGifTextExtension::Class},
        {0xF9, &TVsGifGraphicControlExtension::Class},
        {0xFE, &TVsGifCommentExtension::Class},
        {0xFF, &TVsGifApplicationExtension::Class},
    };
    return registry;
}

std::vector<AppEntry>& AppRegistry() {
    static std::vector<AppEntry> registry = {
        {{'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'}, &TVsGifAppExtNSLoop::Class},
        {{'A', 'N', 'I', 'M', 'E', 'X', 'T', 'S', '1', '.', '0'}, &TVsGifAppExtNSLoop::Class},
    };
    return registry;
}

// Application extensions: the block size decides which class reads the block.
TVsGifExtensionClass RefineApplication(TStream& stream) {
    int64_t start = stream.Position();
    uint8_t size = 0;
    if (!TryReadByte(stream, size)) return nullptr;
    uint8_t ident[11] = {};
    // Shorter identifier blocks than 11 bytes (other writers leave out the
    // authentication code, or part of it) keep their data as unknown blocks.
    if (size >= 1 && size <= 10) {
        if (stream.Read(ident, size) != size) return nullptr;
        return &TVsGifUnknownAppExtension::Class;
    }
    // A longer block is read as one of 11 bytes and the rest is skipped, so
    // that it reads the same once written back with the size 11.
    if (size >= 11 && stream.Read(ident, 11) == 11) {
        TVsGifExtensionClass found = FindAppExtensionClass(ident);
        return found ? found : &TVsGifUnknownAppExtension::Class;
    }
    stream.SetPosition(start);
    return &TVsGifApplicationExtension::Class;
}

}  // namespace

const TVsGifExtensionClassInfo TVsGifGraphicControlExtension::Class = {
    "TVsGifGraphicControlExtension", CreateExtension<TVsGifGraphicControlExtension>, RefineSelf<TVsGifGraphicControlExtension>};
const TVsGifExtensionClassInfo TVsGifTextExtension::Class = {"TVsGifTextExtension",
                                                              CreateExtension<TVsGifTextExtension>, RefineSelf<TVsGifTextExtension>};
const TVsGifExtensionClassInfo TVsGifCommentExtension::Class = {"TVsGifCommentExtension",
                                                                 CreateExtension<TVsGifCommentExtension>, RefineSelf<TVsGifCommentExtension>};
const TVsGifExtensionClassInfo TVsGifApplicationExtension::Class = {
    "TVsGifApplicationExtension", CreateExtension<TVsGifApplicationExtension>, RefineApplication};
const TVsGifExtensionClassInfo TVsGifUnknownAppExtension::Class = {
    "TVsGifUnknownAppExtension", CreateExtension<TVsGifUnknownAppExtension>, RefineSelf<TVsGifUnknownAppExtension>};
const TVsGifExtensionClassInfo TVsGifAppExtNSLoop::Class = {"TVsGifAppExtNSLoop", CreateExtension<TVsGifAppExtNSLoop>,
                                                             RefineSelf<TVsGifAppExtNSLoop>};
const TVsGifExtensionClassInfo TVsGifUnknownExtension::Class = {
    "TVsGifUnknownExtension", CreateExtension<TVsGifUnknownExtension>, RefineSelf<TVsGifUnknownExtension>};

void RegisterExtension(uint8_t label, TVsGifExtensionClass extensionClass) {
    std::lock_guard<std::mutex> guard(RegistryLock());
    LabelRegistry().push_back({label, extensionClass});
}

TVsGifExtensionClass FindExtensionClass(uint8_t label) {
    std::lock_guard<std::mutex> guard(RegistryLock());
    auto& registry = LabelRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
        if (it->Label == label) return it->Class;
    return nullptr;
}

void RegisterAppExtension(const std::string& identifier, TVsGifExtensionClass extensionClass) {
    AppEntry entry{};
    std::memcpy(entry.Ident, identifier.data(), std::min<size_t>(11, identifier.size()));
    entry.Class = extensionClass;
    std::lock_guard<std::mutex> guard(RegistryLock());
    AppRegistry().push_back(entry);
}

TVsGifExtensionClass FindAppExtensionClass(const uint8_t identifier[11]) {
    std::lock_guard<std::mutex> guard(RegistryLock());
    auto& registry = AppRegistry();
    for (auto it = registry.rbegin(); it != registry.rend(); ++it)
        if (std::memcmp(it->Ident, identifier, 11) == 0) return it->Class;
    return nullptr;
}

TVsGifExtensionClass ResolveExtensionClass(TStream& stream) {
    int64_t start = stream.Position();
    uint8_t label = 0;
    TVsGifExtensionClass found = nullptr;
    if (TryReadByte(stream, label)) {
        found = FindExtensionClass(label);
        if (!found) found = &TVsGifUnknownExtension::Class;
        // Refine until a class answers with itself; each reads on from the last.
        for (int rounds = 0; found && rounds < 16; ++rounds) {
            TVsGifExtensionClass refined = found->RefineClass(stream);
            if (refined == found) break;
            found = refined;
        }
    }
    stream.SetPosition(start);
    return found;
}

// ---------------------------------------------------------------- base

TVsGifExtension::TVsGifExtension(TVsGifSubImage* frame)
    : TVsGifItem(frame ? frame->Image() : nullptr), FFrame(frame) {}

void TVsGifExtension::SaveToStream(TStream& stream) {
    uint8_t head[2] = {GIFExtensionIntroducer, BlockLabel()};
    stream.WriteBuffer(head, 2);
}

void TVsGifExtension::LoadFromStream(TStream& stream) {
    uint8_t head[2];
    ReadExact(stream, head, 2);
    if (head[0] != GIFExtensionIntroducer) RaiseGIFError(GifMsg::SExtensionIntroducer);
    if (head[1] != BlockLabel()) RaiseGIFError(GifMsg::SExtensionLabel);
}

// ---------------------------------------------------------------- graphic control

TVsGifGraphicControlExtension::TVsGifGraphicControlExtension(TVsGifSubImage* frame) : TVsGifExtension(frame) {
    if (FFrame && !FFrame->GraphicControlExtension()) FFrame->SetGraphicControlExtension(this);
}

TVsGifGraphicControlExtension::~TVsGifGraphicControlExtension() {
    if (!FFrame) return;
    if (TransparentFlag()) FFrame->SetTransparent(false);
    if (FFrame->GraphicControlExtension() == this) FFrame->SetGraphicControlExtension(nullptr);
}

void TVsGifGraphicControlExtension::SaveToStream(TStream& stream) {
    TVsGifExtension::SaveToStream(stream);
    stream.WriteBuffer(FRecord, 6);  // size 4, the fields, the terminator
}

void TVsGifGraphicControlExtension::LoadFromStream(TStream& stream) {
    TVsGifExtension::LoadFromStream(stream);
    // Any declared size: the fields are its first 4 bytes (missing ones stay
    // 0), the rest of it and any further sub-blocks are skipped.
    uint8_t block[256] = {};
    uint8_t fields[4] = {};
    uint8_t size = 0;
    bool complete = TryReadByte(stream, size);
    if (complete && size > 0) {
        complete = stream.Read(block, size) == size;
        std::memcpy(fields, block, std::min<size_t>(size, 4));
        for (uint8_t n = size; complete && n != 0;) {
            complete = TryReadByte(stream, n);
            if (complete && n > 0) complete = stream.Read(block, n) == n;
        }
    }
    std::memcpy(FRecord + 1, fields, 4);
    FRecord[0] = 4;
    FRecord[5] = 0;
    if (!complete) {
        Warning(1, GifMsg::SPrematureEnd);
        return;
    }
    if (TransparentFlag() && FFrame) FFrame->SetTransparent(true);
}

void TVsGifGraphicControlExtension::SetTransparentFlag(bool flag) {
    FRecord[1] = static_cast<uint8_t>(flag ? FRecord[1] | 0x01 : FRecord[1] & ~0x01);
    if (FFrame) FFrame->SetTransparent(flag);
}

void TVsGifGraphicControlExtension::SetUserInputFlag(bool flag) {
    FRecord[1] = static_cast<uint8_t>(flag ? FRecord[1] | 0x02 : FRecord[1] & ~0x02);
}

void TVsGifGraphicControlExtension::SetTransparentIndex(uint8_t index) {
    if (FFrame) {
        TVsGifColorMap& map = FFrame->EffectiveColorMap();
        if (map.Count() > 0 && index >= map.Count()) {
            Warning(1, GifMsg::SInvalidColorIndex);
            index = 0;
        }
    }
    FRecord[4] = index;
}

void TVsGifGraphicControlExtension::SetFrameDelay(uint16_t delay) {
    FRecord[2] = static_cast<uint8_t>(delay);
    FRecord[3] = static_cast<uint8_t>(delay >> 8);
}

void TVsGifGraphicControlExtension::SetDisposalMethod(uint8_t method) {
    FRecord[1] = static_cast<uint8_t>((FRecord[1] & ~0x1C) | ((method & 7) << 2));
}

// ---------------------------------------------------------------- plain text and comment

void TVsGifTextExtension::SaveToStream(TStream& stream) {
    TVsGifExtension::SaveToStream(stream);
    // A longer header than 12 bytes goes back whole.
    uint8_t size = static_cast<uint8_t>(12 + FHeaderTail.size());
    stream.WriteBuffer(&size, 1);
    stream.WriteBuffer(FRecord + 1, 12);
    if (!FHeaderTail.empty()) stream.WriteBuffer(FHeaderTail.data(), static_cast<int64_t>(FHeaderTail.size()));
    WriteSubBlockStrings(stream, FText);
}

void TVsGifTextExtension::LoadFromStream(TStream& stream) {
    TVsGifExtension::LoadFromStream(stream);
    uint8_t block[256] = {};
    ReadExact(stream, block, 1);
    const uint8_t size = block[0];
    ReadExact(stream, block + 1, size);
    std::memcpy(FRecord + 1, block + 1, 12);
    FRecord[0] = 12;
    FHeaderTail.assign(reinterpret_cast<const char*>(block) + 13, size > 12 ? size - 12 : 0);
    if (size == 0) {
        // That length byte was the terminator: no text follows.
        FText.Clear();
    } else {
        ReadSubBlockStrings(stream, FText);
    }
    if (size != 12) Warning(1, GifMsg::SInvalidData);
}

void TVsGifCommentExtension::SaveToStream(TStream& stream) {
    TVsGifExtension::SaveToStream(stream);
    WriteSubBlockStrings(stream, FText);
}

void TVsGifCommentExtension::LoadFromStream(TStream& stream) {
    TVsGifExtension::LoadFromStream(stream);
    ReadSubBlockStrings(stream, FText);
}

// ---------------------------------------------------------------- application

void TVsGifApplicationExtension::SetIdentifier(const std::string& identifier) {
    std::memset(FIdent, 0, sizeof FIdent);
    std::memcpy(FIdent, identifier.data(), std::min<size_t>(11, identifier.size()));
}

void TVsGifApplicationExtension::SaveToStream(TStream& stream) {
    TVsGifExtension::SaveToStream(stream);
    WriteByte(stream, 11);
    stream.WriteBuffer(FIdent, 11);
    WriteAppData(stream);
}

void TVsGifApplicationExtension::LoadFromStream(TStream& stream) {
    TVsGifExtension::LoadFromStream(stream);
    uint8_t size = 0;
    ReadExact(stream, &size, 1);
    if (size == 0) RaiseGIFError(GifMsg::SAppExtensionSize);
    std::memset(FIdent, 0, sizeof FIdent);
    if (size <= 10) {
        // The bytes not in the file stay 0.
        ReadExact(stream, FIdent, size);
    } else {
        ReadExact(stream, FIdent, 11);
        if (size > 11) {
            uint8_t skip[255];
            ReadExact(stream, skip, size - 11);
        }
    }
    ReadAppData(stream);
}

void TVsGifApplicationExtension::WriteAppData(TStream& stream) { WriteByte(stream, 0); }

void TVsGifApplicationExtension::ReadAppData(TStream& stream) {
    TStringList ignored;
    ReadSubBlockStrings(stream, ignored);
}

void TVsGifBlockList::Add(const uint8_t* data, uint8_t size) { Insert(Count(), data, size); }

void TVsGifBlockList::Insert(int32_t index, const uint8_t* data, uint8_t size) {
    if (size == 0) return;
    index = std::clamp(index, 0, Count());
    FBlocks.insert(FBlocks.begin() + index, std::make_unique<TVsGifBlock>(size, data));
}

void TVsGifBlockList::LoadFromStream(TStream& stream) {
    Clear();
    uint8_t size = 0;
    uint8_t data[255];
    while (TryReadByte(stream, size) && size != 0) {
        ReadExact(stream, data, size);
        Add(data, size);
    }
}

void TVsGifBlockList::SaveToStream(TStream& stream) const {
    for (auto& block : FBlocks) {
        WriteByte(stream, block->Size());
        stream.WriteBuffer(block->Data(), block->Size());
    }
    WriteByte(stream, 0);
}

void TVsGifUnknownAppExtension::WriteAppData(TStream& stream) { FBlocks.SaveToStream(stream); }

void TVsGifUnknownAppExtension::ReadAppData(TStream& stream) { FBlocks.LoadFromStream(stream); }

TVsGifAppExtNSLoop::TVsGifAppExtNSLoop(TVsGifSubImage* frame) : TVsGifApplicationExtension(frame) {
    SetIdentifier("NETSCAPE2.0");
    SetLoops(0);
}

int32_t TVsGifAppExtNSLoop::LoopBlock() const {
    for (int32_t i = 0; i < FBlocks.Count(); ++i)
        if (FBlocks.Items(i).Size() >= 3 && FBlocks.Items(i).Data()[0] == 1) return i;
    return -1;
}

uint16_t TVsGifAppExtNSLoop::Loops() const {
    const int32_t i = LoopBlock();
    if (i < 0) return 0;
    const uint8_t* d = FBlocks.Items(i).Data();
    return static_cast<uint16_t>(d[1] | (d[2] << 8));
}

void TVsGifAppExtNSLoop::SetLoops(uint16_t loops) {
    const uint8_t data[3] = {1, static_cast<uint8_t>(loops), static_cast<uint8_t>(loops >> 8)};
    const int32_t i = LoopBlock();
    if (i < 0) {
        FBlocks.Insert(0, data, 3);
        return;
    }
    std::memcpy(FBlocks.Items(i).Data(), data, 3);
}

void TVsGifAppExtNSLoop::WriteAppData(TStream& stream) { FBlocks.SaveToStream(stream); }

void TVsGifAppExtNSLoop::ReadAppData(TStream& stream) { FBlocks.LoadFromStream(stream); }

// ---------------------------------------------------------------- unknown labels

void TVsGifUnknownExtension::SaveToStream(TStream& stream) {
    TVsGifExtension::SaveToStream(stream);
    FBlocks.SaveToStream(stream);
}

void TVsGifUnknownExtension::LoadFromStream(TStream& stream) {
    uint8_t head[2];
    ReadExact(stream, head, 2);
    if (head[0] != GIFExtensionIntroducer) RaiseGIFError(GifMsg::SExtensionIntroducer);
    FLabel = head[1];
    Warning(1, GifMsg::SUnknownExtension);
    FBlocks.LoadFromStream(stream);
}

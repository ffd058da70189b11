#include "platform/runtime/Classes.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <typeinfo>
#include <unistd.h>

// ---------------------------------------------------------------- TObject

std::string TObject::ClassName() const {
    int status = 0;
    const char* mangled = typeid(*this).name();
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : mangled;
    std::free(demangled);
    size_t colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

void TPersistent::Assign(const TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) const {
    throw EConvertError(FmtMsg(SysConst::SAssignError, this == dest ? std::string("nil") : ClassName(),
                               dest->ClassName()));
}

// ---------------------------------------------------------------- TComponent

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    FDestroying = true;
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        FComponents.pop_back();
        last->FOwner = nullptr;
        Notification(last, opRemove);
        delete last;
    }
    if (FOwner) FOwner->RemoveComponent(this);
}

TComponent* TComponent::Components(int32_t index) const {
    if (index < 0 || index >= ComponentCount()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    return FComponents[static_cast<size_t>(index)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->Name(), name)) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->FOwner) component->FOwner->RemoveComponent(component);
    component->FOwner = this;
    FComponents.push_back(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end()) return;
    FComponents.erase(it);
    component->FOwner = nullptr;
    Notification(component, opRemove);
}

// ---------------------------------------------------------------- TList

void TList::Check(int32_t index) const {
    if (index < 0 || index >= Count()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
}

void TList::SetCount(int32_t count) {
    if (count < 0) throw EListError(FmtMsg(SysConst::SListCountError, count));
    FItems.resize(static_cast<size_t>(count), nullptr);
}

void TList::SetCapacity(int32_t capacity) {
    if (capacity < Count()) throw EListError(FmtMsg(SysConst::SListCapacityError, capacity));
    FItems.reserve(static_cast<size_t>(capacity));
}

void* TList::Items(int32_t index) const {
    Check(index);
    return FItems[static_cast<size_t>(index)];
}

void TList::SetItems(int32_t index, void* item) {
    Check(index);
    FItems[static_cast<size_t>(index)] = item;
}

int32_t TList::Add(void* item) {
    FItems.push_back(item);
    return Count() - 1;
}

void TList::Insert(int32_t index, void* item) {
    if (index < 0 || index > Count()) throw EListError(FmtMsg(SysConst::SListIndexError, index));
    FItems.insert(FItems.begin() + index, item);
}

void TList::Delete(int32_t index) {
    Check(index);
    FItems.erase(FItems.begin() + index);
}

int32_t TList::Remove(void* item) {
    int32_t i = IndexOf(item);
    if (i >= 0) Delete(i);
    return i;
}

void* TList::Extract(void* item) {
    int32_t i = IndexOf(item);
    if (i < 0) return nullptr;
    Delete(i);
    return item;
}

int32_t TList::IndexOf(void* item) const {
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : static_cast<int32_t>(it - FItems.begin());
}

void TList::Exchange(int32_t a, int32_t b) {
    Check(a);
    Check(b);
    std::swap(FItems[static_cast<size_t>(a)], FItems[static_cast<size_t>(b)]);
}

void TList::Move(int32_t from, int32_t to) {
    if (from == to) return;
    Check(from);
    Check(to);
    void* item = FItems[static_cast<size_t>(from)];
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, item);
}

void TList::Clear() { FItems.clear(); }

void TList::Sort(const TListSortCompare& compare) {
    std::stable_sort(FItems.begin(), FItems.end(), [&](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Pack() { FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end()); }

// ---------------------------------------------------------------- TStrings

void TStrings::Error(const char* message, int64_t index) const { throw EStringListError(FmtMsg(message, index)); }

void TStrings::Put(int32_t index, const std::string& s) {
    TObject* object = GetObject(index);
    Delete(index);
    InsertObject(index, s, object);
}

void TStrings::InsertObject(int32_t index, const std::string& s, TObject* object) {
    Insert(index, s);
    PutObject(index, object);
}

int32_t TStrings::Add(const std::string& s) {
    int32_t index = Count();
    Insert(index, s);
    return index;
}

int32_t TStrings::AddObject(const std::string& s, TObject* object) {
    int32_t index = Add(s);
    PutObject(index, object);
    return index;
}

int32_t TStrings::IndexOf(const std::string& s) const {
    for (int32_t i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

int32_t TStrings::IndexOfObject(const TObject* object) const {
    for (int32_t i = 0; i < Count(); ++i)
        if (GetObject(i) == object) return i;
    return -1;
}

void TStrings::Exchange(int32_t a, int32_t b) {
    BeginUpdate();
    std::string sa = Get(a), sb = Get(b);
    TObject* oa = GetObject(a);
    TObject* ob = GetObject(b);
    Put(a, sb);
    PutObject(a, ob);
    Put(b, sa);
    PutObject(b, oa);
    EndUpdate();
}

void TStrings::Move(int32_t from, int32_t to) {
    if (from == to) return;
    BeginUpdate();
    std::string s = Get(from);
    TObject* o = GetObject(from);
    Delete(from);
    InsertObject(to, s, o);
    EndUpdate();
}

void TStrings::AddStrings(const TStrings& strings) {
    BeginUpdate();
    for (int32_t i = 0; i < strings.Count(); ++i) AddObject(strings.Get(i), strings.GetObject(i));
    EndUpdate();
}

std::string TStrings::Text() const {
    std::string out;
    for (int32_t i = 0; i < Count(); ++i) {
        out += Get(i);
        out += FLineBreak;
    }
    return out;
}

void TStrings::SetText(const std::string& text) {
    BeginUpdate();
    Clear();
    size_t i = 0;
    while (i < text.size()) {
        size_t end = text.find_first_of("\r\n", i);
        if (end == std::string::npos) {
            Add(text.substr(i));
            break;
        }
        Add(text.substr(i, end - i));
        i = end + 1;
        if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
    }
    EndUpdate();
}

std::string TStrings::DelimitedText() const {
    std::string out;
    for (int32_t i = 0; i < Count(); ++i) {
        std::string s = Get(i);
        // A lone empty item is quoted so the text does not read back as no item.
        bool quote = s.empty() && Count() == 1;
        for (char c : s)
            if (c == FDelimiter || c == FQuoteChar || (!FStrictDelimiter && static_cast<unsigned char>(c) <= ' '))
                quote = true;
        if (i > 0) out += FDelimiter;
        out += quote ? QuotedStr(s, FQuoteChar) : s;
    }
    return out;
}

void TStrings::SetDelimitedText(const std::string& text) {
    BeginUpdate();
    Clear();
    size_t i = 0;
    const size_t n = text.size();
    auto isBlank = [&](char c) { return !FStrictDelimiter && static_cast<unsigned char>(c) <= ' ' && c > 0; };
    while (i < n && isBlank(text[i])) ++i;
    while (i < n) {
        std::string item;
        if (text[i] == FQuoteChar) {
            ++i;
            while (i < n) {
                if (text[i] == FQuoteChar) {
                    if (i + 1 < n && text[i + 1] == FQuoteChar) {
                        item += FQuoteChar;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && text[i] != FDelimiter && !isBlank(text[i])) item += text[i++];
        }
        Add(item);
        while (i < n && isBlank(text[i])) ++i;
        if (i < n && text[i] == FDelimiter) {
            ++i;
            // A delimiter at the very end stands for one more, empty item.
            if (i == n) Add("");
            while (i < n && isBlank(text[i])) ++i;
        }
    }
    EndUpdate();
}

std::string TStrings::CommaText() const {
    auto& self = const_cast<TStrings&>(*this);
    char d = FDelimiter, q = FQuoteChar;
    bool strict = FStrictDelimiter;
    self.FDelimiter = ',';
    self.FQuoteChar = '"';
    self.FStrictDelimiter = false;
    std::string out = DelimitedText();
    self.FDelimiter = d;
    self.FQuoteChar = q;
    self.FStrictDelimiter = strict;
    return out;
}

void TStrings::SetCommaText(const std::string& text) {
    char d = FDelimiter, q = FQuoteChar;
    bool strict = FStrictDelimiter;
    FDelimiter = ',';
    FQuoteChar = '"';
    FStrictDelimiter = false;
    SetDelimitedText(text);
    FDelimiter = d;
    FQuoteChar = q;
    FStrictDelimiter = strict;
}

std::string TStrings::Names(int32_t index) const {
    std::string s = Get(index);
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

std::string TStrings::ValueFromIndex(int32_t index) const {
    std::string s = Get(index);
    size_t eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

int32_t TStrings::IndexOfName(const std::string& name) const {
    for (int32_t i = 0; i < Count(); ++i) {
        std::string s = Get(i);
        size_t eq = s.find('=');
        if (eq != std::string::npos && CompareStrings(s.substr(0, eq), name) == 0) return i;
    }
    return -1;
}

std::string TStrings::Values(const std::string& name) const {
    int32_t i = IndexOfName(name);
    return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
    int32_t i = IndexOfName(name);
    if (value.empty()) {
        if (i >= 0) Delete(i);
        return;
    }
    if (i < 0) Add(name + "=" + value);
    else Put(i, name + "=" + value);
}

void TStrings::LoadFromFile(const std::string& path) { SetText(DecodeFileText(ReadFileBytes(path))); }

void TStrings::SaveToFile(const std::string& path) const {
    if (!WriteFileAtomically(path, Text()))
        throw EFCreateError(FmtMsg(SysConst::SFCreateError, path, std::strerror(errno)));
}

void TStrings::BeginUpdate() {
    if (FUpdateCount++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Assign(const TPersistent* source) {
    if (auto* strings = dynamic_cast<const TStrings*>(source)) {
        if (strings == this) return;
        BeginUpdate();
        Clear();
        AddStrings(*strings);
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

// ---------------------------------------------------------------- TStringList

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
    if (FOwnsObjects)
        for (auto& item : FItems) delete item.Object;
}

void TStringList::Check(int32_t index) const {
    if (index < 0 || index >= Count()) Error(SysConst::SListIndexError, index);
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
    if (updating) Changing();
    else Changed();
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const {
    return FCaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

std::string TStringList::Get(int32_t index) const {
    Check(index);
    return FItems[static_cast<size_t>(index)].Text;
}

void TStringList::Put(int32_t index, const std::string& s) {
    if (FSorted) Error(SysConst::SSortedListError, 0);
    Check(index);
    Changing();
    FItems[static_cast<size_t>(index)].Text = s;
    Changed();
}

TObject* TStringList::GetObject(int32_t index) const {
    Check(index);
    return FItems[static_cast<size_t>(index)].Object;
}

void TStringList::PutObject(int32_t index, TObject* object) {
    Check(index);
    Changing();
    FItems[static_cast<size_t>(index)].Object = object;
    Changed();
}

void TStringList::InsertItem(int32_t index, const std::string& s, TObject* object) {
    Changing();
    FItems.insert(FItems.begin() + index, Item{s, object});
    Changed();
}

void TStringList::Insert(int32_t index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int32_t index, const std::string& s, TObject* object) {
    if (FSorted) Error(SysConst::SSortedListError, 0);
    if (index < 0 || index > Count()) Error(SysConst::SListIndexError, index);
    InsertItem(index, s, object);
}

void TStringList::Delete(int32_t index) {
    Check(index);
    Changing();
    TObject* object = FItems[static_cast<size_t>(index)].Object;
    FItems.erase(FItems.begin() + index);
    if (FOwnsObjects) delete object;
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    Changing();
    if (FOwnsObjects)
        for (auto& item : FItems) delete item.Object;
    FItems.clear();
    Changed();
}

int32_t TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int32_t TStringList::AddObject(const std::string& s, TObject* object) {
    int32_t index;
    if (!FSorted) {
        index = Count();
    } else if (Find(s, index)) {
        if (FDuplicates == dupIgnore) return index;
        if (FDuplicates == dupError) Error(SysConst::SDuplicateString, 0);
    }
    InsertItem(index, s, object);
    return index;
}

int32_t TStringList::IndexOf(const std::string& s) const {
    if (!FSorted) return TStrings::IndexOf(s);
    int32_t index;
    return Find(s, index) ? index : -1;
}

void TStringList::Exchange(int32_t a, int32_t b) {
    Check(a);
    Check(b);
    Changing();
    std::swap(FItems[static_cast<size_t>(a)], FItems[static_cast<size_t>(b)]);
    Changed();
}

void TStringList::SetText(const std::string& text) { TStrings::SetText(text); }

bool TStringList::Find(const std::string& s, int32_t& index) const {
    int32_t lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int32_t mid = (lo + hi) / 2;
        int c = CompareStrings(FItems[static_cast<size_t>(mid)].Text, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TStringList::Sort() {
    Changing();
    std::stable_sort(FItems.begin(), FItems.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.Text, b.Text) < 0; });
    Changed();
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
    if (Count() < 2) return;
    Changing();
    // Sort a permutation, so that compare() sees the list unchanged while it runs.
    std::vector<int32_t> order(FItems.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
    std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return compare(*this, a, b) < 0; });
    std::vector<Item> sorted;
    sorted.reserve(FItems.size());
    for (int32_t i : order) sorted.push_back(FItems[static_cast<size_t>(i)]);
    FItems.swap(sorted);
    Changed();
}

void TStringList::SetSorted(bool sorted) {
    if (sorted == FSorted) return;
    if (sorted) Sort();
    FSorted = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
    if (caseSensitive == FCaseSensitive) return;
    FCaseSensitive = caseSensitive;
    if (FSorted) Sort();
}

// ---------------------------------------------------------------- TStream

int64_t TStream::Size() {
    int64_t pos = Seek(0, soCurrent);
    int64_t size = Seek(0, soEnd);
    Seek(pos, soBeginning);
    return size;
}

void TStream::SetSize(int64_t) { throw EStreamError(SysConst::SInvalidStreamOp); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count > 0 && Read(buffer, count) != count) throw EReadError(SysConst::SReadError);
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count > 0 && Write(buffer, count) != count) throw EWriteError(SysConst::SWriteError);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    int64_t total = count;
    std::vector<uint8_t> buf(static_cast<size_t>(std::min<int64_t>(count, 1 << 16)));
    while (count > 0) {
        int64_t n = std::min<int64_t>(count, static_cast<int64_t>(buf.size()));
        source.ReadBuffer(buf.data(), n);
        WriteBuffer(buf.data(), n);
        count -= n;
    }
    return total;
}

// ---------------------------------------------------------------- memory streams

void TCustomMemoryStream::SetPointer(uint8_t* memory, int64_t size) {
    FMemory = memory;
    FSize = size;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || FPosition >= FSize) return 0;
    int64_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FMemory + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : FSize;
    int64_t pos = base + offset;
    if (pos < 0) pos = 0;
    FPosition = pos;
    return FPosition;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) {
    if (FSize > 0) stream.WriteBuffer(FMemory, FSize);
}

void TCustomMemoryStream::SaveToFile(const std::string& path) {
    TFileStream file(path, fmCreate);
    SaveToStream(file);
}

void TMemoryStream::FreeDeleter::operator()(uint8_t* p) const { std::free(p); }

void TMemoryStream::Reserve(int64_t capacity) {
    if (capacity <= FCapacity) return;
    void* grown = std::realloc(FBlock.get(), static_cast<size_t>(capacity));
    if (!grown) throw EOutOfMemory(SysConst::SOutOfMemory);
    (void)FBlock.release();
    FBlock.reset(static_cast<uint8_t*>(grown));
    FCapacity = capacity;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    int64_t end = FPosition + count;
    if (end > FSize) {
        if (end > FCapacity) Reserve(std::max(end, FCapacity * 2));
        // A write past the end leaves zeros in the gap.
        if (FPosition > FSize) std::memset(FBlock.get() + FSize, 0, static_cast<size_t>(FPosition - FSize));
        SetPointer(FBlock.get(), end);
    }
    std::memcpy(FMemory + FPosition, buffer, static_cast<size_t>(count));
    FPosition = end;
    return count;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0) size = 0;
    if (size > FSize) {
        Reserve(size);
        std::memset(FBlock.get() + FSize, 0, static_cast<size_t>(size - FSize));
    }
    SetPointer(FBlock.get(), size);
    if (FPosition > size) FPosition = size;
}

void TMemoryStream::Clear() {
    FBlock.reset();
    FCapacity = 0;
    SetPointer(nullptr, 0);
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
    stream.SetPosition(0);
    int64_t size = stream.Size();
    SetSize(size);
    if (size > 0) stream.ReadBuffer(FMemory, size);
    FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    TFileStream file(path, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

TReadOnlyMemoryStream::TReadOnlyMemoryStream(const void* data, int64_t size) {
    SetPointer(const_cast<uint8_t*>(static_cast<const uint8_t*>(data)), size);
}

int64_t TReadOnlyMemoryStream::Write(const void*, int64_t) { return 0; }

// ---------------------------------------------------------------- TStringStream

int64_t TStringStream::Read(void* buffer, int64_t count) {
    int64_t size = static_cast<int64_t>(FData.size());
    if (count <= 0 || FPosition >= size) return 0;
    int64_t n = std::min(count, size - FPosition);
    std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TStringStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (FPosition + count > static_cast<int64_t>(FData.size())) FData.resize(static_cast<size_t>(FPosition + count));
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition += count;
    return count;
}

int64_t TStringStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? FPosition : static_cast<int64_t>(FData.size());
    FPosition = std::max<int64_t>(0, base + offset);
    return FPosition;
}

void TStringStream::SetSize(int64_t size) {
    FData.resize(static_cast<size_t>(std::max<int64_t>(0, size)));
    if (FPosition > size) FPosition = size;
}

// ---------------------------------------------------------------- TFileStream

TFileStream::TFileStream(const std::string& path, uint16_t mode) : FFileName(path) {
    if ((mode & 0xFF00) == fmCreate) {
        FFile = std::fopen(path.c_str(), "w+b");
        if (!FFile) throw EFCreateError(FmtMsg(SysConst::SFCreateError, path, std::strerror(errno)));
        return;
    }
    const char* how = (mode & 3) == fmOpenRead ? "rb" : "r+b";
    FFile = std::fopen(path.c_str(), how);
    if (!FFile) throw EFOpenError(FmtMsg(SysConst::SFOpenError, path, std::strerror(errno)));
}

TFileStream::~TFileStream() {
    if (FFile) std::fclose(FFile);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), FFile));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), FFile));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
    if (!(offset == 0 && origin == soCurrent) && ::fseeko(FFile, offset, whence) != 0) return -1;
    return ::ftello(FFile);
}

void TFileStream::SetSize(int64_t size) {
    std::fflush(FFile);
    if (::ftruncate(::fileno(FFile), size) != 0) throw EStreamError(SysConst::SInvalidStreamOp);
    if (Position() > size) SetPosition(size);
}

// Run-time classes: objects, components, lists, string lists, streams.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/SysUtils.h"

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
    // The class name without namespaces ("TBitmap"), for messages.
    virtual std::string ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
public:
    // Copies source into this object; an unsupported pair raises EConvertError
    // "Cannot assign a <source> to a <this>".
    virtual void Assign(const TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest) const;
};

enum TOperation { opInsert, opRemove };

// A component owns the components created with it as owner and frees them,
// last created first, when it is destroyed.
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    virtual void SetName(const std::string& name) { FName = name; }
    int32_t Tag() const { return FTag; }
    void SetTag(int32_t tag) { FTag = tag; }

    int32_t ComponentCount() const { return static_cast<int32_t>(FComponents.size()); }
    TComponent* Components(int32_t index) const;
    // Case-insensitive search among the owned components.
    TComponent* FindComponent(const std::string& name) const;
    bool Destroying() const { return FDestroying; }

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

protected:
    // Told when an owned component is inserted or removed.
    virtual void Notification(TComponent* component, TOperation operation) {}
    // Called first in every destructor chain that wants to know.
    void BeginDestroy() { FDestroying = true; }

private:
    TComponent* FOwner = nullptr;
    std::string FName;
    int32_t FTag = 0;
    bool FDestroying = false;
    std::vector<TComponent*> FComponents;
};

// ---------------------------------------------------------------- TList

class TList : public TObject {
public:
    using TListSortCompare = std::function<int(void*, void*)>;

    int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
    void SetCount(int32_t count);
    int32_t Capacity() const { return static_cast<int32_t>(FItems.capacity()); }
    void SetCapacity(int32_t capacity);
    void* Items(int32_t index) const;
    void SetItems(int32_t index, void* item);
    void* operator[](int32_t index) const { return Items(index); }
    int32_t Add(void* item);
    void Insert(int32_t index, void* item);
    void Delete(int32_t index);
    int32_t Remove(void* item);
    void* Extract(void* item);
    int32_t IndexOf(void* item) const;
    void Exchange(int32_t a, int32_t b);
    void Move(int32_t from, int32_t to);
    void* First() const { return Items(0); }
    void* Last() const { return Items(Count() - 1); }
    virtual void Clear();
    void Sort(const TListSortCompare& compare);
    void Pack();

private:
    void Check(int32_t index) const;
    std::vector<void*> FItems;
};

// ---------------------------------------------------------------- strings

enum TDuplicates { dupIgnore, dupAccept, dupError };

// The abstract string list; controls expose their item lists through it.
class TStrings : public TPersistent {
public:
    virtual int32_t Count() const = 0;
    virtual std::string Get(int32_t index) const = 0;
    virtual void Put(int32_t index, const std::string& s);
    virtual TObject* GetObject(int32_t index) const { return nullptr; }
    virtual void PutObject(int32_t index, TObject* object) {}
    virtual void Insert(int32_t index, const std::string& s) = 0;
    virtual void InsertObject(int32_t index, const std::string& s, TObject* object);
    virtual void Delete(int32_t index) = 0;
    virtual void Clear() = 0;
    virtual int32_t Add(const std::string& s);
    virtual int32_t AddObject(const std::string& s, TObject* object);
    virtual int32_t IndexOf(const std::string& s) const;
    virtual void Exchange(int32_t a, int32_t b);
    virtual void Move(int32_t from, int32_t to);

    std::string operator[](int32_t index) const { return Get(index); }
    std::string Strings(int32_t index) const { return Get(index); }
    void SetStrings(int32_t index, const std::string& s) { Put(index, s); }
    TObject* Objects(int32_t index) const { return GetObject(index); }
    void SetObjects(int32_t index, TObject* object) { PutObject(index, object); }
    int32_t IndexOfObject(const TObject* object) const;
    void AddStrings(const TStrings& strings);
    void Append(const std::string& s) { Add(s); }

    // Lines joined by LineBreak(); setting splits at CR LF, CR or LF.
    std::string Text() const;
    virtual void SetText(const std::string& text);
    const std::string& LineBreak() const { return FLineBreak; }
    void SetLineBreak(const std::string& lineBreak) { FLineBreak = lineBreak; }

    // Delimited text with the platform's quoting: an item holding a blank,
    // the delimiter, the quote or a control character is quoted, with inner
    // quotes doubled. Reading also splits at blanks unless StrictDelimiter.
    std::string DelimitedText() const;
    void SetDelimitedText(const std::string& text);
    std::string CommaText() const;
    void SetCommaText(const std::string& text);
    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char c) { FDelimiter = c; }
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char c) { FQuoteChar = c; }
    bool StrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool strict) { FStrictDelimiter = strict; }

    // "name=value" lines.
    std::string Names(int32_t index) const;
    std::string ValueFromIndex(int32_t index) const;
    std::string Values(const std::string& name) const;
    void SetValues(const std::string& name, const std::string& value);
    int32_t IndexOfName(const std::string& name) const;

    // Files are read as UTF-8 when valid, else as Windows-1252; written as
    // UTF-8 through a temporary file. Failures raise EFOpenError/EFCreateError.
    virtual void LoadFromFile(const std::string& path);
    virtual void SaveToFile(const std::string& path) const;

    void BeginUpdate();
    void EndUpdate();
    int32_t UpdateCount() const { return FUpdateCount; }

    void Assign(const TPersistent* source) override;

protected:
    virtual void SetUpdateState(bool updating) {}
    virtual int CompareStrings(const std::string& a, const std::string& b) const { return CompareText(a, b); }
    void Error(const char* message, int64_t index) const;

private:
    int32_t FUpdateCount = 0;
    std::string FLineBreak = "\n";
    char FDelimiter = ',';
    char FQuoteChar = '"';
    bool FStrictDelimiter = false;
};

class TStringList : public TStrings {
public:
    using TStringListSortCompare = std::function<int(TStringList& list, int32_t a, int32_t b)>;

    TStringList() = default;
    ~TStringList() override;

    int32_t Count() const override { return static_cast<int32_t>(FItems.size()); }
    std::string Get(int32_t index) const override;
    void Put(int32_t index, const std::string& s) override;
    TObject* GetObject(int32_t index) const override;
    void PutObject(int32_t index, TObject* object) override;
    void Insert(int32_t index, const std::string& s) override;
    void InsertObject(int32_t index, const std::string& s, TObject* object) override;
    void Delete(int32_t index) override;
    void Clear() override;
    int32_t Add(const std::string& s) override;
    int32_t AddObject(const std::string& s, TObject* object) override;
    int32_t IndexOf(const std::string& s) const override;
    void Exchange(int32_t a, int32_t b) override;
    void SetText(const std::string& text) override;

    // Binary search in a sorted list; index is where s is or would go.
    bool Find(const std::string& s, int32_t& index) const;
    virtual void Sort();
    void CustomSort(const TStringListSortCompare& compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates duplicates) { FDuplicates = duplicates; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool caseSensitive);
    // When True the list frees its objects on delete, clear and destruction.
    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool owns) { FOwnsObjects = owns; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    int CompareStrings(const std::string& a, const std::string& b) const override;
    virtual void Changed();
    virtual void Changing();

private:
    struct Item {
        std::string Text;
        TObject* Object = nullptr;
    };
    void InsertItem(int32_t index, const std::string& s, TObject* object);
    void Check(int32_t index) const;
    std::vector<Item> FItems;
    bool FSorted = false;
    bool FCaseSensitive = false;
    bool FOwnsObjects = false;
    TDuplicates FDuplicates = dupIgnore;
};

// ---------------------------------------------------------------- streams

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, soCurrent); }
    void SetPosition(int64_t position) { Seek(position, soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t size);

    // Exactly count bytes or EReadError/EWriteError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source (0: all of source from its start).
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TCustomMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return FSize; }
    const uint8_t* Memory() const { return FMemory; }
    uint8_t* Memory() { return FMemory; }
    void SaveToStream(TStream& stream);
    void SaveToFile(const std::string& path);

protected:
    void SetPointer(uint8_t* memory, int64_t size);
    uint8_t* FMemory = nullptr;
    int64_t FSize = 0;
    int64_t FPosition = 0;
};

class TMemoryStream : public TCustomMemoryStream {
public:
    TMemoryStream() = default;
    ~TMemoryStream() override = default;
    int64_t Write(const void* buffer, int64_t count) override;
    void SetSize(int64_t size) override;
    void Clear();
    void LoadFromStream(TStream& stream);
    void LoadFromFile(const std::string& path);

private:
    // Grows by realloc: large blocks move without a copy, and new room is
    // not filled until it is used.
    struct FreeDeleter {
        void operator()(uint8_t* p) const;
    };
    void Reserve(int64_t capacity);
    std::unique_ptr<uint8_t, FreeDeleter> FBlock;
    int64_t FCapacity = 0;
};

// A read-only stream over bytes that someone else owns.
class TReadOnlyMemoryStream : public TCustomMemoryStream {
public:
    TReadOnlyMemoryStream(const void* data, int64_t size);
    int64_t Write(const void* buffer, int64_t count) override;
};

class TStringStream : public TStream {
public:
    explicit TStringStream(std::string data = {}) : FData(std::move(data)) {}
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    const std::string& DataString() const { return FData; }

private:
    std::string FData;
    int64_t FPosition = 0;
};

inline constexpr uint16_t fmCreate = 0xFF00;
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
inline constexpr uint16_t fmShareCompat = 0x0000;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyRead = 0x0030;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
public:
    // fmCreate creates or truncates (EFCreateError); the others open an
    // existing file (EFOpenError). Share flags are accepted and ignored.
    TFileStream(const std::string& path, uint16_t mode);
    ~TFileStream() override;
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;
    const std::string& FileName() const { return FFileName; }

private:
    std::string FFileName;
    std::FILE* FFile = nullptr;
};

// INI files of our own, with the semantics of the Windows profile functions:
// section and key names compare without regard to case, file order is kept,
// every write reaches the disk at once through a temporary file and a rename.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/Classes.h"

class TCustomIniFile : public TObject {
public:
    explicit TCustomIniFile(std::string fileName) : FFileName(std::move(fileName)) {}
    const std::string& FileName() const { return FFileName; }

    virtual std::string ReadString(const std::string& section, const std::string& ident,
                                   const std::string& def) = 0;
    virtual void WriteString(const std::string& section, const std::string& ident, const std::string& value) = 0;
    virtual void ReadSection(const std::string& section, TStrings& strings) = 0;
    virtual void ReadSections(TStrings& strings) = 0;
    virtual void ReadSectionValues(const std::string& section, TStrings& strings) = 0;
    virtual void EraseSection(const std::string& section) = 0;
    virtual void DeleteKey(const std::string& section, const std::string& ident) = 0;
    virtual void UpdateFile() {}

    // Decimal, or hexadecimal after "0x"; anything else gives the default.
    int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t def);
    void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
    // A number other than 0 is True; written as "1" and "0".
    bool ReadBool(const std::string& section, const std::string& ident, bool def);
    void WriteBool(const std::string& section, const std::string& ident, bool value);
    long double ReadFloat(const std::string& section, const std::string& ident, long double def);
    void WriteFloat(const std::string& section, const std::string& ident, long double value);
    bool SectionExists(const std::string& section);
    bool ValueExists(const std::string& section, const std::string& ident);

private:
    std::string FFileName;
};

class TIniFile : public TCustomIniFile {
public:
    // Nothing is read or created until the first call; a missing file reads
    // as empty. A file that exists but cannot be read is an error: reads
    // raise EFOpenError and writes are refused, so that it is never replaced
    // by what little we know of it.
    explicit TIniFile(const std::string& fileName);

    std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) override;
    // Raises EIniFileException "Unable to write to <path>" when the file
    // cannot be written (for example when its folder does not exist or the
    // file is read-only or unreadable), and for a name or value that cannot
    // be read back as written (a line break in any, "]" in a section name,
    // "=" in a key or a key starting with "[" or ";").
    void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;
    void ReadSection(const std::string& section, TStrings& strings) override;
    void ReadSections(TStrings& strings) override;
    void ReadSectionValues(const std::string& section, TStrings& strings) override;
    void EraseSection(const std::string& section) override;
    void DeleteKey(const std::string& section, const std::string& ident) override;

private:
    struct Stamp {
        bool exists = false;
        int64_t mtimeNs = 0, size = 0, inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    // One line as it was read: its text in UTF-8 and, until it is changed,
    // its bytes with the line break, written back as they were. Each line
    // is decoded on its own (UTF-8, else Windows-1252), so one stray byte
    // does not re-encode the rest of the file.
    struct Line {
        std::string Text;
        std::string Raw;  // empty: a line we wrote
    };
    void Refresh();
    // Refresh, raising the read error of a file that could not be read.
    void Load();
    // Refresh for a write: a file that could not be read is not written.
    void LoadForWrite();
    void Save();
    void ReadKeys(const std::string& section, TStrings& strings, bool withValues);
    // Index of the first header line of section, or -1.
    int FindSection(const std::string& section) const;
    // Index of the line of ident inside the section starting at header, or -1.
    int FindKey(int header, const std::string& ident) const;
    int SectionEnd(int header) const;
    Stamp CurrentStamp(int& error) const;

    std::vector<Line> FLines;
    std::string FLineBreak = "\n";
    std::string FReadError;  // why the file could not be read, or empty
    Stamp FStamp;
    bool FLoaded = false;
};

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
    // as empty.
    explicit TIniFile(const std::string& fileName);

    std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) override;
    // Raises EIniFileException "Unable to write to <path>" when the file
    // cannot be written (for example when its folder does not exist).
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
    void Refresh();
    void Save();
    void ReadKeys(const std::string& section, TStrings& strings, bool withValues);
    // Index of the first header line of section, or -1.
    int FindSection(const std::string& section) const;
    // Index of the line of ident inside the section starting at header, or -1.
    int FindKey(int header, const std::string& ident) const;
    int SectionEnd(int header) const;
    Stamp CurrentStamp() const;

    std::vector<std::string> FLines;
    std::string FLineBreak = "\n";
    Stamp FStamp;
    bool FLoaded = false;
};

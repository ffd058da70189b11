#include "platform/runtime/IniFiles.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace {

std::string TrimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

// "[name]" lines give the name; anything else gives false.
bool SectionName(const std::string& line, std::string& name) {
    std::string t = TrimBlanks(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = TrimBlanks(t.substr(1, close - 1));
    return true;
}

bool IsComment(const std::string& line) {
    std::string t = TrimBlanks(line);
    return t.empty() || t[0] == ';';
}

// Splits "key=value"; a line without "=" is a key with no value.
void SplitKey(const std::string& line, std::string& key, std::string& value) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
        key = TrimBlanks(line);
        value.clear();
        return;
    }
    key = TrimBlanks(line.substr(0, eq));
    value = TrimBlanks(line.substr(eq + 1));
    // The profile functions drop one pair of matching quotes around a value.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// Only what reads back as it was written: a line break would plant a line
// of its own.
bool Writable(const std::string& section, const std::string& ident, const std::string& value) {
    if (HasLineBreak(section) || HasLineBreak(ident) || HasLineBreak(value)) return false;
    if (section.find(']') != std::string::npos) return false;
    if (ident.find('=') != std::string::npos) return false;
    return ident.empty() || (ident[0] != '[' && ident[0] != ';');
}

}  // namespace

// ---------------------------------------------------------------- TCustomIniFile

int32_t TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t def) {
    std::string s = ReadString(section, ident, "");
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) return StrToIntDef("$" + s.substr(2), def);
    return StrToIntDef(s, def);
}

void TCustomIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value) {
    WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

long double TCustomIniFile::ReadFloat(const std::string& section, const std::string& ident, long double def) {
    std::string s = ReadString(section, ident, "");
    return s.empty() ? def : StrToFloatDef(s, def);
}

void TCustomIniFile::WriteFloat(const std::string& section, const std::string& ident, long double value) {
    WriteString(section, ident, FloatToStr(value));
}

bool TCustomIniFile::SectionExists(const std::string& section) {
    TStringList keys;
    ReadSection(section, keys);
    if (keys.Count() > 0) return true;
    TStringList sections;
    ReadSections(sections);
    return sections.IndexOf(section) >= 0;
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& ident) {
    TStringList keys;
    ReadSection(section, keys);
    return keys.IndexOf(ident) >= 0;
}

// ---------------------------------------------------------------- TIniFile

TIniFile::TIniFile(const std::string& fileName) : TCustomIniFile(fileName) {}

TIniFile::Stamp TIniFile::CurrentStamp(int& error) const {
    struct stat st{};
    Stamp s;
    error = 0;
    if (::stat(FileName().c_str(), &st) != 0) {
        // Only a file that is not there reads as empty.
        if (errno != ENOENT && errno != ENOTDIR) error = errno;
        return s;
    }
    s.exists = true;
    s.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.size = st.st_size;
    s.inode = static_cast<int64_t>(st.st_ino);
    return s;
}

// Another program (or another TIniFile) may have changed the file since we
// read it: read it again whenever its stamp moved.
void TIniFile::Refresh() {
    int error = 0;
    Stamp now = CurrentStamp(error);
    if (FLoaded && error == 0 && now == FStamp) return;
    FLines.clear();
    FLineBreak = "\n";
    FReadError.clear();
    FLoaded = false;
    std::string bytes;
    try {
        if (error != 0) throw EFOpenError(FmtMsg(SysConst::SFOpenError, FileName(), std::strerror(error)));
        if (now.exists) bytes = ReadFileBytes(FileName());
    } catch (const EFOpenError& e) {
        // Tried again at the next call.
        FReadError = e.Message();
        return;
    }
    size_t firstLf = bytes.find('\n');
    if (firstLf != std::string::npos && firstLf > 0 && bytes[firstLf - 1] == '\r') FLineBreak = "\r\n";
    for (size_t i = 0; i < bytes.size();) {
        size_t end = bytes.find_first_of("\r\n", i);
        size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end != std::string::npos && bytes[end] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
        Line line;
        line.Raw = bytes.substr(i, next - i);
        std::string_view text(line.Raw);
        text = text.substr(0, (end == std::string::npos ? bytes.size() : end) - i);
        if (i == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        line.Text = IsValidUtf8(text) ? std::string(text) : Cp1252ToUtf8(text);
        FLines.push_back(std::move(line));
        i = next;
    }
    FStamp = now;
    FLoaded = true;
}

void TIniFile::Load() {
    Refresh();
    if (!FReadError.empty()) throw EFOpenError(FReadError);
}

void TIniFile::LoadForWrite() {
    Refresh();
    if (!FReadError.empty()) throw EIniFileException(FmtMsg(SysConst::SIniFileWriteError, FileName()));
}

void TIniFile::Save() {
    std::string text;
    for (size_t i = 0; i < FLines.size(); ++i) {
        const Line& line = FLines[i];
        if (line.Raw.empty()) {
            text += line.Text;
            text += FLineBreak;
            continue;
        }
        text += line.Raw;
        // The file's last line had no line break; lines now follow it.
        const char last = line.Raw.back();
        if (i + 1 < FLines.size() && last != '\n' && last != '\r') text += FLineBreak;
    }
    if (!WriteFileAtomically(FileName(), text)) {
        FLoaded = false;  // what we hold in memory is not what the file holds
        throw EIniFileException(FmtMsg(SysConst::SIniFileWriteError, FileName()));
    }
    int error = 0;
    FStamp = CurrentStamp(error);
}

int TIniFile::FindSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < FLines.size(); ++i)
        if (SectionName(FLines[i].Text, name) && SameText(name, section)) return static_cast<int>(i);
    return -1;
}

int TIniFile::SectionEnd(int header) const {
    std::string name;
    size_t i = static_cast<size_t>(header) + 1;
    while (i < FLines.size() && !SectionName(FLines[i].Text, name)) ++i;
    return static_cast<int>(i);
}

int TIniFile::FindKey(int header, const std::string& ident) const {
    int end = SectionEnd(header);
    std::string key, value;
    for (int i = header + 1; i < end; ++i) {
        if (IsComment(FLines[static_cast<size_t>(i)].Text)) continue;
        SplitKey(FLines[static_cast<size_t>(i)].Text, key, value);
        if (SameText(key, ident)) return i;
    }
    return -1;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
    Load();
    int header = FindSection(section);
    if (header < 0) return def;
    int line = FindKey(header, ident);
    if (line < 0) return def;
    std::string key, value;
    SplitKey(FLines[static_cast<size_t>(line)].Text, key, value);
    return value;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    if (!Writable(section, ident, value)) throw EIniFileException(FmtMsg(SysConst::SIniFileWriteError, FileName()));
    LoadForWrite();
    Line entry{ident + "=" + value, {}};
    int header = FindSection(section);
    if (header < 0) {
        // A new section goes at the end, after a blank line when the file has text.
        if (!FLines.empty() && !TrimBlanks(FLines.back().Text).empty()) FLines.push_back({});
        FLines.push_back({"[" + section + "]", {}});
        FLines.push_back(std::move(entry));
    } else {
        int line = FindKey(header, ident);
        if (line >= 0) {
            FLines[static_cast<size_t>(line)] = std::move(entry);
        } else {
            // After the section's last non-blank line.
            int at = SectionEnd(header);
            while (at - 1 > header && TrimBlanks(FLines[static_cast<size_t>(at - 1)].Text).empty()) --at;
            FLines.insert(FLines.begin() + at, std::move(entry));
        }
    }
    Save();
}

void TIniFile::ReadKeys(const std::string& section, TStrings& strings, bool withValues) {
    Load();
    strings.BeginUpdate();
    strings.Clear();
    int header = FindSection(section);
    if (header >= 0) {
        int end = SectionEnd(header);
        std::string key, value;
        for (int i = header + 1; i < end; ++i) {
            if (IsComment(FLines[static_cast<size_t>(i)].Text)) continue;
            SplitKey(FLines[static_cast<size_t>(i)].Text, key, value);
            if (!key.empty()) strings.Add(withValues ? key + "=" + value : key);
        }
    }
    strings.EndUpdate();
}

void TIniFile::ReadSection(const std::string& section, TStrings& strings) { ReadKeys(section, strings, false); }

void TIniFile::ReadSections(TStrings& strings) {
    Load();
    strings.BeginUpdate();
    strings.Clear();
    std::string name;
    std::vector<std::string> seen;
    for (const auto& line : FLines) {
        if (!SectionName(line.Text, name)) continue;
        bool dup = false;
        for (const auto& s : seen)
            if (SameText(s, name)) dup = true;
        if (dup) continue;
        seen.push_back(name);
        strings.Add(name);
    }
    strings.EndUpdate();
}

void TIniFile::ReadSectionValues(const std::string& section, TStrings& strings) {
    ReadKeys(section, strings, true);
}

void TIniFile::EraseSection(const std::string& section) {
    LoadForWrite();
    bool changed = false;
    for (int header = FindSection(section); header >= 0; header = FindSection(section)) {
        int end = SectionEnd(header);
        FLines.erase(FLines.begin() + header, FLines.begin() + end);
        changed = true;
    }
    if (changed) Save();
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    LoadForWrite();
    int header = FindSection(section);
    if (header < 0) return;
    int line = FindKey(header, ident);
    if (line < 0) return;
    FLines.erase(FLines.begin() + line);
    Save();
}

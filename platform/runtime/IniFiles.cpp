#include "platform/runtime/IniFiles.h"

#include <sys/stat.h>

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

TIniFile::Stamp TIniFile::CurrentStamp() const {
    struct stat st{};
    Stamp s;
    if (::stat(FileName().c_str(), &st) != 0) return s;
    s.exists = true;
    s.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.size = st.st_size;
    s.inode = static_cast<int64_t>(st.st_ino);
    return s;
}

// Another program (or another TIniFile) may have changed the file since we
// read it: read it again whenever its stamp moved.
void TIniFile::Refresh() {
    Stamp now = CurrentStamp();
    if (FLoaded && now == FStamp) return;
    FLines.clear();
    FLineBreak = "\n";
    if (now.exists) {
        std::string text;
        try {
            text = DecodeFileText(ReadFileBytes(FileName()));
        } catch (const EStreamError&) {
            text.clear();
        }
        size_t i = 0;
        size_t firstLf = text.find('\n');
        if (firstLf != std::string::npos && firstLf > 0 && text[firstLf - 1] == '\r') FLineBreak = "\r\n";
        while (i < text.size()) {
            size_t end = text.find_first_of("\r\n", i);
            if (end == std::string::npos) {
                FLines.push_back(text.substr(i));
                break;
            }
            FLines.push_back(text.substr(i, end - i));
            i = end + 1;
            if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
        }
    }
    FStamp = now;
    FLoaded = true;
}

void TIniFile::Save() {
    std::string text;
    for (const auto& line : FLines) {
        text += line;
        text += FLineBreak;
    }
    if (!WriteFileAtomically(FileName(), text)) {
        FLoaded = false;  // what we hold in memory is not what the file holds
        throw EIniFileException(FmtMsg(SysConst::SIniFileWriteError, FileName()));
    }
    FStamp = CurrentStamp();
}

int TIniFile::FindSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < FLines.size(); ++i)
        if (SectionName(FLines[i], name) && SameText(name, section)) return static_cast<int>(i);
    return -1;
}

int TIniFile::SectionEnd(int header) const {
    std::string name;
    size_t i = static_cast<size_t>(header) + 1;
    while (i < FLines.size() && !SectionName(FLines[i], name)) ++i;
    return static_cast<int>(i);
}

int TIniFile::FindKey(int header, const std::string& ident) const {
    int end = SectionEnd(header);
    std::string key, value;
    for (int i = header + 1; i < end; ++i) {
        if (IsComment(FLines[static_cast<size_t>(i)])) continue;
        SplitKey(FLines[static_cast<size_t>(i)], key, value);
        if (SameText(key, ident)) return i;
    }
    return -1;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
    Refresh();
    int header = FindSection(section);
    if (header < 0) return def;
    int line = FindKey(header, ident);
    if (line < 0) return def;
    std::string key, value;
    SplitKey(FLines[static_cast<size_t>(line)], key, value);
    return value;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    Refresh();
    std::string entry = ident + "=" + value;
    int header = FindSection(section);
    if (header < 0) {
        // A new section goes at the end, after a blank line when the file has text.
        if (!FLines.empty() && !TrimBlanks(FLines.back()).empty()) FLines.emplace_back();
        FLines.push_back("[" + section + "]");
        FLines.push_back(entry);
    } else {
        int line = FindKey(header, ident);
        if (line >= 0) {
            FLines[static_cast<size_t>(line)] = entry;
        } else {
            // After the section's last non-blank line.
            int at = SectionEnd(header);
            while (at - 1 > header && TrimBlanks(FLines[static_cast<size_t>(at - 1)]).empty()) --at;
            FLines.insert(FLines.begin() + at, entry);
        }
    }
    Save();
}

void TIniFile::ReadKeys(const std::string& section, TStrings& strings, bool withValues) {
    Refresh();
    strings.BeginUpdate();
    strings.Clear();
    int header = FindSection(section);
    if (header >= 0) {
        int end = SectionEnd(header);
        std::string key, value;
        for (int i = header + 1; i < end; ++i) {
            if (IsComment(FLines[static_cast<size_t>(i)])) continue;
            SplitKey(FLines[static_cast<size_t>(i)], key, value);
            if (!key.empty()) strings.Add(withValues ? key + "=" + value : key);
        }
    }
    strings.EndUpdate();
}

void TIniFile::ReadSection(const std::string& section, TStrings& strings) { ReadKeys(section, strings, false); }

void TIniFile::ReadSections(TStrings& strings) {
    Refresh();
    strings.BeginUpdate();
    strings.Clear();
    std::string name;
    std::vector<std::string> seen;
    for (const auto& line : FLines) {
        if (!SectionName(line, name)) continue;
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
    Refresh();
    bool changed = false;
    for (int header = FindSection(section); header >= 0; header = FindSection(section)) {
        int end = SectionEnd(header);
        FLines.erase(FLines.begin() + header, FLines.begin() + end);
        changed = true;
    }
    if (changed) Save();
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident) {
    Refresh();
    int header = FindSection(section);
    if (header < 0) return;
    int line = FindKey(header, ident);
    if (line < 0) return;
    FLines.erase(FLines.begin() + line);
    Save();
}

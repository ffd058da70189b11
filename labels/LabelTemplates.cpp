#include "labels/LabelTemplates.h"

#include "labels/LabelConst.h"
#include "platform/runtime/IniFiles.h"
#include "platform/runtime/SysUtils.h"

std::string LabelTemplateFilePath() { return SettingsFolder() + LabelConst::STemplateFileName; }

std::vector<std::string> ReadTemplateNames(TCustomIniFile& ini) {
    TStringList sections;
    ini.ReadSections(sections);
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(sections.Count()));
    for (int32_t i = 0; i < sections.Count(); ++i) names.push_back(sections.Strings(i));
    return names;
}

void LoadTemplateList(TStrings& names) {
    TIniFile ini(LabelTemplateFilePath());
    ini.ReadSections(names);
}

TLabelTemplate ReadLabelTemplate(TCustomIniFile& ini, const std::string& name) {
    TLabelTemplate values;
    for (const TTemplateKey& key : TemplateKeys) values.*key.Field = ini.ReadString(name, key.Key, key.Default);
    return values;
}

void WriteLabelTemplate(TCustomIniFile& ini, const std::string& name, const TLabelTemplate& values) {
    for (const TTemplateKey& key : TemplateKeys) {
        const std::string& text = values.*key.Field;
        if (text.empty() && !key.AlwaysWritten) continue;
        ini.WriteString(name, key.Key, text);
    }
}

void DeleteLabelTemplate(TCustomIniFile& ini, const std::string& name) { ini.EraseSection(name); }

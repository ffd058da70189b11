// The label template file: one section per template, fourteen keys, every
// value the text of the field it came from. No window here; the template
// editor and the label sheet window map the keys onto their own fields.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

class TCustomIniFile;
class TStrings;

struct TLabelTemplate {
    std::string Width = "0";  // one label, mm
    std::string Height = "0";
    std::string LabelLeft = "0";  // symbol offset inside the label, mm
    std::string LabelTop = "0";
    std::string Rows = "1";
    std::string Columns = "1";
    std::string PageLeft = "0";  // paper edge to the first label, mm
    std::string PageTop = "0";
    std::string HorzPitch = "0";  // label origin to label origin, mm
    std::string VertPitch = "0";
    std::string TopCaption = "0";  // format texts with the label number
    std::string BottomCaption = "0";
    std::string TopFontSize = "8";  // points
    std::string BottomFontSize = "8";
};

struct TTemplateKey {
    const char* Key;
    std::string TLabelTemplate::*Field;
    // Written also when the field is empty (the captions); the others are
    // skipped then and keep what the file holds.
    bool AlwaysWritten;
    // Read when the key is missing; a key present with an empty value reads
    // as empty.
    const char* Default;
};

// In the order the editor writes them.
inline constexpr std::size_t TemplateKeyCount = 14;
inline constexpr std::array<TTemplateKey, TemplateKeyCount> TemplateKeys{{
    {"width", &TLabelTemplate::Width, false, "0"},
    {"height", &TLabelTemplate::Height, false, "0"},
    {"llmargin", &TLabelTemplate::LabelLeft, false, "0"},
    {"ltmargin", &TLabelTemplate::LabelTop, false, "0"},
    {"rows", &TLabelTemplate::Rows, false, "1"},
    {"columns", &TLabelTemplate::Columns, false, "1"},
    {"pglmargin", &TLabelTemplate::PageLeft, false, "0"},
    {"pgtmargin", &TLabelTemplate::PageTop, false, "0"},
    {"horizsp", &TLabelTemplate::HorzPitch, false, "0"},
    {"vertsp", &TLabelTemplate::VertPitch, false, "0"},
    {"tcaption", &TLabelTemplate::TopCaption, true, "0"},
    {"bcaption", &TLabelTemplate::BottomCaption, true, "0"},
    {"tcapfont", &TLabelTemplate::TopFontSize, false, "8"},
    {"bcapfont", &TLabelTemplate::BottomFontSize, false, "8"},
}};

// The settings folder + "vrslbl.ini".
std::string LabelTemplateFilePath();

// The template names (section names) in file order.
std::vector<std::string> ReadTemplateNames(TCustomIniFile& ini);
// Replaces names by the template names of the template file, in file order.
void LoadTemplateList(TStrings& names);
// A missing section or file gives the defaults of the key table.
TLabelTemplate ReadLabelTemplate(TCustomIniFile& ini, const std::string& name);
// Writes the keys in table order; a refused write raises the profile error
// and leaves the keys written before it in the file.
void WriteLabelTemplate(TCustomIniFile& ini, const std::string& name, const TLabelTemplate& values);
// A name that is no section leaves the file as it is.
void DeleteLabelTemplate(TCustomIniFile& ini, const std::string& name);

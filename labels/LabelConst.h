// Fixed texts of the label sheets: captions, messages, the template file and
// its keys. Code raises and shows these; tests compare them.
#pragma once

#include <array>
#include <cstdint>

namespace LabelConst {
inline constexpr const char* STemplateFileName = "vrslbl.ini";

// Message box caption of the counting print.
inline constexpr const char* SMessageCaption = "Varsona";

// Template editor.
inline constexpr const char* SPropsCaption = "Custom Label Properties";
inline constexpr const char* SSelectTemplate = "Select Existing Template";
inline constexpr const char* SNoTemplateName = "Please type in a name for your label template.";
inline constexpr const char* STemplateCreated = "Label template created.";
// Template deletion from the label sheet window.
inline constexpr const char* SConfirmDelete = "This will delete the label template. Do you wish to continue.";
inline constexpr const char* STemplateRemoved = "Label template removed.";

// Label sheet window.
inline constexpr const char* SLabelsCaption = "Print Label Sheets";
inline constexpr const char* SBarcodeType = "Barcode Type: ";
inline constexpr const char* SPrinting = "Printing ...";
inline constexpr const char* SRangeHint = "Labels are numbered left to right, top to bottom";

// Print jobs.
inline constexpr const char* SJobTitle = "Application";

// Counting print refusals: the first line, then the reason.
inline constexpr const char* SIncrementTerminated = "Increment Print Terminated:";
inline constexpr const char* SBeginNotLower = "Begining number must be lower than ending number.";
inline constexpr const char* SNoIncrement = "Print number does not increment.";
inline constexpr const char* SNineDigits =
    "Incrementing number may not exceed 9 digits in length. Reduce the number length, or place more of the "
    "begining digits in the prefix box.";
// A page that would print no number would start page after page.
inline constexpr const char* SNoPositionSelected = "The print range selects no label on the page.";

// The data print: start fields before the first position, and a print
// that would place no label.
inline constexpr const char* SBadDataStart = "The start row and column of a data print must be 1 or more.";
inline constexpr const char* SNoDataLabel = "The label data table holds no label to print.";
inline constexpr const char* SNoDataInRange = "The print range selects none of the label data table's labels.";

// Rows, columns and copies are held to their up-downs' range.
inline constexpr int32_t MaxCount = 999;

// Geometry that puts the labels off the paper is refused before the job.
inline constexpr const char* SOffPaper = "The margins and pitches put the labels off the paper.";
// A cancelled counting run starts again where it stopped.
inline constexpr const char* SPrintCancelled = "Printing cancelled. The next print starts at %s.";
inline constexpr const char* SCancel = "Cancel";

// Template names: the section name must read back as it was written.
inline constexpr const char* SBadTemplateName =
    "A label template name may not hold \"[\", \"]\" or control characters.";

// Questions before edits would be lost: Yes saves, No drops, Cancel keeps.
inline constexpr const char* SSaveEdits = "Save the changes made in the data editor to the label data table?";
inline constexpr const char* SSaveDataTable =
    "The label data table has changes that are not saved to a file. Save them first?";

// The label windows read the main window's symbol.
inline constexpr const char* SNoMainWindow = "The main window does not exist";

// Both windows' caption font sizes, in this order.
inline constexpr std::array<const char*, 15> FontSizes{"6",  "8",  "10", "12", "14", "16", "18", "20",
                                                       "22", "24", "26", "28", "36", "48", "72"};
}  // namespace LabelConst

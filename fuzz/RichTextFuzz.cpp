// Any bytes read as a rich-text cell: the reader never crashes, hangs or
// overflows, and keeps its promises whatever the input: every run is valid
// UTF-8 without control characters but TAB, and its size is in range.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "grid/VsRichEdit.h"
#include "platform/runtime/SysUtils.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckRuns(const std::vector<TRichRun>& runs) {
    for (const TRichRun& r : runs) {
        Check(IsValidUtf8(r.Text));
        Check(IsValidUtf8(r.FontName));
        for (const char ch : r.Text) {
            const auto c = static_cast<unsigned char>(ch);
            Check((c >= 0x20 && c != 0x7F) || c == '\t');
        }
        Check(r.HalfPoints >= 1 && r.HalfPoints <= TRichRun::MaxHalfPoints);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckRuns(TVsRichEdit::Parse(text));
    // The same bytes as the body of a document, so that mutations that
    // break the header still reach the reader.
    CheckRuns(TVsRichEdit::Parse("{\\rtf1 " + text));
    return 0;
}

// Reading any bytes as a label data file never crashes or hangs; read in
// pieces it gives what it gives at once, no row has more than 50 fields,
// and what it read, written again, reads back to the same rows.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "labels/LabelDataFile.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

bool Read(std::string_view text, size_t piece, Rows& rows, std::string& error) {
    rows.clear();
    try {
        LabelData::TFileReader reader("fuzz.csv", [&](std::vector<std::string>& f) { rows.push_back(f); });
        for (size_t at = 0; at < text.size(); at += piece) reader.Feed(text.substr(at, piece));
        reader.Finish();
        return true;
    } catch (const Exception& e) {
        error = e.Message();
        return false;
    }
}

void Trim(Rows& rows) {
    for (auto& row : rows)
        while (!row.empty() && row.back().empty()) row.pop_back();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the size of the pieces.
    const size_t piece = 1 + data[0] % 64;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    Rows whole, pieces;
    std::string wholeError, piecesError;
    const bool ok = Read(text, text.size() + 1, whole, wholeError);
    if (Read(text, piece, pieces, piecesError) != ok || whole != pieces || wholeError != piecesError) std::abort();
    if (!ok) return 0;
    std::string written;
    for (size_t r = 0; r < whole.size(); ++r) {
        if (whole[r].size() > static_cast<size_t>(LabelData::MaxFields)) std::abort();
        // Everything read is text a file can hold.
        LabelData::AppendFileRow(written, whole[r], static_cast<int32_t>(r + 1));
    }
    Rows again;
    std::string error;
    if (!Read(written, written.size() + 1, again, error)) std::abort();
    Trim(whole);
    Trim(again);
    // An empty row written is an empty line; at the end, no line at all.
    while (!whole.empty() && whole.back().empty()) whole.pop_back();
    while (!again.empty() && again.back().empty()) again.pop_back();
    if (whole != again) std::abort();
    return 0;
}

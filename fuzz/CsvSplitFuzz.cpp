// The CSV rules of the grid's import on any bytes: lines, the separator two
// lines agree on, a line cut into fields with either kind of line break,
// and OEM text. Nothing may crash or overflow; the separator found is a
// candidate both lines hold equally often; a line is never more fields than
// its separators allow, and a line without a separator is one field that
// keeps its text.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "grid/VsCsv.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

std::string Breaks(std::string_view text, bool tilde) {
    std::string out;
    for (char c : text) {
        if (c == (tilde ? '~' : '\n')) out += "\r\n";
        else out += c;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> lines = VsCsv::SplitLines(text);
    for (std::string_view l : lines) Check(l.find('\n') == std::string_view::npos);

    const std::string_view first = lines.empty() ? std::string_view() : lines[0];
    const std::string_view second = lines.size() < 2 ? std::string_view() : lines[1];
    const char found = VsCsv::DetectSeparator(first, second);
    if (found != '\0') {
        const int n = VsCsv::CountSeparator(first, found);
        Check(n > 0 && n == VsCsv::CountSeparator(second, found));
    }

    // The separator found, and one the input picks, over the first lines.
    const char picked = size ? "\0,;#\t|"[data[0] % 6] : '\0';
    std::vector<std::string> fields;
    size_t done = 0;
    for (std::string_view line : lines) {
        if (++done > 64) break;
        for (char sep : {found, picked})
            for (bool tilde : {false, true}) {
                VsCsv::SplitLine(line, sep, tilde, fields);
                size_t seps = 0;
                if (sep != '\0')
                    for (char c : line) seps += c == sep;
                Check(fields.size() <= seps + 1);
                for (const std::string& f : fields) Check(f.size() <= 2 * line.size());
                if (seps == 0) {
                    Check(fields.size() == (line.empty() ? 0u : 1u));
                    if (!line.empty() && line.front() != '"') Check(fields[0] == Breaks(line, tilde));
                }
            }
        const std::string oem = VsCsv::OemToUtf8(line);
        Check(oem.size() >= line.size() && oem.size() <= 3 * line.size());
    }
    return 0;
}

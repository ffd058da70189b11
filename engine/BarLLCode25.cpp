// Interleaved 2 of 5 (CODE25i and CODE25iP).
#include "engine/BarLL.h"

namespace {

// Five widths per digit, '1' wide (ISO/IEC 16390, table 1).
constexpr std::array<std::string_view, 10> Code25Patterns = {"00110", "10001", "01001", "11000", "00101",
                                                             "10100", "01100", "00011", "10010", "01010"};

int Digit(char c) {
    const int d = c - '0';
    return d >= 0 && d <= 9 ? d : 0;
}

}  // namespace

void TLLBarcode::EncodeCode25() {
    std::size_t n = 0;
    auto element = [&](uint8_t wide) {
        if (n < Code25Elements.size()) Code25Elements[n++] = wide;
    };
    // Start: bar, space, bar, space, all narrow.
    for (int i = 0; i < 4; ++i) element(0);
    for (std::size_t k = 0; k + 1 < TextBuffer.Length(); k += 2) {
        const std::string_view bars = Code25Patterns[static_cast<std::size_t>(Digit(TextBuffer[k]))];
        const std::string_view spaces = Code25Patterns[static_cast<std::size_t>(Digit(TextBuffer[k + 1]))];
        for (std::size_t j = 0; j < 5; ++j) {
            element(bars[j] == '1' ? 1 : 0);
            element(spaces[j] == '1' ? 1 : 0);
        }
    }
    // Stop: wide bar, narrow space, narrow bar.
    element(1);
    element(0);
    element(0);
    for (std::size_t i = 0; i < n; ++i) AppendElement(i % 2 == 0, Code25Elements[i] != 0);
}

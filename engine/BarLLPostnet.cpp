// Postnet and the facing identification marks.
#include "engine/BarLL.h"

#include "platform/runtime/SysUtils.h"

namespace {

// Five bars per digit, '1' tall (USPS Publication 25, the Postnet code).
constexpr std::array<std::string_view, 10> PostnetPatterns = {"11000", "00011", "00101", "00110", "01001",
                                                              "01010", "01100", "10001", "10010", "10100"};
// FIM-A, FIM-B, FIM-C: nine positions, '1' a bar (USPS DMM 708.9).
constexpr std::array<std::string_view, 3> FimPatterns = {"110010011", "101101101", "110101011"};

}  // namespace

constinit const TBarPostnet BarPostnet{};

std::string_view TBarPostnet::Pattern(int digit) const { return PostnetPatterns[static_cast<std::size_t>(digit)]; }

std::string_view TBarPostnet::FimPattern(int fim) const { return FimPatterns[static_cast<std::size_t>(fim)]; }

void TLLBarcode::EncodePostnet() {
    AppendModule(1);
    for (std::size_t k = 0; k < TextBuffer.Length(); ++k) {
        const int d = TextBuffer[k] - '0';
        AppendPattern(BarPostnet.Pattern(d >= 0 && d <= 9 ? d : 0));
    }
    AppendModule(1);
}

void TLLBarcode::EncodeFIM() {
    const char first = UpCase(TextBuffer.Empty() ? '\0' : TextBuffer[0]);
    const int fim = first == 'A' ? 0 : first == 'B' ? 1 : 2;
    AppendPattern(BarPostnet.FimPattern(fim));
    TextBuffer.Assign(fim == 0 ? "FIM-A" : fim == 1 ? "FIM-B" : "FIM-C");
}

// MSI Plessey with its mod-10 check.
#include "engine/BarLL.h"

namespace {

// Each digit as four bits, most significant first.
constexpr std::array<std::string_view, 10> MsiPatterns = {"0000", "0001", "0010", "0011", "0100",
                                                          "0101", "0110", "0111", "1000", "1001"};

int Digit(char c) {
    const int d = c - '0';
    return d >= 0 && d <= 9 ? d : 0;
}

}  // namespace

void TLLBarcode::AddMSIProofchar(TTextBuffer& buffer, btCodeTypes type) {
    const std::size_t n = buffer.Length();
    // Digits are numbered from the right, the last one being 1. The odd ones,
    // read as one decimal number, are doubled digit by digit with carries, so
    // that any length stays exact.
    std::string odd;
    int32_t total = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if ((n - i) % 2 == 1) odd += buffer[i];
        else total += Digit(buffer[i]);
    }
    int carry = 0;
    for (std::size_t j = odd.size(); j-- > 0;) {
        const int v = 2 * Digit(odd[j]) + carry;
        total += v % 10;
        carry = v / 10;
    }
    total += carry;
    const int32_t r = total % 10;
    buffer.Append(static_cast<char>('0' + (r == 0 ? 0 : 10 - r)));
}

void TLLBarcode::EncodeMSI() {
    std::array<uint8_t, MsiBitCount> bits{};
    std::size_t count = 0;
    auto bit = [&](uint8_t b) {
        if (count < bits.size()) bits[count++] = b;
    };
    bit(1);
    for (std::size_t k = 0; k < TextBuffer.Length(); ++k)
        for (char b : MsiPatterns[static_cast<std::size_t>(Digit(TextBuffer[k]))]) bit(b == '1' ? 1 : 0);
    bit(0);
    bit(0);
    for (std::size_t i = 0; i < count; ++i) {
        // 1: wide bar, narrow space; 0: narrow bar, wide space.
        AppendElement(true, bits[i] == 1);
        AppendElement(false, bits[i] == 0);
    }
}

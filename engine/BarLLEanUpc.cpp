// EAN-8, EAN-13, UPC-A, UPC-E and the 2- and 5-digit add-ons.
#include "engine/BarLL.h"

namespace {

// Number sets A (odd parity), B (even parity) and R of the EAN/UPC symbol
// character table (ISO/IEC 15420, table 1), seven modules each.
constexpr std::array<std::string_view, 10> SetA = {"0001101", "0011001", "0010011", "0111101", "0100011",
                                                   "0110001", "0101111", "0111011", "0110111", "0001011"};
constexpr std::array<std::string_view, 10> SetB = {"0100111", "0110011", "0011011", "0100001", "0011101",
                                                   "0111001", "0000101", "0010001", "0001001", "0010111"};
constexpr std::array<std::string_view, 10> SetR = {"1110010", "1100110", "1101100", "1000010", "1011100",
                                                   "1001110", "1010000", "1000100", "1001000", "1110100"};

// EAN-13: sets of digits 2 to 7 by the leading digit (ISO/IEC 15420, table 3).
constexpr std::array<std::string_view, 10> EAN13Parity = {"AAAAAA", "AABABB", "AABBAB", "AABBBA", "ABAABB",
                                                          "ABBAAB", "ABBBAA", "ABABAB", "ABABBA", "ABBABA"};
// UPC-E, number system 0: sets of the six digits by the check digit
// (ISO/IEC 15420, table 4).
constexpr std::array<std::string_view, 10> UPCEParity = {"BBBAAA", "BBABAA", "BBAABA", "BBAAAB", "BABBAA",
                                                         "BAABBA", "BAAABB", "BABABA", "BABAAB", "BAABAB"};
// Add-ons (ISO/IEC 15420, annex): 2 digits by value mod 4, 5 digits by checksum.
constexpr std::array<std::string_view, 4> Addon2Parity = {"AA", "AB", "BA", "BB"};
constexpr std::array<std::string_view, 10> Addon5Parity = {"BBAAA", "BABAA", "BAABA", "BAAAB", "ABBAA",
                                                           "AABBA", "AAABB", "ABABA", "ABAAB", "AABAB"};

// UPC-E to UPC-A expansion by the sixth digit; X is the next data digit.
constexpr std::array<std::string_view, 10> UPCETemplates = {"XX00000XXX", "XX10000XXX", "XX20000XXX",
                                                            "XXX00000XX", "XXXX00000X", "XXXXX00005",
                                                            "XXXXX00006", "XXXXX00007", "XXXXX00008",
                                                            "XXXXX00009"};

// Digit i of a text; a missing or non-digit character counts as 0.
int DigitAt(std::string_view text, std::size_t i) {
    if (i >= text.size()) return 0;
    const int d = text[i] - '0';
    return d >= 0 && d <= 9 ? d : 0;
}

std::string_view Character(char set, int digit) {
    return set == 'A' ? SetA[static_cast<std::size_t>(digit)]
           : set == 'B' ? SetB[static_cast<std::size_t>(digit)]
                        : SetR[static_cast<std::size_t>(digit)];
}

}  // namespace

int32_t TLLBarcode::UPCESum(const TTextBuffer& buffer) {
    std::string expanded = "0";
    std::size_t next = 0;
    for (char c : UPCETemplates[static_cast<std::size_t>(DigitAt(buffer.View(), 5))])
        expanded += c == 'X' ? static_cast<char>('0' + DigitAt(buffer.View(), next++)) : c;
    constexpr std::string_view weights = "31313131313";
    int32_t sum = 0;
    for (std::size_t i = 0; i < weights.size(); ++i) sum += (expanded[i] - '0') * (weights[i] - '0');
    return sum;
}

void TLLBarcode::EncodeEAN13() {
    const std::string_view parity = EAN13Parity[static_cast<std::size_t>(DigitAt(TextBuffer.View(), 0))];
    AppendPattern("101");
    for (std::size_t k = 0; k < 6; ++k) AppendPattern(Character(parity[k], DigitAt(TextBuffer.View(), 1 + k)));
    AppendPattern("01010");
    for (std::size_t k = 0; k < 6; ++k) AppendPattern(Character('R', DigitAt(TextBuffer.View(), 7 + k)));
    AppendPattern("101");
}

void TLLBarcode::EncodeEAN8() {
    AppendPattern("101");
    for (std::size_t k = 0; k < 4; ++k) AppendPattern(Character('A', DigitAt(TextBuffer.View(), k)));
    AppendPattern("01010");
    for (std::size_t k = 0; k < 4; ++k) AppendPattern(Character('R', DigitAt(TextBuffer.View(), 4 + k)));
    AppendPattern("101");
}

void TLLBarcode::EncodeUPCA() {
    AppendPattern("101");
    for (std::size_t k = 0; k < 6; ++k) AppendPattern(Character('A', DigitAt(TextBuffer.View(), k)));
    AppendPattern("01010");
    for (std::size_t k = 0; k < 6; ++k) AppendPattern(Character('R', DigitAt(TextBuffer.View(), 6 + k)));
    AppendPattern("101");
}

void TLLBarcode::EncodeUPCE() {
    const std::string_view parity = UPCEParity[static_cast<std::size_t>(DigitAt(TextBuffer.View(), 6))];
    AppendPattern("101");
    for (std::size_t k = 0; k < 6; ++k) AppendPattern(Character(parity[k], DigitAt(TextBuffer.View(), k)));
    AppendPattern("010101");
}

void TLLBarcode::EncodeAddon2() {
    const TAddonBuffer& addon = Params->Addon;
    const int d1 = DigitAt(addon.View(), 0);
    const int d2 = DigitAt(addon.View(), 1);
    const std::string_view parity = Addon2Parity[static_cast<std::size_t>((10 * d1 + d2) % 4)];
    AppendPattern("000000000");
    AppendPattern("1011");
    AppendPattern(Character(parity[0], d1));
    AppendPattern("01");
    AppendPattern(Character(parity[1], d2));
    AppendPattern("0");
}

void TLLBarcode::EncodeAddon5() {
    const TAddonBuffer& addon = Params->Addon;
    int d[5];
    for (std::size_t k = 0; k < 5; ++k) d[k] = DigitAt(addon.View(), k);
    const int checksum = (3 * (d[0] + d[2] + d[4]) + 9 * (d[1] + d[3])) % 10;
    const std::string_view parity = Addon5Parity[static_cast<std::size_t>(checksum)];
    AppendPattern("000000000");
    AppendPattern("1011");
    for (std::size_t k = 0; k < 5; ++k) {
        if (k > 0) AppendPattern("01");
        AppendPattern(Character(parity[k], d[k]));
    }
    AppendPattern("0");
}

// Code 39.
#include "engine/BarLL.h"

#include "platform/runtime/SysUtils.h"

namespace {

// Bar, space, bar, ... bar; '1' wide (ISO/IEC 16388, table 1), in the order
// of TBarCode39::CharSet.
constexpr std::array<std::string_view, 44> Code39Patterns = {
    "000110100", "100100001", "001100001", "101100000", "000110001",  // 0-4
    "100110000", "001110000", "000100101", "100100100", "001100100",  // 5-9
    "100001001", "001001001", "101001000", "000011001", "100011000",  // A-E
    "001011000", "000001101", "100001100", "001001100", "000011100",  // F-J
    "100000011", "001000011", "101000010", "000010011", "100010010",  // K-O
    "001010010", "000000111", "100000110", "001000110", "000010110",  // P-T
    "110000001", "011000001", "111000000", "010010001", "110010000",  // U-Y
    "011010000", "010000101", "110000100", "011000100", "010101000",  // Z - . space $
    "010100010", "010001010", "000101010", "010010100",               // / + % *
};
static_assert(Code39Patterns.size() == TBarCode39::CharSet.size());

}  // namespace

constinit const TBarCode39 BarCode39{};

int TBarCode39::IndexOf(char c) const {
    const std::size_t i = CharSet.find(c);
    return i == std::string_view::npos ? -1 : static_cast<int>(i);
}

std::string_view TBarCode39::Pattern(int index) const { return Code39Patterns[static_cast<std::size_t>(index)]; }

void TLLBarcode::EncodeCode39() {
    const int zero = BarCode39.IndexOf('0');
    std::size_t e = 0;
    for (std::size_t k = 0; k < TextBuffer.Length() && e + 9 <= Code39Elements.size(); ++k) {
        int index = BarCode39.IndexOf(UpCase(TextBuffer[k]));
        if (index < 0) index = zero;
        const std::string_view pattern = BarCode39.Pattern(index);
        for (std::size_t j = 0; j < 9; ++j) Code39Elements[e + j] = pattern[j] == '1' ? 1 : 0;
        for (std::size_t j = 0; j < 9; ++j) AppendElement(j % 2 == 0, Code39Elements[e + j] != 0);
        AppendModule(0);  // gap after every character, the last included
        e += 9;
    }
}

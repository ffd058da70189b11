// Codabar.
#include "engine/BarLL.h"

#include "platform/runtime/SysUtils.h"

namespace {

// Bar, space, ... bar; '1' wide (the published Codabar character table), in
// the order of TBarCodabar::CharSet.
constexpr std::array<std::string_view, 20> CodabarPatterns = {
    "0000011", "0000110", "0001001", "1100000", "0010010",  // 0-4
    "1000010", "0100001", "0100100", "0110000", "1001000",  // 5-9
    "0001100", "0011000", "1000101", "1010001", "1010100",  // - $ : / .
    "0010101", "0011010", "0101001", "0001011", "0001110",  // + A B C D
};
static_assert(CodabarPatterns.size() == TBarCodabar::CharSet.size());

bool IsStartStop(char c) { return c >= 'A' && c <= 'D'; }

}  // namespace

constinit const TBarCodabar BarCodabar{};

int TBarCodabar::IndexOf(char c) const {
    const std::size_t i = CharSet.find(c);
    return i == std::string_view::npos ? -1 : static_cast<int>(i);
}

std::string_view TBarCodabar::Pattern(int index) const { return CodabarPatterns[static_cast<std::size_t>(index)]; }

void TLLBarcode::PrepareCodabar(TCaptionBuffer& caption, TTextBuffer& buffer) {
    // The stored caption itself becomes upper case.
    for (std::size_t i = 0; i < caption.Length(); ++i) caption[i] = UpCase(caption[i]);
    buffer.Clear();
    const std::size_t n = caption.Length();
    if (n > 0 && !IsStartStop(caption[0])) buffer.Append('A');
    for (std::size_t i = 0; i < n; ++i)
        if (TBarCodabar::CharSet.find(caption[i]) != std::string_view::npos) buffer.Append(caption[i]);
    if (n > 0 && !IsStartStop(caption[n - 1])) buffer.Append('A');
    while (buffer.Length() < 2) buffer.Append('A');
    for (std::size_t i = 1; i + 1 < buffer.Length(); ++i)
        if (IsStartStop(buffer[i])) buffer[i] = '0';
}

void TLLBarcode::EncodeCodabar() {
    for (std::size_t k = 0; k < TextBuffer.Length(); ++k) {
        int index = BarCodabar.IndexOf(TextBuffer[k]);
        if (index < 0) index = 0;
        const std::string_view pattern = BarCodabar.Pattern(index);
        for (std::size_t j = 0; j < 7; ++j) AppendElement(j % 2 == 0, pattern[j] == '1');
        AppendModule(0);
    }
}

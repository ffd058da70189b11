// Code 128: the set compiler, the check character and the encoder.
#include "engine/BarLL.h"

#include "engine/BarMessages.h"
#include "platform/runtime/SysUtils.h"

namespace {

// Element widths bar, space, bar, space, bar, space of the values 0 to 106
// (ISO/IEC 15417, table 1; 103-105 START A/B/C, 106 STOP without its final
// bar).
constexpr std::array<std::string_view, TBarCode128::Count> Code128Widths = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",  // 0
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",  // 10
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",  // 20
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",  // 30
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",  // 40
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",  // 50
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",  // 60
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",  // 70
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",  // 80
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",  // 90
    "114131", "311141", "411131", "211412", "211214", "211232", "233111",                                // 100
};

struct TCode128Patterns {
    std::array<std::array<char, 11>, TBarCode128::Count> Modules{};
};

// Width w of an odd-numbered element gives w dark modules, of an even one w
// light modules.
constexpr TCode128Patterns BuildCode128Patterns() {
    TCode128Patterns table;
    for (std::size_t v = 0; v < Code128Widths.size(); ++v) {
        std::size_t m = 0;
        for (std::size_t e = 0; e < 6; ++e) {
            const int w = Code128Widths[v][e] - '0';
            for (int i = 0; i < w && m < 11; ++i) table.Modules[v][m++] = e % 2 == 0 ? '1' : '0';
        }
    }
    return table;
}

constexpr TCode128Patterns Code128Patterns = BuildCode128Patterns();

constexpr bool EveryPatternHasElevenModules() {
    for (std::string_view w : Code128Widths) {
        int sum = 0;
        for (char c : w) sum += c - '0';
        if (sum != 11) return false;
    }
    return true;
}
static_assert(EveryPatternHasElevenModules());

enum class TSet { None, A, B, C };

}  // namespace

constinit const TBarCode128 BarCode128{};

std::string_view TBarCode128::Pattern(int value) const {
    return {Code128Patterns.Modules[static_cast<std::size_t>(value)].data(), 11};
}

std::string_view TBarCode128::Widths(int value) const { return Code128Widths[static_cast<std::size_t>(value)]; }

std::string TLLBarcode::TranslateCode128(std::string_view text, int mode) {
    using namespace Code128Char;
    std::string out;
    out.reserve(text.size() * (mode == 0 ? 1 : 2) + 3);
    TSet set = TSet::None;
    int pending = -1;  // a set-C digit waiting for its partner

    auto emit = [&](uint8_t c) { out += static_cast<char>(c); };
    // Leaving set C: a waiting digit follows the switch as a character of the
    // new set, so that it is not lost.
    auto flushPending = [&]() {
        if (pending < 0) return;
        emit(static_cast<uint8_t>('0' + pending));
        pending = -1;
    };

    for (std::size_t i = 0; i < text.size(); ++i) {
        const uint8_t c = static_cast<uint8_t>(text[i]);
        if (c >= StartA && c <= Stop) {
            // Only the text's first character starts the symbol; a start or
            // stop pattern inside the data would end or restart the symbol.
            if (i != 0 || c == Stop) throw EOverflow(BarMessages::SCode128Error);
            set = c == StartA ? TSet::A : c == StartB ? TSet::B : TSet::C;
            if (mode == 0) emit(c);
        } else if (c == CodeC || c == CodeB || c == CodeA) {
            // A switch to the set in use changes nothing, so it encodes
            // nothing: as a value it would read as "99" in set C or as FNC4.
            const TSet target = c == CodeC ? TSet::C : c == CodeB ? TSet::B : TSet::A;
            if (set != target) {
                set = target;
                if (mode == 0) emit(c);
                if (set != TSet::C) flushPending();
            }
        } else if (set == TSet::C) {
            const int digit = c >= '0' && c <= '9' ? c - '0' : 0;
            if (pending >= 0) {
                if (mode == 0) {
                    emit(static_cast<uint8_t>(pending * 10 + digit + 32));
                } else {
                    emit(static_cast<uint8_t>('0' + pending));
                    emit(static_cast<uint8_t>('0' + digit));
                }
                pending = -1;
            } else if (c == FNC1) {
                emit(mode == 0 ? c : static_cast<uint8_t>(' '));
            } else {
                pending = digit;
            }
        } else if (set == TSet::A && c >= 96 && c <= 127) {
            // Lower case, {|}~ and DEL have no value in set A: theirs would
            // read as control characters.
            throw EOverflow(BarMessages::SCode128Error);
        } else if (mode == 0) {
            emit(c);
        } else {
            const uint8_t last = set == TSet::A ? 95 : 126;
            emit(c <= last ? c : static_cast<uint8_t>(' '));
        }
    }
    if (set == TSet::C && pending >= 0) {
        if (mode == 0) emit(CodeA);
        flushPending();
    }
    if (mode == 0) emit(Stop);
    return out;
}

void TLLBarcode::AddCode128Checkchar(TTextBuffer& buffer) {
    const std::size_t n = buffer.Length();
    if (n == 0) throw EOverflow(BarMessages::SCode128Error);
    auto value = [&](std::size_t i) {
        const uint8_t c = buffer.Byte(i);
        if (c < TBarCode128::FirstChar || c > Code128Char::Stop) throw EOverflow(BarMessages::SCode128Error);
        return static_cast<int32_t>(c - TBarCode128::FirstChar);
    };
    // The last character is the placeholder for the check.
    int32_t sum = n >= 2 ? value(0) : 0;
    for (std::size_t i = 1; i + 1 < n; ++i) sum += static_cast<int32_t>(i) * value(i);
    buffer[n - 1] = static_cast<char>(sum % 103 + TBarCode128::FirstChar);
    buffer.Append(static_cast<char>(Code128Char::Stop));
}

void TLLBarcode::EncodeCode128() {
    for (std::size_t k = 0; k < TextBuffer.Length(); ++k) {
        const int value = TextBuffer.Byte(k) - TBarCode128::FirstChar;
        if (value < 0 || value >= TBarCode128::Count) throw EOverflow(BarMessages::SCode128Error);
        AppendPattern(BarCode128.Pattern(value));
    }
    AppendPattern("11");
}

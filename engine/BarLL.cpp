// Symbol object: text preparation shared by the families, check digits,
// module building and the measures of a draw.
#include "engine/BarLL.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "engine/BarMessages.h"
#include "platform/runtime/SysUtils.h"

namespace {

constexpr std::string_view Digits = "0123456789";

// Keeps each character of the set at its place, others become '0'.
void FilterChars(const TCaptionBuffer& caption, TTextBuffer& buffer, std::string_view allowed, bool upper) {
    buffer.Clear();
    for (std::size_t i = 0; i < caption.Length(); ++i) {
        char c = upper ? UpCase(caption[i]) : caption[i];
        buffer.Append(allowed.find(c) != std::string_view::npos ? c : '0');
    }
}

void CutAndPad(TTextBuffer& buffer, std::size_t length) {
    buffer.Truncate(length);
    while (buffer.Length() < length) buffer.Append('0');
}

// Weights as digit characters, applied from the first character on.
std::string_view ProofWeights(btCodeTypes type) {
    switch (type) {
        case EAN_8: return "3131313";
        case EAN_13: return "131313131313";
        case UPC_A:
        case UPC_E: return "31313131313";
        case CODE25i: return "31313131313131313131313131313131313131313131313131";
        case CODE25iP: return "49494949494949494949494949494949494949494949494949";
        case Postnet: return "11111111111";
        default: return {};
    }
}

using TEncoder = void (TLLBarcode::*)();

struct TEncoderEntry {
    btCodeTypes Type;
    TEncoder Encode;
};

// One encoder per symbology, in the order of btCodeTypes. Each entry names
// its symbology, so that the checks below see a missing, doubled or
// misplaced entry.
constexpr TEncoderEntry Encoders[] = {
    {EAN_8, &TLLBarcode::EncodeEAN8},
    {EAN_13, &TLLBarcode::EncodeEAN13},
    {UPC_A, &TLLBarcode::EncodeUPCA},
    {UPC_E, &TLLBarcode::EncodeUPCE},
    {CODE39, &TLLBarcode::EncodeCode39},
    {CODE25i, &TLLBarcode::EncodeCode25},
    {CODE25iP, &TLLBarcode::EncodeCode25},
    {CODE128_A, &TLLBarcode::EncodeCode128},
    {CODE128_B, &TLLBarcode::EncodeCode128},
    {CODE128_C, &TLLBarcode::EncodeCode128},
    {MSI_Plessey, &TLLBarcode::EncodeMSI},
    {Codabar, &TLLBarcode::EncodeCodabar},
    {Postnet, &TLLBarcode::EncodePostnet},
    {Postnet_FIM, &TLLBarcode::EncodeFIM},
};

constexpr bool EveryEncoderInItsPlace() {
    for (std::size_t i = 0; i < std::size(Encoders); ++i)
        if (static_cast<std::size_t>(Encoders[i].Type) != i || Encoders[i].Encode == nullptr) return false;
    return true;
}
static_assert(std::size(Encoders) == btCodeTypesCount, "one encoder per btCodeTypes value");
static_assert(EveryEncoderInItsPlace(), "entry i of the encoders is the one of btCodeTypes value i");

// (a * b) / c for c > 0, rounded to nearest, halves away from zero.
int64_t MulDiv64(int64_t a, int64_t b, int64_t c) {
    const int64_t p = a * b;
    return p >= 0 ? (p + c / 2) / c : -((-p + c / 2) / c);
}

}  // namespace

TLLBarcode::TLLBarcode() : Params(std::make_unique<TBarcodeParams>()) {}

TLLBarcode::~TLLBarcode() = default;

// ---------------------------------------------------------------- text preparation

void TLLBarcode::TransfervalidChars(TCaptionBuffer& caption, TTextBuffer& buffer, btCodeTypes type) {
    switch (type) {
        case CODE39:
            // A '*' inside the data would end the symbol for a reader.
            FilterChars(caption, buffer, TBarCode39::DataSet, true);
            {
                std::string text = "*" + buffer.Str() + "*";
                buffer.Assign(text);
            }
            break;
        case Postnet_FIM:
            FilterChars(caption, buffer, "ABCabc", false);
            break;
        case CODE128_A:
        case CODE128_B:
        case CODE128_C: {
            const uint8_t start = type == CODE128_A   ? Code128Char::StartA
                                  : type == CODE128_B ? Code128Char::StartB
                                                      : Code128Char::StartC;
            std::string text(1, static_cast<char>(start));
            text += caption.View();
            buffer.Assign(TranslateCode128(text, 0));
            break;
        }
        case Codabar:
            PrepareCodabar(caption, buffer);
            break;
        default:
            FilterChars(caption, buffer, Digits, false);
            break;
    }
}

void TLLBarcode::PrepareCode(TCaptionBuffer& caption, TTextBuffer& buffer, btCodeTypes type) {
    if (static_cast<std::size_t>(type) >= btCodeTypesCount) throw EOverflow(BarMessages::SUnknownType);
    TransfervalidChars(caption, buffer, type);
    switch (type) {
        case EAN_8:
            CutAndPad(buffer, 7);
            AddProofchar(buffer, type);
            break;
        case EAN_13:
            CutAndPad(buffer, 12);
            AddProofchar(buffer, type);
            break;
        case UPC_A:
            CutAndPad(buffer, 11);
            AddProofchar(buffer, type);
            break;
        case UPC_E:
            CutAndPad(buffer, 6);
            AddProofchar(buffer, type);
            break;
        case CODE25i:
        case CODE25iP:
            // The check digit makes an odd digit count even.
            if (buffer.Length() % 2 == 1) AddProofchar(buffer, type);
            break;
        case CODE128_A:
        case CODE128_B:
        case CODE128_C:
            AddCode128Checkchar(buffer);
            break;
        case MSI_Plessey:
            AddMSIProofchar(buffer, type);
            break;
        case Postnet:
            if (buffer.Length() >= 11) {
                buffer.Truncate(11);
            } else if (buffer.Length() >= 9) {
                buffer.Truncate(9);
            } else {
                CutAndPad(buffer, 5);
            }
            AddProofchar(buffer, type);
            break;
        default:
            break;
    }
}

void TLLBarcode::AddProofchar(TTextBuffer& buffer, btCodeTypes type) {
    int32_t sum = 0;
    if (type == UPC_E) {
        sum = UPCESum(buffer);
    } else {
        std::string_view weights = ProofWeights(type);
        for (std::size_t i = 0; i < buffer.Length() && i < weights.size(); ++i)
            sum += (buffer[i] - '0') * (weights[i] - '0');
    }
    const int32_t r = sum % 10;
    buffer.Append(static_cast<char>('0' + (r == 0 ? 0 : 10 - r)));
}

std::string TLLBarcode::FormatCode25PText(std::string_view text) const {
    auto part = [&](std::size_t from, std::size_t to) {  // 1-based, inclusive
        if (to < from) return std::string();
        return std::string(text.substr(from - 1, to - from + 1));
    };
    if (text.size() == 14)
        return part(1, 5) + "." + part(6, 8) + "." + part(9, 11) + "." + part(12, 13) + "   " + part(14, 14);
    if (text.size() == 12) {
        // The split stays inside the second and third groups.
        const std::size_t split = static_cast<std::size_t>(std::clamp<int32_t>(Params->IdentSplit, 2, 11));
        return part(1, 2) + "." + part(3, split) + "   " + part(split + 1, 11) + "   " + part(12, 12);
    }
    return std::string(text);
}

// ---------------------------------------------------------------- modules

void TLLBarcode::AppendModule(uint8_t value) {
    if (ModuleCount < MaxModules) Modules[static_cast<std::size_t>(++ModuleCount)] = value;
}

void TLLBarcode::AppendElement(bool dark, bool wide) {
    const int n = wide ? (Params->Ratio == Ratio_2 ? 2 : 3) : 1;
    for (int i = 0; i < n; ++i) AppendModule(dark ? 1 : 0);
}

void TLLBarcode::AppendPattern(std::string_view modules) {
    for (char c : modules) AppendModule(c == '1' ? 1 : 0);
}

void TLLBarcode::MakeModules() {
    Modules.fill(0);
    ModuleCount = 0;
    PrepareCode(Params->Caption, TextBuffer, Params->CodeType);
    (this->*Encoders[Params->CodeType].Encode)();
    if (Params->CodeType == EAN_13 || Params->CodeType == UPC_A) {
        if (Params->Addon.Length() == 2) EncodeAddon2();
        else if (Params->Addon.Length() == 5) EncodeAddon5();
    }
}

std::string TLLBarcode::ModuleString() const {
    std::string s(static_cast<std::size_t>(ModuleCount), '0');
    for (int32_t i = 1; i <= ModuleCount; ++i)
        if (Modules[static_cast<std::size_t>(i)]) s[static_cast<std::size_t>(i - 1)] = '1';
    return s;
}

// ---------------------------------------------------------------- measures

long double TLLBarcode::ModuleWidthMM() const {
    long double mm;
    switch (Params->ModuleSize) {
        case SC0: mm = 0.27L; break;
        case SC1: mm = 0.297L; break;
        case SC2: mm = 0.33L; break;
        case SC3: mm = 0.363L; break;
        case SC4: mm = 0.396L; break;
        case SC5: mm = 0.445L; break;
        case SC6: mm = 0.495L; break;
        case SC7: mm = 0.544L; break;
        case SC8: mm = 0.61L; break;
        case SC9: mm = 0.66L; break;
        default: mm = 0.33L; break;
    }
    if (Params->HighDensity) mm = mm / 2;
    return mm;
}

int32_t TLLBarcode::Fit32(int64_t value) {
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
        throw EOverflow(BarMessages::SOutOfRange);
    return static_cast<int32_t>(value);
}

int32_t TLLBarcode::TextFontHeight(int32_t basis) const {
    const btCodeTypes t = Params->CodeType;
    if (t == EAN_13 || t == UPC_A) return Fit32(Round(basis * 0.18L * Params->FontScaling / 100));
    return Fit32(Round(basis * 74.24L / 56.24L * 0.18L * Params->FontScaling / 100));
}

TBarMetrics TLLBarcode::ComputeMetrics(int32_t logPixelsX, int32_t logPixelsY) const {
    TBarMetrics m;
    const btCodeTypes t = Params->CodeType;
    const bool wideMargin = t == EAN_13 || t == UPC_A;
    m.DotsX = logPixelsX / 25.4L;
    m.DotsY = logPixelsY / 25.4L;
    m.MM = ModuleWidthMM();
    m.Px = std::max<int32_t>(1, Fit32(Round(m.MM * m.DotsX)));
    m.Factor = wideMargin ? 74.24L : 56.24L;
    m.Margin = wideMargin ? Fit32(10 * int64_t{m.Px}) : 0;
    if (Params->ZoomSize)
        m.H = Fit32(Round(m.Factor * m.MM * m.DotsY));
    else
        m.H = Fit32(Round(m.Factor * m.MM * m.DotsY * m.Px / (m.MM * m.DotsX)));
    m.Cut = Fit32(MulDiv64(m.H, 100 - int64_t{Params->HeightPercent}, 100));
    m.FontHeight = TextFontHeight(m.H);
    return m;
}

void TLLBarcode::ComputePositions(const TBarMetrics& m, int64_t X) {
    for (int32_t i = 1; i <= ModuleCount; ++i) {
        const int64_t offset = Params->ZoomSize ? Round(m.MM * (i - 1) * m.DotsX) : int64_t{i - 1} * m.Px;
        ModuleX[static_cast<std::size_t>(i)] = offset + X + m.Margin;
    }
}

TPostnetMetrics TLLBarcode::ComputePostnetMetrics(int32_t logPixelsX, int32_t logPixelsY) const {
    TPostnetMetrics m;
    m.DotsX = logPixelsX / 25.4L;
    m.DotsY = logPixelsY / 25.4L;
    if (Params->CodeType == Postnet_FIM) {
        m.BarWidth = Fit32(Round(m.DotsX * 0.79375L));
        m.Pitch = m.DotsX * 1.5875L;
        m.Tall = Fit32(Round(m.DotsY * 15.875L));
        m.Short = m.Tall;
        m.TextBasis = m.Tall;
    } else {
        m.BarWidth = Fit32(Round(m.DotsX * 0.508L));
        m.Pitch = m.DotsX * 25.4L / 22;
        m.Tall = Fit32(Round(m.DotsY * 3.175L));
        m.Short = Fit32(Round(m.DotsY * 1.27L));
        m.TextBasis = Fit32(5 * int64_t{m.Tall});
    }
    m.FontHeight = TextFontHeight(m.TextBasis);
    return m;
}

// The symbologies the designer offers, in list order. The list position is
// the symbology's number: it is stored as "bctype" and as the key of the
// symbology's last data text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/BarLL.h"

struct TSymbologyEntry {
    const char* Name;
    btCodeTypes CodeType;
    int32_t MaxLength;
    // Section "addon" key of the add-on text; nullptr: the field is cleared.
    const char* AddonKey;
    bool RatioMenu;
    bool ZoomMenu;
};

inline constexpr std::array<TSymbologyEntry, 15> SymbologyList{{
    {"Code EAN-8", EAN_8, 7, nullptr, false, true},
    {"Code EAN-13", EAN_13, 12, "Ean13", false, true},
    {"Code UPC-A", UPC_A, 11, "UPCA", false, true},
    {"Code UPC-E", UPC_E, 6, nullptr, false, true},
    {"CODE 39", CODE39, 50, nullptr, true, true},
    {"Code 2 of 5 interleaved", CODE25i, 50, nullptr, true, true},
    {"Codabar", Codabar, 50, nullptr, true, true},
    {"Code 128 - Table A", CODE128_A, 50, nullptr, false, true},
    {"Code 128 - Table B", CODE128_B, 50, nullptr, false, true},
    {"Code 128 - Table C", CODE128_C, 50, nullptr, false, true},
    {"Postnet 5-digit", Postnet, 5, nullptr, false, false},
    {"Postnet 9-digit", Postnet, 9, nullptr, false, false},
    {"Postnet 11-digit", Postnet, 11, nullptr, false, false},
    {"MSI Plessey", MSI_Plessey, 50, nullptr, true, true},
    {"Bookland (ISBN)", EAN_13, 9, "bookland", false, true},
}};

inline constexpr int32_t SymbologyCount = static_cast<int32_t>(SymbologyList.size());
inline constexpr int32_t BooklandIndex = 14;
inline constexpr const char* BooklandName = "Bookland (ISBN)";
inline constexpr const char* DefaultBooklandPrefix = "978";

// A position outside the list (no entry selected) counts as UPC-A, with
// the Bar Ratio menu off and Zoom on.
inline constexpr TSymbologyEntry NoSymbologyEntry{"", UPC_A, 11, nullptr, false, true};

// The entry of a list position, NoSymbologyEntry outside the list.
inline constexpr const TSymbologyEntry& SymbologyEntry(int32_t index) {
    return index >= 0 && index < SymbologyCount ? SymbologyList[static_cast<size_t>(index)] : NoSymbologyEntry;
}

inline constexpr btCodeTypes SymbologyCodeType(int32_t index) { return SymbologyEntry(index).CodeType; }

// Index of a display name in the list, -1 when it is none.
int32_t SymbologyIndexOf(const std::string& displayName);

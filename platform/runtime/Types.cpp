#include "platform/runtime/Types.h"

namespace {
// A light desktop theme, fixed so that drawings compare across machines.
constexpr TColor kSystemColors[25] = {
    0xC8C8C8,  // scroll bar
    0x000000,  // background
    0xD1B499,  // active caption
    0xDBCDBF,  // inactive caption
    0xF0F0F0,  // menu
    0xFFFFFF,  // window
    0x646464,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0x000000,  // caption text
    0xB4B4B4,  // active border
    0xFCF7F4,  // inactive border
    0xABABAB,  // application work space
    0xD77800,  // highlight
    0xFFFFFF,  // highlight text
    0xF0F0F0,  // button face
    0xA0A0A0,  // button shadow
    0x6D6D6D,  // grey text
    0x000000,  // button text
    0x000000,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x696969,  // 3D dark shadow
    0xE3E3E3,  // 3D light
    0x000000,  // info text
    0xE1FFFF,  // info background
};
}  // namespace

TColor ColorToRGB(TColor color) {
    if (color == clNone || color == clDefault) return clBlack;
    if ((static_cast<uint32_t>(color) & 0xFF000000u) == 0x80000000u) {
        uint32_t index = static_cast<uint32_t>(color) & 0xFF;
        return index < 25 ? kSystemColors[index] : clBlack;
    }
    return color & 0x00FFFFFF;
}

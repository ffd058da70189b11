// The flat scroll bar functions of the common controls, over the scroll
// bars a grid runs itself: a grid whose flat scroll bars are initialised
// takes their style (regular, flat or the raised look), background colour
// and width from the properties set here. The functions exist from common
// controls version 4.71 on; this system's are 4.72 (CommonControlsVersion).
#pragma once

#include <cstdint>

#include "platform/controls/Grids.h"

inline constexpr uint32_t WSB_PROP_CYVSCROLL = 0x0001;
inline constexpr uint32_t WSB_PROP_CXHSCROLL = 0x0002;
inline constexpr uint32_t WSB_PROP_CYHSCROLL = 0x0004;
inline constexpr uint32_t WSB_PROP_CXVSCROLL = 0x0008;
inline constexpr uint32_t WSB_PROP_CXHTHUMB = 0x0010;
inline constexpr uint32_t WSB_PROP_CYVTHUMB = 0x0020;
inline constexpr uint32_t WSB_PROP_VBKGCOLOR = 0x0040;
inline constexpr uint32_t WSB_PROP_HBKGCOLOR = 0x0080;
inline constexpr uint32_t WSB_PROP_VSTYLE = 0x0100;
inline constexpr uint32_t WSB_PROP_HSTYLE = 0x0200;

inline constexpr intptr_t FSB_REGULAR_MODE = 0;
inline constexpr intptr_t FSB_ENCARTA_MODE = 1;
inline constexpr intptr_t FSB_FLAT_MODE = 2;

// Starts the flat look for the grid's bars (True on success).
bool InitializeFlatSB(TCustomGrid* grid);
// Gives the grid its regular bars back.
void UninitializeFlatSB(TCustomGrid* grid);
bool FlatSBInitialized(const TCustomGrid* grid);
// Sets one property; False when the bars are not initialised or the
// property is unknown.
bool FlatSB_SetScrollProp(TCustomGrid* grid, uint32_t property, intptr_t value, bool redraw);
bool FlatSB_GetScrollProp(const TCustomGrid* grid, uint32_t property, intptr_t& value);
// The platform's scroll information calls on the flat bars.
int32_t FlatSB_SetScrollInfo(TCustomGrid* grid, int bar, const TScrollInfo& info, bool redraw);
bool FlatSB_GetScrollInfo(const TCustomGrid* grid, int bar, TScrollInfo& info);
bool FlatSB_ShowScrollBar(TCustomGrid* grid, int bar, bool show);

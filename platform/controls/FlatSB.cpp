#include "platform/controls/FlatSB.h"

#include <map>

namespace {

struct TFlatState {
    intptr_t VStyle = FSB_REGULAR_MODE;
    intptr_t HStyle = FSB_REGULAR_MODE;
    TColor VColor = clNone;
    TColor HColor = clNone;
    intptr_t VWidth = 0;
    intptr_t HHeight = 0;
};

// The grids whose flat bars are initialised.
std::map<const TCustomGrid*, TFlatState>& States() {
    static std::map<const TCustomGrid*, TFlatState> states;
    return states;
}

TScrollBarLook LookOf(intptr_t style) {
    switch (style) {
    case FSB_FLAT_MODE: return sbFlat;
    case FSB_ENCARTA_MODE: return sbEncarta;
    default: return sbRegular;
    }
}

// The grid's bars take one look; the vertical bar's properties lead where
// the two differ.
void Apply(TCustomGrid* grid, const TFlatState& s) {
    const intptr_t width = s.VWidth > 0 ? s.VWidth : s.HHeight;
    const TColor color = s.VColor != clNone ? s.VColor : s.HColor;
    const intptr_t style = s.VStyle != FSB_REGULAR_MODE ? s.VStyle : s.HStyle;
    grid->SetScrollBarLook(static_cast<int32_t>(width), color, LookOf(style));
}

}  // namespace

bool InitializeFlatSB(TCustomGrid* grid) {
    if (!grid) return false;
    States()[grid];
    return true;
}

void UninitializeFlatSB(TCustomGrid* grid) {
    auto it = States().find(grid);
    if (it == States().end()) return;
    States().erase(it);
    grid->SetScrollBarLook(0, clNone, sbRegular);
    grid->FollowScrollBars();
}

bool FlatSBInitialized(const TCustomGrid* grid) { return States().count(grid) != 0; }

bool FlatSB_SetScrollProp(TCustomGrid* grid, uint32_t property, intptr_t value, bool) {
    auto it = States().find(grid);
    if (it == States().end()) return false;
    TFlatState& s = it->second;
    switch (property) {
    case WSB_PROP_VSTYLE: s.VStyle = value; break;
    case WSB_PROP_HSTYLE: s.HStyle = value; break;
    case WSB_PROP_VBKGCOLOR: s.VColor = static_cast<TColor>(value); break;
    case WSB_PROP_HBKGCOLOR: s.HColor = static_cast<TColor>(value); break;
    case WSB_PROP_CXVSCROLL: s.VWidth = value; break;
    case WSB_PROP_CYHSCROLL: s.HHeight = value; break;
    case WSB_PROP_CYVSCROLL:
    case WSB_PROP_CXHSCROLL:
    case WSB_PROP_CXHTHUMB:
    case WSB_PROP_CYVTHUMB: return true;
    default: return false;
    }
    Apply(grid, s);
    return true;
}

bool FlatSB_GetScrollProp(const TCustomGrid* grid, uint32_t property, intptr_t& value) {
    auto it = States().find(grid);
    if (it == States().end()) return false;
    const TFlatState& s = it->second;
    switch (property) {
    case WSB_PROP_VSTYLE: value = s.VStyle; return true;
    case WSB_PROP_HSTYLE: value = s.HStyle; return true;
    case WSB_PROP_VBKGCOLOR: value = static_cast<intptr_t>(s.VColor); return true;
    case WSB_PROP_HBKGCOLOR: value = static_cast<intptr_t>(s.HColor); return true;
    case WSB_PROP_CXVSCROLL: value = s.VWidth; return true;
    case WSB_PROP_CYHSCROLL: value = s.HHeight; return true;
    default: return false;
    }
}

int32_t FlatSB_SetScrollInfo(TCustomGrid* grid, int bar, const TScrollInfo& info, bool redraw) {
    if (!grid) return 0;
    grid->SetScrollInfo(bar, info, redraw);
    TScrollInfo now;
    grid->GetScrollInfo(bar, now);
    return now.Pos;
}

bool FlatSB_GetScrollInfo(const TCustomGrid* grid, int bar, TScrollInfo& info) {
    return grid && grid->GetScrollInfo(bar, info);
}

bool FlatSB_ShowScrollBar(TCustomGrid* grid, int bar, bool show) {
    if (!grid) return false;
    grid->ShowScrollBar(bar, show);
    return true;
}

// How much of a control is drawn dark, as it shows on the screen: the
// disabled look draws text and frames grey.
#pragma once

class TControl;

int DarkPixels(TControl* control);

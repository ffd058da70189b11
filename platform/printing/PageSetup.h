// The page and paper types of the printing room: what a printer is set up
// with and the page it prints on, in device pixels. Small on purpose: code
// that stores a page setting needs no printer.
#pragma once

#include <cstdint>

#include "platform/runtime/SysUtils.h"
#include "platform/runtime/Types.h"

VARSONA_DECLARE_EXCEPTION(EPrinter, Exception)

enum TPrinterOrientation { poPortrait, poLandscape };
enum class TPaperSize { A4, Letter };
// "A4", "Letter".
const char* PaperSizeName(TPaperSize paper);

// A page in device pixels: the paper and the printable area on it.
struct TPageGeometry {
    int32_t DpiX = 600;
    int32_t DpiY = 600;
    TSize Paper;
    TRect Printable;  // from the paper corner
};

// What the PDF-file and recording printers are set up with: paper,
// resolution and the unprintable margins in millimetres (measured on the
// page as it is printed, in either orientation).
struct TPageSetup {
    TPaperSize Paper = TPaperSize::A4;
    int32_t Dpi = 600;
    double MarginLeft = 0;
    double MarginTop = 0;
    double MarginRight = 0;
    double MarginBottom = 0;
    bool operator==(const TPageSetup&) const = default;
};
// Raises EPrinter for a resolution out of range, negative margins or margins
// that leave no printable area.
void CheckPageSetup(const TPageSetup& setup);
// Landscape exchanges the paper's sides; the margins are rounded to pixels.
TPageGeometry PageGeometryFor(const TPageSetup& setup, TPrinterOrientation orientation);

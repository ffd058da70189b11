// Helpers of the printing tests: PDF pages rasterised by poppler (which
// nobody here wrote), and the ink of text on them and on the screen canvas's
// bitmaps.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QImage>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/RecordingDevice.h"
#include "platform/graphics/qt/GraphicsQt.h"
#include "platform/runtime/Types.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

// A page region rasterised at a resolution: 8-bit grey or RGB.
struct TRaster {
    int Width = 0;
    int Height = 0;
    int Channels = 1;
    std::vector<uint8_t> Data;
    uint8_t Grey(int x, int y) const { return Data[(static_cast<size_t>(y) * Width + x) * Channels]; }
    TColor Color(int x, int y) const {
        const uint8_t* p = &Data[(static_cast<size_t>(y) * Width + x) * Channels];
        return Channels == 3 ? RGB(p[0], p[1], p[2]) : RGB(p[0], p[0], p[0]);
    }
    // Bounding box of the pixels darker than threshold, in raster pixels
    // (right and bottom exclusive); empty when there are none.
    TRect DarkBox(int threshold = 128) const {
        int l = Width, t = Height, r = -1, b = -1;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                if (Grey(x, y) < threshold) l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
        if (r < 0) return {};
        return {l, t, r + 1, b + 1};
    }
};

// Reads a binary PGM (P5) or PPM (P6).
inline TRaster ReadPnm(const std::string& path) {
    TRaster r;
    std::string bytes = ReadFile(path);
    std::istringstream in(bytes);
    std::string magic;
    int maxval = 0;
    in >> magic >> r.Width >> r.Height >> maxval;
    in.get();
    if ((magic != "P5" && magic != "P6") || maxval != 255) return {};
    r.Channels = magic == "P6" ? 3 : 1;
    size_t size = static_cast<size_t>(r.Width) * r.Height * r.Channels;
    size_t at = static_cast<size_t>(in.tellg());
    if (bytes.size() < at + size) return {};
    r.Data.assign(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + size));
    return r;
}

// The region (x, y, w, h) in pixels of page (1-based) at dpi, without
// antialiasing so that edges fall on whole pixels.
inline TRaster RasterizePdf(const std::string& pdf, int page, int dpi, const TRect& region, bool color = false) {
    std::string prefix = pdf + ".raster-" + std::to_string(page) + "-" + std::to_string(region.Left) + "-" +
                         std::to_string(region.Top);
    std::ostringstream cmd;
    cmd << "pdftoppm -r " << dpi << " -f " << page << " -l " << page << " -singlefile -aa no -aaVector no "
        << (color ? "" : "-gray ") << "-x " << region.Left << " -y " << region.Top << " -W " << region.Width()
        << " -H " << region.Height() << " " << Quoted(pdf) << " " << Quoted(prefix);
    RunCommand(cmd.str());
    return ReadPnm(prefix + (color ? ".ppm" : ".pgm"));
}

// A value of the pdfinfo report ("Pages", "Page size", ...).
inline std::string PdfInfo(const std::string& pdf, const std::string& key) {
    std::istringstream in(RunCommand("pdfinfo " + Quoted(pdf)));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + ":", 0) == 0) {
            std::string v = line.substr(key.size() + 1);
            size_t s = v.find_first_not_of(' ');
            return s == std::string::npos ? "" : v.substr(s);
        }
    return {};
}

// A word found by pdftotext -bbox, in points from the top left corner.
struct TPdfWord {
    std::string Text;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};

inline std::vector<TPdfWord> PdfWords(const std::string& pdf, int page = 1) {
    std::string html = RunCommand("pdftotext -bbox -f " + std::to_string(page) + " -l " + std::to_string(page) + " " +
                                  Quoted(pdf) + " -");
    std::vector<TPdfWord> words;
    size_t at = 0;
    while ((at = html.find("<word ", at)) != std::string::npos) {
        size_t close = html.find('>', at);
        size_t end = html.find("</word>", close);
        if (close == std::string::npos || end == std::string::npos) break;
        std::string attrs = html.substr(at, close - at);
        TPdfWord w;
        auto attr = [&](const char* name) {
            size_t p = attrs.find(std::string(name) + "=\"");
            return p == std::string::npos ? 0.0 : std::atof(attrs.c_str() + p + std::strlen(name) + 2);
        };
        w.XMin = attr("xMin"), w.YMin = attr("yMin"), w.XMax = attr("xMax"), w.YMax = attr("yMax");
        w.Text = html.substr(close + 1, end - close - 1);
        words.push_back(w);
        at = end;
    }
    return words;
}

// The words of page 1 in pdftotext's order, one space apart.
inline std::string WordsOf(const std::string& pdf) {
    std::string all;
    for (const TPdfWord& w : PdfWords(pdf)) all += (all.empty() ? "" : " ") + w.Text;
    return all;
}

inline bool HavePoppler() { return HaveTool("pdftoppm") && HaveTool("pdftotext") && HaveTool("pdfinfo"); }

// A font as pdffonts lists it.
struct TPdfFont {
    std::string Name;
    std::string Type;  // "Type 1", "Type 3", ...
    bool Embedded = false;
    bool Subset = false;
    bool Unicode = false;
};

// The fonts of a file, in pdffonts's order; its columns are as wide as the
// dashes under their heads.
inline std::vector<TPdfFont> PdfFonts(const std::string& pdf) {
    std::istringstream in(RunCommand("pdffonts " + Quoted(pdf)));
    std::string head, dashes, line;
    std::getline(in, head);
    std::getline(in, dashes);
    std::vector<std::pair<size_t, size_t>> columns;
    for (size_t at = 0; at < dashes.size();) {
        size_t end = dashes.find(' ', at);
        if (end == std::string::npos) end = dashes.size();
        columns.emplace_back(at, end - at);
        at = end + 1;
    }
    auto trim = [](std::string s) {
        s.erase(s.find_last_not_of(' ') + 1);
        s.erase(0, std::min(s.size(), s.find_first_not_of(' ')));
        return s;
    };
    std::vector<TPdfFont> fonts;
    while (std::getline(in, line)) {
        if (columns.size() < 6 || line.size() < columns[5].first) continue;
        auto field = [&](size_t i) { return trim(line.substr(columns[i].first, columns[i].second)); };
        fonts.push_back({field(0), field(1), field(3) == "yes", field(4) == "yes", field(5) == "yes"});
    }
    return fonts;
}

// ---------------------------------------------------------------- ink of text

// Families of two foundries are listed as "Z003 [urw]" and "Z003 [UKWN]".
inline bool InstalledFamily(const std::string& family) {
    for (const std::string& f : InstalledFontFamilies())
        if (f == family || f.rfind(family + " [", 0) == 0) return true;
    return false;
}


// Ink of a grey raster in region: its box, and which columns have ink.
struct TInk {
    TRect Box;
    int Left = 0;
    std::vector<bool> Columns;
    bool At(int x) const { return x >= Left && x < Left + static_cast<int>(Columns.size()) && Columns[x - Left]; }
};

template <class Dark>
inline TInk InkOf(const TRect& region, int offsetX, int offsetY, Dark dark) {
    TInk ink;
    ink.Left = region.Left + offsetX;
    ink.Columns.assign(static_cast<size_t>(region.Width()), false);
    int l = INT32_MAX, t = INT32_MAX, r = -1, b = -1;
    for (int x = region.Left; x < region.Right; ++x)
        for (int y = region.Top; y < region.Bottom; ++y)
            if (dark(x, y)) {
                ink.Columns[static_cast<size_t>(x - region.Left)] = true;
                l = std::min(l, x), r = std::max(r, x), t = std::min(t, y), b = std::max(b, y);
            }
    if (r >= 0) ink.Box = {l + offsetX, t + offsetY, r + 1 + offsetX, b + 1 + offsetY};
    return ink;
}

// The ink of a region of a bitmap drawn by the screen canvas.
inline TInk ScreenInk(TBitmap& bitmap, const TRect& region) {
    const QImage& image = BitmapImage(bitmap);
    return InkOf(region, 0, 0, [&](int x, int y) { return image.valid(x, y) && qGray(image.pixel(x, y)) < 128; });
}

// The ink of a region of page (1-based) of a PDF file rasterised at dpi.
inline TInk PdfInk(const std::string& pdf, const TRect& region, int page = 1, int dpi = 600) {
    TRaster raster = RasterizePdf(pdf, page, dpi, region);
    EXPECT_EQ(raster.Width, region.Width()) << "pdftoppm gave no raster";
    return InkOf({0, 0, raster.Width, raster.Height}, region.Left, region.Top,
                 [&](int x, int y) { return raster.Grey(x, y) < 128; });
}

// The letters of a text: runs of ink columns between gaps of six pixels or
// more (0.25 mm at 600 dpi).
inline std::vector<std::pair<int, int>> Letters(const TInk& ink) {
    std::vector<std::pair<int, int>> letters;
    for (int i = 0; i < static_cast<int>(ink.Columns.size()); ++i) {
        if (!ink.Columns[static_cast<size_t>(i)]) continue;
        const int x = ink.Left + i;
        if (!letters.empty() && x - letters.back().second < 6) letters.back().second = x + 1;
        else letters.emplace_back(x, x + 1);
    }
    return letters;
}

// Every letter of one has its ink in the other within three pixels of its
// edges, and the gaps around it stay clear there.
inline void ExpectLettersIn(const TInk& from, const TInk& in) {
    const auto letters = Letters(from);
    for (size_t i = 0; i < letters.size(); ++i) {
        SCOPED_TRACE("letter " + std::to_string(i) + " at " + std::to_string(letters[i].first));
        const auto [left, right] = letters[i];
        int first = INT32_MAX, last = -1;
        for (int x = left - 3; x < right + 3; ++x)
            if (in.At(x)) first = std::min(first, x), last = x;
        EXPECT_NEAR(first, left, 3);
        EXPECT_NEAR(last + 1, right, 3);
        if (i + 1 < letters.size()) {
            for (int x = right + 3; x < letters[i + 1].first - 3; ++x)
                EXPECT_FALSE(in.At(x)) << "ink in the gap at " << x;
        }
    }
}

// Glyph ink boxes: the whole box within two pixels at 600 dpi, every letter
// within three (the screen's antialiased edges and poppler's sampled ones
// differ on thin strokes). A glyph at another advance or in another face
// misses by far more.
inline void ExpectSameInk(const TInk& pdf, const TInk& screen) {
    ASSERT_GT(screen.Box.Width(), 0);
    EXPECT_NEAR(pdf.Box.Left, screen.Box.Left, 2);
    EXPECT_NEAR(pdf.Box.Top, screen.Box.Top, 2);
    EXPECT_NEAR(pdf.Box.Right, screen.Box.Right, 2);
    EXPECT_NEAR(pdf.Box.Bottom, screen.Box.Bottom, 2);
    ExpectLettersIn(screen, pdf);
    ExpectLettersIn(pdf, screen);
}

// The text cell of a recorded upright text, with room around; a text on
// its base line gets room for its descent below.
inline TRect CellOf(const TRecordedCall& c, int room) {
    int left = c.Anchor.X, top = c.Anchor.Y;
    if ((c.Align & TA_CENTER) == TA_CENTER) left -= c.Extent.cx / 2;
    else if ((c.Align & TA_CENTER) == TA_RIGHT) left -= c.Extent.cx;
    if ((c.Align & TA_BASELINE) == TA_BASELINE) top -= c.Extent.cy - c.Extent.cy / 4;
    else if ((c.Align & TA_BASELINE) == TA_BOTTOM) top -= c.Extent.cy;
    return {left - room, top - room, left + c.Extent.cx + room, top + c.Extent.cy + room};
}


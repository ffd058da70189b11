// Helpers of the printing tests: PDF pages rasterised and read by poppler
// (which nobody here wrote).
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

inline bool HavePoppler() { return HaveTool("pdftoppm") && HaveTool("pdftotext") && HaveTool("pdfinfo"); }

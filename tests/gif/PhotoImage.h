// A picture with the colour statistics of a photograph, made the same on
// every run: a sky gradient over hilly ground, a low sun with its glow, two
// shaded balls, leaf-like texture and sensor noise. Tests and benchmarks
// reduce it and compare with ImageMagick on the same pixels. Also plain RGB
// pixels to and from bitmaps and PPM files.
#pragma once

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"

namespace phototest {

struct TRgbImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Pixels;  // red, green, blue; rows top to bottom
    const uint8_t* At(int32_t x, int32_t y) const { return &Pixels[(static_cast<size_t>(y) * Width + x) * 3]; }
};

inline uint32_t Hash(uint32_t x, uint32_t y, uint32_t salt) {
    uint32_t h = x * 0x9E3779B1u ^ y * 0x85EBCA77u ^ salt * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// Smooth noise in 0..1 from a lattice of cell pixels.
inline double ValueNoise(double x, double y, uint32_t salt) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<uint32_t>(static_cast<int64_t>(fx)), iy = static_cast<uint32_t>(static_cast<int64_t>(fy));
    const double tx = x - fx, ty = y - fy;
    const double sx = tx * tx * (3 - 2 * tx), sy = ty * ty * (3 - 2 * ty);
    auto v = [&](uint32_t a, uint32_t b) { return (Hash(a, b, salt) & 0xFFFF) / 65535.0; };
    const double top = v(ix, iy) + (v(ix + 1, iy) - v(ix, iy)) * sx;
    const double bottom = v(ix, iy + 1) + (v(ix + 1, iy + 1) - v(ix, iy + 1)) * sx;
    return top + (bottom - top) * sy;
}

inline double Fractal(double x, double y, uint32_t salt) {
    double sum = 0, amplitude = 0.5;
    for (int octave = 0; octave < 4; ++octave, x *= 2, y *= 2, amplitude *= 0.5) sum += amplitude * ValueNoise(x, y, salt + octave);
    return sum / 0.9375;
}

inline TRgbImage PhotoLike(int32_t width, int32_t height) {
    TRgbImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    const double scale = 1.0 / std::max(width, height);
    struct Ball {
        double cx, cy, r, red, green, blue;
    };
    const Ball balls[2] = {{0.30, 0.72, 0.12, 200, 40, 30}, {0.68, 0.80, 0.08, 40, 90, 190}};
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const double u = x * scale, v = y * scale;
            const double horizon = 0.52 + 0.06 * std::sin(u * 7.0) + 0.03 * Fractal(u * 6, 0.5, 11);
            double r, g, b;
            if (v < horizon) {
                const double t = v / horizon;
                r = 70 + 120 * t;
                g = 120 + 90 * t;
                b = 220 - 20 * t;
                // The sun low in the sky and its glow.
                const double d = std::hypot(u - 0.78, v - 0.30);
                const double glow = std::exp(-d * d * 60);
                r += (255 - r) * glow;
                g += (240 - g) * glow * 0.95;
                b += (200 - b) * glow * 0.6;
                const double cloud = Fractal(u * 5, v * 9, 3);
                if (cloud > 0.55) {
                    const double c = std::min(1.0, (cloud - 0.55) * 3);
                    r += (245 - r) * c;
                    g += (245 - g) * c;
                    b += (250 - b) * c;
                }
            } else {
                const double t = (v - horizon) / (1.0 - horizon + 1e-9);
                const double leaves = Fractal(u * 40, v * 40, 7);
                r = 50 + 60 * t + 60 * leaves;
                g = 90 + 50 * (1 - t) + 70 * leaves;
                b = 30 + 30 * leaves;
            }
            for (const Ball& ball : balls) {
                const double dx = (u - ball.cx) / ball.r, dy = (v - ball.cy) / ball.r;
                const double d2 = dx * dx + dy * dy;
                if (d2 >= 1) continue;
                // Lit from the upper right, with a highlight.
                const double nz = std::sqrt(1 - d2);
                const double light = std::max(0.0, 0.5 * dx - 0.5 * dy + 0.7 * nz) * 0.9 + 0.15;
                const double spot = std::pow(std::max(0.0, 0.4 * dx - 0.4 * dy + 0.82 * nz), 40);
                r = std::min(255.0, ball.red * light + 255 * spot);
                g = std::min(255.0, ball.green * light + 255 * spot);
                b = std::min(255.0, ball.blue * light + 255 * spot);
            }
            const uint32_t h = Hash(static_cast<uint32_t>(x), static_cast<uint32_t>(y), 99);
            const double noise = ((h & 0xFF) - 127.5) / 127.5 * 5;
            uint8_t* p = &image.Pixels[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<uint8_t>(std::clamp(r + noise, 0.0, 255.0));
            p[1] = static_cast<uint8_t>(std::clamp(g + noise * 0.9, 0.0, 255.0));
            p[2] = static_cast<uint8_t>(std::clamp(b + noise * 1.1, 0.0, 255.0));
        }
    }
    return image;
}

// As a binary PPM file.
inline std::string Ppm(const TRgbImage& image) {
    std::string s = "P6\n" + std::to_string(image.Width) + " " + std::to_string(image.Height) + "\n255\n";
    s.append(reinterpret_cast<const char*>(image.Pixels.data()), image.Pixels.size());
    return s;
}

// A binary PPM file (maximum 255) back into pixels; empty on anything else.
inline TRgbImage FromPpm(const std::string& bytes) {
    TRgbImage image;
    size_t pos = 0;
    auto token = [&]() -> std::string {
        while (pos < bytes.size()) {
            if (bytes[pos] == '#') {
                while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
            } else if (std::isspace(static_cast<unsigned char>(bytes[pos]))) {
                ++pos;
            } else {
                break;
            }
        }
        size_t start = pos;
        while (pos < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[pos]))) ++pos;
        return bytes.substr(start, pos - start);
    };
    if (token() != "P6") return {};
    const int w = std::stoi(token()), h = std::stoi(token()), max = std::stoi(token());
    ++pos;
    if (max != 255 || bytes.size() < pos + static_cast<size_t>(w) * h * 3) return {};
    image.Width = w;
    image.Height = h;
    image.Pixels.assign(bytes.begin() + static_cast<ptrdiff_t>(pos),
                        bytes.begin() + static_cast<ptrdiff_t>(pos + static_cast<size_t>(w) * h * 3));
    return image;
}

// A 24-bit bitmap of the pixels.
inline std::unique_ptr<TBitmap> ToBitmap(const TRgbImage& image) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(image.Width, image.Height);
    for (int32_t y = 0; y < image.Height; ++y) {
        uint8_t* row = bitmap->ScanLine(y);
        for (int32_t x = 0; x < image.Width; ++x, row += 3) {
            const uint8_t* p = image.At(x, y);
            row[0] = p[2];
            row[1] = p[1];
            row[2] = p[0];
        }
    }
    return bitmap;
}

// The colours a bitmap of any format shows.
inline TRgbImage FromBitmap(TBitmap& bitmap) {
    TBitmap copy;
    copy.Assign(&bitmap);
    copy.SetPixelFormat(pf24bit);
    TRgbImage image{copy.Width(), copy.Height(), std::vector<uint8_t>(static_cast<size_t>(copy.Width()) * copy.Height() * 3)};
    for (int32_t y = 0; y < image.Height; ++y) {
        const uint8_t* row = copy.ScanLine(y);
        for (int32_t x = 0; x < image.Width; ++x, row += 3) {
            uint8_t* p = &image.Pixels[(static_cast<size_t>(y) * image.Width + x) * 3];
            p[0] = row[2];
            p[1] = row[1];
            p[2] = row[0];
        }
    }
    return image;
}

// Mean of the squared channel differences.
inline double MeanSquaredError(const TRgbImage& a, const TRgbImage& b) {
    if (a.Width != b.Width || a.Height != b.Height || a.Pixels.empty()) return -1;
    double sum = 0;
    for (size_t i = 0; i < a.Pixels.size(); ++i) {
        const double d = double(a.Pixels[i]) - double(b.Pixels[i]);
        sum += d * d;
    }
    return sum / static_cast<double>(a.Pixels.size());
}

}  // namespace phototest

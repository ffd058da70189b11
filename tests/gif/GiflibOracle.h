// A black-box reference: the system's libgif, used only by tests and
// benchmarks to decode what we write and to write what we read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oracle {

struct Color {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Color&) const = default;
};

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;
    std::vector<Color> localMap;
    std::vector<uint8_t> pixels;  // row-major, de-interlaced
    bool hasControl = false;
    int disposal = 0;
    int delay = 0;
    int transparent = -1;  // -1: none
    std::vector<std::string> comments;  // comment extensions before the frame
    int loopCount = -1;                 // looping extension before the frame
};

struct Image {
    bool ok = false;
    std::string error;
    int width = 0, height = 0;
    int colorResolution = 0;
    int background = 0;
    int aspect = 0;
    std::vector<Color> globalMap;
    std::vector<Frame> frames;
};

// False when the library was not found at build time.
bool Available();

// Reads a whole file from memory; ok is false with error set on failure.
Image Decode(const std::string& bytes);

// Writes image (frames, their local maps, controls, comments and loop counts)
// as a GIF; lines go through the line-by-line writer.
std::string Encode(const Image& image);

// Only the pixel codec, for benchmarks: full-size frame of indices.
std::string EncodeIndices(const std::vector<uint8_t>& pixels, int width, int height, int bits);
// Decodes and gives the number of pixels, -1 on failure.
int64_t DecodeCount(const std::string& bytes);

}  // namespace oracle

// Loads a GIF and saves it again with the codec alone, and tells the
// resident memory before and after: the program that shows the codec links
// neither Qt nor the graphics room.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "gif/VsGifCore.h"

namespace {

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT.gif OUTPUT.gif\n", argv[0]);
        return 2;
    }
    const long start = ResidentKiB();
    try {
        TVsGifImage image;
        {
            TFileStream in(argv[1], fmOpenRead);
            image.LoadFromStream(in);
        }
        {
            TFileStream out(argv[2], fmCreate);
            image.SaveToStream(out);
        }
        std::printf("frames %d, resident %ld KiB at start, %ld KiB after load and save\n", image.FrameCount(),
                    start, ResidentKiB());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

// Animations made by gifsicle and ImageMagick play with the frame order, the
// timing and the loop count their extensions say, and every state shown
// matches ImageMagick's coalesced frames (restored areas showing what lay
// under) or gifsicle's unoptimised ones (restored to the background colour).
#include <gtest/gtest.h>

#include "gif/VsGifPainter.h"
#include "tests/platform/runtime/ThreadTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Tools.h"

namespace {

constexpr int kW = 16, kH = 12;

// Four frames: a red screen with a blue square (delay 5, kept), a lime
// patch (delay 1, restored to the background), a yellow one (delay 0,
// restored to the previous state) and a white one (delay 20, kept).
struct TAnimations {
    TTempFolder Folder{"varsona-anim"};
    bool Make() {
        const std::string d = Folder.Path();
        const std::string im = "cd " + Quoted(d) + " && convert-im6.q16 ";
        if (RunStatus(im + "-size 16x12 xc:red -fill blue -draw 'rectangle 2,2 5,5' f0.gif") != 0) return false;
        RunStatus(im + "-size 6x4 xc:lime f1.gif");
        RunStatus(im + "-size 5x5 xc:yellow f2.gif");
        RunStatus(im + "-size 4x4 xc:white f3.gif");
        RunStatus("cd " + Quoted(d) +
                  " && gifsicle --loopcount=3 --delay 5 --disposal none f0.gif --delay 1 --disposal background"
                  " --position 3,2 f1.gif --delay 0 --disposal previous --position 8,5 f2.gif --delay 20"
                  " --disposal none --position 10,1 f3.gif > gifsicle.gif");
        RunStatus(im + "-loop 3 -dispose none -delay 5 -page 16x12+0+0 f0.gif -dispose background -delay 1"
                       " -page 16x12+3+2 f1.gif -dispose previous -delay 0 -page 16x12+8+5 f2.gif -dispose none"
                       " -delay 20 -page 16x12+10+1 f3.gif magick.gif");
        return true;
    }
    std::string File(const std::string& name) const { return Folder.File(name); }
    // The file's loop count as gifsicle reads it.
    int Loops(const std::string& name) const {
        for (const std::string& line : OutputLines("gifsicle --info " + Quoted(File(name))))
            if (line.find("loop count") != std::string::npos) return std::stoi(line.substr(line.rfind(' ') + 1));
        return -1;
    }
    // Each frame as it stands on the screen, by ImageMagick (what lay under:
    // black) or by gifsicle (the background colour), as raw RGB.
    std::vector<std::vector<uint8_t>> Coalesced(const std::string& name) const {
        RunStatus("convert-im6.q16 " + Quoted(File(name)) +
                  " -coalesce -background black -alpha remove -alpha off -depth 8 +adjoin " + Quoted("rgb:" + File("c_%d.rgb")));
        return Frames("c_");
    }
    std::vector<std::vector<uint8_t>> Unoptimized(const std::string& name) const {
        // One colour table first: gifsicle unoptimises only such files.
        RunStatus("gifsicle --colors=255 " + Quoted(File(name)) + " | gifsicle --unoptimize > " + Quoted(File("u.gif")) +
                  " && convert-im6.q16 " + Quoted(File("u.gif")) +
                  " -background black -alpha remove -alpha off -depth 8 +adjoin " + Quoted("rgb:" + File("u_%d.rgb")));
        return Frames("u_");
    }
    std::vector<std::vector<uint8_t>> Frames(const std::string& prefix) const {
        std::vector<std::vector<uint8_t>> frames;
        for (int i = 0; i < 4; ++i) {
            const std::string raw = ReadFile(File(prefix + std::to_string(i) + ".rgb"));
            frames.emplace_back(raw.begin(), raw.end());
        }
        return frames;
    }
};

std::vector<uint8_t> Rgb(TBitmap& target) {
    std::vector<uint8_t> rgb;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const TColor c = target.Canvas()->Pixel(x, y);
            rgb.push_back(uint8_t(c & 0xFF));
            rgb.push_back(uint8_t((c >> 8) & 0xFF));
            rgb.push_back(uint8_t((c >> 16) & 0xFF));
        }
    return rgb;
}

struct TPlayed {
    std::vector<int32_t> Order;
    std::vector<uint32_t> Times;                // at each frame's handler call
    std::vector<std::vector<uint8_t>> States;   // after each frame
    int Passes = 0;
};

// Plays the file on a black target, on the caller's thread or on its own,
// on a manual clock.
TPlayed Play(const std::string& path, bool ownThread, bool transparent) {
    TManualClock clock(0);
    TVsGifImage image;
    image.LoadFromFile(path);
    // Built ahead, so that no render request runs on the clock.
    for (int32_t i = 0; i < image.FrameCount(); ++i) image.SubImage(i)->FrameBitmap();
    image.SetPaintOptions(goAnimate | goRepeatAnimation | goPaintOnTarget | (transparent ? goDrawTransparent : 0) |
                          (ownThread ? goPaintInThread : 0));
    TBitmap target(kW, kH);
    target.Canvas()->Brush()->SetColor(clBlack);
    target.Canvas()->FillRect({0, 0, kW, kH});
    TPlayed played;
    bool ended = false;
    image.OnFramePaint = [&](TCustomVsGifPainter* p) {
        if (!played.Order.empty()) played.States.push_back(Rgb(target));
        played.Order.push_back(static_cast<TVsGifPainter*>(p)->ActiveFrame());
        played.Times.push_back(timeGetTime());
    };
    image.OnAnimationStart = [&](TCustomVsGifPainter*) { played.Passes = 1; };
    image.OnAnimationRepeat = [&](TCustomVsGifPainter*) { ++played.Passes; };
    image.OnAnimationEnd = [&](TCustomVsGifPainter*) {
        played.States.push_back(Rgb(target));
        ended = true;
    };
    image.Draw(*target.Canvas(), {0, 0, kW, kH});
    if (ownThread) {
        EXPECT_TRUE(RepeatUntil([&] { return ended && image.OwnPainter() == nullptr; },
                                [&] {
                                    if (!CheckSynchronize(1) && clock.Waiters() > 0) clock.AdvanceToNextDeadline();
                                },
                                10000));
    }
    EXPECT_TRUE(ended);
    return played;
}

TEST(GifAnimationOracle, OutsideAnimationsPlayAsTheirExtensionsSay) {
    SKIP_WITHOUT_TOOL("gifsicle");
    SKIP_WITHOUT_TOOL("convert-im6.q16");
    TAnimations files;
    ASSERT_TRUE(files.Make());
    // ImageMagick writes one loop less than asked; the file's count holds.
    ASSERT_EQ(files.Loops("gifsicle.gif"), 3);
    ASSERT_EQ(files.Loops("magick.gif"), 2);
    for (const char* name : {"gifsicle.gif", "magick.gif"}) {
        const int loops = files.Loops(name);
        const auto coalesced = files.Coalesced(name);
        const auto unoptimized = files.Unoptimized(name);
        for (bool own : {false, true})
            for (bool transparent : {true, false}) {
                SCOPED_TRACE(testing::Message() << name << (own ? " own thread" : " caller's thread")
                                                << (transparent ? " transparent" : " opaque"));
                const TPlayed played = Play(files.File(name), own, transparent);
                EXPECT_EQ(played.Passes, loops);
                ASSERT_EQ(played.Order.size(), size_t(4 * loops));
                ASSERT_EQ(played.States.size(), played.Order.size());
                // Delays 5, 1 (shown for 3), 0 (the default 10) and 20 units of 12 ms.
                const uint32_t waits[4] = {60, 36, 120, 240};
                for (size_t i = 0; i < played.Order.size(); ++i) {
                    SCOPED_TRACE(i);
                    EXPECT_EQ(played.Order[i], int32_t(i % 4));
                    if (i > 0) {
                        EXPECT_EQ(played.Times[i] - played.Times[i - 1], waits[(i - 1) % 4]);
                    }
                    const auto& expected = transparent ? coalesced[i % 4] : unoptimized[i % 4];
                    EXPECT_EQ(played.States[i], expected);
                }
            }
    }
}

}  // namespace

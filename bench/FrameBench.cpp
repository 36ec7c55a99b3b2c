// zep-frame-bench: what one frame of the game costs on this machine, drawn by
// the game's own code on the headless platform (the same SDL software
// renderer the real window falls back to), against the same drawing done by
// a plain C++ loop into an 800 x 600 RGBA buffer.
//
//   zep-frame-bench GAMEDIR [FRAMES]
//
// Workloads, each frame restored from the same snapshot so every sample
// draws exactly the same thing:
//   worst    EXPERT board, the camera where the most cells are on screen, H
//            held (every bomb overlay), 400 live sparks, the death flash;
//   typical  NORMAL board at its start, a few sparks, no overlay, no flash;
//   menu     the menu.
// Times are CPU time of RunFrame (screen routine, present, clear) in ms.
// Prints a table, then "worst_frame_ratio VALUE" (ZEP worst / plain worst).
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "board/Iso.h"
#include "game/Game.h"
#include "game/StartUp.h"
#include "platform/Font.h"
#include "platform/HeadlessPlatform.h"
#include "platform/ImageFile.h"
#include "screens/Screens.h"

namespace {

int64_t CpuNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// One draw call as the game made it, with the drawing state of the moment.
struct TDrawCall {
    enum TKind { Image, Text, Rect, Ellipse, Clear } kind;
    TDrawState state;
    TImageId image = 0;
    double x = 0, y = 0, w = 0, h = 0;
    std::string text;
};

// The headless platform, noting each draw call while recording is on.
class TRecordingPlatform : public THeadlessPlatform {
public:
    bool recording = false;
    std::vector<TDrawCall> calls;

    void DrawImage(TImageId image, double x, double y) override {
        Note({TDrawCall::Image, DrawState(), image, x, y, 0, 0, {}});
        THeadlessPlatform::DrawImage(image, x, y);
    }
    void DrawText(double x, double y, const std::string& text) override {
        Note({TDrawCall::Text, DrawState(), 0, x, y, 0, 0, text});
        THeadlessPlatform::DrawText(x, y, text);
    }
    void FillRect(double x, double y, double w, double h) override {
        Note({TDrawCall::Rect, DrawState(), 0, x, y, w, h, {}});
        THeadlessPlatform::FillRect(x, y, w, h);
    }
    void FillEllipse(double x, double y, double w, double h) override {
        Note({TDrawCall::Ellipse, DrawState(), 0, x, y, w, h, {}});
        THeadlessPlatform::FillEllipse(x, y, w, h);
    }
    void Clear() override {
        Note({TDrawCall::Clear, DrawState(), 0, 0, 0, 0, 0, {}});
        THeadlessPlatform::Clear();
    }

private:
    void Note(const TDrawCall& call) {
        if (recording) calls.push_back(call);
    }
};

// --- The plain loop ----------------------------------------------------------------
// Straightforward per-pixel source-over blending into 0xAARRGGBB pixels:
// what any careful C++ program would do without a renderer. Not meant to
// match SDL's pixels, only to do the same amount of drawing.

struct TPlainImage {
    int width = 0, height = 0, anchorX = 0, anchorY = 0;
    std::vector<uint8_t> rgba;
};

struct TPlainCanvas {
    static constexpr int kW = 800, kH = 600;
    std::vector<uint32_t> pixels = std::vector<uint32_t>(size_t(kW) * kH);
    std::vector<TPlainImage> images; // id n is images[n - 1]
    std::vector<int> columns;        // scratch: source column of each screen column

    static int Byte(int v) { return std::clamp(v, 0, 255); }
    static int Alpha(double a) { return int(std::lround(std::clamp(a, 0.0, 1.0) * 255)); }

    // x / 255 rounded, for x in 0..65025, without a division.
    static int Div255(int x) {
        x += 128;
        return (x + (x >> 8)) >> 8;
    }

    // Source over destination, a in 0..255.
    static void Blend(uint32_t& d, int r, int g, int b, int a) {
        if (a == 255) {
            d = 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
            return;
        }
        const int n = 255 - a;
        const int dr = d >> 16 & 255, dg = d >> 8 & 255, db = d & 255;
        d = 0xFF000000u | uint32_t(Div255(r * a + dr * n)) << 16 | uint32_t(Div255(g * a + dg * n)) << 8 |
            uint32_t(Div255(b * a + db * n));
    }

    // The screen span [first, last) of a drawn extent, clipped to [0, limit).
    static void Span(double start, double size, int limit, int& first, int& last) {
        first = std::max(0, int(std::floor(start)));
        last = std::min(limit, int(std::floor(start + size)));
    }

    void Image(const TDrawCall& c) {
        if (c.image < 1 || size_t(c.image) > images.size()) return;
        const TPlainImage& im = images[c.image - 1];
        const double sx = c.state.scaleX, sy = c.state.scaleY;
        const double left = c.x - im.anchorX * sx, top = c.y - im.anchorY * sy;
        int x0, x1, y0, y1;
        Span(left, im.width * sx, kW, x0, x1);
        Span(top, im.height * sy, kH, y0, y1);
        if (x0 >= x1 || y0 >= y1) return;
        const int mr = Byte(c.state.r), mg = Byte(c.state.g), mb = Byte(c.state.b), ma = Alpha(c.state.alpha);
        columns.resize(size_t(x1 - x0));
        for (int x = x0; x < x1; ++x) columns[x - x0] = std::min(im.width - 1, int((x + 0.5 - left) / sx));
        for (int y = y0; y < y1; ++y) {
            const uint8_t* src = &im.rgba[size_t(std::min(im.height - 1, int((y + 0.5 - top) / sy))) * im.width * 4];
            uint32_t* dst = &pixels[size_t(y) * kW];
            for (int x = x0; x < x1; ++x) {
                const uint8_t* s = src + columns[x - x0] * 4;
                const int a = Div255(s[3] * ma);
                if (a) Blend(dst[x], Div255(s[0] * mr), Div255(s[1] * mg), Div255(s[2] * mb), a);
            }
        }
    }

    void Text(const TDrawCall& c) {
        const int r = Byte(c.state.r), g = Byte(c.state.g), b = Byte(c.state.b), a = Alpha(c.state.alpha);
        if (!a) return;
        const double cellW = kGlyphWidth * c.state.scaleX, cellH = kGlyphHeight * c.state.scaleY;
        int drawn = 0;
        for (unsigned char ch : c.text) {
            if (!IsDrawnChar(ch)) continue;
            const double left = c.x + drawn * cellW;
            ++drawn;
            if (ch == ' ') continue;
            int x0, x1, y0, y1;
            Span(left, cellW, kW, x0, x1);
            Span(c.y, cellH, kH, y0, y1);
            for (int y = y0; y < y1; ++y) {
                const uint8_t bits = kFontRows[ch - kFirstGlyph][std::min(kGlyphHeight - 1, int((y + 0.5 - c.y) / c.state.scaleY))];
                if (!bits) continue;
                uint32_t* dst = &pixels[size_t(y) * kW];
                for (int x = x0; x < x1; ++x)
                    if (bits & (0x80 >> std::min(kGlyphWidth - 1, int((x + 0.5 - left) / c.state.scaleX))))
                        Blend(dst[x], r, g, b, a);
            }
        }
    }

    void Rect(const TDrawCall& c) {
        const int a = Alpha(c.state.alpha);
        if (!a) return;
        int x0, x1, y0, y1;
        Span(c.x, c.w * c.state.scaleX, kW, x0, x1);
        Span(c.y, c.h * c.state.scaleY, kH, y0, y1);
        const int r = Byte(c.state.r), g = Byte(c.state.g), b = Byte(c.state.b);
        for (int y = y0; y < y1; ++y) {
            uint32_t* dst = &pixels[size_t(y) * kW];
            for (int x = x0; x < x1; ++x) Blend(dst[x], r, g, b, a);
        }
    }

    void Ellipse(const TDrawCall& c) {
        const int a = Alpha(c.state.alpha);
        if (!a) return;
        const double rx = c.w * c.state.scaleX / 2, ry = c.h * c.state.scaleY / 2;
        if (rx <= 0 || ry <= 0) return;
        const double cx = c.x + rx, cy = c.y + ry;
        const int r = Byte(c.state.r), g = Byte(c.state.g), b = Byte(c.state.b);
        int y0, y1;
        Span(c.y, 2 * ry, kH, y0, y1);
        for (int y = y0; y < y1; ++y) {
            const double dy = (y + 0.5 - cy) / ry;
            if (dy * dy > 1) continue;
            const double half = rx * std::sqrt(1 - dy * dy);
            int x0, x1;
            Span(cx - half, 2 * half, kW, x0, x1);
            uint32_t* dst = &pixels[size_t(y) * kW];
            for (int x = x0; x < x1; ++x) Blend(dst[x], r, g, b, a);
        }
    }

    void Draw(const std::vector<TDrawCall>& calls) {
        for (const TDrawCall& c : calls) {
            switch (c.kind) {
            case TDrawCall::Image: Image(c); break;
            case TDrawCall::Text: Text(c); break;
            case TDrawCall::Rect: Rect(c); break;
            case TDrawCall::Ellipse: Ellipse(c); break;
            case TDrawCall::Clear: std::fill(pixels.begin(), pixels.end(), 0xFF000000u); break;
            }
        }
    }
};

// --- Workloads ---------------------------------------------------------------------

struct TStats {
    double median = 0, min = 0, max = 0;
};

TStats Summary(std::vector<int64_t> samples) {
    std::sort(samples.begin(), samples.end());
    return {double(samples[(samples.size() - 1) / 2]) / 1e6, double(samples.front()) / 1e6,
            double(samples.back()) / 1e6};
}

// Frames of the game from the same snapshot, each one timed.
TStats TimeFrames(TGame& game, TRecordingPlatform& platform, const TGame& snapshot, int frames) {
    std::vector<int64_t> samples;
    for (int k = 0; k < frames; ++k) {
        game = snapshot;
        const int64_t start = CpuNanoseconds();
        RunFrame(game, platform);
        samples.push_back(CpuNanoseconds() - start);
    }
    return Summary(samples);
}

// Clicks a menu line: pointer over it with the button held for one frame.
void Click(TGame& game, TRecordingPlatform& platform, int x, int y) {
    platform.MoveMouse(x, y);
    platform.SetButton(true);
    RunFrame(game, platform);
    platform.SetButton(false);
}

// Cells DrawBoard draws whose image reaches into the window, for a camera.
int CellsOnScreen(TGame& game) {
    const int32_t firstRow = ScreenToRow(game, game.screenWidth, 0), lastRow = ScreenToRow(game, 0, game.screenHeight);
    const int32_t firstCol = ScreenToCol(game, 0, 0), lastCol = ScreenToCol(game, game.screenWidth, game.screenHeight);
    int count = 0;
    for (int32_t i = firstRow; i <= lastRow; ++i)
        for (int32_t j = firstCol; j <= lastCol; ++j) {
            const double sx = CellWorldX(i, j) - game.camX, sy = CellWorldY(i, j) - game.camY;
            if (sx + 32 > 0 && sx - 32 < game.screenWidth && sy + 40 > 0 && sy < game.screenHeight) ++count;
        }
    return count;
}

// The camera over the EXPERT board with the most cells on screen, the cell
// under the figure being plain floor (so the frame is not a death).
void WorstCamera(TGame& game) {
    int best = -1;
    float bestX = game.camX, bestY = game.camY;
    for (int wy = 0; wy <= 1700; wy += 8) {
        for (int wx = -1700; wx <= 1700; wx += 8) {
            game.camX = float(wx - 400);
            game.camY = float(wy - 300);
            const int row = ScreenToRow(game, 400, 300), col = ScreenToCol(game, 400, 300);
            if (game.tiles[row][col] != kFloor) continue;
            const int n = CellsOnScreen(game);
            if (n > best) {
                best = n;
                bestX = game.camX;
                bestY = game.camY;
            }
        }
    }
    game.camX = bestX;
    game.camY = bestY;
}

// Sparks spread over the window, at every stage of their fading.
void FillSparks(TGame& game, size_t count) {
    TRandom random;
    random.Seed(7);
    game.particles.clear();
    while (game.particles.size() < count) {
        TParticle p;
        p.x = float(game.camX + random.Real(0, game.screenWidth));
        p.y = float(game.camY + random.Real(0, game.screenHeight));
        p.spx = float(random.Real(-5, 5));
        p.spy = float(random.Real(-5, 5));
        p.alpha = float(random.Real(0.05, 1));
        p.r = random.Int(40, 255);
        p.g = random.Int(40, 255);
        p.b = random.Int(40, 255);
        p.scale = float(random.Real(1, 3));
        game.particles.push_back(p);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zep-frame-bench GAMEDIR [FRAMES]\n");
        return 2;
    }
    const int frames = argc > 2 ? std::max(10, std::atoi(argv[2])) : 400;
    auto game = std::make_unique<TGame>();
    TRecordingPlatform platform;
    platform.SetClock(1);
    std::string error;
    if (!StartUp(*game, platform, argv[1], error)) {
        std::fprintf(stderr, "zep-frame-bench: %s\n", error.c_str());
        return 1;
    }

    // The menu, as it stands after start-up.
    const auto menu = std::make_unique<TGame>(*game);
    const TStats menuStats = TimeFrames(*game, platform, *menu, frames);

    // A typical play frame: NORMAL at its start, a few sparks left.
    *game = *menu;
    Click(*game, platform, 10, 70);
    Click(*game, platform, 10, 500);
    RunFrame(*game, platform);
    FillSparks(*game, 12);
    game->flash = 0;
    const auto typical = std::make_unique<TGame>(*game);
    const TStats typicalStats = TimeFrames(*game, platform, *typical, frames);

    // The worst: EXPERT, most cells on screen, H held, all sparks, the flash.
    *game = *menu;
    Click(*game, platform, 10, 200);
    Click(*game, platform, 10, 500);
    WorstCamera(*game);
    RunFrame(*game, platform); // the figure's cell is now scored
    platform.SetKey(TKey::H, true);
    game->helpHeld = 1;
    game->velX = game->velY = 0;
    FillSparks(*game, kMaxParticles);
    game->flash = 0.9f;
    const auto worst = std::make_unique<TGame>(*game);
    const int cells = CellsOnScreen(*game);

    // The same frame once more, its draw calls noted for the plain loop.
    platform.recording = true;
    RunFrame(*game, platform);
    platform.recording = false;
    int bombs = 0;
    for (const TDrawCall& c : platform.calls) bombs += c.kind == TDrawCall::Image && c.image == game->tileBombImage;

    TPlainCanvas plain;
    const char* files[] = {"Images/tile.png",     "Images/tileON.png",   "Images/tileBOMB.png", "Images/tileGOAL.png",
                           "Images/tileSAFE.png", "Images/tileHELPER.png", "Images/player1.png", "Images/player2.png",
                           "Images/player3.png",  "Images/player4.png"};
    for (const char* file : files) { // StartUp entered the game's folder
        TPixels pixels;
        if (!LoadPngFile(file, pixels, error)) {
            std::fprintf(stderr, "zep-frame-bench: %s: %s\n", file, error.c_str());
            return 1;
        }
        const bool figure = std::strstr(file, "player") != nullptr;
        plain.images.push_back({pixels.width, pixels.height, figure ? 16 : 32, figure ? 24 : 0, pixels.rgba});
    }
    // The game's frame and the plain loop's in turn, so that whatever else
    // the machine is doing weighs on both alike.
    std::vector<int64_t> worstSamples, plainSamples;
    for (int k = 0; k < frames; ++k) {
        *game = *worst;
        int64_t start = CpuNanoseconds();
        RunFrame(*game, platform);
        worstSamples.push_back(CpuNanoseconds() - start);
        start = CpuNanoseconds();
        plain.Draw(platform.calls);
        plainSamples.push_back(CpuNanoseconds() - start);
    }
    const TStats worstStats = Summary(worstSamples);
    const TStats plainStats = Summary(plainSamples);

    std::printf("Frame cost, CPU ms over %d frames each (median, min, max)\n", frames);
    std::printf("  %-44s %8s %8s %8s\n", "workload", "median", "min", "max");
    auto row = [](const char* name, const TStats& s) {
        std::printf("  %-44s %8.3f %8.3f %8.3f\n", name, s.median, s.min, s.max);
    };
    row("menu", menuStats);
    row("typical play (NORMAL, few sparks)", typicalStats);
    char name[96];
    std::snprintf(name, sizeof name, "worst play (%d cells, %d bombs, %zu sparks)", cells, bombs, worst->particles.size());
    row(name, worstStats);
    row("worst play, plain C++ loop (same draw calls)", plainStats);
    std::printf("  draw calls in the worst frame: %zu\n", platform.calls.size());
    std::printf("worst_frame_ratio %.3f\n", worstStats.median / plainStats.median);
    return 0;
}

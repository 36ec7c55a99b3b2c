// A long run of random input through the whole game on the headless
// platform: menu clicks, games of every size started, steered, lost, won and
// left with Escape, checking the game's invariants after every frame. The
// menu's EXIT is never touched, so the run only ends when its frames are done.
//
// ZEP_SOAK_SEED=<n> replays a failing run (the failure message prints the
// seed); ZEP_SOAK_FRAMES=<n> changes the length and ZEP_SOAK_DRAW_EVERY=<n>
// how often a frame is rasterised (1: every frame).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "TestSupport.h"
#include "records/HighScores.h"
#include "screens/Screens.h"

namespace {

constexpr uint64_t kDefaultSeed = 20240611;

// Sanitizer builds run the game several times slower; they get fewer frames
// by default so the whole suite stays within its time.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kDefaultFrames = 100000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr long kDefaultFrames = 100000;
#else
constexpr long kDefaultFrames = 200000;
#endif
#else
constexpr long kDefaultFrames = 200000;
#endif

// Frames between two that go through SDL's rasteriser (see TSoakPlatform).
constexpr uint64_t kDefaultDrawEvery = 100;

// A whole number from the environment, or fallback when unset or not a number.
uint64_t EnvNumber(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    return *end == '\0' ? uint64_t(value) : fallback;
}

// The menu's hot rectangles (both ends included), as the player meets them.
struct TRect {
    int x, y, w, h;
    bool Holds(int px, int py) const { return px >= x && px <= x + w && py >= y && py <= y + h; }
};
// Mode lines: 4 x 8 pixels a letter of the label, 64 high.
constexpr TRect kModeRects[4] = {
    {0, 0, 4 * 8 * 15, 64},   // "EASY 20x20 HS: "
    {0, 64, 4 * 8 * 17, 64},  // "NORMAL 30x30 HS: "
    {0, 128, 4 * 8 * 15, 64}, // "HARD 40x40 HS: "
    {0, 192, 4 * 8 * 17, 64}, // "EXPERT 50x50 HS: "
};
constexpr TRect kStartRect{0, 480, 320, 64};
constexpr TRect kExitRect{0, 540, 128, 64};

// The random player: keys and the pointer change now and then and are held
// in between, as a person's would be.
class TRandomPlayer {
public:
    explicit TRandomPlayer(uint64_t seed) : rng_(seed) {}

    void Act(THeadlessPlatform& platform) {
        if (Chance(8)) {
            // A new steering key (or none, or two at once).
            for (TKey k : {TKey::W, TKey::A, TKey::S, TKey::D}) platform.SetKey(k, false);
            const int pick = Uniform(0, 5);
            if (pick < 4) platform.SetKey(kSteer[pick], true);
            if (pick == 5) {
                platform.SetKey(kSteer[Uniform(0, 3)], true);
                platform.SetKey(kSteer[Uniform(0, 3)], true);
            }
        }
        if (Chance(30)) platform.SetKey(TKey::H, Chance(2));
        // Escape is rare and short, so most games end by themselves.
        platform.SetKey(TKey::Escape, Chance(1500));
        if (Chance(40)) platform.ChangeFocus();
        if (Chance(10)) {
            int x = 0, y = 0;
            const int target = Uniform(0, 9);
            if (target < 5) {
                const TRect& line = kModeRects[Uniform(0, 3)];
                x = Uniform(line.x, line.x + line.w);
                y = Uniform(line.y, line.y + line.h);
            } else if (target < 8) {
                // START GAME, but never the strip it shares with EXIT.
                x = Uniform(kStartRect.x, kStartRect.x + kStartRect.w);
                y = Uniform(kStartRect.y, kExitRect.y - 1);
            } else {
                x = Uniform(-50, 849);
                y = Uniform(-50, 649);
            }
            if (kExitRect.Holds(x, y)) x = kExitRect.x + kExitRect.w + 1;
            platform.MoveMouse(x, y);
            platform.SetButton(Chance(2));
        }
    }

private:
    static constexpr TKey kSteer[4] = {TKey::W, TKey::A, TKey::S, TKey::D};
    bool Chance(int oneIn) { return Uniform(1, oneIn) == 1; }
    // Plain modulo rather than a standard distribution, whose numbers differ
    // between standard libraries: a seed replays the same run everywhere.
    int Uniform(int low, int high) { return low + int(rng_() % uint64_t(high - low + 1)); }
    std::mt19937_64 rng_;
};

// The headless platform with its software rasteriser run only on every
// drawEvery-th frame. All of the game's own drawing code still runs each
// frame (board loops, HUD text, particles, the drawing state); only SDL's
// pixel work, nine tenths of a frame's time, is skipped in between, which is
// what lets a soak of hundreds of thousands of frames finish in seconds.
class TSoakPlatform : public THeadlessPlatform {
public:
    int drawEvery = 1;
    bool drawing = true;      // this frame goes through the rasteriser
    bool coordinatesOk = true; // no draw call so far got a coordinate that is not finite
    uint64_t presents = 0;    // every Present, drawn or not

    void BeginFrame(uint64_t frame) { drawing = frame % uint64_t(drawEvery) == 0; }

    void DrawImage(TImageId image, double x, double y) override {
        Note(x, y);
        if (drawing) THeadlessPlatform::DrawImage(image, x, y);
    }
    void DrawText(double x, double y, const std::string& text) override {
        Note(x, y);
        if (drawing) THeadlessPlatform::DrawText(x, y, text);
    }
    void FillRect(double x, double y, double w, double h) override {
        Note(x, y, w, h);
        if (drawing) THeadlessPlatform::FillRect(x, y, w, h);
    }
    void FillEllipse(double x, double y, double w, double h) override {
        Note(x, y, w, h);
        if (drawing) THeadlessPlatform::FillEllipse(x, y, w, h);
    }
    void Present() override {
        ++presents;
        if (drawing) THeadlessPlatform::Present();
    }
    void Clear() override {
        if (drawing) THeadlessPlatform::Clear();
    }

private:
    void Note(double a, double b, double c = 0, double d = 0) {
        coordinatesOk = coordinatesOk && std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
    }
};

// What the checks need to remember from one frame to the next.
struct TSoakState {
    int32_t score = 0;
    int32_t lives = 3;
    uint64_t presents = 0;
};

// The first broken invariant after a frame, or "" when all hold.
// started: START GAME acted in this frame; steady: the frame began and ended
// on the same screen (no game started or ended in it).
std::string CheckFrame(const TGame& g, TSoakPlatform& platform, bool started, bool steady, TSoakState& last) {
    std::ostringstream why;
    int ones = 0, zeros = 0;
    for (int32_t f : g.modeFlags) {
        ones += f == 1;
        zeros += f == 0;
    }
    if (ones != 1 || zeros != 3) {
        why << "mode flags " << g.modeFlags[0] << g.modeFlags[1] << g.modeFlags[2] << g.modeFlags[3];
        return why.str();
    }
    if (!g.running) return "the game stopped without EXIT";
    if (g.screenMode != 0 && g.screenMode != 1) return "screen mode " + std::to_string(g.screenMode);
    const int32_t n = g.lastRow;
    if (n < 0 || n >= kGridSize || g.lastCol != n) return "board size " + std::to_string(n);
    // START GAME builds the new board in a menu frame; the figure's cell is
    // worked out by the first play frame, so until then it may still name a
    // cell of the last, larger board. Nothing reads it in between.
    const bool cellCurrent = !started;
    if (cellCurrent &&
        !(g.playerRow >= 0 && g.playerRow <= float(n) && g.playerCol >= 0 && g.playerCol <= float(n))) {
        why << "player cell " << g.playerRow << "," << g.playerCol << " outside 0.." << n;
        return why.str();
    }
    if (g.lives < 0 || g.lives > 3) return "lives " + std::to_string(g.lives);
    if (g.score < 0 || int64_t(g.score) > int64_t(n + 1) * (n + 1)) {
        why << "score " << g.score << " on a board of " << n + 1 << " x " << n + 1;
        return why.str();
    }
    if (started) {
        if (g.score != 0 || g.lives != 3 || g.screenMode != 1) {
            why << "START GAME left score " << g.score << ", lives " << g.lives << ", mode " << g.screenMode;
            return why.str();
        }
    } else {
        if (g.score < last.score) return "score fell from " + std::to_string(last.score) + " to " +
                                         std::to_string(g.score) + " within a game";
        if (g.lives > last.lives) return "lives rose from " + std::to_string(last.lives) + " to " +
                                         std::to_string(g.lives) + " within a game";
    }
    for (const auto& row : g.marks)
        for (int32_t m : row)
            if (m != kUnvisited && m != kVisited && m != kExploded) return "a mark of " + std::to_string(m);
    if (!platform.DrawState().IsNeutral()) return "drawing state not neutral after the frame";
    if (g.particles.size() > kMaxParticles) return std::to_string(g.particles.size()) + " particles alive";
    if (!platform.coordinatesOk) return "a draw call got a coordinate that is not a finite number";
    if (platform.presents <= last.presents) return "the frame was not presented";
    if (platform.drawing && steady) {
        bool lit = false;
        for (uint32_t pixel : platform.Frame()) lit = lit || (pixel & 0xFFFFFFu) != 0;
        if (!lit) return "the presented frame is all black";
    }
    last.score = g.score;
    last.lives = g.lives;
    last.presents = platform.presents;
    return "";
}

// A game started on the soak platform in its own copy of the game folder.
struct TSoakGame {
    TTempDir dir;
    TSoakPlatform platform;
    std::unique_ptr<TGame> game = std::make_unique<TGame>();
    std::string error;
    bool started = false;

    TSoakGame() {
        CopyGameAssets(dir.Path());
        started = StartUp(*game, platform, dir.Path(), error);
    }
    void Frame() { RunFrame(*game, platform); }
};

TEST(Soak, RandomInputKeepsTheGameConsistent) {
    const uint64_t seed = EnvNumber("ZEP_SOAK_SEED", kDefaultSeed);
    const uint64_t frames = EnvNumber("ZEP_SOAK_FRAMES", kDefaultFrames);
    TSoakGame t;
    t.platform.drawEvery = int(std::max<uint64_t>(1, EnvNumber("ZEP_SOAK_DRAW_EVERY", kDefaultDrawEvery)));
    ASSERT_TRUE(t.started) << t.error;
    t.game->random.Seed(seed); // the boards, too, follow the soak's seed
    TRandomPlayer player(seed);
    TSoakState last;
    int startsPerMode[4] = {0, 0, 0, 0};
    int losses = 0, wins = 0;
    uint64_t playFrames = 0;

    for (uint64_t frame = 0; frame < frames; ++frame) {
        t.platform.BeginFrame(frame);
        player.Act(t.platform);
        TGame& g = *t.game;
        // START GAME acts in a menu frame with the button held over it.
        int mx = 0, my = 0;
        t.platform.MousePosition(mx, my);
        const bool starting = g.screenMode == 0 && t.platform.MouseButtonHeld() && kStartRect.Holds(mx, my);
        const bool playing = g.screenMode == 1;
        const int32_t livesBefore = g.lives;
        int mode = 0;
        while (g.modeFlags[size_t(mode)] != 1 && mode < 3) ++mode;

        t.Frame();

        const bool steady = playing == (g.screenMode == 1);
        const std::string problem = CheckFrame(g, t.platform, starting, steady, last);
        if (!problem.empty()) {
            FAIL() << "soak seed " << seed << " (replay with ZEP_SOAK_SEED=" << seed << "), frame " << frame
                   << ": " << problem;
        }
        if (starting) ++startsPerMode[mode];
        if (playing) {
            ++playFrames;
            if (g.screenMode == 0 && livesBefore > 0 && g.lives == 0) ++losses;
            if (g.screenMode == 0 && g.lives > 0 && g.tiles[size_t(g.playerRow)][size_t(g.playerCol)] == kGoal) {
                ++wins;
                // A win is kept: in memory as the mode's best, and on disk.
                std::array<int32_t, 4> saved{};
                std::string error;
                const bool read = ReadHighScoreFile(t.dir / "highscore.ini", saved, error);
                if (g.highScores[size_t(mode)] < g.score || !read || saved != g.highScores) {
                    FAIL() << "soak seed " << seed << ", frame " << frame << ": a win with score " << g.score
                           << " left best " << g.highScores[size_t(mode)] << " in memory and "
                           << (read ? "a different file" : "no readable file: " + error);
                }
            }
        }
    }
    std::printf("soak: seed %llu, %llu frames (%llu in play), games started EASY %d NORMAL %d HARD %d EXPERT %d, "
                "%d lost, %d won\n",
                (unsigned long long)seed, (unsigned long long)frames, (unsigned long long)playFrames,
                startsPerMode[0], startsPerMode[1], startsPerMode[2], startsPerMode[3], losses, wins);
    // The run only proves something if it reached every board size and lost games.
    for (int k = 0; k < 4; ++k) EXPECT_GT(startsPerMode[k], 0) << "mode " << k << " never started, seed " << seed;
    EXPECT_GT(losses, 0) << "no game was lost, seed " << seed;
}

} // namespace

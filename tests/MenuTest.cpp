// The menu: hot rectangles, the order of the tests, colours on screen and
// starting a game of each size.
#include <gtest/gtest.h>

#include <array>

#include "TestSupport.h"
#include "board/Iso.h"
#include "platform/Font.h"
#include "screens/Screens.h"

namespace {

using TFlags = std::array<int32_t, 4>;

struct TPressCase {
    const char* what;
    bool moved;     // false: the pointer never moved over the window
    int x, y;
    bool pressed;
    TFlags flags;   // expected after one frame, starting from HARD selected
    int32_t mode;   // expected screenMode
    bool running;   // false when EXIT acted
};

class MenuPress : public testing::TestWithParam<TPressCase> {};

TEST_P(MenuPress, ActsOnTheLinesUnderThePointer) {
    const TPressCase& c = GetParam();
    THeadlessGame t;
    ASSERT_TRUE(t.started) << t.error;
    t.game->modeFlags = {0, 0, 1, 0};
    if (c.moved) t.platform.MoveMouse(c.x, c.y);
    t.platform.SetButton(c.pressed);
    t.Frame();
    EXPECT_EQ(t.game->modeFlags, c.flags) << c.what;
    EXPECT_EQ(t.game->screenMode, c.mode) << c.what;
    EXPECT_EQ(t.game->running, c.running) << c.what;
    EXPECT_EQ(t.platform.WindowOpen(), c.running) << c.what;
}

constexpr TFlags kEasy{1, 0, 0, 0}, kNormal{0, 1, 0, 0}, kHard{0, 0, 1, 0}, kExpert{0, 0, 0, 1};

INSTANTIATE_TEST_SUITE_P(
    Menu, MenuPress,
    testing::Values(
        TPressCase{"no button, over NORMAL", true, 100, 70, false, kHard, 0, true},
        TPressCase{"press before any motion tests (0, 0)", false, 0, 0, true, kEasy, 0, true},
        TPressCase{"EASY", true, 200, 30, true, kEasy, 0, true},
        TPressCase{"edge y 64: NORMAL wins over EASY", true, 100, 64, true, kNormal, 0, true},
        TPressCase{"edge y 128: HARD", true, 100, 128, true, kHard, 0, true},
        TPressCase{"edge y 192: EXPERT", true, 100, 192, true, kExpert, 0, true},
        TPressCase{"bottom edge of EXPERT, y 256", true, 100, 256, true, kExpert, 0, true},
        TPressCase{"below EXPERT: the heading is not hot", true, 100, 257, true, kHard, 0, true},
        TPressCase{"right edge of EASY included", true, 480, 10, true, kEasy, 0, true},
        TPressCase{"the best-score digits right of EASY", true, 481, 10, true, kHard, 0, true},
        TPressCase{"right edge of NORMAL", true, 544, 100, true, kNormal, 0, true},
        TPressCase{"digits right of NORMAL", true, 545, 100, true, kHard, 0, true},
        TPressCase{"START GAME", true, 320, 500, true, kHard, 1, true},
        TPressCase{"right of START GAME", true, 321, 500, true, kHard, 0, true},
        TPressCase{"START GAME and EXIT overlap at 540..544", true, 64, 542, true, kHard, 1, false},
        TPressCase{"EXIT alone", true, 128, 560, true, kHard, 0, false},
        TPressCase{"right of EXIT", true, 129, 560, true, kHard, 0, true},
        TPressCase{"held outside the window", true, -5, 700, true, kHard, 0, true}),
    [](const testing::TestParamInfo<TPressCase>& info) { return "case" + std::to_string(info.index); });

TEST(Menu, DraggingAcrossTheLinesSelectsEachInTurnAndTheLastStays) {
    THeadlessGame t;
    ASSERT_TRUE(t.started) << t.error;
    t.platform.SetButton(true);
    const std::pair<int, TFlags> path[] = {{20, kEasy}, {90, kNormal}, {150, kHard}, {220, kExpert}, {300, kExpert}};
    for (const auto& [y, flags] : path) {
        t.platform.MoveMouse(300, y);
        t.Frame();
        EXPECT_EQ(t.game->modeFlags, flags) << "y " << y;
    }
    t.platform.SetButton(false);
    t.platform.MoveMouse(300, 20);
    t.Frame();
    EXPECT_EQ(t.game->modeFlags, kExpert);
    EXPECT_EQ(t.game->screenMode, 0);
}

// The screen position of glyph ch's first lit pixel, drawn at scale 4 at (x, y).
std::pair<int, int> FirstLitPixel(unsigned char ch, int x, int y) {
    for (int row = 0; row < kGlyphHeight; ++row)
        for (int col = 0; col < kGlyphWidth; ++col)
            if (kFontRows[ch - kFirstGlyph][row] & (0x80 >> col)) return {x + col * 4 + 1, y + row * 4 + 1};
    return {-1, -1};
}

TEST(Menu, LinesShowInTheirColoursOnScreen) {
    THeadlessGame t;
    ASSERT_TRUE(t.started) << t.error;
    t.game->modeFlags = kNormal;
    t.Frame();
    struct TLine {
        unsigned char first;
        int y;
        uint32_t color;
    };
    const TLine lines[] = {
        {'E', 0, 0x641E96},   // EASY, not selected: (100, 30, 150)
        {'N', 64, 0x7DC34B},  // NORMAL, selected: (125, 195, 75)
        {'H', 128, 0xA05AD2}, // HARD: (160, 90, 210)
        {'E', 192, 0xBE78E6}, // EXPERT: (190, 120, 230)
        {'C', 256, 0xFFFFFF}, // CHOOSE GAMEMODE
        {'C', 416, 0x001EB4}, // CONTROLS: WASD
        {'S', 480, 0x1E3CD2}, // START GAME
        {'E', 540, 0x3250E6}, // EXIT
    };
    for (const TLine& line : lines) {
        const auto [x, y] = FirstLitPixel(line.first, 0, line.y);
        EXPECT_EQ(t.platform.PixelAt(x, y), line.color) << "line at y " << line.y;
    }
    t.game->modeFlags = kExpert;
    t.Frame();
    const auto [x, y] = FirstLitPixel('E', 0, 192);
    EXPECT_EQ(t.platform.PixelAt(x, y), 0x418719u) << "EXPERT selected: (65, 135, 25)";
    EXPECT_TRUE(t.platform.DrawState().IsNeutral());
}

class StartGameSizes : public testing::TestWithParam<int> {};

TEST_P(StartGameSizes, BuildsTheBoardOfTheModeWithTheStartInsideIt) {
    const int k = GetParam();
    const int32_t n = 20 + 10 * k;
    THeadlessGame t;
    ASSERT_TRUE(t.started) << t.error;
    for (int round = 0; round < 30; ++round) {
        t.game->screenMode = 0;
        t.game->modeFlags = {0, 0, 0, 0};
        t.game->modeFlags[k] = 1;
        t.platform.MoveMouse(10, 500);
        t.platform.SetButton(true);
        t.Frame();
        const TGame& g = *t.game;
        ASSERT_EQ(g.screenMode, 1);
        EXPECT_EQ(g.lastRow, n);
        EXPECT_EQ(g.lastCol, n);
        EXPECT_GE(g.startX, -8 * n);
        EXPECT_LE(g.startX, 8 * n);
        EXPECT_GE(g.startY, 8 * n);
        EXPECT_LE(g.startY, 10 * n);
        EXPECT_EQ(g.camX, float(g.startX - 400));
        EXPECT_EQ(g.camY, float(g.startY - 300));
        const int32_t row = ScreenToRow(g, 400, 300), col = ScreenToCol(g, 400, 300);
        EXPECT_EQ(row, (2 * g.startY - g.startX) / 64);
        EXPECT_EQ(col, (g.startX + 2 * g.startY) / 64);
        for (int32_t index : {row, col}) {
            EXPECT_GE(index, n / 8) << "start off the ring, nearer the top corner";
            EXPECT_LE(index, 7 * n / 16);
        }
        EXPECT_EQ(g.lives, 3);
        EXPECT_EQ(g.score, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Menu, StartGameSizes, testing::Values(0, 1, 2, 3));

} // namespace

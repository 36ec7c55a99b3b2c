// The play screen frame by frame, on small boards built by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "TestSupport.h"
#include "board/Iso.h"
#include "records/HighScores.h"
#include "screens/Screens.h"

namespace {

// A game on a hand-made board. Map characters: '.' floor, 'B' bomb,
// 'G' goal, 'H' helper, 'S' the start cell (floor).
class PlayBoard : public testing::Test {
protected:
    void Build(const std::vector<std::string>& rows) {
        ASSERT_TRUE(t.started) << t.error;
        TGame& g = *t.game;
        const int32_t n = int32_t(rows.size()) - 1;
        g.lastRow = g.lastCol = n;
        g.tiles = {};
        g.marks = {};
        for (int32_t i = 0; i <= n; ++i) {
            ASSERT_EQ(int32_t(rows[i].size()), n + 1);
            for (int32_t j = 0; j <= n; ++j) {
                const char c = rows[i][j];
                g.tiles[i][j] = c == 'B' ? kBomb : c == 'G' ? kGoal : c == 'H' ? kHelper : kFloor;
                if (c == 'S') {
                    // The middle of the start cell's diamond.
                    g.startX = int32_t(CellWorldX(i, j));
                    g.startY = int32_t(CellWorldY(i, j)) + 16;
                }
            }
        }
        g.camX = float(g.startX - 400);
        g.camY = float(g.startY - 300);
        g.lives = 3;
        g.score = 0;
        g.screenMode = 1;
        g.velX = g.velY = 0;
        g.flash = 0;
        g.reveal = 0;
    }
    void Hold(TKey key, bool held = true) { t.platform.SetKey(key, held); }
    void ReleaseKeys() {
        for (TKey k : {TKey::W, TKey::A, TKey::S, TKey::D, TKey::H, TKey::Escape}) Hold(k, false);
    }
    // One play frame through the real frame loop.
    void Step(int frames = 1) { t.Frames(frames); }
    std::pair<int, int> Cell() const { return {int(t.game->playerRow), int(t.game->playerCol)}; }

    THeadlessGame t{"5\r\n6\r\n7\r\n8\r\n"};
};

// Ring of bombs round a floor field, start in the middle.
const std::vector<std::string> kField = {
    "BBBBBBBBB",
    "B.......B",
    "B.......B",
    "B.......B",
    "B...S...B",
    "B.......B",
    "B.......B",
    "B.......B",
    "BBBBBBBBB",
};

TEST_F(PlayBoard, FirstHeldKeyInTableOrderWinsAndMotionOutlastsTheKeys) {
    Build(kField);
    Hold(TKey::A);
    Hold(TKey::W);
    Step();
    EXPECT_EQ(t.game->velX, -2);
    EXPECT_EQ(t.game->velY, -1);
    EXPECT_EQ(t.game->facing, 3);
    ReleaseKeys();
    const float camX = t.game->camX;
    Step(5);
    EXPECT_EQ(t.game->velX, -2) << "releasing the keys keeps the motion";
    EXPECT_LT(t.game->camX, camX - 10) << "five frames at a speed just over 1";
    EXPECT_GT(t.game->camX, camX - 11);
    Hold(TKey::D);
    Hold(TKey::A);
    Step();
    EXPECT_EQ(t.game->facing, 4) << "D before A";
    ReleaseKeys();
    Hold(TKey::A);
    Step();
    EXPECT_EQ(t.game->facing, 1);
    EXPECT_EQ(t.game->velY, 1);
}

TEST_F(PlayBoard, CrossesOneCellEverySixteenFramesAtSpeedOne) {
    Build(kField);
    t.game->score = 0;
    Hold(TKey::W);
    std::vector<std::pair<int, int>> cells;
    for (int f = 0; f < 24; ++f) {
        Step();
        t.game->score = 0; // hold the speed at 1
        cells.push_back(Cell());
    }
    EXPECT_EQ(cells[7], std::make_pair(4, 4)) << "8 frames from the middle reach the edge";
    EXPECT_EQ(cells[8], std::make_pair(4, 3)) << "the 9th is over it";
    EXPECT_EQ(cells[23], std::make_pair(4, 3));
}

TEST(Speed, TextAndCapFollowTheScore) {
    struct TCase { int32_t score; const char* text; };
    const TCase cases[] = {{0, "1.00000000"},  {1, "1.01666665"},  {2, "1.03333330"}, {30, "1.50000000"},
                           {60, "2.00000000"}, {119, "2.98333335"}, {120, "3.00000000"}, {500, "3.00000000"}};
    for (const TCase& c : cases) EXPECT_EQ(FormatReal(SpeedForScore(c.score)), c.text) << "score " << c.score;
}

TEST_F(PlayBoard, HudColourCoolsWithSpeedAndShowsTheStoredBest) {
    Build(kField);
    struct TCase { int32_t score; uint32_t color; };
    // (50 / speed, 50 / speed, 250 x speed) truncated; blue beyond 255 draws as 255.
    const TCase cases[] = {{0, 0x3232FA}, {1, 0x3131FE}, {2, 0x3030FF}, {60, 0x1919FF}, {200, 0x1010FF}};
    for (const TCase& c : cases) {
        t.game->score = c.score;
        t.platform.Clear();
        DrawHud(*t.game, t.platform, SpeedForScore(c.score));
        t.platform.Present();
        // A lit pixel of the 'L' of "LIVES: " (its stem, column 1, at scale 4).
        uint32_t seen = 0;
        for (int y = 540; y < 600 && !seen; ++y) seen = t.platform.PixelAt(6, y);
        EXPECT_EQ(seen, c.color) << "score " << c.score;
        EXPECT_TRUE(t.platform.DrawState().IsNeutral());
    }
}

TEST_F(PlayBoard, DeathCostsALifeSendsTheFigureHomeAndLocksKeysForSeventeenFrames) {
    Build({
        "BBBBBBB",
        "B.....B",
        "B.....B",
        "B.BS..B",
        "B.....B",
        "B.....B",
        "BBBBBBB",
    });
    const float homeX = t.game->camX, homeY = t.game->camY;
    Hold(TKey::W); // onto the bomb at (3, 2)
    int frames = 0;
    while (t.game->lives == 3 && frames < 40) {
        Step();
        ++frames;
    }
    ASSERT_EQ(t.game->lives, 2);
    EXPECT_EQ(t.game->marks[3][2], kExploded);
    EXPECT_EQ(t.game->camX, homeX);
    EXPECT_EQ(t.game->camY, homeY);
    EXPECT_EQ(t.game->velX, 0);
    EXPECT_FLOAT_EQ(t.game->flash, 0.95f);
    EXPECT_EQ(t.game->score, 1) << "the start cell only; the bomb never counts";
    // W stays held: ignored on 17 frames, taken on the 18th.
    for (int f = 1; f <= 17; ++f) {
        Step();
        ASSERT_EQ(t.game->velX, 0) << "frame " << f << " after the death";
    }
    Step();
    EXPECT_EQ(t.game->velX, -2) << "the 18th frame takes the key";
    // Back over the exploded bomb: free, and it scores nothing.
    ReleaseKeys();
    Step(30);
    EXPECT_EQ(t.game->lives, 2);
    EXPECT_EQ(t.game->marks[3][2], kExploded);
    EXPECT_GE(t.game->score, 2) << "the floor beyond the bomb counted";
}

TEST_F(PlayBoard, ExplodedRingCellLetsTheFigureOutAndTheClampedCellSlidesAlongTheRing) {
    Build({
        "BBBBBBB",
        "B..S..B",
        "B.....B",
        "B.....B",
        "B.....B",
        "B.....B",
        "BBBBBBB",
    });
    Hold(TKey::D); // row - 1: onto the ring at (0, 3)
    while (t.game->lives == 3) Step();
    EXPECT_EQ(t.game->marks[0][3], kExploded);
    Step(20); // the lock passes; D still held
    ASSERT_EQ(t.game->velX, 2);
    // Straight out through the exploded cell: the clamped cell stays (0, 3).
    for (int f = 0; f < 60; ++f) {
        Step();
        ASSERT_EQ(t.game->lives, 2);
        if (f > 20) {
            ASSERT_EQ(Cell(), std::make_pair(0, 3)) << "frame " << f;
        }
    }
    // Steering along the edge outside the board slides the cell to (0, 4), a live bomb.
    ReleaseKeys();
    Hold(TKey::S);
    int frames = 0;
    while (t.game->lives == 2 && frames < 100) {
        Step();
        ++frames;
    }
    EXPECT_EQ(t.game->lives, 1);
    EXPECT_EQ(t.game->marks[0][4], kExploded);
}

TEST_F(PlayBoard, HeldHShowsBombsOneFrameLateAndHidesThemOneFrameAfterRelease) {
    Build({
        "BBBBBBB",
        "B.....B",
        "B.....B",
        "B..SB.B",
        "B.....B",
        "B.....B",
        "BBBBBBB",
    });
    // The middle of bomb cell (3, 4) on screen, the figure standing still.
    Step();
    const int x = int(CellWorldX(3, 4) - t.game->camX), y = int(CellWorldY(3, 4) - t.game->camY) + 16;
    const uint32_t hidden = t.platform.PixelAt(x, y);
    std::vector<bool> shown;
    Hold(TKey::H);
    for (int f = 0; f < 3; ++f) {
        Step();
        shown.push_back(t.platform.PixelAt(x, y) != hidden);
    }
    Hold(TKey::H, false);
    for (int f = 0; f < 3; ++f) {
        Step();
        shown.push_back(t.platform.PixelAt(x, y) != hidden);
    }
    EXPECT_EQ(shown, (std::vector<bool>{false, true, true, true, false, false}));
}

TEST_F(PlayBoard, HelperRevealFadesOverFiftyFramesAfterLeaving) {
    Build({
        "BBBBBBB",
        "B.....B",
        "B.....B",
        "B..SB.B",
        "B.....B",
        "B.....B",
        "BBBBBBB",
    });
    t.game->tiles[3][3] = kHelper; // start on the helper
    Step();
    EXPECT_EQ(t.game->reveal, 1.0f);
    Hold(TKey::A); // off the helper, down-left onto floor
    std::vector<float> levels;
    for (int f = 0; f < 80 && (levels.empty() || levels.back() > 0); ++f) {
        Step();
        if (t.game->tiles[int(t.game->playerRow)][int(t.game->playerCol)] != kHelper) {
            levels.push_back(t.game->reveal);
            t.game->velX = t.game->velY = 0; // stand on the floor next to it
        }
        ReleaseKeys();
    }
    ASSERT_GE(levels.size(), 3u);
    EXPECT_FLOAT_EQ(levels[0], 0.98f);
    EXPECT_FLOAT_EQ(levels[1], 0.96f);
    EXPECT_FLOAT_EQ(levels[2], 0.94f);
    // Float rounding leaves a trace above 0 on the 50th frame: too faint to
    // show (it rounds to alpha 0); the level reaches 0 on the 51st.
    ASSERT_EQ(levels.size(), 51u);
    EXPECT_GT(levels[48], 0.01f);
    EXPECT_LT(levels[49], 1.0f / 510);
    EXPECT_EQ(levels[50], 0.0f);
}

TEST_F(PlayBoard, GoalOnTheStartCellWinsTheFirstFrameWithScoreOne) {
    Build(kField);
    t.game->tiles[4][4] = kGoal;
    t.game->modeFlags = {0, 1, 0, 0};
    PlayFrame(*t.game, t.platform); // the card is the last presented frame
    EXPECT_EQ(t.game->score, 1);
    EXPECT_EQ(t.game->screenMode, 0);
    EXPECT_EQ(t.game->highScores[1], 6) << "1 does not beat the stored 6";
    EXPECT_EQ(ReadFileBytes(t.dir / "highscore.ini"), "5\r\n6\r\n7\r\n8\r\n");
    // The card: white, with black glyphs in the two lines' cells.
    EXPECT_EQ(t.platform.PixelAt(5, 5), 0xFFFFFFu);
    EXPECT_EQ(t.platform.PixelAt(795, 595), 0xFFFFFFu);
    int blackFirst = 0, blackSecond = 0;
    for (int y = 268; y < 333; ++y)
        for (int x = 200; x < 560; ++x) blackFirst += t.platform.PixelAt(x, y) == 0;
    for (int y = 337; y < 412; ++y)
        for (int x = 200; x < 800; ++x) blackSecond += t.platform.PixelAt(x, y) == 0;
    EXPECT_GT(blackFirst, 1000);
    EXPECT_GT(blackSecond, 1000);
    for (int x = 0; x < 800; ++x) ASSERT_EQ(t.platform.PixelAt(x, 265), 0xFFFFFFu) << "nothing above the text";
    EXPECT_TRUE(t.platform.DrawState().IsNeutral());
}

TEST_F(PlayBoard, AWinRewritesTheFileWithTheNewBest) {
    Build(kField);
    t.game->tiles[4][4] = kGoal;
    t.game->modeFlags = {1, 0, 0, 0};
    t.game->highScores[0] = 0;
    WriteFileBytes(t.dir / "highscore.ini", "0\n6\n7\n8\n");
    const uint32_t before = t.platform.Milliseconds();
    PlayFrame(*t.game, t.platform);
    EXPECT_EQ(t.game->highScores[0], 1);
    EXPECT_EQ(ReadFileBytes(t.dir / "highscore.ini"), "1\r\n6\r\n7\r\n8\r\n");
    EXPECT_GE(t.platform.Milliseconds() - before, 2500u) << "the card stays 2.5 s";
}

TEST_F(PlayBoard, ALossLeavesTheFileByteIdenticalAndEscapeInTheSameFrameAgrees) {
    Build({
        "BBBBB",
        "B...B",
        "B.SBB",
        "B...B",
        "BBBBB",
    });
    const std::string stored = "12\n0\n7\n0";
    WriteFileBytes(t.dir / "highscore.ini", stored);
    t.game->lives = 1;
    Hold(TKey::S); // column + 1 onto the bomb
    Hold(TKey::Escape);
    int frames = 0;
    while (t.game->screenMode == 1 && frames < 40) {
        PlayFrame(*t.game, t.platform);
        ++frames;
        ReleaseKeys();
        Hold(TKey::Escape, true);
        Hold(TKey::S, false);
        if (t.game->lives == 1) {
            // Escape held ends the first frame anyway; start again until the bomb.
            t.game->screenMode = 1;
            Hold(TKey::S);
        }
    }
    EXPECT_EQ(t.game->lives, 0);
    EXPECT_EQ(t.game->screenMode, 0);
    EXPECT_EQ(ReadFileBytes(t.dir / "highscore.ini"), stored);
    EXPECT_EQ(t.platform.PixelAt(5, 5), 0xFFFFFFu) << "the card";
}

TEST_F(PlayBoard, EscapeAbandonsTheGameAndKeepsItsState) {
    Build(kField);
    Hold(TKey::S);
    Step(3);
    Hold(TKey::Escape);
    Step();
    EXPECT_EQ(t.game->screenMode, 0);
    EXPECT_EQ(t.game->velX, 2) << "the next game starts already moving";
    EXPECT_EQ(t.game->lives, 3);
    EXPECT_EQ(ReadFileBytes(t.dir / "highscore.ini"), "5\r\n6\r\n7\r\n8\r\n");
}

TEST_F(PlayBoard, DrawingStateIsNeutralAfterEveryFrameAndParticlesFade) {
    Build({
        "BBBBBBB",
        "B.....B",
        "B.H...B",
        "B.B.S.B",
        "B.....B",
        "B.....B",
        "BBBBBBB",
    });
    Hold(TKey::W);
    size_t most = 0;
    for (int f = 0; f < 300; ++f) {
        Step();
        ASSERT_TRUE(t.platform.DrawState().IsNeutral()) << "frame " << f;
        most = std::max(most, t.game->particles.size());
        if (f == 60) ReleaseKeys();
    }
    EXPECT_GT(most, 20u) << "a death throws a burst";
    EXPECT_LE(most, kMaxParticles);
}

} // namespace

namespace {

// From the menu to a win: START GAME, a death, a helper, the goal.
TEST(WholeGame, FromTheMenuThroughADeathAndAHelperToTheGoal) {
    THeadlessGame t{"0\r\n6\r\n7\r\n8\r\n"};
    ASSERT_TRUE(t.started) << t.error;
    TGame& g = *t.game;
    t.platform.MoveMouse(100, 500); // START GAME, EASY selected
    t.platform.SetButton(true);
    t.Frame();
    t.platform.SetButton(false);
    ASSERT_EQ(g.screenMode, 1);
    ASSERT_EQ(g.lastRow, 20);

    // Lay out the start's row by hand: a bomb up-left, a helper and the goal down-right.
    const int32_t r = ScreenToRow(g, 400, 300), c = ScreenToCol(g, 400, 300);
    for (int32_t j = c - 2; j <= c + 3; ++j) g.tiles[r][j] = kFloor;
    for (int32_t i = 0; i <= g.lastRow; ++i)
        for (int32_t j = 0; j <= g.lastCol; ++j)
            if (g.tiles[i][j] == kGoal) g.tiles[i][j] = kFloor;
    g.tiles[r][c - 1] = kBomb;
    g.tiles[r][c + 1] = kHelper;
    g.tiles[r][c + 2] = kGoal;
    g.flash = 0;

    // Play frames as the frame loop does, but keep the result card as the
    // last presented picture.
    auto play = [&](int frames) {
        for (int f = 0; f < frames && g.screenMode == 1; ++f) {
            PlayFrame(g, t.platform);
            if (g.screenMode == 1) {
                t.platform.Present();
                t.platform.Clear();
            }
        }
    };
    t.platform.SetKey(TKey::W, true);
    play(12);
    EXPECT_EQ(g.lives, 2) << "died on the bomb up-left";
    EXPECT_EQ(g.marks[r][c - 1], kExploded);
    t.platform.SetKey(TKey::W, false);
    play(20);
    t.platform.SetKey(TKey::S, true);
    bool revealed = false;
    for (int f = 0; f < 60 && g.screenMode == 1; ++f) {
        play(1);
        revealed = revealed || g.reveal == 1.0f;
    }
    EXPECT_TRUE(revealed) << "the helper revealed the bombs";
    ASSERT_EQ(g.screenMode, 0) << "the goal ended the game";
    EXPECT_EQ(g.lives, 2);
    EXPECT_EQ(g.score, 3) << "start, helper, goal";
    EXPECT_EQ(g.highScores[0], 3);
    EXPECT_EQ(ReadFileBytes(t.dir / "highscore.ini"), "3\r\n6\r\n7\r\n8\r\n");
    // The card: "GAME OVER" over "SCORES: 3", black on white.
    EXPECT_EQ(t.platform.PixelAt(10, 10), 0xFFFFFFu);
    int black = 0;
    for (int y = 268; y < 412; ++y)
        for (int x = 200; x < 600; ++x) black += t.platform.PixelAt(x, y) == 0;
    EXPECT_GT(black, 3000);
    // The next frame is the menu again.
    t.Frame();
    t.Frame();
    EXPECT_EQ(t.platform.PixelAt(2, 300), 0u);
}

} // namespace

// The isometric mapping and board building.
#include <gtest/gtest.h>

#include <memory>

#include "board/Board.h"
#include "board/Iso.h"
#include "game/Game.h"

namespace {

struct TMapCase {
    const char* what;
    float camX, camY;
    int32_t last;
    int32_t sx, sy;
    int32_t row, col;
};

class MappingCases : public testing::TestWithParam<TMapCase> {};

TEST_P(MappingCases, GivesTheCellUnderThePoint) {
    const TMapCase& c = GetParam();
    EXPECT_EQ(ScreenToRow(c.sx, c.sy, c.camX, c.camY, c.last), c.row) << c.what;
    EXPECT_EQ(ScreenToCol(c.sx, c.sy, c.camX, c.camY, c.last), c.col) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Iso, MappingCases,
    testing::Values(
        TMapCase{"origin", 0, 0, 20, 0, 0, 0, 0},
        TMapCase{"centre of cell (0, 0)", 0, 0, 20, 0, 16, 0, 0},
        // (2y - x) / 64 = -0.9 truncates to 0 like 0.5 does; floor would give -1.
        TMapCase{"row quotient -0.9", 0, 0, 20, 0, -29, 0, 0},
        TMapCase{"row quotient 0.5", 0, 0, 20, 0, 16, 0, 0},
        TMapCase{"row quotient -1 clamps to 0", 0, 0, 20, 64, 0, 0, 1},
        TMapCase{"row quotient -35 clamps to 0, column 35 to 20", 0, 0, 20, 2240, 0, 0, 20},
        TMapCase{"row quotient exactly 20", 0, 0, 20, 0, 640, 20, 20},
        TMapCase{"row quotient 35.7", 0, 0, 20, 0, 1142, 20, 20},
        TMapCase{"far right gives lastCol", 0, 0, 20, 100000, 0, 0, 20},
        TMapCase{"no board: always 0", 0, 0, 0, 700, 500, 0, 0},
        TMapCase{"no board, far away", -400, -300, 0, -9999, 9999, 0, 0},
        TMapCase{"camera moves the board", 32, 16, 20, 0, 0, 0, 1},
        TMapCase{"fractional camera", -0.5f, 0.25f, 50, 400, 300, 3, 15},
        TMapCase{"just above the next row", 0, 0, 20, 0, 31, 0, 0},
        TMapCase{"bottom vertex belongs to the next cells", 0, 0, 20, 0, 32, 1, 1}),
    [](const testing::TestParamInfo<TMapCase>& info) { return "case" + std::to_string(info.index); });

// Every cell's top vertex, and points inside its diamond, map back to it,
// with the camera put so that the vertex sits at the screen centre.
TEST(Iso, EveryCellOfTheLargestBoardMapsBack) {
    const int32_t n = 50;
    for (int32_t i = 0; i <= n; ++i) {
        for (int32_t j = 0; j <= n; ++j) {
            const float camX = float(CellWorldX(i, j) - 400), camY = float(CellWorldY(i, j) - 300);
            const int32_t inside[][2] = {{400, 300}, {400, 316}, {370, 315}, {430, 315}, {400, 331}};
            for (const auto& p : inside) {
                ASSERT_EQ(ScreenToRow(p[0], p[1], camX, camY, n), i) << i << "," << j << " at " << p[0] << "," << p[1];
                ASSERT_EQ(ScreenToCol(p[0], p[1], camX, camY, n), j) << i << "," << j << " at " << p[0] << "," << p[1];
            }
        }
    }
}

// A game record with a board of size n whose start cell is under the centre.
std::unique_ptr<TGame> GameWithBoard(int32_t n, uint64_t seed, int32_t startX, int32_t startY) {
    auto game = std::make_unique<TGame>();
    game->random.Seed(seed);
    game->lastRow = game->lastCol = n;
    game->camX = float(startX - 400);
    game->camY = float(startY - 300);
    NewBoard(*game);
    return game;
}

class BoardSizes : public testing::TestWithParam<int32_t> {};

TEST_P(BoardSizes, RingIsAllBombsAndStartIsFloorOnEveryBoard) {
    const int32_t n = GetParam();
    for (uint64_t seed = 1; seed <= 300; ++seed) {
        // A start point inside the board, as the menu would place it.
        const int32_t startX = int32_t(seed % 17) * n / 20 - 4 * n, startY = 9 * n;
        auto game = GameWithBoard(n, seed, startX, startY);
        const TGame& g = *game;
        EXPECT_EQ(g.lives, 3);
        EXPECT_EQ(g.score, 0);
        EXPECT_EQ(g.startX, startX);
        EXPECT_EQ(g.startY, startY);
        int goals = 0;
        for (int32_t i = 0; i <= n; ++i) {
            for (int32_t j = 0; j <= n; ++j) {
                const int32_t t = g.tiles[i][j];
                ASSERT_EQ(g.marks[i][j], kUnvisited);
                ASSERT_TRUE(t >= kFloor && t <= kHelper);
                goals += t == kGoal;
                const bool ring = i == 0 || j == 0 || i == n || j == n;
                if (ring && t != kGoal) {
                    ASSERT_EQ(t, kBomb) << "seed " << seed << " cell " << i << "," << j;
                }
            }
        }
        EXPECT_EQ(goals, 1) << "seed " << seed;
        const int32_t sr = ScreenToRow(g, 400, 300), sc = ScreenToCol(g, 400, 300);
        EXPECT_TRUE(g.tiles[sr][sc] == kFloor || g.tiles[sr][sc] == kGoal) << "seed " << seed;
    }
}

TEST_P(BoardSizes, ConsumesTwoDrawsPerCellAndTwoForTheGoal) {
    const int32_t n = GetParam();
    auto game = GameWithBoard(n, 42, 0, 9 * n);
    TRandom expected;
    expected.Seed(42);
    for (int32_t k = 0; k < 2 * (n + 1) * (n + 1); ++k) expected.Int(1, 10);
    expected.Int(0, n);
    expected.Int(0, n);
    EXPECT_EQ(expected.Next(), game->random.Next());
}

INSTANTIATE_TEST_SUITE_P(Board, BoardSizes, testing::Values(20, 30, 40, 50));

TEST(Board, InnerCellsAreBombsAndHelpersInTheirProportions) {
    const int32_t n = 50;
    long bombs = 0, helpers = 0, cells = 0;
    for (uint64_t seed = 1; seed <= 200; ++seed) {
        auto game = GameWithBoard(n, seed, 0, 9 * n);
        const int32_t sr = ScreenToRow(*game, 400, 300), sc = ScreenToCol(*game, 400, 300);
        for (int32_t i = 1; i < n; ++i) {
            for (int32_t j = 1; j < n; ++j) {
                const int32_t t = game->tiles[i][j];
                if (t == kGoal || (i == sr && j == sc)) continue;
                ++cells;
                bombs += t == kBomb;
                helpers += t == kHelper;
            }
        }
    }
    EXPECT_NEAR(double(bombs) / cells, 39.0 / 400, 0.003);
    EXPECT_NEAR(double(helpers) / cells, 1.0 / 40, 0.0015);
}

TEST(Board, CellsBeyondASmallerBoardKeepTheirOldValues) {
    auto game = GameWithBoard(50, 3, 0, 450);
    const TGrid before = game->tiles;
    game->marks[45][45] = kVisited;
    game->lastRow = game->lastCol = 20;
    game->camX = -400;
    game->camY = 180 - 300;
    NewBoard(*game);
    for (int32_t i = 0; i < kGridSize; ++i)
        for (int32_t j = 0; j < kGridSize; ++j)
            if (i > 20 || j > 20) {
                ASSERT_EQ(game->tiles[i][j], before[i][j]) << i << "," << j;
            }
    EXPECT_EQ(game->marks[45][45], kVisited);
}

} // namespace

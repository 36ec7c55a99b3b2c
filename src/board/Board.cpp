#include "board/Board.h"

#include <cmath>

#include "board/Iso.h"
#include "game/Game.h"

void NewBoard(TGame& game) {
    game.score = 0;
    game.lives = 3;
    for (int32_t i = 0; i <= game.lastRow; ++i) {
        for (int32_t j = 0; j <= game.lastCol; ++j) {
            game.marks[i][j] = kUnvisited;
            game.tiles[i][j] = kFloor;
            // Both draws happen for every cell, border included, so a board
            // always consumes the same amount of the random source.
            if (game.random.Int(1, 10) == 1) game.tiles[i][j] = kBomb;
            if (game.random.Int(1, 40) == 1) game.tiles[i][j] = kHelper;
            if (i == 0 || j == 0 || i == game.lastRow || j == game.lastCol) game.tiles[i][j] = kBomb;
        }
    }
    // The cell under the screen centre is where the figure starts.
    const int32_t cx = game.screenWidth / 2, cy = game.screenHeight / 2;
    game.tiles[ScreenToRow(game, cx, cy)][ScreenToCol(game, cx, cy)] = kFloor;

    const int32_t goalRow = game.random.Int(0, game.lastRow);
    const int32_t goalCol = game.random.Int(0, game.lastCol);
    game.tiles[goalRow][goalCol] = kGoal;

    game.startX = int32_t(std::trunc(double(game.camX) + cx));
    game.startY = int32_t(std::trunc(double(game.camY) + cy));
}

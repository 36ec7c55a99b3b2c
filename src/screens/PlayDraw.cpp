// Drawing the play screen: the visible cells and their bomb overlays, the
// HUD in a colour that cools as the figure speeds up, the tinted figure and
// the white wash after a death. Each routine leaves the drawing state white,
// alpha 1, scale 1.
#include <cstdio>

#include "board/Iso.h"
#include "game/Game.h"
#include "screens/Screens.h"

std::string FormatReal(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%#.9g", value);
    return text;
}

static TImageId CellImage(const TGame& game, int32_t i, int32_t j) {
    if (i == int32_t(game.playerRow) && j == int32_t(game.playerCol)) return game.tileOnImage;
    const int32_t tile = game.tiles[i][j];
    if (tile == kGoal) return game.tileGoalImage;
    if (tile == kHelper) return game.tileHelperImage;
    if (tile == kFloor && game.marks[i][j] == kVisited) return game.tileSafeImage;
    return game.tileImage; // unvisited floor, and every bomb
}

void DrawBoard(TGame& game, TPlatform& platform) {
    const int32_t w = game.screenWidth, h = game.screenHeight;
    // The rows and columns under the window's corners bound what can be seen.
    const int32_t firstRow = ScreenToRow(game, w, 0), lastRow = ScreenToRow(game, 0, h);
    const int32_t firstCol = ScreenToCol(game, 0, 0), lastCol = ScreenToCol(game, w, h);
    for (int32_t i = firstRow; i <= lastRow; ++i) {
        for (int32_t j = firstCol; j <= lastCol; ++j) {
            const double sx = CellWorldX(i, j) - double(game.camX);
            const double sy = CellWorldY(i, j) - double(game.camY);
            platform.DrawImage(CellImage(game, i, j), sx, sy);
            if (game.tiles[i][j] != kBomb) continue;
            const bool exploded = game.marks[i][j] == kExploded;
            if (game.reveal > 0 || game.helpHeld == 1 || exploded) {
                platform.SetAlpha(exploded || game.helpHeld == 1 ? 1.0 : double(game.reveal));
                platform.DrawImage(game.tileBombImage, sx, sy);
                platform.SetAlpha(1);
            }
        }
    }
}

void DrawHud(TGame& game, TPlatform& platform, float speed) {
    platform.SetScale(4, 4);
    // Blue passes 255 from score 2 on and is drawn as 255.
    platform.SetColor(int(50.0 / speed), int(50.0 / speed), int(250.0 * speed));
    platform.DrawText(0, 540, "LIVES: " + std::to_string(game.lives));
    platform.SetScale(2, 2);
    platform.DrawText(0, 24, "SCORES: " + std::to_string(game.score));
    platform.DrawText(0, 72, "SPEED x: " + FormatReal(speed));
    for (int k = 0; k < 4; ++k)
        if (game.modeFlags[k] == 1) platform.DrawText(0, 48, "THE HIGHEST SCORE: " + std::to_string(game.highScores[k]));
    platform.SetColor(255, 255, 255);
    platform.SetScale(1, 1);
}

void DrawFigure(TGame& game, TPlatform& platform) {
    platform.SetColor(int(game.tintR), int(game.tintG), int(game.tintB));
    if (game.facing >= 1 && game.facing <= 4)
        platform.DrawImage(game.playerImages[game.facing], game.screenWidth / 2, game.screenHeight / 2);
    platform.SetColor(255, 255, 255);
}

void DrawFlash(TGame& game, TPlatform& platform) {
    if (game.flash > 0) game.flash = float(double(game.flash) - 0.05);
    platform.SetAlpha(game.flash);
    platform.FillRect(0, 0, game.screenWidth, game.screenHeight);
    platform.SetAlpha(1);
}

// The menu: four mode lines in green (selected) or purple shades, the
// heading, the controls, START GAME and EXIT, all at four times the font's
// size. The left button is read as a state, so holding it and dragging works
// as well as a click.
#include <cstdlib>

#include "board/Board.h"
#include "game/Game.h"
#include "platform/Font.h"
#include "screens/Screens.h"

namespace {

constexpr int kMenuScale = 4;

struct TModeLine {
    const char* label; // the hot part of the line; the best score follows it
    int32_t y;
    int32_t a, b, c;   // colour is |255 s - a|, |255 s - b|, |255 s - c|
};

constexpr TModeLine kModeLines[4] = {
    {"EASY 20x20 HS: ", 0, 100, 30, 150},
    {"NORMAL 30x30 HS: ", 64, 130, 60, 180},
    {"HARD 40x40 HS: ", 128, 160, 90, 210},
    {"EXPERT 50x50 HS: ", 192, 190, 120, 230},
};

constexpr const char* kStartLabel = "START GAME";
constexpr int32_t kStartY = 480;
constexpr const char* kExitLabel = "EXIT";
constexpr int32_t kExitY = 540;

// The hot rectangle of a label: measured at scale 1, drawn four times larger.
bool OverLabel(TPlatform& platform, const char* label, int32_t y) {
    return PointInRect(platform, 0, y, kMenuScale * TextWidth(label), kMenuScale * TextHeight(label));
}

void StartGame(TGame& game) {
    const int32_t n = 20 * game.modeFlags[0] + 30 * game.modeFlags[1] + 40 * game.modeFlags[2] +
                      50 * game.modeFlags[3];
    game.lastRow = n;
    game.lastCol = n;
    game.startX = game.random.Int(-8 * game.lastRow, 8 * game.lastRow);
    game.startY = game.random.Int(8 * game.lastCol, 10 * game.lastCol);
    game.camX = float(game.startX - game.screenWidth / 2);
    game.camY = float(game.startY - game.screenHeight / 2);
    NewBoard(game);
    game.screenMode = 1;
}

} // namespace

bool PointInRect(TPlatform& platform, int32_t x, int32_t y, int32_t w, int32_t h) {
    int mx = 0, my = 0;
    platform.MousePosition(mx, my);
    return mx >= x && mx <= x + w && my >= y && my <= y + h;
}

void MenuFrame(TGame& game, TPlatform& platform) {
    platform.SetScale(kMenuScale, kMenuScale);
    for (int k = 0; k < 4; ++k) {
        const TModeLine& line = kModeLines[k];
        const int32_t s = 255 * game.modeFlags[k];
        platform.SetColor(std::abs(s - line.a), std::abs(s - line.b), std::abs(s - line.c));
        platform.DrawText(0, line.y, line.label + std::to_string(game.highScores[k]));
    }
    platform.SetColor(255, 255, 255);
    platform.DrawText(0, 256, "CHOOSE GAMEMODE");
    platform.SetColor(0, 30, 180);
    platform.DrawText(0, 416, "CONTROLS: WASD");
    platform.SetColor(30, 60, 210);
    platform.DrawText(0, kStartY, kStartLabel);
    platform.SetColor(50, 80, 230);
    platform.DrawText(0, kExitY, kExitLabel);
    platform.SetScale(1, 1);
    platform.SetColor(255, 255, 255);

    if (!platform.MouseButtonHeld()) return;
    // Every test runs in the same frame, in this order: on a shared edge the
    // later line wins, and a point in both START GAME and EXIT does both.
    for (int k = 0; k < 4; ++k) {
        if (OverLabel(platform, kModeLines[k].label, kModeLines[k].y)) {
            game.modeFlags = {0, 0, 0, 0};
            game.modeFlags[k] = 1;
        }
    }
    if (OverLabel(platform, kStartLabel, kStartY)) StartGame(game);
    if (OverLabel(platform, kExitLabel, kExitY)) {
        platform.Close(); // window and sound go; the frame loop then stops
        game.running = false;
    }
}

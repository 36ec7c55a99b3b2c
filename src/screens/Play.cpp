// One frame of play. The order of the steps is the game's feel: the board is
// drawn before the cell's rules apply (so the HUD shows the lives of the
// frame's start), H is sampled after the board (so its overlay shows one
// frame late), and the flash decides from the frame after a death how long
// the keys stay locked.
#include "board/Iso.h"
#include "game/Game.h"
#include "screens/Screens.h"

namespace {

struct TMoveKey {
    TKey key;
    float velX, velY;
    int32_t facing;
};

// Tested in this order; the first held key wins.
constexpr TMoveKey kMoveKeys[] = {
    {TKey::W, -2, -1, 3}, // up-left, column - 1
    {TKey::S, 2, 1, 2},   // down-right, column + 1
    {TKey::D, 2, -1, 4},  // up-right, row - 1
    {TKey::A, -2, 1, 1},  // down-left, row + 1
};

constexpr int kDeathSparks = 40;
constexpr int kHelperSparks = 24;
constexpr int kScoreSparks = 3;

void CycleTint(TGame& game) {
    for (float* component : {&game.tintR, &game.tintG, &game.tintB}) {
        if (*component > 249) game.tintDir = -1;
        if (*component < 150) game.tintDir = 1;
        *component = float(double(*component) + game.random.Real(0, 3) * game.tintDir);
    }
}

void ReadMoveKeys(TGame& game, TPlatform& platform) {
    for (const TMoveKey& move : kMoveKeys) {
        if (platform.KeyHeld(move.key)) {
            game.velX = move.velX;
            game.velY = move.velY;
            game.facing = move.facing;
            return;
        }
    }
}

} // namespace

float SpeedForScore(int32_t score) {
    const float speed = float(1.0 + double(score) / 60.0);
    return speed > 3 ? 3.0f : speed;
}

void PlayFrame(TGame& game, TPlatform& platform) {
    CycleTint(game);
    if (game.flash < 0.1) ReadMoveKeys(game, platform);
    const float speed = SpeedForScore(game.score);
    game.camX = float(double(game.camX) + double(game.velX) * double(speed));
    game.camY = float(double(game.camY) + double(game.velY) * double(speed));

    const int32_t cx = game.screenWidth / 2, cy = game.screenHeight / 2;
    const bool sameCell = game.playerRow == float(ScreenToRow(game, cx, cy)) &&
                          game.playerCol == float(ScreenToCol(game, cx, cy));
    game.playerRow = float(ScreenToRow(game, cx, cy));
    game.playerCol = float(ScreenToCol(game, cx, cy));
    const int32_t row = int32_t(game.playerRow), col = int32_t(game.playerCol);
    int32_t& tile = game.tiles[row][col];
    int32_t& mark = game.marks[row][col];

    DrawBoard(game, platform);
    DrawHud(game, platform, speed);

    if (tile == kBomb && mark == kUnvisited) {
        game.lives -= 1;
        game.camX = float(game.startX - cx);
        game.camY = float(game.startY - cy);
        game.velX = 0;
        game.velY = 0;
        mark = kExploded;
        game.flash = 1;
        SpawnParticles(game, kDeathSparks); // where the figure reappears
    }
    game.reveal = float(double(game.reveal) - 0.02);
    if (game.reveal < 0) game.reveal = 0;
    if (tile == kHelper) {
        game.reveal = 1;
        if (!sameCell) SpawnParticles(game, kHelperSparks);
    }
    if (mark == kUnvisited) {
        mark = kVisited;
        game.score += 1;
        SpawnParticles(game, kScoreSparks);
    }
    game.helpHeld = platform.KeyHeld(TKey::H) ? 1 : 0;

    DrawFigure(game, platform);
    if (game.lives == 0 || tile == kGoal) EndGame(game, platform);
    UpdateParticles(game, platform);
    DrawFlash(game, platform);
    if (platform.KeyHeld(TKey::Escape)) game.screenMode = 0;
}

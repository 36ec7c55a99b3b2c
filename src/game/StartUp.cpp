#include "game/StartUp.h"

#include "game/Game.h"
#include "platform/Process.h"
#include "records/HighScores.h"
#include "screens/Screens.h"

namespace {

struct TImageFile {
    const char* path;
    TImageId TGame::*field;
};

// Loaded in this order; the figure's four views go into playerImages[1..4].
constexpr TImageFile kTileImages[] = {
    {"Images/tile.png", &TGame::tileImage},           {"Images/tileON.png", &TGame::tileOnImage},
    {"Images/tileBOMB.png", &TGame::tileBombImage},   {"Images/tileGOAL.png", &TGame::tileGoalImage},
    {"Images/tileSAFE.png", &TGame::tileSafeImage},   {"Images/tileHELPER.png", &TGame::tileHelperImage},
};

bool Fail(TPlatform& platform, std::string& error, const std::string& reason) {
    platform.Close();
    error = reason;
    return false;
}

} // namespace

bool StartUp(TGame& game, TPlatform& platform, const std::string& folder, std::string& error) {
    if (!ChangeFolder(folder, error)) return Fail(platform, error, folder + ": cannot enter the game's folder: " + error);
    platform.SetTitle("ZEP");
    LoadHighScores(game);
    game.random.Seed(platform.Milliseconds());

    std::string reason;
    if (!platform.OpenWindow(game.screenWidth, game.screenHeight, reason))
        return Fail(platform, error, "cannot open the window: " + reason);
    platform.SetColor(255, 255, 255);
    platform.SetAlpha(1);
    platform.SetScale(1, 1);

    for (const TImageFile& image : kTileImages) {
        game.*image.field = platform.LoadImage(image.path, reason);
        if (!(game.*image.field)) return Fail(platform, error, std::string(image.path) + ": " + reason);
    }
    for (int k = 1; k <= 4; ++k) {
        const std::string path = "Images/player" + std::to_string(k) + ".png";
        game.playerImages[k] = platform.LoadImage(path, reason);
        if (!game.playerImages[k]) return Fail(platform, error, path + ": " + reason);
    }
    if (!platform.StartMusic("main.ogg", reason)) return Fail(platform, error, "main.ogg: " + reason);
    game.music = true;

    // Tiles hang from the top vertex of their diamond; the figure stands on
    // the point of its feet.
    for (const TImageFile& image : kTileImages) platform.SetAnchor(game.*image.field, 32, 0);
    for (int k = 1; k <= 4; ++k) platform.SetAnchor(game.playerImages[k], 16, 24);

    // The start point of the empty board that exists until the first START GAME.
    game.startX = game.random.Int(-8 * game.lastRow, 8 * game.lastRow);
    game.startY = game.random.Int(8 * game.lastCol, 10 * game.lastCol);
    game.camX = float(game.startX - game.screenWidth / 2);
    game.camY = float(game.startY - game.screenHeight / 2);
    game.tiles = {};
    game.marks = {};
    return true;
}

void RunFrame(TGame& game, TPlatform& platform) {
    if (game.screenMode == 0)
        MenuFrame(game, platform);
    else if (game.screenMode == 1)
        PlayFrame(game, platform);
    if (!game.running) return;
    platform.Present();
    platform.Clear();
}

void RunFrameLoop(TGame& game, TPlatform& platform) {
    while (game.running) RunFrame(game, platform);
}

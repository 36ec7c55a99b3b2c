// The end of a game: a win goes into the best scores and the file, then the
// result card (black on white) stays for 2.5 seconds before the menu.
#include "game/Game.h"
#include "records/HighScores.h"
#include "screens/Screens.h"

void EndGame(TGame& game, TPlatform& platform) {
    const int32_t row = int32_t(game.playerRow), col = int32_t(game.playerCol);
    const bool won = game.tiles[row][col] == kGoal;
    if (won) {
        for (int k = 0; k < 4; ++k)
            if (game.modeFlags[k] == 1 && game.score > game.highScores[k]) game.highScores[k] = game.score;
        SaveHighScores(game); // after every win, even when no best was beaten
    }
    platform.FillRect(0, 0, game.screenWidth, game.screenHeight);
    platform.SetColor(0, 0, 0);
    platform.SetScale(5, 5);
    const double x = game.screenWidth / 2 - 200, y = game.screenHeight / 2 - 32;
    platform.DrawText(x, y, "GAME OVER");
    platform.DrawText(x, y + 64, game.lives > 0 ? "SCORES: " + std::to_string(game.score) : "YOU FAILED!");
    platform.SetScale(1, 1);
    platform.SetColor(255, 255, 255);
    platform.Present();
    // Nothing is read or drawn while the card shows; keys still held when it
    // ends are seen by the next frame's queries.
    platform.Sleep(2500);
    // The one frame between the card and the menu starts from black.
    platform.Clear();
    game.screenMode = 0;
}

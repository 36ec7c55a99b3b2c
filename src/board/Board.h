// Building a new board: bombs, helpers, the all-bomb outer ring, a safe start
// cell and the goal, and a fresh count of lives and score.
#pragma once

struct TGame;

// Fills tiles and marks for the board of size lastRow around the camera's
// start cell; resets lives and score. The caller sets lastRow, lastCol, the
// start point and the camera first (the menu's START GAME does).
void NewBoard(TGame& game);

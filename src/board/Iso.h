// The 2:1 isometric projection. Cell (row i, column j) has its diamond's top
// vertex at world point ((j - i) * 32, (i + j) * 16); columns run down-right
// on screen, rows down-left. The camera turns world points into screen
// points: screen = world - (camX, camY).
#pragma once

#include <cstdint>

struct TGame;

// Cell row under screen point (sx, sy), clamped to 0..lastRow.
int32_t ScreenToRow(int32_t sx, int32_t sy, float camX, float camY, int32_t lastRow);
// Cell column under screen point (sx, sy), clamped to 0..lastCol.
int32_t ScreenToCol(int32_t sx, int32_t sy, float camX, float camY, int32_t lastCol);

// The same for the game's current camera and board.
int32_t ScreenToRow(const TGame& game, int32_t sx, int32_t sy);
int32_t ScreenToCol(const TGame& game, int32_t sx, int32_t sy);

// World point of a cell's top vertex.
inline double CellWorldX(int32_t row, int32_t col) { return double(col - row) * 32; }
inline double CellWorldY(int32_t row, int32_t col) { return double(row + col) * 16; }

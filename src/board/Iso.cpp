#include "board/Iso.h"

#include "game/Game.h"

// Truncating the real quotient (not flooring it) is what the game does: any
// quotient between -1 and 1 lands in cell 0, and clamping then keeps every
// point beyond the board on its nearest border row or column.
static int32_t ClampedIndex(double quotient, int32_t last) {
    if (!(quotient > -1.0)) return 0;            // truncates below 0 (or is not a number)
    if (quotient >= double(last)) return last;   // truncates to last or beyond
    const int32_t index = int32_t(quotient);     // towards zero: -0.9 gives 0
    return index < 0 ? 0 : index;
}

int32_t ScreenToRow(int32_t sx, int32_t sy, float camX, float camY, int32_t lastRow) {
    const double wx = double(sx) + double(camX), wy = double(sy) + double(camY);
    return ClampedIndex((2.0 * wy - wx) / 64.0, lastRow);
}

int32_t ScreenToCol(int32_t sx, int32_t sy, float camX, float camY, int32_t lastCol) {
    const double wx = double(sx) + double(camX), wy = double(sy) + double(camY);
    return ClampedIndex((wx + 2.0 * wy) / 64.0, lastCol);
}

int32_t ScreenToRow(const TGame& game, int32_t sx, int32_t sy) {
    return ScreenToRow(sx, sy, game.camX, game.camY, game.lastRow);
}

int32_t ScreenToCol(const TGame& game, int32_t sx, int32_t sy) {
    return ScreenToCol(sx, sy, game.camX, game.camY, game.lastCol);
}

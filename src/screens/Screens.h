// The two screens of the game and the routines they are made of.
#pragma once

#include <cstdint>
#include <string>

struct TGame;
class TPlatform;

// --- Menu ----------------------------------------------------------------
// One frame of the menu: the mode lines with their best scores, the heading,
// the controls line, START GAME and EXIT; the held left button acts on them.
void MenuFrame(TGame& game, TPlatform& platform);
// True when the mouse lies in [x, x + w] x [y, y + h]; reads it anew each call.
bool PointInRect(TPlatform& platform, int32_t x, int32_t y, int32_t w, int32_t h);

// --- Play ----------------------------------------------------------------
// One frame of play: tint, keys, move, the player's cell, board and HUD, the
// cell's rules, the figure, the end test, particles, flash and Escape.
void PlayFrame(TGame& game, TPlatform& platform);
// Speed of the figure for a score: 1 + score / 60, at most 3.
float SpeedForScore(int32_t score);

void DrawBoard(TGame& game, TPlatform& platform);
void DrawHud(TGame& game, TPlatform& platform, float speed);
void DrawFigure(TGame& game, TPlatform& platform);
void DrawFlash(TGame& game, TPlatform& platform);

// A real written with nine significant digits, trailing zeros kept (1.00000000).
std::string FormatReal(double value);

// --- Particles ---------------------------------------------------------------
// Adds count sparks at the player's world point.
void SpawnParticles(TGame& game, int count);
// Moves, fades, draws and retires the live sparks.
void UpdateParticles(TGame& game, TPlatform& platform);
// More sparks than this are never alive at once; the newest are refused.
constexpr size_t kMaxParticles = 400;

// --- End of a game -----------------------------------------------------------------
// Records a win, shows the result card for 2.5 seconds, returns to the menu.
void EndGame(TGame& game, TPlatform& platform);

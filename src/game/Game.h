// TGame: every piece of ZEP's state, in one record that lives for the whole
// run. Screen routines are plain procedures that take it (and the platform)
// explicitly.
//
// Real fields are float. Wherever the game computes with them, the
// expression is evaluated in double and rounded once on storing; the frame
// counts of the game (17 frames of key lock after a death, bombs fading over
// 50 frames) depend on exactly that rounding.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "game/Random.h"
#include "platform/Platform.h"

// Cell kinds in tiles.
enum : int32_t { kFloor = 0, kBomb = 1, kGoal = 2, kHelper = 3 };
// Visit marks in marks.
enum : int32_t { kUnvisited = 0, kVisited = 1, kExploded = 2 };

constexpr int kGridSize = 61; // room for the largest board (51 x 51) and more

// [row][column]; only 0..lastRow x 0..lastCol belong to the current board.
using TGrid = std::array<std::array<int32_t, kGridSize>, kGridSize>;

// A spark of the particle effect, in world coordinates.
struct TParticle {
    float x = 0, y = 0;     // world point of the top-left of its bounding box
    float alpha = 0;        // fades by 0.01 a frame; gone below 0
    int32_t r = 0, g = 0, b = 0;
    float spx = 0, spy = 0; // pixels per frame
    float scale = 0;        // the ellipse is 4 x scale wide and high
};

struct TGame {
    int32_t screenWidth = 800;             // window client width in pixels
    int32_t screenHeight = 600;            // window client height in pixels
    std::array<int32_t, 4> highScores{};   // best per mode: EASY, NORMAL, HARD, EXPERT

    TImageId tileImage = 0;       // plain cell
    TImageId tileOnImage = 0;     // the cell under the player
    TImageId tileBombImage = 0;   // bomb overlay
    TImageId tileGoalImage = 0;   // goal cell
    TImageId tileSafeImage = 0;   // visited floor cell
    TImageId tileHelperImage = 0; // helper cell
    std::array<TImageId, 5> playerImages{}; // [1..4]: down-left, down-right, up-left, up-right
    bool music = false;           // the looping music is playing

    int32_t helpHeld = 0;         // 1 while H was held when last sampled
    int32_t lastRow = 0;          // highest row index of the board (the size N)
    int32_t lastCol = 0;          // highest column index; always lastRow
    float camX = 0, camY = 0;     // screen point = world point - (camX, camY)
    float playerRow = 0, playerCol = 0; // cell under the screen centre
    int32_t facing = 1;           // player image shown, 1..4
    int32_t screenMode = 0;       // 0 menu, 1 play
    float flash = 0;              // white flash after a death; keys locked while >= 0.1
    std::array<int32_t, 4> modeFlags{1, 0, 0, 0}; // selected mode; exactly one is 1
    float velX = 0, velY = 0;     // camera velocity in pixels a frame at speed 1
    float tintR = 0, tintG = 0, tintB = 0; // player tint, cycled every play frame
    int32_t tintDir = 0;          // shared direction of the tint cycle
    float reveal = 0;             // bomb reveal level, 1 on a helper cell
    int32_t startX = 0, startY = 0; // world point of the board's start
    int32_t lives = 3;            // remaining lives
    int32_t score = 0;            // cells visited in this game
    TGrid tiles{};                // cell kinds
    TGrid marks{};                // visit marks

    std::vector<TParticle> particles; // live sparks, oldest first
    TRandom random;                   // the one random source
    bool running = true;              // false once EXIT was chosen
};

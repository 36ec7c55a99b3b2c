// Bringing the game up: its folder, best scores, random seed, window, images
// and music, in that order; and the frame loop that runs it afterwards.
#pragma once

#include <string>

struct TGame;
class TPlatform;

// Runs the start-up sequence with `folder` as the game's folder. When the
// game cannot run (no window, an image or the music unusable), closes what
// it opened and returns false with a one-line reason naming the file.
bool StartUp(TGame& game, TPlatform& platform, const std::string& folder, std::string& error);

// One pass of the frame loop: the current screen's routine, then present and
// clear. Does neither once EXIT has ended the game.
void RunFrame(TGame& game, TPlatform& platform);

// Frames until the menu's EXIT ends the game.
void RunFrameLoop(TGame& game, TPlatform& platform);

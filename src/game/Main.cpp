// ZEP: steer the figure across the board, mind the hidden bombs, reach the goal.
#include <cstdio>
#include <memory>

#include "game/Game.h"
#include "game/StartUp.h"
#include "platform/Process.h"
#include "platform/SdlPlatform.h"

int main() {
    auto game = std::make_unique<TGame>();
    TSdlPlatform platform;
    std::string error;
    if (!StartUp(*game, platform, ProgramFolder(), error)) {
        std::fprintf(stderr, "zep: %s\n", error.c_str());
        return 1;
    }
    RunFrameLoop(*game, platform);
    return 0;
}

// The yardstick for the game's start-up and idle cost: bare SDL brought up
// the way the game brings it up (video, an 800 x 600 window, an accelerated
// vsync renderer or else the software one), then black frames presented 60
// times a second: FRAMES of them (default 1) before it quits.
//   zep-bare-sdl [FRAMES]
// bench/run times it to its first present like the real game, and measures
// what an empty frame costs with this renderer.
#include <SDL.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const long frames = argc > 1 ? std::max(1L, std::atol(argv[1])) : 1;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "zep-bare-sdl: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window =
        SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600, SDL_WINDOW_SHOWN);
    SDL_Renderer* renderer =
        window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC) : nullptr;
    if (window && !renderer) renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer) {
        std::fprintf(stderr, "zep-bare-sdl: %s\n", SDL_GetError());
        return 1;
    }
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (long k = 0; k < frames; ++k) {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderPresent(renderer);
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
        }
        next.tv_nsec += 16'666'667;
        if (next.tv_nsec >= 1'000'000'000) {
            next.tv_nsec -= 1'000'000'000;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}

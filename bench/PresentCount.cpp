// Preloaded into the real game by bench/run (LD_PRELOAD): counts the game's
// steps and presents without touching the game, and keeps the figures in a
// small file that bench/run maps in and reads at any moment from outside,
// with no signal and no help from the game.
//
// Steps: the game's pacer sleeps once a step, even when the step is already
// due, with clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME), on the main
// thread; each such call there is one step (SDL's and the GL driver's own
// threads sleep too, and are not counted). Presents are no measure of steps (the game skips presenting a
// frame identical to the one on screen), but the first one marks the end of
// start-up.
//
// The file (ZEP_PRESENT_COUNT_FILE) holds uint64 values, times in
// CLOCK_REALTIME ns (what `date +%s%N` prints, so a script can compare):
//   [0] steps so far          [1] time of the first present
//   [2] time this library was loaded
//   [3] time the latest step's sleep ended   [4] presents so far
//   [5] the step count [0] is about to take (equal to [0] when [3] matches it)
// Two readings of [0] and [3] give the steps per second between two steps,
// exact whatever the moment of reading; a reading with [5] != [0] caught a
// step half-written, and is taken again.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace {

volatile uint64_t* counters = nullptr;
using TPresent = void (*)(void*);
using TSleep = int (*)(clockid_t, int, const timespec*, timespec*);
TPresent realPresent = nullptr;
TSleep realSleep = nullptr;

uint64_t Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return uint64_t(ts.tv_sec) * 1000000000ull + uint64_t(ts.tv_nsec);
}

__attribute__((constructor)) void Open() {
    const char* path = std::getenv("ZEP_PRESENT_COUNT_FILE");
    if (!path) return;
    const int fd = open(path, O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    if (ftruncate(fd, 4096) == 0) {
        void* map = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED) counters = static_cast<volatile uint64_t*>(map);
    }
    close(fd);
    if (counters) counters[2] = Now();
}

} // namespace

extern "C" void SDL_RenderPresent(void* renderer) {
    if (!realPresent) realPresent = reinterpret_cast<TPresent>(dlsym(RTLD_NEXT, "SDL_RenderPresent"));
    realPresent(renderer);
    if (!counters) return;
    if (counters[4] == 0) counters[1] = Now();
    counters[4] = counters[4] + 1;
}

extern "C" int clock_nanosleep(clockid_t clock, int flags, const timespec* request, timespec* remain) {
    if (!realSleep) realSleep = reinterpret_cast<TSleep>(dlsym(RTLD_NEXT, "clock_nanosleep"));
    const int result = realSleep ? realSleep(clock, flags, request, remain) : 0;
    // The pacer repeats the call after a signal; only a finished sleep is a step.
    if (counters && clock == CLOCK_MONOTONIC && flags == TIMER_ABSTIME && result == 0 &&
        syscall(SYS_gettid) == getpid()) {
        const uint64_t steps = counters[0] + 1;
        counters[5] = steps;
        std::atomic_thread_fence(std::memory_order_release);
        counters[3] = Now();
        std::atomic_thread_fence(std::memory_order_release);
        counters[0] = steps;
    }
    return result;
}

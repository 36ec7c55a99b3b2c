#include "platform/Pacer.h"

#include <cerrno>
#include <ctime>

// A step more than this late is not made up for: after a stall (a slow
// frame, the end-of-game card, a suspended process) the game resumes at its
// normal pace instead of racing to catch up.
static constexpr int64_t kMaxLag = 100'000'000;

TPacer::TPacer(int stepsPerSecond) : period_(1'000'000'000LL / stepsPerSecond) {}

int64_t SteadyNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000LL + ts.tv_nsec;
}

int64_t TPacer::Book(int64_t now) {
    if (next_ < 0 || now - next_ > kMaxLag) next_ = now;
    const int64_t wait = next_ > now ? next_ - now : 0;
    next_ += period_;
    return wait;
}

void TPacer::Wait() {
    const int64_t now = SteadyNanoseconds();
    const int64_t until = now + Book(now);
    // Called once a step even when the step is already due (it then returns
    // at once), so a measuring tool can count steps by this call.
    timespec ts{time_t(until / 1'000'000'000LL), long(until % 1'000'000'000LL)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

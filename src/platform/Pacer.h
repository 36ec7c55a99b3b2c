// Holds the game at a fixed number of steps a second whatever the display
// does: a present may return at once (no vsync, as under Xvfb), at the
// display's own rate (vsync on a faster display) or at 60 Hz. The pacer
// sleeps until the next step's deadline, so a faster display never runs the
// game faster, and it never spins a core.
#pragma once

#include <cstdint>

class TPacer {
public:
    explicit TPacer(int stepsPerSecond = 60);
    // Blocks until the next step is due, then books the step.
    void Wait();
    // The deadline logic on its own, for tests: given the time now (ns),
    // returns how long to sleep (ns) and books the step.
    int64_t Book(int64_t now);

private:
    int64_t period_;       // ns per step
    int64_t next_ = -1;    // deadline of the next step (ns, steady clock)
};

// Steady clock in nanoseconds.
int64_t SteadyNanoseconds();

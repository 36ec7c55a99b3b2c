/* Counts the steps the game makes: loaded with LD_PRELOAD, it stands in for
 * clock_nanosleep, which the game's pacer calls exactly once a step with an
 * absolute deadline on the steady clock (even when the step is already due),
 * and passes each call on. (Presents are no measure: the game skips the
 * present of a frame identical to the one on screen, as in the idle menu.)
 * On SIGUSR1 (at the next step) and at exit it appends one line to the file
 * named by ZEP_PRESENT_COUNT_FILE:
 *   presents=N monotonic=SECONDS cpu=SECONDS
 * (steps so far, the steady clock, the process's CPU time), so that two
 * lines give the steps per second and the CPU share between them. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef int (*TSleep)(clockid_t, int, const struct timespec*, struct timespec*);

static TSleep realSleep;                  /* the C library's own function */
static unsigned long presents;            /* steps so far */
static volatile sig_atomic_t reportAsked; /* set by SIGUSR1, served at the next frame */

/* Seconds of clock `clock` as a double. */
static double Seconds(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

/* Appends the current figures to the report file, if one is named. */
static void WriteReport(void) {
    const char* path = getenv("ZEP_PRESENT_COUNT_FILE");
    if (!path || !*path) return;
    FILE* file = fopen(path, "a");
    if (!file) return;
    fprintf(file, "presents=%lu monotonic=%.6f cpu=%.6f\n", presents, Seconds(CLOCK_MONOTONIC),
            Seconds(CLOCK_PROCESS_CPUTIME_ID));
    fclose(file);
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec* request, struct timespec* remain) {
    if (!realSleep) realSleep = (TSleep)dlsym(RTLD_NEXT, "clock_nanosleep");
    if (clock == CLOCK_MONOTONIC && flags == TIMER_ABSTIME) {
        ++presents;
        if (reportAsked) {
            reportAsked = 0;
            WriteReport();
        }
    }
    return realSleep ? realSleep(clock, flags, request, remain) : 0;
}

/* Only raises a flag: the file is written from the game's own thread. */
static void OnReportSignal(int signal) {
    (void)signal;
    reportAsked = 1;
}

__attribute__((constructor)) static void Start(void) {
    struct sigaction action;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    action.sa_handler = OnReportSignal;
    sigaction(SIGUSR1, &action, NULL);
}

__attribute__((destructor)) static void Stop(void) { WriteReport(); }

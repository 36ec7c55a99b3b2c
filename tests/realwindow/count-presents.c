/* Counts the frames a program shows: loaded with LD_PRELOAD, it stands in
 * for SDL_RenderPresent, passes each call on to SDL and counts it. On
 * SIGUSR1 (at the next frame) and at exit it appends one line to the file
 * named by ZEP_PRESENT_COUNT_FILE:
 *   presents=N monotonic=SECONDS cpu=SECONDS
 * (frames so far, the steady clock, the process's CPU time), so that two
 * lines give the frames per second and the CPU share between them. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef struct SDL_Renderer SDL_Renderer;
typedef void (*TPresent)(SDL_Renderer*);

static TPresent realPresent;              /* SDL's own function */
static unsigned long presents;            /* calls so far */
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

void SDL_RenderPresent(SDL_Renderer* renderer) {
    if (!realPresent) realPresent = (TPresent)dlsym(RTLD_NEXT, "SDL_RenderPresent");
    if (realPresent) realPresent(renderer);
    ++presents;
    if (reportAsked) {
        reportAsked = 0;
        WriteReport();
    }
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

/* Another program's window that takes the keyboard focus, as when the
 * player switches to a different window: maps a small window at the screen's
 * bottom-right corner, gives it the focus, prints its id and then stays until
 * killed. When it goes the focus reverts to the pointer's window.
 * Usage: focus-window   (on $DISPLAY) */
#include <stdio.h>
#include <unistd.h>

#include <X11/Xlib.h>

int main(void) {
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "focus-window: cannot open the display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const int size = 64;
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen),
                                              DisplayWidth(display, screen) - size,
                                              DisplayHeight(display, screen) - size, size, size, 0,
                                              BlackPixel(display, screen), WhitePixel(display, screen));
    XStoreName(display, window, "focus-window");
    XSelectInput(display, window, StructureNotifyMask | FocusChangeMask);
    XMapWindow(display, window);
    XEvent event;
    do XNextEvent(display, &event);
    while (event.type != MapNotify);
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    do XNextEvent(display, &event);
    while (event.type != FocusIn);
    printf("%lu\n", (unsigned long)window);
    fflush(stdout);
    for (;;) pause();
}

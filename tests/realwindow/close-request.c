/* Asks a window to close the way a window manager's close box does: a
 * WM_PROTOCOLS ClientMessage carrying WM_DELETE_WINDOW. The window stays;
 * what happens next is up to its program.
 * Usage: close-request WINDOW_ID   (decimal or 0x hex, on $DISPLAY) */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <X11/Xlib.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: close-request WINDOW_ID\n");
        return 2;
    }
    char* end = NULL;
    const unsigned long id = strtoul(argv[1], &end, 0);
    if (!end || *end != '\0' || id == 0) {
        fprintf(stderr, "close-request: '%s' is not a window id\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "close-request: cannot open the display\n");
        return 1;
    }
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = (Window)id;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, (Window)id, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (!sent) {
        fprintf(stderr, "close-request: the X server refused the message\n");
        return 1;
    }
    return 0;
}

/* Asks a window to close the way a window manager's close button does: a
 * WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <X11/Xlib.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: close_request WINDOW-ID\n");
        return 2;
    }
    char* end = NULL;
    unsigned long id = strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0') {
        fprintf(stderr, "close_request: not a window id: %s\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "close_request: cannot open the display\n");
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
    XSendEvent(display, (Window)id, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}

/* xtest_motion: sends N real pointer moves through XTest to a rectangle of
 * the screen, as fast as the server takes them, with an XSync every BATCH
 * moves so the client never runs far ahead of the server.
 *   xtest_motion N X Y W H [BATCH] [REPORT] [PAUSE_US]
 * Every REPORT moves (0: never) it prints "moves <count> <seconds>" and
 * flushes stdout, so a caller can sample the target's memory in step.
 * PAUSE_US (default 0) sleeps that many microseconds after each batch, to
 * hold the rate near BATCH / PAUSE_US moves per microsecond.
 * Exit 0 on success, 2 on bad arguments, 77 when XTest is missing. */
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static double Seconds(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    if (argc < 6) {
        fprintf(stderr, "usage: %s N X Y W H [BATCH] [REPORT]\n", argv[0]);
        return 2;
    }
    long n = atol(argv[1]);
    int x0 = atoi(argv[2]), y0 = atoi(argv[3]), w = atoi(argv[4]), h = atoi(argv[5]);
    long batch = argc > 6 ? atol(argv[6]) : 1000;
    long report = argc > 7 ? atol(argv[7]) : 0;
    long pause = argc > 8 ? atol(argv[8]) : 0;
    if (n < 0 || w < 2 || h < 2 || batch < 1 || report < 0 || pause < 0) return 2;

    Display* d = XOpenDisplay(NULL);
    if (!d) { fprintf(stderr, "cannot open display\n"); return 1; }
    int ev, er, major, minor;
    if (!XTestQueryExtension(d, &ev, &er, &major, &minor)) {
        fprintf(stderr, "no XTest\n");
        return 77;
    }
    int screen = DefaultScreen(d);
    double start = Seconds();
    /* A diagonal zig-zag: every move lands on a different pixel than the
     * one before, so the server never drops one as a no-op. */
    int x = 0, y = 0, dx = 1, dy = 1;
    for (long i = 1; i <= n; ++i) {
        x += dx; y += dy;
        if (x <= 0 || x >= w - 1) dx = -dx;
        if (y <= 0 || y >= h - 1) dy = -dy;
        XTestFakeMotionEvent(d, screen, x0 + x, y0 + y, CurrentTime);
        if (i % batch == 0) {
            XSync(d, False);
            if (pause) usleep((useconds_t)pause);
        }
        if (report && i % report == 0) {
            XSync(d, False);
            printf("moves %ld %.2f\n", i, Seconds() - start);
            fflush(stdout);
        }
    }
    XSync(d, False);
    printf("done %ld %.2f\n", n, Seconds() - start);
    XCloseDisplay(d);
    return 0;
}

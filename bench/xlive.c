/* Native X helpers for `scripts/bench live`, so that none of their own work
 * passes through Wine:
 *   picture X Y W H SECONDS  an override-redirect window over the area whose
 *                            picture changes every 10 ms (a moving screen)
 *   count WINDOW SECONDS     prints the window's updates per second, counted
 *                            as X damage events (one per flush of new pixels)
 *   floor X Y W H SECONDS    every 10 ms one read of the area from the root
 *                            window and one pointer read: what a live lens
 *                            must ask of the X server at the least
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { TickNs = 10 * 1000 * 1000 };

static void next_tick(struct timespec *at) {
    at->tv_nsec += TickNs;
    if (at->tv_nsec >= 1000000000L) {
        at->tv_nsec -= 1000000000L;
        at->tv_sec += 1;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, at, NULL);
}

static double seconds_since(const struct timespec *start) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)(now.tv_sec - start->tv_sec) + (double)(now.tv_nsec - start->tv_nsec) / 1e9;
}

/* Bars that move one step at every tick: each frame differs from the last
 * everywhere along the bars' edges, as a playing video would. */
static int picture(Display *d, int x, int y, int w, int h, int seconds) {
    const int screen = DefaultScreen(d);
    XSetWindowAttributes a;
    memset(&a, 0, sizeof(a));
    a.override_redirect = True;
    a.background_pixel = BlackPixel(d, screen);
    Window win = XCreateWindow(d, RootWindow(d, screen), x, y, (unsigned)w, (unsigned)h, 0,
                               CopyFromParent, InputOutput, CopyFromParent,
                               CWOverrideRedirect | CWBackPixel, &a);
    XMapRaised(d, win);
    GC gc = XCreateGC(d, win, 0, NULL);
    struct timespec start, at;
    clock_gettime(CLOCK_MONOTONIC, &start);
    at = start;
    printf("picture %lu\n", (unsigned long)win);
    fflush(stdout);
    for (long frame = 0; seconds_since(&start) < seconds; ++frame) {
        for (int bx = 0; bx < w; bx += 16) {
            const unsigned long shade = (unsigned long)((bx * 7 + frame * 5) & 0xFF);
            XSetForeground(d, gc, shade << 16 | (255 - shade) << 8 | (shade ^ 0x5A));
            XFillRectangle(d, win, gc, (int)((bx + frame) % w), 0, 16, (unsigned)h);
        }
        XFlush(d);
        next_tick(&at);
    }
    XFreeGC(d, gc);
    XDestroyWindow(d, win);
    return 0;
}

static int count(Display *d, Window win, int seconds) {
    int event_base, error_base;
    if (!XDamageQueryExtension(d, &event_base, &error_base)) {
        fprintf(stderr, "no DAMAGE extension\n");
        return 1;
    }
    /* Non-empty reports: one event when new pixels arrive after the last
     * subtraction, however many rectangles one flush draws. */
    Damage damage = XDamageCreate(d, win, XDamageReportNonEmpty);
    XSync(d, False);
    struct timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    long updates = 0;
    while (seconds_since(&start) < seconds) {
        while (XPending(d) > 0) {
            XEvent e;
            XNextEvent(d, &e);
            if (e.type == event_base + XDamageNotify) {
                ++updates;
                XDamageSubtract(d, damage, None, None);
            }
        }
        struct pollfd fd = {ConnectionNumber(d), POLLIN, 0};
        poll(&fd, 1, 100);
    }
    printf("%.1f\n", (double)updates / seconds_since(&start));
    XDamageDestroy(d, damage);
    return 0;
}

static int floor_reads(Display *d, int x, int y, int w, int h, int seconds) {
    const Window root = DefaultRootWindow(d);
    struct timespec start, at;
    clock_gettime(CLOCK_MONOTONIC, &start);
    at = start;
    long reads = 0;
    while (seconds_since(&start) < seconds) {
        XImage *image = XGetImage(d, root, x, y, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
        if (image)
            XDestroyImage(image);
        Window r, child;
        int rx, ry, wx, wy;
        unsigned mask;
        XQueryPointer(d, root, &r, &child, &rx, &ry, &wx, &wy, &mask);
        ++reads;
        next_tick(&at);
    }
    printf("%.1f\n", (double)reads / seconds_since(&start));
    return 0;
}

int main(int argc, char **argv) {
    Display *d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    int status = 2;
    if (argc == 7 && strcmp(argv[1], "picture") == 0)
        status = picture(d, atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]),
                         atoi(argv[6]));
    else if (argc == 4 && strcmp(argv[1], "count") == 0)
        status = count(d, (Window)strtoul(argv[2], NULL, 0), atoi(argv[3]));
    else if (argc == 7 && strcmp(argv[1], "floor") == 0)
        status = floor_reads(d, atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]),
                             atoi(argv[6]));
    else
        fprintf(stderr, "usage: xlive picture|floor X Y W H SECONDS, xlive count WINDOW SECONDS\n");
    XCloseDisplay(d);
    return status;
}

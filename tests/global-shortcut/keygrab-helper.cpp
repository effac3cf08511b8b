// SPDX-License-Identifier: GPL-2.0-or-later

// A second X client for the hot key tests: grabs one key combination on the root window the way
// any other desktop program would, says whether the server granted it, and reports the key presses
// it receives until its standard input closes.
//
//   keygrab-helper KEYSYM MODIFIERS [LOCK...]
//
// MODIFIERS and each LOCK are X modifier masks (0x0c is Control+Mod1); the combination is grabbed
// once per LOCK ORed in (just 0 when none is given). Prints "grabbed" or "refused", then
// "press STATE" for every key press.
#include <X11/Xlib.h>

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

static bool refused = false;

static int onError(Display *, XErrorEvent *)
{
    refused = true;
    return 0;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: keygrab-helper KEYSYM MODIFIERS [LOCK...]\n");
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "keygrab-helper: no display\n");
        return 1;
    }
    const KeySym keysym = XStringToKeysym(argv[1]);
    const int keycode = keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
    const unsigned modifiers = std::strtoul(argv[2], nullptr, 0);
    std::vector<unsigned> locks;
    for (int i = 3; i < argc; ++i)
        locks.push_back(std::strtoul(argv[i], nullptr, 0));
    if (locks.empty())
        locks.push_back(0);

    XSetErrorHandler(onError);
    const Window root = DefaultRootWindow(display);
    for (unsigned lock : locks)
        XGrabKey(display, keycode, modifiers | lock, root, True, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    std::printf(keycode && !refused ? "grabbed\n" : "refused\n");
    std::fflush(stdout);

    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    for (;;) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == KeyPress) {
                std::printf("press %#x\n", event.xkey.state);
                std::fflush(stdout);
            }
        }
        if (poll(fds, 2, -1) < 0)
            break;
        if (fds[1].revents) {
            char buffer[64];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
                break;
        }
    }
    XCloseDisplay(display);
    return 0;
}

// A target window for the desktop tests and the typing benchmark. Plain Xlib.
//
//   x11_test_window [--wm-name-only] [--latin1-title] <title> <log file> [argument ...]
//
// Writes to the log, one line each, flushed at once:
//   start pid=<pid>            arg <n>=<argument>       cwd=<working folder>
//   window 0x<id>              mapped                   focus in|out
//   key press|release keycode=<n> keysym=0x<hex> state=0x<hex> send=<0|1> t=<ns>
//   button press|release b=<n> x=<x> y=<y> rx=<root x> ry=<root y> send=<0|1>
//   mark <n>                   (a KEYRELAY_TEST_MARK client message with data <n>)
// Keysyms are the ones the keyboard map gives for the key and the event's state, as
// every Xlib program sees them. t is CLOCK_MONOTONIC in nanoseconds.
// --wm-name-only sets the title only in WM_NAME (no _NET_WM_NAME); --latin1-title
// converts the UTF-8 title to Latin-1 for WM_NAME.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

long long nowNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

std::string utf8ToLatin1(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xc2 && c <= 0xc3 && i + 1 < text.size()) {
            out += static_cast<char>(((c & 0x03) << 6) | (text[++i] & 0x3f));
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

int main(int argc, char* argv[]) {
    bool wmNameOnly = false, latin1 = false;
    int first = 1;
    for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
        if (std::strcmp(argv[first], "--wm-name-only") == 0) {
            wmNameOnly = true;
        } else if (std::strcmp(argv[first], "--latin1-title") == 0) {
            latin1 = true;
        }
    }
    if (argc - first < 2) {
        std::fprintf(stderr, "usage: %s [options] <title> <log file> [argument ...]\n", argv[0]);
        return 2;
    }
    std::string title = argv[first];
    FILE* log = std::fopen(argv[first + 1], "a");
    if (log == nullptr) {
        std::perror(argv[first + 1]);
        return 2;
    }
    std::setvbuf(log, nullptr, _IOLBF, 0);
    std::fprintf(log, "start pid=%d\n", static_cast<int>(getpid()));
    for (int i = first + 2; i < argc; ++i) {
        std::fprintf(log, "arg %d=%s\n", i - first - 2, argv[i]);
    }
    char cwd[4096];
    std::fprintf(log, "cwd=%s\n", getcwd(cwd, sizeof cwd) != nullptr ? cwd : "?");

    Display* dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) {
        std::fprintf(log, "no display\n");
        return 1;
    }
    int screen = DefaultScreen(dpy);
    Window window = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 100, 100, 320, 240, 0,
                                        BlackPixel(dpy, screen), WhitePixel(dpy, screen));
    XSelectInput(dpy, window,
                 KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                     FocusChangeMask | StructureNotifyMask | ExposureMask);

    std::string wmName = latin1 ? utf8ToLatin1(title) : title;
    XChangeProperty(dpy, window, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(wmName.data()),
                    static_cast<int>(wmName.size()));
    if (!wmNameOnly) {
        XChangeProperty(dpy, window, XInternAtom(dpy, "_NET_WM_NAME", False),
                        XInternAtom(dpy, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()),
                        static_cast<int>(title.size()));
    }
    long pid = getpid();
    XChangeProperty(dpy, window, XInternAtom(dpy, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
    XClassHint hint{const_cast<char*>("x11_test_window"), const_cast<char*>("X11TestWindow")};
    XSetClassHint(dpy, window, &hint);
    XWMHints wmHints = {};
    wmHints.flags = InputHint | StateHint;
    wmHints.input = True;
    wmHints.initial_state = NormalState;
    XSetWMHints(dpy, window, &wmHints);
    Atom deleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy, window, &deleteWindow, 1);
    Atom mark = XInternAtom(dpy, "KEYRELAY_TEST_MARK", False);

    XMapWindow(dpy, window);
    std::fprintf(log, "window 0x%lx\n", window);

    for (;;) {
        XEvent event;
        XNextEvent(dpy, &event);
        switch (event.type) {
            case KeyPress:
            case KeyRelease: {
                char text[32];
                KeySym keysym = NoSymbol;
                XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
                std::fprintf(log, "key %s keycode=%u keysym=0x%lx state=0x%x send=%d t=%lld\n",
                             event.type == KeyPress ? "press" : "release", event.xkey.keycode,
                             keysym, event.xkey.state, event.xkey.send_event ? 1 : 0, nowNs());
                break;
            }
            case ButtonPress:
            case ButtonRelease:
                std::fprintf(log, "button %s b=%u x=%d y=%d rx=%d ry=%d send=%d\n",
                             event.type == ButtonPress ? "press" : "release", event.xbutton.button,
                             event.xbutton.x, event.xbutton.y, event.xbutton.x_root,
                             event.xbutton.y_root, event.xbutton.send_event ? 1 : 0);
                break;
            case FocusIn:
            case FocusOut:
                std::fprintf(log, "focus %s\n", event.type == FocusIn ? "in" : "out");
                break;
            case MapNotify:
                std::fprintf(log, "mapped\n");
                break;
            case MappingNotify:
                XRefreshKeyboardMapping(&event.xmapping);
                break;
            case ClientMessage:
                if (event.xclient.message_type == mark) {
                    std::fprintf(log, "mark %ld\n", event.xclient.data.l[0]);
                } else if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
                    XCloseDisplay(dpy);
                    return 0;
                }
                break;
            default:
                break;
        }
    }
}

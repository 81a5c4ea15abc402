// A plain Xlib window program for the desktop tests and the typing benchmark. It logs what
// it was started with and what reaches it:
//   x11_test_window [--wm-name-only] [--latin1-title] <title> <log file> [argument ...]
// --wm-name-only sets no _NET_WM_NAME; --latin1-title writes WM_NAME in Latin-1. Started
// by the launcher (KEYRELAY_STANDIN_DIR set), every argument is the user's: it logs to
// $KEYRELAY_STANDIN_DIR/<its own file name>.log and is titled "CW Skimmer <name>" when its
// working folder names the decoder ("cwskimmer", any letter case), else "Standin <name>";
// KEYRELAY_STANDIN_UNDECORATED=1 asks for no frame, so clicks near the top edge reach it.
// Log lines, flushed at once ("mark" answers a KEYRELAY_TEST_MARK client message):
//   pid <n> | cwd <folder> | arg <text> | window 0x<id> | mapped | wmstate <n> | mark <n>
//   origin <x> <y> <w> <h>                    the client area on the screen, after each move
//   click|release <x> <y> <xroot> <yroot>     left button, window-relative and on the screen
//   key press|release keycode=<n> keysym=0x<hex> state=0x<hex> send=<0|1> t=<ns>
// It ends on SIGTERM, on WM_DELETE_WINDOW or after KEYRELAY_STANDIN_LIFE seconds (300).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

int main(int argc, char* argv[]) {
    bool wmNameOnly = false, latin1Title = false;
    const char* standinDir = std::getenv("KEYRELAY_STANDIN_DIR");
    const char* life = std::getenv("KEYRELAY_STANDIN_LIFE");
    const std::string cwd = std::filesystem::current_path().string();
    std::string title, logPath;
    int first = 1;
    if (standinDir != nullptr) {
        const std::string name = std::filesystem::path(argv[0]).filename();
        title =
            (strcasestr(cwd.c_str(), "cwskimmer") != nullptr ? "CW Skimmer " : "Standin ") + name;
        logPath = std::string(standinDir) + "/" + name + ".log";
    } else {
        for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
            wmNameOnly |= std::strcmp(argv[first], "--wm-name-only") == 0;
            latin1Title |= std::strcmp(argv[first], "--latin1-title") == 0;
        }
        if (argc - first < 2) {
            std::fprintf(stderr, "usage: x11_test_window [options] <title> <log> [argument ...]\n");
            return 2;
        }
        title = argv[first++];
        logPath = argv[first++];
    }
    FILE* log = std::fopen(logPath.c_str(), "a");
    if (log == nullptr || std::setvbuf(log, nullptr, _IOLBF, 0) != 0) {
        std::perror(logPath.c_str());
        return 2;
    }
    std::fprintf(log, "pid %d\ncwd %s\n", static_cast<int>(getpid()), cwd.c_str());
    for (int i = first; i < argc; ++i) {
        std::fprintf(log, "arg %s\n", argv[i]);
    }

    Display* dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) {
        std::fprintf(log, "error no display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(dpy);
    const Window window = XCreateSimpleWindow(dpy, root, 200, 150, 480, 320, 0, 0,
                                              WhitePixel(dpy, DefaultScreen(dpy)));
    XSelectInput(dpy, window,
                 KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                     StructureNotifyMask | PropertyChangeMask);
    auto set = [&](const char* name, Atom type, int format, const void* data, std::size_t count) {
        XChangeProperty(dpy, window, XInternAtom(dpy, name, False), type, format, PropModeReplace,
                        static_cast<const unsigned char*>(data), static_cast<int>(count));
    };
    std::string wmName;  // in Latin-1 if asked: the title's Latin-1 letters, two bytes in UTF-8
    for (std::size_t i = 0; i < title.size(); ++i) {
        auto c = static_cast<unsigned char>(title[i]);
        wmName += latin1Title && (c == 0xc2 || c == 0xc3)
                      ? static_cast<char>(((c & 3) << 6) | (title[++i] & 0x3f))
                      : static_cast<char>(c);
    }
    set("WM_NAME", XA_STRING, 8, wmName.data(), wmName.size());
    if (!wmNameOnly) {
        set("_NET_WM_NAME", XInternAtom(dpy, "UTF8_STRING", False), 8, title.data(), title.size());
    }
    const long pid = getpid();
    set("_NET_WM_PID", XA_CARDINAL, 32, &pid, 1);
    if (const char* bare = std::getenv("KEYRELAY_STANDIN_UNDECORATED"); bare && *bare == '1') {
        const long motifHints[5] = {2, 0, 0, 0, 0};  // decorations given: none
        set("_MOTIF_WM_HINTS", XInternAtom(dpy, "_MOTIF_WM_HINTS", False), 32, motifHints, 5);
    }
    Atom deleteWindow = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy, window, &deleteWindow, 1);
    const Atom mark = XInternAtom(dpy, "KEYRELAY_TEST_MARK", False);
    const Atom wmState = XInternAtom(dpy, "WM_STATE", False);
    XMapWindow(dpy, window);
    std::fprintf(log, "window 0x%lx\n", window);

    alarm(static_cast<unsigned>(life != nullptr ? std::atol(life) : 300));  // SIGALRM ends it
    for (XEvent event; XNextEvent(dpy, &event) == 0;) {
        if (event.type == KeyPress || event.type == KeyRelease) {
            char text[32];
            KeySym keysym = NoSymbol;
            XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
            timespec now;
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::fprintf(log, "key %s keycode=%u keysym=0x%lx state=0x%x send=%d t=%lld\n",
                         event.type == KeyPress ? "press" : "release", event.xkey.keycode, keysym,
                         event.xkey.state, event.xkey.send_event ? 1 : 0,
                         now.tv_sec * 1000000000LL + now.tv_nsec);
        } else if ((event.type == ButtonPress || event.type == ButtonRelease) &&
                   event.xbutton.button == Button1) {
            std::fprintf(log, "%s %d %d %d %d\n", event.type == ButtonPress ? "click" : "release",
                         event.xbutton.x, event.xbutton.y, event.xbutton.x_root,
                         event.xbutton.y_root);
        } else if (event.type == MapNotify || event.type == ConfigureNotify) {
            int x = 0, y = 0;
            Window child = None;
            XWindowAttributes attributes;
            XGetWindowAttributes(dpy, window, &attributes);
            XTranslateCoordinates(dpy, window, root, 0, 0, &x, &y, &child);
            std::fprintf(log, "%sorigin %d %d %d %d\n", event.type == MapNotify ? "mapped\n" : "",
                         x, y, attributes.width, attributes.height);
        } else if (event.type == PropertyNotify && event.xproperty.atom == wmState) {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            XGetWindowProperty(dpy, window, wmState, 0, 2, False, wmState, &type, &format, &count,
                               &after, &data);
            std::fprintf(log, "wmstate %ld\n",
                         data != nullptr && count >= 1 ? reinterpret_cast<long*>(data)[0] : -1L);
            XFree(data);
        } else if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
        } else if (event.type == ClientMessage && event.xclient.message_type == mark) {
            std::fprintf(log, "mark %ld\n", event.xclient.data.l[0]);
        } else if (event.type == ClientMessage &&
                   static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
            break;
        }
    }
    XCloseDisplay(dpy);
    return 0;
}

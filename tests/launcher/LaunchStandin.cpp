// A stand-in for a program the launcher starts. It writes what it sees to
// $KEYRELAY_STANDIN_DIR/<its own name>.log (the working folder when that is unset):
//   pid <n>
//   cwd <working folder>
//   arg <text>                 one line per command-line argument
//   origin <x> <y> <w> <h>     the client area on the screen, after every move
//   wmstate <n>                the window manager's state (1 normal, 3 iconic)
//   click <x> <y> <xroot> <yroot>   a left-button press, window-relative and on the screen
// Its window is titled "CW Skimmer <name>" when its working folder names the decoder
// (contains "cwskimmer" in any letter case), else "Standin <name>". With
// KEYRELAY_STANDIN_UNDECORATED=1 it asks the window manager for no frame, so clicks near
// the top edge reach it. It ends on SIGTERM or after KEYRELAY_STANDIN_LIFE seconds
// (default 120).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onTerm(int) {
    stopRequested = 1;
}

std::string baseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

class Log {
public:
    explicit Log(const std::string& path) : file_(std::fopen(path.c_str(), "a")) {}
    ~Log() {
        if (file_) {
            std::fclose(file_);
        }
    }
    template <class... A>
    void line(const char* format, A... args) {
        if (file_) {
            std::fprintf(file_, format, args...);
            std::fputc('\n', file_);
            std::fflush(file_);
        }
    }

private:
    FILE* file_;
};

void noDecorations(Display* display, Window window) {
    // _MOTIF_WM_HINTS: flags = decorations given, decorations = none.
    const long hints[5] = {2, 0, 0, 0, 0};
    const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(hints), 5);
}

long wmState(Display* display, Window window) {
    const Atom wmStateAtom = XInternAtom(display, "WM_STATE", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    long state = -1;
    if (XGetWindowProperty(display, window, wmStateAtom, 0, 2, False, wmStateAtom, &type, &format,
                           &count, &after, &data) == Success &&
        data && count >= 1 && format == 32) {
        state = reinterpret_cast<long*>(data)[0];
    }
    if (data) {
        XFree(data);
    }
    return state;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::signal(SIGTERM, onTerm);
    const std::string name = baseName(argv[0]);
    char cwdBuffer[4096] = {};
    const std::string cwd = getcwd(cwdBuffer, sizeof cwdBuffer) ? cwdBuffer : "?";
    const char* dir = std::getenv("KEYRELAY_STANDIN_DIR");
    Log log((dir ? std::string(dir) + "/" : std::string()) + name + ".log");

    log.line("pid %ld", static_cast<long>(getpid()));
    log.line("cwd %s", cwd.c_str());
    for (int i = 1; i < argc; ++i) {
        log.line("arg %s", argv[i]);
    }

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        log.line("error no display");
        return 1;
    }
    const int screen = DefaultScreen(display);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), 200, 150, 480, 320, 0,
                            BlackPixel(display, screen), WhitePixel(display, screen));
    const std::string title =
        (upper(cwd).find("CWSKIMMER") != std::string::npos ? "CW Skimmer " : "Standin ") + name;
    XStoreName(display, window, title.c_str());
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, netName, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title.c_str()),
                    static_cast<int>(title.size()));
    const long pid = getpid();
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
    XClassHint classHint;
    std::string className = "LaunchStandin";
    classHint.res_name = const_cast<char*>(name.c_str());
    classHint.res_class = className.data();
    XSetClassHint(display, window, &classHint);
    const char* undecorated = std::getenv("KEYRELAY_STANDIN_UNDECORATED");
    if (undecorated && std::strcmp(undecorated, "1") == 0) {
        noDecorations(display, window);
    }
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XSelectInput(display, window, ButtonPressMask | StructureNotifyMask | PropertyChangeMask);
    XMapWindow(display, window);
    XFlush(display);

    const char* lifeText = std::getenv("KEYRELAY_STANDIN_LIFE");
    const long life = lifeText ? std::atol(lifeText) : 120;
    const std::time_t end = std::time(nullptr) + life;
    const Atom wmStateAtom = XInternAtom(display, "WM_STATE", False);
    int lastX = -1;
    int lastY = -1;
    while (!stopRequested && std::time(nullptr) < end) {
        if (XPending(display) == 0) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 200);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type) {
            case ButtonPress:
                if (event.xbutton.button == Button1) {
                    log.line("click %d %d %d %d", event.xbutton.x, event.xbutton.y,
                             event.xbutton.x_root, event.xbutton.y_root);
                }
                break;
            case MapNotify:
            case ConfigureNotify: {
                int x = 0;
                int y = 0;
                Window child = None;
                XWindowAttributes attributes;
                XGetWindowAttributes(display, window, &attributes);
                XTranslateCoordinates(display, window, RootWindow(display, screen), 0, 0, &x, &y,
                                      &child);
                if (x != lastX || y != lastY || event.type == MapNotify) {
                    log.line("origin %d %d %d %d", x, y, attributes.width, attributes.height);
                    lastX = x;
                    lastY = y;
                }
                break;
            }
            case PropertyNotify:
                if (event.xproperty.atom == wmStateAtom) {
                    log.line("wmstate %ld", wmState(display, window));
                }
                break;
            case ClientMessage:
                if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
                    stopRequested = 1;
                }
                break;
            default:
                break;
        }
    }
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return 0;
}

// Typing rate of the standard key path (XTest) against `xdotool type --delay 0`: both
// type the same 1000 characters into the same recording window, one after the other,
// in one run. The rate counts from the call until the window has received the last
// key, so keys that are queued but not yet delivered do not count as typed. Under
// scripts/with-wine the same follows with the Windows target window under Wine, whose
// log is read as it grows (it has no time stamps).
//
// Run on a desktop: scripts/with-display [scripts/with-wine] build/bench/bench_typing [rounds]
#include <X11/Xlib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/PlatformError.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11WindowSystem.h"
#include "platform/x11/XTestKeyInjector.h"

extern char** environ;

namespace {

using keyrelay::PlatformError;

long long nowNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// Letters, digits and shifted symbols; none of them means anything special to the
// keystroke notation or to xdotool, so both type the same text.
std::string benchmarkText(std::size_t length) {
    const std::string alphabet =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!@#$&*_:\"<>?|";
    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += alphabet[pick(random)];
    }
    return text;
}

struct Arrival {
    std::string text;      // the characters received, in order
    long long lastNs = 0;  // when the last key event arrived
};

// Characters of the key presses logged from line `from` on.
Arrival readArrivals(const std::string& log, std::size_t from, std::size_t* lineCount) {
    Arrival arrival;
    std::ifstream in(log);
    std::size_t index = 0;
    for (std::string line; std::getline(in, line); ++index) {
        if (index < from) {
            continue;
        }
        char kind[16] = {};
        unsigned keycode = 0, state = 0;
        unsigned long keysym = 0;
        int send = 0;
        long long t = 0;
        if (std::sscanf(line.c_str(), "key %15s keycode=%u keysym=0x%lx state=0x%x send=%d t=%lld",
                        kind, &keycode, &keysym, &state, &send, &t) == 6) {
            arrival.lastNs = t;
            if (std::string(kind) == "press" && keysym >= 0x20 && keysym < 0x7f) {
                arrival.text += static_cast<char>(keysym);
            }
        }
    }
    if (lineCount != nullptr) {
        *lineCount = index;
    }
    return arrival;
}

std::size_t lineCount(const std::string& log) {
    std::size_t count = 0;
    readArrivals(log, ~std::size_t{0}, &count);
    return count;
}

// Waits until `length` characters have arrived after line `from` (at most 60 s).
Arrival awaitText(const std::string& log, std::size_t from, std::size_t length) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
        Arrival arrival = readArrivals(log, from, nullptr);
        if (arrival.text.size() >= length || std::chrono::steady_clock::now() > deadline) {
            // Let the releases of the last key come in too.
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return readArrivals(log, from, nullptr);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// The Wine target's log (it has no time stamps), read as it grows: `text` collects the
// characters of the lines completed since the last `clear`.
struct WineLog {
    explicit WineLog(const std::string& path) : in(path) {}
    void poll() {
        char buffer[4096];
        do {
            in.clear();
            in.read(buffer, sizeof buffer);
            pending.append(buffer, static_cast<std::size_t>(in.gcount()));
        } while (in.gcount() > 0);
        in.clear();  // at the end for now; more may come
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
            unsigned code = 0;
            if (std::sscanf(pending.c_str(), "char U+%x", &code) == 1 && end > 0) {
                text += code < 0x80 ? static_cast<char>(code) : '?';
            }
            pending.erase(0, end + 1);
        }
    }
    std::ifstream in;
    std::string pending, text;
};

// Waits until `length` characters have arrived in the Wine target's log (at most 60 s);
// the arrival time is when that was seen.
Arrival awaitWine(WineLog& log, std::size_t length) {
    const long long deadline = nowNs() + 60000000000LL;
    while (log.poll(), log.text.size() < length && nowNs() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Arrival arrival;
    arrival.lastNs = nowNs();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // anything more after it
    log.poll();
    arrival.text = log.text;
    return arrival;
}

pid_t spawn(const std::vector<std::string>& args) {
    std::vector<std::string> copy = args;
    std::vector<char*> argv;
    for (std::string& arg : copy) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    return pid;
}

struct Result {
    double keysPerSecond = 0;
    bool exact = false;
};

void report(const char* who, const Result& r) {
    std::printf("  %-26s %8.0f characters/s   %s\n", who, r.keysPerSecond,
                r.exact ? "all arrived in order" : "LOST OR REORDERED");
}

// The same into the Windows target under Wine (tools/wintarget), when scripts/with-wine
// has set Wine up; true when Keyrelay's text arrived exactly in every round or Wine is
// not there.
bool typeIntoWine(keyrelay::X11WindowSystem& windows, keyrelay::XTestKeyInjector& keys,
                  const std::string& text, int rounds, const std::string& folder) {
    const char* wineTarget = std::getenv("KEYRELAY_WIN_TARGET");
    if (wineTarget == nullptr || std::getenv("WINEPREFIX") == nullptr) {
        std::printf("Wine target: skipped (run through scripts/with-wine)\n");
        return true;
    }
    std::printf("Typing the same into the Windows target under Wine, %d round(s)\n", rounds);
    std::vector<double> ours, theirs;
    bool allExact = true;
    for (int round = 1; round <= rounds; ++round) {
        std::printf("round %d\n", round);
        Result results[2];
        for (int who = 0; who < 2; ++who) {
            // A new target each time: Wine's text box takes longer for each character the
            // longer its text, which would favour whoever types first.
            const std::string log = folder + "/wine" + std::to_string(round * 2 + who) + ".log";
            const std::string title = "Keyrelay typing benchmark (Wine)";
            const pid_t target = spawn({"wine", wineTarget, "Z:" + log, title});
            keyrelay::WindowHandle window = 0;
            for (int i = 0; i < 300 && window == 0; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                for (const auto& w : windows.topLevelWindows()) {
                    window = w.title == title && std::filesystem::exists(log) ? w.handle : window;
                }
            }
            if (window == 0) {
                std::fprintf(stderr, "the Wine target window did not appear\n");
                return false;
            }
            windows.activate(window);
            WineLog wineLog(log);
            const long long start = nowNs();
            if (who == 0) {
                keys.sendKeys(text);
            } else {
                waitpid(spawn({"xdotool", "type", "--delay", "0", "--", text}), nullptr, 0);
            }
            const Arrival arrival = awaitWine(wineLog, text.size());
            results[who] = {1e9 * static_cast<double>(text.size()) /
                                static_cast<double>(arrival.lastNs - start),
                            arrival.text == text};
            kill(target, SIGTERM);
            waitpid(target, nullptr, 0);
        }
        report("keyrelay standard path", results[0]);
        report("xdotool type --delay 0", results[1]);
        std::printf("  ratio %.1fx\n", results[0].keysPerSecond / results[1].keysPerSecond);
        ours.push_back(results[0].keysPerSecond);
        theirs.push_back(results[1].keysPerSecond);
        allExact = allExact && results[0].exact;
    }
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    const double ourMedian = ours[ours.size() / 2], theirMedian = theirs[theirs.size() / 2];
    std::printf(
        "Wine median: keyrelay %.0f characters/s, xdotool %.0f characters/s, ratio %.1fx; "
        "keyrelay %s\n",
        ourMedian, theirMedian, ourMedian / theirMedian,
        allExact ? "typed every character in order" : "LOST OR REORDERED characters");
    return allExact;
}

}  // namespace

int main(int argc, char* argv[]) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const std::string text = benchmarkText(1000);
    char folderName[] = "/tmp/keyrelay-bench.XXXXXX";
    std::string folder = mkdtemp(folderName);
    std::string log = folder + "/typing.log";

    try {
        auto display = keyrelay::X11Display::open();
        keyrelay::X11WindowSystem windows(display);
        keyrelay::XTestKeyInjector keys(display);

        pid_t target = spawn({X11_TEST_WINDOW, "Keyrelay typing benchmark", log});
        ::Window window = None;
        for (int i = 0; i < 30000 && window == None; ++i) {
            std::ifstream in(log);
            for (std::string line; std::getline(in, line);) {
                if (line == "mapped") {
                    window = 1;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (const auto& w : windows.topLevelWindows()) {
            if (w.title == "Keyrelay typing benchmark") {
                window = static_cast<::Window>(w.handle);
            }
        }
        if (window == None || window == 1) {
            std::fprintf(stderr, "the target window did not appear\n");
            return 2;
        }

        std::printf(
            "Typing %zu characters (letters, digits, shifted symbols) into a recording "
            "window, %d round(s)\n",
            text.size(), rounds);
        std::vector<double> ours, theirs;
        bool allExact = true;
        for (int round = 1; round <= rounds; ++round) {
            std::printf("round %d\n", round);

            windows.activate(window);
            std::size_t from = lineCount(log);
            long long start = nowNs();
            keys.sendKeys(text);
            Arrival arrival = awaitText(log, from, text.size());
            Result keyrelay{1e9 * static_cast<double>(text.size()) /
                                static_cast<double>(arrival.lastNs - start),
                            arrival.text == text};
            report("keyrelay standard path", keyrelay);

            windows.activate(window);
            from = lineCount(log);
            start = nowNs();
            pid_t xdotool = spawn({"xdotool", "type", "--delay", "0", "--", text});
            int status = 0;
            waitpid(xdotool, &status, 0);
            arrival = awaitText(log, from, text.size());
            Result xdo{1e9 * static_cast<double>(text.size()) /
                           static_cast<double>(arrival.lastNs - start),
                       arrival.text == text};
            report("xdotool type --delay 0", xdo);
            std::printf("  ratio %.1fx\n", keyrelay.keysPerSecond / xdo.keysPerSecond);

            ours.push_back(keyrelay.keysPerSecond);
            theirs.push_back(xdo.keysPerSecond);
            allExact = allExact && keyrelay.exact;
        }
        std::sort(ours.begin(), ours.end());
        std::sort(theirs.begin(), theirs.end());
        double ourMedian = ours[ours.size() / 2], theirMedian = theirs[theirs.size() / 2];
        std::printf(
            "median: keyrelay %.0f characters/s, xdotool %.0f characters/s, ratio %.1fx; "
            "keyrelay %s\n",
            ourMedian, theirMedian, ourMedian / theirMedian,
            allExact ? "typed every character in order" : "LOST OR REORDERED characters");

        kill(target, SIGTERM);
        waitpid(target, nullptr, 0);
        const bool wineExact = typeIntoWine(windows, keys, text, rounds, folder);
        std::filesystem::remove_all(folder);
        return allExact && wineExact && ourMedian >= 4 * theirMedian ? 0 : 1;
    } catch (const PlatformError& e) {
        std::fprintf(stderr, "Error %ld: %s\n", e.number(), e.description().c_str());
        std::filesystem::remove_all(folder);
        return 2;
    }
}

#include "app/EndSignals.h"

#include <QSocketNotifier>
#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace keyrelay {

#if defined(Q_OS_UNIX)

namespace {

constexpr int Signals[] = {SIGTERM, SIGINT, SIGHUP};
// The pipe's write end, for the handler: a signal handler can reach nothing else.
volatile sig_atomic_t writeEnd = -1;

}  // namespace

void EndSignals::handler(int) {
    // write() is async-signal-safe; a full pipe already holds an end request.
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = saved;
}

EndSignals::EndSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    // Without a pipe (no file descriptors left) the signals keep their default: the program
    // ends at once, as it always did.
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) == 0) {
        writeEnd = pipe_[1];
        notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            char bytes[64];
            while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
            }
            onSignal_();
        });
        struct sigaction action {};
        action.sa_handler = &EndSignals::handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (const int s : Signals) {
            ::sigaction(s, &action, nullptr);
        }
    }
}

EndSignals::~EndSignals() {
    if (notifier_ != nullptr) {
        for (const int s : Signals) {
            ::signal(s, SIG_DFL);
        }
        writeEnd = -1;
        delete notifier_;
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
}

#else

// Elsewhere the console's control events would be the counterpart; the program has none.
void EndSignals::handler(int) {}
EndSignals::EndSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {}
EndSignals::~EndSignals() = default;

#endif

}  // namespace keyrelay

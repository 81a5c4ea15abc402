#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

namespace keyrelay {

// SIGTERM, SIGINT and SIGHUP (a desktop logout, Ctrl+C in the terminal that started the
// program, that terminal closing) end the program in order, as closing its main window
// does, instead of killing it with every edit since the start. The signal handler only
// writes a byte to a pipe; the event loop reads it and calls `onSignal` as any other event.
// One instance per process: signal dispositions belong to the process.
class EndSignals : public QObject {
public:
    explicit EndSignals(std::function<void()> onSignal);
    ~EndSignals() override;
    EndSignals(const EndSignals&) = delete;
    EndSignals& operator=(const EndSignals&) = delete;

private:
    static void handler(int signal);

    std::function<void()> onSignal_;
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace keyrelay

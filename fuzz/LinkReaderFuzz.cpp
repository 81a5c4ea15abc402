// Any bytes from a link peer, cut into arrivals at each 0xFF byte (up to eight; the rest
// is the last one), handled by a server and by a client. The first byte says which of the window's
// actions fail (bit i: the i-th action of the list below), so the failure paths of both roles are
// taken too.
#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>

#include "link/LinkReader.h"
#include "link/LinkTarget.h"
#include "platform/PlatformError.h"

namespace {

using namespace keyrelay;

// Waits take no time and run nothing: the reader's passes follow one another at once.
class InstantClock : public Clock {
public:
    std::int64_t elapsedMs() override { return now_; }
    void waitMs(std::int64_t ms) override { now_ += ms > 0 ? ms : 0; }
    bool waitFor(const std::function<bool()>& done, std::int64_t) override { return done(); }
    void yield() override {}
    TimerId startTimer(std::int64_t, std::function<void()>) override { return 0; }
    void stopTimer(TimerId) override {}
    TimeOfDay localTime() override { return {}; }

private:
    std::int64_t now_ = 0;
};

class Window : public LinkTarget {
public:
    explicit Window(std::uint8_t failing) : failing_(failing) {}
    void sendReply(const QString&) override { act(0); }
    void sendOwnTable() override { act(1); }
    void start() override { act(2); }
    void stop() override { act(3); }
    void markSenderAnswered() override { act(4); }
    void applyCommand(const QString&) override { act(5); }
    void showKeepAlive(bool, const QString&) override { act(6); }
    SweepSettings sweepFields() override { return fields_; }
    void setSweepFields(const SweepSettings& fields) override {
        act(7);
        fields_ = fields;
    }

private:
    void act(int bit) const {
        if ((failing_ >> bit) & 1) {
            throw PlatformError(10053, "connection aborted");
        }
    }
    std::uint8_t failing_;
    SweepSettings fields_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const QByteArrayView bytes(data + 1, qsizetype(size - 1));
    InstantClock clock;
    Window serverWindow(data[0]);
    Window clientWindow(data[0]);
    QString serverBuffer;
    QString clientBuffer;
    LinkReader server(serverBuffer, clock, serverWindow, LinkReader::Role::Server);
    LinkReader client(clientBuffer, clock, clientWindow, LinkReader::Role::Client);
    // Each arrival may run 51 passes over the buffer: more arrivals would only slow the
    // search for new paths.
    constexpr int MaxArrivals = 8;
    int arrivals = 0;
    qsizetype from = 0;
    while (from <= bytes.size()) {
        qsizetype end = bytes.indexOf('\xff', from);
        if (end < 0 || ++arrivals == MaxArrivals) {
            end = bytes.size();
        }
        const QString arrival = QString::fromLatin1(bytes.sliced(from, end - from));
        server.receive(arrival);
        client.receive(arrival);
        from = end + 1;
    }
    return 0;
}

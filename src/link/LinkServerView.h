#pragma once

#include <QString>
#include <functional>

namespace keyrelay {

// What the link server shows in the sweep window and reads from it. The window implements
// it; the server keeps the sockets and the bookkeeping.
class LinkServerView {
public:
    virtual ~LinkServerView() = default;

    // The red server dot `Shape3` is shown (the keep-alive check works only then).
    virtual bool serverDotShown() = 0;
    // The text of `Port`, listened on again after a reset.
    virtual QString portText() = 0;
    // The sweep's running dot `Shape1` is shown: keep-alives say "Y".
    virtual bool sweepRunning() = 0;
    // A connection was accepted: `Label14` shows `count`, `Shape3` and `Label14` are shown
    // and `Connect` reads "Disconnect".
    virtual void showAccepted(int count) = 0;
    // Data arrived from a client: `Shape2` and `Label15` are shown.
    virtual void showDataArrived() = 0;
    // The keep-alive check counted the connected clients (`Label14`).
    virtual void showClientCount(int count) = 0;
    // No client answered: dots hidden, "Connection Lost" shown, `Connect` reads
    // "Connection".
    virtual void showConnectionLost() = 0;
    // A word in `TxtStatus`, and a message box.
    virtual void showStatus(const QString& text) = 0;
    virtual void showMessage(const QString& text) = 0;
    // Runs a handler that waits, keeping the window object alive until it returns.
    virtual void runHandler(const std::function<void()>& handler) = 0;
};

}  // namespace keyrelay

#pragma once

#include <QString>

#include "sweep/SweepSettings.h"

namespace keyrelay {

// What the link reader does to the sweep window and its sockets. The window implements it
// for the role that received the text; tests record the calls. Any call may fail by
// throwing (PlatformError): the server then ends its handling, the client skips the step.
class LinkTarget {
public:
    virtual ~LinkTarget() = default;

    // Sends a short message in one piece to the side the text came from: the sending
    // client's socket `Winsock1`(i) on the server, `Winsock2` on a client.
    virtual void sendReply(const QString& message) = 0;
    // "Send Data" (`Command4_Click`): this instance's table message, in chunks.
    virtual void sendOwnTable() = 0;
    // The sweep's Start (`Command2_Click`) and Stop (`Command3_Click`).
    virtual void start() = 0;
    virtual void stop() = 0;
    // Server: the sending client answered the keep-alive (`KeepAliveAnswered`(i)).
    virtual void markSenderAnswered() = 0;
    // Server: puts the command into `Text1` and sends it to the target program at once
    // (`ForceSend`).
    virtual void applyCommand(const QString& command) = 0;
    // Client: the server's keep-alive; its sweep runs (`Shape1` shown) and the number of
    // clients for `Label15`, as the text that came.
    virtual void showKeepAlive(bool serverSweepRunning, const QString& count) = 0;

    // The table rows and the fields that travel with them (CycleBands, TargetName,
    // PrefixStr, SufixStr, ReturnApp). The reader reads them, changes what the received
    // messages say and hands them back; the other members of the record are not written.
    // Within a row the window empties StartTime, EndTime, IncH, DurSec, StartFreq and
    // EndFreq in this order before filling them.
    virtual SweepSettings sweepFields() = 0;
    virtual void setSweepFields(const SweepSettings& fields) = 0;
};

}  // namespace keyrelay

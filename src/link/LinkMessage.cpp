#include "link/LinkMessage.h"

#include <QTcpSocket>

#include "platform/PlatformError.h"

namespace keyrelay {

namespace {

void appendMessage(QString& out, QStringView tag, const QString& payload) {
    out += tag;
    out += payload;
    out += LinkMessage::Terminator;
}

}  // namespace

QString LinkMessage::composeTable(const SweepSettings& fields) {
    QString out;
    for (int r = 0; r < SweepSettings::Lines; ++r) {
        const SweepSettings::Row& row = fields.rows.at(static_cast<std::size_t>(r));
        const QString digit = QString::number(r);
        const std::pair<QStringView, const QString*> texts[] = {
            {u"&S", &row.StartFreq}, {u"&E", &row.EndFreq},    {u"&I", &row.IncH},
            {u"&D", &row.DurSec},    {u"&ST", &row.StartTime}, {u"&ET", &row.EndTime},
        };
        for (const auto& [tag, text] : texts) {
            if (!text->isEmpty()) {
                appendMessage(out, tag, digit + *text);
            }
        }
        appendMessage(out, u"&IN", digit + QString::number(row.IncCheck) + QLatin1String("IN"));
    }
    appendMessage(out, u"&C", QString::number(fields.CycleBands));
    appendMessage(out, u"&T", fields.TargetName);
    appendMessage(out, u"&P", fields.PrefixStr);
    appendMessage(out, u"&SU", fields.SufixStr);
    if (!fields.ReturnApp.isEmpty()) {
        appendMessage(out, u"&R", fields.ReturnApp);
    }
    return out;
}

QString LinkMessage::keepAlive(bool sweepRunning, int clientCount) {
    QString out;
    appendMessage(out, u"&KA",
                  QLatin1String(sweepRunning ? "Y" : "N") + QString::number(clientCount));
    return out;
}

QString LinkMessage::command(const QString& commandText) {
    QString out;
    appendMessage(out, u"&X", commandText);
    return out;
}

void LinkMessage::sendInChunks(const QString& text, Clock& clock,
                               const std::function<void(const QString&)>& send) {
    // Pieces and pauses as peers have always received them; a text shorter than a piece
    // goes whole, in one send.
    const qsizetype length = text.size() < ChunkLength ? text.size() + 1 : ChunkLength;
    for (qsizetype from = 0; from < text.size(); from += length) {
        clock.waitMs(ChunkPauseMs);
        send(text.mid(from, length));
    }
}

void LinkMessage::write(QTcpSocket* socket, const QString& text) {
    if (socket == nullptr || socket->state() != QAbstractSocket::ConnectedState) {
        throw PlatformError(WrongState, "The socket is not connected");
    }
    const QByteArray bytes = text.toLatin1();
    if (socket->write(bytes) != bytes.size()) {
        throw PlatformError(socket->error(), socket->errorString().toStdString());
    }
    socket->flush();
}

}  // namespace keyrelay

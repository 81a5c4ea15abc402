#include "SkimsimProcess.h"

#include <QFile>

namespace keyrelay::test {

SkimsimProcess::SkimsimProcess(const QStringList& extraArgs) {
    process_.setProgram(QStringLiteral(SKIMSIM_PATH));
    process_.setArguments(QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                                      QStringLiteral("--log"), dir_.filePath("skimsim.log")} +
                          extraArgs);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start();
    if (!process_.waitForStarted(10000)) {
        return;
    }
    // The first line on its output is the port it listens on.
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    if (process_.canReadLine()) {
        port_ = static_cast<quint16>(process_.readLine().trimmed().toUInt());
    }
}

SkimsimProcess::~SkimsimProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

void SkimsimProcess::command(const QString& line) {
    process_.write(line.toLatin1() + "\n");
    process_.waitForBytesWritten(10000);
}

QString SkimsimProcess::log() const {
    QFile file(dir_.filePath("skimsim.log"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLatin1(file.readAll());
}

QStringList SkimsimProcess::received() const {
    QStringList lines;
    const QString marker = QStringLiteral(" < ");
    for (const QString& line : log().split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(marker);
        if (at >= 0) {
            // The log shows a received CR as a backslash and an "r".
            lines.append(line.mid(at + marker.size()).replace(u"\\r"_qs, u"\r"_qs));
        }
    }
    return lines;
}

}  // namespace keyrelay::test

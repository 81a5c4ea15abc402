#include "SkimsimProcess.h"

#include <QFile>

namespace keyrelay::test {

SkimsimProcess::SkimsimProcess(const QStringList& extraArgs) {
    const QStringList args{u"--port"_qs, u"0"_qs, u"--log"_qs, dir_.filePath(u"skimsim.log"_qs)};
    process_.start(QStringLiteral(SKIMSIM_PATH), args + extraArgs);
    // The first line on its output is the port it listens on.
    while (process_.waitForStarted(10000) && !process_.canReadLine() &&
           process_.waitForReadyRead(10000)) {
    }
    port_ = static_cast<quint16>(process_.readLine().trimmed().toUInt());
}

SkimsimProcess::~SkimsimProcess() {
    process_.kill();
    process_.waitForFinished(10000);
}

void SkimsimProcess::command(const QString& line) {
    process_.write(line.toLatin1() + "\n");
    process_.waitForBytesWritten(10000);
}

QString SkimsimProcess::log() const {
    QFile file(dir_.filePath(u"skimsim.log"_qs));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

QStringList SkimsimProcess::received() const {
    QStringList lines;
    for (const QString& line : log().split(u'\n')) {
        const qsizetype at = line.indexOf(u" < "_qs);
        if (at >= 0) {
            // The log shows a received CR as a backslash and an "r".
            lines.append(line.mid(at + 3).replace(u"\\r"_qs, u"\r"_qs));
        }
    }
    return lines;
}

}  // namespace keyrelay::test

#include "core/LineFile.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

namespace keyrelay {

std::optional<QStringList> LineFile::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }

    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        lines << QString::fromLatin1(bytes.constData() + start, i - start);
        if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        lines << QString::fromLatin1(bytes.constData() + start, size - start);
    }
    return lines;
}

bool LineFile::write(const QString& path, const QStringList& lines, QString* error) {
    QByteArray bytes;
    for (const QString& line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (c.unicode() < 0x100) {
                bytes.append(static_cast<char>(c.unicode()));
                continue;
            }
            // One "?" per character, also for one written as a surrogate pair.
            if (c.isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate()) {
                ++i;
            }
            bytes.append('?');
        }
        bytes.append("\r\n");
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error) {
            *error = file.errorString();
        }
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

}  // namespace keyrelay

#include "core/LineFile.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include "core/SettingsText.h"

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
    return linesOf(bytes);
}

QStringList LineFile::linesOf(QByteArrayView bytes) {
    const QString text = SettingsText::decode(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            continue;
        }
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        lines << text.mid(start);
    }
    return lines;
}

bool LineFile::write(const QString& path, const QStringList& lines, QString* error) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += u"\r\n";
    }
    const QByteArray bytes = SettingsText::encode(text);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    // The bytes may only have reached the file's buffer: a full disk shows at the flush,
    // and QSaveFile's commit would not notice a failed flush of its own and would put the
    // short file in place of the good one.
    if (file.write(bytes) != bytes.size() || !file.flush() ||
        file.error() != QFileDevice::NoError) {
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

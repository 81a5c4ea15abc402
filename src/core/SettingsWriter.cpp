#include "core/SettingsWriter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include "core/LineFile.h"
#include "core/ProgramState.h"
#include "platform/Dialogs.h"

namespace keyrelay {

QByteArray SettingsWriter::contentOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QFileInfo::exists(path) ? QByteArrayLiteral("unreadable") : QByteArray();
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void SettingsWriter::remember(const QString& path) {
    path_ = QFileInfo(path).absoluteFilePath();
    content_ = contentOf(path);
}

bool SettingsWriter::write(const QString& path, const QStringList& lines, Dialogs& dialogs,
                           QString* error) {
    if (error != nullptr) {
        error->clear();
    }
    // A file this copy never read (a new name from the save dialog, which asked already)
    // is no other copy's work, and neither is one that is gone: there is nothing to lose.
    const QByteArray now = contentOf(path);
    if (QFileInfo(path).absoluteFilePath() == path_ && !now.isEmpty() && now != content_) {
        const QString question =
            QStringLiteral(
                "%1 was changed by another copy of Keyrelay since this copy read "
                "it.\nReplace it with this copy's settings?")
                .arg(path);
        if (!dialogs.askYesNo(question.toStdString())) {
            return false;
        }
    }
    if (!LineFile::write(path, lines, error)) {
        return false;
    }
    remember(path);
    return true;
}

bool SettingsWriter::writeAtClose(const QString& path, const QStringList& lines, Dialogs& dialogs,
                                  ProgramState& state) {
    QString error;
    if (write(path, lines, dialogs, &error)) {
        return true;
    }
    if (!error.isEmpty()) {
        dialogs.message(failureText(path, error).toStdString());
        state.SettingsNotSaved = true;
    }
    return false;
}

QString SettingsWriter::failureText(const QString& path, const QString& reason) {
    return QStringLiteral("Could not save %1: %2\nThe file on disk is left as it was.")
        .arg(path, reason);
}

}  // namespace keyrelay

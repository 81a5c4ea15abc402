#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

namespace keyrelay {

// The settings files: one value per line, lines ended by CR LF, the text in Windows-1252 or
// UTF-8 as SettingsText decides for the whole file.
class LineFile {
public:
    // The lines of the file at `path`. A line ends at CR LF, LF or CR; a missing final
    // line end is accepted, and a final line end does not start an empty line. Nothing
    // when the file cannot be opened or read.
    static std::optional<QStringList> read(const QString& path);
    // The lines of a file's bytes, as read() gives them.
    static QStringList linesOf(QByteArrayView bytes);

    // Replaces the file at `path` with `lines`, each followed by CR LF. Atomic: the old
    // file stays whole until the new one is complete, so a failure (read-only folder, full
    // disk) never leaves a half-written file. Returns false on failure, with the reason in
    // *error when given.
    static bool write(const QString& path, const QStringList& lines, QString* error = nullptr);
};

}  // namespace keyrelay

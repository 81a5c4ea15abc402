#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/FileNames.h"
#include "core/LineFile.h"

namespace keyrelay {

// What every settings file has in common: a value read from and written as lines of a
// LineFile (Windows-1252 or UTF-8 text, CR LF), replaced atomically, failures reported
// as false with the reason in *error. A format class derives from SettingsFile<Format,
// Value> and gives:
//   static constexpr const char* FileName;                 its name in the settings folder
//   static void apply(const QStringList& lines, Value&);  overlay the lines, in file order
//   static QStringList lines(const Value&);               the lines to write
template <class Format, class Value>
class SettingsFile {
public:
    // Reads the file at `path` into `value`. False when there is no such file (then
    // *error is empty) or it cannot be read (then *error says why); `value` is unchanged.
    static bool load(const QString& path, Value& value, QString* error = nullptr) {
        if (error != nullptr) {
            error->clear();
        }
        const QFileInfo info(path);
        if (path.isEmpty() || !info.exists() || info.isDir()) {
            return false;
        }
        const std::optional<QStringList> content = LineFile::read(path);
        if (!content) {
            if (error != nullptr) {
                *error = QStringLiteral("%1 cannot be read").arg(path);
            }
            return false;
        }
        Format::apply(*content, value);
        return true;
    }

    // Replaces the file at `path` with the lines of `value`. False on failure, with the
    // reason in *error; the old file then stays whole.
    static bool save(const QString& path, const Value& value, QString* error = nullptr) {
        if (path.isEmpty()) {
            if (error != nullptr) {
                *error = QStringLiteral("no file name");
            }
            return false;
        }
        return LineFile::write(path, Format::lines(value), error);
    }

    // The file's path in `folder` (empty: the working folder): an existing file whose name
    // differs only in letter case is the one meant.
    static QString pathIn(const QString& folder) {
        const QString name = QString::fromLatin1(Format::FileName);
        const QString found = FileNames::findIgnoringCase(folder, name);
        if (!found.isEmpty()) {
            return found;
        }
        return folder.isEmpty() ? name : QDir(folder).filePath(name);
    }
};

}  // namespace keyrelay

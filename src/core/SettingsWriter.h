#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace keyrelay {

class Dialogs;
struct ProgramState;

// Writes one window's settings file. Two copies of the program started in one folder share
// their settings files, so it remembers what the file held when this copy read or last
// wrote it: a file another copy has changed since is replaced only when the user says so.
// The write itself is atomic (LineFile::write): a failed write leaves the old file whole.
class SettingsWriter {
public:
    // Remembers what the file at `path` holds now (right after reading it, or finding
    // none there).
    void remember(const QString& path);

    // Replaces the file at `path` with `lines`. When another copy changed the file since it
    // was remembered, asks first; No keeps the other copy's file and returns false with
    // *error empty. A write that fails returns false with the reason in *error.
    bool write(const QString& path, const QStringList& lines, Dialogs& dialogs, QString* error);

    // write() at the end of a window's life: a failure is told (a message box, or standard
    // error when there is no one to read it), and the program's exit status will say that
    // settings were lost (ProgramState::SettingsNotSaved).
    bool writeAtClose(const QString& path, const QStringList& lines, Dialogs& dialogs,
                      ProgramState& state);

    // What the user reads when a settings file could not be written.
    static QString failureText(const QString& path, const QString& reason);

private:
    // What a file holds, as a digest; empty when there is no file.
    static QByteArray contentOf(const QString& path);

    QString path_;  // empty: nothing remembered
    QByteArray content_;
};

}  // namespace keyrelay

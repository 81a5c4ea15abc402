#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace keyrelay::e2e {

// Polls `done` until it holds or `seconds` of real time have passed (only a deadline for a
// failing run: nothing is asserted about how long it takes).
bool eventually(const std::function<bool()>& done, int seconds);
// Runs a helper program (xdotool) to its end and returns its output.
QString run(const QString& program, const QStringList& arguments);
// The first visible window titled exactly `title` other than `except`; 0 when there is none.
unsigned long findWindow(const QString& title, unsigned long except = 0);
// Asks a top-level window to close as the window manager's close button does.
void askToClose(unsigned long window);

// The real keyrelay binary in a temporary working folder on the test display, and the
// recorder: an xterm whose shell writes what is typed into it to "typed.txt".
class EndToEnd : public ::testing::Test {
protected:
    void TearDown() override;

    QString path(const QString& name) const { return dir.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes);
    // Writes "recorder.sh", which starts the recorder titled `title` (keeping its process id
    // for the end of the test), and returns its path.
    QString recorderScript(const QString& title);
    // The whole lines typed into the recorder so far.
    QStringList typedLines() const;
    // The lines of a file the program wrote (CR LF ends).
    QStringList savedLines(const QString& name) const;
    // Starts the program with `arguments` and waits for its main window.
    unsigned long startProgram(const QStringList& arguments = {});
    // Closes the main window; true when the program then ends normally with status 0.
    bool closeProgram();
    bool endsWithStatus0();

    QTemporaryDir dir;
    QProcess program;
    unsigned long mainWindow = 0;
};

}  // namespace keyrelay::e2e

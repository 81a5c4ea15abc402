#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

namespace keyrelay::e2e {

// Polls `done` until it holds or `seconds` of real time have passed (only a deadline for a
// failing run: nothing is asserted about how long it takes).
bool eventually(const std::function<bool()>& done, int seconds);
// Runs a helper program (xdotool) to its end and returns its output.
QString run(const QString& program, const QStringList& arguments);
// The first visible window titled exactly `title` other than `except` (of process `pid`
// when given); 0 when there is none.
unsigned long findWindow(const QString& title, unsigned long except = 0, qint64 pid = 0);
// Asks a top-level window to close as the window manager's close button does.
void askToClose(unsigned long window);

// What a user does with the mouse and keyboard, and sees, in a window of another program.
// Points are in the window's own pixels.
namespace user {
void click(unsigned long window, QPoint at);
// Where item `index` of a menu bar with these captions lies, in this toolkit's style and
// fonts (the program's, on the same display).
QPoint menuItem(const QStringList& captions, int index);
// A point given in twips (as the program lays out its controls) below the menu bar.
QPoint belowMenu(int leftTwips, int topTwips);
// The text of the field at `at`, as copying it to the clipboard gives it.
QString copyField(unsigned long window, QPoint at);
// The pixel at `at` is mostly red (a dot that shows a running state).
bool redAt(unsigned long window, QPoint at);
}  // namespace user

// One copy of the real keyrelay binary in its own temporary working folder.
class ProgramCopy {
public:
    QString path(const QString& name) const { return dir.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes);
    // The lines of a file the program wrote (CR LF ends).
    QStringList savedLines(const QString& name) const;
    // Starts the program with `arguments` and waits for its main window.
    unsigned long startProgram(const QStringList& arguments = {});
    // Closes the main window; true when the program then ends normally with status 0.
    bool closeProgram();
    bool endsWithStatus0();
    // A visible window of this copy, once it is there (0 after 20 s).
    unsigned long waitForWindow(const QString& title);

    QTemporaryDir dir;
    QProcess program;
    unsigned long mainWindow = 0;
};

// The program on the test display, and the recorder: an xterm whose shell writes what is
// typed into it to "typed.txt".
class EndToEnd : public ::testing::Test, public ProgramCopy {
protected:
    void TearDown() override;

    // Writes "recorder.sh", which starts the recorder titled `title` (keeping its process id
    // for the end of the test), and returns its path.
    QString recorderScript(const QString& title);
    // The whole lines typed into the recorder so far.
    QStringList typedLines() const;
    // Starts skimsim, which logs to "skimsim.log", and returns its port.
    QString startSkimsim();
    // The lines skimsim logged as received ("\r" for a carriage return).
    QStringList skimsimReceived() const;

    QProcess skimsim;
};

// The program with Windows targets: keyrelay_wintarget windows under Wine that log what they
// receive (tools/wintarget). scripts/with-wine sets Wine up around ctest; without it the
// test is skipped, or fails when KEYRELAY_REQUIRE_WINE=1.
class WineEndToEnd : public EndToEnd {
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts a target titled `title` (minimised through Wine's "start /min" when asked),
    // logging to "<title>.log", and waits for its window.
    unsigned long startTarget(const QString& title, bool minimised = false);
    // What target `title` received, in order: the characters ("<0D>" for a control character,
    // "%x" for one typed with Alt), "{25}" for a key down of a key that types nothing
    // (navigation and function keys, after "+", "^", "%" for the modifiers held) and the
    // dialog's events ("[open]", "[text 14025.0]", "[closed]").
    QString received(const QString& title) const;

    std::vector<std::unique_ptr<QProcess>> targets;
    std::vector<unsigned long> targetWindows;
};

}  // namespace keyrelay::e2e

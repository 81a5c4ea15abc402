#pragma once

#include <QString>

#include "core/SettingsWriter.h"
#include "ui/ProgramWindow.h"

class QPlainTextEdit;
class QPushButton;

namespace keyrelay {

class WindowRegistry;

// "Read Only Terminal": shows the text that arrives from the decoder's telnet server, so
// the user can watch the login, the spots and the click reports. Nothing typed into it is
// sent. Its place and size are remembered in "TerminalF.txt" (twips: top, left, outer
// height, outer width), read when it loads and written when it closes.
class TerminalF : public ProgramWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "TerminalF";
    // The first client size, in twips.
    static constexpr int DesignWidth = 6840;
    static constexpr int DesignHeight = 3945;

    explicit TerminalF(AppContext& context);

    // The sweep window's "Terminal" item: loads the window when it is not loaded and
    // shows it.
    static TerminalF& open(WindowRegistry& windows);
    // Appends a received chunk when the window is open; text that arrives while it is
    // closed is not kept.
    static void showIfOpen(WindowRegistry& windows, const QString& chunk);

    // Appends one received chunk (see TerminalText::appended) and scrolls to the end.
    void appendChunk(const QString& chunk);
    // The text as received, line ends included (what the 2000-character rule counts).
    const QString& text() const { return text_; }

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void closingWork() override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void loadGeometry();
    void arrange();
    // Outer (frame) size in twips, and setting it.
    int outerWidthTwips() const;
    int outerHeightTwips() const;
    void setOuterSize(int widthTwips, int heightTwips);
    void applyPendingOuterSize();

    QString text_;
    // The outer size (twips, 0 = none) the file asked for before the window manager framed
    // the window: applied again once the frame is known, so that the window does not grow
    // by its frame at every load.
    int pendingOuterWidth_ = 0;
    int pendingOuterHeight_ = 0;
    SettingsWriter geometryWriter_;
};

}  // namespace keyrelay

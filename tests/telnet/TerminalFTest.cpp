#include "telnet/TerminalF.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "core/QtClock.h"
#include "support/TestProgram.h"
#include "telnet/TerminalText.h"
#include "ui/Twips.h"

namespace keyrelay {
namespace {

// Under a real window manager, which frames the window only once it is shown: the design size
// without "TerminalF.txt", then the place and outer size it was closed with, load after load.
// Received text shows, newest in view, only while the window is open.
TEST(TerminalF, ShowsTextWhileOpenAndKeepsItsPlaceAndSizeUnderAWindowManager) {
    test::TestProgram p;
    TerminalF::showIfOpen(p.windows, u"lost"_qs);
    QtClock clock;
    const QSize outer(Twips::toPixels(7800), Twips::toPixels(5100));
    std::optional<QStringList> first;
    for (int round = 0; round < 3; ++round) {
        TerminalF& terminal = TerminalF::open(p.windows);
        ASSERT_TRUE(
            clock.waitFor([&] { return terminal.frameGeometry() != terminal.geometry(); }, 10000))
            << "the window manager did not frame the window";
        clock.waitMs(200);  // let the frame settle
        if (round == 0) {
            EXPECT_EQ(terminal.size(), QSize(Twips::toPixels(TerminalF::DesignWidth),
                                             Twips::toPixels(TerminalF::DesignHeight)));
            terminal.resize(outer - (terminal.frameGeometry().size() - terminal.size()));
            clock.waitFor([&] { return terminal.frameGeometry().size() == outer; }, 10000);
        }
        EXPECT_EQ(terminal.frameGeometry().size(), outer) << "round " << round;
        EXPECT_EQ(terminal.text(), QString());
        for (int i = 0; i < 200; ++i) {
            TerminalF::showIfOpen(p.windows, u"DX de K1ABC\r\n"_qs);
        }
        EXPECT_EQ(terminal.Text1->toPlainText(), TerminalText::shown(terminal.text()));
        EXPECT_TRUE(terminal.Text1->textCursor().atEnd());
        terminal.Command1->click();
        const std::optional<QStringList> saved = LineFile::read(p.path(u"TerminalF.txt"_qs));
        EXPECT_EQ(saved, round == 0 ? saved : first) << "round " << round;
        first = saved;
    }
    // Absurd values give the design size on the screen, not a window of 32767 pixels.
    p.writeLines(u"TerminalF.txt"_qs, QStringList(4, u" 1000000000 "_qs));
    TerminalF& terminal = TerminalF::open(p.windows);
    clock.waitFor([&] { return terminal.frameGeometry() != terminal.geometry(); }, 10000);
    clock.waitMs(200);
    EXPECT_EQ(terminal.frameGeometry().size(), QSize(Twips::toPixels(TerminalF::DesignWidth),
                                                     Twips::toPixels(TerminalF::DesignHeight)));
    EXPECT_TRUE(terminal.screen()->availableGeometry().contains(terminal.frameGeometry()));
}

}  // namespace
}  // namespace keyrelay

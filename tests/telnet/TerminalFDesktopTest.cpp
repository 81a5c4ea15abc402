#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/QtClock.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"
#include "support/TestProgram.h"
#include "telnet/TerminalF.h"
#include "ui/AppContext.h"
#include "ui/Twips.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {
namespace {

// Under a real window manager the frame is only known after the window is shown: the
// remembered outer size must still come back unchanged, load after load.
TEST(TerminalFDesktop, RememberedGeometrySurvivesReopeningUnderAWindowManager) {
    test::TestProgram program;
    const QTemporaryDir& dir = program.folder;
    WindowRegistry& windows = program.windows;
    QtClock clock;

    const QString path = dir.filePath(QStringLiteral("TerminalF.txt"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(" 1500 \r\n 1800 \r\n 5100 \r\n 7800 \r\n");
    }
    QByteArray first;
    for (int round = 0; round < 3; ++round) {
        TerminalF& terminal = TerminalF::open(windows);
        ASSERT_TRUE(clock.waitFor(
            [&] { return terminal.isVisible() && terminal.frameGeometry() != terminal.geometry(); },
            10000))
            << "the window manager did not frame the window";
        clock.waitMs(200);  // let the frame settle
        EXPECT_EQ(terminal.frameGeometry().size(),
                  QSize(Twips::toPixels(7800), Twips::toPixels(5100)))
            << "round " << round;
        terminal.close();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        if (round == 0) {
            first = content;
        } else {
            EXPECT_EQ(content, first) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace keyrelay

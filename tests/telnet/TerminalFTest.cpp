#include "telnet/TerminalF.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextCursor>

#include "app/ProgramActions.h"
#include "delivery/BusyMarker.h"
#include "delivery/Delivery.h"
#include "fakes/FakePlatform.h"
#include "ui/AppContext.h"
#include "ui/Twips.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {
namespace {

int px(int twips) {
    return Twips::toPixels(twips);
}

class TerminalFTest : public ::testing::Test {
protected:
    TerminalFTest() { windows.setContext(context); }
    ~TerminalFTest() override { windows.unload(TerminalF::Name); }

    void writeFile(const QString& name, const QByteArray& content) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray fileContent(const QString& name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    int screenBottomTwips() {
        const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
        return Twips::fromPixels(desktop.y() + desktop.height());
    }

    QTemporaryDir dir;
    ProgramState state;
    FakePlatform fake;
    Delivery delivery{fake.platform()};
    BusyMarker marker{state};
    WindowRegistry windows;
    ProgramActions actions{windows};
    AppContext context{state,   fake.platform(), delivery,   marker,
                       windows, actions,         dir.path(), [] {}};
};

TEST_F(TerminalFTest, ChunksAreAddedByTheTwoThousandCharacterRule) {
    TerminalF& terminal = TerminalF::open(windows);
    terminal.appendChunk(QString(1998, QLatin1Char('.')));  // and a line feed: 1999
    terminal.appendChunk(u"DX de 0123"_qs);                 // 1999 + 10 chars: added whole
    EXPECT_EQ(terminal.text().size(), 1999 + 11);
    terminal.appendChunk(u"Clicked 12"_qs);  // over the limit: 9 go, 11 come
    EXPECT_EQ(terminal.text().size(), 1999 + 13);
    EXPECT_TRUE(terminal.text().endsWith(u"DX de 0123\nClicked 12\n"_qs));
    terminal.appendChunk(u"x"_qs);  // one character over the limit removes nothing
    EXPECT_EQ(terminal.text().size(), 1999 + 15);

    EXPECT_TRUE(terminal.Text1->toPlainText().endsWith(u"DX de 0123\nClicked 12\nx\n"_qs));
    // The newest text in view: the caret stands after the last character.
    EXPECT_TRUE(terminal.Text1->textCursor().atEnd());
    EXPECT_TRUE(terminal.Text1->isReadOnly());
}

TEST_F(TerminalFTest, TextArrivingWhileClosedIsNotKept) {
    TerminalF::showIfOpen(windows, u"lost"_qs);
    EXPECT_FALSE(windows.isLoaded(TerminalF::Name));
    TerminalF& terminal = TerminalF::open(windows);
    TerminalF::showIfOpen(windows, u"DX de K1ABC"_qs);
    EXPECT_EQ(terminal.text(), u"DX de K1ABC\n"_qs);
    terminal.Command1->click();
    EXPECT_FALSE(windows.isLoaded(TerminalF::Name));
    EXPECT_EQ(TerminalF::open(windows).text(), QString());
}

TEST_F(TerminalFTest, WithoutAFileTheDesignSizeIsUsedAndTheControlsFollowIt) {
    TerminalF& terminal = TerminalF::open(windows);
    EXPECT_EQ(terminal.size(), QSize(px(6840), px(3945)));
    const int w = Twips::fromPixels(terminal.frameGeometry().width());
    const int h = Twips::fromPixels(terminal.frameGeometry().height());
    EXPECT_EQ(terminal.Text1->width(), px(w - 300));
    EXPECT_EQ(terminal.Text1->height(), px(h - 915));
    EXPECT_EQ(terminal.Command1->y(), px(h - 840));
    EXPECT_EQ(terminal.Command1->x(), px(w - 1395));
    EXPECT_EQ(terminal.Command1->text(), u"Close"_qs);
    EXPECT_EQ(terminal.windowTitle(), u"Read Only Terminal"_qs);
}

TEST_F(TerminalFTest, ATwoLineFileMovesTheWindowAndKeepsTheDesignSize) {
    writeFile(u"TerminalF.txt"_qs, " 1500 \r\n 3000 \r\n");
    TerminalF& terminal = TerminalF::open(windows);
    EXPECT_EQ(terminal.frameGeometry().topLeft(), QPoint(px(3000), px(1500)));
    EXPECT_EQ(terminal.size(), QSize(px(6840), px(3945)));
}

TEST_F(TerminalFTest, AFourLineFileSetsPlaceAndOuterSizeWhateverTheNameCase) {
    writeFile(u"terminalf.txt"_qs, " 600 \r\n 900 \r\n 6000 \r\n 9000 \r\n");
    TerminalF& terminal = TerminalF::open(windows);
    EXPECT_EQ(terminal.frameGeometry(), QRect(px(900), px(600), px(9000), px(6000)));
    EXPECT_EQ(terminal.Text1->height(), px(6000 - 915));
    EXPECT_EQ(terminal.Command1->x(), px(9000 - 1395));
}

TEST_F(TerminalFTest, ClosingRemembersPlaceAndSize) {
    writeFile(u"TerminalF.txt"_qs, " 600 \r\n 900 \r\n");
    TerminalF& terminal = TerminalF::open(windows);
    terminal.move(px(1200), px(1800));
    terminal.resize(px(7200), px(4500));
    const QRect frame = terminal.frameGeometry();
    terminal.close();
    const QByteArray expected = QStringLiteral(" %1 \r\n %2 \r\n %3 \r\n %4 \r\n")
                                    .arg(Twips::fromPixels(frame.y()))
                                    .arg(Twips::fromPixels(frame.x()))
                                    .arg(Twips::fromPixels(frame.height()))
                                    .arg(Twips::fromPixels(frame.width()))
                                    .toLatin1();
    EXPECT_EQ(fileContent(u"TerminalF.txt"_qs), expected);
    // And the next load puts it back there.
    TerminalF& again = TerminalF::open(windows);
    EXPECT_EQ(again.frameGeometry(), frame);
}

TEST_F(TerminalFTest, AWindowNearTheBottomOfTheScreenIsNotRemembered) {
    struct Case {
        int aboveBottom;  // twips between the window's top and the screen's bottom
        bool saved;
    };
    for (const Case c : {Case{300, false}, Case{0, false}, Case{-600, false}, Case{900, true}}) {
        const QByteArray old = " 100 \r\n 200 \r\n";
        writeFile(u"TerminalF.txt"_qs, old);
        TerminalF& terminal = TerminalF::open(windows);
        const int top = px(screenBottomTwips() - c.aboveBottom);
        terminal.move(terminal.x(), top);
        ASSERT_EQ(terminal.frameGeometry().y(), top);
        terminal.close();
        if (c.saved) {
            EXPECT_TRUE(
                fileContent(u"TerminalF.txt"_qs)
                    .startsWith(QStringLiteral(" %1 \r\n").arg(Twips::fromPixels(top)).toLatin1()))
                << c.aboveBottom;
        } else {
            EXPECT_EQ(fileContent(u"TerminalF.txt"_qs), old) << c.aboveBottom;
        }
    }
}

}  // namespace
}  // namespace keyrelay

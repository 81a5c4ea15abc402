#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "telnet/TelnetChunk.h"
#include "telnet/TerminalGeometry.h"
#include "telnet/TerminalText.h"

namespace keyrelay {
namespace {

TEST(TelnetChunk, FirstRuleThatMatchesAnywhereInTheChunkWins) {
    using Kind = TelnetChunk::Kind;
    using Case = std::pair<const char*, Kind>;
    for (const auto& [chunk, kind] :
         {Case{"Please enter your CallSign: ", Kind::LoginPrompt},
          Case{"DX de SKIM-#: 14025.0\r\ncallsign:", Kind::LoginPrompt},
          Case{"DX de SKIM-#: 14025.0\r\nClicked on", Kind::Spot}, Case{"dx de", Kind::Spot},
          Case{"xx DX ", Kind::Spot}, Case{"DXde SKIM", Kind::Other}, Case{"DX\r\nde", Kind::Other},
          Case{"Clicked on \"\" at 14025.3", Kind::ClickReport}, Case{"cLiCkEd", Kind::ClickReport},
          Case{"CLICK", Kind::Other}, Case{"Hello NOCALL", Kind::Other}, Case{"", Kind::Other},
          // Judged alone: a marker split across two arrivals is in neither
          Case{"Please enter your CALL", Kind::Other}, Case{"SIGN: ", Kind::Other}}) {
        EXPECT_EQ(TelnetChunk::classify(QString::fromLatin1(chunk)), kind) << chunk;
    }
}

// Below 2000 characters a chunk is added whole; from there on the first (chunk length - 1)
// characters go. Each chunk ends with a line feed.
TEST(TerminalText, KeepsTheTextNearTwoThousandCharacters) {
    using Case = std::tuple<int, int, int>;  // old length, chunk length, characters removed
    for (const auto& [old, length, removed] :
         {Case{0, 5, 0}, Case{1999, 10, 0}, Case{2000, 3, 2}, Case{2010, 10, 9}, Case{2000, 1, 0},
          Case{2100, 0, 0}, Case{2000, 3000, 2000}}) {
        const QString text = QString(old / 2, u'a') + QString(old - old / 2, u'b');
        const QString chunk(length, u'x');
        EXPECT_EQ(TerminalText::appended(text, chunk), text.mid(removed) + chunk + u'\n') << old;
    }
}

TEST(TerminalText, ShownEndsEachReceivedLineOnce) {
    using Case = std::pair<QString, QString>;
    for (const auto& [text, shown] :
         {Case{u"DX de A\r\n\n"_qs, u"DX de A\n"_qs},
          Case{u"DX de A\r\nDX de B\r\n\nClicked\r\n\n"_qs, u"DX de A\nDX de B\nClicked\n"_qs},
          Case{u"a\r\n\r\n\n"_qs, u"a\n\n"_qs}, Case{u"a\rb\n"_qs, u"a\nb\n"_qs},
          Case{u"a\n\nb"_qs, u"a\n\nb"_qs}}) {
        EXPECT_EQ(TerminalText::shown(text), shown) << text.toStdString();
    }
}

// A terminal left at the bottom of the screen (or below it) is not remembered, so the
// file keeps a place from which it can be brought back.
TEST(TerminalGeometry, OnlyAPlaceAboveTheBottomMarginIsRemembered) {
    EXPECT_TRUE(TerminalGeometry::worthSaving(15359 - 500 - 1, 15359));
    EXPECT_FALSE(TerminalGeometry::worthSaving(15359 - 500, 15359));
    EXPECT_FALSE(TerminalGeometry::worthSaving(20000, 15359));
}

// Hand-edited or foreign values give a usable window in the free area (twips; 1024x768
// pixels at 15 twips each, the design size 6840x3945), never a huge, tiny or lost one.
TEST(TerminalGeometry, AbsurdValuesGiveTheDesignSizeInTheMiddleOfTheFreeArea) {
    using Case = std::pair<QList<double>, QList<double>>;
    for (const auto& [read, kept] :
         {Case{{1e9, 1e9, 1e9, 1e9}, {3787.5, 4260, 3945, 6840}},
          Case{{0, 0, 0, 0}, {0, 0, 3945, 6840}},
          Case{{-5000, -20000, -1, -1}, {3787.5, 4260, 3945, 6840}},
          Case{{11020, 15000, 4000, 7000}, {3760, 4180, 4000, 7000}},  // only the place moves
          Case{{100, -2000, 4000, 7000}, {100, -2000, 4000, 7000}},    // partly off: reachable
          Case{{1e9}, {3787.5}}, Case{{}, {}}}) {
        EXPECT_EQ(
            TerminalGeometry::keptOnScreen(read, QRect(0, 0, 15360, 11520), QSize(6840, 3945)),
            kept);
    }
}

// A number beyond any window, from a file edited by hand, is saved as the nearest one a
// window can have (its conversion to a whole number was undefined).
TEST(TerminalGeometry, SavesEveryNumberItReadsAsAWholeNumber) {
    QList<double> values;
    TerminalGeometry::apply({"1D200", "-1e300", " 1200.6 ", "&H10"}, values);
    EXPECT_EQ(TerminalGeometry::lines(values),
              (QStringList{" 2147483647 ", "-2147483648 ", " 1200 ", " 16 "}));
}

}  // namespace
}  // namespace keyrelay

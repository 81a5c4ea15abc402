#include "telnet/TerminalText.h"

#include <gtest/gtest.h>

#include <QString>

namespace keyrelay {
namespace {

QString filler(qsizetype length) {
    QString text;
    for (qsizetype i = 0; i < length; ++i) {
        text += QChar(static_cast<char16_t>(u'a' + i % 26));
    }
    return text;
}

TEST(TerminalText, BelowTheLimitAChunkIsAddedWholeWithALineFeed) {
    EXPECT_EQ(TerminalText::appended(QString(), u"DX de"_qs), u"DX de\n"_qs);
    const QString old = filler(1999);
    const QString after = TerminalText::appended(old, u"0123456789"_qs);
    EXPECT_EQ(after.size(), 1999 + 11);
    EXPECT_EQ(after, old + u"0123456789\n"_qs);
}

TEST(TerminalText, PastTheLimitTheFirstChunkLengthLessOneCharactersGo) {
    const QString first = TerminalText::appended(filler(1999), u"0123456789"_qs);
    const QString second = TerminalText::appended(first, u"abcdefghij"_qs);
    EXPECT_EQ(second.size(), 1999 + 13);
    EXPECT_EQ(second, first.mid(9) + u"abcdefghij\n"_qs);
}

TEST(TerminalText, OneCharacterOverTheLimitRemovesNothing) {
    const QString old = filler(2000);
    EXPECT_EQ(TerminalText::appended(old, u"x"_qs), old + u"x\n"_qs);
}

TEST(TerminalText, AtExactlyTheLimitTheRuleApplies) {
    const QString old = filler(2000);
    EXPECT_EQ(TerminalText::appended(old, u"xyz"_qs), old.mid(2) + u"xyz\n"_qs);
}

TEST(TerminalText, AnEmptyChunkRemovesNothing) {
    const QString old = filler(2100);
    EXPECT_EQ(TerminalText::appended(old, QString()), old + u"\n"_qs);
}

TEST(TerminalText, AChunkLongerThanTheTextLeavesTheChunk) {
    const QString chunk = filler(3000);
    EXPECT_EQ(TerminalText::appended(filler(2000), chunk), chunk + u"\n"_qs);
}

TEST(TerminalText, ShownEndsEachReceivedLineOnce) {
    struct Case {
        QString text;
        QString shown;
    };
    const Case cases[] = {
        {u"DX de A\r\n\n"_qs, u"DX de A\n"_qs},
        {u"DX de A\r\nDX de B\r\n\nClicked\r\n\n"_qs, u"DX de A\nDX de B\nClicked\n"_qs},
        {u"Please enter your callsign: \n"_qs, u"Please enter your callsign: \n"_qs},
        {u"a\r\n\r\n\n"_qs, u"a\n\n"_qs},
        {u"a\rb\n"_qs, u"a\nb\n"_qs},
        {u"a\n\nb"_qs, u"a\n\nb"_qs},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TerminalText::shown(c.text), c.shown) << c.text.toStdString();
    }
}

}  // namespace
}  // namespace keyrelay

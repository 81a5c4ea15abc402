#include "launcher/LaunchRules.h"

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages for texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace keyrelay {
namespace {

TEST(LaunchRules, SplitsThePathAtItsLastSeparatorOfEitherKind) {
    struct Case {
        const char* path;
        bool separator;
        const char* folder;
        const char* file;
    };
    const Case cases[] = {
        {"C:\\Program Files\\Afreet\\CwSkimmer.exe", true, "C:/Program Files/Afreet/",
         "CwSkimmer.exe"},
        {"/opt/hdsdr/HDSDR.exe", true, "/opt/hdsdr/", "HDSDR.exe"},
        {"/home/op/a\\b/c\\prog", true, "/home/op/a/b/c/", "prog"},
        {"C:/mixed\\sep/x.exe", true, "C:/mixed/sep/", "x.exe"},
        {"/prog", true, "/", "prog"},
        {"/opt/folder/", true, "/opt/folder/", ""},
        {"notepad.exe", false, "", "notepad.exe"},
        {"", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const QString path = QString::fromLatin1(c.path);
        EXPECT_EQ(LaunchRules::hasSeparator(path), c.separator);
        EXPECT_EQ(LaunchRules::folderOf(path), QString::fromLatin1(c.folder));
        EXPECT_EQ(LaunchRules::fileOf(path), QString::fromLatin1(c.file));
    }
}

TEST(LaunchRules, CutsTheFileNameAt255Characters) {
    const QString name = QString(300, QLatin1Char('n'));
    EXPECT_EQ(LaunchRules::fileOf(QStringLiteral("/f/") + name), QString(255, QLatin1Char('n')));
    EXPECT_EQ(LaunchRules::fileOf(QStringLiteral("/f/") + name.left(255)), name.left(255));
}

TEST(LaunchRules, RecognisesTheDecoderAndTheReceiverInAnyLetterCase) {
    struct Case {
        const char* path;
        bool skimmer;
        bool receiver;
        bool minimisedWhenAsked;
    };
    const Case cases[] = {
        {"C:\\CW Skimmer\\CwSkimmer.exe", true, false, false},
        {"/opt/cwskimmer/run", true, false, false},
        {"/opt/CWSKIMMER", true, false, false},
        {"/opt/CW Skimmer/skim.exe", false, false, true},  // the blank breaks the name
        {"C:\\Program Files\\HDSDR\\HDSDR.exe", false, true, false},
        {"/opt/hdSdr/x", false, true, false},
        {"/usr/bin/xterm", false, false, true},
        {"/opt/cwskimmer/hdsdr", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const QString path = QString::fromLatin1(c.path);
        EXPECT_EQ(LaunchRules::isSkimmer(path), c.skimmer);
        EXPECT_EQ(LaunchRules::isReceiver(path), c.receiver);
        EXPECT_EQ(LaunchRules::startsMinimized(path, true), c.minimisedWhenAsked);
        EXPECT_FALSE(LaunchRules::startsMinimized(path, false));
    }
}

TEST(LaunchRules, TheWaitIsTheNumericValueOfTheTextInSeconds) {
    struct Case {
        const char* text;
        std::int64_t ms;
    };
    const Case cases[] = {
        {"", 0},
        {"0", 0},
        {"5", 5000},
        {" 12 ", 12000},
        {"1.5", 1500},
        {".25", 250},
        {"2s", 2000},
        {"abc", 0},
        {"-3", 0},
        {"0.0004", 0},
        {"0.0006", 1},
        {"&H10", 16000},
        {"1e30", 31536000000},  // at most a year
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(LaunchRules::waitMs(QString::fromLatin1(c.text)), c.ms);
    }
}

}  // namespace
}  // namespace keyrelay

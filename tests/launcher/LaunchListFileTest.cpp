#include "launcher/LaunchListFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>

// Readable failure messages for texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace keyrelay {
namespace {

QStringList linesOf(const char* text) {
    QStringList lines = QString::fromLatin1(text).split(QLatin1Char('\n'));
    lines.removeLast();
    return lines;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every value different, so a value read into the wrong field shows.
LaunchList sampleList() {
    LaunchList list;
    for (int i = 0; i < LaunchList::Rows; ++i) {
        LaunchRow& row = list.rows[i];
        row.path = QStringLiteral("C:\\Apps %1\\prog%1.exe").arg(i);
        row.wait = QStringLiteral("%1.5").arg(10 + i);
        row.param = QStringLiteral("-p %1 \"x y\"").arg(20 + i);
        row.minimize = i % 2 == 0;
        row.include = i % 3 != 1;
    }
    list.clickOffset = 70;
    return list;
}

TEST(LaunchListFile, WritesThe31LinesInTheirOrder) {
    const QStringList expected = {
        "C:\\Apps 0\\prog0.exe",
        "10.5",
        "C:\\Apps 1\\prog1.exe",
        "11.5",
        "C:\\Apps 2\\prog2.exe",
        "12.5",
        "C:\\Apps 3\\prog3.exe",
        "13.5",
        "C:\\Apps 4\\prog4.exe",
        "14.5",
        "C:\\Apps 5\\prog5.exe",
        "15.5",
        " 1 ",
        " 0 ",
        " 1 ",
        " 1 ",
        " 0 ",
        " 1 ",  // include
        " 1 ",
        " 0 ",
        " 1 ",
        " 0 ",
        " 1 ",
        " 0 ",  // minimise
        " 70 ",
        "-p 20 \"x y\"",
        "-p 21 \"x y\"",
        "-p 22 \"x y\"",
        "-p 23 \"x y\"",
        "-p 24 \"x y\"",
        "-p 25 \"x y\"",
    };
    EXPECT_EQ(LaunchListFile::toLines(sampleList()), expected);
}

TEST(LaunchListFile, EveryValueSurvivesAWriteAndARead) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const LaunchList list = sampleList();
    ASSERT_TRUE(LaunchListFile::write(folder.path(), list));

    const QByteArray bytes = fileBytes(folder.filePath("StartApps.txt"));
    EXPECT_EQ(bytes.count("\r\n"), 31);
    EXPECT_TRUE(bytes.startsWith("C:\\Apps 0\\prog0.exe\r\n10.5\r\n"));
    EXPECT_TRUE(bytes.endsWith("-p 25 \"x y\"\r\n"));

    const std::optional<LaunchList> back = LaunchListFile::read(folder.path());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, list);
}

TEST(LaunchListFile, AnEmptyListStillWrites31Lines) {
    LaunchList empty;
    empty.clickOffset = 95;
    QStringList expected;
    for (int i = 0; i < 12; ++i) {
        expected << QString();
    }
    for (int i = 0; i < 12; ++i) {
        expected << QStringLiteral(" 0 ");
    }
    expected << QStringLiteral(" 95 ");
    for (int i = 0; i < 6; ++i) {
        expected << QString();
    }
    EXPECT_EQ(LaunchListFile::toLines(empty), expected);

    QTemporaryDir folder;
    ASSERT_TRUE(LaunchListFile::write(folder.path(), empty));
    EXPECT_EQ(fileBytes(folder.filePath("StartApps.txt")),
              QByteArray("\r\n").repeated(12) + QByteArray(" 0 \r\n").repeated(12) + " 95 \r\n" +
                  QByteArray("\r\n").repeated(6));
}

TEST(LaunchListFile, ALineBreakInsideAValueDoesNotShiftTheLinesAfterIt) {
    LaunchList list;
    list.rows[0].path = QStringLiteral("/opt/a\nb");
    list.rows[2].param = QStringLiteral("one\r\ntwo");
    const QStringList lines = LaunchListFile::toLines(list);
    ASSERT_EQ(lines.size(), 31);
    EXPECT_EQ(lines[0], "/opt/a b");
    EXPECT_EQ(lines[27], "one  two");
    EXPECT_EQ(LaunchListFile::fromLines(lines).rows[2].param, "one  two");
}

TEST(LaunchListFile, OnlyTheFirstTwelveLinesFillPathsAndWaits) {
    const LaunchList list = LaunchListFile::fromLines(
        linesOf("/a/p0\n1\n/a/p1\n2\n/a/p2\n3\n/a/p3\n4\n/a/p4\n5\n/a/p5\n6\n"));
    for (int i = 0; i < LaunchList::Rows; ++i) {
        EXPECT_EQ(list.rows[i].path, QStringLiteral("/a/p%1").arg(i));
        EXPECT_EQ(list.rows[i].wait, QString::number(i + 1));
        EXPECT_FALSE(list.rows[i].include);
        EXPECT_FALSE(list.rows[i].minimize);
        EXPECT_TRUE(list.rows[i].param.isEmpty());
    }
    EXPECT_FALSE(list.clickOffset.has_value());
    EXPECT_EQ(LaunchListFile::effectiveClickOffset(list.clickOffset, 0), 95);
}

TEST(LaunchListFile, AFileCutAnywhereKeepsWhatItHolds) {
    QStringList full = LaunchListFile::toLines(sampleList());
    const LaunchList whole = sampleList();
    for (int cut = 0; cut <= 31; ++cut) {
        SCOPED_TRACE(cut);
        const LaunchList part = LaunchListFile::fromLines(full.mid(0, cut));
        for (int i = 0; i < LaunchList::Rows; ++i) {
            EXPECT_EQ(part.rows[i].path, cut > 2 * i ? whole.rows[i].path : QString());
            EXPECT_EQ(part.rows[i].wait, cut > 2 * i + 1 ? whole.rows[i].wait : QString());
            EXPECT_EQ(part.rows[i].include, cut > 12 + i && whole.rows[i].include);
            EXPECT_EQ(part.rows[i].minimize, cut > 18 + i && whole.rows[i].minimize);
            EXPECT_EQ(part.rows[i].param, cut > 25 + i ? whole.rows[i].param : QString());
        }
        EXPECT_EQ(part.clickOffset, cut > 24 ? std::optional<std::int16_t>(70) : std::nullopt);
    }
}

TEST(LaunchListFile, Line25GivesTheClickOffset) {
    struct Case {
        const char* line;
        std::optional<std::int16_t> read;
        std::int16_t used;  // with 0 in use before
    };
    const Case cases[] = {
        {" 70 ", 70, 70},
        {"70", 70, 70},
        {" 95 ", 95, 95},
        {"0", 0, 95},
        {"", 0, 95},
        {"abc", 0, 95},
        {"-20", -20, -20},
        {"32767", 32767, 32767},
        {"32768", std::nullopt, 95},
        {"-32769", std::nullopt, 95},
        {"1e9", std::nullopt, 95},
        {"69.6", 70, 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QStringList lines = LaunchListFile::toLines(LaunchList{});
        lines[24] = QString::fromLatin1(c.line);
        const LaunchList list = LaunchListFile::fromLines(lines);
        EXPECT_EQ(list.clickOffset, c.read);
        EXPECT_EQ(LaunchListFile::effectiveClickOffset(list.clickOffset, 0), c.used);
    }
}

TEST(LaunchListFile, TheOffsetInUseStaysWhenTheFileGivesNone) {
    struct Case {
        std::optional<std::int16_t> fromFile;
        std::int16_t current;
        std::int16_t expected;
    };
    const Case cases[] = {
        {std::nullopt, 0, 95}, {std::nullopt, 70, 70}, {0, 70, 95}, {70, 0, 70}, {80, 70, 80},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LaunchListFile::effectiveClickOffset(c.fromFile, c.current), c.expected);
    }
}

TEST(LaunchListFile, OnlyAMarkThatRoundsTo1CountsAsChecked) {
    struct Case {
        const char* line;
        bool checked;
    };
    const Case cases[] = {
        {" 1 ", true}, {"1", true},     {"1.4", true}, {"0.6", true},
        {"&H1", true}, {" 0 ", false},  {"", false},   {"2", false},
        {"-1", false}, {"TRUE", false}, {"x1", false}, {"1.5", false},  // halves round to even: 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QStringList lines = LaunchListFile::toLines(LaunchList{});
        lines[12 + 3] = QString::fromLatin1(c.line);  // include of row 3
        lines[18 + 4] = QString::fromLatin1(c.line);  // minimise of row 4
        const LaunchList list = LaunchListFile::fromLines(lines);
        EXPECT_EQ(list.rows[3].include, c.checked);
        EXPECT_EQ(list.rows[4].minimize, c.checked);
        // An odd mark does not stop the reading: the lines after it still count.
        EXPECT_EQ(list.clickOffset, std::optional<std::int16_t>(95));
    }
}

TEST(LaunchListFile, FindsTheFileWhateverItsLetterCase) {
    QTemporaryDir folder;
    writeBytes(folder.filePath("startapps.txt"), "/x/one\n7\n");
    const std::optional<LaunchList> list = LaunchListFile::read(folder.path());
    ASSERT_TRUE(list.has_value());
    EXPECT_EQ(list->rows[0].path, "/x/one");
    EXPECT_EQ(list->rows[0].wait, "7");

    // Writing replaces that file rather than adding a second one beside it.
    ASSERT_TRUE(LaunchListFile::write(folder.path(), sampleList()));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"startapps.txt"});
    EXPECT_EQ(LaunchListFile::read(folder.path()), sampleList());
}

TEST(LaunchListFile, NoFileReadsAsNothing) {
    QTemporaryDir folder;
    EXPECT_FALSE(LaunchListFile::read(folder.path()).has_value());
}

TEST(LaunchListFile, AWriteThatCannotBeMadeReportsIt) {
    QTemporaryDir folder;
    // A "folder" that is a file: nothing can be created in it.
    const QString notAFolder = folder.filePath(QStringLiteral("plain"));
    writeBytes(notAFolder, "x");
    QString error;
    EXPECT_FALSE(LaunchListFile::write(notAFolder, sampleList(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(notAFolder), QByteArray("x"));
}

}  // namespace
}  // namespace keyrelay

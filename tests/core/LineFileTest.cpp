#include "core/LineFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <numeric>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

namespace keyrelay {
namespace {

class LineFileTest : public ::testing::Test {
protected:
    void put(const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytes() {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }

    QTemporaryDir dir;
    QString path = dir.filePath(u"QsySweep.txt"_qs);
};

TEST_F(LineFileTest, ReadSplitsAtEveryKindOfLineEnd) {
    using Case = std::pair<QByteArray, QStringList>;
    for (const Case& c :
         {Case{"a\r\nb\r\n", {"a", "b"}}, Case{"a\nb", {"a", "b"}}, Case{"a\rb\r", {"a", "b"}},
          Case{"", {}}, Case{"\r\n", {""}}, Case{"\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
          Case{"a\r\r\nb", {"a", "", "b"}}, Case{"a\n\rb", {"a", "", "b"}},
          Case{" 1 \r\n", {" 1 "}}}) {
        put(c.first);
        EXPECT_EQ(LineFile::read(path), c.second) << c.first.toStdString();
    }
    EXPECT_EQ(LineFile::read(dir.filePath(u"nothere.txt"_qs)), std::nullopt);
    EXPECT_EQ(LineFile::read(dir.path()), std::nullopt);  // a folder is no file
}

// A file that is not UTF-8 is Windows-1252 (as Windows writes it): every byte, also one of
// the five Windows-1252 leaves undefined, is a character of its own and is written back.
TEST_F(LineFileTest, EveryByteOfAFileThatIsNotUtf8IsOneCharacterBothWays) {
    QByteArray all(256, 0);
    std::iota(all.begin(), all.end(), '\0');
    all.removeIf([](char c) { return c == '\r' || c == '\n'; });
    put(all + "\r\n");
    const QString line = LineFile::read(path).value_or(QStringList{u""_qs}).front();
    EXPECT_EQ(QSet<QChar>(line.begin(), line.end()).size(), all.size());
    EXPECT_EQ(line.mid(0x80 - 2, 4), u"\u20AC\u0081\u201A\u0192"_qs);  // 2 line ends removed
    EXPECT_EQ(line.mid(0x9D - 2, 5), u"\u009D\u017E\u0178\u00A0\u00A1"_qs);
    ASSERT_TRUE(LineFile::write(path, {line}));
    EXPECT_EQ(bytes(), all + "\r\n");
}

// The file's bytes, its lines, and what they are written as (empty: the same bytes).
TEST_F(LineFileTest, TextIsWindows1252UnlessItIsUtf8OrDoesNotFitWindows1252) {
    struct Case {
        QByteArray file;
        QStringList lines;
        QByteArray written;
    };
    for (const Case& c :
         {Case{"\x80 5 \x93q\x94 \x91s\x92\x85\r\n",
               {u"\u20AC 5 \u201Cq\u201D \u2018s\u2019\u2026"_qs},
               {}},
          Case{"Caf\xE9 \xB0\r\n\xFC\xDF\r\n", {u"Caf\u00E9 \u00B0"_qs, u"\u00FC\u00DF"_qs}, {}},
          Case{"\xD0\x96\xD1\x83\r\n\xC3\xA9\r\n", {u"\u0416\u0443"_qs, u"\u00E9"_qs}, {}},
          Case{"a\xE2\x82\xAC\xF0\x9F\x98\x80\r\n", {u"a\u20AC\U0001F600"_qs}, {}},
          Case{"Caf\xC3\xA9\r\n", {u"Caf\u00E9"_qs}, "Caf\xE9\r\n"},
          Case{"\xEF\xBB\xBF\xE2\x80\x9C\r\n", {u"\u201C"_qs}, "\x93\r\n"},
          // only the first mark is one: the second is a character and stays (found by fuzzing)
          Case{"\xEF\xBB\xBF\xEF\xBB\xBF"
               "a\r\n",
               {u"\uFEFFa"_qs},
               {}},
          // as Windows-1252 these would read back as UTF-8 text ("\xC3\xA9": "é")
          Case{"\xC3\x83\xC2\xA9\r\n", {u"\u00C3\u00A9"_qs}, {}},
          Case{"\xC2\x80\xC3\xA9\r\n", {u"\u0080\u00E9"_qs}, {}},  // U+0080 is no Windows-1252
          // not UTF-8: overlong, a surrogate; cut short at the end
          Case{"\xC0\xAF \xED\xA0\x80\r\n", {u"\u00C0\u00AF \u00ED\u00A0\u20AC"_qs}, {}},
          Case{"\xC3\xA9\xE2\x82", {u"\u00C3\u00A9\u00E2\u201A"_qs}, "\xC3\xA9\xE2\x82\r\n"}}) {
        SCOPED_TRACE(c.file.toHex(' ').toStdString());
        put(c.file);
        EXPECT_EQ(LineFile::read(path), c.lines);
        ASSERT_TRUE(LineFile::write(path, c.lines));
        EXPECT_EQ(bytes(), c.written.isEmpty() ? c.file : c.written);
    }
}

// A disk that fills up while the new file is written: a file size limit makes the write
// fail halfway for every user (root included, unlike a read-only folder). A short file
// fails only when its buffer is flushed, a long one already while it is written.
TEST_F(LineFileTest, WriteThatFailsHalfwayLeavesTheOldFileWholeAndNoTemporaryFile) {
    for (const qsizetype count : {200, 2000}) {
        put("old 1\r\nold 2\r\n");
        const QStringList lines(count, u"a line long enough to pass the limit soon"_qs);
        struct rlimit saved {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the test
        const struct rlimit small { 4096, saved.rlim_max };
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool written = LineFile::write(path, lines, &error);
        ::setrlimit(RLIMIT_FSIZE, &saved);

        EXPECT_FALSE(written) << count;
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(bytes(), QByteArray("old 1\r\nold 2\r\n"));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{u"QsySweep.txt"_qs});
    }
}

}  // namespace
}  // namespace keyrelay

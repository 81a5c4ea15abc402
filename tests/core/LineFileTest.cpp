#include "core/LineFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <csignal>
#include <numeric>

#include <QDir>
#include <QFile>
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

TEST_F(LineFileTest, EveryByteIsOneCharacterBothWaysAndOthersBecomeOneQuestionMark) {
    QByteArray all(256, 0);
    std::iota(all.begin(), all.end(), '\0');
    all.removeIf([](char c) { return c == '\r' || c == '\n'; });
    put(all + "\r\n");
    const auto lines = LineFile::read(path);
    ASSERT_EQ(lines, QStringList{QString::fromLatin1(all)});
    ASSERT_TRUE(LineFile::write(path, *lines));
    EXPECT_EQ(bytes(), all + "\r\n");

    put("1\r\n2\r\n3\r\n");  // replaced whole by a shorter file
    ASSERT_TRUE(LineFile::write(path, {u"a\u20ACb\U0001F600c"_qs, QString()}));
    EXPECT_EQ(bytes(), QByteArray("a?b?c\r\n\r\n"));
}

// A disk that fills up while the new file is written: a file size limit makes the write
// fail halfway for every user (root included, unlike a read-only folder).
TEST_F(LineFileTest, WriteThatFailsHalfwayLeavesTheOldFileWholeAndNoTemporaryFile) {
    put("old 1\r\nold 2\r\n");
    const QStringList lines(2000, u"a line long enough to pass the limit soon"_qs);
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the test
    const struct rlimit small { 4096, saved.rlim_max };
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = LineFile::write(path, lines, &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(bytes(), QByteArray("old 1\r\nold 2\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"QsySweep.txt"_qs});
}

}  // namespace
}  // namespace keyrelay

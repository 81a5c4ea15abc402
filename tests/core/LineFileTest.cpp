#include "core/LineFile.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <ostream>

#include <csignal>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>

namespace keyrelay {
namespace {

class LineFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("QsySweep.txt"));

    void putBytes(const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray bytes() {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

struct SplitCase {
    const char* name;
    QByteArray bytes;
    QStringList lines;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class LineFileSplit : public LineFileTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(LineFileSplit, SplitsAtEveryKindOfLineEnd) {
    putBytes(GetParam().bytes);
    const auto lines = LineFile::read(path);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LineFileSplit,
    ::testing::Values(SplitCase{"CrLf", "a\r\nb\r\n", {"a", "b"}},
                      SplitCase{"Lf", "a\nb\n", {"a", "b"}}, SplitCase{"Cr", "a\rb\r", {"a", "b"}},
                      SplitCase{"NoFinalEnd", "a\r\nb", {"a", "b"}}, SplitCase{"Empty", "", {}},
                      SplitCase{"OneEmptyLine", "\r\n", {""}},
                      SplitCase{"EmptyLinesKept", "\r\n\r\nx\r\n\r\n", {"", "", "x", ""}},
                      SplitCase{"CrCrLf", "a\r\r\nb", {"a", "", "b"}},
                      SplitCase{"LfCr", "a\n\rb", {"a", "", "b"}},
                      SplitCase{"BlanksKept", " 1 \r\n  \r\n", {" 1 ", "  "}},
                      SplitCase{"NulInsideALine",
                                QByteArray("a\0b\r\n", 5),
                                {QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b")}}),
    [](const ::testing::TestParamInfo<SplitCase>& p) { return std::string(p.param.name); });

TEST_F(LineFileTest, EveryByteValueReadsAsOneCharacterAndWritesBackUnchanged) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n') {
            all.append(static_cast<char>(b));
        }
    }
    putBytes(all + "\r\n");
    const auto lines = LineFile::read(path);
    ASSERT_TRUE(lines.has_value());
    ASSERT_EQ(lines->size(), 1);
    EXPECT_EQ(lines->front().size(), 254);
    EXPECT_EQ(lines->front().at(0xE9 - 2).unicode(), 0xE9);  // é is its own character

    ASSERT_TRUE(LineFile::write(path, *lines));
    EXPECT_EQ(bytes(), all + "\r\n");
}

TEST_F(LineFileTest, WritesEachLineWithCrLf) {
    ASSERT_TRUE(LineFile::write(path, {QStringLiteral("%CT"), QString(), QStringLiteral(" 1 ")}));
    EXPECT_EQ(bytes(), QByteArray("%CT\r\n\r\n 1 \r\n"));
    ASSERT_TRUE(LineFile::write(path, {}));
    EXPECT_EQ(bytes(), QByteArray());
}

TEST_F(LineFileTest, CharactersOutsideLatin1BecomeOneQuestionMarkEach) {
    ASSERT_TRUE(LineFile::write(path, {QStringLiteral("a\u20ACb\U0001F600c\u00FF")}));
    EXPECT_EQ(bytes(), QByteArray("a?b?c\xFF\r\n"));
}

TEST_F(LineFileTest, ReplacesALongerFileWhole) {
    putBytes("1\r\n2\r\n3\r\n4\r\n");
    ASSERT_TRUE(LineFile::write(path, {QStringLiteral("x")}));
    EXPECT_EQ(bytes(), QByteArray("x\r\n"));
}

TEST_F(LineFileTest, MissingFileReadsAsNothing) {
    EXPECT_FALSE(LineFile::read(dir.filePath(QStringLiteral("nothere.txt"))).has_value());
    EXPECT_FALSE(LineFile::read(dir.path()).has_value());  // a folder is not a file
}

TEST_F(LineFileTest, WriteRefusedByAReadOnlyFolderLeavesTheOldFileWhole) {
    putBytes("old 1\r\nold 2\r\n");
    const QString folder = dir.path();
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool stillWritable = ::access(folder.toLocal8Bit().constData(), W_OK) == 0;
    QString error;
    const bool written = !stillWritable && LineFile::write(path, {QStringLiteral("new")}, &error);
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (stillWritable) {
        GTEST_SKIP() << "this user may write into read-only folders";
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(bytes(), QByteArray("old 1\r\nold 2\r\n"));
}

// A disk that fills up while the new file is written: the write of the new contents fails
// halfway (a file size limit applies to every user, unlike a read-only folder).
TEST_F(LineFileTest, WriteThatFailsHalfwayLeavesTheOldFileWholeAndNoTemporaryFile) {
    putBytes("old 1\r\nold 2\r\n");
    QStringList lines;
    for (int i = 0; i < 2000; ++i) {
        lines << QStringLiteral("a line long enough to pass the limit soon");
    }

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool written = LineFile::write(path, lines, &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(bytes(), QByteArray("old 1\r\nold 2\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("QsySweep.txt")});
}

}  // namespace
}  // namespace keyrelay

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "cmdpad/CommandSetFile.h"

namespace keyrelay {
namespace {

CommandSet sampleSet() {
    CommandSet set;
    set.AppTitle = QStringLiteral("  CW Skimmer");  // leading blanks are part of the title
    for (int i = 0; i < CommandSet::Commands; ++i) {
        set.RepSec[i] = QStringLiteral(" %1.5 ").arg(i);
        set.CMND[i] = QStringLiteral("%CT{+}^(ab)~{LEFT 42}%1").arg(i);
    }
    set.CMND[5] = QStringLiteral("{{}{}}[]()") + QChar(0xe9) + QChar(0xdf);  // Latin-1
    set.AppDesc = QStringLiteral("night set; 40 m");
    set.Alternate = set.FCAS = set.CAS = true;
    return set;
}

// The sample's 34 lines with line n (1-based, 0: none) replaced.
QStringList sampleLines(int n = 0, const char* text = "") {
    QStringList lines = CommandSetFile::lines(sampleSet());
    if (n > 0) {
        lines[n - 1] = QString::fromLatin1(text);
    }
    return lines;
}

TEST(CommandSetFileTest, FileFormat) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    CommandSetFile::save(path, sampleSet());
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_EQ(bytes, sampleLines().join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
    EXPECT_TRUE(bytes.startsWith("  CW Skimmer\r\n 0.5 \r\n%CT{+}^(ab)~{LEFT 42}0\r\n 1.5 \r\n"));
    EXPECT_TRUE(bytes.endsWith("40 m\r\n 1 \r\nFALSE\r\nTRUE\r\nFALSE\r\nFALSE\r\nTRUE\r\n"));

    struct Case {
        const char* lineEnd;  // LF files may also lack the last line end
        int line;
        const char* inFile;
        const char* readAs;  // as written back
    };
    const Case cases[] = {
        {"\r\n", 0, "", ""},           {"\n", 0, "", ""},
        {"\r\n", 29, "0.5", " 0 "},    {"\r\n", 29, "0.6", " 1 "},  // Alternate: rounded
        {"\r\n", 29, "-1", " 1 "},     {"\r\n", 29, "x", " 0 "},
        {"\r\n", 34, "True", "FALSE"}, {"\r\n", 31, " TRUE", "FALSE"},  // options: exact TRUE
        {"\r\n", 32, "TRUE", "TRUE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.line << " " << c.inFile);
        QByteArray file = sampleLines(c.line, c.inFile).join(QLatin1String(c.lineEnd)).toLatin1();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(file);
        f.close();
        CommandSet loaded;
        ASSERT_TRUE(CommandSetFile::load(path, loaded));
        EXPECT_EQ(CommandSetFile::lines(loaded), sampleLines(c.line, c.readAs));
    }

    CommandSet set = sampleSet();  // a missing file changes nothing
    EXPECT_FALSE(CommandSetFile::load(dir.filePath(QStringLiteral("none.ini")), set));
    EXPECT_EQ(set, sampleSet());
}

TEST(CommandSetFileTest, ShortFilesStopAtEveryBoundary) {
    const QStringList all = CommandSetFile::lines(sampleSet());
    const QStringList empty = CommandSetFile::lines(CommandSet{});
    for (int count = 0; count <= CommandSetFile::LineCount; ++count) {
        CommandSet set;
        CommandSetFile::apply(all.mid(0, count), set);
        EXPECT_EQ(CommandSetFile::lines(set), all.mid(0, count) + empty.mid(count)) << count;
    }
}

TEST(CommandSetFileTest, NamesGetIniWithoutADotAndResolveIgnoringLetterCase) {
    // A dot anywhere counts, also in a folder name.
    const char* const names[][2] = {{"night", "night.INI"},
                                    {"", ".INI"},
                                    {"a.", "a."},
                                    {"sets.d/night", "sets.d/night"},
                                    {"/op/x", "/op/x.INI"}};
    for (const auto& [in, out] : names) {
        EXPECT_EQ(CommandSetFile::withDefaultExtension(QString::fromLatin1(in)), out) << in;
    }
    QTemporaryDir dir;
    CommandSetFile::save(dir.filePath(QStringLiteral("Night.INI")), sampleSet());
    const auto resolved = [&](const char* name) {
        return CommandSetFile::resolve(dir.path(), QString::fromLatin1(name));
    };
    EXPECT_EQ(resolved("night.ini"), dir.filePath(QStringLiteral("Night.INI")));
    EXPECT_EQ(resolved("new.ini"), dir.filePath(QStringLiteral("new.ini")));
    EXPECT_EQ(resolved(""), QString());
}

}  // namespace
}  // namespace keyrelay

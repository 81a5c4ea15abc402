#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <tuple>

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
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    EXPECT_EQ(bytes, sampleLines().join(QStringLiteral("\r\n")).toLatin1() + "\r\n");
    EXPECT_TRUE(bytes.startsWith("  CW Skimmer\r\n 0.5 \r\n%CT{+}^(ab)~{LEFT 42}0\r\n 1.5 \r\n"));
    EXPECT_TRUE(bytes.endsWith("40 m\r\n 1 \r\nFALSE\r\nTRUE\r\nFALSE\r\nFALSE\r\nTRUE\r\n"));

    // line end (the last line has none), line, its text, what it reads as (written back)
    const std::tuple<const char*, int, const char*, const char*> cases[] = {
        {"\r\n", 0, "", ""},           {"\n", 0, "", ""},  // Alternate: rounded to an integer
        {"\r\n", 29, "0.5", " 0 "},    {"\r\n", 29, "0.6", " 1 "},
        {"\r\n", 29, "-1", " 1 "},     {"\r\n", 29, "x", " 0 "},
        {"\r\n", 32, "TRUE", "TRUE"},  // options: exactly TRUE
        {"\r\n", 34, "True", "FALSE"}, {"\r\n", 31, " TRUE", "FALSE"}};
    for (const auto& [lineEnd, line, text, readAs] : cases) {
        SCOPED_TRACE(testing::Message() << line << " " << text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(sampleLines(line, text).join(QLatin1String(lineEnd)).toLatin1());
        file.close();
        CommandSet loaded;
        ASSERT_TRUE(CommandSetFile::load(path, loaded));
        EXPECT_EQ(CommandSetFile::lines(loaded), sampleLines(line, readAs));
    }
    for (int count = 0; count < CommandSetFile::LineCount; ++count) {  // short: the rest stays
        CommandSet set;
        CommandSetFile::apply(sampleLines().mid(0, count), set);
        const QStringList rest = CommandSetFile::lines(CommandSet{}).mid(count);
        EXPECT_EQ(CommandSetFile::lines(set), sampleLines().mid(0, count) + rest) << count;
    }
    CommandSet typed = sampleSet();  // nothing typed becomes "?" after a restart
    typed.AppTitle = QStringLiteral(u"\u0414\u0435\u043A\u043E\u0434\u0435\u0440 \u20AC");
    CommandSet loaded;
    ASSERT_TRUE(CommandSetFile::save(path, typed) && CommandSetFile::load(path, loaded));
    EXPECT_EQ(loaded, typed);
    CommandSet set = sampleSet();  // a missing file changes nothing
    EXPECT_FALSE(CommandSetFile::load(dir.filePath(QStringLiteral("none.ini")), set));
    EXPECT_EQ(set, sampleSet());
}

TEST(CommandSetFileTest, NamesResolveIgnoringLetterCase) {
    QTemporaryDir dir;
    CommandSetFile::save(dir.filePath(QStringLiteral("Night.INI")), sampleSet());
    EXPECT_EQ(CommandSetFile::resolve(dir.path(), "night.ini"), dir.filePath("Night.INI"));
    EXPECT_EQ(CommandSetFile::resolve(dir.path(), "new.ini"), dir.filePath("new.ini"));
    EXPECT_EQ(CommandSetFile::resolve(dir.path(), ""), QString());
}

}  // namespace
}  // namespace keyrelay

#include "sweep/SweepSettingsFile.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/LineFile.h"

namespace keyrelay {
namespace {

// A table that uses every field, each with a text of its own, as users type them.
SweepSettings fullTable() {
    SweepSettings s;
    s.TargetName = QStringLiteral("  CW Skimmer");
    s.PrefixStr = QStringLiteral("%CT");
    s.SufixStr = QStringLiteral("{ENTER}~");
    for (int i = 0; i < SweepSettings::Lines; ++i) {
        s.rows[static_cast<std::size_t>(i)] = {QString::number(1800 + 1000 * i),
                                               QString::number(1850 + 1000 * i),
                                               i % 2 ? u"0.5"_qs : u" 1"_qs,
                                               i == 3 ? u"30*"_qs : QString::number(10 + i),
                                               i % 3 == 0 ? 1 : 0,
                                               QStringLiteral("0%1:00").arg(i),
                                               QStringLiteral("1%1:30").arg(i)};
    }
    s.ReturnApp = QStringLiteral("N1MM Logger+");
    s.CycleBands = s.Check1 = s.ViaTelnet = s.ImAServer = 1;
    s.IpAddr = QStringLiteral("192.168.1.20");
    s.Port = QStringLiteral("7373");
    s.SkimmerPort = QStringLiteral("7301");
    return s;
}

TEST(SweepSettingsFile, TheEightyEightLines) {
    const QStringList lines = SweepSettingsFile::compose(fullTable());
    ASSERT_EQ(lines.size(), 88);
    // Line 3 of the table is file lines 34 to 43; the single fields repeat in every block.
    const std::vector<std::pair<int, const char*>> expected = {
        {1, "  CW Skimmer"},  {2, "%CT"},           {3, "{ENTER}~"}, {4, "1800"},
        {8, " 1 "},           {18, " 0 "},          {34, "4800"},    {35, "4850"},
        {36, "0.5"},          {37, "30*"},          {38, " 1 "},     {39, "N1MM Logger+"},
        {40, " 1 "},          {41, " 1 "},          {42, "03:00"},   {43, "13:30"},
        {79, "N1MM Logger+"}, {84, "192.168.1.20"}, {85, "7373"},    {86, " 1 "},
        {87, " 1 "},          {88, "7301"}};
    for (const auto& [number, text] : expected) {
        EXPECT_EQ(lines[number - 1], QString::fromLatin1(text)) << "line " << number;
    }
}

TEST(SweepSettingsFile, ShortAndDamagedFilesReadAsFarAsTheyGo) {
    struct Case {
        int keep;  // lines of the full file kept
        int line;  // file line replaced (0: none)
        const char* text;
        int rowsRead;  // complete table lines read
        int tailRead;  // of IpAddr, Port, ViaTelnet, ImAServer, SkimmerPort
        int incCheck1;
    };
    const Case cases[] = {
        {88, 0, "", 8, 5, 0},      {0, 0, "", 0, 0, 0},    {12, 0, "", 0, 0, 0},
        {13, 0, "", 1, 0, 0},      {50, 0, "", 4, 0, 0},   {84, 0, "", 8, 1, 0},
        {87, 0, "", 8, 4, 0},      {88, 18, "1", 8, 5, 1}, {88, 18, "2", 1, 0, 0},
        {88, 18, "TRUE", 8, 5, 0},  // reads as 0
        {88, 86, "3", 8, 2, 0},
    };
    const SweepSettings full = fullTable();
    for (const Case& c : cases) {
        QStringList lines = SweepSettingsFile::compose(full).mid(0, c.keep);
        if (c.line) {
            lines[c.line - 1] = QString::fromLatin1(c.text);
        }
        SweepSettings s;
        SweepSettingsFile::apply(lines, s);
        int rows = 0;
        while (rows < 8 && s.rows[static_cast<std::size_t>(rows)].EndTime ==
                               full.rows[static_cast<std::size_t>(rows)].EndTime) {
            ++rows;
        }
        const int tail = (s.IpAddr == full.IpAddr) + (s.Port == full.Port) + s.ViaTelnet +
                         s.ImAServer + (s.SkimmerPort == full.SkimmerPort);
        EXPECT_EQ(s.TargetName == full.TargetName, c.keep > 0) << c.keep << " " << c.text;
        EXPECT_EQ(rows, c.rowsRead) << c.keep << " " << c.text;
        EXPECT_EQ(tail, c.tailRead) << c.keep << " " << c.text;
        EXPECT_EQ(s.rows[1].IncCheck, c.incCheck1) << c.keep << " " << c.text;
    }
}

TEST(SweepSettingsFile, RoundTripsThroughARealFileWhateverTheCaseOfItsName) {
    QTemporaryDir dir;
    const QString lower = QDir(dir.path()).filePath("qsysweep.txt");
    SweepSettings written = fullTable();
    ASSERT_TRUE(LineFile::write(lower, SweepSettingsFile::compose(written)));
    SweepSettings loaded;
    SweepSettingsFile::load(dir.path(), loaded);
    EXPECT_EQ(loaded, written);

    // A line break inside a text cannot shift the lines after it.
    written.PrefixStr = QStringLiteral("%C\r\nT");
    written.rows[0].StartTime = QStringLiteral("10:00\n");
    ASSERT_TRUE(SweepSettingsFile::save(dir.path(), written));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"qsysweep.txt"});
    QFile file(lower);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count("\r\n"), 88);
    SweepSettingsFile::load(dir.path(), loaded);
    EXPECT_EQ(loaded.PrefixStr, "%C T");
    EXPECT_EQ(loaded.rows[0].StartTime, "10:00 ");
    EXPECT_EQ(loaded.SkimmerPort, "7301");

    // The three repeated fields take their values from the last block.
    QStringList lines = SweepSettingsFile::compose(fullTable());
    lines[78] = QStringLiteral("Last");
    SweepSettingsFile::apply(lines, loaded);
    EXPECT_EQ(loaded.ReturnApp, "Last");
}

TEST(SweepSettingsFile, AMissingFileChangesNothingAndAFailedWriteSaysWhy) {
    QTemporaryDir dir;
    SweepSettings s;
    SweepSettingsFile::load(dir.path(), s);
    EXPECT_EQ(s, SweepSettings{});
    QString error;
    EXPECT_FALSE(SweepSettingsFile::save(dir.filePath("no/such/folder"), s, &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace keyrelay

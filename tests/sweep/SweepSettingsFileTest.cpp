#include "sweep/SweepSettingsFile.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "core/LineFile.h"

namespace keyrelay {
namespace {

// A table that uses every field, each with a text of its own, as users type them.
SweepSettings fullTable() {
    SweepSettings s;
    s.TargetName = u"  CW Skimmer"_qs, s.PrefixStr = u"%CT"_qs, s.SufixStr = u"{ENTER}~"_qs;
    for (int i = 0; i < SweepSettings::Lines; ++i) {
        // clang-format off
        s.rows[static_cast<std::size_t>(i)] = {QString::number(1800 + 1000 * i),
            QString::number(1850 + 1000 * i), i % 2 ? u"0.5"_qs : u" 1"_qs,
            i == 3 ? u"30*"_qs : QString::number(10 + i), i % 3 == 0,
            QStringLiteral("0%1:00").arg(i), QStringLiteral("1%1:30").arg(i)};
        // clang-format on
    }
    s.ReturnApp = u"N1MM Logger+"_qs;
    s.CycleBands = s.Check1 = s.ViaTelnet = s.ImAServer = 1;
    s.IpAddr = u"192.168.1.20"_qs, s.Port = u"7373"_qs, s.SkimmerPort = u"7301"_qs;
    return s;
}

// The file's lines, numbered from 1, and how far a short or damaged file is read.
TEST(SweepSettingsFile, TheEightyEightLines) {
    const SweepSettings full = fullTable();
    const QStringList lines = SweepSettingsFile::lines(full);
    ASSERT_EQ(lines.size(), 88);
    // Table line 3 is file lines 34 to 43; the single fields repeat in every block.
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
    // The first `keep` lines, line `line` (if not 0) replaced by `text`: the table lines
    // read whole, and how many of the last five fields.
    const std::tuple<int, int, const char*, int, int> cases[] = {
        {88, 0, "", 8, 5},   {0, 0, "", 0, 0},  {12, 0, "", 0, 0}, {13, 0, "", 1, 0},
        {50, 0, "", 4, 0},   {84, 0, "", 8, 1}, {87, 0, "", 8, 4}, {88, 18, "2", 1, 0},
        {88, 86, "3", 8, 2},  // a check box line that is not 0 or 1 ends the reading
    };
    for (const auto& [keep, line, text, rowsRead, tailRead] : cases) {
        QStringList some = lines.mid(0, keep);
        if (line) {
            some[line - 1] = QString::fromLatin1(text);
        }
        SweepSettings s;
        SweepSettingsFile::apply(some, s);
        int rows = 0;
        while (rows < 8 && s.rows[static_cast<std::size_t>(rows)] ==
                               full.rows[static_cast<std::size_t>(rows)]) {
            ++rows;
        }
        EXPECT_EQ(rows, rowsRead) << keep << " " << line;
        EXPECT_EQ((s.IpAddr == full.IpAddr) + (s.Port == full.Port) + s.ViaTelnet + s.ImAServer +
                      (s.SkimmerPort == full.SkimmerPort),
                  tailRead)
            << keep << " " << line;
    }
}

TEST(SweepSettingsFile, RoundTripsThroughARealFileWhateverTheCaseOfItsName) {
    QTemporaryDir dir;
    const QString lower = QDir(dir.path()).filePath("qsysweep.txt");
    SweepSettings written = fullTable();
    ASSERT_TRUE(LineFile::write(lower, SweepSettingsFile::lines(written)));
    SweepSettings loaded;
    SweepSettingsFile::load(SweepSettingsFile::pathIn(dir.path()), loaded);
    EXPECT_EQ(loaded, written);

    // A line break inside a text cannot shift the lines after it.
    written.PrefixStr = u"%C\r\nT"_qs;
    written.rows[0].StartTime = u"10:00\n"_qs;
    ASSERT_TRUE(SweepSettingsFile::save(SweepSettingsFile::pathIn(dir.path()),
                                        written));  // replacing "qsysweep.txt"
    SweepSettingsFile::load(SweepSettingsFile::pathIn(dir.path()), loaded);
    EXPECT_EQ(loaded.PrefixStr, "%C T");
    EXPECT_EQ(loaded.rows[0].StartTime, "10:00 ");
    EXPECT_EQ(loaded.SkimmerPort, "7301");
}

}  // namespace
}  // namespace keyrelay

#include "sweep/SweepSettingsFile.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/LineFile.h"

namespace keyrelay {
namespace {

// A table that uses every field, with the texts users actually type: keystroke notation,
// leading blanks, a starred dwell, fractions.
SweepSettings fullTable() {
    SweepSettings s;
    s.TargetName = QStringLiteral("  CW Skimmer");
    s.PrefixStr = QStringLiteral("%CT");
    s.SufixStr = QStringLiteral("{ENTER}~");
    for (int i = 0; i < SweepSettings::Lines; ++i) {
        auto& row = s.rows[static_cast<std::size_t>(i)];
        row.StartFreq = QString::number(1800 + 1000 * i);
        row.EndFreq = QString::number(1850 + 1000 * i);
        row.IncH = i % 2 ? QStringLiteral("0.5") : QStringLiteral(" 1");
        row.DurSec = i == 3 ? QStringLiteral("30*") : QString::number(10 + i);
        row.IncCheck = i % 3 == 0 ? 1 : 0;
        row.StartTime = i == 2 ? QString() : QStringLiteral("0%1:00").arg(i);
        row.EndTime = i == 2 ? QString() : QStringLiteral("1%1:30").arg(i);
    }
    s.rows[5].StartFreq = QStringLiteral("+^%~{}()[]");
    s.ReturnApp = QStringLiteral("N1MM Logger+");
    s.CycleBands = 1;
    s.Check1 = 1;
    s.IpAddr = QStringLiteral("192.168.1.20");
    s.Port = QStringLiteral("7373");
    s.ViaTelnet = 1;
    s.ImAServer = 1;
    s.SkimmerPort = QStringLiteral("7301");
    return s;
}

SweepSettings read(const QStringList& lines) {
    SweepSettings s;
    SweepSettingsFile::apply(lines, s);
    return s;
}

TEST(SweepSettingsFile, WritesEightyEightLinesInTheirPlaces) {
    const QStringList lines = SweepSettingsFile::compose(fullTable());
    ASSERT_EQ(lines.size(), 88);
    EXPECT_EQ(lines[0], "  CW Skimmer");
    EXPECT_EQ(lines[1], "%CT");
    EXPECT_EQ(lines[2], "{ENTER}~");
    // Block of table line 3: file lines 34 to 43.
    EXPECT_EQ(lines[33], "4800");
    EXPECT_EQ(lines[34], "4850");
    EXPECT_EQ(lines[35], "0.5");
    EXPECT_EQ(lines[36], "30*");
    EXPECT_EQ(lines[37], " 1 ");
    EXPECT_EQ(lines[38], "N1MM Logger+");
    EXPECT_EQ(lines[39], " 1 ");
    EXPECT_EQ(lines[40], " 1 ");
    EXPECT_EQ(lines[41], "03:00");
    EXPECT_EQ(lines[42], "13:30");
    EXPECT_EQ(lines[7], " 1 ");   // IncCheck of line 0
    EXPECT_EQ(lines[17], " 0 ");  // IncCheck of line 1
    // The single fields repeat in every block.
    for (int n = 0; n < 8; ++n) {
        EXPECT_EQ(lines[8 + 10 * n], "N1MM Logger+") << n;
    }
    EXPECT_EQ(lines[83], "192.168.1.20");
    EXPECT_EQ(lines[84], "7373");
    EXPECT_EQ(lines[85], " 1 ");
    EXPECT_EQ(lines[86], " 1 ");
    EXPECT_EQ(lines[87], "7301");
}

TEST(SweepSettingsFile, DefaultsWriteEmptyTextsAndUncheckedBoxes) {
    const QStringList lines = SweepSettingsFile::compose(SweepSettings{});
    ASSERT_EQ(lines.size(), 88);
    EXPECT_EQ(lines[7], " 0 ");
    EXPECT_EQ(lines[87], "7300");
    EXPECT_EQ(lines[0], "");
}

TEST(SweepSettingsFile, ReadsBackEveryFieldExactly) {
    const SweepSettings written = fullTable();
    EXPECT_EQ(read(SweepSettingsFile::compose(written)), written);
}

TEST(SweepSettingsFile, RoundTripsThroughARealFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const SweepSettings written = fullTable();
    ASSERT_TRUE(SweepSettingsFile::save(dir.path(), written));

    QFile file(QDir(dir.path()).filePath("QsySweep.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("  CW Skimmer\r\n%CT\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 88);

    SweepSettings loaded;
    SweepSettingsFile::load(dir.path(), loaded);
    EXPECT_EQ(loaded, written);
}

TEST(SweepSettingsFile, ThirteenLinesRestoreLineZeroAndItsSingleFields) {
    QStringList lines = SweepSettingsFile::compose(fullTable()).mid(0, 13);
    lines[8] = QStringLiteral("Logger");  // ReturnApp of block 0
    const SweepSettings s = read(lines);
    EXPECT_EQ(s.TargetName, "  CW Skimmer");
    EXPECT_EQ(s.rows[0], fullTable().rows[0]);
    EXPECT_EQ(s.ReturnApp, "Logger");
    EXPECT_EQ(s.CycleBands, 1);
    EXPECT_EQ(s.Check1, 1);
    for (std::size_t i = 1; i < 8; ++i) {
        EXPECT_EQ(s.rows[i], SweepSettings::Row{}) << i;
    }
    EXPECT_EQ(s.SkimmerPort, "7300");
    EXPECT_EQ(s.IpAddr, "");
    EXPECT_EQ(s.ViaTelnet, 0);
}

TEST(SweepSettingsFile, TheLastBlockReadDecidesTheRepeatedFields) {
    QStringList lines = SweepSettingsFile::compose(fullTable());
    lines[8 + 70] = QStringLiteral("Last");
    lines[9 + 70] = QStringLiteral("0");
    EXPECT_EQ(read(lines).ReturnApp, "Last");
    EXPECT_EQ(read(lines).CycleBands, 0);
}

// How far a short file goes.
TEST(SweepSettingsFile, AFileEndingEarlyKeepsTheDefaultsOfWhatItLacks) {
    const QStringList all = SweepSettingsFile::compose(fullTable());
    struct Case {
        int lines;
        bool targetRead;
        int rowsRead;
        bool ipAddrRead;
        bool portRead;
        bool skimmerPortRead;
    };
    const Case cases[] = {
        {0, false, 0, false, false, false}, {1, true, 0, false, false, false},
        {3, true, 0, false, false, false},  {12, true, 0, false, false, false},
        {50, true, 4, false, false, false}, {83, true, 8, false, false, false},
        {84, true, 8, true, false, false},  {85, true, 8, true, true, false},
        {88, true, 8, true, true, true},
    };
    const SweepSettings full = fullTable();
    for (const Case& c : cases) {
        const SweepSettings s = read(all.mid(0, c.lines));
        EXPECT_EQ(s.TargetName == full.TargetName, c.targetRead) << c.lines;
        for (int i = 0; i < 8; ++i) {
            const bool rowRead = i < c.rowsRead;
            EXPECT_EQ(s.rows[static_cast<std::size_t>(i)] == full.rows[static_cast<std::size_t>(i)],
                      rowRead)
                << c.lines << " row " << i;
        }
        EXPECT_EQ(s.IpAddr == full.IpAddr, c.ipAddrRead) << c.lines;
        EXPECT_EQ(s.Port == full.Port, c.portRead) << c.lines;
        EXPECT_EQ(s.SkimmerPort, c.skimmerPortRead ? "7301" : "7300") << c.lines;
    }
}

TEST(SweepSettingsFile, CheckBoxLinesAreReadByTheirRoundedValue) {
    struct Case {
        const char* line;
        int value;
    };
    const Case cases[] = {{" 1 ", 1},  {"1", 1},    {" 0 ", 0}, {"0.5", 0}, {"1.4", 1},
                          {"0.51", 1}, {"-0.4", 0}, {"", 0},    {"abc", 0}, {"1e0", 1}};
    for (const Case& c : cases) {
        QStringList lines = SweepSettingsFile::compose(SweepSettings{});
        lines[7] = QString::fromLatin1(c.line);
        const SweepSettings s = read(lines);
        EXPECT_EQ(s.rows[0].IncCheck, c.value) << c.line;
        EXPECT_EQ(s.rows[7].EndTime, "") << c.line;
    }
}

TEST(SweepSettingsFile, ReadingStopsAtACheckBoxLineThatIsNotZeroOrOne) {
    for (const char* bad : {"1.5", "2", "-1", "70000", "TRUE"}) {
        QStringList lines = SweepSettingsFile::compose(fullTable());
        lines[17] = QString::fromLatin1(bad);  // IncCheck of line 1
        const SweepSettings s = read(lines);
        // "TRUE" reads as 0, a valid value: the reading goes on.
        const bool stops = std::string(bad) != "TRUE";
        EXPECT_EQ(s.rows[0], fullTable().rows[0]) << bad;
        EXPECT_EQ(s.rows[1].StartFreq, fullTable().rows[1].StartFreq) << bad;
        EXPECT_EQ(s.rows[1].IncCheck, 0) << bad;
        EXPECT_EQ(s.rows[1].StartTime.isEmpty(), stops) << bad;
        EXPECT_EQ(s.SkimmerPort == "7300", stops) << bad;
    }
    QStringList lines = SweepSettingsFile::compose(fullTable());
    lines[85] = QStringLiteral("3");  // ViaTelnet
    const SweepSettings s = read(lines);
    EXPECT_EQ(s.Port, "7373");
    EXPECT_EQ(s.ViaTelnet, 0);
    EXPECT_EQ(s.ImAServer, 0);
    EXPECT_EQ(s.SkimmerPort, "7300");
}

TEST(SweepSettingsFile, ALineBreakInsideATextCannotShiftTheLinesAfterIt) {
    SweepSettings s = fullTable();
    s.PrefixStr = QStringLiteral("%C\r\nT");
    s.rows[0].StartTime = QStringLiteral("10:00\n");
    const QStringList lines = SweepSettingsFile::compose(s);
    ASSERT_EQ(lines.size(), 88);
    QTemporaryDir dir;
    ASSERT_TRUE(SweepSettingsFile::save(dir.path(), s));
    SweepSettings loaded;
    SweepSettingsFile::load(dir.path(), loaded);
    EXPECT_EQ(loaded.PrefixStr, "%C T");
    EXPECT_EQ(loaded.rows[0].StartTime, "10:00 ");
    EXPECT_EQ(loaded.SkimmerPort, "7301");
}

TEST(SweepSettingsFile, FindsAndReplacesTheFileWhateverTheCaseOfItsName) {
    QTemporaryDir dir;
    const QString lower = QDir(dir.path()).filePath("qsysweep.txt");
    ASSERT_TRUE(LineFile::write(lower, SweepSettingsFile::compose(fullTable())));

    SweepSettings loaded;
    SweepSettingsFile::load(dir.path(), loaded);
    EXPECT_EQ(loaded, fullTable());

    loaded.TargetName = QStringLiteral("HDSDR");
    ASSERT_TRUE(SweepSettingsFile::save(dir.path(), loaded));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"qsysweep.txt"});
    const auto back = LineFile::read(lower);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->first(), "HDSDR");
}

TEST(SweepSettingsFile, AMissingFileLeavesTheDefaults) {
    QTemporaryDir dir;
    SweepSettings s;
    SweepSettingsFile::load(dir.path(), s);
    EXPECT_EQ(s, SweepSettings{});
}

TEST(SweepSettingsFile, AFailedWriteSaysSo) {
    QTemporaryDir dir;
    QString error;
    EXPECT_FALSE(
        SweepSettingsFile::save(QDir(dir.path()).filePath("no/such/folder"), fullTable(), &error));
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace keyrelay

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "cmdpad/CommandSetFile.h"
#include "core/LineFile.h"
#include "platform/PlatformError.h"

namespace keyrelay {
namespace {

CommandSet sampleSet() {
    CommandSet set;
    set.AppTitle = QStringLiteral("  CW Skimmer");  // leading blanks are part of the title
    for (int i = 0; i < CommandSet::Commands; ++i) {
        set.RepSec[i] = i % 3 == 0 ? QString() : QStringLiteral(" %1.5 ").arg(i);
        set.CMND[i] = i % 4 == 0 ? QString() : QStringLiteral("%CT{+}^(ab)~{LEFT 42}%1").arg(i);
    }
    set.RepSec[0] = QStringLiteral("60");
    // Braces, brackets and Latin-1 letters.
    set.CMND[5] = QStringLiteral("{{}{}}[]()") + QChar(0xe9) + QChar(0xdf) + QChar(0xb0);
    set.AppDesc = QStringLiteral("night set; 40 m");
    set.Alternate = true;
    set.RCAS = true;
    set.HandShake = true;
    set.CAS = true;
    return set;
}

class CommandSetFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QByteArray bytes(const QString& name) const {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QTemporaryDir dir;
};

TEST_F(CommandSetFileTest, SavedSetLoadsBackUnchanged) {
    const CommandSet saved = sampleSet();
    CommandSetFile::save(path("a.ini"), saved);
    CommandSet loaded;
    ASSERT_TRUE(CommandSetFile::load(path("a.ini"), loaded));
    EXPECT_EQ(loaded, saved);

    // And an all-empty set overwrites a full one completely.
    CommandSetFile::save(path("a.ini"), CommandSet{});
    ASSERT_TRUE(CommandSetFile::load(path("a.ini"), loaded));
    EXPECT_EQ(loaded, CommandSet{});
}

TEST_F(CommandSetFileTest, FileHoldsThirtyFourCrLfLinesInOrder) {
    CommandSet set;
    set.AppTitle = QStringLiteral("T");
    for (int i = 0; i < CommandSet::Commands; ++i) {
        set.RepSec[i] = QStringLiteral("r%1").arg(i);
        set.CMND[i] = QStringLiteral("c%1").arg(i);
    }
    set.AppDesc = QStringLiteral("D");
    set.Alternate = true;
    set.FCAS = true;
    set.ASA = true;
    CommandSetFile::save(path("b.ini"), set);

    QByteArray expected = "T\r\n";
    for (int i = 0; i < CommandSet::Commands; ++i) {
        expected += "r" + QByteArray::number(i) + "\r\nc" + QByteArray::number(i) + "\r\n";
    }
    expected += "D\r\n 1 \r\nFALSE\r\nTRUE\r\nFALSE\r\nTRUE\r\nFALSE\r\n";
    EXPECT_EQ(bytes("b.ini"), expected);
    EXPECT_EQ(CommandSetFile::lines(set).size(), CommandSetFile::LineCount);

    set.Alternate = false;
    EXPECT_EQ(CommandSetFile::lines(set)[28], QStringLiteral(" 0 "));
}

TEST_F(CommandSetFileTest, ShortFileLoadsWhatItHasAndKeepsTheRest) {
    QStringList lines{QStringLiteral("Title")};
    for (int i = 0; i < CommandSet::Commands; ++i) {
        lines << QStringLiteral("%1").arg(i + 1) << QStringLiteral("k%1").arg(i);
    }
    ASSERT_EQ(lines.size(), 27);
    ASSERT_TRUE(LineFile::write(path("old.ini"), lines));

    CommandSet set = sampleSet();
    const CommandSet before = set;
    ASSERT_TRUE(CommandSetFile::load(path("old.ini"), set));
    EXPECT_EQ(set.AppTitle, QStringLiteral("Title"));
    EXPECT_EQ(set.RepSec[12], QStringLiteral("13"));
    EXPECT_EQ(set.CMND[12], QStringLiteral("k12"));
    EXPECT_EQ(set.AppDesc, before.AppDesc);
    EXPECT_EQ(set.Alternate, before.Alternate);
    EXPECT_EQ(set.RCAS, before.RCAS);
    EXPECT_EQ(set.CAS, before.CAS);

    // The file was closed: it can be replaced right away.
    EXPECT_NO_THROW(CommandSetFile::save(path("old.ini"), set));
    CommandSet again;
    ASSERT_TRUE(CommandSetFile::load(path("old.ini"), again));
    EXPECT_EQ(again, set);
}

TEST_F(CommandSetFileTest, ShortFilesStopAtEveryBoundary) {
    const CommandSet full = sampleSet();
    const QStringList all = CommandSetFile::lines(full);
    for (int count = 0; count <= CommandSetFile::LineCount; ++count) {
        CommandSet set;  // all empty, all unchecked
        CommandSetFile::apply(all.mid(0, count), set);
        const QStringList got = CommandSetFile::lines(set);
        const QStringList empty = CommandSetFile::lines(CommandSet{});
        for (int line = 0; line < CommandSetFile::LineCount; ++line) {
            SCOPED_TRACE(
                QStringLiteral("%1 lines, line %2").arg(count).arg(line + 1).toStdString());
            EXPECT_EQ(got[line], line < count ? all[line] : empty[line]);
        }
    }
}

TEST_F(CommandSetFileTest, AlternateLineIsReadAsARoundedNumber) {
    struct Case {
        const char* line;
        bool checked;
    };
    const Case cases[] = {{" 1 ", true}, {"1", true},   {"1.0", true}, {" 0 ", false},
                          {"0", false},  {"", false},   {"x", false},  {"0.5", false},
                          {"0.6", true}, {" 2 ", true}, {"-1", true},  {"1 junk", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        QStringList lines = CommandSetFile::lines(CommandSet{});
        lines[28] = QString::fromLatin1(c.line);
        CommandSet set;
        set.Alternate = !c.checked;
        CommandSetFile::apply(lines, set);
        EXPECT_EQ(set.Alternate, c.checked);
    }
}

TEST_F(CommandSetFileTest, OnlyExactTrueChecksAnOption) {
    const char* const lines[] = {"TRUE", "True", "true", " TRUE", "TRUE ", "1", "FALSE", ""};
    for (const char* text : lines) {
        SCOPED_TRACE(text);
        const bool expected = QByteArray(text) == "TRUE";
        for (int option = 0; option < 5; ++option) {
            QStringList file = CommandSetFile::lines(CommandSet{});
            file[29 + option] = QString::fromLatin1(text);
            CommandSet set;
            set.RCAS = set.FCAS = set.HandShake = set.ASA = set.CAS = !expected;
            CommandSetFile::apply(file, set);
            const bool values[] = {set.RCAS, set.FCAS, set.HandShake, set.ASA, set.CAS};
            for (int other = 0; other < 5; ++other) {
                // The other lines say "FALSE".
                EXPECT_EQ(values[other], other == option ? expected : false);
            }
        }
    }
}

TEST_F(CommandSetFileTest, ReadsLineFeedOnlyFilesAndAMissingLastLineEnd) {
    QFile f(path("lf.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Title\n5\na\n");
    f.close();
    CommandSet set;
    ASSERT_TRUE(CommandSetFile::load(path("lf.ini"), set));
    EXPECT_EQ(set.AppTitle, QStringLiteral("Title"));
    EXPECT_EQ(set.RepSec[0], QStringLiteral("5"));
    EXPECT_EQ(set.CMND[0], QStringLiteral("a"));
    EXPECT_EQ(set.RepSec[1], QString());
}

TEST_F(CommandSetFileTest, MissingFileChangesNothing) {
    CommandSet set = sampleSet();
    EXPECT_FALSE(CommandSetFile::load(path("none.ini"), set));
    EXPECT_FALSE(CommandSetFile::load(QString(), set));
    EXPECT_FALSE(CommandSetFile::load(dir.path(), set));  // a folder is no setup file
    EXPECT_EQ(set, sampleSet());
}

TEST_F(CommandSetFileTest, FailedSaveThrowsAndKeepsTheOldFile) {
    CommandSetFile::save(path("keep.ini"), sampleSet());
    const QByteArray before = bytes("keep.ini");
    try {
        CommandSetFile::save(path("no/such/folder/x.ini"), CommandSet{});
        FAIL() << "a save into a missing folder must fail";
    } catch (const PlatformError& e) {
        EXPECT_EQ(e.number(), CommandSetFile::FileAccessError);
        EXPECT_FALSE(e.description().empty());
    }
    EXPECT_THROW(CommandSetFile::save(QString(), CommandSet{}), PlatformError);
    EXPECT_EQ(bytes("keep.ini"), before);
}

TEST(CommandSetFileNameRule, AddsIniOnlyWhenThereIsNoDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"night", "night.INI"},
        {"", ".INI"},
        {"night.ini", "night.ini"},
        {"NR1", "NR1.INI"},
        {"sets.d/night", "sets.d/night"},  // a dot in a folder name counts
        {"/home/op/night", "/home/op/night.INI"},
        {".", "."},
        {"a.", "a."},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(CommandSetFile::withDefaultExtension(QString::fromLatin1(in)),
                  QString::fromLatin1(out))
            << in;
    }
}

TEST_F(CommandSetFileTest, NamesResolveAgainstTheFolderIgnoringLetterCase) {
    CommandSetFile::save(path("Night.INI"), sampleSet());
    EXPECT_EQ(CommandSetFile::resolve(dir.path(), QStringLiteral("Night.INI")), path("Night.INI"));
    // Typed in another case, the existing file is found.
    const QString resolved = CommandSetFile::resolve(dir.path(), QStringLiteral("night.ini"));
    EXPECT_EQ(QFileInfo(resolved).fileName(), QStringLiteral("Night.INI"));
    // A new name stays as typed.
    EXPECT_EQ(CommandSetFile::resolve(dir.path(), QStringLiteral("new.ini")), path("new.ini"));
    // An absolute name ignores the folder; an empty name names nothing.
    EXPECT_EQ(CommandSetFile::resolve(QStringLiteral("/elsewhere"), path("Night.INI")),
              path("Night.INI"));
    EXPECT_EQ(CommandSetFile::resolve(dir.path(), QString()), QString());
}

}  // namespace
}  // namespace keyrelay

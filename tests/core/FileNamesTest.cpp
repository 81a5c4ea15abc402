#include "core/FileNames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace keyrelay {
namespace {

class FileNamesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    void touch(const QString& name) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
};

TEST_F(FileNamesTest, FindsAFileWhoseNameDiffersOnlyInCase) {
    touch(QStringLiteral("QsySweep.txt"));
    EXPECT_EQ(FileNames::findIgnoringCase(dir.path(), QStringLiteral("Qsysweep.txt")),
              dir.filePath(QStringLiteral("QsySweep.txt")));
    EXPECT_EQ(FileNames::findIgnoringCase(dir.path(), QStringLiteral("QSYSWEEP.TXT")),
              dir.filePath(QStringLiteral("QsySweep.txt")));
}

TEST_F(FileNamesTest, PrefersTheExactSpelling) {
    touch(QStringLiteral("TerminalF.txt"));
    touch(QStringLiteral("terminalf.txt"));
    touch(QStringLiteral("Terminalf.txt"));
    EXPECT_EQ(FileNames::findIgnoringCase(dir.path(), QStringLiteral("Terminalf.txt")),
              dir.filePath(QStringLiteral("Terminalf.txt")));
    EXPECT_EQ(FileNames::findIgnoringCase(dir.path(), QStringLiteral("terminalf.txt")),
              dir.filePath(QStringLiteral("terminalf.txt")));
    // No exact spelling: the first in name order.
    EXPECT_EQ(FileNames::findIgnoringCase(dir.path(), QStringLiteral("TERMINALF.TXT")),
              dir.filePath(QStringLiteral("TerminalF.txt")));
}

TEST_F(FileNamesTest, FindsNothingForOtherNamesFoldersOrAnEmptyName) {
    touch(QStringLiteral("CmdPadF.ini"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("StartApps.txt")));
    EXPECT_TRUE(FileNames::findIgnoringCase(dir.path(), QStringLiteral("CmdPadF.in")).isEmpty());
    EXPECT_TRUE(FileNames::findIgnoringCase(dir.path(), QStringLiteral("startapps.txt")).isEmpty());
    EXPECT_TRUE(FileNames::findIgnoringCase(dir.path(), QStringLiteral("StartApps.txt")).isEmpty());
    EXPECT_TRUE(FileNames::findIgnoringCase(dir.path(), QString()).isEmpty());
    EXPECT_TRUE(FileNames::findIgnoringCase(dir.filePath(QStringLiteral("gone")),
                                            QStringLiteral("CmdPadF.ini"))
                    .isEmpty());
}

TEST_F(FileNamesTest, EmptyFolderMeansTheWorkingFolder) {
    touch(QStringLiteral("LastFile.txt"));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString found = FileNames::findIgnoringCase(QString(), QStringLiteral("lastfile.TXT"));
    QDir::setCurrent(before);
    EXPECT_EQ(found, QStringLiteral("LastFile.txt"));
}

}  // namespace
}  // namespace keyrelay

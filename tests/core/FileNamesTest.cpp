#include "core/FileNames.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace keyrelay {
namespace {

TEST(FileNames, FindsTheExactSpellingElseTheFirstFileMatchingWithoutCase) {
    QTemporaryDir dir;
    for (const char* name : {"TerminalF.txt", "terminalf.txt", "QsySweep.txt"}) {
        QFile file(dir.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"StartApps.txt"_qs));
    using Case = std::pair<const char*, const char*>;  // name, file found ("" for none)
    for (const auto& [name, file] :
         {Case{"QSYSWEEP.TXT", "QsySweep.txt"}, Case{"terminalf.txt", "terminalf.txt"},
          Case{"TERMINALF.TXT", "TerminalF.txt"}, Case{"QsySweep.tx", ""},
          Case{"startapps.txt", ""}, Case{"StartApps.txt", ""}, Case{"", ""}}) {
        const QString found = FileNames::findIgnoringCase(dir.path(), QLatin1String(name));
        EXPECT_EQ(found, *file ? dir.filePath(QLatin1String(file)) : QString()) << name;
    }
    EXPECT_EQ(FileNames::findIgnoringCase(dir.filePath(u"gone"_qs), u"QsySweep.txt"_qs), QString());

    // No folder: the working folder, and the name alone.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const QString found = FileNames::findIgnoringCase(QString(), u"qsysweep.TXT"_qs);
    QDir::setCurrent(before);
    EXPECT_EQ(found, u"QsySweep.txt"_qs);
}

}  // namespace
}  // namespace keyrelay

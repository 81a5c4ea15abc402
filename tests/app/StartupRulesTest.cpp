#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/CompanionFolder.h"

namespace keyrelay {
namespace {

TEST(CommandLine, WholeArgumentTextNamesTheSetupFile) {
    EXPECT_EQ(CommandLine::argumentText({}), QString());
    EXPECT_EQ(CommandLine::argumentText({"NR1"}), QStringLiteral("NR1"));
    EXPECT_EQ(CommandLine::argumentText({"my", "set.ini"}), QStringLiteral("my set.ini"));
    EXPECT_EQ(CommandLine::argumentText({"two  blanks"}), QStringLiteral("two  blanks"));
}

TEST(CompanionFolder, SharedFolderOnlyForTheInstalledProgram) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/keyrelay/bin/keyrelay", "/opt/logdeck/"},
        {"/usr/bin/keyrelay", "/opt/logdeck/"},
        {"/opt/keyrelay/bin/../bin/keyrelay", "/opt/logdeck/"},
        {"/home/op/keyrelay/build/bin/keyrelay", ""},
        {"/usr/local/bin/keyrelay", ""},
        {"/opt/keyrelay/bin/keyrelay2", ""},
        {"", ""},
    };
    for (const auto& [program, folder] : cases) {
        EXPECT_EQ(CompanionFolder::forProgram(QString::fromLatin1(program)),
                  QString::fromLatin1(folder))
            << program;
    }
}

}  // namespace
}  // namespace keyrelay

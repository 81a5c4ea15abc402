#include "launcher/LaunchRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace keyrelay {
namespace {

TEST(LaunchRules, HowARowIsStarted) {
    struct Case {
        std::string path;
        bool separator;
        const char* folder;
        std::string file;
        bool skimmer;
        bool receiver;
        bool minimisedWhenAsked;
        const char* wait;
        std::int64_t waitMs;
    };
    std::vector<Case> cases = {
        {"C:\\CW Skimmer\\CwSkimmer.exe", true, "C:/CW Skimmer/", "CwSkimmer.exe", true, false,
         false, "", 0},
        {"/opt/hdSdr/HDSDR.exe", true, "/opt/hdSdr/", "HDSDR.exe", false, true, false, "5", 5000},
        {"/home/op/a\\b/c\\prog", true, "/home/op/a/b/c/", "prog", false, false, true, " 12 ",
         12000},
        {"/opt/CWSKIMMER", true, "/opt/", "CWSKIMMER", true, false, false, "1.5", 1500},
        {"/opt/CW Skimmer/skim.exe", true, "/opt/CW Skimmer/", "skim.exe", false, false, true,
         ".25", 250},  // the blank breaks the name
        {"/opt/cwskimmer/hdsdr", true, "/opt/cwskimmer/", "hdsdr", true, true, false, "2s", 2000},
        {"/opt/folder/", true, "/opt/folder/", "", false, false, true, "abc", 0},
        {"notepad.exe", false, "", "notepad.exe", false, false, true, "-3", 0},
        {"", false, "", "", false, false, true, "0.0004", 0},
        {"/prog", true, "/", "prog", false, false, true, "0.0006", 1},
        {"/f/" + std::string(300, 'n'), true, "/f/", std::string(255, 'n'), false, false, true,
         "&H10", 16000},
        {"/f/" + std::string(255, 'n'), true, "/f/", std::string(255, 'n'), false, false, true,
         "1e30", 31536000000},  // at most a year
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.substr(0, 40) + " / " + c.wait);
        const QString path = QString::fromStdString(c.path);
        EXPECT_EQ(LaunchRules::hasSeparator(path), c.separator);
        EXPECT_EQ(LaunchRules::folderOf(path).toStdString(), c.folder);
        EXPECT_EQ(LaunchRules::fileOf(path).toStdString(), c.file);
        EXPECT_EQ(LaunchRules::isSkimmer(path), c.skimmer);
        EXPECT_EQ(LaunchRules::isReceiver(path), c.receiver);
        EXPECT_EQ(LaunchRules::startsMinimized(path, true), c.minimisedWhenAsked);
        EXPECT_FALSE(LaunchRules::startsMinimized(path, false));
        EXPECT_EQ(LaunchRules::waitMs(QString::fromLatin1(c.wait)), c.waitMs);
    }
}

}  // namespace
}  // namespace keyrelay

#include "launcher/LaunchRules.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace keyrelay {
namespace {

// Path: folder, file, decoder, receiver, started minimised when asked; wait text: ms.
TEST(LaunchRules, HowARowIsStarted) {
    using Case = std::tuple<std::string, const char*, std::string, bool, bool, bool, const char*,
                            std::int64_t>;
    const std::vector<Case> cases = {
        {"C:\\CW Skimmer\\CwSkimmer.exe", "C:/CW Skimmer/", "CwSkimmer.exe", 1, 0, 0, "", 0},
        {"/opt/hdSdr/HDSDR.exe", "/opt/hdSdr/", "HDSDR.exe", 0, 1, 0, " 12 ", 12000},
        {"/home/op/a\\b/c\\prog", "/home/op/a/b/c/", "prog", 0, 0, 1, "1.5", 1500},
        {"/opt/CW Skimmer/skim.exe", "/opt/CW Skimmer/", "skim.exe", 0, 0, 1, "2s", 2000},
        {"/opt/cwskimmer/hdsdr", "/opt/cwskimmer/", "hdsdr", 1, 1, 0, "abc", 0},
        {"notepad.exe", "", "notepad.exe", 0, 0, 1, "-3", 0},
        {"/prog", "/", "prog", 0, 0, 1, "0.0006", 1},
        {"/f/" + std::string(300, 'n'), "/f/", std::string(255, 'n'), 0, 0, 1, "&H10", 16000},
        {"/opt/folder/", "/opt/folder/", "", 0, 0, 1, "1e30", 31536000000},  // at most a year
    };
    for (const auto& [path, folder, file, skimmer, receiver, minimised, wait, ms] : cases) {
        SCOPED_TRACE(path.substr(0, 40));
        const QString p = QString::fromStdString(path);
        EXPECT_EQ(LaunchRules::hasSeparator(p), *folder != '\0');
        EXPECT_EQ(LaunchRules::folderOf(p).toStdString(), folder);
        EXPECT_EQ(LaunchRules::fileOf(p).toStdString(), file);
        EXPECT_EQ(LaunchRules::isSkimmer(p), skimmer);
        EXPECT_EQ(LaunchRules::isReceiver(p), receiver);
        EXPECT_EQ(LaunchRules::startsMinimized(p, true), minimised);
        EXPECT_FALSE(LaunchRules::startsMinimized(p, false));
        EXPECT_EQ(LaunchRules::waitMs(QString::fromLatin1(wait)), ms);
    }
}

}  // namespace
}  // namespace keyrelay

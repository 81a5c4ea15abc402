// The launch list's logic: the file and the rules for starting a row.
#include "launcher/LaunchListFile.h"
#include "launcher/LaunchRules.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>

namespace keyrelay {
namespace {

std::optional<LaunchList> readList(const QString& folder) {
    LaunchList list;
    if (!LaunchListFile::load(LaunchListFile::pathIn(folder), list)) {
        return std::nullopt;
    }
    return list;
}

// "row:path,wait,param[,min][,inc]" for each row that holds anything, then the offset.
std::string render(const std::optional<LaunchList>& list) {
    std::string out;
    for (int i = 0; list && i < LaunchList::Rows; ++i) {
        const LaunchRow& r = list->rows[i];
        if (!(r == LaunchRow{})) {
            out += std::to_string(i) + ":" + (r.path + ',' + r.wait + ',' + r.param).toStdString() +
                   (r.minimize ? ",min" : "") + (r.include ? ",inc" : "") + " ";
        }
    }
    return !list ? "none"
                 : out + "offset " +
                       (list->clickOffset ? std::to_string(*list->clickOffset) : "none");
}

QByteArray file(const QString& path, const QByteArray& write = {}) {
    QFile f(path);
    if (!write.isEmpty() && f.open(QIODevice::WriteOnly)) {
        f.write(write);
        f.close();
    }
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Lines "index=text|..." over the lines of an empty list, the file cut after `keep` lines;
// a canonical file (CR LF after each line) is also written back byte for byte.
TEST(LaunchListFile, TheFileFormat) {
    const std::tuple<const char*, int, bool, std::string> cases[] = {
        {"0=C:\\Apps\\p0.exe|1=10.5|10=/opt/p5|11=3|12= 1 |17= 1 |23= 1 |24= 70 |25=-p \"x "
         "y\"|30=-q",
         31, true, "0:C:\\Apps\\p0.exe,10.5,-p \"x y\",inc 5:/opt/p5,3,-q,min,inc offset 70"},
        {"", 31, true, "offset 95"},  // 12 empty lines, 12 " 0 ", " 95 ", 6 empty lines
        {"0=/a/p0|1=1|11=6", 12, false, "0:/a/p0,1, 5:,6, offset none"},
        {"12= 1 |13= 1 ", 13, false, "0:,,,inc offset none"},  // cut inside the marks
        {"12= 1 |13=1.4|14=0.6|15=&H1|16=2|17=-1|18=TRUE|19=x1|20=1.5|21=1|24=69.6", 31, false,
         "0:,,,inc 1:,,,inc 2:,,,inc 3:,,,min,inc offset 70"},  // marks that round to 1 count
        {"24=abc", 31, false, "offset 0"},
        {"24=-32769", 31, false, "offset none"},  // beyond 16 bits
    };
    for (const auto& [overrides, keep, canonical, read] : cases) {
        QStringList lines = LaunchListFile::lines(LaunchList{});
        for (const QString& line : QString::fromLatin1(overrides).split('|', Qt::SkipEmptyParts)) {
            lines[line.section('=', 0, 0).toInt()] = line.section('=', 1);
        }
        lines = lines.mid(0, keep);  // LF ends, no final one, unless canonical
        const QByteArray bytes =
            (canonical ? lines.join("\r\n") + "\r\n" : lines.join('\n')).toLatin1();
        QTemporaryDir folder;
        file(folder.filePath("StartApps.txt"), bytes);
        const std::optional<LaunchList> list = readList(folder.path());
        EXPECT_EQ(render(list), read);
        if (canonical) {
            ASSERT_TRUE(LaunchListFile::save(LaunchListFile::pathIn(folder.path()), *list));
            EXPECT_EQ(file(folder.filePath("StartApps.txt")), bytes);
        }
    }
}

TEST(LaunchListFile, TheFileItselfAndTheOffsetInUse) {
    QTemporaryDir folder;
    EXPECT_EQ(render(readList(folder.path())), "none");
    // A file of another letter case is read, and replaced rather than joined by a second.
    file(folder.filePath("startapps.txt"), "/x/one\n7\n");
    EXPECT_EQ(render(readList(folder.path())), "0:/x/one,7, offset none");
    LaunchList list;
    list.rows[0].path = QStringLiteral("/opt/a\nb");  // a line break keeps the lines in place
    ASSERT_TRUE(LaunchListFile::save(LaunchListFile::pathIn(folder.path()), list));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"startapps.txt"});
    EXPECT_EQ(render(readList(folder.path())), "0:/opt/a b,, offset 95");
    // A "folder" that is a file: the write fails and says why.
    QString error;
    EXPECT_FALSE(LaunchListFile::save(LaunchListFile::pathIn(folder.filePath("startapps.txt")),
                                      list, &error));
    EXPECT_FALSE(error.isEmpty());

    // The offset in use: the file's; the one in use when the file gives none; 95 for 0.
    EXPECT_EQ(LaunchListFile::effectiveClickOffset(80, 70), 80);
    EXPECT_EQ(LaunchListFile::effectiveClickOffset(std::nullopt, 70), 70);
    EXPECT_EQ(LaunchListFile::effectiveClickOffset(0, 70), 95);
}

// Path: folder, file, decoder, receiver, started minimised when asked; wait text: ms.
TEST(LaunchRules, HowARowIsStarted) {
    using Case = std::tuple<std::string, const char*, std::string, bool, bool, bool, const char*,
                            std::int64_t>;
    const std::vector<Case> cases = {
        {"C:\\CW Skimmer\\CwSkimmer.exe", "C:/CW Skimmer/", "CwSkimmer.exe", 1, 0, 0, "", 0},
        {"/opt/hdSdr/HDSDR.exe", "/opt/hdSdr/", "HDSDR.exe", 0, 1, 0, " 12 ", 12000},
        {"/home/op/a\\b/c\\prog", "/home/op/a/b/c/", "prog", 0, 0, 1, "1.5", 1500},
        {"/opt/cwskimmer/hdsdr", "/opt/cwskimmer/", "hdsdr", 1, 1, 0, "abc", 0},
        {"/CW Skimmer/notepad.exe", "/CW Skimmer/", "notepad.exe", 0, 0, 1, "2s", 2000},
        {"notepad.exe", "", "notepad.exe", 0, 0, 1, "-3", 0},
        {"/prog", "/", "prog", 0, 0, 1, "0.0006", 1},
        {"/f/" + std::string(300, 'n'), "/f/", std::string(255, 'n'), 0, 0, 1, "&H10", 16000},
        {"/opt/folder/", "/opt/folder/", "", 0, 0, 1, "1e30", 31536000000},  // at most a year
    };
    for (const auto& [path, folder, file, skimmer, receiver, minimised, wait, ms] : cases) {
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

// A path as this system names it: with a Wine prefix, drive letters lie in the prefix.
// (AppsWineTest has the letter case matched against a real prefix.)
TEST(LaunchRules, DriveLettersNameTheWinePrefix) {
    const std::vector<std::array<const char*, 3>> cases = {
        // path, Wine prefix (none on Windows), host path
        {"C:\\Ham\\keyer.exe", "", "C:/Ham/keyer.exe"},
        {"C:\\Program Files\\Ham\\x.exe", "/w", "/w/dosdevices/c:/Program Files/Ham/x.exe"},
        {"d:/Radio//HDSDR.EXE", "/w", "/w/dosdevices/d:/Radio/HDSDR.EXE"},
        {"C:", "/w", "/w/dosdevices/c:/"},
        {"C:keyer.exe", "/w", "/w/dosdevices/c:/keyer.exe"},
        {"/opt/a\\b.exe", "/w", "/opt/a/b.exe"},
        {"1:\\x", "/w", "1:/x"},
    };
    for (const auto& [path, prefix, host] : cases) {
        EXPECT_EQ(LaunchRules::hostPath(QLatin1String(path).toString(), QLatin1String(prefix)),
                  QLatin1String(host))
            << path;
    }
}

}  // namespace
}  // namespace keyrelay

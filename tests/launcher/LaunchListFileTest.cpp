#include "launcher/LaunchListFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace keyrelay {
namespace {

// "row:path,wait,param[,min][,inc]" for each row that holds anything, then the offset.
std::string render(const LaunchList& list) {
    std::string out;
    for (int i = 0; i < LaunchList::Rows; ++i) {
        const LaunchRow& r = list.rows[i];
        if (!(r == LaunchRow{})) {
            out += std::to_string(i) + ":" + (r.path + ',' + r.wait + ',' + r.param).toStdString() +
                   (r.minimize ? ",min" : "") + (r.include ? ",inc" : "") + " ";
        }
    }
    return out + "offset " + (list.clickOffset ? std::to_string(*list.clickOffset) : "none");
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The file as read from disk; a canonical file is also written back byte for byte.
TEST(LaunchListFile, TheFileFormat) {
    struct Case {
        const char* name;
        std::vector<std::pair<int, const char*>> lines;  // line index and text; the rest as
                                                         // an empty list writes them
        std::string read;
        int keep = 31;           // lines kept
        bool canonical = false;  // CR LF after each line, as the writer makes it
    };
    const Case cases[] = {
        {"every field on its line",
         {{0, "C:\\Apps\\p0.exe"},
          {1, "10.5"},
          {10, "/opt/p5"},
          {11, "3"},
          {12, " 1 "},
          {17, " 1 "},
          {23, " 1 "},
          {24, " 70 "},
          {25, "-p \"x y\""},
          {30, "-q"}},
         "0:C:\\Apps\\p0.exe,10.5,-p \"x y\",inc 5:/opt/p5,3,-q,min,inc offset 70",
         31,
         true},
        {"an empty list: twelve empty lines, twelve 0 marks, the offset, six empty lines",
         {},
         "offset 95",
         31,
         true},
        {"only the first twelve lines, LF ends, no final line end",
         {{0, "/a/p0"}, {1, "1"}, {10, "/a/p5"}, {11, "6"}},
         "0:/a/p0,1, 5:/a/p5,6, offset none",
         12},
        {"a file cut inside the marks", {{12, " 1 "}, {13, " 1 "}}, "0:,,,inc offset none", 13},
        {"only a mark that rounds to 1 counts",
         {{12, " 1 "},
          {13, "1.4"},
          {14, "0.6"},
          {15, "&H1"},
          {16, "2"},
          {17, "-1"},
          {18, "TRUE"},
          {19, "x1"},
          {20, "1.5"},
          {21, "1"}},
         "0:,,,inc 1:,,,inc 2:,,,inc 3:,,,min,inc offset 95"},
        {"offset 0", {{24, "0"}}, "offset 0"},
        {"offset not a number", {{24, "abc"}}, "offset 0"},
        {"offset negative", {{24, "-20"}}, "offset -20"},
        {"offset beyond 16 bits", {{24, "32768"}}, "offset none"},
        {"offset rounded", {{24, "69.6"}}, "offset 70"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList lines = LaunchListFile::toLines(LaunchList{});
        for (const auto& [index, text] : c.lines) {
            lines[index] = QString::fromLatin1(text);
        }
        lines = lines.mid(0, c.keep);
        const QByteArray bytes =
            c.canonical ? (lines.join("\r\n") + "\r\n").toLatin1() : lines.join('\n').toLatin1();
        QTemporaryDir folder;
        writeBytes(folder.filePath("StartApps.txt"), bytes);
        const std::optional<LaunchList> list = LaunchListFile::read(folder.path());
        ASSERT_TRUE(list);
        EXPECT_EQ(render(*list), c.read);
        if (c.canonical) {
            ASSERT_TRUE(LaunchListFile::write(folder.path(), *list));
            EXPECT_EQ(bytesOf(folder.filePath("StartApps.txt")), bytes);
        }
    }
}

TEST(LaunchListFile, TheFileItselfAndTheOffsetInUse) {
    QTemporaryDir folder;
    EXPECT_FALSE(LaunchListFile::read(folder.path()));  // no file: nothing
    // A file of another letter case is read, and replaced rather than joined by a second.
    writeBytes(folder.filePath("startapps.txt"), "/x/one\n7\n");
    EXPECT_EQ(render(*LaunchListFile::read(folder.path())), "0:/x/one,7, offset none");
    LaunchList list;
    list.rows[0].path = QStringLiteral("/opt/a\nb");  // a line break keeps the lines in place
    list.rows[2].param = QStringLiteral("one\r\ntwo");
    ASSERT_TRUE(LaunchListFile::write(folder.path(), list));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"startapps.txt"});
    EXPECT_EQ(render(*LaunchListFile::read(folder.path())), "0:/opt/a b,, 2:,,one  two offset 95");

    // A "folder" that is a file: the write fails, says why, and leaves the file whole.
    QString error;
    EXPECT_FALSE(LaunchListFile::write(folder.filePath("startapps.txt"), list, &error));
    EXPECT_FALSE(error.isEmpty());

    const std::tuple<std::optional<std::int16_t>, std::int16_t, std::int16_t> offsets[] = {
        {std::nullopt, 0, 95}, {std::nullopt, 70, 70}, {0, 70, 95}, {70, 0, 70}, {80, 70, 80}};
    for (const auto& [fromFile, current, used] : offsets) {
        EXPECT_EQ(LaunchListFile::effectiveClickOffset(fromFile, current), used);
    }
}

}  // namespace
}  // namespace keyrelay

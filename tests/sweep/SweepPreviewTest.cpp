// The preview must never disagree with the sweep it foretells.
#include "sweep/SweepPreview.h"

#include <gtest/gtest.h>
#include <QAction>
#include <tuple>

#include "core/FrequencyText.h"
#include "support/TestProgram.h"
#include "sweep/PreviewFrm.h"

namespace keyrelay {
namespace {

using W = SweepPreview::Warning;

struct Line {
    int n;
    const char *start, *end, *inc, *dwell, *from = "", *to = "";
};

SweepSettings table(const std::vector<Line>& lines, const char* suffix, const char* prefix = "",
                    bool cycleBands = false) {
    const auto t = [](const char* text) { return QString::fromLatin1(text); };
    SweepSettings s;
    s.TargetName = t("CW Skimmer");
    s.PrefixStr = t(prefix);
    s.SufixStr = t(suffix);
    s.CycleBands = cycleBands;
    for (const Line& l : lines) {
        s.rows[static_cast<std::size_t>(l.n)] = {t(l.start), t(l.end),  t(l.inc), t(l.dwell),
                                                 1,          t(l.from), t(l.to)};
    }
    return s;
}

TEST(SweepPreview, AgreesWithTheSweepOnTheVirtualClock) {
    struct Case {
        const char* what;
        int hour, minute, second, spanSecs;
        const char *prefix, *suffix;
        bool cycleBands;
        std::vector<Line> lines;
    };
    // clang-format off
    const Case cases[] = {
        {"cycle bands, a used-up range, a starred dwell", 12, 0, 0, 60, "%CT", "~", true,
         {{0, "7000", "7002.5", "1", "2"}, {2, "14000", "14001", "0.5", "3*"}}},
        {"one line's window closes, the next opens", 12, 0, 30, 180, "", "~", false,
         {{0, "7000", "7010", "1", "1", "12:00", "12:01"}, {3, "3500", "3502", "1", "0", "12:02"}}},
        {"all lines outside their windows: it stays on its line", 14, 0, 30, 90, "", "~", false,
         {{0, "7000", "7003", "1", "1", "13:00", "14:00"}, {1, "3500", "3502", "1", "0", "15:00", "16:00"}}},
        {"no suffix, an end below the start", 12, 0, 0, 40, "%CT", "", true,
         {{0, "7000", "7003", "1", "1"}, {1, "7005", "7000", "1", "2"}}},
        {"start on an excluded line, a window across midnight, a step beyond the range", 23, 59, 50,
         90, "", "~", false, {{1, "21000", "21005", "10", "1", "22:00", "02:00"},
         {4, "28000", "28002", "5", "2"}, {6, "1800", "1810", "2", "0", "00:00", "00:10"}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        test::TestProgram p;
        p.pad();  // its one-second tick drives the sweep from t = 1000 ms on
        p.fake.windows.addWindow("CW Skimmer");
        p.fake.clock.setLocalTime(c.hour, c.minute, c.second);
        const SweepSettings s = table(c.lines, c.suffix, c.prefix, c.cycleBands);
        p.sweep().applySettings(s);
        const SweepPreview::Start start{.secondsOfDay = c.hour * 3600 + c.minute * 60 + c.second};
        std::vector<std::string> preview;
        for (const auto& step : SweepPreview::steps(s, start, c.spanSecs * 1000)) {
            preview.push_back(FrequencyText::of(step.kHz).toStdString() + "@" +
                              std::to_string(step.ms));
        }
        p.sweep().Command2_Click();  // then to just before the end of the preview's span:
        p.fake.clock.advance(c.spanSecs * 1000 - 1 - p.fake.clock.elapsedMs());
        EXPECT_GT(preview.size(), 6u) << c.what;
        EXPECT_EQ(preview, p.typedFrequencies()) << c.what;
    }
}

TEST(SweepPreview, WarningsNameTheirLines) {
    using Want = std::tuple<W::Kind, int, int, int>;  // kind, line, from and to minute
    // clang-format off
    const std::tuple<const char*, std::vector<Line>, std::vector<Want>> cases[] = {
        {"~", {{0, "7000", "7040", "1", "30"}, {3, "7000", "7000", "5", "1"}}, {}},
        {"~", {{1, "7000", "7040", "1", "30", "22:00", "02:00"}, {2, "14000", "14010", "0", "5"}},
         {{W::WindowNeverMatches, 1, 0, 0}, {W::StepNotPositive, 2, 0, 0}}},
        {"~", {{0, "7040", "7000", "1", "30", "08:00", "17:59"}, {5, "7000", "7002", "2.5", "3", "08:00", "12:00"}},
         {{W::EndBelowStart, 0, 0, 0}, {W::StepBeyondRange, 5, 0, 0}, {W::NoLineInWindow, -1, 0, 480},
          {W::NoLineInWindow, -1, 1080, 1440}}},
        {"~", {{3, "7000", "7000", "5", "1", "00:00", "12:00"}},  // "00:00" opens at 00:01
         {{W::NoLineInWindow, -1, 0, 1}, {W::NoLineInWindow, -1, 721, 1440}}},
        {"", {{1, "7000", "7002", "5", "1"}, {4, "7000", "7040", "1", "30"}},  // each line says so
         {{W::StepBeyondRange, 1, 0, 0}, {W::NoSuffix, 1, 0, 0}, {W::NoSuffix, 4, 0, 0}}},
        {"~", {}, {{W::NoLineIncluded, -1, 0, 1440}}},
    };
    // clang-format on
    for (const auto& [suffix, lines, want] : cases) {
        std::vector<Want> got;
        for (const W& w : SweepPreview::warnings(table(lines, suffix))) {
            got.emplace_back(w.kind, w.line, w.fromMinute, w.toMinute);
        }
        EXPECT_EQ(got, want) << lines.size();
    }
}

TEST(SweepPreview, TheWindowFollowsEditsAndGoesWhenClosed) {
    test::TestProgram p;
    QsySweep& s = p.sweep();
    s.applySettings(table({{0, "7000", "7002", "1", "2"}}, "~"));
    s.PRV->trigger();
    ASSERT_TRUE(s.Preview);
    const std::vector<SweepPreview::Step> before = s.Preview->steps();
    s.IncH[0]->setText(u"0.5"_qs);
    EXPECT_EQ(s.Preview->steps(), before);
    p.fake.clock.advance(PreviewFrm::SettleMs);
    EXPECT_EQ(s.Preview->steps()[1].kHz, 7000.5);
    EXPECT_TRUE(s.Preview->hintAt({s.Preview->width() / 3, 8 + 22 + 11})
                    .contains(u"7000, 7000.5, 7001, 7001.5, 7002 kHz"_qs));
    s.Preview->grab();
    s.Preview->close();  // gone, with its timer and connections
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(s.Preview);
}

}  // namespace
}  // namespace keyrelay

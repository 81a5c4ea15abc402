#include "core/DayTime.h"

#include <gtest/gtest.h>

#include "fakes/TestText.h"

#include <cstdio>
#include <ostream>
#include <string>

#include <QString>

namespace keyrelay {
namespace {

using test::TestText;

struct DayTimeCase {
    const char* text;
    int minutes;
};

void PrintTo(const DayTimeCase& c, std::ostream* os) {
    *os << TestText::shown(c.text);
}

class DayTimeMinutes : public ::testing::TestWithParam<DayTimeCase> {};

TEST_P(DayTimeMinutes, ReadsHoursAndMinutesByPosition) {
    EXPECT_EQ(DayTime::minutesOf(QString::fromLatin1(GetParam().text)), GetParam().minutes)
        << "text: \"" << GetParam().text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DayTimeMinutes,
    ::testing::Values(DayTimeCase{"09:30", 570}, DayTimeCase{"00:00", 0},
                      DayTimeCase{"23:59", 1439}, DayTimeCase{"12:00", 720},
                      // Read by position, so a one-digit hour shifts the minutes
                      DayTimeCase{"9:30", 540}, DayTimeCase{"9:3", 540}, DayTimeCase{"", 0},
                      DayTimeCase{"1", 60}, DayTimeCase{"10", 600}, DayTimeCase{"10:", 600},
                      DayTimeCase{"10:5", 605}, DayTimeCase{"10:05:59", 605},
                      DayTimeCase{"0935", 545}, DayTimeCase{"ab:cd", 0},
                      // No range check
                      DayTimeCase{"25:99", 1599}, DayTimeCase{"99:99", 6039},
                      DayTimeCase{"-1:30", -30}, DayTimeCase{" 9:30", 570}));

}  // namespace
}  // namespace keyrelay

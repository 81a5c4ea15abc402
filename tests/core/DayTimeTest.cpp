#include "core/DayTime.h"

#include <gtest/gtest.h>

#include <QString>

namespace keyrelay {
namespace {

// Read by position, so a one-digit hour shifts the minutes; no range check.
TEST(DayTime, ReadsHoursAndMinutesByPosition) {
    using Case = std::pair<const char*, int>;
    for (const Case& c :
         {Case{"09:30", 570}, Case{"23:59", 1439}, Case{"", 0}, Case{"ab:cd", 0}, Case{"9:30", 540},
          Case{"10:5", 605}, Case{"10:05:59", 605}, Case{"0935", 545}, Case{"25:99", 1599},
          Case{"-1:30", -30}, Case{" 9:30", 570}}) {
        EXPECT_EQ(DayTime::minutesOf(QString::fromLatin1(c.first)), c.second) << c.first;
    }
}

}  // namespace
}  // namespace keyrelay

#pragma once

#include <QStringView>

namespace keyrelay {

// Times of day written "HH:MM", read by position.
class DayTime {
public:
    // Minutes since midnight: 60 x the numeric value of characters 1-2 plus the numeric
    // value of characters 4-5. "09:30" -> 570; "9:30" -> 540 (characters 4-5 are "0");
    // "" -> 0. No range check: "25:99" -> 1599.
    static int minutesOf(QStringView text);
};

}  // namespace keyrelay

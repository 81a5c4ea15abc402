#pragma once

namespace keyrelay {

// The eight lines of the sweep table. SweepLine may hold any 16-bit value (a received or
// stale count); every reader takes it round the table instead of trusting it.
class SweepLines {
public:
    static constexpr int Count = 8;

    // `line` taken round the table into 0..7, negative values included: -1 -> 7, 8 -> 0.
    // The next line after `line` is wrap(line + 1).
    static constexpr int wrap(int line) { return ((line % Count) + Count) % Count; }
};

}  // namespace keyrelay

#include "delivery/BusyMarker.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/ProgramState.h"

namespace keyrelay {
namespace {

// Two programs sharing the marker's folder, as the program and its companion do; only the
// first one has a Hold indicator.
class BusyMarkerTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.LogdeckFolder = other.LogdeckFolder = dir.path() + QLatin1Char('/');
        marker.setHoldSource([this] { return holdLit; });
    }

    QTemporaryDir dir;
    ProgramState state, other;
    BusyMarker marker{state}, otherMarker{other};
    bool holdLit = false;
};

TEST_F(BusyMarkerTest, FirstCheckTakesTheChannelUntilItIsCleared) {
    EXPECT_EQ(marker.path(), dir.filePath(QStringLiteral("77qwaz48.uu")));
    EXPECT_FALSE(marker.CheckBusy());
    EXPECT_TRUE(state.OwnMarker);
    QFile file(marker.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("XX\r\n"));
    EXPECT_TRUE(marker.CheckBusy());
    EXPECT_TRUE(otherMarker.CheckBusy() && otherMarker.CheckBusy());
    EXPECT_EQ(other.BusyWaitCount, 4) << "without a Hold indicator it counts as dark";

    marker.ClearBusy();
    EXPECT_FALSE(marker.exists());
    EXPECT_FALSE(state.OwnMarker);
    EXPECT_EQ(state.BusyWaitCount, 0);
    EXPECT_FALSE(otherMarker.CheckBusy());
    EXPECT_TRUE(other.OwnMarker);
    EXPECT_EQ(other.BusyWaitCount, 0);
    marker.ClearBusy();  // the other program's marker goes all the same
    EXPECT_FALSE(marker.exists());
    otherMarker.CheckBusy();
    marker.removeLeftover();  // one left over from an earlier run
    EXPECT_FALSE(marker.exists());
    state.LogdeckFolder.clear();  // the working folder
    EXPECT_EQ(marker.path(), QStringLiteral("77qwaz48.uu"));
}

// A foreign marker ages by 2 per check, by 1 while Hold is lit (read at every check); past
// 30 it counts as stale, is deleted by that check (still busy) and taken by the next.
TEST_F(BusyMarkerTest, StaleMarkerIsDeletedAndTakenByTheNextCheck) {
    for (int lit : {0, 1, 2}) {  // 2: lit at every other check
        ASSERT_FALSE(otherMarker.CheckBusy());
        const int deleting = lit == 0 ? 16 : lit == 1 ? 31 : 21;
        for (int check = 1; check <= deleting; ++check) {
            holdLit = lit == 1 || (lit == 2 && check % 2 == 1);
            ASSERT_TRUE(marker.CheckBusy()) << lit << ", check " << check;
            ASSERT_EQ(marker.exists(), check < deleting) << lit << ", check " << check;
        }
        EXPECT_EQ(state.BusyWaitCount, 0);
        EXPECT_FALSE(marker.CheckBusy());
        marker.ClearBusy();
    }
}

// A marker that cannot be deleted (here a folder of that name) must not shut the channel
// for ever: once stale, the checks go ahead without a marker, and the weight never wraps.
TEST_F(BusyMarkerTest, UndeletableMarkerStopsCountingAsBusyOnceStale) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("77qwaz48.uu")));
    for (int check = 1; check <= 20000; ++check) {
        ASSERT_EQ(marker.CheckBusy(), check <= 15) << check;
    }
    EXPECT_EQ(state.BusyWaitCount, 32767);
    EXPECT_FALSE(state.OwnMarker);
}

TEST_F(BusyMarkerTest, MissingFolderMeansNeverBusyAndNothingCreated) {
    state.LogdeckFolder = dir.filePath(QStringLiteral("LDK/"));
    for (int check = 0; check < 40; ++check) {
        ASSERT_FALSE(marker.CheckBusy());
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

}  // namespace
}  // namespace keyrelay

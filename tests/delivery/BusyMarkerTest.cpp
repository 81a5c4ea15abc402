#include "delivery/BusyMarker.h"

#include <gtest/gtest.h>

#include <ostream>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/ProgramState.h"

namespace keyrelay {
namespace {

class BusyMarkerTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ProgramState state;
    BusyMarker marker{state};
    bool holdLit = false;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        state.LogdeckFolder = dir.path() + QLatin1Char('/');
        marker.setHoldSource([this] { return holdLit; });
    }

    QString markerPath() const { return dir.filePath(QStringLiteral("77qwaz48.uu")); }
    bool markerThere() const { return QFile::exists(markerPath()); }
    QByteArray markerBytes() const {
        QFile f(markerPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // A marker made by the companion program.
    void putForeignMarker() {
        QFile f(markerPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("LDK\r\n");
    }
};

TEST_F(BusyMarkerTest, FreeChannelIsTakenWithTheMarkerAndASecondCheckIsBusy) {
    EXPECT_EQ(marker.path(), markerPath());
    EXPECT_FALSE(marker.CheckBusy());
    EXPECT_TRUE(state.OwnMarker);
    EXPECT_EQ(markerBytes(), QByteArray("XX\r\n"));

    EXPECT_TRUE(marker.CheckBusy());
    EXPECT_EQ(state.BusyWaitCount, 2);
    EXPECT_TRUE(state.OwnMarker);
}

// Checks on a foreign marker: it counts as stale once the weight passes 30, is deleted by
// that check (still busy) and taken by the next.
struct StaleCase {
    const char* name;
    bool holdLit;
    int deletingCheck;
};

void PrintTo(const StaleCase& c, std::ostream* os) {
    *os << c.name;
}

class StaleMarker : public BusyMarkerTest, public ::testing::WithParamInterface<StaleCase> {};

TEST_P(StaleMarker, IsDeletedAfterThirtyWeightAndTakenByTheNextCheck) {
    holdLit = GetParam().holdLit;
    putForeignMarker();
    const int deleting = GetParam().deletingCheck;
    for (int check = 1; check < deleting; ++check) {
        ASSERT_TRUE(marker.CheckBusy()) << "check " << check;
        ASSERT_TRUE(markerThere()) << "check " << check;
        ASSERT_EQ(state.BusyWaitCount, check * (holdLit ? 1 : 2)) << "check " << check;
        ASSERT_FALSE(state.OwnMarker);
    }
    EXPECT_TRUE(marker.CheckBusy()) << "check " << deleting;
    EXPECT_FALSE(markerThere());
    EXPECT_EQ(state.BusyWaitCount, 0);
    EXPECT_FALSE(state.OwnMarker);

    EXPECT_FALSE(marker.CheckBusy()) << "check " << deleting + 1;
    EXPECT_TRUE(state.OwnMarker);
    EXPECT_EQ(markerBytes(), QByteArray("XX\r\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Hold, StaleMarker, ::testing::Values(StaleCase{"Dark", false, 16}, StaleCase{"Lit", true, 31}),
    [](const ::testing::TestParamInfo<StaleCase>& p) { return std::string(p.param.name); });

TEST_F(BusyMarkerTest, HoldSourceIsReadAtEveryCheck) {
    putForeignMarker();
    holdLit = true;
    marker.CheckBusy();
    holdLit = false;
    marker.CheckBusy();
    EXPECT_EQ(state.BusyWaitCount, 3);
}

TEST_F(BusyMarkerTest, WithoutAHoldSourceTheIndicatorCountsAsDark) {
    BusyMarker plain(state);
    putForeignMarker();
    EXPECT_TRUE(plain.CheckBusy());
    EXPECT_EQ(state.BusyWaitCount, 2);
}

TEST_F(BusyMarkerTest, MissingFolderMeansNeverBusyAndNothingCreated) {
    state.LogdeckFolder = dir.filePath(QStringLiteral("LDK")) + QLatin1Char('/');
    for (int check = 0; check < 40; ++check) {
        ASSERT_FALSE(marker.CheckBusy());
    }
    EXPECT_FALSE(state.OwnMarker);
    EXPECT_EQ(state.BusyWaitCount, 0);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("LDK"))));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(BusyMarkerTest, EmptyFolderMeansTheWorkingFolder) {
    state.LogdeckFolder.clear();
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    EXPECT_EQ(marker.path(), QStringLiteral("77qwaz48.uu"));
    const bool busy = marker.CheckBusy();
    QDir::setCurrent(before);
    EXPECT_FALSE(busy);
    EXPECT_TRUE(markerThere());
}

TEST_F(BusyMarkerTest, SecondProgramFindsTheChannelTakenUntilTheFirstClearsIt) {
    ProgramState otherState;
    otherState.LogdeckFolder = state.LogdeckFolder;
    BusyMarker other(otherState);

    EXPECT_FALSE(marker.CheckBusy());
    EXPECT_TRUE(other.CheckBusy());
    EXPECT_TRUE(other.CheckBusy());
    EXPECT_FALSE(otherState.OwnMarker);
    EXPECT_EQ(otherState.BusyWaitCount, 4);

    marker.ClearBusy();
    EXPECT_FALSE(markerThere());
    EXPECT_FALSE(other.CheckBusy());
    EXPECT_TRUE(otherState.OwnMarker);
    EXPECT_EQ(otherState.BusyWaitCount, 0);
    EXPECT_TRUE(marker.CheckBusy());
}

TEST_F(BusyMarkerTest, ClearBusyDeletesAForeignMarkerAndGivesUpOwnership) {
    EXPECT_FALSE(marker.CheckBusy());
    QFile::remove(markerPath());
    putForeignMarker();
    EXPECT_TRUE(marker.CheckBusy());
    ASSERT_TRUE(state.OwnMarker);
    ASSERT_EQ(state.BusyWaitCount, 2);

    marker.ClearBusy();
    EXPECT_FALSE(markerThere());
    EXPECT_FALSE(state.OwnMarker);
    EXPECT_EQ(state.BusyWaitCount, 0);

    marker.ClearBusy();  // nothing there: no harm
    EXPECT_FALSE(state.OwnMarker);
}

TEST_F(BusyMarkerTest, ClearBusyInAMissingFolderStillResetsTheState) {
    state.LogdeckFolder = dir.filePath(QStringLiteral("gone/"));
    state.OwnMarker = true;
    state.BusyWaitCount = 7;
    marker.ClearBusy();
    EXPECT_FALSE(state.OwnMarker);
    EXPECT_EQ(state.BusyWaitCount, 0);
}

// A marker that cannot be deleted (here: a folder of that name) must not keep the channel
// shut for ever: once stale, the checks go ahead without a marker, and the weight never wraps.
TEST_F(BusyMarkerTest, MarkerThatCannotBeDeletedStopsCountingAsBusyOnceStale) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("77qwaz48.uu")));
    for (int check = 1; check <= 15; ++check) {
        ASSERT_TRUE(marker.CheckBusy()) << "check " << check;
    }
    for (int check = 16; check <= 20000; ++check) {
        ASSERT_FALSE(marker.CheckBusy()) << "check " << check;
    }
    EXPECT_EQ(state.BusyWaitCount, 32767);
    EXPECT_FALSE(state.OwnMarker);
}

TEST_F(BusyMarkerTest, LeftoverFromAnEarlierRunIsRemoved) {
    putForeignMarker();
    EXPECT_TRUE(marker.exists());
    marker.removeLeftover();
    EXPECT_FALSE(marker.exists());
    marker.removeLeftover();  // nothing there: no harm
}

}  // namespace
}  // namespace keyrelay

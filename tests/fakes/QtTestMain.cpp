#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char* argv[]) {
    // Without a display (for instance while CTest lists the tests, before the test's own
    // environment applies) Qt could not start at all: fall back to the offscreen platform.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY") &&
        !qEnvironmentVariableIsSet("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Draws the launcher window with a sample list and saves it as a PNG (docs/launcher.png):
//   scripts/with-display build/tests/launcher/apps_screenshot docs/launcher.png
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPixmap>
#include <QTemporaryDir>
#include <cstdio>

#include "fakes/FakePlatform.h"
#include "launcher/Apps.h"
#include "launcher/LaunchListFile.h"
#include "support/TestProgram.h"
#include "ui/AppContext.h"
#include "ui/Indicator.h"
#include "ui/WindowRegistry.h"

using namespace keyrelay;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("launcher.png");

    test::TestProgram program;
    const QTemporaryDir& folder = program.folder;
    FakePlatform& fake = program.fake;
    LaunchList list;
    list.rows[0] = {"C:\\Program Files\\Afreet\\CwSkimmer\\CwSkimmer.exe", "25", "", true, true};
    list.rows[1] = {"C:\\Program Files\\HDSDR\\HDSDR.exe", "10", "", true, true};
    list.rows[2] = {"C:\\N1MM Logger+\\N1MMLogger.net.exe", "5", "", false, true};
    list.rows[3] = {"/usr/bin/xterm", "1", "-geometry 80x24", true, false};
    LaunchListFile::write(folder.path(), list);

    WindowRegistry& windows = program.windows;

    Apps& apps = windows.get<Apps>();
    apps.Text1_LostFocus(0);  // places the decoder note under its row
    apps.Shape1[0]->show();   // as during a launch that has reached the second row
    apps.Shape1[1]->show();
    fake.dialogs.clear();
    apps.show();
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
    }
    const bool saved = apps.grab().save(out);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(out));
    return saved ? 0 : 1;
}

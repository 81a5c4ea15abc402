// Draws the sweep window with a sample table in both layouts and saves them as PNGs
// (docs/sweep-full.png, docs/sweep-compact.png):
//   scripts/with-display build/tests/sweep/sweep_screenshot docs
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>

#include "support/TestProgram.h"
#include "ui/Indicator.h"

using namespace keyrelay;

namespace {

bool save(QWidget& w, const QString& path) {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
    }
    const bool saved = w.grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
    return saved;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    test::TestProgram h;
    QsySweep& s = h.sweep();
    s.TargetName->setText(QStringLiteral("CW Skimmer"));
    s.PrefixStr->setText(QStringLiteral("%CT"));
    s.SufixStr->setText(QStringLiteral("{ENTER}"));
    s.ReturnApp->setText(QStringLiteral("N1MM Logger+"));
    const char* bands[][4] = {{"1810", "1840", "1", "30*"},
                              {"3500", "3560", "1", "30"},
                              {"7000", "7040", "0.5", "20"},
                              {"10100", "10130", "1", "20"},
                              {"14000", "14070", "1", "15"}};
    for (int i = 0; i < 5; ++i) {
        h.setLine(i, bands[i][0], bands[i][1], bands[i][2], bands[i][3]);
    }
    s.StartTime[0]->setText(QStringLiteral("18:00"));
    s.EndTime[0]->setText(QStringLiteral("23:59"));
    s.IncCheck[3]->setChecked(false);
    s.IpAddr->setText(QStringLiteral("192.168.1.20"));
    s.Port->setText(QStringLiteral("7373"));
    s.CycleBands->setChecked(true);
    s.TxtStatus->setText(QStringLiteral("Connected"));
    // As on a client linked to a running server.
    s.Shape1->show();
    s.Shape2->show();
    s.Label15->show();
    s.show();

    bool ok = save(s, out.filePath(QStringLiteral("sweep-full.png")));
    s.COLx->trigger();
    ok = save(s, out.filePath(QStringLiteral("sweep-compact.png"))) && ok;
    return ok ? 0 : 1;
}

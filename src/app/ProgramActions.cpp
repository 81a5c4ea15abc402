#include "app/ProgramActions.h"

#include <QByteArray>

#include "cmdpad/CmdPadF.h"
#include "cmdpad/Dirx.h"
#include "cmdpad/HlpF.h"
#include "launcher/Apps.h"
#include "sweep/QsySweep.h"
#include "ui/AppContext.h"
#include "ui/Indicator.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {

void ProgramActions::showWindow(const char* name) {
    loadWindow(name);
    if (ProgramWindow* w = windows_.ifLoaded(name)) {
        w->show();
        w->raise();
        w->activateWindow();
    }
}

void ProgramActions::loadWindow(const char* name) {
    if (qstrcmp(name, QsySweep::Name) == 0) {
        windows_.get<QsySweep>();
    } else if (qstrcmp(name, Apps::Name) == 0) {
        windows_.get<Apps>();
    } else if (qstrcmp(name, HlpF::Name) == 0) {
        windows_.get<HlpF>();
    } else if (qstrcmp(name, Dirx::Name) == 0) {
        windows_.get<Dirx>();
    }
}

void ProgramActions::sweepTickDuties() {
    QsySweep::tickDuties(windows_.context());
}

void ProgramActions::sweepDotRed() {
    windows_.get<QsySweep>().Shape1->setFillColor(Indicator::Red);
}

void ProgramActions::bandscanAutoStart() {
    windows_.get<QsySweep>().autoStart();
}

void ProgramActions::keypadAutoStart() {
    windows_.get<CmdPadF>().keypadAutoStart();
}

void ProgramActions::startApps() {
    Apps& apps = windows_.get<Apps>();
    apps.show();
    apps.StartEm();
}

}  // namespace keyrelay

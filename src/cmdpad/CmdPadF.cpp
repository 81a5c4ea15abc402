#include "cmdpad/CmdPadF.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

#include "app/Indicator.h"

namespace keyrelay {

namespace {
QAction* checkItem(QObject* parent, const char* caption) {
    auto* a = new QAction(QString::fromLatin1(caption), parent);
    a->setCheckable(true);
    return a;
}
}  // namespace

CmdPadF::CmdPadF(AppContext& context) : ProgramWindow(context, Name) {
    setWindowTitle(QStringLiteral("Keyrelay"));
    Alternate = new QCheckBox(
        QStringLiteral("Check this box if you get errors or the commands don't work"), this);
    Shape1 = new Indicator(this);
    Shape1->hide();
    Shape2 = new Indicator(this);
    Shape2->hide();
    Command2 = new QPushButton(QStringLiteral("Start"), this);
    EXp = new QAction(QStringLiteral("Collapse"), this);
    RCAS = checkItem(this, "Keypad Auto Start");
    FCAS = checkItem(this, "Bandscan Auto Start");
    HandShake = checkItem(this, "Handshake With LDK");
    ASA = checkItem(this, "Auto Start Apps");
    CAS = checkItem(this, "Close After Apps Start");
}

void CmdPadF::StartIt() {}
void CmdPadF::DoIt() {}
void CmdPadF::ClearBusy() {}
void CmdPadF::Compress() {}
void CmdPadF::Expand() {}
void CmdPadF::keypadAutoStart() {}
void CmdPadF::bandscanAutoStart() {}

}  // namespace keyrelay

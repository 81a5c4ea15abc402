#include "sweep/QsySweep.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>

#include "app/Indicator.h"

namespace keyrelay {

QsySweep::QsySweep(AppContext& context) : ProgramWindow(context, Name) {
    setWindowTitle(QStringLiteral("QSY Sweep"));
    for (int i = 0; i < Lines; ++i) {
        StartFreq[i] = new QLineEdit(this);
        EndFreq[i] = new QLineEdit(this);
        IncH[i] = new QLineEdit(this);
        DurSec[i] = new QLineEdit(this);
        IncCheck[i] = new QCheckBox(this);
        StartTime[i] = new QLineEdit(this);
        EndTime[i] = new QLineEdit(this);
    }
    CycleBands = new QCheckBox(QStringLiteral("Cycle Bands"), this);
    Shape1 = new Indicator(this);
    Shape1->hide();
    Shape2 = new Indicator(this, Indicator::Green);
    Shape2->hide();
    Shape3 = new Indicator(this);
    Shape3->hide();
    COLx = new QAction(QStringLiteral("Collapse"), this);
}

void QsySweep::Command2_Click() {}
void QsySweep::Command3_Click() {}
void QsySweep::DoIt() {}
void QsySweep::Compress() {}
void QsySweep::Expand() {}

}  // namespace keyrelay

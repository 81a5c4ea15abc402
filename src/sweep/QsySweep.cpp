#include "sweep/QsySweep.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTcpSocket>
#include <QtGlobal>
#include <initializer_list>
#include <limits>
#include <optional>
#include <utility>

#include "link/LinkClient.h"
#include "link/LinkMessage.h"
#include "link/LinkReader.h"
#include "link/LinkServer.h"
#include "platform/PlatformError.h"
#include "sweep/HelpFrm.h"
#include "sweep/PreviewFrm.h"
#include "sweep/SweepPlan.h"
#include "sweep/SweepSettingsFile.h"
#include "sweep/SweepStep.h"
#include "sweep/SweepTick.h"
#include "telnet/SkimmerTelnet.h"
#include "telnet/TerminalF.h"
#include "ui/AppContext.h"
#include "ui/Indicator.h"
#include "ui/Twips.h"
#include "ui/WindowRegistry.h"

#ifndef KEYRELAY_VERSION
#define KEYRELAY_VERSION "0"
#endif

namespace keyrelay {

namespace {

constexpr const char* AboutAddress = "https://keyrelay.example.org";

QString describe(const PlatformError& e) {
    return QString::fromStdString(e.description());
}

// Column geometry of the sweep table, in twips.
struct Column {
    int left;
    int width;
};
constexpr Column StartFreqCol{120, 1335};
constexpr Column EndFreqCol{1515, 1335};
constexpr Column IncHCol{2910, 1215};
constexpr Column DurSecCol{4185, 1215};
constexpr Column IncCheckCol{5460, 735};
constexpr Column StartTimeCol{6255, 1500};
constexpr Column EndTimeCol{7815, 1500};
constexpr int HeaderTop = 3300;
constexpr int HeaderHeight = 435;
constexpr int TableTop = 3780;
constexpr int RowPitch = 330;
constexpr int FieldHeight = 315;
constexpr int ButtonHeight = 375;
constexpr int LabelHeight = 255;
constexpr int DotSize = 375;
// The area the controls live in: wide enough for Text2 beyond the design width.
constexpr int FormWidth = 13200;
constexpr int FormHeight = 7500;

}  // namespace

QsySweep::QsySweep(AppContext& context) : ProgramWindow(context, Name) {
    setWindowTitle(QStringLiteral("QSY Sweep"));
    buildMenu();
    buildControls();
    buildTelnet();
    buildLink();
    placeFullLayout();
    assignHints();
    resize(Twips::toPixels(DesignWidth), height());
    setLayoutHeight(FullHeight);

    // Opening work: the link's entry for the listening socket, then the settings file.
    ctx.state.KeepAliveAnswered[0] = true;
    SweepSettings loaded = settings();
    SweepSettingsFile::load(SweepSettingsFile::pathIn(ctx.settingsFolder), loaded);
    settingsWriter_.remember(SweepSettingsFile::pathIn(ctx.settingsFolder));
    applySettings(loaded);
}

QsySweep::~QsySweep() = default;

// ---------------------------------------------------------------------------------------
// Controls and layouts

void QsySweep::buildMenu() {
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    FX = menuBar_->addAction(QStringLiteral("File"));
    COLx = menuBar_->addAction(QStringLiteral("Collapse"));
    Connect = menuBar_->addAction(QStringLiteral("Connect"));
    TRM = menuBar_->addAction(QStringLiteral("Terminal"));
    ABT = menuBar_->addAction(QStringLiteral("About"));
    HLP = menuBar_->addAction(QStringLiteral("Help"));
    PRV = menuBar_->addAction(QStringLiteral("Preview"));
    connect(FX, &QAction::triggered, this, [this] { FX_Click(); });
    connect(COLx, &QAction::triggered, this, [this] { COLx_Click(); });
    connect(Connect, &QAction::triggered, this, [this] { Connect_Click(); });
    connect(TRM, &QAction::triggered, this, [this] { TRM_Click(); });
    connect(ABT, &QAction::triggered, this, [this] { ABT_Click(); });
    connect(HLP, &QAction::triggered, this, [this] { HLP_Click(); });
    connect(PRV, &QAction::triggered, this, [this] { PRV_Click(); });
}

void QsySweep::buildControls() {
    form_ = new QWidget(this);
    auto label = [this](const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), form_);
        return l;
    };
    auto field = [this] {
        auto* e = new QLineEdit(form_);
        // A stored value is kept whole: Qt's default limit would cut it.
        e->setMaxLength(std::numeric_limits<int>::max());
        return e;
    };

    Label1 = label("Title of remote App:");
    TargetName = field();
    Label2 = label("Prefix String");
    PrefixStr = field();
    Label3 = label("Sufix String");
    SufixStr = field();
    Label4 = label("Return Focus to this App:");
    ReturnApp = field();
    Check1 = new QCheckBox(QStringLiteral("Reactivate remote program before each command"), form_);
    CycleBands = new QCheckBox(QStringLiteral("Cycle Bands"), form_);
    ViaTelnet = new QCheckBox(
        QStringLiteral("Send frequecy change commands via telnet in background"), form_);
    ImAServer = new QCheckBox(QStringLiteral("I Am a Server"), form_);
    Label11 = label("Addr:");
    IpAddr = field();
    Label12 = label("Port:");
    Port = field();
    Label17 = label("CW Skimmer port:");
    SkimmerPort = field();
    SkimmerPort->setText(QStringLiteral("7300"));
    Label16 = label("Status:");
    TxtStatus = field();

    Label5 = label("Start Freq");
    Label6 = label("End Freq");
    Label7 = label("Inc in K Hertz");
    Label8 = label("Duration Sec");
    Label9 = label("Include");
    Label10 = label("Start Time HH:MM");
    Label13 = label("End Time HH:MM");
    for (QLabel* header : {Label5, Label6, Label7, Label8, Label9, Label10, Label13}) {
        header->setWordWrap(true);
        header->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    }
    for (int i = 0; i < Lines; ++i) {
        StartFreq[i] = field();
        EndFreq[i] = field();
        IncH[i] = field();
        DurSec[i] = field();
        IncCheck[i] = new QCheckBox(form_);
        StartTime[i] = field();
        EndTime[i] = field();
    }

    Command1 = new QPushButton(QStringLiteral("Quit"), form_);
    Command2 = new QPushButton(QStringLiteral("Start"), form_);
    Command3 = new QPushButton(QStringLiteral("Stop"), form_);
    Command4 = new QPushButton(QStringLiteral("Send Data"), form_);
    Command5 = new QPushButton(QStringLiteral("Command5"), form_);
    Command5->hide();
    Command6 = new QPushButton(QStringLiteral("Rcv Data"), form_);
    Sending = new QPushButton(QStringLiteral("Sending:"), form_);
    Text1 = field();
    Text1->setText(QStringLiteral("SKIMMER/QSY 14000"));
    Text2 = new QPlainTextEdit(form_);

    Shape1 = new Indicator(form_);
    Shape1->hide();
    Shape2 = new Indicator(form_, Indicator::Green);
    Shape2->hide();
    Shape3 = new Indicator(form_);
    Shape3->hide();
    Shape1->mirrorShownTo(&ctx.state.SweepRunning);
    Shape2->mirrorShownTo(&ctx.state.LinkDotShown);
    Shape3->mirrorShownTo(&ctx.state.ServerDotShown);
    // The numbers drawn in the link dots.
    for (QLabel** number : {&Label15, &Label14}) {
        *number = label("1");
        (*number)->setAlignment(Qt::AlignCenter);
        (*number)->setAttribute(Qt::WA_TransparentForMouseEvents);
        (*number)->hide();
    }

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(Sending, &QPushButton::clicked, this, [this] { Sending_Click(); });
    connect(ImAServer, &QCheckBox::clicked, this, [this] { ImAServer_Click(); });
    // Every change counts, the settings file's at load included.
    connect(ViaTelnet, &QCheckBox::toggled, this, [this](bool on) { ViaTelnet_Changed(on); });
    connect(CycleBands, &QCheckBox::clicked, this, [this] {
        // Its hint comes with the first click, not with the mouse.
        CycleBands->setToolTip(
            QStringLiteral("If checked the program will jump from line to line after each cycle"));
    });
    for (int i = 0; i < Lines; ++i) {
        EndTime[i]->installEventFilter(this);
    }
}

void QsySweep::placeFullLayout() {
    struct Placement {
        QWidget* control;
        int left, top, width, height;
    };
    const std::initializer_list<Placement> layout = {
        {form_, 0, 0, FormWidth, FormHeight},

        // Title of the target (hidden in the compact layout).
        {Label1, 120, 180, 2040, LabelHeight},
        {TargetName, 2220, 120, 3000, FieldHeight},

        // Link row. Port and the dots keep their lefts in the compact layout, where they
        // join the button row; everything left of them there is hidden or out of view.
        {ImAServer, 120, LinkRowTop, 1560, FieldHeight},
        {Label17, 1740, 780, 1740, LabelHeight},
        {SkimmerPort, 3480, LinkRowTop, 690, FieldHeight},
        {Label11, 4260, 780, 480, LabelHeight},
        {IpAddr, 4740, LinkRowTop, 1860, FieldHeight},
        {Label12, 6720, 780, 450, LabelHeight},
        {Port, 7200, LinkRowTop, 855, FieldHeight},
        {Shape2, 8160, LinkRowTop, DotSize, DotSize},
        {Shape3, 8640, LinkRowTop, DotSize, DotSize},
        {Label15, 8205, 750, 285, LabelHeight},
        {Label14, 8685, 750, 285, LabelHeight},

        // Keystroke settings and the link buttons.
        {Label2, 120, 1260, 1095, LabelHeight},
        {PrefixStr, 1260, 1200, 1860, FieldHeight},
        {Label3, 3300, 1260, 1035, LabelHeight},
        {SufixStr, 4380, 1200, 1860, FieldHeight},
        {Command4, 6480, 1170, 1275, ButtonHeight},
        {Command6, 7860, 1170, 1275, ButtonHeight},
        {Label4, 120, 1710, 2520, LabelHeight},
        {ReturnApp, 2700, 1650, 2700, FieldHeight},
        {Check1, 120, 2070, 5400, FieldHeight},
        {CycleBands, 5640, 2070, 1800, FieldHeight},
        {ViaTelnet, 120, 2460, 6000, FieldHeight},
        {Label16, 120, 2940, 600, LabelHeight},
        {TxtStatus, 780, 2880, 8595, FieldHeight},

        // The table's headers.
        {Label5, StartFreqCol.left, HeaderTop, StartFreqCol.width, HeaderHeight},
        {Label6, EndFreqCol.left, HeaderTop, EndFreqCol.width, HeaderHeight},
        {Label7, IncHCol.left, HeaderTop, IncHCol.width, HeaderHeight},
        {Label8, DurSecCol.left, HeaderTop, DurSecCol.width, HeaderHeight},
        {Label9, IncCheckCol.left, HeaderTop, IncCheckCol.width, HeaderHeight},
        {Label10, StartTimeCol.left, HeaderTop, StartTimeCol.width, HeaderHeight},
        {Label13, EndTimeCol.left, HeaderTop, EndTimeCol.width, HeaderHeight},

        // The button row.
        {Command1, 120, FullRowTop, 735, ButtonHeight},
        {Command2, 915, FullRowTop, 735, ButtonHeight},
        {Shape1, 1710, FullRowTop, DotSize, DotSize},
        {Command3, 2145, FullRowTop, 735, ButtonHeight},
        {Sending, 2940, FullRowTop, 900, ButtonHeight},
        {Text1, 3900, FullRowTop, 2700, ButtonHeight},
        {Command5, 9180, FullRowTop, 195, 225},

        // Beyond the design width: seen only when the window is widened.
        {Text2, 10905, 120, 2025, 6240},
    };
    for (const Placement& p : layout) {
        Twips::place(p.control, p.left, p.top, p.width, p.height);
        fullTop_[p.control] = p.top;
    }

    // The table's lines.
    for (int i = 0; i < Lines; ++i) {
        const int top = TableTop + i * RowPitch;
        Twips::place(StartFreq[i], StartFreqCol.left, top, StartFreqCol.width, FieldHeight);
        Twips::place(EndFreq[i], EndFreqCol.left, top, EndFreqCol.width, FieldHeight);
        Twips::place(IncH[i], IncHCol.left, top, IncHCol.width, FieldHeight);
        Twips::place(DurSec[i], DurSecCol.left, top, DurSecCol.width, FieldHeight);
        // The box sits in the middle of its column.
        Twips::place(IncCheck[i], IncCheckCol.left + 270, top, IncCheckCol.width - 270,
                     FieldHeight);
        Twips::place(StartTime[i], StartTimeCol.left, top, StartTimeCol.width, FieldHeight);
        Twips::place(EndTime[i], EndTimeCol.left, top, EndTimeCol.width, FieldHeight);
    }
}

void QsySweep::setLayoutHeight(int twips) {
    layoutHeight_ = twips;
    // Only the height: a window the user has widened (to see Text2) stays as wide.
    resize(width(), Twips::toPixels(twips - FrameTwips));
    // A hidden window gets its resize event only when shown; place the bar now.
    placeMenuBar();
}

void QsySweep::placeMenuBar() {
    const int menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, width(), menuHeight);
    form_->move(0, menuHeight);
}

void QsySweep::resizeEvent(QResizeEvent* event) {
    ProgramWindow::resizeEvent(event);
    placeMenuBar();
}

void QsySweep::placeRows(bool compact) {
    // The compact layout: the running controls, Port and the link dots on one row at the
    // top; the table and the settings lie below the window's reduced height.
    struct CompactTop {
        QWidget* control;
        int top;
    };
    const std::initializer_list<CompactTop> compactTops = {
        {Command1, CompactRowTop},     {Command2, CompactRowTop},     {Shape1, CompactRowTop},
        {Command3, CompactRowTop},     {Text1, CompactRowTop},        {Sending, CompactRowTop},
        {Label12, CompactRowTop + 50}, {Port, CompactRowTop},         {Shape2, CompactRowTop},
        {Shape3, CompactRowTop},       {Label14, CompactRowTop + 45}, {Label15, CompactRowTop + 45},
    };
    for (const CompactTop& c : compactTops) {
        Twips::setTop(c.control, compact ? c.top : fullTop_.at(c.control));
    }
    // Left of the row's controls, hidden in the compact layout.
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label1, TargetName, Label11, IpAddr, ImAServer}) {
        w->setHidden(compact);
    }
}

void QsySweep::Compress() {
    setLayoutHeight(CompactHeight);
    placeRows(true);
}

void QsySweep::Expand() {
    placeRows(false);
    setLayoutHeight(FullHeight);
}

void QsySweep::COLx_Click() {
    if (COLx->text() != QLatin1String("Expand")) {
        COLx->setText(QStringLiteral("Expand"));
        Compress();
    } else {
        COLx->setText(QStringLiteral("Collapse"));
        Expand();
    }
}

// ---------------------------------------------------------------------------------------
// Hints and the end-time check

void QsySweep::assignHints() {
    auto hint = [this](QWidget* w, const char* text) {
        hints_[w] = QString::fromLatin1(text);
        w->installEventFilter(this);
    };
    for (int i = 0; i < Lines; ++i) {
        hint(StartFreq[i], "Enter the start frequency");
        hint(EndFreq[i], "Enter the end frequency");
        hint(IncH[i], "Enter the K Hertz to move for the next cycle");
        hint(DurSec[i],
             "If you enter * after the number the timer will reset to 0 when a spot is found");
        hint(StartTime[i], "This field can be blank or set the start time as HH:MM");
        hint(EndTime[i], "This field can be blank or set the end time as HH:MM");
        hint(IncCheck[i], "If this checkbox is not checked the system will ignore this line");
    }
    hint(TargetName, "Enter the first few characters of the windows title");
    hint(PrefixStr, "Enter the prefix key strokes to be sent. See help for valid characters");
    hint(SufixStr, "Enter the sufix key strokes to be sent. See help for valid characters");
    hint(ReturnApp,
         "Enter the window title of the app the will have focus after the operation. Can be "
         "blank");
    hint(Check1, "This checkbox is not used if telneting to CW Skimmer");
    hint(ViaTelnet, "Check this box if you want to send commands to CW Skimmer via telnet.");
    hint(Text1, "Enter the command to send and then touch the 'Sending:' key");
    hint(TxtStatus, "Watch here for messages");
    hint(IpAddr, "If this is a client enter the IP address of the Keyrelay server");
    hint(Port,
         "The port number should be the same for the client and server. Don't forget to open "
         "this port on your router");
    hint(ImAServer, "Only check this box on the server.");
}

bool QsySweep::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter) {
        auto it = hints_.find(watched);
        if (it != hints_.end()) {
            static_cast<QWidget*>(watched)->setToolTip(it->second);
        }
    } else if (event->type() == QEvent::FocusOut) {
        // Only a move to another control of this window checks the end time. Losing the
        // activation (another program, or a step bringing the target to the front) is no
        // edit finished: its box would come up in the middle of a step. Qt has already
        // given the focus to its new owner when the old one hears of it.
        QWidget* to = QApplication::focusWidget();
        if (to != nullptr && to != watched && isAncestorOf(to)) {
            for (int i = 0; i < Lines; ++i) {
                if (watched == EndTime[i]) {
                    endTimeCheck(i);
                }
            }
        }
    }
    return ProgramWindow::eventFilter(watched, event);
}

void QsySweep::endTimeCheck(int line) {
    if (SweepTick::endTimeRefused(StartTime[line]->text(), EndTime[line]->text())) {
        ctx.platform.dialogs.message("End time should be greater than the start time.");
        EndTime[line]->clear();
    }
}

// ---------------------------------------------------------------------------------------
// Settings

SweepSettings QsySweep::settings() const {
    SweepSettings s;
    s.TargetName = TargetName->text();
    s.PrefixStr = PrefixStr->text();
    s.SufixStr = SufixStr->text();
    for (int i = 0; i < Lines; ++i) {
        auto& row = s.rows[static_cast<std::size_t>(i)];
        row.StartFreq = StartFreq[i]->text();
        row.EndFreq = EndFreq[i]->text();
        row.IncH = IncH[i]->text();
        row.DurSec = DurSec[i]->text();
        row.IncCheck = IncCheck[i]->isChecked() ? 1 : 0;
        row.StartTime = StartTime[i]->text();
        row.EndTime = EndTime[i]->text();
    }
    s.ReturnApp = ReturnApp->text();
    s.CycleBands = CycleBands->isChecked() ? 1 : 0;
    s.Check1 = Check1->isChecked() ? 1 : 0;
    s.IpAddr = IpAddr->text();
    s.Port = Port->text();
    s.ViaTelnet = ViaTelnet->isChecked() ? 1 : 0;
    s.ImAServer = ImAServer->isChecked() ? 1 : 0;
    s.SkimmerPort = SkimmerPort->text();
    return s;
}

void QsySweep::applySettings(const SweepSettings& s) {
    TargetName->setText(s.TargetName);
    PrefixStr->setText(s.PrefixStr);
    SufixStr->setText(s.SufixStr);
    for (int i = 0; i < Lines; ++i) {
        const auto& row = s.rows[static_cast<std::size_t>(i)];
        StartFreq[i]->setText(row.StartFreq);
        EndFreq[i]->setText(row.EndFreq);
        IncH[i]->setText(row.IncH);
        DurSec[i]->setText(row.DurSec);
        IncCheck[i]->setChecked(row.IncCheck == 1);
        StartTime[i]->setText(row.StartTime);
        EndTime[i]->setText(row.EndTime);
    }
    ReturnApp->setText(s.ReturnApp);
    CycleBands->setChecked(s.CycleBands == 1);
    Check1->setChecked(s.Check1 == 1);
    IpAddr->setText(s.IpAddr);
    Port->setText(s.Port);
    ViaTelnet->setChecked(s.ViaTelnet == 1);
    ImAServer->setChecked(s.ImAServer == 1);
    SkimmerPort->setText(s.SkimmerPort);
}

void QsySweep::closingWork() {
    // A step still under way ends before its next send.
    SweepStopRequested = true;
    if (Preview) {
        Preview->close();  // it shows a table that is going
    }
    settingsWriter_.writeAtClose(SweepSettingsFile::pathIn(ctx.settingsFolder),
                                 SweepSettingsFile::lines(settings()), ctx.platform.dialogs,
                                 ctx.state);
}

void QsySweep::activationWork() {
    activeSinceShown_ = true;
    linkFirstActivation();
}

void QsySweep::showEvent(QShowEvent* event) {
    ProgramWindow::showEvent(event);
    if (!event->spontaneous()) {
        activeSinceShown_ = false;
    }
}

void QsySweep::settleAfterShow() {
    // A window manager focuses a newly mapped window in its own time; keys typed into the
    // target before that would follow the focus back here. One second at most, once per
    // showing: a window manager that does not focus new windows costs only that.
    if (isVisible() && !activeSinceShown_) {
        ctx.platform.clock.waitFor([this] { return activeSinceShown_; }, 1000);
        activeSinceShown_ = true;
    }
}

// ---------------------------------------------------------------------------------------
// Start, Stop and the step

bool QsySweep::telnetMode() const {
    return ViaTelnet->isChecked() && ImAServer->isChecked();
}

bool QsySweep::linkedClient() const {
    return ctx.state.linkedClient();
}

SweepStartStop::Situation QsySweep::situation() const {
    return {.running = !Shape1->isHidden(),
            .telnetMode = telnetMode(),
            .linkedClient = linkedClient(),
            .telnetConnected = winsock2Connected()};
}

void QsySweep::autoStart() {
    show();
    Compress();
    COLx->setText(QStringLiteral("Expand"));
    if (SweepStartStop::autoStartPresses(situation())) {
        Command2_Click();
    }
}

void QsySweep::Command2_Click() {
    HandlerScope handler(*this);
    const SweepStartStop::Start start = SweepStartStop::start(situation());
    if (start == SweepStartStop::Start::Nothing) {
        return;
    }
    if (start == SweepStartStop::Start::TelnetResume ||
        start == SweepStartStop::Start::TelnetConnect) {
        telnetStart(start == SweepStartStop::Start::TelnetResume);
        return;
    }
    try {
        if (start == SweepStartStop::Start::Forward) {
            linkForwardStart();
            Shape1->show();
        } else {
            settleAfterShow();
            StartIt();
        }
    } catch (const PlatformError& e) {
        ctx.platform.dialogs.message(
            QStringLiteral("%1 %2").arg(e.number()).arg(describe(e)).toStdString());
    }
}

void QsySweep::Command3_Click() {
    const SweepStartStop::Stop stop = SweepStartStop::stop(situation());
    if (stop.forward) {
        try {
            linkForwardStop();
        } catch (const PlatformError& e) {
            // The server may have gone; the local dot still goes out.
            TxtStatus->setText(describe(e));
        }
    }
    if (stop.requestStop) {
        SweepStopRequested = true;
    }
    if (stop.freeChannel) {
        ctx.state.ChannelBusy = false;
        SweepStep::releaseMarker(ctx.state, ctx.marker);
        Shape1->setFillColor(Indicator::Red);
    }
    Shape1->hide();
}

void QsySweep::StartIt() {
    Compress();
    COLx->setText(QStringLiteral("Expand"));
    SweepStopRequested = false;
    Shape1->show();
    DoIt();
}

void QsySweep::DoIt() {
    HandlerScope handler(*this);
    SweepStep(ctx.state, ctx.delivery, ctx.marker).run(*this);
}

void QsySweep::ForceSend() {
    HandlerScope handler(*this);
    if (!ViaTelnet->isChecked()) {
        SweepPlan::run(SweepPlan::manualSend(settings(), Text1->text()), ctx.delivery,
                       [](const QString&) {});
    } else if (ImAServer->isChecked()) {
        Telnet->sendIfConnected(Text1->text());
    }
}

void QsySweep::Sending_Click() {
    HandlerScope handler(*this);
    try {
        const SweepStartStop::Send send = SweepStartStop::sending(situation());
        if (send == SweepStartStop::Send::Telnet) {
            Telnet->sendIfConnected(Text1->text());
        } else if (send == SweepStartStop::Send::Forward) {
            // The server types it; nothing is typed here. A server that shows both dots
            // types the command itself.
            linkForwardCommand(Text1->text());
        } else {
            ForceSend();
        }
    } catch (const PlatformError& e) {
        TxtStatus->setText(describe(e));
    }
}

// ---------------------------------------------------------------------------------------
// What the tick reads

void QsySweep::tickDuties(AppContext& context) {
    const TimeOfDay now = context.platform.clock.localTime();
    SweepTick::run(
        context.state, [&context]() -> SweepTickTarget& { return context.windows.get<QsySweep>(); },
        now.hours * 60 + now.minutes);
}

bool QsySweep::lineIncluded(int line) {
    return IncCheck[line]->isChecked();
}
QString QsySweep::startTimeText(int line) {
    return StartTime[line]->text();
}
QString QsySweep::endTimeText(int line) {
    return EndTime[line]->text();
}
QString QsySweep::dwellText(int line) {
    return DurSec[line]->text();
}
bool QsySweep::cycleBandsChecked() {
    return CycleBands->isChecked();
}
bool QsySweep::stepsLocally() {
    return !linkedClient();
}
void QsySweep::makeStep() {
    DoIt();
}

void QsySweep::showSending(bool sending) {
    Shape1->setFillColor(sending ? Indicator::Green : Indicator::Red);
}
void QsySweep::hideRunning() {
    Shape1->hide();
}
void QsySweep::showSent(const QString& text) {
    Text1->setText(text);
}
bool QsySweep::sendFrequencyCommand(const QString& command) {
    return Telnet->sendFrequencyCommand(command);
}
void QsySweep::telnetFailed() {
    Telnet->connectionLost();
}
bool QsySweep::offersConnect() {
    return Connect->text() == QLatin1String("Connect");
}

// ---------------------------------------------------------------------------------------
// Plain commands

void QsySweep::Command1_Click() {
    SweepStopRequested = true;
    ctx.state.ChannelBusy = false;
    close();
}

void QsySweep::FX_Click() {
    close();
}

void QsySweep::PRV_Click() {
    if (Preview) {
        Preview->recompute();  // from now again
        Preview->show();
        Preview->raise();
        return;
    }
    Preview = new PreviewFrm(
        this, ctx.platform.clock, [this] { return settings(); },
        [this] {
            const TimeOfDay now = ctx.platform.clock.localTime();
            SweepPreview::Start start;
            start.secondsOfDay = now.hours * 3600 + now.minutes * 60 + now.seconds;
            start.running = !Shape1->isHidden();
            start.sweepLine = ctx.state.SweepLine;
            start.dwellSecs = ctx.state.DwellSecs;
            start.offsets = FreqOffset;
            return start;
        });
    // Every field the sweep's timing and frequencies depend on; the connections go with
    // the preview.
    const auto edited = [preview = Preview.data()] { preview->tableEdited(); };
    for (int i = 0; i < Lines; ++i) {
        for (QLineEdit* field :
             {StartFreq[i], EndFreq[i], IncH[i], DurSec[i], StartTime[i], EndTime[i]}) {
            connect(field, &QLineEdit::textChanged, Preview, edited);
        }
        connect(IncCheck[i], &QCheckBox::toggled, Preview, edited);
    }
    for (QLineEdit* field : {PrefixStr, SufixStr}) {
        connect(field, &QLineEdit::textChanged, Preview, edited);
    }
    for (QCheckBox* box : {CycleBands, ViaTelnet, Check1}) {
        connect(box, &QCheckBox::toggled, Preview, edited);
    }
    Preview->show();
}

void QsySweep::TRM_Click() {
    TerminalF::open(ctx.windows);
}

void QsySweep::ABT_Click() {
    ctx.platform.dialogs.message(std::string("Keyrelay ") + KEYRELAY_VERSION + "\n" + AboutAddress);
}

void QsySweep::HLP_Click() {
    HelpFrm& help = ctx.windows.get<HelpFrm>();
    help.show();
    help.raise();
}

// ---------------------------------------------------------------------------------------
// Telnet session with the decoder

void QsySweep::buildTelnet() {
    Winsock2 = new QTcpSocket(this);
    SkimmerTelnet::Inputs in;
    in.telnetMode = [this] { return telnetMode(); };
    in.viaTelnet = [this] { return ViaTelnet->isChecked(); };
    in.currentDwell = [this] { return DurSec[SweepLines::wrap(ctx.state.SweepLine)]->text(); };
    in.linkDotShown = [this] { return !Shape2->isHidden(); };
    in.linkArrivalBegins = [this] {
        if (Connect->text() == QLatin1String("Disconnect")) {
            Shape2->show();
        }
    };
    in.linkTextReceived = [this] {
        HandlerScope handler(*this);
        LinkReader(ctx.state.LinkBuffer, ctx.platform.clock, *this, LinkReader::Role::Client)
            .runPasses();
    };
    Telnet = new SkimmerTelnet(*Winsock2, ctx.platform.clock, ctx.state, in, this);
    connect(Telnet, &SkimmerTelnet::textReceived, Text2, &QPlainTextEdit::setPlainText);
    connect(Telnet, &SkimmerTelnet::terminalText, this,
            [this](const QString& chunk) { TerminalF::showIfOpen(ctx.windows, chunk); });
    connect(Telnet, &SkimmerTelnet::commandText, Text1, &QLineEdit::setText);
}

bool QsySweep::winsock2Connected() const {
    return Telnet->isConnected();
}

void QsySweep::telnetStart(bool connected) {
    SweepStopRequested = false;
    if (connected) {
        // Still connected from an earlier run: go on at once.
        Shape1->show();
        StartIt();
        return;
    }
    if (Telnet->connectToServer(SkimmerPort->text())) {
        // The first step comes from the tick, once the line's dwell has passed.
        Shape1->show();
        Compress();
        COLx->setText(QStringLiteral("Expand"));
        return;
    }
    ctx.platform.dialogs.message("Unable to attach to local telnet. Is CW Skimmer started");
}

void QsySweep::ViaTelnet_Changed(bool checked) {
    for (QLineEdit* field : {TargetName, PrefixStr, SufixStr, ReturnApp}) {
        field->setEnabled(!checked);
    }
}

// ---------------------------------------------------------------------------------------
// Station link

void QsySweep::buildLink() {
    Winsock1 = new LinkServer(ctx.state, ctx.platform.clock, *this, *this, this);
    Winsock1->setAllowListFolder(ctx.settingsFolder);
}

void QsySweep::linkFirstActivation() {
    if (ctx.state.ListenStarted) {
        return;
    }
    ctx.state.ListenStarted = true;
    ctx.state.AcceptedCount = 0;
    Winsock1->startSupervision();
    if (!Port->text().isEmpty()) {
        try {
            Winsock1->startListening(Port->text());
        } catch (const PlatformError& e) {
            showMessage(describe(e));
        }
    }
}

void QsySweep::linkSend(const QString& message) {
    if (!Shape3->isHidden()) {
        Winsock1->sendTo(ctx.state.LastSenderIndex, message);
    } else {
        LinkMessage::write(Winsock2, message);
    }
}

void QsySweep::linkForwardStart() {
    linkSend(LinkMessage::Start.toString());
}

void QsySweep::linkForwardStop() {
    linkSend(LinkMessage::Stop.toString());
}

void QsySweep::linkForwardCommand(const QString& command) {
    LinkMessage::write(Winsock2, LinkMessage::command(command));
}

void QsySweep::Connect_Click() {
    HandlerScope handler(*this);
    if (Connect->text() == QLatin1String("Disconnect")) {
        linkDisconnect();
    } else {
        linkConnect();
    }
}

void QsySweep::linkConnect() {
    Command3_Click();
    TxtStatus->setText(QStringLiteral("Connecting"));
    std::optional<PlatformError> failure;
    bool connected = false;
    try {
        LinkClient::closeAndSettle(*Winsock2, ctx.platform.clock);
        if (!Shape2->isHidden()) {
            Shape2->hide();
            Label15->hide();
            return;
        }
        connected =
            LinkClient::connectTo(*Winsock2, ctx.platform.clock, IpAddr->text(), Port->text());
    } catch (const PlatformError& e) {
        failure = e;
    }
    if (connected) {
        TxtStatus->setText(QStringLiteral("Connected"));
        Shape2->show();
        Label15->show();
        Connect->setText(QStringLiteral("Disconnect"));
        return;
    }
    TxtStatus->clear();
    Shape2->hide();
    Label15->hide();
    showMessage(LinkClient::failureMessage(failure ? &*failure : nullptr));
    Winsock2->abort();
}

void QsySweep::linkDisconnect() {
    Command3_Click();
    if (Shape3->isHidden()) {
        Winsock2->close();  // sends what is still queued (the Stop) first
    } else {
        try {
            Winsock1->reset(Port->text());
        } catch (const PlatformError& e) {
            showMessage(describe(e));
        }
    }
    Connect->setText(QStringLiteral("Connect"));
    TxtStatus->setText(QStringLiteral("Disconnected"));
    for (QWidget* w : std::initializer_list<QWidget*>{Shape2, Label15, Shape3, Label14}) {
        w->hide();
    }
    Command3_Click();
}

void QsySweep::Command4_Click() {
    HandlerScope handler(*this);
    if (Shape2->isHidden() && Shape3->isHidden()) {
        showMessage(QStringLiteral("Not Connected"));
        return;
    }
    try {
        TxtStatus->setText(QStringLiteral("Sending Data"));
        // Each piece goes where the link points when it is sent.
        LinkMessage::sendInChunks(LinkMessage::composeTable(settings()), ctx.platform.clock,
                                  [this](const QString& piece) { linkSend(piece); });
        TxtStatus->setText(QStringLiteral("Data Sent"));
    } catch (const PlatformError& e) {
        showMessage(QStringLiteral(" %1 %2").arg(e.number()).arg(describe(e)));
    }
}

void QsySweep::Command5_Click() {
    HandlerScope handler(*this);
    try {
        Winsock1->restartListening(Port->text());
    } catch (const PlatformError& e) {
        TxtStatus->setText(describe(e));
    }
}

void QsySweep::Command6_Click() {
    if (Shape2->isHidden()) {
        showMessage(QStringLiteral("Not Connected"));
        return;
    }
    try {
        linkSend(LinkMessage::Send.toString());
    } catch (const PlatformError& e) {
        TxtStatus->setText(describe(e));
    }
}

void QsySweep::ImAServer_Click() {
    if (ImAServer->isChecked() && isVisible()) {
        showMessage(QStringLiteral("Make sure there is only one server on the network"));
    }
}

void QsySweep::sendReply(const QString& message) {
    LinkMessage::write(Winsock2, message);
}

void QsySweep::applyCommand(const QString& command) {
    Text1->setText(command);
    ForceSend();
}

void QsySweep::showKeepAlive(bool serverSweepRunning, const QString& count) {
    Label15->setText(count);
    Shape1->setVisible(serverSweepRunning);
}

void QsySweep::setSweepFields(const SweepSettings& fields) {
    // Only what travels over the link; the address, port and modes stay this window's.
    for (int i = 0; i < Lines; ++i) {
        const auto& row = fields.rows[static_cast<std::size_t>(i)];
        for (auto [field, text] : {std::pair{StartTime[i], &row.StartTime},
                                   {EndTime[i], &row.EndTime},
                                   {IncH[i], &row.IncH},
                                   {DurSec[i], &row.DurSec},
                                   {StartFreq[i], &row.StartFreq},
                                   {EndFreq[i], &row.EndFreq}}) {
            field->setText(*text);
        }
        IncCheck[i]->setChecked(row.IncCheck == 1);
    }
    CycleBands->setChecked(fields.CycleBands == 1);
    TargetName->setText(fields.TargetName);
    PrefixStr->setText(fields.PrefixStr);
    SufixStr->setText(fields.SufixStr);
    ReturnApp->setText(fields.ReturnApp);
}

bool QsySweep::serverDotShown() {
    return !Shape3->isHidden();
}

QString QsySweep::portText() {
    return Port->text();
}

bool QsySweep::sweepRunning() {
    return !Shape1->isHidden();
}

void QsySweep::showAccepted(int count) {
    Label14->setText(QString::number(count));
    Shape3->show();
    Label14->show();
    Connect->setText(QStringLiteral("Disconnect"));
}

void QsySweep::showDataArrived() {
    Shape2->show();
    Label15->show();
}

void QsySweep::showClientCount(int count) {
    Label14->setText(QString::number(count));
}

void QsySweep::showConnectionLost() {
    Shape2->hide();
    Label15->hide();
    Shape3->hide();
    Label14->setText(QStringLiteral("1"));
    Label14->hide();
    Text1->setText(QString::fromLatin1(LinkServer::ConnectionLost));
    TxtStatus->setText(QString::fromLatin1(LinkServer::ConnectionLost));
    Connect->setText(QStringLiteral("Connection"));
}

void QsySweep::showStatus(const QString& text) {
    TxtStatus->setText(text);
}

void QsySweep::showMessage(const QString& text) {
    ctx.platform.dialogs.message(text.toStdString());
}

void QsySweep::runHandler(const std::function<void()>& handler) {
    HandlerScope scope(*this);
    handler();
}

}  // namespace keyrelay

#include "cmdpad/CmdPadF.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <limits>
#include <vector>

#include "cmdpad/CommandSetFile.h"
#include "cmdpad/Dirx.h"
#include "cmdpad/HlpF.h"
#include "cmdpad/PadTick.h"
#include "platform/PlatformError.h"
#include "ui/AppContext.h"
#include "ui/Indicator.h"
#include "ui/Twips.h"
#include "ui/WindowActions.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {

namespace {

// Window sizes are given as outer sizes in twips, caption, menu bar and frame included.
// The part that is not client area: the frame on both sides, and caption + menu bar +
// frame in height. The menu bar is drawn by us, so only caption and frame come off here.
constexpr int FrameWidthTwips = 240;
constexpr int FrameHeightTwips = 585;

constexpr int FullWidth = 13620;
constexpr int FullHeight = 8985;
constexpr int CollapsedWidth = 5000;
constexpr int CollapsedHeight = 1500;
constexpr int RowTopFull = 7320;
constexpr int RowTopCollapsed = 30;

constexpr int FieldHeight = 375;
constexpr int CommandWidth = 4935;
constexpr int SecondsWidth = 975;
constexpr int Column1Left = 1800;
constexpr int Column2Left = 8160;
constexpr int RowPitch = 480;
constexpr int LabelGap = 60;

const char* const AppTitleTip = "Enter the first few characters of the title on the target window.";
const char* const CommandTip = "Enter commands to be sent. See Help for valid characters.";
const char* const SecondsTip = "Enter the time in seconds before repeating the operation.";
const char* const FileNameTip =
    "This is the setup file. The name can be changed to store multiple setups";

QAction* checkItem(QMenu* menu, const char* caption) {
    QAction* a = menu->addAction(QString::fromLatin1(caption));
    a->setCheckable(true);
    return a;
}

bool shown(const QWidget* w) {
    return !w->isHidden();
}

}  // namespace

CmdPadF::CmdPadF(AppContext& context)
    : ProgramWindow(context, Name),
      sequence_(context.state, context.delivery, context.marker, *this) {
    setWindowTitle(QStringLiteral("Keyrelay"));
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    client_ = new QWidget(this);

    buildFields();
    buildControlRow();
    buildMenu();
    Expand();

    // The sends pick their path and the marker its ageing from this window's controls.
    ctx.delivery.setAlternateSource([this] { return Alternate->isChecked(); });
    ctx.marker.setHoldSource([this] { return shown(Shape2); });

    Timer1 = ctx.platform.clock.startTimer(1000, [this] { Timer1_Timer(); });
}

CmdPadF::~CmdPadF() {
    ctx.platform.clock.stopTimer(Timer1);
    ctx.delivery.setAlternateSource({});
    ctx.marker.setHoldSource({});
    ProgramState& state = ctx.state;
    state.KeypadAutoStart = state.BandscanAutoStart = false;
    state.HandShake = state.CloseAfterAppsStart = false;
}

// ---------------------------------------------------------------------------------------
// Building the window

void CmdPadF::setWindowTwips(int width, int height) {
    const int menuHeight = menuBar_->sizeHint().height();
    const int clientWidth = Twips::toPixels(width - FrameWidthTwips);
    const int clientHeight = Twips::toPixels(height - FrameHeightTwips) - menuHeight;
    menuBar_->setGeometry(0, 0, clientWidth, menuHeight);
    client_->setGeometry(0, menuHeight, clientWidth, clientHeight);
    setFixedSize(clientWidth, menuHeight + clientHeight);
}

void CmdPadF::buildFields() {
    auto label = [this](const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), client_);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    auto field = [this](const char* tip) {
        auto* e = new QLineEdit(client_);
        e->setToolTip(QString::fromLatin1(tip));
        // A stored value is kept whole: Qt's default limit would cut a long command.
        e->setMaxLength(std::numeric_limits<int>::max());
        return e;
    };
    // A label ends just left of its field.
    auto labelFor = [this](QLabel* l, int fieldLeft, int top, int width) {
        Twips::place(l, fieldLeft - LabelGap - width, top, width, FieldHeight);
    };

    FlName = field(FileNameTip);
    FlName->setText(QString::fromLatin1(CommandSetFile::FileName));
    FlName->installEventFilter(this);
    AppTitle = field(AppTitleTip);
    AppDesc = new QLineEdit(client_);
    AppDesc->setMaxLength(std::numeric_limits<int>::max());
    for (auto& e : RepSec) {
        e = field(SecondsTip);
    }
    for (auto& e : CMND) {
        e = field(CommandTip);
    }
    Alternate = new QCheckBox(
        QStringLiteral("Check this box if you get errors or the commands don't work"), client_);

    Label1 = label("App Title:");
    Label2 = label("Repeat Sec:");
    for (std::size_t i = 0; i < Label3.size(); ++i) {
        Label3[i] = label("");
    }
    for (std::size_t i = 0; i < Label4.size(); ++i) {
        Label4[i] = label("");
    }
    Label3[0]->setText(QStringLiteral("Command 1"));
    for (int i = 2; i <= 13; ++i) {
        Label3[i]->setText(QStringLiteral("Command %1").arg(i));
    }
    Label3[14]->setText(QStringLiteral("Description:"));
    for (int i = 0; i <= 11; ++i) {
        Label4[i]->setText(QStringLiteral("Secs"));
    }
    Label4[13]->setText(QStringLiteral("Commands File Name"));

    // Column 1: file name, title, period, then commands 0..5 and waits 1..6 alternating.
    constexpr int wide1 = Column1Left - 2 * LabelGap;
    Twips::place(FlName, Column1Left, 120, CommandWidth, FieldHeight);
    // The longest caption takes two lines rather than being cut.
    Label4[13]->setWordWrap(true);
    Twips::place(Label4[13], 0, 30, Column1Left - LabelGap, 555);
    Twips::place(AppTitle, Column1Left, 600, CommandWidth, FieldHeight);
    labelFor(Label1, Column1Left, 600, wide1);
    Twips::place(RepSec[0], Column1Left, 1080, SecondsWidth, FieldHeight);
    labelFor(Label2, Column1Left, 1080, wide1);

    // Command i's label is Label3 index 0 for the first command, index i + 1 after it;
    // wait i's label is Label4 index i - 1.
    auto commandLabel = [this](int i) { return Label3[i == 0 ? 0 : i + 1]; };
    constexpr int wide2 = Column2Left - (Column1Left + CommandWidth) - 2 * LabelGap;
    int top = 1560;
    for (int i = 0; i <= 5; ++i) {
        Twips::place(CMND[i], Column1Left, top, CommandWidth, FieldHeight);
        labelFor(commandLabel(i), Column1Left, top, wide1);
        top += RowPitch;
        Twips::place(RepSec[i + 1], Column1Left, top, SecondsWidth, FieldHeight);
        labelFor(Label4[i], Column1Left, top, wide1);
        top += RowPitch;
    }
    // Column 2: description, then commands 6..12 and waits 7..12 alternating.
    Twips::place(AppDesc, Column2Left, 120, CommandWidth, FieldHeight);
    labelFor(Label3[14], Column2Left, 120, wide2);
    top = 600;
    for (int i = 6; i <= 12; ++i) {
        Twips::place(CMND[i], Column2Left, top, CommandWidth, FieldHeight);
        labelFor(commandLabel(i), Column2Left, top, wide2);
        top += RowPitch;
        if (i < 12) {
            Twips::place(RepSec[i + 1], Column2Left, top, SecondsWidth, FieldHeight);
            labelFor(Label4[i], Column2Left, top, wide2);
            top += RowPitch;
        }
    }
    Twips::place(Alternate, Column2Left - 1320, top, CommandWidth + 1320, FieldHeight);
    // Spare seconds fields, never shown nor stored; index 15 is what the progress box
    // reads once a sequence has finished.
    for (int i = 13; i <= 15; ++i) {
        RepSec[i]->hide();
    }
    Label3[1]->resize(0, 0);
    Label4[12]->resize(0, 0);
}

void CmdPadF::buildControlRow() {
    auto button = [this](const char* caption) {
        return new QPushButton(QString::fromLatin1(caption), client_);
    };
    Command2 = button("Start");
    Command3 = button("Stop");
    Command1 = button("Quit");
    Command4 = button("Hold");
    Command5 = button("");
    Shape1 = new Indicator(client_);
    Shape2 = new Indicator(client_);
    Shape1->mirrorShownTo(&ctx.state.PadRunning);
    Shape2->mirrorShownTo(&ctx.state.HoldOn);
    Text1 = new QLineEdit(QStringLiteral("0/0"), client_);
    Text1->setReadOnly(true);
    Text1->setFocusPolicy(Qt::NoFocus);

    Twips::place(Command2, 135, RowTopFull, 675, FieldHeight);
    Twips::place(Shape1, 855, RowTopFull, 375, 375);
    Twips::place(Text1, 1335, RowTopFull, 600, FieldHeight);
    Twips::place(Command3, 2070, RowTopFull, 705, FieldHeight);
    Twips::place(Command1, 2820, RowTopFull, 720, FieldHeight);
    Twips::place(Command4, 3585, RowTopFull, 720, FieldHeight);
    Twips::place(Shape2, 4350, RowTopFull, 375, 375);
    Twips::place(Command5, 105, 900, 195, 225);
    Shape1->hide();
    Shape2->hide();
    Command5->hide();

    connect(Command2, &QPushButton::clicked, this, [this] { StartIt(); });
    // Stop acts on the release of a mouse button over it only; keyboard activation of
    // the button does nothing (see eventFilter).
    Command3->installEventFilter(this);
    connect(Command1, &QPushButton::clicked, this, [this] { close(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
}

void CmdPadF::buildMenu() {
    FF = menuBar_->addMenu(QStringLiteral("File"));
    LD = FF->addAction(QStringLiteral("Load"));
    SC = FF->addAction(QStringLiteral("Save"));
    Load1 = FF->addAction(QStringLiteral("Load"));
    EX = FF->addAction(QStringLiteral("Exit"));
    RCAS = checkItem(FF, "Keypad Auto Start");
    FCAS = checkItem(FF, "Bandscan Auto Start");
    HandShake = checkItem(FF, "Handshake With LDK");
    ASA = checkItem(FF, "Auto Start Apps");
    CAS = checkItem(FF, "Close After Apps Start");
    // The other windows read these options from the program state.
    const auto mirror = [this](QAction* item, bool ProgramState::*flag) {
        connect(item, &QAction::toggled, this, [this, flag](bool on) { ctx.state.*flag = on; });
    };
    mirror(RCAS, &ProgramState::KeypadAutoStart);
    mirror(FCAS, &ProgramState::BandscanAutoStart);
    mirror(HandShake, &ProgramState::HandShake);
    mirror(CAS, &ProgramState::CloseAfterAppsStart);
    EXp = menuBar_->addAction(QStringLiteral("Collapse"));
    FRC = menuBar_->addAction(QStringLiteral("Bandscanner"));
    ESA = menuBar_->addAction(QStringLiteral("Edit Start Apps"));
    Hlp = menuBar_->addAction(QStringLiteral("Help"));

    // The start-up options only flip their check mark (QAction does that); their new
    // state is written when the setup file is next saved.
    connect(LD, &QAction::triggered, this, [this] { LD_Click(); });
    connect(SC, &QAction::triggered, this, [this] { SC_Click(); });
    connect(Load1, &QAction::triggered, this, [this] { Load1_Click(); });
    connect(EX, &QAction::triggered, this, [this] { close(); });
    connect(EXp, &QAction::triggered, this, [this] {
        if (EXp->text() == QLatin1String("Expand")) {
            Expand();
        } else {
            Compress();
        }
    });
    connect(FRC, &QAction::triggered, this, [this] { ctx.actions.showWindow("QsySweep"); });
    connect(ESA, &QAction::triggered, this, [this] { ctx.actions.showWindow("Apps"); });
    connect(Hlp, &QAction::triggered, this, [this] { ctx.actions.showWindow(HlpF::Name); });
}

void CmdPadF::LD_Click() {
    Expand();
    ctx.actions.showWindow(Dirx::Name);
}

// ---------------------------------------------------------------------------------------
// Layouts

void CmdPadF::applyLayout(bool full) {
    // Where a control goes in each layout: a top in twips (moved there, its visibility
    // kept), or Shown / Hidden where it stands.
    constexpr int Shown = -1;
    constexpr int Hidden = -2;
    struct Place {
        QWidget* control;
        int full;
        int collapsed;
    };
    std::vector<Place> table = {{FlName, Shown, Hidden},
                                {AppTitle, Shown, Hidden},
                                {AppDesc, Shown, Hidden},
                                {Label1, Shown, Hidden},
                                {Label2, Shown, Hidden}};
    for (QLabel* l : Label3) {
        table.push_back({l, Shown, Hidden});
    }
    for (QLabel* l : Label4) {
        table.push_back({l, Shown, Hidden});
    }
    for (int i = 0; i <= 12; ++i) {
        table.push_back({CMND[i], Shown, Hidden});
        table.push_back({RepSec[i], Shown, Hidden});
    }
    for (QWidget* w : std::initializer_list<QWidget*>{Command1, Command2, Command3, Command4,
                                                      Shape1, Shape2, Text1}) {
        table.push_back({w, RowTopFull, RowTopCollapsed});
    }

    for (const Place& p : table) {
        const int where = full ? p.full : p.collapsed;
        if (where == Shown) {
            p.control->show();
        } else if (where == Hidden) {
            p.control->hide();
        } else {
            Twips::setTop(p.control, where);
        }
    }
}

void CmdPadF::Compress() {
    applyLayout(false);
    EXp->setText(QStringLiteral("Expand"));
    setWindowTwips(CollapsedWidth, CollapsedHeight);
}

void CmdPadF::Expand() {
    applyLayout(true);
    EXp->setText(QStringLiteral("Collapse"));
    setWindowTwips(FullWidth, FullHeight);
}

// ---------------------------------------------------------------------------------------
// The command set and its file

CommandSet CmdPadF::commandSet() const {
    CommandSet set;
    set.AppTitle = AppTitle->text();
    for (int i = 0; i < CommandSet::Commands; ++i) {
        set.RepSec[i] = RepSec[i]->text();
        set.CMND[i] = CMND[i]->text();
    }
    set.AppDesc = AppDesc->text();
    set.Alternate = Alternate->isChecked();
    set.RCAS = RCAS->isChecked();
    set.FCAS = FCAS->isChecked();
    set.HandShake = HandShake->isChecked();
    set.ASA = ASA->isChecked();
    set.CAS = CAS->isChecked();
    return set;
}

void CmdPadF::setCommandSet(const CommandSet& set) {
    AppTitle->setText(set.AppTitle);
    for (int i = 0; i < CommandSet::Commands; ++i) {
        RepSec[i]->setText(set.RepSec[i]);
        CMND[i]->setText(set.CMND[i]);
    }
    AppDesc->setText(set.AppDesc);
    Alternate->setChecked(set.Alternate);
    RCAS->setChecked(set.RCAS);
    FCAS->setChecked(set.FCAS);
    HandShake->setChecked(set.HandShake);
    ASA->setChecked(set.ASA);
    CAS->setChecked(set.CAS);
}

QString CmdPadF::setupFilePath() const {
    return CommandSetFile::resolve(ctx.settingsFolder, FlName->text());
}

void CmdPadF::LoadFile() {
    CommandSet set = commandSet();
    QString error;
    const bool loaded = CommandSetFile::load(setupFilePath(), set, &error);
    setupWriter_.remember(setupFilePath());
    if (loaded) {
        setCommandSet(set);
    } else if (!error.isEmpty()) {
        throw PlatformError(CommandSetFile::FileAccessError,
                            "Path/File access error: " + error.toStdString());
    }
}

void CmdPadF::SaveFile() {
    // No file can carry an empty name: nothing is written, and shutdown goes on.
    if (FlName->text().isEmpty()) {
        return;
    }
    QString error;
    if (!setupWriter_.write(setupFilePath(), CommandSetFile::lines(commandSet()),
                            ctx.platform.dialogs, &error) &&
        !error.isEmpty()) {
        throw PlatformError(CommandSetFile::FileAccessError,
                            "Path/File access error: " + setupFilePath().toStdString() +
                                (error.isEmpty() ? std::string() : ": " + error.toStdString()));
    }
}

namespace {

void reportUnexpected(Dialogs& dialogs, long number, const std::string& description) {
    dialogs.message("Unexpected error. Err " + std::to_string(number) + " : " + description);
}

}  // namespace

void CmdPadF::Load1_Click() {
    try {
        FileDialogRequest request;
        request.initialFolder =
            ctx.settingsFolder.isEmpty() ? std::string(".") : ctx.settingsFolder.toStdString();
        request.filter = "INI_Files (*.ini)|*.ini";
        const std::optional<std::string> chosen = ctx.platform.dialogs.openFile(request);
        if (!chosen) {
            return;
        }
        FlName->setText(QString::fromStdString(*chosen));
        LoadFile();
    } catch (const PlatformError& e) {
        reportUnexpected(ctx.platform.dialogs, e.number(), e.description());
    } catch (const std::exception& e) {
        reportUnexpected(ctx.platform.dialogs, 0, e.what());
    }
}

void CmdPadF::SC_Click() {
    try {
        FileDialogRequest request;
        request.filter = "INI_fILES (*.ini)|*.ini";
        request.fileName = FlName->text().toStdString();
        request.overwritePrompt = true;
        const std::optional<std::string> chosen = ctx.platform.dialogs.saveFile(request);
        if (!chosen) {
            return;
        }
        FlName->setText(QString::fromStdString(*chosen));
        SaveFile();
    } catch (const PlatformError& e) {
        reportUnexpected(ctx.platform.dialogs, e.number(), e.description());
    } catch (const std::exception& e) {
        reportUnexpected(ctx.platform.dialogs, 0, e.what());
    }
}

// ---------------------------------------------------------------------------------------
// Opening, activation and shutdown

void CmdPadF::openWith(const QString& argumentText) {
    // A name from the command line is used as given: no ".INI" is added.
    FlName->setText(argumentText.isEmpty() ? QString::fromLatin1(CommandSetFile::FileName)
                                           : argumentText);
    Compress();
    try {
        LoadFile();
    } catch (const std::exception&) {
        // An unreadable setup file leaves the defaults; start-up reports nothing.
    }
    // A marker found now was left by an earlier run; it would block every send.
    if (HandShake->isChecked()) {
        ctx.marker.removeLeftover();
    }
}

void CmdPadF::activationWork() {
    if (ASA->isChecked() && !ctx.state.AppsStarted) {
        ctx.state.AppsStarted = true;
        ctx.actions.startApps();
    }
}

void CmdPadF::closingWork() {
    // No tick may reload a window while the others are being unloaded.
    ctx.platform.clock.stopTimer(Timer1);
    for (const char* name : {"HlpF", "Dirx", "Apps", "HelpFrm", "TerminalF", "QsySweep"}) {
        ctx.windows.unload(name);
        if (ctx.state.EndRequested) {
            return;  // "Yes" to the launcher's question ended the program at once
        }
    }
    // The program ends even when the file cannot be written: the user is told which file
    // and why, the old file stays whole (the write is atomic) and the exit status says so.
    if (!FlName->text().isEmpty()) {
        setupWriter_.writeAtClose(setupFilePath(), CommandSetFile::lines(commandSet()),
                                  ctx.platform.dialogs, ctx.state);
    }
    if (ctx.endProgram) {
        ctx.endProgram();
    }
}

bool CmdPadF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Command3 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (Command3->rect().contains(mouse->position().toPoint())) {
            Command3_MouseUp();
        }
    } else if (watched == FlName && event->type() == QEvent::FocusOut) {
        // Leaving the box, not switching to another program or opening the menu: those
        // take the focus away only for a while.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            FlName->setText(CommandSetFile::withDefaultExtension(FlName->text()));
        }
    }
    return ProgramWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------
// Command cycling

void CmdPadF::StartIt() {
    sequence_.start();
}

void CmdPadF::keypadAutoStart() {
    sequence_.autoStart();
}

void CmdPadF::Command3_MouseUp() {
    sequence_.stop();
}

void CmdPadF::Command4_Click() {
    sequence_.toggleHold();
}

void CmdPadF::Command5_Click() {
    try {
        if (const auto window = ctx.delivery.FindWindowByTitle(QStringLiteral("CW Skimmer"))) {
            const ScreenRect r = ctx.platform.windows.windowRect(*window);
            ctx.platform.mouse.moveTo(r.right - 85, r.top + 10);
        }
    } catch (const std::exception&) {
        // A helper nobody can reach: a window that vanished meanwhile is simply skipped.
    }
}

void CmdPadF::Timer1_Timer() {
    PadTick::run(ctx.state, ctx.marker, ctx.platform.clock, *this, sequence_);
}

// ---------------------------------------------------------------------------------------
// What the sequence and the tick see of the window

QString CmdPadF::commandText(int index) {
    return CMND[index]->text();
}

QString CmdPadF::secondsText(int index) {
    return RepSec[index]->text();
}

QString CmdPadF::appTitle() {
    return AppTitle->text();
}

bool CmdPadF::handshakeChecked() {
    return HandShake->isChecked();
}

bool CmdPadF::runningShown() {
    return shown(Shape1);
}

void CmdPadF::showRunning(bool shown) {
    Shape1->setVisible(shown);
}

void CmdPadF::setRunningGreen(bool green) {
    Shape1->setFillColor(green ? Indicator::Green : Indicator::Red);
}

bool CmdPadF::holdShown() {
    return shown(Shape2);
}

void CmdPadF::showHold(bool shown) {
    Shape2->setVisible(shown);
}

void CmdPadF::setProgress(const QString& text) {
    Text1->setText(text);
}

void CmdPadF::setStartCaption(const QString& caption) {
    Command2->setText(caption);
}

void CmdPadF::compress() {
    Compress();
}

void CmdPadF::loadSweepWindow() {
    ctx.actions.loadWindow("QsySweep");
}

void CmdPadF::sweepDotRed() {
    ctx.actions.sweepDotRed();
}

void CmdPadF::sweepTickDuties() {
    ctx.actions.sweepTickDuties();
}

}  // namespace keyrelay

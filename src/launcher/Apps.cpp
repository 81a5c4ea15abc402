#include "launcher/Apps.h"

#include <limits>

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "launcher/LaunchListFile.h"
#include "launcher/LaunchRules.h"
#include "launcher/LaunchSequence.h"
#include "ui/AppContext.h"
#include "ui/Indicator.h"
#include "ui/Twips.h"
#include "ui/WindowActions.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {

namespace {

const char* const PathHint = "Enter the full path plus the exe file to be executed. No quotes";
const char* const WaitHint = "Enter the time in seconds to wait before executing the next program";
const char* const MinimizeHint = "Check this box if you want the program to start minimized";
const char* const IncludeHint = "If this box is not checked the line will be ignored";
const char* const CloseQuestion = "Do you want to close the program";

const char* const HelpText =
    "Enter the executable path and name. Then the wait to execute the next program. Give CW "
    "Skimmer enough time "
    "So that it can minimize if you have that checked. In order to minimize CW Skimmer the "
    "system has to "
    "emulate a mouse click. The position of the minimize button is different from machine to "
    "machine "
    "so if the cursor clicks in the wrong spot you can edit StartApps.txt and change the last "
    "number "
    "in the file to move it left or right. The defult is 90 if you change it to 70 it will move "
    "to the right.";

// Layout in twips.
constexpr int FormWidth = 10080;
constexpr int FormHeight = 7020;
constexpr int RowsTop = 1080;
constexpr int RowPitch = 900;
constexpr int FieldHeight = 315;
constexpr int PathLeft = 960;
constexpr int PathWidth = 4800;
constexpr int WaitWidth = 720;
constexpr int ParamLeft = 5880;
constexpr int ParamWidth = 1920;
constexpr int MarkerLeft = 7920;
constexpr int MarkerSize = 240;
constexpr int MinimizeLeft = 8400;
constexpr int IncludeLeft = 9360;
constexpr int NoteLeft = PathLeft + WaitWidth + 120;
// The decoder note stands this far below the top of the path field it belongs to.
constexpr int NoteBelowPath = 420;
constexpr int ButtonsTop = RowsTop + 6 * RowPitch + 120;
constexpr int ButtonWidth = 1200;
constexpr int ButtonHeight = 375;

int rowTop(int row) {
    return RowsTop + row * RowPitch;
}

}  // namespace

Apps::Apps(AppContext& context) : ProgramWindow(context, Name) {
    setWindowTitle(QStringLiteral("Start Apps"));
    buildControls();

    LaunchList list;
    const QString path = LaunchListFile::pathIn(ctx.settingsFolder);
    const bool loaded = LaunchListFile::load(path, list);
    listWriter_.remember(path);
    if (loaded) {
        showList(list);
    }
    ctx.state.ClickOffset = LaunchListFile::effectiveClickOffset(
        loaded ? list.clickOffset : std::nullopt, ctx.state.ClickOffset);
}

Apps::~Apps() = default;

void Apps::buildControls() {
    setFixedSize(Twips::toPixels(FormWidth), Twips::toPixels(FormHeight));

    Label2 = new QLabel(QStringLiteral("Enter full path and executable names then enter the wait "
                                       "time in seconds until the next app should be loaded"),
                        this);
    Label2->setWordWrap(true);
    Twips::place(Label2, 120, 120, FormWidth - 240, 540);

    const auto header = [this](const char* text, int left, int width) {
        auto* label = new QLabel(QString::fromLatin1(text), this);
        Twips::place(label, left, RowsTop - 360, width, 300);
        return label;
    };
    header("Param", ParamLeft, ParamWidth);
    header("Minimize", MinimizeLeft - 120, 900);
    header("Inc", IncludeLeft - 30, 600);

    for (int i = 0; i < Rows; ++i) {
        const int top = rowTop(i);
        auto* rowLabel = new QLabel(QStringLiteral("App #%1").arg(i + 1), this);
        Twips::place(rowLabel, 120, top, PathLeft - 160, FieldHeight);

        Text1[i] = new QLineEdit(this);
        Text1[i]->setMaxLength(std::numeric_limits<int>::max());  // stored values are never cut
        Text1[i]->setToolTip(QString::fromLatin1(PathHint));
        Text1[i]->installEventFilter(this);
        Twips::place(Text1[i], PathLeft, top, PathWidth, FieldHeight);

        Text2[i] = new QLineEdit(this);
        Text2[i]->setMaxLength(std::numeric_limits<int>::max());  // stored values are never cut
        Text2[i]->setToolTip(QString::fromLatin1(WaitHint));
        Twips::place(Text2[i], PathLeft, top + NoteBelowPath, WaitWidth, FieldHeight);

        Param[i] = new QLineEdit(this);
        Param[i]->setMaxLength(std::numeric_limits<int>::max());  // stored values are never cut
        Twips::place(Param[i], ParamLeft, top, ParamWidth, FieldHeight);

        Shape1[i] = new Indicator(this, Indicator::Red);
        Twips::place(Shape1[i], MarkerLeft, top + (FieldHeight - MarkerSize) / 2, MarkerSize,
                     MarkerSize);
        Shape1[i]->hide();

        Check1[i] = new QCheckBox(this);
        Check1[i]->setToolTip(QString::fromLatin1(MinimizeHint));
        Twips::place(Check1[i], MinimizeLeft + 120, top, 300, FieldHeight);

        Check4[i] = new QCheckBox(this);
        Check4[i]->setToolTip(QString::fromLatin1(IncludeHint));
        Twips::place(Check4[i], IncludeLeft, top, 300, FieldHeight);
    }

    Label13 = new QLabel(QStringLiteral("If you'r starting CW Skimmer make sure there is enough "
                                        "time for it to load completly before the next app "
                                        "loads."),
                         this);
    Label13->setWordWrap(true);
    Label13->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Twips::place(Label13, NoteLeft, rowTop(0) + NoteBelowPath, FormWidth - NoteLeft - 120,
                 RowPitch - NoteBelowPath);

    Command1 = new QPushButton(QStringLiteral("Close"), this);
    Command2 = new QPushButton(QStringLiteral("Start"), this);
    Command3 = new QPushButton(QStringLiteral("Cancel"), this);
    Command4 = new QPushButton(QStringLiteral("Help"), this);
    const int gap = (FormWidth - 4 * ButtonWidth) / 5;
    int left = gap;
    for (QPushButton* button : {Command2, Command3, Command1, Command4}) {
        Twips::place(button, left, ButtonsTop, ButtonWidth, ButtonHeight);
        button->setAutoDefault(false);
        left += ButtonWidth + gap;
    }
    connect(Command1, &QPushButton::clicked, this, &Apps::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Apps::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Apps::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Apps::Command4_Click);
}

void Apps::showList(const LaunchList& list) {
    for (int i = 0; i < Rows; ++i) {
        const LaunchRow& row = list.rows[i];
        Text1[i]->setText(row.path);
        Text2[i]->setText(row.wait);
        Param[i]->setText(row.param);
        Check1[i]->setChecked(row.minimize);
        Check4[i]->setChecked(row.include);
    }
}

LaunchList Apps::currentList() const {
    LaunchList list;
    for (int i = 0; i < Rows; ++i) {
        LaunchRow& row = list.rows[i];
        row.path = Text1[i]->text();
        row.wait = Text2[i]->text();
        row.param = Param[i]->text();
        row.minimize = Check1[i]->isChecked();
        row.include = Check4[i]->isChecked();
    }
    list.clickOffset = ctx.state.ClickOffset;
    return list;
}

void Apps::closingWork() {
    // A list that cannot be written keeps the old file whole, and the user is told.
    listWriter_.writeAtClose(LaunchListFile::pathIn(ctx.settingsFolder),
                             LaunchListFile::lines(currentList()), ctx.platform.dialogs, ctx.state);

    if (ctx.state.CloseAfterAppsStart &&
        ctx.platform.dialogs.askYesNo(std::string(CloseQuestion))) {
        ctx.endProgram();
    }
}

void Apps::Command1_Click() {
    ctx.state.AppsStarted = true;
    close();
}

void Apps::Command2_Click() {
    StartEm();
}

void Apps::Command3_Click() {
    ctx.state.LaunchCancel = true;
}

void Apps::Command4_Click() {
    ctx.platform.dialogs.message(std::string(HelpText));
}

bool Apps::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !isUnloaded()) {
        // Only a move of the focus inside this window counts as leaving the field, not
        // switching to another window or opening a menu.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (int i = 0; i < Rows; ++i) {
                if (watched == Text1[i]) {
                    Text1_LostFocus(i);
                    break;
                }
            }
        }
    }
    return ProgramWindow::eventFilter(watched, event);
}

void Apps::Text1_LostFocus(int index) {
    const QString path = Text1[index]->text();
    if (!path.isEmpty()) {
        const QFileInfo file(LaunchRules::hostPath(
            path, QString::fromStdString(ctx.platform.processes.winePrefix())));
        if (!file.exists() || file.isDir()) {
            ctx.platform.dialogs.message((path + QStringLiteral(" not found.")).toStdString());
            Text1[index]->setFocus(Qt::OtherFocusReason);
        }
    }
    if (LaunchRules::isSkimmer(path)) {
        Twips::setTop(Label13, rowTop(index) + NoteBelowPath);
    }
}

LaunchRow Apps::row(int index) {
    return currentList().rows[index];
}

void Apps::markRow(int index) {
    Shape1[index]->show();
}

bool Apps::windowVisible() {
    return isVisible();
}

bool Apps::windowClosed() {
    return isUnloaded();
}

void Apps::closeWindow() {
    close();
}

bool Apps::mainWindowLoaded() {
    return ctx.windows.isLoaded("CmdPadF");
}

void Apps::applyAutoStarts(bool keypad, bool bandscan) {
    if (keypad) {
        ctx.actions.keypadAutoStart();
    }
    if (bandscan) {
        ctx.actions.bandscanAutoStart();
    }
}

LaunchSequence Apps::sequence() {
    return LaunchSequence(ctx.state, ctx.platform, ctx.delivery, *this);
}

void Apps::StartEm() {
    if (launching_ || isUnloaded()) {
        return;
    }
    launching_ = true;
    // Closing the window during a wait must not delete it under the launch.
    const HandlerScope handler(*this);
    struct EndOfLaunch {
        Apps* apps;
        ~EndOfLaunch() { apps->launching_ = false; }
    } endOfLaunch{this};
    sequence().run();
}

}  // namespace keyrelay

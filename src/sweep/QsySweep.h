#pragma once

#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <map>

#include "core/SettingsWriter.h"
#include "link/LinkServerView.h"
#include "link/LinkTarget.h"
#include "sweep/SweepSettings.h"
#include "sweep/SweepStartStop.h"
#include "sweep/SweepStepTarget.h"
#include "sweep/SweepTickTarget.h"
#include "ui/ProgramWindow.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTcpSocket;

namespace keyrelay {

class Indicator;
class PreviewFrm;
class LinkServer;
class SkimmerTelnet;

// The sweep window: the eight-line sweep table and its settings, Start and Stop, the sweep
// step, the manual "Sending:" command, hints and the two layouts. The one-second tick of
// the main window times the steps (SweepTick) through the SweepTickTarget side of it; the
// step itself (SweepStep, SweepPlan) and what Start and Stop do (SweepStartStop) are
// decided by logic that works on its SweepStepTarget side.
//
// The table and the single fields are read from "QsySweep.txt" when the window loads and
// written back when it unloads. While one of its handlers waits (a step typing into the
// target, a manual send) the window may be closed: its closing work runs at once, the
// object itself goes only when the handler has finished.
//
// The station link: the window listens for link clients (`Winsock1`, LinkServer) and
// connects as a client through `Winsock2` (LinkClient); the link reader's reactions come
// back to it as a LinkTarget, and the server shows its state through the LinkServerView
// side.
class QsySweep : public ProgramWindow,
                 public SweepTickTarget,
                 public SweepStepTarget,
                 public LinkTarget,
                 public LinkServerView {
    Q_OBJECT
public:
    static constexpr const char* Name = "QsySweep";
    static constexpr int Lines = SweepSettings::Lines;

    // Layout geometry in twips. The window heights count a frame (title bar and borders)
    // of FrameTwips that the window system draws outside the window's own area.
    static constexpr int DesignWidth = 9495;
    static constexpr int FullHeight = 7845;
    static constexpr int CompactHeight = 1400;
    static constexpr int FrameTwips = 420;
    static constexpr int FullRowTop = 6480;    // Command1 and its row, full layout
    static constexpr int CompactRowTop = 100;  // the same row, compact layout
    static constexpr int LinkRowTop = 705;     // Port and the link dots, full layout

    explicit QsySweep(AppContext& context);
    ~QsySweep() override;

    // Start and Stop buttons, also run by the link and the launcher.
    void Command2_Click();
    void Command3_Click();
    // Begins a local run and makes the first step at once.
    void StartIt();
    // One sweep step.
    void DoIt();
    // Types (or sends over telnet) the command in Text1 at once. Failures go to the caller.
    void ForceSend();
    void Compress();
    void Expand();
    // "Bandscan Auto Start": shown collapsed and started, unless it follows another
    // program's sweep over the link.
    void autoStart();

    // Buttons and menu items.
    void Command1_Click();  // "Quit"
    void Sending_Click();   // "Sending:"
    void COLx_Click();
    void FX_Click();
    void TRM_Click();
    void ABT_Click();
    void HLP_Click();
    // "Preview": what the sweep will do over the next 24 hours, kept up with the table's
    // edits while it is open.
    void PRV_Click();
    // "Send Data": sends this instance's table over the link.
    void Command4_Click();

    // The table and single fields as the settings file holds them, and their replacement
    // (by the settings file, or by a table received over the link).
    SweepSettings settings() const override;
    void applySettings(const SweepSettings& settings);

    // Height the current layout gives the window, in twips (FullHeight or CompactHeight).
    int layoutHeight() const { return layoutHeight_; }
    // Telnet mode: ViaTelnet and ImAServer both checked.
    bool telnetMode() const;
    // Acts as a client linked to another instance's sweep: green dot shown, red one hidden.
    bool linkedClient() const;

    // The sweep duties of the main window's one-second tick: include marks, time windows,
    // the dwell step and "Cycle Bands" (SweepTick), on the sweep window as the registry
    // has it (loading it when needed) at the clock's local time.
    static void tickDuties(AppContext& context);

    // SweepTickTarget
    bool lineIncluded(int line) override;
    QString startTimeText(int line) override;
    QString endTimeText(int line) override;
    QString dwellText(int line) override;
    bool cycleBandsChecked() override;
    bool stepsLocally() override;
    void makeStep() override;

    // SweepStepTarget (FreqOffset and SweepStopRequested come with it)
    void showSending(bool sending) override;
    void hideRunning() override;
    void showSent(const QString& text) override;
    bool sendFrequencyCommand(const QString& command) override;
    void telnetFailed() override;
    bool offersConnect() override;

    // LinkTarget: the reactions to link messages. sendReply answers the server on
    // `Winsock2` (the server's own replies go through LinkServer).
    void sendReply(const QString& message) override;
    void sendOwnTable() override { Command4_Click(); }
    void start() override { Command2_Click(); }
    void stop() override { Command3_Click(); }
    void markSenderAnswered() override {}
    void applyCommand(const QString& command) override;
    void showKeepAlive(bool serverSweepRunning, const QString& count) override;
    SweepSettings sweepFields() override { return settings(); }
    void setSweepFields(const SweepSettings& fields) override;

    // LinkServerView
    bool serverDotShown() override;
    QString portText() override;
    bool sweepRunning() override;
    void showAccepted(int count) override;
    void showDataArrived() override;
    void showClientCount(int count) override;
    void showConnectionLost() override;
    void showStatus(const QString& text) override;
    void showMessage(const QString& text) override;
    void runHandler(const std::function<void()>& handler) override;

    // The sweep table.
    std::array<QLineEdit*, Lines> StartFreq{};
    std::array<QLineEdit*, Lines> EndFreq{};
    std::array<QLineEdit*, Lines> IncH{};
    std::array<QLineEdit*, Lines> DurSec{};
    std::array<QCheckBox*, Lines> IncCheck{};
    std::array<QLineEdit*, Lines> StartTime{};
    std::array<QLineEdit*, Lines> EndTime{};

    // Single fields.
    QLineEdit* TargetName = nullptr;
    QLineEdit* PrefixStr = nullptr;
    QLineEdit* SufixStr = nullptr;
    QLineEdit* ReturnApp = nullptr;
    QCheckBox* Check1 = nullptr;  // reactivate the target before each keystroke string
    QCheckBox* CycleBands = nullptr;
    QCheckBox* ViaTelnet = nullptr;
    QCheckBox* ImAServer = nullptr;
    QLineEdit* IpAddr = nullptr;
    QLineEdit* Port = nullptr;
    QLineEdit* SkimmerPort = nullptr;
    QLineEdit* Text1 = nullptr;       // manual command; last frequency command sent
    QPlainTextEdit* Text2 = nullptr;  // last text from the decoder's telnet server
    QLineEdit* TxtStatus = nullptr;   // messages

    // Labels.
    QLabel* Label1 = nullptr;   // "Title of remote App:"
    QLabel* Label2 = nullptr;   // "Prefix String"
    QLabel* Label3 = nullptr;   // "Sufix String"
    QLabel* Label4 = nullptr;   // "Return Focus to this App:"
    QLabel* Label5 = nullptr;   // "Start Freq"
    QLabel* Label6 = nullptr;   // "End Freq"
    QLabel* Label7 = nullptr;   // "Inc in K Hertz"
    QLabel* Label8 = nullptr;   // "Duration Sec"
    QLabel* Label9 = nullptr;   // "Include"
    QLabel* Label10 = nullptr;  // "Start Time HH:MM"
    QLabel* Label11 = nullptr;  // "Addr:"
    QLabel* Label12 = nullptr;  // "Port:"
    QLabel* Label13 = nullptr;  // "End Time HH:MM"
    QLabel* Label14 = nullptr;  // number of clients, drawn in Shape3
    QLabel* Label15 = nullptr;  // number the server reports, drawn in Shape2
    QLabel* Label16 = nullptr;  // "Status:"
    QLabel* Label17 = nullptr;  // "CW Skimmer port:"

    // Buttons.
    QPushButton* Command1 = nullptr;  // "Quit"
    QPushButton* Command2 = nullptr;  // "Start"
    QPushButton* Command3 = nullptr;  // "Stop"
    QPushButton* Command4 = nullptr;  // "Send Data"
    QPushButton* Command5 = nullptr;  // restarts listening for link clients (hidden)
    QPushButton* Command6 = nullptr;  // "Rcv Data"
    QPushButton* Sending = nullptr;   // "Sending:"

    Indicator* Shape1 = nullptr;  // running
    Indicator* Shape2 = nullptr;  // green link dot
    Indicator* Shape3 = nullptr;  // red server dot

    // Menu bar items.
    QAction* FX = nullptr;       // "File": closes the window
    QAction* COLx = nullptr;     // "Collapse" / "Expand"
    QAction* Connect = nullptr;  // "Connect" / "Disconnect"
    QAction* TRM = nullptr;      // "Terminal"
    QAction* ABT = nullptr;      // "About"
    QAction* HLP = nullptr;      // "Help"
    QAction* PRV = nullptr;      // "Preview"

    // The preview window while it is open (it deletes itself when closed).
    QPointer<PreviewFrm> Preview;

    // The link server: the listening socket and the accepted clients.
    LinkServer* Winsock1 = nullptr;
    // The client socket: the decoder's telnet connection in telnet mode, the link to a
    // server on a linked client. Its arrival and close events are handled by Telnet.
    QTcpSocket* Winsock2 = nullptr;
    SkimmerTelnet* Telnet = nullptr;
    // Timer2, the acknowledgement watchdog of the telnet commands, is deliberately not
    // started: its counter never advances as the system stands, so it could never report
    // a lost acknowledgement, and any timeout chosen here would stop sweeps that work
    // whenever the decoder answers a command without a click report.

protected:
    void closingWork() override;
    void activationWork() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildMenu();
    void placeFullLayout();
    // Moves the controls that change place between the layouts to the full or compact
    // layout's tops and shows or hides those the compact layout leaves out.
    void placeRows(bool compact);
    void setLayoutHeight(int twips);
    void placeMenuBar();
    void assignHints();
    // Refuses an end time earlier than the line's start time (SweepTick::endTimeRefused).
    void endTimeCheck(int line);
    // Gives a window that was just shown a moment to come to the front before a step
    // activates the target, so the window manager does not hand it the focus mid-step.
    void settleAfterShow();

    // The situation Start, Stop and "Sending:" decide on.
    SweepStartStop::Situation situation() const;

    // Telnet session with the decoder:
    void buildTelnet();
    // Winsock2 is connected to the decoder or to a link server.
    bool winsock2Connected() const;
    // Start in telnet mode: run at once when still `connected` to the decoder, else
    // connect to it first.
    void telnetStart(bool connected);
    // ViaTelnet changed: the keystroke fields are of no use while it is checked.
    void ViaTelnet_Changed(bool checked);

    // Station link:
    void buildLink();
    // Sends a link message in one piece: to the client that sent last while the red dot
    // is shown, else to the server on `Winsock2`. Throws PlatformError.
    void linkSend(const QString& message);
    void linkConnect();
    void linkDisconnect();
    void linkFirstActivation();
    void linkForwardStart();
    void linkForwardStop();
    void linkForwardCommand(const QString& command);
    void Connect_Click();
    void Command5_Click();
    void Command6_Click();
    void ImAServer_Click();

    QMenuBar* menuBar_ = nullptr;
    QWidget* form_ = nullptr;  // the window's area below the menu bar; controls live here
    std::map<QObject*, QString> hints_;
    // Each control's top in the full layout, as placeFullLayout put it (twips).
    std::map<QWidget*, int> fullTop_;
    int layoutHeight_ = FullHeight;
    bool activeSinceShown_ = false;
    SettingsWriter settingsWriter_;
};

}  // namespace keyrelay

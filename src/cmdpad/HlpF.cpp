#include "cmdpad/HlpF.h"

#include <QDir>

#include "core/HostSystem.h"
#include "ui/AppContext.h"

namespace keyrelay {

namespace {

const char* const Text = R"(KEYRELAY COMMAND PAD

Setup files
The command set is kept in the setup file named in the "Commands File Name" box. The default name is CmdPadF.ini, in the settings folder: <SETTINGS>. To keep several sets, type another name into the box: a name without a dot gets .INI added when you leave the box. The set is saved under that name when Keyrelay closes. The first File > Load opens a chooser that lists the setup files of a folder (Go or F2 takes the selected name, Esc closes it); File > Save and the second File > Load use the usual file dialogs.

Running a second copy
A second copy of Keyrelay runs with its own set when its start command carries one more word after the program path, which becomes its setup file name, for example
    <PROGRAM> NR1
(or a desktop shortcut with that command). The word is used exactly as given; no .INI is added to it.

Busy marker (Handshake With LDK)
With "Handshake With LDK" checked, Keyrelay and the companion program LDK take turns through the marker file 77qwaz48.uu. <MARKER_RULE> Both programs must use the same folder, or they do not wait for each other.
This copy of Keyrelay uses: <MARKER_FOLDER>

App Title
Type the first few characters of the title of the window that is to receive the commands. A window whose title is exactly that text is preferred; otherwise the first window whose title begins with it is used.

Repeat Sec
The number of seconds from the start of one round of commands to the start of the next. Empty or 0 repeats the round as soon as the previous one has ended.

Commands and Secs
The thirteen commands are typed into the target window one after another. The Secs box under a command is the pause after that command, in seconds (fractions such as 0.5 are allowed). An empty command sends nothing.

Start sends the first round at once and repeats it every Repeat Sec seconds. Stop lets a round that has begun finish and then sends no more. Hold keeps the keyboard channel for you: while its dot is lit, the band scanner sends nothing.

If commands do not arrive, check "Check this box if you get errors or the commands don't work" to use the other way of typing.

WRITING KEYSTROKES

Ordinary characters type themselves: ABC types A, then B, then C.

These characters have a meaning of their own:
    +   Shift for the next key            +a types A
    ^   Ctrl for the next key             ^s is Ctrl+S
    %   Alt for the next key              %f is Alt+F
    ~   Enter
    ( ) hold a modifier over several keys: +(ec) holds Shift over e and c,
        while +ec holds it over e only
To type one of  +  ^  %  ~  (  )  [  ]  as itself, put it in braces: {+} {^} {%} {~} {(} {)} {[} {]}. The braces themselves are written {{} and {}}.

Keys without a character are written by name in braces:
    BACKSPACE     {BACKSPACE}, {BS} or {BKSP}
    BREAK         {BREAK}
    CAPS LOCK     {CAPSLOCK}
    DEL           {DELETE} or {DEL}
    DOWN ARROW    {DOWN}
    END           {END}
    ENTER         {ENTER} or ~
    ESC           {ESC}
    HELP          {HELP}
    HOME          {HOME}
    INS           {INSERT}
    LEFT ARROW    {LEFT}
    NUM LOCK      {NUMLOCK}
    PAGE DOWN     {PGDN}
    PAGE UP       {PGUP}
    PRINT SCREEN  {PRTSC}
    RIGHT ARROW   {RIGHT}
    SCROLL LOCK   {SCROLLLOCK}
    TAB           {TAB}
    UP ARROW      {UP}
    F1 ... F16    {F1} ... {F16}

Modifiers combine with named keys too: ^{HOME} is Ctrl+Home, +{TAB} is Shift+Tab, %{F4} is Alt+F4.

A key can be repeated by writing a blank and a count inside the braces: {LEFT 42} presses Left 42 times, {h 10} types hhhhhhhhhh.

Example for CW Skimmer: %CT opens its frequency entry box (Alt+C, then T); follow it with the frequency and {ENTER}. )";

const char* const LinuxMarkerRule =
    "When Keyrelay runs installed as /usr/bin/keyrelay (or /opt/keyrelay/bin/keyrelay), "
    "the marker lives in LDK's folder in the Wine prefix ($WINEPREFIX, else ~/.wine), "
    "C:\\Program Files (x86)\\logdeck\\ or else C:\\Program Files\\logdeck\\, in any "
    "letter case, when one of them exists, else in /opt/logdeck/; otherwise it lives in "
    "the folder Keyrelay is started from.";

const char* const WindowsMarkerRule =
    "When Keyrelay is installed as C:\\program files (x86)\\keyrelay\\keyrelay.exe, the "
    "marker lives in C:\\program files (x86)\\logdeck\\; installed as C:\\program "
    "files\\keyrelay\\keyrelay.exe, in C:\\program files\\logdeck\\; otherwise in the "
    "folder Keyrelay is started from.";

}  // namespace

QString HlpF::helpText(bool windows, const QString& logdeckFolder) {
    const QString folder = logdeckFolder.isEmpty()
                               ? QStringLiteral("the folder Keyrelay was started from, ") +
                                     QDir::toNativeSeparators(QDir::currentPath())
                               : logdeckFolder;
    return QString::fromUtf8(Text)
        .replace(QLatin1String("<SETTINGS>"), HostSystem::settingsPlace(windows))
        .replace(QLatin1String("<PROGRAM>"), HostSystem::installedProgram(windows))
        .replace(QLatin1String("<MARKER_RULE>"),
                 QLatin1String(windows ? WindowsMarkerRule : LinuxMarkerRule))
        .replace(QLatin1String("<MARKER_FOLDER>"), folder);
}

HlpF::HlpF(AppContext& context)
    : TextWindow(context, Name, QStringLiteral("Help"),
                 helpText(HostSystem::windows(), context.state.LogdeckFolder),
                 Layout{.textLeft = 120,
                        .textTop = 120,
                        .textWidth = 9600,
                        .textHeight = 7200,
                        .closeLeft = 120 + 9600 - 1215,
                        .closeTop = 120 + 7320,
                        .width = 9840,
                        .height = 7935,
                        .fixedSize = true,
                        .fixedPitch = true}) {}

}  // namespace keyrelay

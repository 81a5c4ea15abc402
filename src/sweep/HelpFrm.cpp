#include "sweep/HelpFrm.h"

#include "core/HostSystem.h"

namespace keyrelay {

HelpFrm::HelpFrm(AppContext& context)
    : TextWindow(
          context, Name, QStringLiteral("Help"),
          introduction() + QStringLiteral("\n\n") + storedText() + filesText(HostSystem::windows()),
          Layout{.textLeft = 120,
                 .textTop = 120,
                 .textWidth = 9000,
                 .textHeight = 6600,
                 .closeLeft = 3960,
                 .closeTop = 6840,
                 .width = 9240,
                 .height = 7335,
                 .fixedSize = false,
                 .fixedPitch = false}) {}

QString HelpFrm::introduction() {
    return QStringLiteral(
        "Keyrelay sends keystrokes to another program that is already running, as if they "
        "were typed on the keyboard. Enter the first few characters of that program's window "
        "title in the \"Title of remote App:\" box. Some programs, such as N1MM, keep changing "
        "their window title; for them clear the box \"Reactivate remote program before each "
        "command\". The Prefix String is typed before each frequency: for CW Skimmer the "
        "prefix %CT (Alt+C, then T) opens its frequency entry box. The Sufix String is typed "
        "after the frequency, for example {ENTER}. Then fill in the start and end frequency "
        "of each line. A line whose \"Include\" box is cleared is kept in the table but not "
        "used.");
}

QString HelpFrm::storedText() {
    return QStringLiteral(
        "HOW THE SWEEP RUNS\n"
        "Start sends the current line's next frequency at once. After that the sweep stays "
        "on each frequency for the line's \"Duration Sec\" and then types the next one: the "
        "start frequency, then the start plus \"Inc in K Hertz\", and so on up to the end "
        "frequency, after which the line starts again at its start frequency. A frequency "
        "only moves on when a Sufix String is set. Without \"Cycle Bands\" a line keeps the "
        "sweep until its range is done and the next included line follows; with it, the "
        "included lines take turns after every step. Stop and Start again carry on at the "
        "next frequency.\n"
        "\n"
        "TIME WINDOWS\n"
        "\"Start Time HH:MM\" and \"End Time HH:MM\" limit a line to part of the day (local "
        "time, both ends included). Write two-digit hours and minutes: the time is read by "
        "position, so 9:30 would count as 9:00. An empty start time means the line is used "
        "all day; an empty end time means until midnight. A start of 00:00 counts from "
        "00:01. A window must lie within one day: 22:00 to 02:00 is never open; use two "
        "lines, 22:00 to 23:59 and 00:00 to 02:00, instead. The end time may not be earlier "
        "than the start time. When the current line is outside its window the sweep moves "
        "on to the next included line. When no included line is inside its window, the "
        "sweep stays on the line it was on and keeps stepping it, exactly as it does when "
        "that line is the only one included.\n"
        "\n"
        "If you drive CW Skimmer over telnet (below), you can skip the keyboard settings.\n"
        "\n"
        "KEYSTROKES\n"
        "Letters and digits type themselves: ABC types A, B and C.\n"
        "+ holds Shift, ^ holds Ctrl and % holds Alt for the next key: ^S is Ctrl+S.\n"
        "Parentheses hold a modifier over several keys: +(EC) types E and C with Shift held, "
        "while +EC holds Shift for the E only.\n"
        "~ is the Enter key.\n"
        "To type one of the characters + ^ % ~ ( ) [ ] itself, put it in braces: {+} types "
        "a plus sign; {{} and {}} type the braces.\n"
        "Named keys go in braces: {BACKSPACE} (or {BS} or {BKSP}), {BREAK}, {CAPSLOCK}, "
        "{DELETE} (or {DEL}), {DOWN}, {END}, {ENTER}, {ESC}, {HELP}, {HOME}, {INSERT}, "
        "{LEFT}, {NUMLOCK}, {PGDN}, {PGUP}, {PRTSC}, {RIGHT}, {SCROLLLOCK}, {TAB}, {UP}, "
        "and {F1} to {F16}.\n"
        "A number after a blank inside the braces repeats the key: {LEFT 42} presses Left "
        "42 times, {h 10} types ten h.\n"
        "Example for CW Skimmer: prefix %CT, suffix {ENTER}.\n"
        "\n"
        "TELNET AND LINKING STATIONS\n"
        "Check \"Send frequecy change commands via telnet in background\" to send the "
        "frequencies to CW Skimmer through its telnet server (port in \"CW Skimmer port:\") "
        "instead of typing them; CW Skimmer's window can then stay in the background. This "
        "works on the computer marked \"I Am a Server\". A star after a line's duration (30*) "
        "restarts its dwell whenever CW Skimmer reports a spot.\n"
        "Several stations can share one sweep. Only one computer on the network may have "
        "\"I Am a Server\" checked. Enter the server's IP address in the Addr field and the "
        "same port in the Port field on the server and on every client. Every copy of the "
        "program that has a port listens on it as soon as this window is first opened; on "
        "a client click CONNECT, which waits up to twelve seconds for the server and says "
        "so when it cannot reach it. A green dot then shows on the client and a red dot on "
        "the server; the number in the red dot is the number of clients attached, and the "
        "server sends it to the clients every 30 seconds for their green dot.\n"
        "RCV DATA fetches the table from the other side, SEND DATA sends your table to it "
        "(a server answers the client whose data came in last). A received table replaces "
        "every line and the target, prefix, suffix and Cycle Bands settings; the \"Return "
        "Focus\" program is kept when the sender's is empty. With several clients "
        "attached, fetch the table before you change and send it, so you do not overwrite "
        "what another station sent; the server does not pass a table on to the other "
        "clients.\n"
        "Start and Stop on a client start and stop the server's sweep; the client does not "
        "sweep itself, and its running dot follows the server's sweep at each 30-second "
        "check. \"Sending:\" on a client has the server type the command into its own "
        "target program. Every 30 seconds the server checks its clients; a client that "
        "does not answer gets no further checks, and when no client is left the server "
        "shows \"Connection Lost\", drops all connections and listens afresh. DISCONNECT "
        "on a client stops the server's sweep and closes the connection; on the server it "
        "stops its sweep and drops all clients. A client whose server has gone keeps its "
        "green dot until you click DISCONNECT. The server takes at most 500 connections "
        "until it drops them all; later ones are turned away.\n"
        "SECURITY: the link has no password. Anyone who can reach the link port can "
        "replace the server's table, start and stop its sweep and type commands into the "
        "server's target program. Use the link on a trusted network only (your own LAN or "
        "a VPN), and never forward the port to the internet.\n"
        "To restrict it, put a file LinkAllow.txt beside the settings files with one "
        "allowed address or range a line (192.168.1.20, 192.168.1.0/24, fd00::/8; # starts "
        "a comment), and a line listen 192.168.1.5 to listen on that address only. It is "
        "read whenever listening starts; connections from other addresses are closed at "
        "once and counted in the Status field. Without the file anyone may connect.\n");
}

QString HelpFrm::filesText(bool windows) {
    const QString program = HostSystem::installedProgram(windows);
    return QStringLiteral(
               "\nFILES\nThe table and the settings of this window are kept in QsySweep.txt "
               "in the settings folder: ") +
           HostSystem::settingsPlace(windows) +
           QStringLiteral(
               ". Two copies of Keyrelay started from one folder share it, for "
               "example ") +
           program + QStringLiteral(" and ") + program +
           QStringLiteral(
               " NR1 (a second copy with its own command set): start the second copy from "
               "another folder to give it a sweep of its own. The main window's Help names "
               "the folder of the marker file shared with LDK.\n");
}

}  // namespace keyrelay

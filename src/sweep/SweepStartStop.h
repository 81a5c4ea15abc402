#pragma once

namespace keyrelay {

// What Start, Stop, "Bandscan Auto Start" and the "Sending:" button do, decided from the
// sweep's situation; the window carries the decision out. Telnet mode (ViaTelnet and
// ImAServer checked) comes first; a linked client (green dot shown, red one hidden) hands
// everything to the server it follows; otherwise the sweep types here.
class SweepStartStop {
public:
    struct Situation {
        bool running = false;          // the running dot is shown
        bool telnetMode = false;       // ViaTelnet and ImAServer checked
        bool linkedClient = false;     // follows another program's sweep over the link
        bool telnetConnected = false;  // the decoder's telnet connection is up
    };

    enum class Start {
        Nothing,        // already running
        TelnetResume,   // still connected from an earlier run: run and step at once
        TelnetConnect,  // connect and log in; the first step comes from the tick
        Forward,        // the server starts; the dot shows here
        Local,          // collapse, run and step at once
    };
    static Start start(const Situation& s);

    // Stop always puts the running dot out; besides that:
    struct Stop {
        bool forward = false;      // tell the server (a failure goes to the status field)
        bool requestStop = false;  // a step under way ends before its next send
        bool freeChannel = false;  // the channel and the busy marker are given back
        bool operator==(const Stop&) const = default;
    };
    static Stop stop(const Situation& s);

    // "Bandscan Auto Start" shows the window collapsed and presses Start, except on a
    // linked client, whose server decides when it runs.
    static bool autoStartPresses(const Situation& s) { return !s.linkedClient; }

    enum class Send {
        Telnet,   // to the decoder when connected
        Forward,  // the server types it; nothing is typed here
        Keys,     // typed into the target (ForceSend)
    };
    static Send sending(const Situation& s);
};

}  // namespace keyrelay

#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <functional>

#include "link/LinkBufferText.h"
#include "link/LinkTarget.h"
#include "platform/Clock.h"

namespace keyrelay {

// Reads the link's receive buffer for one role and hands what it finds to the window.
//
// After each arrival the buffer is read in passes: a pass looks for the messages in the
// role's order, pauses 50 ms (the event loop runs, so other handlers may add to or take
// from the shared buffer meanwhile), and the next pass follows, until a message ends the
// handling, the buffer is empty (then three more turns of the event loop) or 51 passes
// have run. What is still unfinished then waits for the next arrival.
//
// Server, per pass: "&SEND////", "&KA////", "&OK////", a complete "&X" (which also empties
// the buffer), the table rows, "&START////", "&STOP////", the single fields. Each of the
// control messages ends the handling, so one arrival handles at most one of them; a
// failure also ends it.
// Client, per pass: "&SEND////", "&KA" (answered with "&OK////" in every pass that sees
// it, shown once complete), "&OK////" (ends the handling), the table rows, "&START////",
// "&STOP////", the single fields. A failing step is skipped and the pass goes on.
class LinkReader {
public:
    enum class Role { Server, Client };

    static constexpr int MaxPasses = 51;
    static constexpr std::int64_t PassPauseMs = 50;

    // `linkBuffer` is the program's one receive buffer, shared by both roles.
    LinkReader(QString& linkBuffer, Clock& clock, LinkTarget& target, Role role)
        : buffer_(linkBuffer), clock_(clock), target_(target), role_(role) {}

    // One arrival: appends the text; a buffer that is then exactly "&END////" is emptied
    // and nothing else happens; otherwise the passes run.
    void receive(QStringView text);
    // The passes over what the buffer holds (for an arrival handler that appended the text
    // and tested for "&END////" itself).
    void runPasses();

private:
    // One pass; true when the handling ends.
    bool serverPass();
    bool clientPass();
    // The table rows: each row is emptied and filled from its messages.
    void tableStep();
    // "&C", "&T", "&P", "&SU", "&R": each sets its field when it is there.
    void settingsStep();
    // Runs one step of the client's pass: a failure skips it. (On the server a failure
    // ends the handling.)
    void clientStep(const std::function<void()>& work);

    LinkBufferText buffer_;
    Clock& clock_;
    LinkTarget& target_;
    Role role_;
};

}  // namespace keyrelay

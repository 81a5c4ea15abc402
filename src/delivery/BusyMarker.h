#pragma once

#include <QString>
#include <functional>

#include "core/ProgramState.h"

namespace keyrelay {

// The busy marker: a file "77qwaz48.uu" in the companion program's folder
// (ProgramState::LogdeckFolder, empty for the working folder) whose existence says
// "the keystroke channel is taken". Shared with the companion program, which relies on
// its path, name and single line "XX" CR LF.
//
// State lives in ProgramState (OwnMarker, BusyWaitCount). No failure escapes: CheckBusy
// reads every failure as "not busy", ClearBusy ignores them.
class BusyMarker {
public:
    static constexpr const char* FileName = "77qwaz48.uu";

    explicit BusyMarker(ProgramState& state);

    // Where CheckBusy reads the command pad's Hold indicator from (lit: markers age half
    // as fast). Unset: dark.
    void setHoldSource(std::function<bool()> holdLit);

    // Tests and takes the marker; true means busy. The marker is created exclusively, so
    // of two programs testing at the same moment only one takes it.
    bool CheckBusy();
    // Releases the marker, whoever created it.
    void ClearBusy();

    QString path() const;
    bool exists() const;
    // Deletes a marker left over from an earlier run; failures are ignored.
    void removeLeftover();

private:
    ProgramState& state_;
    std::function<bool()> holdLit_;
};

}  // namespace keyrelay

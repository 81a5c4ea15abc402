#pragma once

#include "app/ProgramWindow.h"

namespace keyrelay {

// The launcher: six programs started one after another at start-up. (Skeleton: the
// members other windows use.)
class Apps : public ProgramWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "Apps";

    explicit Apps(AppContext& context);

    // The launch sequence.
    void StartEm();
};

}  // namespace keyrelay

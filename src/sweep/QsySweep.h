#pragma once

#include <array>

#include "app/ProgramWindow.h"

class QAction;
class QCheckBox;
class QLineEdit;

namespace keyrelay {

class Indicator;

// The sweep window: the eight-line sweep table, its settings, Start/Stop and the step.
// (Skeleton: the members the command pad's tick and start-up options use.)
class QsySweep : public ProgramWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "QsySweep";
    static constexpr int Lines = 8;

    explicit QsySweep(AppContext& context);

    // Start and Stop buttons, also run by the link and the launcher.
    void Command2_Click();
    void Command3_Click();
    // One sweep step.
    void DoIt();
    void Compress();
    void Expand();

    std::array<QLineEdit*, Lines> StartFreq{};
    std::array<QLineEdit*, Lines> EndFreq{};
    std::array<QLineEdit*, Lines> IncH{};
    std::array<QLineEdit*, Lines> DurSec{};
    std::array<QCheckBox*, Lines> IncCheck{};
    std::array<QLineEdit*, Lines> StartTime{};
    std::array<QLineEdit*, Lines> EndTime{};
    QCheckBox* CycleBands = nullptr;

    Indicator* Shape1 = nullptr;  // running
    Indicator* Shape2 = nullptr;  // green link dot
    Indicator* Shape3 = nullptr;  // red server dot
    QAction* COLx = nullptr;
};

}  // namespace keyrelay

#pragma once

#include <QString>
#include <array>

namespace keyrelay {

// Everything the sweep window keeps in its settings file: the eight-line sweep table and
// the single fields. Text fields hold the text as typed; check boxes hold 0 (unchecked)
// or 1 (checked). The defaults are those of a freshly opened window.
struct SweepSettings {
    static constexpr int Lines = 8;

    // One line of the sweep table.
    struct Row {
        QString StartFreq;
        QString EndFreq;
        QString IncH;    // step in kHz, fractions allowed
        QString DurSec;  // dwell in seconds; a "*" after the number is kept as typed
        int IncCheck = 0;
        QString StartTime;  // "HH:MM" or empty
        QString EndTime;    // "HH:MM" or empty

        bool operator==(const Row&) const = default;
    };

    QString TargetName;
    QString PrefixStr;
    QString SufixStr;
    std::array<Row, Lines> rows{};
    QString ReturnApp;
    int CycleBands = 0;
    int Check1 = 0;
    QString IpAddr;
    QString Port;
    int ViaTelnet = 0;
    int ImAServer = 0;
    QString SkimmerPort = QStringLiteral("7300");

    bool operator==(const SweepSettings&) const = default;
};

}  // namespace keyrelay

#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>

namespace keyrelay {

// How a row of the launch list is started. Paths typed by the user may separate folders
// with "/" or "\" (both count alike, on every system).
class LaunchRules {
public:
    // Longest file name handed to the process start, in characters.
    static constexpr int MaxFileNameLength = 255;
    // Programs recognised in a row's path (upper-cased) and the title fragments of their
    // windows.
    static constexpr const char* SkimmerName = "CWSKIMMER";
    static constexpr const char* ReceiverName = "HDSDR";
    static constexpr const char* SkimmerTitle = "CW Skimmer";
    static constexpr const char* ReceiverTitle = "[default]";

    // True when the path holds a folder separator at all: without one nothing is started.
    static bool hasSeparator(QStringView path);
    // The path up to and including its last separator, every "\" written as "/" (which
    // every system takes); empty when there is no separator.
    static QString folderOf(QStringView path);
    // The text after the last separator, at most MaxFileNameLength characters; the whole
    // path when there is no separator.
    static QString fileOf(QStringView path);
    // The path as this system names it, every "\" written as "/". With a Wine prefix (on
    // a system that runs Windows programs under Wine), a path that starts with a drive
    // letter ("C:\...", "c:/...") names that drive in the prefix, as winepath does:
    // "<prefix>/dosdevices/c:/...". Windows ignores letter case, so each part of such a
    // path that does not exist as written takes the spelling of the entry that matches
    // it, and a launch list made on Windows works unchanged.
    static QString hostPath(QStringView path, const QString& winePrefix);

    // The decoder ("CWSKIMMER") or the receiver ("HDSDR") in any letter case.
    static bool isSkimmer(QStringView path);
    static bool isReceiver(QStringView path);
    // Started minimised: only when asked for and neither the decoder nor the receiver,
    // which are minimised afterwards by a click on their minimise button.
    static bool startsMinimized(QStringView path, bool minimizeChecked);

    // The wait after a start in milliseconds: the numeric value of `text` in seconds
    // (fractions allowed). 0 for an empty, non-numeric or negative text; at most a year.
    static std::int64_t waitMs(QStringView text);
};

}  // namespace keyrelay

#pragma once

#include <QString>
#include <QStringList>

namespace keyrelay {

// The command line as the program reads it: one text naming the setup file, after the
// desktop menu's switch when it is there.
class CommandLine {
public:
    // First on the command line, it keeps the settings files in the menu's settings folder
    // (HostSystem::menuSettingsFolder, made when missing) instead of the working folder: a
    // menu start has the home folder as working folder, which must not fill with them.
    static constexpr const char* SettingsFolderSwitch = "--menu-settings";

    // Takes the switch off the front of `argumentsAfterProgram`; true when it was there.
    static bool takeSettingsFolderSwitch(QStringList& argumentsAfterProgram);

    // The whole argument text after the program path: the arguments joined by single
    // blanks, unchanged otherwise ("NR1" -> "NR1", "my" "set.ini" -> "my set.ini"; none
    // -> ""). A shell that kept quoted blanks inside one argument keeps them.
    static QString argumentText(const QStringList& argumentsAfterProgram);
};

}  // namespace keyrelay

#pragma once

#include <QString>
#include <QStringList>

namespace keyrelay {

// The command line as the program reads it: one text naming the setup file.
class CommandLine {
public:
    // The whole argument text after the program path: the arguments joined by single
    // blanks, unchanged otherwise ("NR1" -> "NR1", "my" "set.ini" -> "my set.ini"; none
    // -> ""). A shell that kept quoted blanks inside one argument keeps them.
    static QString argumentText(const QStringList& argumentsAfterProgram);
};

}  // namespace keyrelay

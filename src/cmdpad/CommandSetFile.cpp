#include "cmdpad/CommandSetFile.h"

#include <QDir>
#include <QFileInfo>

#include "core/FileNames.h"
#include "core/LineFile.h"
#include "core/TextValue.h"

namespace keyrelay {

namespace {

QString mark(bool checked) {
    return checked ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

}  // namespace

void CommandSetFile::apply(const QStringList& lines, CommandSet& set) {
    int next = 0;
    auto take = [&](QString& out) {
        if (next >= lines.size()) {
            return false;
        }
        out = lines[next++];
        return true;
    };

    if (!take(set.AppTitle)) {
        return;
    }
    for (int i = 0; i < CommandSet::Commands; ++i) {
        if (!take(set.RepSec[i]) || !take(set.CMND[i])) {
            return;
        }
    }
    if (!take(set.AppDesc)) {
        return;
    }
    QString line;
    if (!take(line)) {
        return;
    }
    // A hand-edited value such as " 2 " still means "checked": the box has two states.
    set.Alternate = TextValue::roundHalfEven(TextValue::numeric(line)) != 0;

    for (bool* option : {&set.RCAS, &set.FCAS, &set.HandShake, &set.ASA, &set.CAS}) {
        if (!take(line)) {
            return;
        }
        *option = line == QLatin1String("TRUE");
    }
}

QStringList CommandSetFile::lines(const CommandSet& set) {
    QStringList out;
    out.reserve(LineCount);
    out << set.AppTitle;
    for (int i = 0; i < CommandSet::Commands; ++i) {
        out << set.RepSec[i] << set.CMND[i];
    }
    out << set.AppDesc;
    out << TextValue::settingsNumber(set.Alternate ? 1 : 0);
    out << mark(set.RCAS) << mark(set.FCAS) << mark(set.HandShake) << mark(set.ASA)
        << mark(set.CAS);
    return out;
}

QString CommandSetFile::withDefaultExtension(const QString& name) {
    if (name.contains(QLatin1Char('.'))) {
        return name;
    }
    return name + QStringLiteral(".INI");
}

QString CommandSetFile::resolve(const QString& folder, const QString& name) {
    if (name.isEmpty()) {
        return {};
    }
    const QString path =
        (folder.isEmpty() || QDir::isAbsolutePath(name)) ? name : folder + QLatin1Char('/') + name;
    const QFileInfo info(path);
    if (info.exists()) {
        return path;
    }
    const QString match = FileNames::findIgnoringCase(info.path(), info.fileName());
    return match.isEmpty() ? path : match;
}

}  // namespace keyrelay

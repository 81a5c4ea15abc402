#include "sweep/SweepSettingsFile.h"

#include "core/TextValue.h"

namespace keyrelay {

namespace {

// Walks the lines of a file; every take fails once the lines are used up or a check box
// line is not a check box value, and stays failed.
class LineCursor {
public:
    explicit LineCursor(const QStringList& lines) : lines_(lines) {}

    bool text(QString& field) {
        if (!more()) {
            return false;
        }
        field = lines_[next_++];
        return true;
    }

    bool checkBox(int& field) {
        if (!more()) {
            return false;
        }
        const auto value = TextValue::checkBoxValue(lines_[next_]);
        if (!value) {
            stopped_ = true;
            return false;
        }
        ++next_;
        field = *value;
        return true;
    }

    bool more() const { return !stopped_ && next_ < lines_.size(); }

private:
    const QStringList& lines_;
    qsizetype next_ = 0;
    bool stopped_ = false;
};

QString oneLine(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString checkBoxLine(int value) {
    return TextValue::settingsNumber(value);
}

}  // namespace

void SweepSettingsFile::apply(const QStringList& lines, SweepSettings& s) {
    LineCursor in(lines);
    if (!in.text(s.TargetName) || !in.text(s.PrefixStr) || !in.text(s.SufixStr)) {
        return;
    }
    for (auto& row : s.rows) {
        const bool whole = in.text(row.StartFreq) && in.text(row.EndFreq) && in.text(row.IncH) &&
                           in.text(row.DurSec) && in.checkBox(row.IncCheck) &&
                           in.text(s.ReturnApp) && in.checkBox(s.CycleBands) &&
                           in.checkBox(s.Check1) && in.text(row.StartTime) && in.text(row.EndTime);
        if (!whole) {
            return;
        }
    }
    // Each field only while the file goes on; what is missing keeps its value.
    (void)(in.text(s.IpAddr) && in.text(s.Port) && in.checkBox(s.ViaTelnet) &&
           in.checkBox(s.ImAServer) && in.text(s.SkimmerPort));
}

QStringList SweepSettingsFile::lines(const SweepSettings& s) {
    QStringList out;
    out.reserve(LineCount);
    out << oneLine(s.TargetName) << oneLine(s.PrefixStr) << oneLine(s.SufixStr);
    for (const auto& row : s.rows) {
        out << oneLine(row.StartFreq) << oneLine(row.EndFreq) << oneLine(row.IncH)
            << oneLine(row.DurSec) << checkBoxLine(row.IncCheck) << oneLine(s.ReturnApp)
            << checkBoxLine(s.CycleBands) << checkBoxLine(s.Check1) << oneLine(row.StartTime)
            << oneLine(row.EndTime);
    }
    out << oneLine(s.IpAddr) << oneLine(s.Port) << checkBoxLine(s.ViaTelnet)
        << checkBoxLine(s.ImAServer) << oneLine(s.SkimmerPort);
    return out;
}

}  // namespace keyrelay

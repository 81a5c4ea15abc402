#include "sweep/PreviewFrm.h"

#include <QEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QToolTip>
#include <array>

#include "core/FrequencyText.h"
#include "core/TextValue.h"
#include "sweep/SweepLines.h"

namespace keyrelay {

namespace {

constexpr int NamesWidth = 70;   // the line names left of the bands
constexpr int HoursHeight = 22;  // the hours above them
constexpr int BandHeight = 22;
constexpr int Margin = 8;
constexpr int ShownFrequencies = 8;  // a longer pass is told by its ends and count

const std::array<QColor, SweepLines::Count> BandColours{
    QColor(0, 114, 178),  QColor(230, 159, 0), QColor(0, 158, 115),   QColor(204, 121, 167),
    QColor(86, 180, 233), QColor(213, 94, 0),  QColor(120, 120, 120), QColor(160, 140, 0)};

QString clockText(int secondsOfDay) {
    return QStringLiteral("%1:%2")
        .arg(secondsOfDay / 3600 % 24, 2, 10, QLatin1Char('0'))
        .arg(secondsOfDay / 60 % 60, 2, 10, QLatin1Char('0'));
}

QString durationText(std::int64_t ms) {
    const std::int64_t s = ms / 1000;
    if (s >= 3600) {
        return QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s / 60 % 60);
    }
    if (s >= 60) {
        return QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60);
    }
    return QStringLiteral("%1 s").arg(s);
}

}  // namespace

PreviewFrm::PreviewFrm(QWidget* owner, Clock& clock, Settings settings, Now now)
    : QWidget(owner, Qt::Window),
      clock_(clock),
      settings_(std::move(settings)),
      now_(std::move(now)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Sweep Preview"));
    Warnings = new QLabel(this);
    Warnings->setWordWrap(true);
    Warnings->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    resize(900, HoursHeight + SweepLines::Count * BandHeight + 2 * Margin + 140);
    recompute();
}

PreviewFrm::~PreviewFrm() {
    if (settling_) {
        clock_.stopTimer(settle_);
    }
}

void PreviewFrm::tableEdited() {
    if (settling_) {
        return;  // the timer under way draws this edit too
    }
    settling_ = true;
    settle_ = clock_.startTimer(SettleMs, [this] {
        clock_.stopTimer(settle_);
        settling_ = false;
        recompute();
    });
}

void PreviewFrm::recompute() {
    table_ = settings_();
    start_ = now_();
    steps_ = SweepPreview::steps(table_, start_);
    stretches_ = SweepPreview::stretches(table_, steps_);
    QStringList words;
    for (const SweepPreview::Warning& w : SweepPreview::warnings(table_)) {
        words << w.text;
    }
    Warnings->setText(words.isEmpty() ? QStringLiteral("No mistakes found in the table.")
                                      : words.join(QLatin1Char('\n')));
    update();
}

QRect PreviewFrm::chartArea() const {
    return {Margin + NamesWidth, Margin + HoursHeight, width() - 2 * Margin - NamesWidth,
            SweepLines::Count * BandHeight};
}

QRect PreviewFrm::bandOf(int line) const {
    const QRect chart = chartArea();
    return {chart.left(), chart.top() + line * BandHeight, chart.width(), BandHeight};
}

int PreviewFrm::xOf(std::int64_t ms) const {
    const QRect chart = chartArea();
    return chart.left() + static_cast<int>(ms * chart.width() / SweepPreview::DayMs);
}

void PreviewFrm::resizeEvent(QResizeEvent*) {
    const QRect chart = chartArea();
    Warnings->setGeometry(Margin, chart.bottom() + Margin, width() - 2 * Margin,
                          height() - chart.bottom() - 2 * Margin);
}

void PreviewFrm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect chart = chartArea();
    painter.fillRect(chart, palette().base());
    // The full hours across, labelled every three hours.
    const int firstHour = start_.secondsOfDay / 3600 + 1;
    for (int h = firstHour; h < firstHour + 24; ++h) {
        const std::int64_t ms = (std::int64_t{h} * 3600 - start_.secondsOfDay) * 1000;
        const int x = xOf(ms);
        painter.setPen(palette().mid().color());
        painter.drawLine(x, chart.top(), x, chart.bottom());
        if (h % 3 == 0 && x + 30 <= width()) {  // a label cut by the edge is left out
            painter.setPen(palette().text().color());
            painter.drawText(QRect(x - 30, Margin, 60, HoursHeight), Qt::AlignCenter,
                             clockText(h * 3600));
        }
    }
    painter.setPen(palette().text().color());
    painter.drawText(QRect(Margin, Margin, NamesWidth, HoursHeight), Qt::AlignVCenter,
                     clockText(start_.secondsOfDay));
    for (int line = 0; line < SweepLines::Count; ++line) {
        const QRect band = bandOf(line);
        const bool included = table_.rows[static_cast<std::size_t>(line)].IncCheck == 1;
        painter.setPen(included ? palette().text().color() : palette().mid().color());
        painter.drawText(
            QRect(Margin, band.top(), NamesWidth, BandHeight), Qt::AlignVCenter,
            SweepPreview::lineName(line) +
                (SweepPreview::dwellStarred(table_, line) ? QStringLiteral("*") : QString()));
        painter.setPen(palette().mid().color());
        painter.drawLine(band.left(), band.bottom(), band.right(), band.bottom());
    }
    for (const SweepPreview::Stretch& s : stretches_) {
        const QRect band = bandOf(s.line).adjusted(0, 3, 0, -3);
        const int left = xOf(s.fromMs);
        const int right = std::min(xOf(s.toMs), chart.right());
        const QColor colour = BandColours[static_cast<std::size_t>(s.line)];
        // A starred dwell is a minimum: its stretch is hatched.
        const Qt::BrushStyle style =
            SweepPreview::dwellStarred(table_, s.line) ? Qt::Dense3Pattern : Qt::SolidPattern;
        painter.fillRect(QRect(left, band.top(), std::max(right - left, 2), band.height()),
                         QBrush(colour, style));
    }
    painter.setPen(palette().text().color());
    painter.drawRect(chart.adjusted(0, 0, -1, -1));
}

QString PreviewFrm::hintAt(QPoint pos) const {
    for (const SweepPreview::Stretch& s : stretches_) {
        const QRect band = bandOf(s.line);
        if (pos.y() < band.top() || pos.y() > band.bottom() || pos.x() < xOf(s.fromMs) - 1 ||
            pos.x() > std::max(xOf(s.toMs), xOf(s.fromMs) + 2) + 1) {
            continue;
        }
        const std::vector<double> pass = SweepPreview::pass(table_, s.line);
        QStringList kHz;
        for (std::size_t i = 0; i < pass.size() && i < ShownFrequencies; ++i) {
            kHz << FrequencyText::of(pass[i]);
        }
        QString frequencies = kHz.join(QStringLiteral(", "));
        if (pass.size() > ShownFrequencies) {
            frequencies += QStringLiteral(" … %1 (%2 frequencies)")
                               .arg(FrequencyText::of(pass.back()))
                               .arg(pass.size());
        }
        const SweepSettings::Row& row = table_.rows[static_cast<std::size_t>(s.line)];
        QString dwell =
            QStringLiteral("Dwell %1 s").arg(FrequencyText::of(TextValue::numeric(row.DurSec)));
        if (SweepPreview::dwellStarred(table_, s.line)) {
            dwell += QStringLiteral(" at least (*: a spot starts it again)");
        }
        const std::optional<std::int64_t> passMs = SweepPreview::passMs(table_, steps_, s.line);
        return QStringLiteral("%1, steps from %2 to %3\n%4 kHz\n%5\nOne pass: %6")
            .arg(SweepPreview::lineName(s.line),
                 clockText(static_cast<int>(start_.secondsOfDay + s.fromMs / 1000)),
                 clockText(static_cast<int>(start_.secondsOfDay + s.toMs / 1000)), frequencies,
                 dwell, passMs ? durationText(*passMs) : QStringLiteral("not within 24 hours"));
    }
    return {};
}

bool PreviewFrm::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString hint = hintAt(help->pos());
        if (hint.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), hint, this);
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace keyrelay

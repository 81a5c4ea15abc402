#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/Clock.h"
#include "sweep/SweepPreview.h"
#include "sweep/SweepSettings.h"

class QLabel;

namespace keyrelay {

// The sweep window's "Preview": the next 24 hours from now, time across and one band per
// line, with the stretches in which each line steps (SweepPreview); hovering a stretch
// tells the line's frequencies in order, its dwell and how long one pass takes. Under the
// drawing the table's mistakes in words.
//
// It belongs to the sweep window, which creates it on "Preview", tells it of every edit
// of the table and deletes it with itself; closed, it is gone, and with it its timer and
// its connections to the table, so a closed preview costs nothing.
class PreviewFrm : public QWidget {
    Q_OBJECT
public:
    // The table and where the sweep stands now.
    using Settings = std::function<SweepSettings()>;
    using Now = std::function<SweepPreview::Start()>;

    static constexpr std::int64_t SettleMs = 300;  // edits coming closer are drawn once

    PreviewFrm(QWidget* owner, Clock& clock, Settings settings, Now now);
    ~PreviewFrm() override;

    // The table changed: drawn anew once the edits settle.
    void tableEdited();
    // Works the preview out now and draws it.
    void recompute();

    const std::vector<SweepPreview::Step>& steps() const { return steps_; }
    // The text hovering shows at `pos`; empty where there is no stretch.
    QString hintAt(QPoint pos) const;

    QLabel* Warnings = nullptr;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect chartArea() const;
    QRect bandOf(int line) const;
    int xOf(std::int64_t ms) const;

    Clock& clock_;
    Settings settings_;
    Now now_;
    Clock::TimerId settle_ = 0;
    bool settling_ = false;
    SweepSettings table_;
    SweepPreview::Start start_;
    std::vector<SweepPreview::Step> steps_;
    std::vector<SweepPreview::Stretch> stretches_;
};

}  // namespace keyrelay

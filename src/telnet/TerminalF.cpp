#include "telnet/TerminalF.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "telnet/TerminalGeometry.h"
#include "telnet/TerminalText.h"
#include "ui/AppContext.h"
#include "ui/Twips.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {

namespace {

// Places of the controls, in twips. Text1 fills the window; the resize rule keeps the
// margins below and to the right.
constexpr int Text1Left = 60;
constexpr int Text1Top = 60;
constexpr int Text1WidthMargin = 300;
constexpr int Text1HeightMargin = 915;
constexpr int Command1TopMargin = 840;
constexpr int Command1LeftMargin = 1395;
constexpr int Command1Width = 1215;
constexpr int Command1Height = 375;

int px(int twips) {
    return Twips::toPixels(twips);
}

int tw(int pixels) {
    return Twips::fromPixels(pixels);
}

// A value of the geometry file as whole twips, kept within what a window can take.
int twipsOf(double value) {
    return static_cast<int>(std::clamp(std::round(value), -10'000'000.0, 10'000'000.0));
}

}  // namespace

TerminalF::TerminalF(AppContext& context) : ProgramWindow(context, Name) {
    setWindowTitle(QStringLiteral("Read Only Terminal"));

    Text1 = new QPlainTextEdit(this);
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPalette colours = Text1->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Base, Qt::black);
        colours.setColor(group, QPalette::Text, Qt::white);
    }
    Text1->setPalette(colours);

    Command1 = new QPushButton(QStringLiteral("Close"), this);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);

    resize(px(DesignWidth), px(DesignHeight));
    loadGeometry();
    arrange();
}

TerminalF& TerminalF::open(WindowRegistry& windows) {
    TerminalF& terminal = windows.get<TerminalF>();
    terminal.show();
    terminal.raise();
    return terminal;
}

void TerminalF::showIfOpen(WindowRegistry& windows, const QString& chunk) {
    if (TerminalF* terminal = windows.ifLoaded<TerminalF>()) {
        terminal->appendChunk(chunk);
    }
}

void TerminalF::appendChunk(const QString& chunk) {
    text_ = TerminalText::appended(text_, chunk);
    Text1->setPlainText(TerminalText::shown(text_));
    // The newest text in view.
    Text1->moveCursor(QTextCursor::End);
    Text1->ensureCursorVisible();
}

void TerminalF::loadGeometry() {
    // Each value takes effect as it is read, so a short file changes only its first ones.
    QList<double> values;
    TerminalGeometry::load(TerminalGeometry::pathIn(ctx.settingsFolder), values);
    geometryWriter_.remember(TerminalGeometry::pathIn(ctx.settingsFolder));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableVirtualGeometry();
        values = TerminalGeometry::keptOnScreen(
            values, QRect(tw(area.x()), tw(area.y()), tw(area.width()), tw(area.height())),
            QSize(DesignWidth, DesignHeight));
    }
    // Before the window manager frames the window its outer size is its client size: a
    // size from the file is applied again once the frame is known.
    for (qsizetype i = 0; i < values.size(); ++i) {
        const int value = twipsOf(values.at(i));
        switch (i) {
            case 0:
                move(pos().x(), px(value));
                break;
            case 1:
                move(px(value), pos().y());
                break;
            case 2:
                setOuterSize(outerWidthTwips(), value);
                pendingOuterHeight_ = value;
                break;
            case 3:
                setOuterSize(value, outerHeightTwips());
                pendingOuterWidth_ = value;
                break;
            default:
                break;
        }
    }
    if (frameGeometry().size() != size()) {
        pendingOuterWidth_ = 0;
        pendingOuterHeight_ = 0;
    }
}

void TerminalF::closingWork() {
    const int top = tw(frameGeometry().y());
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const QRect desktop = screen->virtualGeometry();
    if (!TerminalGeometry::worthSaving(top, tw(desktop.y() + desktop.height()))) {
        return;
    }
    geometryWriter_.writeAtClose(
        TerminalGeometry::pathIn(ctx.settingsFolder),
        TerminalGeometry::lines({double(top), double(tw(frameGeometry().x())),
                                 double(outerHeightTwips()), double(outerWidthTwips())}),
        ctx.platform.dialogs, ctx.state);
}

void TerminalF::resizeEvent(QResizeEvent* event) {
    ProgramWindow::resizeEvent(event);
    arrange();
}

void TerminalF::moveEvent(QMoveEvent* event) {
    ProgramWindow::moveEvent(event);
    applyPendingOuterSize();
    arrange();
}

void TerminalF::showEvent(QShowEvent* event) {
    ProgramWindow::showEvent(event);
    applyPendingOuterSize();
    arrange();
}

void TerminalF::applyPendingOuterSize() {
    // Once the window is framed, the outer size the file asked for can be met (the layout
    // follows the outer size, so it is arranged again in any case).
    if ((pendingOuterWidth_ == 0 && pendingOuterHeight_ == 0) || frameGeometry().size() == size()) {
        return;
    }
    const int width = pendingOuterWidth_ != 0 ? pendingOuterWidth_ : outerWidthTwips();
    const int height = pendingOuterHeight_ != 0 ? pendingOuterHeight_ : outerHeightTwips();
    pendingOuterWidth_ = 0;
    pendingOuterHeight_ = 0;
    setOuterSize(width, height);
}

void TerminalF::arrange() {
    const int w = outerWidthTwips();
    const int h = outerHeightTwips();
    Text1->setGeometry(px(Text1Left), px(Text1Top), std::max(0, px(w - Text1WidthMargin)),
                       std::max(0, px(h - Text1HeightMargin)));
    Command1->setGeometry(px(w - Command1LeftMargin), px(h - Command1TopMargin), px(Command1Width),
                          px(Command1Height));
}

int TerminalF::outerWidthTwips() const {
    return tw(frameGeometry().width());
}

int TerminalF::outerHeightTwips() const {
    return tw(frameGeometry().height());
}

void TerminalF::setOuterSize(int widthTwips, int heightTwips) {
    const QSize frame = frameGeometry().size() - size();
    resize(std::max(1, px(widthTwips) - frame.width()),
           std::max(1, px(heightTwips) - frame.height()));
}

}  // namespace keyrelay

#include "cmdpad/Dirx.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>

#include "cmdpad/CmdPadF.h"
#include "core/LineFile.h"
#include "platform/PlatformError.h"
#include "ui/AppContext.h"
#include "ui/Twips.h"
#include "ui/WindowRegistry.h"

namespace keyrelay {

namespace {

constexpr const char* DefaultPattern = "*.INI";

int px(int twips) {
    return Twips::toPixels(twips);
}

}  // namespace

Dirx::Dirx(AppContext& context) : ProgramWindow(context, Name) {
    setWindowTitle(QStringLiteral("Director"));

    Dir1 = new QTreeView(this);
    dirModel_ = new QFileSystemModel(this);
    dirModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    dirModel_->setRootPath(QDir::rootPath());
    Dir1->setModel(dirModel_);
    for (int column = 1; column < dirModel_->columnCount(); ++column) {
        Dir1->hideColumn(column);
    }
    Dir1->header()->hide();

    File1 = new QListWidget(this);
    Filetype = new QLineEdit(QString::fromLatin1(DefaultPattern), this);
    Command2 = new QPushButton(QStringLiteral("Go F2"), this);
    Command1 = new QPushButton(QStringLiteral("Close"), this);
    auto* patternLabel = new QLabel(QStringLiteral("File type:"), this);

    // Folder tree on the left, files on the right, pattern and buttons underneath.
    Dir1->setGeometry(px(120), px(120), px(3600), px(3960));
    File1->setGeometry(px(3840), px(120), px(2880), px(3960));
    patternLabel->setGeometry(px(120), px(4230), px(1080), px(330));
    Filetype->setGeometry(px(1260), px(4200), px(2460), px(375));
    Command2->setGeometry(px(3840), px(4200), px(1380), px(375));
    Command1->setGeometry(px(5340), px(4200), px(1380), px(375));
    setFixedSize(px(6840), px(4695));

    // The window sees every key before its controls do.
    for (QWidget* w : {static_cast<QWidget*>(Dir1), static_cast<QWidget*>(File1),
                       static_cast<QWidget*>(Filetype), static_cast<QWidget*>(Command2),
                       static_cast<QWidget*>(Command1)}) {
        w->installEventFilter(this);
    }

    connect(Dir1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid()) {
                    folder_ = dirModel_->filePath(current);
                    refreshFiles();
                }
            });
    // The tree fills in the background: it is opened towards the listed folder again as
    // rows arrive and sort, until the user takes the tree in hand.
    auto reveal = [this] {
        if (revealPending_) {
            revealFolder();
        }
    };
    connect(dirModel_, &QFileSystemModel::directoryLoaded, this, reveal);
    connect(dirModel_, &QAbstractItemModel::rowsInserted, this, reveal);
    connect(dirModel_, &QAbstractItemModel::layoutChanged, this, reveal);
    Dir1->viewport()->installEventFilter(this);
    Dir1->verticalScrollBar()->installEventFilter(this);
    connect(File1, &QListWidget::itemDoubleClicked, this, [this] { Go(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Go(); });
    connect(Command1, &QPushButton::clicked, this, [this] { close(); });

    while (QApplication::overrideCursor() != nullptr) {
        QApplication::restoreOverrideCursor();
    }
    pattern_ = QString::fromLatin1(DefaultPattern);
    setFolder(ctx.settingsFolder.isEmpty() ? QDir::currentPath() : ctx.settingsFolder);
}

void Dirx::setFolder(const QString& path) {
    folder_ = QDir(path).absolutePath();
    const QModelIndex index = dirModel_->index(folder_);
    if (index.isValid()) {
        Dir1->setCurrentIndex(index);
    }
    revealPending_ = true;
    revealFolder();
    refreshFiles();
}

void Dirx::revealFolder() {
    const QModelIndex index = dirModel_->index(folder_);
    if (!index.isValid()) {
        return;
    }
    // Outermost first: a branch opens only under an open parent.
    QList<QModelIndex> parents;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent()) {
        parents.prepend(parent);
    }
    for (const QModelIndex& parent : parents) {
        Dir1->expand(parent);
    }
    Dir1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void Dirx::applyPattern() {
    pattern_ = Filetype->text();
    setFolder(folder_);
}

void Dirx::refreshFiles() {
    const QString previous = selectedName();
    File1->clear();
    QStringList patterns;
    for (const QString& p : pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        patterns << p.trimmed();
    }
    if (patterns.isEmpty()) {
        patterns << QStringLiteral("*");
    }
    // Without QDir::CaseSensitive the patterns match letters in either case, so "*.INI"
    // lists "night.ini" as well.
    const QStringList names = QDir(folder_).entryList(patterns, QDir::Files | QDir::Hidden,
                                                      QDir::Name | QDir::IgnoreCase);
    File1->addItems(names);
    const auto again = File1->findItems(previous, Qt::MatchExactly);
    if (!previous.isEmpty() && !again.isEmpty()) {
        File1->setCurrentItem(again.first());
    }
}

QString Dirx::selectedName() const {
    const QListWidgetItem* item = File1->currentItem();
    return (item != nullptr && item->isSelected()) ? item->text() : QString();
}

QString Dirx::nameForPad() const {
    const QString name = selectedName();
    if (name.isEmpty()) {
        return name;
    }
    const QString settings =
        QDir(ctx.settingsFolder.isEmpty() ? QDir::currentPath() : ctx.settingsFolder)
            .canonicalPath();
    if (QDir(folder_).canonicalPath() == settings) {
        return name;
    }
    return QDir(folder_).filePath(name);
}

void Dirx::takeName() {
    ctx.windows.get<CmdPadF>().FlName->setText(nameForPad());
}

void Dirx::Go() {
    CmdPadF& pad = ctx.windows.get<CmdPadF>();
    pad.FlName->setText(nameForPad());
    LineFile::write(ctx.settingsPath(QString::fromLatin1(LastFileName)), {pad.FlName->text()});
    try {
        pad.LoadFile();
    } catch (const PlatformError& e) {
        ctx.platform.dialogs.message("Unexpected error. Err " + std::to_string(e.number()) + " : " +
                                     e.description());
    }
    close();
}

void Dirx::activationWork() {
    Filetype->setText(QString::fromLatin1(DefaultPattern));
    applyPattern();
    File1->setFocus();
}

bool Dirx::previewKey(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    if (event->key() == Qt::Key_F2) {
        takeName();
        return true;
    }
    return false;
}

bool Dirx::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && previewKey(static_cast<QKeyEvent*>(event))) {
        return true;
    }
    if ((watched == Dir1 || watched == Dir1->viewport() || watched == Dir1->verticalScrollBar()) &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Wheel ||
         event->type() == QEvent::KeyPress)) {
        revealPending_ = false;
    }
    if (watched == Filetype && event->type() == QEvent::FocusOut) {
        applyPattern();
    }
    return ProgramWindow::eventFilter(watched, event);
}

void Dirx::keyPressEvent(QKeyEvent* event) {
    if (!previewKey(event)) {
        ProgramWindow::keyPressEvent(event);
    }
}

}  // namespace keyrelay

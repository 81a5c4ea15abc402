#pragma once

#include <QString>

#include "ui/ProgramWindow.h"

class QFileSystemModel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeView;

namespace keyrelay {

// "Director": picks a stored command set from a folder tree and a file list and loads it
// into the command pad. The only writer of "LastFile.txt".
//
// There are no drives on this desktop: the folder tree Dir1 starts at the file system's
// root with the working folder selected; File1 lists the files of the chosen folder that
// match the pattern in Filetype (letter case ignored, several patterns separated by ";").
class Dirx : public ProgramWindow {
    Q_OBJECT
public:
    static constexpr const char* Name = "Dirx";
    static constexpr const char* LastFileName = "LastFile.txt";

    explicit Dirx(AppContext& context);

    // The folder File1 lists.
    QString folder() const { return folder_; }
    // Shows `path` in the folder tree and lists its files.
    void setFolder(const QString& path);
    // File1's pattern from Filetype, then the lists refreshed.
    void applyPattern();
    // The selected file's name as File1 shows it; empty when none is selected.
    QString selectedName() const;

    // Go (the "Go F2" button or a double click on a file): the selected name into the
    // command pad's FlName, "LastFile.txt" replaced, the set loaded, the chooser closed.
    void Go();
    // F2: only the selected name into FlName.
    void takeName();

    QTreeView* Dir1 = nullptr;
    QListWidget* File1 = nullptr;
    QLineEdit* Filetype = nullptr;
    QPushButton* Command2 = nullptr;  // "Go F2"
    QPushButton* Command1 = nullptr;  // "Close"

protected:
    void activationWork() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Esc and F2, seen before the focused control; true when the key was handled.
    bool previewKey(QKeyEvent* event);
    // The name FlName gets for the selection: the bare name for a file in the settings
    // folder, else its whole path, so that the load finds it.
    QString nameForPad() const;
    void refreshFiles();
    // Opens the tree down to the listed folder and scrolls it into view.
    void revealFolder();

    QFileSystemModel* dirModel_ = nullptr;
    QString folder_;
    QString pattern_;
    bool revealPending_ = false;
};

}  // namespace keyrelay

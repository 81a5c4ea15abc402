#pragma once

#include <QPointer>
#include <vector>

#include "platform/Dialogs.h"

class QMessageBox;
class QWidget;

namespace keyrelay {

// Dialogs with Qt's message boxes and file dialogs. Message boxes carry the program's
// name as their title, like every message the program shows.
class QtDialogs : public Dialogs {
public:
    QtDialogs() = default;
    ~QtDialogs() override;
    QtDialogs(const QtDialogs&) = delete;
    QtDialogs& operator=(const QtDialogs&) = delete;

    void message(const std::string& text) override;
    void notify(const std::string& text, std::function<void()> answered) override;
    bool askYesNo(const std::string& text) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;

private:
    // The notices still up. They belong to no window, so closing any window leaves them;
    // they go, unanswered, when the program does.
    std::vector<QPointer<QMessageBox>> notices_;
};

}  // namespace keyrelay

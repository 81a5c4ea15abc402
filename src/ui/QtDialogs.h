#pragma once

#include <QPointer>
#include <vector>

#include "platform/Dialogs.h"

class QMessageBox;
class QWidget;

namespace keyrelay {

struct ProgramState;

// Dialogs with Qt's message boxes and file dialogs. Message boxes carry the program's
// name as their title, like every message the program shows. When no one is at the screen
// (ProgramState::NoOneToAsk) nothing is shown: a message goes to standard error, a question
// is answered No there and a file dialog is cancelled, so an ending program never waits.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(const ProgramState& state) : state_(state) {}
    ~QtDialogs() override;
    QtDialogs(const QtDialogs&) = delete;
    QtDialogs& operator=(const QtDialogs&) = delete;

    void message(const std::string& text) override;
    void notify(const std::string& text, std::function<void()> answered) override;
    bool askYesNo(const std::string& text) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;

private:
    const ProgramState& state_;
    // The notices still up. They belong to no window, so closing any window leaves them;
    // they go, unanswered, when the program does.
    std::vector<QPointer<QMessageBox>> notices_;
};

}  // namespace keyrelay

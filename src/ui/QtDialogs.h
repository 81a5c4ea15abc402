#pragma once

#include "platform/Dialogs.h"

class QWidget;

namespace keyrelay {

// Dialogs with Qt's message boxes and file dialogs. Message boxes carry the program's
// name as their title, like every message the program shows.
class QtDialogs : public Dialogs {
public:
    void message(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
};

}  // namespace keyrelay

#pragma once

#include <functional>
#include <optional>
#include <string>

namespace keyrelay {

// What the standard open and save dialogs are asked for.
struct FileDialogRequest {
    std::string initialFolder;  // empty: the working folder
    std::string fileName;       // preset name (save dialog)
    std::string filter;         // e.g. "INI_Files (*.ini)|*.ini"
    bool overwritePrompt = false;
};

// Modal questions to the user. The Qt layers implement it with QMessageBox and
// QFileDialog; tests script the answers.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // An OK message box.
    virtual void message(const std::string& text) = 0;
    // An OK message box that does not wait for its answer and blocks no window: the
    // program, its other windows and its closing go on while it is up. `answered` runs
    // when the user closes it (never once the program has ended).
    virtual void notify(const std::string& text, std::function<void()> answered) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
};

}  // namespace keyrelay

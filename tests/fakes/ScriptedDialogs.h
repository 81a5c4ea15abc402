#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace keyrelay {

// Dialogs that answer from queues and record what they were asked.
class ScriptedDialogs : public Dialogs {
public:
    // Yes/No answers in order; when none is queued the answer is `defaultYesNo` (No unless
    // set otherwise).
    void queueYesNo(bool yes) { yesNo_.push_back(yes); }
    void setDefaultYesNo(bool yes) { defaultYesNo_ = yes; }
    // File dialog answers in order: a path, or nothing for Cancel. When none is queued the
    // user cancels.
    void queueOpenFile(std::optional<std::string> answer) { open_.push_back(std::move(answer)); }
    void queueSaveFile(std::optional<std::string> answer) { save_.push_back(std::move(answer)); }

    const std::vector<std::string>& messages() const { return messages_; }
    const std::vector<std::string>& questions() const { return questions_; }
    const std::vector<FileDialogRequest>& openRequests() const { return openRequests_; }
    const std::vector<FileDialogRequest>& saveRequests() const { return saveRequests_; }
    void clear();

    void message(const std::string& text) override { messages_.push_back(text); }
    bool askYesNo(const std::string& text) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;

private:
    std::deque<bool> yesNo_;
    bool defaultYesNo_ = false;
    std::deque<std::optional<std::string>> open_;
    std::deque<std::optional<std::string>> save_;
    std::vector<std::string> messages_;
    std::vector<std::string> questions_;
    std::vector<FileDialogRequest> openRequests_;
    std::vector<FileDialogRequest> saveRequests_;
};

}  // namespace keyrelay

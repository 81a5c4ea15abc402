#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Dialogs.h"

namespace keyrelay {

// Dialogs that answer from queues and record what they were asked.
class ScriptedDialogs : public Dialogs {
public:
    // Answers in order: Yes/No, and a path or nothing for Cancel. When none is queued the
    // user says No, or cancels.
    void queueYesNo(bool yes) { yesNo_.push_back(yes); }
    void queueOpenFile(std::optional<std::string> answer) { open_.push_back(std::move(answer)); }
    void queueSaveFile(std::optional<std::string> answer) { save_.push_back(std::move(answer)); }

    const std::vector<std::string>& messages() const { return messages_; }
    const std::vector<std::string>& questions() const { return questions_; }
    const std::vector<FileDialogRequest>& openRequests() const { return openRequests_; }
    const std::vector<FileDialogRequest>& saveRequests() const { return saveRequests_; }
    void clear() {
        messages_.clear();
        questions_.clear();
        openRequests_.clear();
        saveRequests_.clear();
    }

    void message(const std::string& text) override { messages_.push_back(text); }
    // A notice is recorded with the messages and stays up until answerNotices.
    void notify(const std::string& text, std::function<void()> answered) override {
        messages_.push_back(text);
        notices_.push_back(std::move(answered));
    }
    void answerNotices() {
        for (auto& answered : std::exchange(notices_, {})) {
            answered();
        }
    }
    bool askYesNo(const std::string& text) override {
        questions_.push_back(text);
        return next(yesNo_).value_or(false);
    }
    std::optional<std::string> openFile(const FileDialogRequest& request) override {
        openRequests_.push_back(request);
        return next(open_).value_or(std::nullopt);
    }
    std::optional<std::string> saveFile(const FileDialogRequest& request) override {
        saveRequests_.push_back(request);
        return next(save_).value_or(std::nullopt);
    }

private:
    template <typename T>
    static std::optional<T> next(std::deque<T>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        T answer = std::move(queue.front());
        queue.pop_front();
        return answer;
    }

    std::deque<bool> yesNo_;
    std::deque<std::optional<std::string>> open_;
    std::deque<std::optional<std::string>> save_;
    std::vector<std::string> messages_;
    std::vector<std::function<void()>> notices_;
    std::vector<std::string> questions_;
    std::vector<FileDialogRequest> openRequests_;
    std::vector<FileDialogRequest> saveRequests_;
};

}  // namespace keyrelay

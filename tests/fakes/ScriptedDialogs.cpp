#include "fakes/ScriptedDialogs.h"

namespace keyrelay {

namespace {

template <typename T>
std::optional<std::string> takeAnswer(std::deque<T>& queue) {
    if (queue.empty()) {
        return std::nullopt;
    }
    auto answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

}  // namespace

void ScriptedDialogs::clear() {
    messages_.clear();
    questions_.clear();
    openRequests_.clear();
    saveRequests_.clear();
}

bool ScriptedDialogs::askYesNo(const std::string& text) {
    questions_.push_back(text);
    if (yesNo_.empty()) {
        return defaultYesNo_;
    }
    const bool answer = yesNo_.front();
    yesNo_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogs::openFile(const FileDialogRequest& request) {
    openRequests_.push_back(request);
    return takeAnswer(open_);
}

std::optional<std::string> ScriptedDialogs::saveFile(const FileDialogRequest& request) {
    saveRequests_.push_back(request);
    return takeAnswer(save_);
}

}  // namespace keyrelay

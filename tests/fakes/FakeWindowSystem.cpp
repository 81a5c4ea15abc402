#include "fakes/FakeWindowSystem.h"

#include <algorithm>
#include <string>

namespace keyrelay {

namespace {

PlatformError windowGone(WindowHandle handle) {
    return PlatformError(errors::InvalidArgument,
                         "The window " + std::to_string(handle) + " does not exist");
}

}  // namespace

std::vector<FakeWindowSystem::Window>::iterator FakeWindowSystem::find(WindowHandle handle) {
    return std::find_if(windows_.begin(), windows_.end(),
                        [handle](const Window& w) { return w.handle == handle; });
}

WindowHandle FakeWindowSystem::addWindow(const std::string& title, ScreenRect rect) {
    const WindowHandle handle = nextHandle_++;
    windows_.push_back(Window{handle, title, rect});
    return handle;
}

WindowHandle FakeWindowSystem::addWindowOnTop(const std::string& title, ScreenRect rect) {
    const WindowHandle handle = nextHandle_++;
    windows_.insert(windows_.begin(), Window{handle, title, rect});
    return handle;
}

void FakeWindowSystem::removeWindow(WindowHandle handle) {
    const auto it = find(handle);
    if (it != windows_.end()) {
        windows_.erase(it);
    }
}

void FakeWindowSystem::setTitle(WindowHandle handle, const std::string& title) {
    const auto it = find(handle);
    if (it == windows_.end()) {
        throw windowGone(handle);
    }
    it->title = title;
}

void FakeWindowSystem::setRect(WindowHandle handle, ScreenRect rect) {
    const auto it = find(handle);
    if (it == windows_.end()) {
        throw windowGone(handle);
    }
    it->rect = rect;
}

std::optional<TopLevelWindow> FakeWindowSystem::foreground() const {
    if (windows_.empty()) {
        return std::nullopt;
    }
    return TopLevelWindow{windows_.front().handle, windows_.front().title};
}

std::vector<std::string> FakeWindowSystem::activatedTitles() const {
    std::vector<std::string> titles;
    for (const Activation& a : activations_) {
        titles.push_back(a.title);
    }
    return titles;
}

std::vector<TopLevelWindow> FakeWindowSystem::topLevelWindows() {
    std::vector<TopLevelWindow> list;
    for (const Window& w : windows_) {
        list.push_back(TopLevelWindow{w.handle, w.title});
    }
    return list;
}

void FakeWindowSystem::activate(WindowHandle window) {
    if (activateFailure_) {
        throw *activateFailure_;
    }
    const auto it = find(window);
    if (it == windows_.end()) {
        throw windowGone(window);
    }
    const Window moved = *it;
    windows_.erase(it);
    windows_.insert(windows_.begin(), moved);
    activations_.push_back(Activation{moved.handle, moved.title, clock_ ? clock_->elapsedMs() : 0});
}

ScreenRect FakeWindowSystem::windowRect(WindowHandle window) {
    const auto it = find(window);
    if (it == windows_.end()) {
        throw windowGone(window);
    }
    return it->rect;
}

}  // namespace keyrelay

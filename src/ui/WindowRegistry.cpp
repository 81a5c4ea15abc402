#include "ui/WindowRegistry.h"

namespace keyrelay {

void WindowRegistry::remember(const char* name, ProgramWindow* window) {
    windows_[name] = window;
    QObject::connect(window, &ProgramWindow::unloaded, [this, key = std::string(name), window] {
        auto it = windows_.find(key);
        if (it != windows_.end() && it->second == window) {
            windows_.erase(it);
        }
    });
}

ProgramWindow* WindowRegistry::find(const char* name) const {
    auto it = windows_.find(name);
    if (it == windows_.end() || it->second.isNull() || it->second->isUnloaded()) {
        return nullptr;
    }
    return it->second.data();
}

void WindowRegistry::unload(const char* name) {
    if (ProgramWindow* w = find(name)) {
        w->close();
    }
}

}  // namespace keyrelay

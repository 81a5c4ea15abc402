#pragma once

#include <QPointer>
#include <map>
#include <string>

#include "ui/ProgramWindow.h"

namespace keyrelay {

struct AppContext;

// Loads each window on first use and keeps it until it is closed. Reading a control of a
// window that is not loaded loads it, hidden, running its opening work (its constructor):
// callers write `ctx.windows.get<QsySweep>().Shape1`.
//
// Every window class W derives from ProgramWindow, has a constructor W(AppContext&) and
// `static constexpr const char* Name = "W";`.
class WindowRegistry {
public:
    void setContext(AppContext& context) { context_ = &context; }
    AppContext& context() const { return *context_; }

    template <class W>
    W& get() {
        if (W* w = ifLoaded<W>()) {
            return *w;
        }
        auto* w = new W(*context_);
        remember(W::Name, w);
        return *w;
    }

    template <class W>
    W* ifLoaded() const {
        return static_cast<W*>(find(W::Name));
    }

    bool isLoaded(const char* name) const { return find(name) != nullptr; }
    ProgramWindow* ifLoaded(const char* name) const { return find(name); }

    // Closes the window if it is loaded, running its closing work; the window is gone
    // from the registry afterwards.
    void unload(const char* name);

private:
    void remember(const char* name, ProgramWindow* window);
    ProgramWindow* find(const char* name) const;

    AppContext* context_ = nullptr;
    std::map<std::string, QPointer<ProgramWindow>> windows_;
};

}  // namespace keyrelay

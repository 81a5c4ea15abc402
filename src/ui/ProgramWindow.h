#pragma once

#include <QWidget>

namespace keyrelay {

struct AppContext;

// Base of the program's windows. A window is loaded (constructed, hidden) on first use
// through the WindowRegistry and stays loaded until it is closed; closing it by any means
// (its close box, a button, the registry at shutdown) runs its closing work once and then
// unloads it (the object is deleted later). Activation runs its activation work.
class ProgramWindow : public QWidget {
    Q_OBJECT
public:
    ProgramWindow(AppContext& context, const char* name);
    ~ProgramWindow() override;

    // The window's own name ("QsySweep"), the key under which the registry keeps it.
    const char* windowName() const { return name_; }
    // True once the closing work has run; the object is about to be deleted.
    bool isUnloaded() const { return unloaded_; }

    // Marks a handler that may wait (a nested event loop) for as long as it lives: a
    // window closed meanwhile runs its closing work at once, but the object is deleted
    // only once the last such handler has returned.
    class HandlerScope {
    public:
        explicit HandlerScope(ProgramWindow& window);
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

    private:
        ProgramWindow& window_;
    };

signals:
    // Emitted after the closing work, when the window no longer counts as loaded.
    void unloaded();

protected:
    // Closing work (save the window's settings file, ...). Runs once per load.
    virtual void closingWork() {}
    // Runs every time the window becomes the active window.
    virtual void activationWork() {}

    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

    AppContext& ctx;

private:
    const char* name_;
    bool unloaded_ = false;
    int handlerDepth_ = 0;
};

}  // namespace keyrelay

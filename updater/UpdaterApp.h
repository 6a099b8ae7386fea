#pragma once

#include "platform/NamedMutex.h"
#include "updater/UpdaterDialog.h"

#include <memory>

// The updater program: makes sure only one updater runs, then runs the updater window until it closes.
class UpdaterApp {
public:
    static constexpr const char* kMutexName = "VeskUpdater";

    explicit UpdaterApp(UpdaterDialog::Options options = {});
    ~UpdaterApp();
    UpdaterApp(const UpdaterApp&) = delete;
    UpdaterApp& operator=(const UpdaterApp&) = delete;

    // The whole run: start-up, the window, exit. The process ends afterwards.
    void Run();
    // Takes the updater's lock and opens the window; false, after telling the user, when another updater runs.
    bool StartUp();
    // After the window closed: lets go of the window and the lock.
    void Exit();

    // Also handed to the window.
    void SetNotifier(UpdaterDialog::Notifier notifier) { m_notifier = std::move(notifier); }
    UpdaterDialog* Dialog() const { return m_dialog.get(); }

private:
    UpdaterDialog::Options m_options;
    platform::NamedMutex m_mutex;
    UpdaterDialog::Notifier m_notifier;
    std::unique_ptr<UpdaterDialog> m_dialog;
};

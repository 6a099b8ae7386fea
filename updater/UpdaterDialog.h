#pragma once

#include "skin/CXDialog.h"
#include "updater/Download.h"

#include <QMessageBox>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class CXButton;
class CXEdit;
class QProgressBar;

namespace platform {
class NamedMutex;
}

// The updater's one window: a status line, a progress bar, the start button that downloads the new file into
// "Down/" and the finish button that puts it in place (or runs it) and ends the updater. The download runs
// beside the window, so the window keeps painting and moving while it lasts.
class UpdaterDialog : public CXDialog {
    Q_OBJECT
public:
    struct Options {
        std::string programFolder; // empty: the executable's folder
        std::string lockFolder;    // empty: the user's runtime folder
        int port = updater::kUpdatePort;
        long connectMs = 10000;
        long blockMs = 30000;
    };
    // Shows a plain system message box with an OK button.
    using Notifier = std::function<void(const QString& text, QMessageBox::Icon icon)>;

    // Where the update server is looked for when the settings name none.
    static constexpr const char* kDefaultHost = "127.0.0.1";
    static constexpr const char* kClientMutexName = "Halvren";
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 300;

    explicit UpdaterDialog(Options options, QWidget* parent = nullptr);
    ~UpdaterDialog() override;

    // The start button: runs the download once; inactive while one runs.
    void Download();
    // The finish button: puts the downloaded file in place (recording the installed version, and starting the
    // client again when it was the client) or runs it, as the server asked, unless the client still runs; then
    // closes the window.
    void ApplyUpdate();

    void SetNotifier(Notifier notifier) { m_notifier = std::move(notifier); }
    // The plain system message box that stands in when no notifier is set.
    static void ShowSystemBox(const QString& text, QMessageBox::Icon icon, QWidget* parent);

    const std::string& ProgramFolder() const { return m_programFolder; }
    const std::string& Host() const { return m_host; }
    bool IsTransferRunning() const { return m_running; }
    bool Success() const { return m_success; }
    std::uint32_t ApplyAction() const { return m_applyAction; }
    const std::string& FileName() const { return m_fileName; }

    void done(int result) override;

signals:
    // A download has ended, whatever its outcome.
    void TransferEnded();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnStage(updater::Stage stage, std::uint32_t value);
    void OnTransferEnded(bool success, std::uint32_t action, const std::string& fileName, const std::string& version);
    void Replace(const std::string& source);
    void PostProgress(std::uint32_t value);
    void ShowStatus(const QString& text);
    void ResetStatus();
    void Notify(const QString& text, QMessageBox::Icon icon);

    Options m_options;
    std::string m_programFolder;
    std::string m_host;
    bool m_success = false;
    std::uint32_t m_applyAction = updater::kActionCopy;
    std::string m_fileName;
    std::string m_version; // the signed version; empty without a key

    CXEdit* m_status;
    QProgressBar* m_progress;
    CXButton* m_start;
    CXButton* m_finish;
    Notifier m_notifier;

    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<std::uint32_t> m_latestProgress{0};
    std::atomic<bool> m_progressPending{false};
    bool m_running = false;
    // Held from the moment files are replaced until the updater ends, so that the client cannot start meanwhile.
    std::unique_ptr<platform::NamedMutex> m_clientLock;
};

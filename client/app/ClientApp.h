#pragma once

#include "client/app/PageHost.h"
#include "platform/NamedMutex.h"

#include <functional>
#include <memory>
#include <string>

class CDlgMsgBox;
class Environment;
class HttpTransport;
class MainDialog;
class SkinCatalogue;
class TagReader;

// The application: owns the environment, the skin catalogue, the message box, the transport and the reply
// reader for the whole run; makes sure only one client runs; asks the centre for the current version; runs
// the main window; and hands over to the updater when the user agreed to update.
class ClientApp : public PageHost {
public:
    struct Options {
        std::string programFolder; // empty: the executable's folder
        std::string lockFolder;    // empty: the user's runtime folder
        long connectMs = 10000;    // limits of one exchange with the centre
        long totalMs = 30000;
    };
    // Shows a text in the message box (mode 0 notice, 1 question) and returns its result: 1 confirmed, 2 not.
    using Prompter = std::function<int(const std::string& text, int mode)>;

    static constexpr const char* kMutexName = "Halvren";
    static constexpr const char* kUpdaterFile = "Updater";

    ClientApp();
    explicit ClientApp(Options options);
    ~ClientApp() override;
    ClientApp(const ClientApp&) = delete;
    ClientApp& operator=(const ClientApp&) = delete;

    // The whole run: start-up, the main window, exit. The process ends afterwards.
    void Run();

    // Start-up: single instance, environment ready, version check, main window opened. True when the main
    // window is open and waiting for the user.
    bool StartUp();
    // After the main window closed: frees the single-instance lock and starts the updater when it is due.
    void Exit();

    // Work code 003: 1 when the centre answered with a version, 0 on any failure (after telling the user).
    int CheckVersion();

    void SetPrompter(Prompter prompter) { m_prompter = std::move(prompter); }
    MainDialog* MainWindow() const { return m_mainWindow.get(); }
    CDlgMsgBox& MessageBox() { return *m_messageBox; }

    // PageHost
    void ChangePage(int index) override;
    int ShowMessage(const std::string& text) override;
    int ShowQuestion(const std::string& text) override;
    Environment& Env() override { return *m_environment; }
    SkinCatalogue& Catalogue() override { return *m_catalogue; }
    HttpTransport& Transport() override { return *m_transport; }
    const TagReader& Reader() const override { return *m_reader; }

private:
    int Prompt(const std::string& text, int mode);

    // Created in this order and destroyed in the reverse one.
    std::unique_ptr<Environment> m_environment;
    std::unique_ptr<SkinCatalogue> m_catalogue;
    std::unique_ptr<CDlgMsgBox> m_messageBox;
    std::unique_ptr<HttpTransport> m_transport;
    std::unique_ptr<TagReader> m_reader;
    platform::NamedMutex m_mutex;
    std::unique_ptr<MainDialog> m_mainWindow;
    Prompter m_prompter;
};

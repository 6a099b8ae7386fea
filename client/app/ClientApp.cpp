#include "client/app/ClientApp.h"

#include "client/app/MainDialog.h"
#include "client/app/Transaction.h"
#include "client/dialogs/CDlgMsgBox.h"
#include "client/env/Environment.h"
#include "client/protocol/HttpTransport.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "protocol/Envelope.h"
#include "protocol/TagReader.h"
#include "protocol/WorkCode.h"
#include "skin/SkinCatalogue.h"
#include "skin/UiText.h"

#include <QMessageBox>

namespace {

std::string ProgramFolderOf(const ClientApp::Options& options) {
    return options.programFolder.empty() ? platform::ExecutableFolder() : options.programFolder;
}

// The environment's own notices are plain system message boxes.
void ShowPlatformBox(const std::string& text, const std::string& caption) {
    QMessageBox::warning(nullptr, ToUi(caption), ToUi(text));
}

} // namespace

ClientApp::ClientApp() : ClientApp(Options()) {}

ClientApp::ClientApp(Options options)
    : m_environment(std::make_unique<Environment>(options.programFolder, PlatformNotifier(&ShowPlatformBox))),
      m_catalogue(std::make_unique<SkinCatalogue>(ProgramFolderOf(options))),
      m_messageBox(std::make_unique<CDlgMsgBox>()), m_transport(std::make_unique<HttpTransport>()),
      m_reader(std::make_unique<TagReader>()), m_mutex(kMutexName, options.lockFolder) {
    m_transport->SetTimeLimits(options.connectMs, options.totalMs);
}

ClientApp::~ClientApp() {
    m_mainWindow.reset();
}

void ClientApp::Run() {
    if (StartUp()) {
        m_mainWindow->exec();
    }
    Exit();
}

bool ClientApp::StartUp() {
    if (!m_mutex.Acquire()) {
        ShowMessage(m_environment->GetText("MESSAGE", "MSG_ProgramExcuted"));
        return false;
    }
    if (!m_environment->IsReady()) {
        return false;
    }
    m_transport->SetServer(m_environment->ServerHost());
    m_transport->SetTrustedAuthorities(m_environment->TrustedAuthorities());
    if (CheckVersion() != 1) {
        return false;
    }
    m_mainWindow = std::make_unique<MainDialog>(*this);
    m_messageBox->SetMainWindow(m_mainWindow.get());
    return m_mainWindow->Open();
}

void ClientApp::Exit() {
    m_mutex.Release();
    m_messageBox->SetMainWindow(nullptr);
    m_mainWindow.reset();
    if (m_environment->UpdatePending()) {
        // Whether the updater could be started is not looked at: the client ends either way.
        platform::StartProgram(m_environment->ProgramFolder() + kUpdaterFile);
    }
}

int ClientApp::CheckVersion() {
    // Someone may open this program in an emergency: a centre that cannot be reached is said, never silent.
    const auto reply = RunTransaction(*this, VersionRequest(), WorkCode::kVersion, "MSG_Server_Unreachable");
    if (!reply) {
        return 0;
    }
    int position = 0;
    const std::string announced = m_reader->GetTagValue(*reply, "VERSION", position);
    m_environment->WriteSetting("DEFAULT", "LAST_VERSION", announced);
    const std::string installed = m_environment->InstalledVersion();
    // Texts compared byte by byte, not as numbers: never downgrade, and 1.0.0.9 counts above 1.0.0.10.
    if (announced.compare(installed) > 0) {
        m_environment->SetUpdatePending(true);
    }
    return 1;
}

void ClientApp::ChangePage(int index) {
    if (m_mainWindow) {
        m_mainWindow->ChangePage(index);
    }
}

int ClientApp::ShowMessage(const std::string& text) {
    return Prompt(text, CDlgMsgBox::kModeNotice) == 1 ? 1 : 0;
}

int ClientApp::ShowQuestion(const std::string& text) {
    return Prompt(text, CDlgMsgBox::kModeQuestion) == 1 ? 1 : 0;
}

int ClientApp::Prompt(const std::string& text, int mode) {
    if (m_prompter) {
        return m_prompter(text, mode);
    }
    return m_messageBox->Show(text, mode);
}

#include "updater/UpdaterApp.h"

namespace {

const QString kAlreadyRunning = QStringLiteral("프로그램이 이미 실행중입니다.");

} // namespace

UpdaterApp::UpdaterApp(UpdaterDialog::Options options)
    : m_options(std::move(options)), m_mutex(kMutexName, m_options.lockFolder) {}

UpdaterApp::~UpdaterApp() {
    Exit();
}

void UpdaterApp::Run() {
    if (StartUp()) {
        m_dialog->exec();
    }
    Exit();
}

bool UpdaterApp::StartUp() {
    if (!m_mutex.Acquire()) {
        if (m_notifier) {
            m_notifier(kAlreadyRunning, QMessageBox::Critical);
        } else {
            UpdaterDialog::ShowSystemBox(kAlreadyRunning, QMessageBox::Critical, nullptr);
        }
        return false;
    }
    m_dialog = std::make_unique<UpdaterDialog>(m_options);
    if (m_notifier) {
        m_dialog->SetNotifier(m_notifier);
    }
    m_dialog->show();
    return true;
}

void UpdaterApp::Exit() {
    // The window goes first: it may hold the client's lock, which must last until the files are in place.
    m_dialog.reset();
    m_mutex.Release();
}

#include "updater/UpdaterDialog.h"

#include "platform/Http.h"
#include "platform/NamedMutex.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Shell.h"
#include "skin/CXButton.h"
#include "skin/CXEdit.h"
#include "skin/SkinAccessibility.h"
#include "updater/UpdateFiles.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QProgressBar>
#include <QScreen>

namespace {

// The host as the settings name it: at most 79 bytes, and never a port (the update server has its own).
constexpr std::size_t kHostMax = 79;

const QString kIdle = QStringLiteral("진행상태:");
const QString kConnecting = QStringLiteral("진행상태: 서버접속중...");
const QString kBusy = QStringLiteral("진행상태: 서버접속자수가 많습니다");
const QString kConnected = QStringLiteral("진행상태: 서버접속완료.");
const QString kInitFailed = QStringLiteral("진행상태: 초기화실패...");
const QString kReceiving = QStringLiteral("진행상태: 다운로드중...");
const QString kReceived = QStringLiteral("진행상태: 다운로드완료...");
const QString kSaving = QStringLiteral("진행상태: 파일저장중...");
const QString kReady = QStringLiteral("진행상태: 업데이트 준비완료.");
const QString kFailed = QStringLiteral("진행상태: 다운로드 실패 !!! ");
const QString kPressStart = QStringLiteral(" <시작>버튼을 누르세요.");
// Why a file was refused, told after the failure text.
const QString kKeptFile = QStringLiteral(" 바꿀 수 없는 파일");
const QString kNotPlainFile = QStringLiteral(" 일반 파일이 아님");
const QString kNotSigned = QStringLiteral(" 서명 확인 실패");
const QString kNotNewer = QStringLiteral(" 새 버전이 아님");
const QString kNotAsSigned = QStringLiteral(" 서명과 다른 파일");

const QString kSocketError = QStringLiteral("소켓 에러...");
const QString kConnectError = QStringLiteral("커넥션 에러...");
const QString kClientRunning = QStringLiteral("Halvren 프로그램을 종료해 주십시요.");
const QString kSaveFailed = QStringLiteral("다운로드한 파일을 Down 폴더에 저장하지 못했습니다.");
const QString kReplaceFailed = QStringLiteral("새 파일로 바꾸지 못했습니다. 프로그램은 그대로입니다.");
const QString kRunFailed = QStringLiteral("다운로드한 파일을 실행하지 못했습니다.");
const QString kVersionNotRecorded =
    QStringLiteral("새 파일로 바꾸었지만 설치된 버전을 기록하지 못했습니다. 다음 종료 때 업데이트를 다시 묻습니다.");
const QString kRestartFailed =
    QStringLiteral("Halvren을 다시 시작하지 못했습니다. 프로그램 폴더에서 직접 시작해 주십시오.");

const QString kStartTip = QStringLiteral("업데이트 서버에서 새 버전을 받습니다.");
const QString kFinishTip = QStringLiteral("아무것도 바꾸지 않고 업데이트를 끝냅니다.");
const QString kFinishCopyTip = QStringLiteral("받은 새 버전을 프로그램 폴더에 넣고 업데이트를 끝냅니다.");
const QString kFinishRunTip = QStringLiteral("받은 파일을 실행하고 업데이트를 끝냅니다.");

constexpr int kBackground = 135;
constexpr int kStartNormal = 136, kStartHover = 137;
constexpr int kFinishNormal = 138, kFinishHover = 139;

QString Why(std::uint32_t refusal) {
    switch (static_cast<updater::Refusal>(refusal)) {
    case updater::Refusal::KeptFile:
        return kKeptFile;
    case updater::Refusal::NotPlainFile:
        return kNotPlainFile;
    case updater::Refusal::NotSigned:
        return kNotSigned;
    case updater::Refusal::NotNewer:
        return kNotNewer;
    case updater::Refusal::NotAsSigned:
        return kNotAsSigned;
    case updater::Refusal::None:
        break;
    }
    return QString();
}

std::string HostOf(const std::string& programFolder) {
    std::string host = platform::ReadProfileString(programFolder + updater::kSettingsFile, "DEFAULT", "URL",
                                                   UpdaterDialog::kDefaultHost);
    host.resize(std::min(host.size(), kHostMax));
    // The centre's address may name its scheme ("https://host:port"); the update server is the same host.
    const std::optional<platform::ServerAddress> address = platform::ParseServerAddress(host);
    return address ? address->host : host.substr(0, host.find(':'));
}

CXButton* MakeButton(QWidget* parent, const char* name, const QString& accessibleName, int x, int y, int normal,
                     int hover) {
    auto* button = new CXButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(accessibleName);
    button->move(x, y);
    button->SetBitmaps(hover, CXButton::kMagenta, normal, CXButton::kMagenta);
    button->SizeToContent();
    return button;
}

} // namespace

UpdaterDialog::UpdaterDialog(Options options, QWidget* parent)
    : CXDialog(parent), m_options(std::move(options)),
      m_programFolder(m_options.programFolder.empty() ? platform::ExecutableFolder() : m_options.programFolder),
      m_host(HostOf(m_programFolder)), m_status(new CXEdit(this)), m_progress(new QProgressBar(this)),
      m_start(MakeButton(this, "btnStart", QStringLiteral("시작"), 159, 213, kStartNormal, kStartHover)),
      m_finish(MakeButton(this, "btnFinish", QStringLiteral("종료"), 309, 213, kFinishNormal, kFinishHover)) {
    setObjectName(QStringLiteral("UpdaterDialog"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setWindowTitle(QStringLiteral("HalvrenUpdater"));
    setAccessibleName(QStringLiteral("Halvren 업데이트")); // the title the window shows
    setWindowIcon(QIcon(QStringLiteral(":/res/128.png")));
    SetBackground(kBackground);
    SetDraggable(true);
    setFixedSize(kWidth, kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect desktop = screen->geometry();
        move(desktop.width() / 2 - kWidth / 2, desktop.height() / 2 - kHeight / 2);
    }

    m_status->setObjectName(QStringLiteral("editStatus"));
    m_status->setAccessibleName(QStringLiteral("진행상태"));
    m_status->setReadOnly(true);
    m_status->setFocusPolicy(Qt::NoFocus);
    m_status->setGeometry(66, 68, 495, 47);
    QFont statusFont(QStringLiteral("돋움"));
    statusFont.setPixelSize(18);
    m_status->setFont(statusFont);
    m_status->SetTextColor(QColor(31, 91, 142));

    m_progress->setObjectName(QStringLiteral("progressDownload"));
    m_progress->setAccessibleName(QStringLiteral("다운로드 진행률"));
    m_progress->setGeometry(68, 125, 463, 44);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    connect(m_start, &QPushButton::clicked, this, [this] { Download(); });
    connect(m_finish, &QPushButton::clicked, this, [this] { ApplyUpdate(); });
    InitToolTips();
    AddToolTip(m_start, kStartTip);
    AddToolTip(m_finish, kFinishTip);
    m_start->setFocus();
    ShowStatus(kPressStart);
}

UpdaterDialog::~UpdaterDialog() {
    m_stop = true;
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

void UpdaterDialog::Download() {
    if (m_running || m_success) {
        return;
    }
    if (m_worker.joinable()) {
        m_worker.join();
    }
    ResetStatus();
    ShowStatus(kConnecting);
    m_running = true;
    m_start->setEnabled(false);
    m_stop = false;

    updater::DownloadOptions options;
    options.host = m_host;
    options.port = m_options.port;
    options.programFolder = m_programFolder;
    options.connectMs = m_options.connectMs;
    options.blockMs = m_options.blockMs;
    // Stages reach the window through its event queue, in the order they happened; block progress is merged
    // so that a fast transfer does not flood the queue.
    m_worker = std::thread([this, options] {
        updater::Download download(
            options,
            [this](updater::Stage stage, std::uint32_t value) {
                if (stage == updater::Stage::Progress) {
                    PostProgress(value);
                    return;
                }
                QMetaObject::invokeMethod(
                    this, [this, stage, value] { OnStage(stage, value); }, Qt::QueuedConnection);
            },
            &m_stop);
        download.Run();
        QMetaObject::invokeMethod(
            this,
            [this, success = download.Success(), action = download.ApplyAction(), name = download.FileName(),
             version = download.Version()] { OnTransferEnded(success, action, name, version); },
            Qt::QueuedConnection);
    });
}

void UpdaterDialog::PostProgress(std::uint32_t value) {
    m_latestProgress = value;
    if (!m_progressPending.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_progressPending = false;
                m_progress->setValue(static_cast<int>(m_latestProgress.load()));
            },
            Qt::QueuedConnection);
    }
}

void UpdaterDialog::OnStage(updater::Stage stage, std::uint32_t value) {
    using updater::Stage;
    switch (stage) {
    case Stage::Busy:
        ShowStatus(kBusy);
        break;
    case Stage::Connected:
        ShowStatus(kConnected);
        break;
    case Stage::InitFailed:
        ShowStatus(kInitFailed + Why(value));
        break;
    case Stage::Receiving:
        m_progress->setRange(0, static_cast<int>(value));
        m_progress->setValue(0);
        ShowStatus(kReceiving);
        break;
    case Stage::Progress:
        break;
    case Stage::Failed:
        ShowStatus(kFailed + Why(value));
        break;
    case Stage::Received:
        ShowStatus(kReceived);
        break;
    case Stage::Saving:
        ShowStatus(kSaving);
        break;
    case Stage::Ready:
        m_progress->setValue(static_cast<int>(value));
        ShowStatus(kReady);
        break;
    case Stage::SaveFailed:
        ShowStatus(kFailed);
        Notify(kSaveFailed, QMessageBox::Warning);
        break;
    case Stage::SocketError:
        Notify(kSocketError, QMessageBox::NoIcon);
        ResetStatus();
        break;
    case Stage::ConnectError:
        Notify(kConnectError, QMessageBox::NoIcon);
        ResetStatus();
        break;
    case Stage::Stopped:
        break;
    }
}

void UpdaterDialog::OnTransferEnded(bool success, std::uint32_t action, const std::string& fileName,
                                    const std::string& version) {
    if (m_worker.joinable()) {
        m_worker.join();
    }
    m_running = false;
    m_success = success;
    m_applyAction = action;
    m_fileName = fileName;
    m_version = version;
    // After a good download only the finish button remains, so the transfer cannot run twice.
    m_start->setEnabled(!success);
    m_start->setVisible(!success);
    if (success) {
        // Alone, it stands in the middle, and its tip says what it now does.
        m_finish->move((kWidth - m_finish->width()) / 2, m_finish->y());
        AddToolTip(m_finish, action == updater::kActionCopy  ? kFinishCopyTip
                             : action == updater::kActionRun ? kFinishRunTip
                                                             : kFinishTip);
        m_finish->setFocus();
    }
    emit TransferEnded();
}

void UpdaterDialog::ApplyUpdate() {
    if (!m_success) {
        close();
        return;
    }
    // Holding the client's lock tells whether the client still runs and keeps it from starting meanwhile.
    m_clientLock = std::make_unique<platform::NamedMutex>(kClientMutexName, m_options.lockFolder);
    if (!m_clientLock->Acquire()) {
        m_clientLock.reset();
        Notify(kClientRunning, QMessageBox::Critical);
        close();
        return;
    }
    const std::string source = m_programFolder + updater::Download::kDownFolder + m_fileName;
    if (m_applyAction == updater::kActionCopy) {
        Replace(source);
    } else if (m_applyAction == updater::kActionRun) {
        if (!platform::StartProgram(source, m_programFolder)) {
            Notify(kRunFailed, QMessageBox::Warning);
        }
    }
    close();
}

void UpdaterDialog::Replace(const std::string& source) {
    if (!updater::PutInPlace(source, m_programFolder, m_fileName, updater::DownloadOptions().maxSize)) {
        Notify(kReplaceFailed, QMessageBox::Warning);
        return;
    }
    // Without a key nothing signed names the version: the one the centre announced is what was fetched, and
    // it is recorded only when above the installed one, so that the record never goes back.
    std::string version = m_version;
    if (version.empty()) {
        version = updater::AnnouncedVersion(m_programFolder);
        if (!updater::IsNewerVersion(version, updater::InstalledVersion(m_programFolder))) {
            version.clear();
        }
    }
    if (!version.empty() && !updater::RecordInstalledVersion(m_programFolder, version)) {
        Notify(kVersionNotRecorded, QMessageBox::Warning);
    }
    if (m_fileName == updater::kClientFile) {
        // The client would find its own lock taken and end at once.
        m_clientLock.reset();
        if (!platform::StartProgram(m_programFolder + m_fileName, m_programFolder)) {
            Notify(kRestartFailed, QMessageBox::Warning);
        }
    }
}

void UpdaterDialog::done(int result) {
    // Closing while a download runs stops it: a file is kept in "Down/" only when it had arrived whole.
    m_stop = true;
    CXDialog::done(result);
}

void UpdaterDialog::keyPressEvent(QKeyEvent* event) {
    // Escape stays with the focused control and never closes the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    CXDialog::keyPressEvent(event);
}

void UpdaterDialog::ShowStatus(const QString& text) {
    m_status->setText(text);
    m_status->RefreshBackground();
    Announce(text);
}

void UpdaterDialog::ResetStatus() {
    ShowStatus(kIdle);
    m_progress->setValue(0);
}

void UpdaterDialog::Notify(const QString& text, QMessageBox::Icon icon) {
    if (m_notifier) {
        m_notifier(text, icon);
        return;
    }
    ShowSystemBox(text, icon, isVisible() ? this : nullptr);
}

void UpdaterDialog::ShowSystemBox(const QString& text, QMessageBox::Icon icon, QWidget* parent) {
    InstallSkinAccessibility(); // also before the window exists: an alert, and modal
    QMessageBox box(icon, QStringLiteral("HalvrenUpdater"), text, QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("updaterMessage"));
    box.setAccessibleName(box.windowTitle());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("확인"));
    box.exec();
}

#include "client/app/MainDialog.h"

#include "client/app/CAboutDlg.h"
#include "client/app/DraftKeeper.h"
#include "client/app/PageHost.h"
#include "client/env/Environment.h"
#include "client/history/CDlg_InquireHistory.h"
#include "client/report/CDlg_SendCall.h"
#include "client/users/CDlg_SelectUser.h"
#include "client/users/CDlg_UserInformation.h"
#include "platform/Http.h"
#include "platform/Shell.h"
#include "skin/CXButton.h"
#include "skin/CXSkinText.h"
#include "skin/SkinCatalogue.h"
#include "skin/UiText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace {

struct MenuButton {
    const char* objectName;
    const char* accessibleName;
    int x;
    int y;
    const char* normal;
    const char* hover;
    const char* toolTipKey;
};

// In the order of MainDialog::Button.
constexpr MenuButton kButtons[] = {
    {"btnMinimise", "최소화", 978, 6, "btn_min.bmp", "btn_min_o.bmp", "MD_PAGE_BTN_MIN"},
    {"btnClose", "닫기", 998, 6, "btn_x.bmp", "btn_x_o.bmp", "MD_PAGE_BTN_X"},
    {"btnReport", "신고하기", 18, 637, "menu_main.bmp", "menu_main_o.bmp", "MD_PAGE_BTN_CALL"},
    {"btnUser", "사용자 관리", 279, 649, "menu_user.bmp", "menu_user_o.bmp", "MD_PAGE_BTN_USER"},
    {"btnHistory", "신고 내역", 530, 649, "menu_history.bmp", "menu_history_o.bmp", "MD_PAGE_BTN_HISTORY"},
    {"btnHelp", "도움말", 832, 652, "menu_help.bmp", "menu_help_o.bmp", "MD_PAGE_BTN_HELP"},
    {"btnEnd", "프로그램 종료", 927, 652, "menu_close.bmp", "menu_close_o.bmp", "MD_PAGE_BTN_END"},
};

// Which of the report, user and history buttons each page shows.
struct MenuVisibility {
    bool report;
    bool user;
    bool history;
};

MenuVisibility VisibleMenu(int page, bool hasPersons) {
    switch (page) {
    case MainDialog::kReportPage:
        return {false, true, true};
    case MainDialog::kSelectUserPage:
        return hasPersons ? MenuVisibility{true, false, true} : MenuVisibility{false, false, false};
    case MainDialog::kHistoryPage:
        return {true, true, false};
    default:
        return {false, false, false};
    }
}

struct StepArt {
    const char* file;
    const char* heading; // what the picture says, for screen readers
    const char* step;    // the step it marks as the present one
};

StepArt StepPictureFor(int page, bool hasPersons, bool editing) {
    switch (page) {
    case MainDialog::kReportPage:
        return {"left_Step_SendCall.bmp", "긴급 신고", "신고 작성"};
    case MainDialog::kSelectUserPage:
        return hasPersons ? StepArt{"left_Step_selectUser.bmp", "사용자 선택", "사용자 선택"}
                          : StepArt{"left_Step_registUser.bmp", "사용자 등록", "사용자 등록"};
    case MainDialog::kUserInformationPage:
        return editing ? StepArt{"left_Step_modifyUser.bmp", "정보 수정", "사용자 등록"}
                       : StepArt{"left_Step_registUser.bmp", "사용자 등록", "사용자 등록"};
    default:
        return {"left_Step_history.bmp", "신고 내역", "신고 내역"};
    }
}

} // namespace

MainDialog::MainDialog(PageHost& host, QWidget* parent) : CXDialog(parent), m_host(host) {
    setObjectName("MainDialog");
    setAccessibleName(QStringLiteral("Halvren"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/res/icon.png")));
    SkinCatalogue& catalogue = host.Catalogue();
    SetBackground(catalogue.GetImage("main_bg.bmp"));
    setWindowTitle(QStringLiteral("Halvren"));
    SetDraggable(true);

    setFixedSize(kWidth, kHeight);
    CentreOn(nullptr);

    // The help page comes from the centre the way the reports go: over https when its address says so.
    const std::optional<platform::ServerAddress> centre = platform::ParseServerAddress(host.Env().ServerHost());
    m_helpAddress = (centre && centre->tls ? centre->Origin() : "http://" + host.Env().ServerHost()) +
                    "/Morvane/vesk/Help/help.jsp";

    m_pages = {new CDlg_SendCall(host, this), new CDlg_SelectUser(host, this), new CDlg_UserInformation(host, this),
               new CDlg_InquireHistory(host, this)};
    m_draft = std::make_unique<DraftKeeper>(host, [this] { return CollectDraft(); });
    for (PageWidget* page : m_pages) {
        connect(page, &PageWidget::DraftChanged, m_draft.get(), &DraftKeeper::Changed);
    }

    m_title = AddPicture("picTitle", "title.bmp", 0, 0);
    m_menuBar = AddPicture("picMenuBar", "menu_bar.bmp", 0, 624);
    m_leftStep = AddPicture("picLeftStep", "left_Step_SendCall.bmp", 17, 33);
    m_rightStep = AddPicture("picRightStep", "right_Step.bmp", 448, 33);
    m_title->setAccessibleName(QStringLiteral("Halvren"));
    m_menuBar->setAccessibleName(QStringLiteral("메뉴"));
    m_leftStep->setAccessibleName(QStringLiteral("진행 단계"));
    m_rightStep->setAccessibleName(QStringLiteral("화재 · 구급 · 구조 · 재난 인터넷 신고"));
    new CXSkinText(this, QStringLiteral("긴급 상황에는 119로 전화해 주십시오"), {0, 724, 1010, 22});

    for (int i = 0; i < kButtonCount; ++i) {
        const MenuButton& layout = kButtons[i];
        auto* button = new CXButton(this);
        button->setObjectName(layout.objectName);
        button->setAccessibleName(QString::fromUtf8(layout.accessibleName));
        button->setAutoDefault(false);
        button->move(layout.x, layout.y);
        button->SetBitmaps(catalogue.GetImage(layout.hover), CXButton::kMagenta, catalogue.GetImage(layout.normal),
                           CXButton::kMagenta);
        button->SizeToContent();
        m_buttons[static_cast<size_t>(i)] = button;
    }
    connect(m_buttons[kMinimise], &QPushButton::clicked, this, [this] { showMinimized(); });
    connect(m_buttons[kClose], &QPushButton::clicked, this, [this] { EndProgram(); });
    connect(m_buttons[kEnd], &QPushButton::clicked, this, [this] { EndProgram(); });
    connect(m_buttons[kReport], &QPushButton::clicked, this, [this] { GoToPersonPage(kReportPage); });
    connect(m_buttons[kHistory], &QPushButton::clicked, this, [this] { GoToPersonPage(kHistoryPage); });
    connect(m_buttons[kUser], &QPushButton::clicked, this, [this] { SwitchTo(kSelectUserPage); });
    connect(m_buttons[kHelp], &QPushButton::clicked, this, [this] { OpenHelp(); });

    qApp->installEventFilter(this);
}

MainDialog::~MainDialog() {
    qApp->removeEventFilter(this);
    // However the window goes, the last second of typing reaches the draft file.
    if (m_draft->Pending()) {
        m_draft->SaveNow();
    }
}

QLabel* MainDialog::AddPicture(const char* name, const char* file, int x, int y) {
    auto* picture = new QLabel(this);
    picture->setObjectName(name);
    picture->move(x, y);
    if (const QPixmap* bitmap = m_host.Catalogue().GetImage(file)) {
        picture->setPixmap(*bitmap);
        picture->resize(bitmap->size());
    }
    return picture;
}

bool MainDialog::Open() {
    show();
    if (HasPersons()) {
        SwitchTo(kReportPage);
    } else {
        if (OfferUpdate()) {
            return false;
        }
        SwitchTo(kSelectUserPage);
    }
    OfferDraft();
    InitToolTips();
    for (int i = 0; i < kButtonCount; ++i) {
        AddToolTip(m_buttons[static_cast<size_t>(i)], ToUi(m_host.Env().GetText("TOOLTIP", kButtons[i].toolTipKey)));
    }
    return isVisible();
}

bool MainDialog::HasPersons() const {
    return m_host.Env().PersonCount() > 0;
}

void MainDialog::SwitchTo(int index) {
    if (index < kReportPage || index > kHistoryPage || index == m_currentPage) {
        return;
    }
    QWidget* focused = focusWidget();
    m_pages[static_cast<size_t>(m_currentPage)]->hide();
    m_currentPage = index;

    // Step picture and menu first: a page may ask the centre as it appears, and the window around it already
    // says where the user is while it waits.
    const bool persons = HasPersons();
    const StepArt step = StepPictureFor(index, persons, !m_host.Env().Selection().SelectedPersonKey().empty());
    m_stepName = step.file;
    m_leftStep->setAccessibleName(QString::fromUtf8(step.heading) + QStringLiteral(", 현재 단계: ") +
                                  QString::fromUtf8(step.step));
    if (const QPixmap* bitmap = m_host.Catalogue().GetImage(m_stepName)) {
        m_leftStep->setPixmap(*bitmap);
        m_leftStep->resize(bitmap->size());
    }
    const MenuVisibility menu = VisibleMenu(index, persons);
    m_buttons[kReport]->setVisible(menu.report);
    m_buttons[kUser]->setVisible(menu.user);
    m_buttons[kHistory]->setVisible(menu.history);

    PageWidget* page = m_pages[static_cast<size_t>(index)];
    page->EnsureBuilt();
    page->ShowAsPage();
    // A menu button that hid while it had the focus hands it to the new page, not to the next menu button,
    // which would then look lit without the mouse on it.
    if (focused && !focused->isVisible() && !page->isAncestorOf(focusWidget())) {
        FocusFirstControlOf(page);
    }
    // What a page keeps in the draft may depend on whether it is the current one.
    m_draft->Changed();
}

std::vector<QWidget*> MainDialog::TabStops() const {
    std::vector<QWidget*> stops = {m_buttons[kMinimise], m_buttons[kClose]};
    // A page's controls follow each other in the window's focus chain in the order the page made them, which
    // is the order they are read in.
    const PageWidget* page = m_pages[static_cast<size_t>(m_currentPage)];
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
        if (page->isAncestorOf(w) && w->isVisible() && w->isEnabled() && !w->focusProxy() &&
            (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus) {
            stops.push_back(w);
        }
    }
    for (Button menu : {kReport, kUser, kHistory, kHelp, kEnd}) {
        stops.push_back(m_buttons[menu]);
    }
    std::erase_if(stops, [](const QWidget* w) { return !w->isVisible() || !w->isEnabled(); });
    return stops;
}

bool MainDialog::focusNextPrevChild(bool next) {
    const std::vector<QWidget*> stops = TabStops();
    if (stops.empty()) {
        return CXDialog::focusNextPrevChild(next);
    }
    const auto at = std::find(stops.begin(), stops.end(), focusWidget());
    const size_t n = stops.size();
    size_t i = next ? 0 : n - 1;
    if (at != stops.end()) {
        const size_t now = static_cast<size_t>(at - stops.begin());
        i = next ? (now + 1) % n : (now + n - 1) % n;
    }
    stops[i]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void MainDialog::FocusFirstControlOf(PageWidget* page) {
    for (QWidget* stop : TabStops()) {
        if (page->isAncestorOf(stop)) {
            stop->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void MainDialog::ChangePage(int index) {
    if (HasPersons() || index == kSelectUserPage || index == kUserInformationPage) {
        SwitchTo(index);
        return;
    }
    OfferUpdate();
    SwitchTo(kSelectUserPage);
}

void MainDialog::GoToPersonPage(int index) {
    if (HasPersons()) {
        SwitchTo(index);
        return;
    }
    OfferUpdate();
    SwitchTo(kSelectUserPage);
}

bool MainDialog::OfferUpdate() {
    Environment& env = m_host.Env();
    if (!env.UpdatePending()) {
        return false;
    }
    const bool agreed = m_host.ShowQuestion(env.GetText("MESSAGE", "MSG_ProgramUpdate")) == 1;
    env.SetUpdatePending(agreed);
    if (agreed) {
        done(QDialog::Accepted);
    }
    return agreed;
}

void MainDialog::EndProgram() {
    if (!MayEnd()) {
        return;
    }
    OfferUpdate();
    done(QDialog::Accepted);
}

bool MainDialog::MayEnd() {
    PageWidget* page = m_pages[static_cast<size_t>(m_currentPage)];
    if (page->IsBuilt() && page->HasUnsavedInput()) {
        if (m_host.ShowQuestion(m_host.Env().GetText("MESSAGE", "MSG_Exit_Unsaved")) != 1) {
            return false;
        }
        page->DiscardUnsaved();
    }
    // The draft keeps the report through the end. When its last write fails, ending would lose the report
    // without a word: ask as for any other unsaved input.
    if (!(m_draft->SaveNow() && m_draft->Flush())) {
        return m_host.ShowQuestion(m_host.Env().GetText("MESSAGE", "MSG_Exit_Unsaved")) == 1;
    }
    return true;
}

DraftValues MainDialog::CollectDraft() const {
    DraftValues draft;
    for (const PageWidget* page : m_pages) {
        if (page->IsBuilt()) {
            page->WriteDraft(draft);
        }
    }
    return draft;
}

void MainDialog::OfferDraft() {
    const DraftFile& file = m_draft->File();
    const DraftFile::Contents draft = file.Load();
    if (draft.state == DraftFile::State::Missing) {
        return;
    }
    Environment& env = m_host.Env();
    if (draft.state == DraftFile::State::Damaged) {
        file.SetAside();
        m_host.ShowMessage(env.GetText("MESSAGE", "MSG_Draft_Damaged"));
        return;
    }
    if (m_host.ShowQuestion(env.GetText("MESSAGE", "MSG_Draft_Continue")) != 1) {
        file.Remove();
        return;
    }
    // Only the report page and the registration keep anything in a draft.
    const auto take = [&](int index) {
        PageWidget* page = m_pages[static_cast<size_t>(index)];
        page->EnsureBuilt();
        return page->ReadDraft(draft.values);
    };
    const bool report = take(kReportPage);
    const bool registration = take(kUserInformationPage);
    if (report && HasPersons()) {
        SwitchTo(kReportPage);
    } else if (registration) {
        env.Selection().ClearPerson();
        SwitchTo(kUserInformationPage);
    }
}

// A help page that cannot be opened is said, with its address, so that it can be opened by hand.
void MainDialog::OpenHelp() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened = platform::OpenAddress(m_helpAddress);
    QGuiApplication::restoreOverrideCursor();
    if (!opened) {
        m_host.ShowMessage(m_host.Env().GetText("MESSAGE", "MSG_Help_OpenFailure") + "\n" + m_helpAddress);
    }
}

void MainDialog::ShowAbout() {
    // The installed version, which an update records.
    CAboutDlg about(ToUi(m_host.Env().InstalledVersion()), this);
    about.exec();
    activateWindow(); // the keyboard comes back here, whatever the desktop does with a closed box
}

void MainDialog::ShowSystemMenu(const QPoint& where) {
    QMenu menu(this);
    menu.setObjectName("systemMenu");
    menu.setTitle(QStringLiteral("창 메뉴"));
    menu.setAccessibleName(menu.title());
    QAction* about = menu.addAction(QStringLiteral("Halvren 정보(&A)..."));
    about->setObjectName("actionAbout");
    if (menu.exec(where) == about) {
        ShowAbout();
    }
}

void MainDialog::contextMenuEvent(QContextMenuEvent* event) {
    ShowSystemMenu(event->globalPos());
}

void MainDialog::closeEvent(QCloseEvent* event) {
    // The window manager's close ends the program like the close button, without the update offer.
    if (!MayEnd()) {
        event->ignore();
        return;
    }
    done(QDialog::Accepted);
    event->accept();
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !isVisible()) {
        return CXDialog::eventFilter(watched, event);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) {
        return CXDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    PageWidget* page = m_pages[static_cast<size_t>(m_currentPage)];
    if (key->key() == Qt::Key_Escape) {
        FocusFirstControlOf(page);
        return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        for (CXButton* button : m_buttons) {
            if (widget == button) {
                button->click();
                return true;
            }
        }
    }
    if (key->key() == Qt::Key_Space && (key->modifiers() & Qt::AltModifier)) {
        ShowSystemMenu(mapToGlobal(m_title->geometry().bottomLeft()));
        return true;
    }
    return CXDialog::eventFilter(watched, event);
}

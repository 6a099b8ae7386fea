#include "client/users/CDlg_SelectUser.h"

#include "client/app/PageHost.h"
#include "client/env/Environment.h"
#include "skin/CXButton.h"
#include "skin/CXTransparentStatic.h"
#include "skin/SkinCatalogue.h"
#include "skin/UiText.h"

#include <QPainter>

namespace {

constexpr int kPersonX = 290;
constexpr int kTop = 139;
constexpr int kRowStep = 96;
const QColor kPanel(224, 240, 246);
const QColor kCaption(31, 91, 142); // dark on the light button, white on the dark one under the mouse

// The y of person button i among n: one or two persons start one row down, three or four at the top.
int PersonY(int n, int i) {
    return kTop + (n <= 2 ? kRowStep : 0) + kRowStep * i;
}

} // namespace

CDlg_SelectUser::CDlg_SelectUser(PageHost& host, QWidget* parent)
    : PageWidget(host, parent, "CDlg_SelectUser", ""), m_title(new CXTransparentStatic(this)) {
    setAccessibleName(QStringLiteral("사용자 선택"));
    // No background bitmap: white, with rounded corners over the whole page.
    SetControlBackgroundColor(Qt::white);
    SetRoundRegion(0, 0, kWidth, kHeight, 20, 20);

    m_title->setObjectName(QStringLiteral("picTitle"));
    m_title->setGeometry(30, 20, 95, 27);

    for (int i = 0; i < kPersonButtons; ++i) {
        CXButton* button = AddButton(("btnUser" + std::to_string(i)).c_str(), QStringLiteral("사용자 %1").arg(i + 1),
                                     kPersonX, PersonY(kPersonButtons, i), "btn_user.bmp", "btn_user_o.bmp");
        button->SetTextFont(false, 24, true, QStringLiteral("돋움"));
        button->SetNormalTextColor(kCaption);
        button->SetHoverTextColor(Qt::white);
        connect(button, &QPushButton::clicked, this, [this, i] { OpenPerson(i); });
        m_personButtons[static_cast<size_t>(i)] = button;
    }
    m_addButton =
        AddButton("btnAddUser", QStringLiteral("사용자 추가"), 712, 407, "btn_UserAdd.bmp", "btn_UserAdd_o.bmp");
    m_registButton = AddButton("btnRegistUser", QStringLiteral("사용자 등록하기"), 300, 221, "btn_UserRegist.bmp",
                               "btn_UserRegist_o.bmp");
    connect(m_addButton, &QPushButton::clicked, this, &CDlg_SelectUser::AddPerson);
    connect(m_registButton, &QPushButton::clicked, this, &CDlg_SelectUser::AddPerson);

    InitToolTips();
    for (CXButton* button : m_personButtons) {
        AddTip(button, "SU_PAGE_BTN_USER");
    }
    AddTip(m_addButton, "SU_PAGE_BTN_ADDUSER");
    AddTip(m_registButton, "SU_PAGE_BTN_REGISTUSER");
    Refresh();
}

void CDlg_SelectUser::Refresh() {
    m_addButton->hide();
    for (int i = 0; i < kPersonButtons; ++i) {
        m_personButtons[static_cast<size_t>(i)]->hide();
        m_personKeys[static_cast<size_t>(i)].clear();
    }
    const PersonMap& persons = Host().Env().PersonMap();
    const int n = std::min(static_cast<int>(persons.Count()), kPersonButtons);
    m_titleName = n > 0 ? "UserSelect_title.bmp" : "UserRegist_title.bmp";
    if (const QPixmap* picture = Host().Catalogue().GetImage(m_titleName)) {
        m_title->setPixmap(*picture);
    }
    m_title->setAccessibleName(n > 0 ? QStringLiteral("사용자 선택") : QStringLiteral("사용자 등록"));
    m_registButton->setVisible(n == 0);
    m_addButton->setVisible(n > 0);

    int i = 0;
    for (const auto& entry : persons) {
        if (i == n) {
            break;
        }
        CXButton* button = m_personButtons[static_cast<size_t>(i)];
        m_personKeys[static_cast<size_t>(i)] = entry.key;
        const QString name = ToUi(entry.value->Name);
        button->setText(name);
        button->setAccessibleName(name);
        button->move(kPersonX, PersonY(n, i));
        button->show();
        ++i;
    }
    update();
}

void CDlg_SelectUser::showEvent(QShowEvent* event) {
    PageWidget::showEvent(event);
    Refresh();
    activateWindow();
    CXButton* first = m_personButtons[0]->isVisibleTo(this) ? m_personButtons[0] : m_registButton;
    first->setFocus(Qt::OtherFocusReason);
}

void CDlg_SelectUser::DrawOverBackground(QPainter& painter) {
    if (m_registButton->isVisibleTo(this)) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kPanel);
        painter.drawRoundedRect(QRectF(152, 113, 837 - 152, 409 - 113), 5, 5);
    }
}

void CDlg_SelectUser::OpenPerson(int i) {
    const std::string& key = m_personKeys[static_cast<size_t>(i)];
    if (key.empty()) {
        return;
    }
    Host().Env().Selection().SelectPerson(key);
    Host().ChangePage(PageHost::kUserInformationPage);
}

void CDlg_SelectUser::AddPerson() {
    Environment& env = Host().Env();
    // Four is all the pages and the person file hold: a fifth would be lost.
    if (env.PersonCount() >= Environment::kMaxPersons) {
        Host().ShowMessage(env.GetText("MESSAGE", "MSG_UserRegist_Full"));
        return;
    }
    env.Selection().ClearPerson();
    Host().ChangePage(PageHost::kUserInformationPage);
}

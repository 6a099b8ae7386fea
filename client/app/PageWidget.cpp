#include "client/app/PageWidget.h"

#include "client/app/FieldLimits.h"
#include "client/app/PageHost.h"
#include "client/app/PhoneFields.h"
#include "client/env/Environment.h"
#include "skin/CXButton.h"
#include "skin/CXComboBox.h"
#include "skin/CXEdit.h"
#include "skin/SkinCatalogue.h"
#include "skin/UiText.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>

PageWidget::PageWidget(PageHost& host, QWidget* parent, const char* objectName, const char* background)
    : CXSkinWidget(parent), m_host(host) {
    setObjectName(objectName);
    setAccessibleName(objectName);
    // The page itself shows nothing to act on: the focus goes to its controls.
    setFocusPolicy(Qt::NoFocus);
    setGeometry(kLeft, kTop, kWidth, kHeight);
    if (background != nullptr) {
        m_backgroundName = background;
    }
    hide();
}

void PageWidget::EnsureBuilt() {
    if (!m_built) {
        m_built = true;
        Build();
        TellFieldLimits(
            *this, [this](QWidget* field, const QString& text) { SayInBalloon(field, text); }, m_host.Env(),
            m_ownOverflow);
    }
}

void PageWidget::ShowAsPage() {
    m_showPending = true;
    show();
}

bool PageWidget::event(QEvent* event) {
    // Minimise and restore, or the main window hidden and shown again, deliver show events too; they must
    // never lay the page out anew over what the user typed.
    if (event->type() == QEvent::Show) {
        if (!m_showPending) {
            return true;
        }
        m_showPending = false;
    }
    return CXSkinWidget::event(event);
}

void PageWidget::showEvent(QShowEvent* event) {
    // A page takes its background when it is first shown: pages the user never opens cost no memory.
    if (!m_backgroundName.empty() && !Background()) {
        SetBackground(m_host.Catalogue().GetImage(m_backgroundName));
    }
    CXSkinWidget::showEvent(event);
}

void PageWidget::AddTip(QWidget* control, const char* key) {
    AddToolTip(control, ToUi(m_host.Env().GetText("TOOLTIP", key)));
}

void PageWidget::AddTips(const PhoneFields& phones) {
    AddTip(phones.tel1, "EU_PAGE_EDT_TEL1");
    AddTip(phones.tel2, "EU_PAGE_EDT_TEL2");
    AddTip(phones.tel3, "EU_PAGE_EDT_TEL3");
    AddTip(phones.cell1, "EU_PAGE_EDT_CELL1");
    AddTip(phones.cell2, "EU_PAGE_EDT_CELL2");
    AddTip(phones.cell3, "EU_PAGE_EDT_CELL3");
}

CXButton* PageWidget::AddButton(const char* objectName, const QString& accessibleName, int x, int y, const char* normal,
                                const char* hover) {
    SkinCatalogue& catalogue = m_host.Catalogue();
    auto* button = new CXButton(this);
    button->setObjectName(QLatin1String(objectName));
    button->setAccessibleName(accessibleName);
    button->move(x, y);
    button->SetBitmaps(catalogue.GetImage(hover), CXButton::kMagenta, catalogue.GetImage(normal), CXButton::kMagenta);
    button->SizeToContent();
    PressWithReturn(button);
    return button;
}

void PageWidget::MoveOnWithReturn(std::initializer_list<QWidget*> controls) {
    for (QWidget* control : controls) {
        m_moveOn.insert(control);
        control->installEventFilter(this);
    }
}

void PageWidget::PressWithReturn(QAbstractButton* button) {
    m_pressOn.insert(button);
    button->installEventFilter(this);
}

void PageWidget::UseNativeInput(QWidget* field) {
    field->setAttribute(Qt::WA_InputMethodEnabled, true);
}

bool PageWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            // An open drop-down list takes the return key itself, to choose.
            const auto* combo = qobject_cast<QComboBox*>(watched);
            if (m_moveOn.count(watched) != 0 && !(combo && combo->view() && combo->view()->isVisible())) {
                focusNextChild();
                return true;
            }
            if (m_pressOn.count(watched) != 0) {
                static_cast<QAbstractButton*>(watched)->click();
                return true;
            }
        }
    }
    return CXSkinWidget::eventFilter(watched, event);
}

// What a person who cannot use a mouse or cannot see the screen meets, through the same accessibility
// interfaces the desktop's screen-reader bridge serves: the whole way by keyboard alone on the real centre
// stand-in, the words of every control of every page and dialog on that way, and the resident number's back
// half kept off the accessibility bus.
#include "client/app/MainDialog.h"
#include "client/app/PageWidget.h"
#include "skin/CXButton.h"
#include "skin/CXDialog.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/CXSkinWidget.h"
#include "skin/SkinAccessibility.h"
#include "support/CentreProcess.h"
#include "support/RunningClient.h"
#include "updater/UpdaterDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <memory>

namespace {

// What a screen reader says for a control: its labels, then its name.
QString Heard(QWidget* control) {
    QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(control);
    if (!heard) {
        return {};
    }
    QString words = heard->text(QAccessible::Name);
    for (const auto& [label, relation] : heard->relations(QAccessible::Label)) {
        const QString labelWords = label->text(QAccessible::Name);
        if (!words.contains(labelWords)) {
            words = labelWords + QLatin1Char(' ') + words;
        }
    }
    return words.trimmed();
}

// The words each interactive control shows (painted into its picture or beside it); a control whose
// caption is a text of its own is checked against that text.
const std::map<QString, QString> kVisibleWords = {
    {"btnMinimise", "최소화"},
    {"btnClose", "닫기"},
    {"btnReport", "신고하기"},
    {"btnUser", "사용자 관리"},
    {"btnHistory", "신고 내역"},
    {"btnHelp", "도움말"},
    {"btnEnd", "종료"},
    {"btnRegistUser", "사용자 등록하기"},
    {"btnAddUser", "사용자 추가"},
    {"editName", "이름"},
    {"editSsn1", "주민등록번호"},
    {"editSsn2", "주민등록번호"},
    {"editZip", "우편번호"},
    {"btnZip", "우편번호 검색"},
    {"editAddr1", "주소"},
    {"editAddr2", "상세 주소"},
    {"comboTel1", "집 전화"},
    {"editTel2", "집 전화"},
    {"editTel3", "집 전화"},
    {"comboCell1", "휴대전화"},
    {"editCell2", "휴대전화"},
    {"editCell3", "휴대전화"},
    {"editCaseNote", "참고 사항"},
    {"btnBack", "이전"},
    {"btnInit", "새로 입력"},
    {"btnSave", "저장"},
    {"btnDelete", "삭제"},
    {"editDong", "동(읍, 면) 이름"},
    {"btnSearch", "검색"},
    {"listZip", "검색 결과"},
    {"editAddress", "주소"},
    {"tabFire", "화재"},
    {"tabEmergency", "구급"},
    {"tabRescue", "구조"},
    {"tabDisaster", "재난"},
    {"tabEtc", "기타"},
    {"comboPatient", "환자 선택"},
    {"editPlace", "사고 장소"},
    {"editDetail", "상황 설명"},
    {"btnSend", "신고하기"},
    {"confirmName", "신고자"},
    {"confirmSsnFront", "주민등록번호"},
    {"confirmSsnBack", "주민등록번호"},
    {"confirmAddress", "주소"},
    {"confirmHomePhone", "집 전화"},
    {"confirmMobilePhone", "휴대전화"},
    {"confirmPlace", "사고 장소"},
    {"confirmContents", "상황 설명"},
    {"confirmYes", "예"},
    {"confirmNo", "아니오"},
    {"listHistory", "신고 내역"},
    {"editTitle", "제목"},
    {"editContents", "신고 내용"},
    {"btnStart", "시작"},
    {"btnFinish", "종료"},
};

// Every control of the window that takes the focus from the keyboard says at least the words it shows.
void ExpectNamed(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisible() || (control->focusPolicy() & Qt::TabFocus) != Qt::TabFocus || control->focusProxy()) {
            continue;
        }
        const QString name = control->objectName();
        const auto* button = qobject_cast<CXButton*>(control);
        QString words = button && !button->text().isEmpty() ? button->text() : QString();
        if (words.isEmpty() && kVisibleWords.count(name)) {
            words = kVisibleWords.at(name);
        }
        if (name.startsWith(QLatin1String("msgBox"))) {
            words = control->accessibleName(); // 확인, 예 or 아니오 as the box's mode shows
        }
        EXPECT_FALSE(words.isEmpty()) << "no words known for " << name.toStdString();
        EXPECT_TRUE(Heard(control).contains(words))
            << name.toStdString() << " is heard as \"" << Heard(control).toStdString() << "\", shows \""
            << words.toStdString() << "\"";
    }
}

// The tabs of a row that choose: each checkable, only the chosen one checked.
void ExpectChosenTab(QWidget* page, const QStringList& tabs, const QString& chosen) {
    for (const QString& name : tabs) {
        auto* tab = page->findChild<QWidget*>(name);
        if (!tab || !tab->isVisible()) {
            continue;
        }
        const QAccessible::State state = QAccessible::queryAccessibleInterface(tab)->state();
        EXPECT_TRUE(state.checkable) << name.toStdString();
        EXPECT_EQ(name == chosen, static_cast<bool>(state.checked)) << name.toStdString();
    }
}

QWidget* ActiveWindow() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        return popup;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

QWidget* Focused() {
    QWidget* window = ActiveWindow();
    if (qobject_cast<QMenu*>(window)) {
        return window;
    }
    return window ? window->focusWidget() : nullptr;
}

// The keyboard journey: every key pressed and where the focus went, as a screen reader tells it.
struct Journey {
    std::vector<std::pair<QString, QString>> steps;

    void Note(const QString& key) {
        // What the screen reader sees once the window system has said which window is active.
        for (int i = 0; i < 50 && !Focused(); ++i) {
            QTest::qWait(1);
        }
        QWidget* focused = Focused();
        ASSERT_NE(nullptr, focused) << "the focus went nowhere after " << key.toStdString();
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(focused);
        ASSERT_NE(nullptr, control);
        const QString heard = qobject_cast<QMenu*>(focused) ? control->text(QAccessible::Name) : Heard(focused);
        ASSERT_FALSE(heard.isEmpty()) << focused->objectName().toStdString() << " has no name, after "
                                      << key.toStdString();
        steps.emplace_back(key, QStringLiteral("%1 \"%2\"").arg(RoleName(control->role()), heard));
    }
    static QString RoleName(QAccessible::Role role) {
        switch (role) {
        case QAccessible::Button:
            return QStringLiteral("button");
        case QAccessible::EditableText:
            return QStringLiteral("text");
        case QAccessible::ComboBox:
            return QStringLiteral("combo box");
        case QAccessible::Table:
            return QStringLiteral("table");
        case QAccessible::PopupMenu:
            return QStringLiteral("menu");
        case QAccessible::CheckBox:
            return QStringLiteral("check box");
        default:
            return QString::number(role);
        }
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focused = Focused();
        ASSERT_NE(nullptr, focused);
        QTest::keyClick(focused, key, modifiers);
        Note(QKeySequence(static_cast<int>(key) | static_cast<int>(modifiers)).toString());
    }
    void Type(const QString& text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, Focused(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        Note(QStringLiteral("\"%1\"").arg(text));
    }
    // Tab until the control comes, as a person listening for it would; never more than a window's worth.
    void TabTo(const char* objectName) {
        for (int i = 0; i < 40; ++i) {
            if (Focused() && Focused()->objectName() == QLatin1String(objectName)) {
                return;
            }
            Press(Qt::Key_Tab);
        }
        FAIL() << "Tab never reached " << objectName;
    }
    // Keys for the modal window or menu that comes up next; the caller's key then opens it.
    static void Then(std::function<void()> act) {
        QWidget* before = ActiveWindow();
        auto* poll = new QTimer;
        auto left = std::make_shared<int>(2000);
        QObject::connect(poll, &QTimer::timeout, [poll, before, act, left] {
            QWidget* up = QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                            : QApplication::activeModalWidget();
            if (up && up != before && up->isVisible()) {
                poll->deleteLater();
                poll->stop();
                act();
            } else if (--*left == 0) {
                poll->deleteLater();
                poll->stop();
                ADD_FAILURE() << "the window that was to come up did not";
            }
        });
        poll->start(10);
    }
};

TEST(Accessibility, TheWholeWayByKeyboardAloneWithEveryControlNamed) {
    CentreProcess centre;
    ASSERT_TRUE(centre.Running()) << centre.Log();
    ProgramFolder folder(centre.Host(), "1.0.0.0");
    Prompts prompts;
    auto app = MakeClient(folder, prompts, 10000);
    app->SetPrompter({}); // the real message boxes
    ASSERT_TRUE(app->StartUp());
    MainDialog& window = *app->MainWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    Journey j;
    j.Note(QStringLiteral("start"));
    EXPECT_EQ(QLatin1String("btnRegistUser"), Focused()->objectName());
    ExpectNamed(&window);

    // Registration, with the postal code found in its dialog.
    j.Press(Qt::Key_Return);
    QWidget* information = window.PageAt(MainDialog::kUserInformationPage);
    ExpectNamed(&window);
    j.Type(QStringLiteral("홍길동"));
    j.TabTo("editSsn1");
    j.Type(QStringLiteral("800101"));
    j.TabTo("editSsn2");
    j.Type(QStringLiteral("1234567"));
    j.TabTo("btnZip");
    QString announced;
    Journey::Then([&] {
        QWidget* search = ActiveWindow();
        j.Note(QStringLiteral("(opened)"));
        ExpectNamed(search);
        j.Type(QStringLiteral("사직동"));
        j.Press(Qt::Key_Return);
        announced = static_cast<CXDialog*>(search)->Announced();
        j.Press(Qt::Key_Return);
    });
    j.Press(Qt::Key_Return);
    EXPECT_TRUE(announced.startsWith(QStringLiteral("검색 결과 "))) << announced.toStdString();
    EXPECT_EQ(QLatin1String("editAddr2"), Focused()->objectName());
    j.Type(QStringLiteral("12번지"));
    j.TabTo("btnSave");
    Journey::Then([&] {
        j.Note(QStringLiteral("(asked)"));
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(ActiveWindow());
        EXPECT_EQ(QAccessible::AlertMessage, box->role());
        EXPECT_TRUE(box->state().modal);
        ExpectNamed(ActiveWindow());
        j.Press(Qt::Key_Return); // 아니오: no second person now
    });
    j.Press(Qt::Key_Return);
    ASSERT_EQ(1, app->Env().PersonCount()) << "registered";
    ASSERT_EQ(MainDialog::kReportPage, window.CurrentPage());

    // A medical report for the person just registered.
    QWidget* report = window.PageAt(MainDialog::kReportPage);
    ASSERT_NE(nullptr, qobject_cast<CXSkinWidget*>(report));
    EXPECT_EQ(QLatin1String("tabFire"), Focused()->objectName()) << "the page starts on its first choice";
    ExpectNamed(&window);
    ExpectChosenTab(report, {"tabPerson0"}, "tabPerson0");
    j.TabTo("tabEmergency");
    j.Press(Qt::Key_Space);
    ExpectChosenTab(report, {"tabFire", "tabEmergency", "tabRescue", "tabDisaster", "tabEtc"}, "tabEmergency");
    EXPECT_EQ(QLatin1String("comboPatient"), Focused()->objectName());
    j.TabTo("editDetail");
    j.Type(QStringLiteral("숨을 잘 못 쉽니다"));
    j.TabTo("btnSend");
    Journey::Then([&] {
        QWidget* confirm = ActiveWindow();
        j.Note(QStringLiteral("(opened)"));
        ExpectNamed(confirm);
        QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(confirm);
        EXPECT_TRUE(dialog->state().modal);
        EXPECT_TRUE(dialog->text(QAccessible::Description).startsWith(QStringLiteral("신고 유형 [구급]")));
        // Read in the order shown: the question first, the answers last.
        QStringList read;
        for (int i = 0; i < dialog->childCount(); ++i) {
            read << dialog->child(i)->text(QAccessible::Name);
        }
        EXPECT_EQ(QStringLiteral("신고 유형"), read.value(0));
        EXPECT_EQ(QStringLiteral("구급"), read.value(1));
        EXPECT_EQ(QStringLiteral("아니오"), read.value(read.size() - 1));
        j.Press(Qt::Key_Tab);
        j.Press(Qt::Key_Tab); // past 아니오 to the first field being confirmed
        EXPECT_EQ(QLatin1String("confirmName"), Focused()->objectName());
        j.Press(Qt::Key_Tab, Qt::ShiftModifier);
        j.Press(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(QLatin1String("confirmYes"), Focused()->objectName());
        Journey::Then([&] {
            j.Note(QStringLiteral("(told)"));
            EXPECT_EQ(QAccessible::AlertMessage, QAccessible::queryAccessibleInterface(ActiveWindow())->role());
            j.Press(Qt::Key_Return);
        });
        j.Press(Qt::Key_Return);
    });
    j.Press(Qt::Key_Return);
    EXPECT_EQ(QStringLiteral("신고를 보내고 있습니다."), qobject_cast<CXSkinWidget*>(report)->Announced());

    // The history, through the menu.
    j.TabTo("btnHistory");
    j.Press(Qt::Key_Return);
    ASSERT_EQ(MainDialog::kHistoryPage, window.CurrentPage());
    auto* list = window.PageAt(MainDialog::kHistoryPage)->findChild<CXListCtrl*>("listHistory");
    EXPECT_EQ(1, list->rowCount());
    EXPECT_EQ(list, Focused());
    ExpectNamed(&window);
    ExpectChosenTab(window.PageAt(MainDialog::kHistoryPage), {"tabPerson0"}, "tabPerson0");
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list);
    EXPECT_EQ(4, table->tableInterface()->columnCount()) << "no hidden columns";
    j.Press(Qt::Key_Tab);
    EXPECT_FALSE(table->tableInterface()->cellAt(0, 0)->state().focused) << "no focus left behind in the list";

    // From the last menu button round to the page, and Escape back to the page's start.
    j.TabTo("btnEnd");
    j.Press(Qt::Key_Escape);
    EXPECT_EQ(QLatin1String("tabPerson0"), Focused()->objectName());
    j.Press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QLatin1String("btnClose"), Focused()->objectName());
    j.Press(Qt::Key_Tab);
    EXPECT_EQ(QLatin1String("tabPerson0"), Focused()->objectName());

    // The person's page: the stored person and the edit's own buttons.
    j.TabTo("btnUser");
    j.Press(Qt::Key_Return);
    ExpectNamed(&window);
    j.Press(Qt::Key_Return);
    EXPECT_EQ(MainDialog::kUserInformationPage, window.CurrentPage());
    EXPECT_TRUE(information->isAncestorOf(Focused()));
    ExpectNamed(&window);

    // The About box, from the window menu.
    Journey::Then([&] {
        j.Note(QStringLiteral("(menu)"));
        Journey::Then([&] {
            j.Note(QStringLiteral("(opened)"));
            EXPECT_EQ(QLatin1String("CAboutDlg"), ActiveWindow()->objectName());
            QTest::keyClick(Focused(), Qt::Key_Return); // where the focus goes shows once the box is gone
        });
        j.Press(Qt::Key_A);
    });
    j.Press(Qt::Key_Space, Qt::AltModifier);

    QString walked;
    for (const auto& [key, focus] : j.steps) {
        walked += key + QStringLiteral(" -> ") + focus + QLatin1Char('\n');
    }
    std::cout << walked.toStdString();
    app->Exit();

    // The updater's window.
    UpdaterDialog::Options options;
    options.programFolder = folder.Folder();
    options.lockFolder = folder.locks.Str();
    UpdaterDialog updater(options);
    updater.show();
    EXPECT_EQ(QStringLiteral("Halvren 업데이트"),
              QAccessible::queryAccessibleInterface(&updater)->text(QAccessible::Name));
    ExpectNamed(&updater);
}

// What the accessibility bus carried, and for which control.
std::vector<std::pair<const QObject*, QString>>* g_heard = nullptr;

void Record(QAccessibleEvent* event) {
    QString text;
    switch (event->type()) {
    case QAccessible::TextInserted:
        text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
        break;
    case QAccessible::TextRemoved:
        text = static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
        break;
    case QAccessible::TextUpdated:
        text = static_cast<QAccessibleTextUpdateEvent*>(event)->textRemoved() +
               static_cast<QAccessibleTextUpdateEvent*>(event)->textInserted();
        break;
    case QAccessible::ValueChanged:
        text = static_cast<QAccessibleValueChangeEvent*>(event)->value().toString();
        break;
    default:
        return;
    }
    g_heard->emplace_back(event->object(), text);
}

TEST(Accessibility, APasswordFieldNeverPutsItsTextOnTheBus) {
    std::vector<std::pair<const QObject*, QString>> heard;
    g_heard = &heard;
    QAccessible::installUpdateHandler(Record);
    InstallSkinAccessibility(); // the guard goes in front of the recorder, as in front of the bridge
    {
        // Offscreen there is no bridge to switch accessibility on, so a field sends nothing by itself: these are
        // the events a field sends on a desktop with a screen reader, for typing, erasing and setting its text.
        CXDialog window;
        auto* secret = new CXEdit(&window);
        secret->setEchoMode(QLineEdit::Password);
        auto* plain = new CXEdit(&window);
        secret->setText(QStringLiteral("1234567"));
        // Qt hands every event to the hook in place; offscreen it asks no hook at all, so the test hands them on.
        const QAccessible::UpdateHandler guard = QAccessible::installUpdateHandler(nullptr);
        QAccessible::installUpdateHandler(guard);
        ASSERT_NE(nullptr, guard);
        const auto send = [guard](QAccessibleEvent&& event) { guard(&event); };
        for (QObject* field : {static_cast<QObject*>(secret), static_cast<QObject*>(plain)}) {
            send(QAccessibleTextInsertEvent(field, 0, QStringLiteral("1")));
            send(QAccessibleTextRemoveEvent(field, 0, QStringLiteral("1")));
            send(QAccessibleTextUpdateEvent(field, 0, QStringLiteral("42"), QStringLiteral("1234567")));
            send(QAccessibleValueChangeEvent(field, QStringLiteral("1234567")));
        }
        int secretEvents = 0;
        int plainEvents = 0;
        for (const auto& [object, text] : heard) {
            if (object == secret) {
                ++secretEvents;
                EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("[0-9]")))) << text.toStdString();
                EXPECT_FALSE(text.isEmpty()) << "how many characters there are is still told";
            }
            plainEvents += object == plain && text.contains(QLatin1Char('1')) ? 1 : 0;
        }
        EXPECT_EQ(4, secretEvents);
        EXPECT_EQ(4, plainEvents) << "a plain field's words pass as they are";
    }
    QAccessible::installUpdateHandler(nullptr);
    InstallSkinAccessibility();
    g_heard = nullptr;
}

} // namespace

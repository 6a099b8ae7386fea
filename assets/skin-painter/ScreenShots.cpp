// Renders the message box in both modes and the skin on real controls in every state into PNG files, for
// review of the look without a desktop.
//
//   halvren-screens <program folder> <output folder>

#include "client/dialogs/CDlgMsgBox.h"
#include "skin/CXButton.h"
#include "skin/CXComboBox.h"
#include "skin/CXDialog.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/CXStatic.h"
#include "skin/CXTransparentStatic.h"
#include "skin/SkinCatalogue.h"
#include "skin/SkinResources.h"
#include "skin/UiText.h"

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QTimer>
#include <cstdio>

namespace {

struct Shots {
    QString folder;
    bool ok = true;

    void Save(QWidget& widget, const QString& name) {
        const QString path = folder + QLatin1Char('/') + name;
        if (!widget.grab().save(path, "PNG")) {
            std::fprintf(stderr, "screens: cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
};

void Hover(CXButton* button) {
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(button, &enter);
}

CXButton* Button(QWidget* parent, SkinCatalogue& skin, int x, int y, const char* normal, const char* hover) {
    auto* button = new CXButton(parent);
    button->move(x, y);
    button->SetBitmaps(skin.GetImage(hover), CXButton::kMagenta, skin.GetImage(normal), CXButton::kMagenta);
    button->SizeToContent();
    return button;
}

CXTransparentStatic* Picture(QWidget* parent, SkinCatalogue& skin, int x, int y, const char* name) {
    auto* label = new CXTransparentStatic(parent);
    if (const QPixmap* pixmap = skin.GetImage(name)) {
        label->setPixmap(*pixmap);
        label->setGeometry(x, y, pixmap->width(), pixmap->height());
    }
    return label;
}

CXEdit* Field(QWidget* parent, const QRect& where, const QString& text) {
    auto* edit = new CXEdit(parent);
    edit->setGeometry(where);
    edit->setText(text);
    return edit;
}

CXComboBox* Combo(QWidget* parent, const QRect& where, const QStringList& items) {
    auto* combo = new CXComboBox(parent);
    combo->setGeometry(where.x(), where.y(), where.width(), 24);
    combo->addItems(items);
    return combo;
}

// The main window around the report page, with tabs in each of their states.
void MainWithReportPage(SkinCatalogue& skin, Shots& shots) {
    CXDialog main;
    main.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    main.resize(1024, 750);
    main.SetBackground(skin.GetImage("main_bg.bmp"));
    Picture(&main, skin, 0, 0, "title.bmp");
    Picture(&main, skin, 0, 624, "menu_bar.bmp");
    Picture(&main, skin, 17, 33, "left_Step_SendCall.bmp");
    Picture(&main, skin, 448, 33, "right_Step.bmp");
    Button(&main, skin, 18, 637, "menu_main.bmp", "menu_main_o.bmp");
    Hover(Button(&main, skin, 279, 649, "menu_user.bmp", "menu_user_o.bmp"));
    Button(&main, skin, 530, 649, "menu_history.bmp", "menu_history_o.bmp");
    Button(&main, skin, 832, 652, "menu_help.bmp", "menu_help_o.bmp");
    Button(&main, skin, 927, 652, "menu_close.bmp", "menu_close_o.bmp");
    Button(&main, skin, 978, 6, "btn_min.bmp", "btn_min_o.bmp");
    Hover(Button(&main, skin, 998, 6, "btn_x.bmp", "btn_x_o.bmp"));

    auto* page = new CXDialog(&main);
    page->setWindowFlags(Qt::Widget);
    page->setGeometry(17, 87, 988, 537);
    page->SetBackground(skin.GetImage("SendCall_BG.bmp"));
    const QStringList names = {QStringLiteral("홍길동"), QStringLiteral("김철수"), QStringLiteral("이영희")};
    for (int i = 0; i < names.size(); ++i) {
        auto* tab = new CXButton(page);
        CXButton::SetupTabButton(skin, *tab, 109 + 169 * i, 10, "SendCall_UserTab_o.bmp", "SendCall_UserTab_n.bmp",
                                 "SendCall_UserTab_s.bmp");
        tab->setText(names[i]);
        tab->SetNormalTextColor(QColor(31, 91, 142));
        tab->SetHoverTextColor(QColor(0, 0, 0));
        tab->SetSelectedTextColor(QColor(255, 255, 243));
        tab->SetSelected(i == 0);
        if (i == 1) {
            Hover(tab);
        }
    }
    const char* categories[] = {"Fire", "Emergency", "Rescue", "Disaster", "Etc"};
    for (int i = 0; i < 5; ++i) {
        const std::string base = std::string("Tab_") + categories[i];
        auto* tab = new CXButton(page);
        CXButton::SetupTabButton(skin, *tab, 109 + 169 * i, 222, base + "_o.bmp", base + "_n.bmp", base + "_s.bmp");
        tab->SetSelected(i == 1);
        if (i == 2) {
            Hover(tab);
        } else if (i == 3) {
            tab->setDown(true);
        } else if (i == 4) {
            tab->setEnabled(false);
        }
    }
    Field(page, QRect(249, 76, 672, 22), QStringLiteral("서울특별시 중구 세종대로 110"));
    Combo(page, QRect(245, 106, 110, 170), {QStringLiteral("02"), QStringLiteral("031")});
    Field(page, QRect(382, 110, 50, 22), QStringLiteral("1234"));
    Field(page, QRect(462, 110, 50, 22), QStringLiteral("5678"));
    Combo(page, QRect(657, 106, 110, 170), {QStringLiteral("010"), QStringLiteral("011")});
    Field(page, QRect(794, 110, 50, 22), QStringLiteral("9876"));
    Field(page, QRect(872, 110, 50, 22), QStringLiteral("5432"));
    Picture(page, skin, 120, 292, "SendCall_Patient.bmp");
    Combo(page, QRect(245, 288, 271, 150), {QStringLiteral("홍길동"), QStringLiteral("기타환자")});
    Field(page, QRect(249, 328, 672, 22), QStringLiteral("시청 앞 교차로"));
    Button(page, skin, 379, 459, "btn_call.bmp", "btn_call_o.bmp");
    main.show();
    shots.Save(main, QStringLiteral("main_report.png"));
}

void UserPages(SkinCatalogue& skin, Shots& shots) {
    {
        CXDialog page;
        page.resize(988, 537);
        page.SetBackground(skin.GetImage("UserInfo_BG.bmp"));
        Field(&page, QRect(225, 39, 674, 22), QStringLiteral("홍길동"));
        Field(&page, QRect(225, 90, 99, 22), QStringLiteral("800101"));
        auto* back = Field(&page, QRect(354, 90, 99, 22), QStringLiteral("1234567"));
        back->setEchoMode(QLineEdit::Password);
        Field(&page, QRect(225, 124, 230, 22), QStringLiteral("100 - 744"))->setAlignment(Qt::AlignCenter);
        Button(&page, skin, 528, 114, "btn_zip.bmp", "btn_zip_o.bmp");
        Field(&page, QRect(225, 176, 674, 22), QStringLiteral("서울특별시 중구 세종대로"));
        Field(&page, QRect(225, 210, 674, 22), QStringLiteral("110"));
        Combo(&page, QRect(221, 258, 110, 170), {QStringLiteral("02")});
        Combo(&page, QRect(221, 292, 110, 170), {QStringLiteral("010")});
        Button(&page, skin, 42, 466, "btn_back.bmp", "btn_back_o.bmp");
        Hover(Button(&page, skin, 197, 466, "btn_first.bmp", "btn_first_o.bmp"));
        Button(&page, skin, 648, 466, "btn_ok.bmp", "btn_ok_o.bmp");
        Button(&page, skin, 803, 466, "btn_del.bmp", "btn_del_o.bmp");
        page.show();
        shots.Save(page, QStringLiteral("page_user_information.png"));
    }
    for (bool persons : {true, false}) {
        CXDialog page;
        page.resize(988, 537);
        page.SetControlBackgroundColor(Qt::white);
        Picture(&page, skin, 30, 20, persons ? "UserSelect_title.bmp" : "UserRegist_title.bmp");
        if (persons) {
            const int ys[] = {139, 235, 331};
            const QStringList names = {QStringLiteral("홍길동"), QStringLiteral("김철수"), QStringLiteral("이영희")};
            for (int i = 0; i < 3; ++i) {
                auto* b = Button(&page, skin, 290, ys[i], "btn_user.bmp", "btn_user_o.bmp");
                b->setText(names[i]);
                b->SetTextFont(false, 24, true, QStringLiteral("돋움"));
                b->SetNormalTextColor(QColor(31, 91, 142));
                b->SetHoverTextColor(QColor(255, 255, 243));
                if (i == 1) {
                    Hover(b);
                }
            }
            Button(&page, skin, 712, 407, "btn_UserAdd.bmp", "btn_UserAdd_o.bmp");
        } else {
            Button(&page, skin, 300, 221, "btn_UserRegist.bmp", "btn_UserRegist_o.bmp");
        }
        page.show();
        shots.Save(page, persons ? QStringLiteral("page_user_selection.png") : QStringLiteral("page_user_none.png"));
    }
}

void HistoryPage(SkinCatalogue& skin, Shots& shots) {
    CXDialog page;
    page.resize(988, 537);
    page.SetBackground(skin.GetImage("History_BG.bmp"));
    const QStringList names = {QStringLiteral("홍길동"), QStringLiteral("김철수"), QStringLiteral("이영희")};
    for (int i = 0; i < names.size(); ++i) {
        auto* tab = new CXButton(&page);
        CXButton::SetupTabButton(skin, *tab, 38 + 206 * i, 16, "Histroy_UserTab_o.bmp", "Histroy_UserTab_n.bmp",
                                 "Histroy_UserTab_s.bmp");
        tab->setText(names[i]);
        tab->SetNormalTextColor(QColor(31, 91, 142));
        tab->SetHoverTextColor(QColor(0, 0, 0));
        tab->SetSelectedTextColor(QColor(255, 255, 243));
        tab->SetBottomCaption(true);
        tab->SetSelected(i == 0);
    }
    auto* list = new CXListCtrl(&page);
    list->setGeometry(67, 150, 855, 130);
    list->AddColumn('L', 166, QStringLiteral("작성일자"));
    list->AddColumn('L', 395, QStringLiteral("제목"));
    list->AddColumn('C', 148, QStringLiteral("진행상태"));
    list->AddColumn('C', 145, QStringLiteral("작성자"));
    for (int i = 0; i < 2; ++i) {
        const int row = list->InsertItem(i, QStringLiteral("2026-12-0%1").arg(i + 5));
        list->SetItemText(row, 1, i ? QStringLiteral("구급 신고") : QStringLiteral("화재 신고"));
        list->SetItemText(row, 2, i ? QStringLiteral("처리 완료") : QStringLiteral("접수"));
        list->SetItemText(row, 3, QStringLiteral("홍길동"));
        list->setRowHeight(row, 28);
    }
    list->selectRow(0);
    Field(&page, QRect(201, 330, 716, 24), QStringLiteral("시청 앞 교차로"));
    Field(&page, QRect(201, 365, 716, 24), QStringLiteral("화재 신고"));
    page.show();
    shots.Save(page, QStringLiteral("page_history.png"));
}

// Dialog backgrounds built into the programs, with the controls the dialogs place on them.
void ResourceWindows(Shots& shots) {
    {
        CXDialog confirm;
        confirm.resize(850, 636);
        confirm.SetBackground(169);
        auto* picture = new CXTransparentStatic(&confirm);
        picture->setPixmap(LoadResourceBitmap(170));
        picture->setGeometry(250, 70, 56, 34);
        Field(&confirm, QRect(164, 206, 250, 22), QStringLiteral("홍길동"))->setReadOnly(true);
        auto* yes = new CXButton(&confirm);
        yes->move(307, 544);
        yes->SetBitmaps(164, CXButton::kMagenta, 163, CXButton::kMagenta, 175, CXButton::kMagenta);
        yes->SizeToContent();
        auto* no = new CXButton(&confirm);
        no->move(452, 544);
        no->SetBitmaps(166, CXButton::kMagenta, 165, CXButton::kMagenta, 176, CXButton::kMagenta);
        no->SizeToContent();
        confirm.show();
        shots.Save(confirm, QStringLiteral("dialog_confirm.png"));
    }
    {
        CXDialog zip;
        zip.resize(800, 600);
        zip.SetBackground(167);
        Field(&zip, QRect(232, 115, 250, 26), QStringLiteral("세종로"));
        auto* search = new CXButton(&zip);
        search->move(612, 108);
        search->SetBitmaps(161, CXButton::kMagenta, 160, CXButton::kMagenta);
        search->SizeToContent();
        auto* close = new CXButton(&zip);
        close->move(775, 5);
        close->SetBitmaps(149, CXButton::kMagenta, 148, CXButton::kMagenta);
        close->SizeToContent();
        auto* list = new CXListCtrl(&zip);
        list->setGeometry(27, 199, 747, 365);
        list->AddColumn('C', 177, QStringLiteral("우편번호"));
        list->AddColumn('L', 570, QStringLiteral("주 소"));
        list->SetItemText(list->InsertItem(0, QStringLiteral("110 - 760")), 1, QStringLiteral("서울 종로구 세종로"));
        zip.show();
        shots.Save(zip, QStringLiteral("dialog_postal_code.png"));
    }
}

// One button per state, with and without a third image, on a page background.
void ButtonStates(SkinCatalogue& skin, Shots& shots) {
    CXDialog demo;
    demo.resize(760, 150);
    demo.SetBackground(skin.GetImage("SendCall_BG.bmp"));
    const QStringList states = {QStringLiteral("보통"),   QStringLiteral("마우스"), QStringLiteral("누름"),
                                QStringLiteral("포커스"), QStringLiteral("선택"),   QStringLiteral("사용 불가")};
    for (int i = 0; i < states.size(); ++i) {
        auto* b = new CXButton(&demo);
        CXButton::SetupTabButton(skin, *b, 10 + 124 * i, 10, "SendCall_UserTab_o.bmp", "SendCall_UserTab_n.bmp",
                                 "SendCall_UserTab_s.bmp");
        b->resize(120, 50);
        b->setText(states[i]);
        b->SetNormalTextColor(QColor(31, 91, 142));
        b->SetHoverTextColor(QColor(0, 0, 0));
        b->SetSelectedTextColor(QColor(255, 255, 243));
        auto* plain = Button(&demo, skin, 10 + 124 * i, 80, "btn_ok.bmp", "btn_ok_o.bmp");
        plain->resize(120, 54);
        switch (i) {
        case 1:
            Hover(b);
            Hover(plain);
            break;
        case 2:
            b->setDown(true);
            plain->setDown(true);
            break;
        case 3:
            b->setFocus();
            break;
        case 4:
            b->SetSelected(true);
            plain->SetSelected(true);
            break;
        case 5:
            b->setEnabled(false);
            plain->setEnabled(false);
            break;
        default:
            break;
        }
    }
    demo.show();
    demo.activateWindow();
    QApplication::processEvents();
    shots.Save(demo, QStringLiteral("button_states.png"));
}

void MessageBoxes(Shots& shots) {
    CDlgMsgBox box;
    const std::string notice =
        *FromUi(QStringLiteral("신고가 정상적으로 접수되었습니다.\r\n잠시 후 연락드리겠습니다."));
    const std::string question = *FromUi(QStringLiteral("입력하신 전화번호를 저장하시겠습니까?"));
    for (int mode : {CDlgMsgBox::kModeNotice, CDlgMsgBox::kModeQuestion}) {
        QTimer::singleShot(50, &box, [&box, &shots, mode] {
            shots.Save(box, mode ? QStringLiteral("msgbox_question.png") : QStringLiteral("msgbox_notice.png"));
            box.done(2);
        });
        box.Show(mode ? question : notice, mode);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <program folder> <output folder>\n", argv[0]);
        return 2;
    }
    InstallSkinFonts();
    Shots shots{QString::fromLocal8Bit(argv[2])};
    QDir().mkpath(shots.folder);
    SkinCatalogue skin(argv[1], [&shots](const std::string& name) {
        std::fprintf(stderr, "screens: missing skin file %s\n", name.c_str());
        shots.ok = false;
    });
    MainWithReportPage(skin, shots);
    UserPages(skin, shots);
    HistoryPage(skin, shots);
    ResourceWindows(shots);
    ButtonStates(skin, shots);
    MessageBoxes(shots);
    return shots.ok ? 0 : 1;
}

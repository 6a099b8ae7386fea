// Pictures of the live client for review: the real application, its real windows and texts, talking to a
// centre stand-in. Only what the client really shows is pictured.
//
//   halvren_screens <program folder of the build> <output folder> <centre host:port>

#include "client/app/ClientApp.h"
#include "client/app/DraftKeeper.h"
#include "client/app/MainDialog.h"
#include "client/app/PageWidget.h"
#include "client/dialogs/CDlgZip.h"
#include "client/env/Environment.h"
#include "client/history/CDlg_InquireHistory.h"
#include "client/protocol/HttpTransport.h"
#include "client/report/CDlg_SendCall.h"
#include "client/users/CDlg_UserInformation.h"
#include "platform/Codec.h"
#include "protocol/ReportMessage.h"
#include "protocol/TagReader.h"
#include "skin/CXBalloonTip.h"
#include "skin/CXEdit.h"
#include "skin/CXListCtrl.h"
#include "skin/CXTextEdit.h"
#include "skin/SkinResources.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct Shots {
    QString folder;
    bool ok = true;

    void Save(QWidget* widget, const char* name) { SavePicture(widget ? widget->grab() : QPixmap(), name); }

    void SavePicture(const QPixmap& picture, const char* name) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(name);
        if (picture.isNull() || !picture.save(path, "PNG")) {
            std::fprintf(stderr, "screens: cannot picture %s\n", qPrintable(path));
            ok = false;
        }
    }

    // Pictures the window of `page` with the balloon tip of `control` up, as the mouse resting on it brings it.
    void SaveWithTip(PageWidget* page, QWidget* control, const char* name) {
        CXBalloonTip* tip = page->ToolTip();
        if (!tip) {
            Save(nullptr, name);
            return;
        }
        tip->ShowFor(control, control->mapToGlobal(QPoint(12, 12)));
        SavePicture(tip->GrabOver(page->window()), name);
        tip->hide();
    }

    // Pictures the modal window that `open` brings up, then closes it with `result`.
    template <typename Open> void SaveModal(const char* name, int result, Open open) {
        QTimer::singleShot(50, [this, name, result] {
            QWidget* modal = QApplication::activeModalWidget();
            Save(modal, name);
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->done(result);
            }
        });
        open();
    }
};

// A program folder laid out as installed, with settings that point at the stand-in.
struct Installation {
    QTemporaryDir dir;
    QTemporaryDir locks;

    Installation(const fs::path& dist, const std::string& centre) {
        const fs::path root = dir.path().toStdString();
        fs::create_symlink(fs::absolute(dist / "libKavrel.so"), root / "libKavrel.so");
        fs::create_directory_symlink(fs::absolute(dist / "images"), root / "images");
        fs::copy_file(dist / "TxtRes.rsc", root / "TxtRes.rsc");
        std::ofstream(root / "EnvSet.ini") << "[DEFAULT]\r\nCURRENT_VERSION=1.0.0.0\r\nURL=" << centre << "\r\n";
    }

    // Stores persons through the client's own person store, as registration leaves them.
    bool StorePersons(const std::vector<Person>& persons) const {
        Environment env(dir.path().toStdString() + "/");
        for (const Person& person : persons) {
            auto copy = std::make_unique<Person>(person);
            env.PersonMap().Insert(copy->Ssn, std::move(copy));
        }
        return env.IsReady() && env.SavePersons();
    }

    std::unique_ptr<ClientApp> Start() const {
        ClientApp::Options options;
        options.programFolder = dir.path().toStdString() + "/";
        options.lockFolder = locks.path().toStdString();
        auto app = std::make_unique<ClientApp>(options);
        if (!app->StartUp()) {
            std::fprintf(stderr, "screens: the client did not start (is the centre stand-in up?)\n");
            return nullptr;
        }
        return app;
    }
};

void FirstStart(const Installation& installation, Shots& shots) {
    auto app = installation.Start();
    if (!app) {
        shots.ok = false;
        return;
    }
    Environment& env = app->Env();
    shots.Save(app->MainWindow(), "main_first_start.png");
    shots.SaveModal("msgbox_notice.png", 1, [&] { app->ShowMessage(env.GetText("MESSAGE", "MSG_SendCall_Success")); });
    shots.SaveModal("msgbox_question.png", 2,
                    [&] { app->ShowQuestion(env.GetText("MESSAGE", "MSG_UserInfo_Changed")); });
    app->Exit();
}

// Two residents of the stand-in registered through the windows: the search of their postal code, the filled
// page, and the selection page and edit page afterwards.
void Persons(const Installation& installation, Shots& shots) {
    auto app = installation.Start();
    if (!app) {
        shots.ok = false;
        return;
    }
    app->SetPrompter([](const std::string&, int) { return 1; }); // go on registering after each save
    MainDialog& window = *app->MainWindow();
    app->ChangePage(1);
    shots.Save(&window, "select_user_none.png");
    auto* page = static_cast<CDlg_UserInformation*>(window.PageAt(2));
    const struct {
        const char* name;
        const char* front;
        const char* back;
        const char* dong;
        const char* rest;
    } residents[] = {{"홍길동", "800101", "1234567", "사직동", "101동 1203호"},
                     {"김영희", "850315", "2345678", "둔산동", "한빛아파트 7동 402호"}};
    for (const auto& r : residents) {
        app->Env().Selection().ClearPerson();
        app->ChangePage(2);
        page->findChild<CXEdit*>("editName")->setText(QString::fromUtf8(r.name));
        page->findChild<CXEdit*>("editSsn1")->setText(QLatin1String(r.front));
        page->findChild<CXEdit*>("editSsn2")->setText(QLatin1String(r.back));
        QTimer::singleShot(50, [&] {
            auto* search = qobject_cast<CDlgZip*>(QApplication::activeModalWidget());
            if (!search) {
                shots.Save(nullptr, "zip_search.png");
                return;
            }
            search->findChild<CXEdit*>("editDong")->setText(QString::fromUtf8(r.dong));
            search->Search();
            if (&r == &residents[0]) {
                shots.Save(search, "zip_search.png");
            }
            search->Choose();
        });
        page->SearchPostalCode();
        page->findChild<CXEdit*>("editAddr2")->setText(QString::fromUtf8(r.rest));
        page->findChild<QComboBox*>("comboCell1")->setCurrentIndex(1);
        page->findChild<CXEdit*>("editCell2")->setText(QStringLiteral("1234"));
        page->findChild<CXEdit*>("editCell3")->setText(QStringLiteral("5678"));
        if (&r == &residents[0]) {
            shots.Save(&window, "user_information_new.png");
            // The tips of the fields where one was seen covering the next field.
            shots.SaveWithTip(page, page->findChild<CXEdit*>("editAddr2"), "user_information_tip_address.png");
            shots.SaveWithTip(page, page->findChild<CXEdit*>("editCell3"), "user_information_tip_mobile.png");
            shots.SaveWithTip(page, page->findChild<CXTextEdit*>("editCaseNote"), "user_information_tip_notes.png");
        }
        page->Save();
    }
    app->ChangePage(1);
    shots.Save(&window, "select_user_two.png");
    app->Env().Selection().SelectPerson("8001011234567");
    app->ChangePage(2);
    shots.Save(&window, "user_information_edit.png");
    if (app->Env().PersonCount() != 2) {
        std::fprintf(stderr, "screens: the two residents were not registered\n");
        shots.ok = false;
    }
    app->Exit();
}

// A medical report made on the report page for a person registered before, its confirmation, and the
// centre's answer.
void Report(const Installation& installation, Shots& shots) {
    auto app = installation.Start();
    if (!app) {
        shots.ok = false;
        return;
    }
    auto* page = static_cast<CDlg_SendCall*>(app->MainWindow()->PageAt(MainDialog::kReportPage));
    shots.Save(app->MainWindow(), "main_report_start.png");
    page->ChooseCategory(Selection::kMedical);
    auto* detail = page->findChild<CXTextEdit*>(QStringLiteral("editDetail"));
    detail->SetCp949Text(detail->Cp949Text() + platform::Cp949Of("\r\n쓰러져서 의식이 없습니다."));
    page->findChild<CXEdit*>(QStringLiteral("editPlace"))->SetCp949Text(platform::Cp949Of("세종대로 110 시청 앞"));
    shots.Save(app->MainWindow(), "main_report_filled.png");
    // The confirmation is pictured and answered yes; the report goes to the stand-in; its answer is pictured.
    QTimer::singleShot(50, [&shots] {
        QWidget* confirm = QApplication::activeModalWidget();
        shots.Save(confirm, "dialog_confirm.png");
        QTimer::singleShot(0, [confirm] {
            if (auto* dialog = qobject_cast<QDialog*>(confirm)) {
                dialog->done(1);
            }
        });
        QTimer::singleShot(300, [&shots] {
            QWidget* answer = QApplication::activeModalWidget();
            shots.Save(answer, "msgbox_report_sent.png");
            if (auto* box = qobject_cast<QDialog*>(answer)) {
                box->done(1);
            }
        });
    });
    page->Send();
    app->Exit();
}

// A report being written when the client was ended, and the next start's offer to continue it; yes brings the
// report page back as it was.
void DraftOffer(const Installation& installation, Shots& shots) {
    {
        auto app = installation.Start();
        if (!app) {
            shots.ok = false;
            return;
        }
        auto* page = static_cast<CDlg_SendCall*>(app->MainWindow()->PageAt(MainDialog::kReportPage));
        page->ChooseCategory(Selection::kRescue);
        page->findChild<CXEdit*>(QStringLiteral("editPlace"))
            ->SetCp949Text(platform::Cp949Of("한강공원 잠실 지구 선착장"));
        auto* detail = page->findChild<CXTextEdit*>(QStringLiteral("editDetail"));
        detail->SetCp949Text(platform::Cp949Of("사람이 물에 빠졌습니다.\r\n구명조끼를 입지 않았습니다."));
        emit page->DraftChanged();
        if (!app->MainWindow()->Draft().SaveNow()) {
            std::fprintf(stderr, "screens: the draft was not written\n");
            shots.ok = false;
        }
        app->Exit();
    }
    QTimer::singleShot(50, [&shots] {
        QWidget* offer = QApplication::activeModalWidget();
        shots.Save(offer, "msgbox_draft_offer.png");
        if (auto* box = qobject_cast<QDialog*>(offer)) {
            box->done(1);
        }
    });
    auto app = installation.Start();
    if (!app) {
        shots.ok = false;
        return;
    }
    shots.Save(app->MainWindow(), "main_report_draft_continued.png");
    app->Exit();
}

// The history page of a person who has reported twice, the older report picked. The reports are sent to the
// stand-in first, as the report page sends them.
void HistoryWithReports(const fs::path& dist, const std::string& centre, Shots& shots) {
    const Installation installation(dist, centre);
    Person person;
    person.Name = platform::Cp949Of("김영희");
    person.Ssn = "8503152345678";
    Person other;
    other.Name = platform::Cp949Of("이철수");
    other.Ssn = "5507081234567";
    if (!installation.StorePersons({other, person})) {
        std::fprintf(stderr, "screens: cannot store the persons\n");
        shots.ok = false;
        return;
    }
    auto app = installation.Start();
    if (!app) {
        shots.ok = false;
        return;
    }
    const Person& stored = **app->Env().PersonMap().Find(person.Ssn);
    struct Sent {
        int category;
        const char* place;
        const char* detail;
    };
    const Sent reports[] = {
        {1, "서울특별시 종로구 사직동 12번지 2층",
         "어머니가 갑자기 쓰러지셔서 의식이 없습니다.\r\n숨은 쉬고 계십니다."},
        {0, "서울특별시 종로구 사직동 15번지 앞 골목",
         "골목에 세워 둔 차량에서 연기가 납니다.\r\n주변에 사람은 없습니다."},
    };
    for (const Sent& sent : reports) {
        ReportFields report;
        report.name = stored.Name;
        report.storedSsn = stored.StoredSsn();
        report.place = platform::Cp949Of(sent.place);
        report.detail = platform::Cp949Of(sent.detail);
        report.title = ReportTitleFor(sent.category);
        if (!app->Transport().Send(ReportRequest(report)) ||
            app->Reader().CheckWork(app->Transport().Receive(), 11) != 1) {
            std::fprintf(stderr, "screens: the stand-in did not take the report\n");
            shots.ok = false;
        }
    }
    app->Env().Selection().SelectPerson(person.Ssn);
    app->ChangePage(MainDialog::kHistoryPage);
    auto* page = static_cast<CDlg_InquireHistory*>(app->MainWindow()->PageAt(MainDialog::kHistoryPage));
    page->List()->selectRow(1);
    page->ShowHistoryDetail();
    shots.Save(app->MainWindow(), "history_page.png");
    app->Exit();
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Halvren"));
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <program folder> <output folder> <centre host:port>\n", argv[0]);
        return 2;
    }
    InstallSkinFonts();
    Shots shots{QString::fromLocal8Bit(argv[2])};
    QDir().mkpath(shots.folder);
    const Installation installation(argv[1], argv[3]);
    FirstStart(installation, shots);
    Persons(installation, shots);
    Report(installation, shots);
    DraftOffer(installation, shots);
    HistoryWithReports(argv[1], argv[3], shots);
    return shots.ok ? 0 : 1;
}

// Pictures of the live client for review: the real application, its real windows and texts, talking to a
// centre stand-in. Only what the client really shows is pictured.
//
//   halvren_screens <program folder of the build> <output folder> <centre host:port>

#include "client/app/ClientApp.h"
#include "client/app/MainDialog.h"
#include "client/dialogs/CDlgZip.h"
#include "client/env/Environment.h"
#include "client/users/CDlg_UserInformation.h"
#include "skin/CXEdit.h"
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

    void Save(QWidget* widget, const char* name) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(name);
        if (!widget || !widget->grab().save(path, "PNG")) {
            std::fprintf(stderr, "screens: cannot picture %s\n", qPrintable(path));
            ok = false;
        }
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

// The person pages: the first start offers registration, two residents of the stand-in are registered through
// the windows (the postal-code search pictured on the way), and the selection page then shows them.
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
        app->Env().SelectedPersonKey.clear();
        app->ChangePage(2);
        page->findChild<CXEdit*>("edtName")->setText(QString::fromUtf8(r.name));
        page->findChild<CXEdit*>("edtSsn1")->setText(QLatin1String(r.front));
        page->findChild<CXEdit*>("edtSsn2")->setText(QLatin1String(r.back));
        QTimer::singleShot(50, [&] {
            auto* search = qobject_cast<CDlgZip*>(QApplication::activeModalWidget());
            if (!search) {
                shots.Save(nullptr, "zip_search.png");
                return;
            }
            search->findChild<CXEdit*>("edtDong")->setText(QString::fromUtf8(r.dong));
            search->Search();
            if (&r == &residents[0]) {
                shots.Save(search, "zip_search.png");
            }
            search->Choose();
        });
        page->SearchPostalCode();
        page->findChild<CXEdit*>("edtAddr2")->setText(QString::fromUtf8(r.rest));
        page->findChild<QComboBox*>("cboCell1")->setCurrentIndex(1);
        page->findChild<CXEdit*>("edtCell2")->setText(QStringLiteral("1234"));
        page->findChild<CXEdit*>("edtCell3")->setText(QStringLiteral("5678"));
        if (&r == &residents[0]) {
            shots.Save(&window, "user_information_new.png");
        }
        page->Save();
    }
    app->ChangePage(1);
    shots.Save(&window, "select_user_two.png");
    app->Env().SelectedPersonKey = "8001011234567";
    app->ChangePage(2);
    shots.Save(&window, "user_information_edit.png");
    if (app->Env().PersonCount() != 2) {
        std::fprintf(stderr, "screens: the two residents were not registered\n");
        shots.ok = false;
    }
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
    return shots.ok ? 0 : 1;
}

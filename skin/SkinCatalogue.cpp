#include "skin/SkinCatalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <array>

namespace {

constexpr std::array<const char*, 69> kSkinFiles = {
    // main window
    "title.bmp", "main_bg.bmp", "menu_bar.bmp", "left_Step_SendCall.bmp", "left_Step_selectUser.bmp",
    "left_Step_registUser.bmp", "left_Step_modifyUser.bmp", "left_Step_history.bmp", "right_Step.bmp", "menu_main.bmp",
    "menu_user.bmp", "menu_history.bmp", "menu_help.bmp", "menu_close.bmp", "btn_min.bmp", "btn_x.bmp",
    "menu_main_o.bmp", "menu_user_o.bmp", "menu_history_o.bmp", "menu_help_o.bmp", "menu_close_o.bmp", "btn_min_o.bmp",
    "btn_x_o.bmp",
    // user information page
    "btn_back.bmp", "btn_back_o.bmp",
    // user selection page
    "btn_user.bmp", "btn_user_o.bmp",
    // report page
    "SendCall_BG.bmp", "SendCall_Patient.bmp", "SendCall_TypeSelect.bmp", "btn_call.bmp", "btn_call_o.bmp",
    "SendCall_UserTab_n.bmp", "SendCall_UserTab_o.bmp", "SendCall_UserTab_s.bmp", "Tab_Fire_n.bmp", "Tab_Fire_o.bmp",
    "Tab_Fire_s.bmp", "Tab_Emergency_n.bmp", "Tab_Emergency_o.bmp", "Tab_Emergency_s.bmp", "Tab_Rescue_n.bmp",
    "Tab_Rescue_o.bmp", "Tab_Rescue_s.bmp", "Tab_Disaster_n.bmp", "Tab_Disaster_o.bmp", "Tab_Disaster_s.bmp",
    "Tab_Etc_n.bmp", "Tab_Etc_o.bmp", "Tab_Etc_s.bmp",
    // user selection page
    "UserSelect_title.bmp", "UserRegist_title.bmp", "btn_UserAdd.bmp", "btn_UserAdd_o.bmp", "btn_UserRegist.bmp",
    "btn_UserRegist_o.bmp",
    // user information page
    "UserInfo_BG.bmp", "btn_del.bmp", "btn_first.bmp", "btn_ok.bmp", "btn_zip.bmp", "btn_del_o.bmp", "btn_first_o.bmp",
    "btn_ok_o.bmp", "btn_zip_o.bmp",
    // history page
    "History_BG.bmp", "Histroy_UserTab_n.bmp", "Histroy_UserTab_o.bmp", "Histroy_UserTab_s.bmp"};

void ShowMissingImage(const std::string&) {
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), QStringLiteral("이미지가 없습니다."),
                    QMessageBox::Ok);
    box.exec();
}

} // namespace

SkinCatalogue::SkinCatalogue(const std::string& programFolder, MissingReporter reportMissing)
    : m_imagesFolder(programFolder), m_reportMissing(std::move(reportMissing)) {
    if (!m_imagesFolder.empty() && m_imagesFolder.back() != '/') {
        m_imagesFolder += '/';
    }
    m_imagesFolder += "images/";
    if (!m_reportMissing) {
        m_reportMissing = ShowMissingImage;
    }
    for (const char* name : kSkinFiles) {
        PreloadImage(name);
    }
}

std::span<const char* const> SkinCatalogue::SkinFiles() {
    return kSkinFiles;
}

QByteArray SkinCatalogue::Read(const std::string& name) const {
    QFile file(QFile::decodeName(QByteArray::fromStdString(m_imagesFolder + name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void SkinCatalogue::PreloadImage(const std::string& name) {
    m_images.Insert(name, Entry{Read(name), nullptr});
}

const QPixmap* SkinCatalogue::GetImage(const std::string& name) {
    Entry* entry = m_images.Find(name);
    if (entry && !entry->image && !entry->file.isEmpty()) {
        auto image = std::make_unique<QPixmap>();
        if (image->loadFromData(entry->file, "BMP")) {
            entry->image = std::move(image);
        }
        entry->file = QByteArray();
    }
    if (entry && entry->image) {
        return entry->image.get();
    }
    // A file that failed before is tried again on every request, and reported every time it is still missing.
    m_images.Remove(name);
    Entry fresh{Read(name), std::make_unique<QPixmap>()};
    if (fresh.file.isEmpty() || !fresh.image->loadFromData(fresh.file, "BMP")) {
        fresh.image.reset();
    }
    fresh.file = QByteArray();
    const QPixmap* result = fresh.image.get();
    m_images.Insert(name, std::move(fresh));
    if (!result) {
        m_reportMissing(name);
    }
    return result;
}

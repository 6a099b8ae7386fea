#pragma once

#include <array>

// Every bitmap of the skin, in one place. The painter paints exactly these and nothing else, the build embeds
// the numbered ones into their program, the catalogue loads the named ones, and the windows ask for them by
// these names and numbers. The build reads each program's numbers from its namespace below, so a namespace
// holds nothing but its `kName = number` constants.

// The files of "images/" in the program folder, in the order the catalogue loads them.
inline constexpr std::array<const char*, 69> kSkinFiles = {
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

// Built into the client, ":/res/<number>.bmp".
namespace ClientBitmap {
inline constexpr int kComboArrow = 137;
inline constexpr int kZipClose = 148;
inline constexpr int kZipCloseHover = 149;
inline constexpr int kConfirm = 150;
inline constexpr int kConfirmHover = 151;
inline constexpr int kMessageBackground = 152;
inline constexpr int kZipSearch = 160;
inline constexpr int kZipSearchHover = 161;
inline constexpr int kYes = 163;
inline constexpr int kYesHover = 164;
inline constexpr int kNo = 165;
inline constexpr int kNoHover = 166;
inline constexpr int kZipBackground = 167;
inline constexpr int kCallConfirmBackground = 169;
// One picture for each report category, in category order: fire, medical, rescue, disaster, other.
inline constexpr int kFirePicture = 170;
inline constexpr int kEmergencyPicture = 171;
inline constexpr int kRescuePicture = 172;
inline constexpr int kDisasterPicture = 173;
inline constexpr int kOtherPicture = 174;
inline constexpr int kYesSelected = 175;
inline constexpr int kNoSelected = 176;
} // namespace ClientBitmap

// Built into the updater, ":/res/<number>.bmp".
namespace UpdaterBitmap {
enum : int { kBackground = 135, kStart = 136, kStartHover = 137, kFinish = 138, kFinishHover = 139 };
} // namespace UpdaterBitmap

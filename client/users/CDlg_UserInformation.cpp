#include "client/users/CDlg_UserInformation.h"

CDlg_UserInformation::CDlg_UserInformation(PageHost& host, QWidget* parent)
    : PageDialog(host, parent, "CDlg_UserInformation", "UserInfo_BG.bmp") {
    setAccessibleName(QStringLiteral("사용자 정보"));
}

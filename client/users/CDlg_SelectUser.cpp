#include "client/users/CDlg_SelectUser.h"

#include <QPalette>

CDlg_SelectUser::CDlg_SelectUser(PageHost& host, QWidget* parent) : PageDialog(host, parent, "CDlg_SelectUser", "") {
    setAccessibleName(QStringLiteral("사용자 선택"));
    // No background bitmap: white, with rounded corners over the whole page.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);
    SetRoundRegion(0, 0, kWidth, kHeight, 20, 20);
}

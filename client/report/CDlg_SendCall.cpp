#include "client/report/CDlg_SendCall.h"

CDlg_SendCall::CDlg_SendCall(PageHost& host, QWidget* parent)
    : PageDialog(host, parent, "CDlg_SendCall", "SendCall_BG.bmp") {
    setAccessibleName(QStringLiteral("신고하기"));
}

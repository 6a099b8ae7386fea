#include "client/history/CDlg_InquireHistory.h"

CDlg_InquireHistory::CDlg_InquireHistory(PageHost& host, QWidget* parent)
    : PageDialog(host, parent, "CDlg_InquireHistory", "History_BG.bmp") {
    setAccessibleName(QStringLiteral("신고 내역"));
}

#pragma once

#include "client/app/PageDialog.h"

// The report page: the person, the category, the place and the situation of an emergency report.
class CDlg_SendCall : public PageDialog {
    Q_OBJECT
public:
    CDlg_SendCall(PageHost& host, QWidget* parent);
};

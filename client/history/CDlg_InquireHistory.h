#pragma once

#include "client/app/PageDialog.h"

// The history page: the reports made for each registered person, with their state.
class CDlg_InquireHistory : public PageDialog {
    Q_OBJECT
public:
    CDlg_InquireHistory(PageHost& host, QWidget* parent);
};

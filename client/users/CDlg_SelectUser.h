#pragma once

#include "client/app/PageDialog.h"

// The user selection page: one button per registered person and a button to register another.
class CDlg_SelectUser : public PageDialog {
    Q_OBJECT
public:
    CDlg_SelectUser(PageHost& host, QWidget* parent);
};

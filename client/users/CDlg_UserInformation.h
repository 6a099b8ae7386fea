#pragma once

#include "client/app/PageDialog.h"

// The user information page: registers a new person or edits or deletes the selected one.
class CDlg_UserInformation : public PageDialog {
    Q_OBJECT
public:
    CDlg_UserInformation(PageHost& host, QWidget* parent);
};

#pragma once

#include <QDialog>

// The About box: the program's name, its installed version and its icon.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(const QString& version, QWidget* parent = nullptr);
};

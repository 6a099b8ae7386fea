#pragma once

#include "skin/CXDialog.h"

#include <QPointer>
#include <array>
#include <string>

class CXButton;
class CXEdit;
class CXTextEdit;
class QLabel;

// Everything a report will carry, shown once more before it goes: the reporter, the registration number with
// its last seven digits masked, address, phones, place and contents, and the category's picture. Yes sends;
// no, Escape and closing do not. Made anew for every report.
class CDlgCallConfirm : public CXDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 850;
    static constexpr int kHeight = 636;

    // Centred on `mainWindow`, or on the screen without one.
    explicit CDlgCallConfirm(QWidget* mainWindow);
    ~CDlgCallConfirm() override;

    // Texts are code page 949, shown as given; `category` is 0 (fire) to 4 (other). 1 when the user answered
    // yes, 2 otherwise.
    int Show(const std::string& name, const std::string& ssnFront, const std::string& ssnBack,
             const std::string& address, const std::string& homePhone, const std::string& mobilePhone,
             const std::string& place, const std::string& contents, int category);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ReadInOrder();

    enum Field { kName, kSsnFront, kSsnBack, kAddress, kHomePhone, kMobilePhone, kPlace, kFieldCount };

    QPointer<QWidget> m_mainWindow;
    std::array<CXEdit*, kFieldCount> m_fields{};
    CXTextEdit* m_contents;
    QLabel* m_picture;
    CXButton* m_yes; // control 1031
    CXButton* m_no;  // control 1013
};

#pragma once

#include "skin/CXDialog.h"

#include <QPointer>
#include <string>

class CXButton;
class CXStatic;

// The client's one message box, drawn from its own bitmaps: a notice with one confirm button (mode 0) or a
// yes/no question (mode 1). Enter presses the focused button; Escape and closing answer 2.
class CDlgMsgBox : public CXDialog {
    Q_OBJECT
public:
    static constexpr int kModeNotice = 0;
    static constexpr int kModeQuestion = 1;

    CDlgMsgBox();
    ~CDlgMsgBox() override;

    // The box is centred on this window; without one (at start), on the screen.
    void SetMainWindow(QWidget* mainWindow) { m_mainWindow = mainWindow; }

    // Shows the CP949 text ("\r\n" breaks lines) modally; 1 when the user confirmed, 2 otherwise.
    int Show(const std::string& text, int mode);

    const std::string& Text() const { return m_text; }
    int Mode() const { return m_mode; }

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Layout();

    QPointer<QWidget> m_mainWindow;
    std::string m_text;
    int m_mode = kModeNotice;
    CXStatic* m_textControl = nullptr;
    CXButton* m_yes = nullptr; // control 1031: 확인 or 예
    CXButton* m_no = nullptr;  // control 1013: 아니오
};

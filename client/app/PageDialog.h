#pragma once

#include "skin/CXDialog.h"

#include <string>

class PageHost;

// The common ground of the four pages: a skinned child of the main window at the page place, which neither
// Enter nor Escape can close.
class PageDialog : public CXDialog {
    Q_OBJECT
public:
    static constexpr int kLeft = 17;
    static constexpr int kTop = 87;
    static constexpr int kWidth = 988;
    static constexpr int kHeight = 537;

    // `background` is a skin file name, or empty for a page that paints its own.
    PageDialog(PageHost& host, QWidget* parent, const char* objectName, const char* background);

    void done(int) override {} // pages live as long as the main window

protected:
    PageHost& Host() { return m_host; }
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    PageHost& m_host;
    std::string m_backgroundName;
};

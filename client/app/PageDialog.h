#pragma once

#include "skin/CXDialog.h"

#include <set>
#include <string>

class CXButton;
class QAbstractButton;
class PageHost;

// The common ground of the four pages: a skinned child of the main window at the page place, which neither
// Enter nor Escape can close, with the pages' shared habits: tool tips from the text table, the return key
// moving on like the tab key in fields and lists, and pressing the focused button where a page says so.
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

    // Lays out the page's controls the first time it is needed: a page the user never opens costs neither
    // start-up time nor memory. The main window calls it before it shows the page.
    void EnsureBuilt();

protected:
    PageHost& Host() { return m_host; }

    // The page's controls, laid out once (see EnsureBuilt).
    virtual void Build() {}

    // The tip of `control`: the text of `key` in section "TOOLTIP", read once, now. Call after InitToolTips.
    void AddTip(QWidget* control, const char* key);
    // A bitmap button of the page at x, y with its two images from the skin (magenta transparent), sized to
    // them; the return key presses it.
    CXButton* AddButton(const char* objectName, const QString& accessibleName, int x, int y, const char* normal,
                        const char* hover);
    // The return key on these controls moves the focus on like the tab key.
    void MoveOnWithReturn(std::initializer_list<QWidget*> controls);
    // The return key on this button presses it, like the space key.
    void PressWithReturn(QAbstractButton* button);
    // Typing in this field starts in Korean. The desktop's input method keeps its own mode; the field only
    // takes input-method text.
    static void UseNativeInput(QWidget* field);

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    PageHost& m_host;
    std::string m_backgroundName;
    bool m_built = false;
    std::set<QObject*> m_moveOn;
    std::set<QObject*> m_pressOn;
};

#pragma once

#include "skin/CXSkinWidget.h"

#include "client/env/DraftFile.h"

#include <set>
#include <string>

class CXButton;
struct PhoneFields;
class QAbstractButton;
class QWidget;
class PageHost;

// The common ground of the four pages: a skinned child of the main window at the page place, with the pages'
// shared habits: tool tips from the text table, the return key moving on like the tab key in fields and lists,
// and pressing the focused button where a page says so. Keys a page does not use go on to the main window.
class PageWidget : public CXSkinWidget {
    Q_OBJECT
public:
    static constexpr int kLeft = 17;
    static constexpr int kTop = 87;
    static constexpr int kWidth = 988;
    static constexpr int kHeight = 537;

    // `background` is a skin file name, or empty for a page that paints its own.
    PageWidget(PageHost& host, QWidget* parent, const char* objectName, const char* background);

    // Lays out the page's controls the first time it is needed: a page the user never opens costs neither
    // start-up time nor memory. The main window calls it before it shows the page.
    void EnsureBuilt();
    bool IsBuilt() const { return m_built; }

    // Shows the page as the main window's page switch does. Only this showing reaches the page's own show
    // handling: a restore of the minimised window or the window shown again is no page event.
    void ShowAsPage();

    // What the page keeps in the draft file: it adds its values to `draft` (nothing when it holds nothing
    // worth keeping), and takes them back from a draft found at the start (true when it found its own).
    virtual void WriteDraft(DraftValues& draft) const { (void)draft; }
    virtual bool ReadDraft(const DraftValues& draft) {
        (void)draft;
        return false;
    }
    // Input that ending the program now would lose (the draft file keeps a report, not a registration).
    virtual bool HasUnsavedInput() const { return false; }
    virtual void DiscardUnsaved() {}

signals:
    // Something the user typed or chose changed; the main window keeps the draft file up to date.
    void DraftChanged();

protected:
    PageHost& Host() { return m_host; }

    // The page's controls, laid out once (see EnsureBuilt).
    virtual void Build() {}

    // The tip of `control`: the text of `key` in section "TOOLTIP", read once, now. Call after InitToolTips.
    void AddTip(QWidget* control, const char* key);
    // The tips of the phone fields, the same on every page.
    void AddTips(const PhoneFields& phones);
    // A bitmap button of the page at x, y with its two images from the skin (magenta transparent), sized to
    // them; the return key presses it.
    CXButton* AddButton(const char* objectName, const QString& accessibleName, int x, int y, const char* normal,
                        const char* hover);
    // The return key on these controls moves the focus on like the tab key.
    void MoveOnWithReturn(std::initializer_list<QWidget*> controls);
    // The return key on this button presses it, like the space key.
    void PressWithReturn(QAbstractButton* button);
    // This field's overflow is the page's own business: no balloon for it (call in Build).
    void HandleOverflowItself(QObject* field) { m_ownOverflow.insert(field); }
    // Typing in this field starts in Korean. The desktop's input method keeps its own mode; the field only
    // takes input-method text.
    static void UseNativeInput(QWidget* field);

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    PageHost& m_host;
    std::string m_backgroundName;
    bool m_built = false;
    bool m_showPending = false; // shown by the page switch, its show event not yet handled
    std::set<QObject*> m_moveOn;
    std::set<QObject*> m_pressOn;
    std::set<QObject*> m_ownOverflow;
};

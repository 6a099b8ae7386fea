#pragma once

#include "client/app/PageHost.h"
#include "client/env/DraftFile.h"
#include "skin/CXDialog.h"

#include <QLabel>
#include <array>
#include <memory>
#include <string>
#include <vector>

class CXButton;
class DraftKeeper;
class PageWidget;

// The client's only top-level window: a borderless 1024 x 750 skinned window with the menu bar, the step
// pictures and the four pages, of which one is shown at a time.
class MainDialog : public CXDialog {
    Q_OBJECT
public:
    using enum PageHost::Page;
    enum Button { kMinimise, kClose, kReport, kUser, kHistory, kHelp, kEnd, kButtonCount };

    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 750;

    explicit MainDialog(PageHost& host, QWidget* parent = nullptr);
    ~MainDialog() override;

    // Shows the window and picks the first page; a pending update may be offered and accepted here, which
    // closes the window again. Returns whether the window is still open.
    bool Open();

    // The page switch the pages ask for through the application.
    void ChangePage(int index);

    int CurrentPage() const { return m_currentPage; }
    PageWidget* PageAt(int index) const { return m_pages.at(static_cast<size_t>(index)); }
    CXButton* ButtonAt(Button button) const { return m_buttons.at(button); }
    QLabel* StepPicture() const { return m_leftStep; }
    const std::string& StepPictureName() const { return m_stepName; }
    const std::string& HelpAddress() const { return m_helpAddress; }

    void ShowAbout();

    // The draft file kept from what the pages hold.
    DraftKeeper& Draft() { return *m_draft; }

    void reject() override {} // Escape never closes the window

    // Where Tab goes, in reading order: the two title bar buttons, the page's controls, the menu; and round.
    std::vector<QWidget*> TabStops() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void SwitchTo(int index);
    // Asks about a pending update; true when the user agreed, and the window then closes.
    bool OfferUpdate();
    void GoToPersonPage(int index);
    void EndProgram();
    // Asks before input that would be lost; false when the user wants to stay. Writes the draft file at once.
    bool MayEnd();
    // A draft left by an earlier run (ended, killed or crashed) is offered to continue.
    void OfferDraft();
    DraftValues CollectDraft() const;
    void OpenHelp();
    void ShowSystemMenu(const QPoint& where);
    QLabel* AddPicture(const char* name, const char* file, int x, int y);
    void FocusFirstControlOf(PageWidget* page);
    bool HasPersons() const;

    PageHost& m_host;
    std::unique_ptr<DraftKeeper> m_draft;
    std::array<PageWidget*, 4> m_pages{};
    std::array<CXButton*, kButtonCount> m_buttons{};
    QLabel* m_title = nullptr;
    QLabel* m_menuBar = nullptr;
    QLabel* m_leftStep = nullptr;
    QLabel* m_rightStep = nullptr;
    int m_currentPage = kHistoryPage;
    std::string m_stepName;
    std::string m_helpAddress;
};

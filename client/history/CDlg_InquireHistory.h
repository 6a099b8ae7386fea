#pragma once

#include "client/app/PageWidget.h"

#include <array>
#include <string>
#include <vector>

class CXButton;
class CXEdit;
class CXListCtrl;
class CXTextEdit;

// The history page: the reports made for each registered person, with their state, and the full text of the
// report picked in the list. The list is asked of the centre whenever the page appears or a person is chosen.
class CDlg_InquireHistory : public PageWidget {
    Q_OBJECT
public:
    static constexpr int kTabCount = 4;
    enum Column { kDate, kTitle, kState, kAuthor, kNo, kBoardLevel, kPlace, kColumnCount };

    CDlg_InquireHistory(PageHost& host, QWidget* parent);

    // Rebuilds the person tabs from the stored persons and shows the history of the selected person, or of
    // the first tab.
    void RefreshPersonTabs();
    // Shows the history of the person on tab `index` (0 to 3). When the centre's list cannot be had, the list
    // and the highlighted tab stay as they were.
    void SelectPersonTab(int index);
    // Asks the centre for the current person's reports; 1 when the list was filled from its answer, else 0.
    int InquireHistory(int caseSet);
    // Replaces the rows with the reports of a successful reply.
    void FillHistoryList(const std::string& reply);
    // Shows the picked report in the three detail fields; nothing changes when no row is picked.
    void ShowHistoryDetail();

    CXButton* Tab(int index) const { return m_tabs.at(static_cast<size_t>(index)); }
    CXListCtrl* List() const { return m_list; }
    CXEdit* PlaceField() const { return m_place; }
    CXEdit* TitleField() const { return m_title; }
    CXTextEdit* ContentsField() const { return m_contents; }
    const std::string& CurrentKey() const { return m_currentKey; }

protected:
    void Build() override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ClearDetail();
    void HighlightTab(int index); // -1: none

    std::array<std::string, kTabCount> m_personKeys;
    std::string m_currentKey;
    std::string m_listedKey; // whose reports the rows are; empty when they are nobody's
    std::vector<std::string> m_rowContents;
    std::array<CXButton*, kTabCount> m_tabs{};
    CXListCtrl* m_list = nullptr;
    CXEdit* m_place = nullptr;
    CXEdit* m_title = nullptr;
    CXTextEdit* m_contents = nullptr;
};

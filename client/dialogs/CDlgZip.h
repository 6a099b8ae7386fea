#pragma once

#include "protocol/PostalCodeMessage.h"
#include "skin/CXDialog.h"

#include <QPointer>
#include <string>
#include <vector>

class CXButton;
class CXEdit;
class CXListCtrl;
class PageHost;

// The postal-code search: the user types a neighbourhood name, the centre lists its postal codes and
// addresses, and the user picks one. Run with exec(): 1 when an entry was chosen, 2 otherwise.
class CDlgZip : public CXDialog {
    Q_OBJECT
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kNameLimit = 40;

    // Centred on `mainWindow`, or on the screen without one.
    explicit CDlgZip(PageHost& host, QWidget* mainWindow = nullptr);

    // After a result of 1: the chosen entry's 6-digit postal code and first address line, as the centre sent
    // them.
    const std::string& ChosenZip() const { return m_chosenZip; }
    const std::string& ChosenAddress() const { return m_chosenAddress; }

    // Searches for the typed name (the search button, or Enter in the name field).
    void Search();
    // Ends the dialog with the selected entry (Enter in the list, or a double press); nothing without one.
    void Choose();
    // Replaces the list with the matches of a reply, in the centre's order.
    void FillList(const std::string& reply);

    void reject() override { done(2); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    PageHost& m_host;
    QPointer<QWidget> m_mainWindow;
    std::string m_chosenZip;
    std::string m_chosenAddress;
    std::vector<PostalCodeEntry> m_entries; // the list's rows as received, in the same order
    CXEdit* m_name = nullptr;
    CXButton* m_search = nullptr;
    CXButton* m_close = nullptr;
    CXListCtrl* m_list = nullptr;
};

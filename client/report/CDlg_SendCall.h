#pragma once

#include "client/app/PageDialog.h"

#include <array>
#include <string>

class CXButton;
class CXComboBox;
class CXEdit;
class CXTextEdit;
class CXTransparentStatic;
class Person;

// The report page: on whose behalf (one tab per stored person), which category, for a medical report which
// patient, the phones to call back, the place and what happened; then the confirmation and the report itself
// (work code 011). The person, category and patient chosen are kept by the environment for the whole run.
class CDlg_SendCall : public PageDialog {
    Q_OBJECT
public:
    static constexpr int kMaxPersons = 4;
    static constexpr int kCategoryCount = 5;

    CDlg_SendCall(PageHost& host, QWidget* parent);

    // Lays the page out anew from the stored persons and the shared choices; runs whenever the page is shown.
    void Refresh();
    void SelectPerson(int index);
    void ChooseCategory(int category);
    // The patient list's choice was changed by the user.
    void ChoosePatient();
    // The send button: checks, the phone question, the confirmation, the report, its outcome.
    void Send();

    // The report for the selected person, as the page stands: 1 when the centre accepted it, 0 otherwise
    // (the user has then been told why).
    int SendReport();
    // 1 when the reply's "RESULT" is "성공"; otherwise the failure message is shown and 0 comes back.
    int CheckReportResult(const std::string& reply);

    const std::string& ReportTitle() const { return m_reportTitle; }
    const std::string& LocalIp() const { return m_localIp; }
    int PersonsShown() const { return m_personCount; }

protected:
    void Build() override;
    void showEvent(QShowEvent* event) override;

private:
    Person* SelectedPerson();
    void FillFromSelectedPerson();
    void ApplyCategory();
    void ShowPlaceAndDetail(bool shown);
    // Replaces the whole detail text; the caret goes to its end and the focus to the place, all selected.
    void PutDetail(const std::string& text);
    std::string ComposePatientSection();
    // True when the user wants to go on with the send (phones unchanged, or changed and answered yes).
    bool SettlePhoneChanges(Person& person);

    std::array<CXButton*, kMaxPersons> m_personTabs{};
    std::array<CXButton*, kCategoryCount> m_categoryTabs{};
    CXButton* m_send = nullptr;
    CXEdit* m_address = nullptr;
    CXComboBox* m_tel1 = nullptr;
    CXEdit* m_tel2 = nullptr;
    CXEdit* m_tel3 = nullptr;
    CXComboBox* m_cell1 = nullptr;
    CXEdit* m_cell2 = nullptr;
    CXEdit* m_cell3 = nullptr;
    CXTextEdit* m_caseNote = nullptr;
    CXTransparentStatic* m_patientPicture = nullptr;
    CXTransparentStatic* m_typeSelectPicture = nullptr;
    CXComboBox* m_patients = nullptr;
    CXEdit* m_place = nullptr;
    CXTextEdit* m_detail = nullptr;

    std::array<std::string, kMaxPersons> m_personKeys;
    int m_personCount = 0;
    std::string m_reportTitle;
    std::string m_localIp;
    bool m_typeSelect = true; // the type-select picture stands where place and detail go
    bool m_sending = false;
};

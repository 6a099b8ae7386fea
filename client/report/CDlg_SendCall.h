#pragma once

#include "client/app/PageWidget.h"
#include "client/app/PhoneFields.h"

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
// (work code 011). The person, category and patient chosen are the pages' shared Selection, kept for the whole run.
class CDlg_SendCall : public PageWidget {
    Q_OBJECT
public:
    static constexpr int kMaxPersons = 4;
    static constexpr int kCategoryCount = 5;

    CDlg_SendCall(PageHost& host, QWidget* parent);

    // Lays the page out anew from the stored persons and the shared choices; runs whenever the page switch
    // shows it. The report being written stays: the first showing, or another person, fills in the person's
    // place and phones; the user's own words are never replaced.
    void Refresh();
    void SelectPerson(int index);
    void ChooseCategory(int category);
    // The patient list's choice was made by the user (the list closed on it, Enter, or the focus left the list):
    // only the patient section of the detail is written anew.
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

    void WriteDraft(DraftValues& draft) const override;
    bool ReadDraft(const DraftValues& draft) override;

protected:
    void Build() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using Phones = PhoneFields::Values;

    Person* SelectedPerson();
    // The person's address, case notes and phones. The place follows the person while it holds what was filled
    // in; a place the user wrote stays. With `keepTypedPhones`, phones the user changed stay too.
    void FillFromSelectedPerson(bool keepTypedPhones = false);
    void ApplyCategory();
    void ShowPlaceAndDetail(bool shown);
    // Puts `section` in place of the generated section of the detail, keeping the user's words.
    void ReplaceSection(const std::string& section);
    // The same for a category; the caret goes to the end and the focus to the place, all selected.
    void PutSection(const std::string& section);
    std::string ComposePatientSection();
    std::string UserWords() const;
    int PatientPosition() const;
    void CommitPatient();
    // The user changed something of the report: the draft file follows.
    void Touched();
    // Something of the user's own is on the page that is not yet with the centre.
    bool HoldsUserInput() const;
    // Asks about phones that differ from the stored ones; stores them when wanted. The report goes either way.
    void SettlePhoneChanges(Person& person);

    std::array<CXButton*, kMaxPersons> m_personTabs{};
    std::array<CXButton*, kCategoryCount> m_categoryTabs{};
    CXButton* m_send = nullptr;
    CXEdit* m_address = nullptr;
    PhoneFields m_phones;
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

    // What was filled in from the person, to tell it from what the user typed.
    bool m_filled = false;
    std::string m_filledKey;
    std::string m_filledPlace;
    Phones m_filledPhones;
    std::string m_section; // the generated patient section at the start of the detail
    bool m_taken = false;  // the centre took the report and nothing changed since
};

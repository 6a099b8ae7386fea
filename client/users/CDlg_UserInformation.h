#pragma once

#include "client/app/PageWidget.h"
#include "client/app/PhoneFields.h"

#include <string>

class CXButton;
class CXComboBox;
class CXEdit;
class CXTextEdit;
class Person;

// The user information page: registers a new person or edits or deletes the selected one. A person is kept
// only after the centre has confirmed that the name belongs to the registration number.
class CDlg_UserInformation : public PageWidget {
    Q_OBJECT
public:
    static constexpr int kNameLimit = 20;
    static constexpr int kAddressLimit = 50;
    static constexpr int kCaseNoteLimit = 200;

    CDlg_UserInformation(PageHost& host, QWidget* parent);

    // 1 while a new person is registered, 0 while the selected person is edited; decided at every showing.
    int RegisterMode() const { return m_registerMode; }

    void Save();
    void Delete();
    // Empties every field and puts the focus into the name; the mode stays.
    void ClearFields();
    void SearchPostalCode();

    // 1 when the person may be stored: the centre confirmed name and number, or neither changed while
    // editing. 0 otherwise, after telling the user why.
    int CheckRealName();
    // 1 when the reply's "CHECKRESULT" passes; otherwise its message is shown and 0 comes back.
    int ReadRealNameResult(const std::string& reply);

    // A half-done registration is kept in the draft file; unsaved registration or edits are asked about
    // before the program ends.
    void WriteDraft(DraftValues& draft) const override;
    bool ReadDraft(const DraftValues& draft) override;
    bool HasUnsavedInput() const override;
    void DiscardUnsaved() override;

protected:
    void Build() override;
    void showEvent(QShowEvent* event) override;

private:
    // The page's fields by their draft names.
    DraftValues FieldValues() const;
    void ShowFieldValues(const DraftValues& values);
    // The front part of the number is complete: the focus and whatever was typed on go to the back part.
    void MoveOnToBackNumber(const QString& typedOn);

    Person* SelectedPerson() const;
    void FillFrom(const Person& person);
    // The input check: false after showing the first failure's message and moving the focus.
    bool CheckInput();
    bool Refuse(const char* messageKey, QWidget* focus);
    // Writes the page into the person store and saves it; false when the save failed.
    bool StorePerson();
    std::string Number() const;
    void ShowText(const char* messageKey);

    int m_registerMode = 1;
    DraftValues m_entered;  // the fields as the page was entered: what counts as unchanged
    DraftValues m_restored; // a registration from the draft file, put back when the page is next entered
    CXEdit* m_name = nullptr;
    CXEdit* m_ssn1 = nullptr;
    CXEdit* m_ssn2 = nullptr;
    CXEdit* m_zip = nullptr;
    CXButton* m_zipButton = nullptr;
    CXEdit* m_addr1 = nullptr;
    CXEdit* m_addr2 = nullptr;
    PhoneFields m_phones;
    CXTextEdit* m_caseNote = nullptr;
    CXButton* m_back = nullptr;
    CXButton* m_clear = nullptr;
    CXButton* m_save = nullptr;
    CXButton* m_delete = nullptr;
};

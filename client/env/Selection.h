#pragma once

#include <string>

// What the pages have chosen together while the client runs: the person the report is for, the report's
// category and, for a medical report, the patient. Never stored (the report's draft keeps a copy). It changes
// only through these functions, each a choice the user made or its consequence.
class Selection {
public:
    enum Category { kFire, kMedical, kRescue, kDisaster, kOther, kNoCategory };

    // Empty: nobody selected.
    const std::string& SelectedPersonKey() const { return m_personKey; }
    int ReportCategory() const { return m_category; }
    // Empty: no patient chosen, or the patient is none of the stored persons ("기타환자").
    const std::string& PatientKey() const { return m_patientKey; }

    void SelectPerson(const std::string& key) { m_personKey = key; }
    void ClearPerson() { m_personKey.clear(); }
    // A number outside the categories means none.
    void SetCategory(int category) {
        m_category = category >= kFire && category < kNoCategory ? category : kNoCategory;
    }
    void SetPatient(const std::string& key) { m_patientKey = key; }

private:
    std::string m_personKey;
    int m_category = kNoCategory;
    std::string m_patientKey;
};

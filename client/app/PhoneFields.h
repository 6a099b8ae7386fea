#pragma once

#include "client/env/DraftFile.h"

#include <array>
#include <string>

class CXComboBox;
class CXEdit;
class Environment;
class Person;
class QComboBox;

// The two phone drop-down lists: position 0 "<선택>", then the area codes or the mobile prefixes of the
// environment's tables, unsorted.
void FillAreaCodeList(QComboBox& list, const Environment& env);
void FillMobilePrefixList(QComboBox& list, const Environment& env);
// Shows a stored code: its position in the list, "<선택>" for none, and a code the list does not know as it is,
// in an entry of its own for this person (gone again when the next person is shown).
void ShowAreaCode(QComboBox& list, const Environment& env, const std::string& code);
void ShowMobilePrefix(QComboBox& list, const Environment& env, const std::string& code);
// The digits of the chosen position; empty for "<선택>" or no choice; an unknown stored code as it is.
std::string SelectedAreaCode(const QComboBox& list, const Environment& env);
std::string SelectedMobilePrefix(const QComboBox& list, const Environment& env);

// The six phone controls a page shows for a person, in the order of the stored fields: the home phone's
// area-code list and its two parts, the mobile prefix list and its two parts. A page makes the controls where
// it wants them; what they show and hold is decided here, the same on every page.
struct PhoneFields {
    static constexpr std::size_t kCount = 6;
    // Tel1, Tel2, Tel3, Cell1, Cell2, Cell3, as stored: the lists give their codes, the parts their digits.
    using Values = std::array<std::string, kCount>;

    // The two lists: area code and mobile prefix.
    CXComboBox *tel1 = nullptr, *cell1 = nullptr;
    // The parts after them.
    CXEdit *tel2 = nullptr, *tel3 = nullptr, *cell2 = nullptr, *cell3 = nullptr;

    // Once the six are made: the lists get position 0 "<선택>", then the area codes or the mobile prefixes of
    // `env`'s tables, unsorted, and "<선택>" is chosen. `env` must outlive the fields.
    void FillLists(const Environment& env);
    // Shows stored values, the codes as ShowAreaCode and ShowMobilePrefix do.
    void Show(const Values& values);
    Values Shown() const;
    // The values as the draft entries "<prefix>tel1" to "<prefix>cell3", and shown again from them (an entry
    // that is missing shows empty).
    void WriteDraft(const std::string& prefix, DraftValues& draft) const;
    void ReadDraft(const std::string& prefix, const DraftValues& draft);

    static Values Of(const Person& person);
    static void Store(const Values& values, Person& person);

private:
    const Environment* m_env = nullptr;
};

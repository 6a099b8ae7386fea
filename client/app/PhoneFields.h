#pragma once

#include <array>
#include <string>

class CXComboBox;
class CXEdit;
class Environment;
class Person;

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
    // Shows stored values. A code the list does not know is shown as it is, in an entry of its own for this
    // person (gone again when the next values are shown).
    void Show(const Values& values);
    Values Shown() const;

    static Values Of(const Person& person);
    static void Store(const Values& values, Person& person);

private:
    const Environment* m_env = nullptr;
};

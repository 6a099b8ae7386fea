#include "client/app/PhoneFields.h"

#include "client/env/Environment.h"
#include "skin/CXComboBox.h"
#include "skin/CXEdit.h"
#include "skin/UiText.h"

namespace {

void Fill(QComboBox& list, const PhonePrefixTable& table) {
    list.clear();
    for (int i = 0; i < table.Size(); ++i) {
        list.addItem(ToUi(table.DisplayText(i)));
    }
    list.setCurrentIndex(0);
}

void Show(QComboBox& list, const PhonePrefixTable& table, const std::string& code) {
    while (list.count() > table.Size()) {
        list.removeItem(list.count() - 1);
    }
    const int position = table.IndexOf(code);
    if (position == 0 && !code.empty()) {
        list.addItem(ToUi(code), QByteArray::fromStdString(code));
        list.setCurrentIndex(list.count() - 1);
        return;
    }
    list.setCurrentIndex(position);
}

// The digits of the chosen position; empty for "<선택>" or no choice.
std::string Selected(const QComboBox& list, const PhonePrefixTable& table) {
    const int position = list.currentIndex();
    if (position >= table.Size()) {
        return list.currentData().toByteArray().toStdString();
    }
    return table.Digits(position);
}

} // namespace

void PhoneFields::FillLists(const Environment& env) {
    m_env = &env;
    Fill(*tel1, env.AreaCodes());
    Fill(*cell1, env.MobilePrefixes());
}

void PhoneFields::Show(const Values& values) {
    ::Show(*tel1, m_env->AreaCodes(), values[0]);
    tel2->SetCp949Text(values[1]);
    tel3->SetCp949Text(values[2]);
    ::Show(*cell1, m_env->MobilePrefixes(), values[3]);
    cell2->SetCp949Text(values[4]);
    cell3->SetCp949Text(values[5]);
}

PhoneFields::Values PhoneFields::Shown() const {
    return {Selected(*tel1, m_env->AreaCodes()),       tel2->Cp949Text(),  tel3->Cp949Text(),
            Selected(*cell1, m_env->MobilePrefixes()), cell2->Cp949Text(), cell3->Cp949Text()};
}

namespace {
// Where a person keeps each of the values, in their order.
constexpr std::string Person::*kStored[PhoneFields::kCount] = {&Person::Tel1,  &Person::Tel2,  &Person::Tel3,
                                                               &Person::Cell1, &Person::Cell2, &Person::Cell3};
} // namespace

PhoneFields::Values PhoneFields::Of(const Person& person) {
    Values values;
    for (std::size_t i = 0; i < kCount; ++i) {
        values[i] = person.*kStored[i];
    }
    return values;
}

void PhoneFields::Store(const Values& values, Person& person) {
    for (std::size_t i = 0; i < kCount; ++i) {
        person.*kStored[i] = values[i];
    }
}

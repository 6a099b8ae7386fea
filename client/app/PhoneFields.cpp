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

std::string Selected(const QComboBox& list, const PhonePrefixTable& table) {
    const int position = list.currentIndex();
    if (position >= table.Size()) {
        return list.currentData().toByteArray().toStdString();
    }
    return table.Digits(position);
}

// Where a person keeps each of the values, and their names in a draft, in their order.
constexpr std::string Person::*kStored[PhoneFields::kCount] = {&Person::Tel1,  &Person::Tel2,  &Person::Tel3,
                                                               &Person::Cell1, &Person::Cell2, &Person::Cell3};
constexpr const char* kDraftNames[PhoneFields::kCount] = {"tel1", "tel2", "tel3", "cell1", "cell2", "cell3"};

} // namespace

void FillAreaCodeList(QComboBox& list, const Environment& env) {
    Fill(list, env.AreaCodes());
}

void FillMobilePrefixList(QComboBox& list, const Environment& env) {
    Fill(list, env.MobilePrefixes());
}

void ShowAreaCode(QComboBox& list, const Environment& env, const std::string& code) {
    Show(list, env.AreaCodes(), code);
}

void ShowMobilePrefix(QComboBox& list, const Environment& env, const std::string& code) {
    Show(list, env.MobilePrefixes(), code);
}

std::string SelectedAreaCode(const QComboBox& list, const Environment& env) {
    return Selected(list, env.AreaCodes());
}

std::string SelectedMobilePrefix(const QComboBox& list, const Environment& env) {
    return Selected(list, env.MobilePrefixes());
}

void PhoneFields::FillLists(const Environment& env) {
    m_env = &env;
    FillAreaCodeList(*tel1, env);
    FillMobilePrefixList(*cell1, env);
}

void PhoneFields::Show(const Values& values) {
    ShowAreaCode(*tel1, *m_env, values[0]);
    tel2->SetCp949Text(values[1]);
    tel3->SetCp949Text(values[2]);
    ShowMobilePrefix(*cell1, *m_env, values[3]);
    cell2->SetCp949Text(values[4]);
    cell3->SetCp949Text(values[5]);
}

PhoneFields::Values PhoneFields::Shown() const {
    return {SelectedAreaCode(*tel1, *m_env),      tel2->Cp949Text(),  tel3->Cp949Text(),
            SelectedMobilePrefix(*cell1, *m_env), cell2->Cp949Text(), cell3->Cp949Text()};
}

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

void PhoneFields::WriteDraft(const std::string& prefix, DraftValues& draft) const {
    const Values values = Shown();
    for (std::size_t i = 0; i < kCount; ++i) {
        draft[prefix + kDraftNames[i]] = values[i];
    }
}

void PhoneFields::ReadDraft(const std::string& prefix, const DraftValues& draft) {
    Values values;
    for (std::size_t i = 0; i < kCount; ++i) {
        values[i] = DraftValue(draft, prefix + kDraftNames[i]);
    }
    Show(values);
}

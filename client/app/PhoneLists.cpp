#include "client/app/PhoneLists.h"

#include "client/env/Environment.h"
#include "skin/UiText.h"

#include <QComboBox>

namespace {

void Fill(QComboBox& list, const PhonePrefixTable& table) {
    list.clear();
    for (int i = 0; i < table.Size(); ++i) {
        list.addItem(ToUi(table.DisplayText(i)));
    }
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

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

} // namespace

void FillAreaCodeList(QComboBox& list, const Environment& env) {
    Fill(list, env.AreaCodes());
}

void FillMobilePrefixList(QComboBox& list, const Environment& env) {
    Fill(list, env.MobilePrefixes());
}

std::string SelectedAreaCode(const QComboBox& list, const Environment& env) {
    return env.SelectedAreaCode(list.currentIndex());
}

std::string SelectedMobilePrefix(const QComboBox& list, const Environment& env) {
    return env.SelectedMobilePrefix(list.currentIndex());
}

#pragma once

#include <string>

class Environment;
class QComboBox;

// The two phone drop-down lists of the report and user information pages: position 0 "<선택>", then the
// area codes or the mobile prefixes of the environment's tables, unsorted.
void FillAreaCodeList(QComboBox& list, const Environment& env);
void FillMobilePrefixList(QComboBox& list, const Environment& env);
// The digits of the chosen position; empty for "<선택>" or no choice.
std::string SelectedAreaCode(const QComboBox& list, const Environment& env);
std::string SelectedMobilePrefix(const QComboBox& list, const Environment& env);

#pragma once

#include <string>

class Environment;
class QComboBox;

// The two phone drop-down lists of the report and user information pages: position 0 "<선택>", then the
// area codes or the mobile prefixes of the environment's tables, unsorted.
void FillAreaCodeList(QComboBox& list, const Environment& env);
void FillMobilePrefixList(QComboBox& list, const Environment& env);
// Shows a stored code: its position in the list, "<선택>" for none, and a code the list does not know as it is,
// in an entry of its own for this person (gone again when the next person is shown).
void ShowAreaCode(QComboBox& list, const Environment& env, const std::string& code);
void ShowMobilePrefix(QComboBox& list, const Environment& env, const std::string& code);
// The digits of the chosen position; empty for "<선택>" or no choice.
std::string SelectedAreaCode(const QComboBox& list, const Environment& env);
std::string SelectedMobilePrefix(const QComboBox& list, const Environment& env);

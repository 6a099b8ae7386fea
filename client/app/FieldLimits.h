#pragma once

#include <set>

class CXDialog;
class Environment;
class QObject;

// Every limited field of `dialog` says its limit in the dialog's balloon when a typed or pasted text was cut
// to fit ("MSG_InputLimit", "MSG_InputLimit_Digits"), except the fields in `handledElsewhere`. Call once the
// dialog's fields and tool tips are made.
void TellFieldLimits(CXDialog& dialog, const Environment& env, const std::set<QObject*>& handledElsewhere = {});

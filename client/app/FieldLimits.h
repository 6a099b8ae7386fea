#pragma once

#include <functional>
#include <set>

class Environment;
class QObject;
class QString;
class QWidget;

// Shows a text in the balloon of the surface a field sits on.
using SayAtField = std::function<void(QWidget* field, const QString& text)>;

// Every limited field on `surface` says its limit through `say` when a typed or pasted text was cut to fit
// ("MSG_InputLimit", "MSG_InputLimit_Digits"), except the fields in `handledElsewhere`. Call once the
// surface's fields are made.
void TellFieldLimits(QWidget& surface, const SayAtField& say, const Environment& env,
                     const std::set<QObject*>& handledElsewhere = {});

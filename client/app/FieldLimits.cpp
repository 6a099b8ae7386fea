#include "client/app/FieldLimits.h"

#include "client/env/Environment.h"
#include "skin/CXBalloonTip.h"
#include "skin/CXDialog.h"
#include "skin/CXEdit.h"
#include "skin/CXTextEdit.h"
#include "skin/UiText.h"

namespace {

// Limits count code-page bytes: a Hangul syllable takes two, a letter or digit one.
void Tell(CXDialog& dialog, const Environment& env, QWidget* field, int byteLimit, bool digits) {
    if (!dialog.ToolTip()) {
        dialog.InitToolTips();
    }
    QString text = ToUi(env.GetText("MESSAGE", digits ? "MSG_InputLimit_Digits" : "MSG_InputLimit"));
    text.replace(QLatin1String("%1"), QString::number(digits ? byteLimit : byteLimit / 2));
    text.replace(QLatin1String("%2"), QString::number(byteLimit));
    dialog.ToolTip()->Say(field, text);
}

} // namespace

void TellFieldLimits(CXDialog& dialog, const Environment& env, const std::set<QObject*>& handledElsewhere) {
    for (CXEdit* edit : dialog.findChildren<CXEdit*>()) {
        if (edit->ByteLimit() > 0 && handledElsewhere.count(edit) == 0) {
            QObject::connect(edit, &CXEdit::Overflowed, &dialog,
                             [&dialog, &env, edit] { Tell(dialog, env, edit, edit->ByteLimit(), edit->DigitsOnly()); });
        }
    }
    for (CXTextEdit* edit : dialog.findChildren<CXTextEdit*>()) {
        if (edit->ByteLimit() > 0 && handledElsewhere.count(edit) == 0) {
            QObject::connect(edit, &CXTextEdit::Overflowed, &dialog,
                             [&dialog, &env, edit] { Tell(dialog, env, edit, edit->ByteLimit(), false); });
        }
    }
}

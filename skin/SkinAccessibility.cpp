#include "skin/SkinAccessibility.h"

#include "skin/CXBalloonTip.h"
#include "skin/CXDialog.h"
#include "skin/CXSkinText.h"

#include <QAccessibleWidget>
#include <QLineEdit>
#include <QMessageBox>

namespace {

class WindowAccessible : public QAccessibleWidget {
public:
    explicit WindowAccessible(QDialog* window) : QAccessibleWidget(window, QAccessible::Dialog) {}

    QAccessible::Role role() const override {
        const auto* skinned = qobject_cast<const CXDialog*>(widget());
        if ((skinned && skinned->IsAlert()) || qobject_cast<const QMessageBox*>(widget())) {
            return QAccessible::AlertMessage;
        }
        return widget()->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window;
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.modal = widget()->isModal();
        return state;
    }
    // A system message box says what it is about, not only its title.
    QString text(QAccessible::Text t) const override {
        const auto* box = qobject_cast<const QMessageBox*>(widget());
        if (box && t == QAccessible::Description) {
            return box->text();
        }
        return QAccessibleWidget::text(t);
    }
};

// A widget whose name is the text it shows now.
class ShownTextAccessible : public QAccessibleWidget {
public:
    ShownTextAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name) {
            return QAccessibleWidget::text(t);
        }
        if (const auto* label = qobject_cast<const QLabel*>(widget())) {
            return label->text();
        }
        return static_cast<const CXBalloonTip*>(widget())->ShownText();
    }
};

QAccessibleInterface* SkinFactory(const QString& className, QObject* object) {
    // Every dialog window, the system message box too (for its modal state), asked with its own class name first.
    auto* dialog = qobject_cast<QDialog*>(object);
    if (dialog && dialog->isWindow() && className == QLatin1String(object->metaObject()->className())) {
        return new WindowAccessible(dialog);
    }
    if (className == QLatin1String("CXSkinText") && static_cast<CXSkinText*>(object)->IsLive()) {
        return new ShownTextAccessible(static_cast<QWidget*>(object), QAccessible::StatusBar);
    }
    if (className == QLatin1String("CXBalloonTip")) {
        return new ShownTextAccessible(static_cast<QWidget*>(object), QAccessible::ToolTip);
    }
    return nullptr;
}

bool IsSecret(QObject* object) {
    const auto* field = qobject_cast<QLineEdit*>(object);
    return field && field->echoMode() != QLineEdit::Normal;
}

// Qt keeps one update hook for the whole process; the guard hands events on to whatever hook was there
// before it (none in the program, a recorder in a test), or else to the screen reader's bridge.
QAccessible::UpdateHandler g_next = nullptr;

void Guard(QAccessibleEvent* event);

void Forward(QAccessibleEvent* event) {
    if (g_next) {
        g_next(event);
        return;
    }
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(Guard);
}

QString Dots(qsizetype count) {
    return QString(count, QChar(0x25CF));
}

// Text events of a field that hides its text carry as many dots as characters, never the characters.
void Guard(QAccessibleEvent* event) {
    if (!IsSecret(event->object())) {
        Forward(event);
        return;
    }
    switch (event->type()) {
    case QAccessible::TextInserted: {
        const auto* inserted = static_cast<QAccessibleTextInsertEvent*>(event);
        QAccessibleTextInsertEvent masked(event->object(), inserted->changePosition(),
                                          Dots(inserted->textInserted().size()));
        Forward(&masked);
        return;
    }
    case QAccessible::TextRemoved: {
        const auto* removed = static_cast<QAccessibleTextRemoveEvent*>(event);
        QAccessibleTextRemoveEvent masked(event->object(), removed->changePosition(),
                                          Dots(removed->textRemoved().size()));
        Forward(&masked);
        return;
    }
    case QAccessible::TextUpdated: {
        const auto* updated = static_cast<QAccessibleTextUpdateEvent*>(event);
        QAccessibleTextUpdateEvent masked(event->object(), updated->changePosition(),
                                          Dots(updated->textRemoved().size()), Dots(updated->textInserted().size()));
        Forward(&masked);
        return;
    }
    case QAccessible::ValueChanged: {
        QAccessibleValueChangeEvent masked(event->object(),
                                           Dots(static_cast<QLineEdit*>(event->object())->text().size()));
        Forward(&masked);
        return;
    }
    default:
        Forward(event);
    }
}

} // namespace

void InstallSkinAccessibility() {
    QAccessible::installFactory(SkinFactory);
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(Guard);
    if (previous != Guard) {
        g_next = previous;
    }
}

#include "client/app/PageDialog.h"

#include "client/app/PageHost.h"
#include "skin/SkinCatalogue.h"

#include <QKeyEvent>

PageDialog::PageDialog(PageHost& host, QWidget* parent, const char* objectName, const char* background)
    : CXDialog(parent), m_host(host) {
    setWindowFlags(Qt::Widget);
    setObjectName(objectName);
    setAccessibleName(objectName);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(kLeft, kTop, kWidth, kHeight);
    if (background != nullptr) {
        m_backgroundName = background;
    }
    hide();
}

void PageDialog::showEvent(QShowEvent* event) {
    // A page takes its background when it is first shown: pages the user never opens cost no memory.
    if (!m_backgroundName.empty() && !Background()) {
        SetBackground(m_host.Catalogue().GetImage(m_backgroundName));
    }
    CXDialog::showEvent(event);
}

void PageDialog::keyPressEvent(QKeyEvent* event) {
    // The dialog's own handling would close the page on Escape and press a default button on Enter;
    // hand both to the main window instead.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    CXDialog::keyPressEvent(event);
}

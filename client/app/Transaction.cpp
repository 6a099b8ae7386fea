#include "client/app/Transaction.h"

#include "client/app/PageHost.h"
#include "client/env/Environment.h"
#include "client/protocol/HttpTransport.h"
#include "client/protocol/TagReader.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <thread>

namespace {

// While an exchange runs the windows repaint, but nothing the user does reaches them: a second press of a
// send button must not start a second exchange, and a click made while waiting must not act afterwards.
class InputBlocker : public QObject {
public:
    InputBlocker() {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        qApp->installEventFilter(this);
    }
    ~InputBlocker() override {
        qApp->removeEventFilter(this);
        QApplication::restoreOverrideCursor();
    }
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }
};

// Sends and receives on a worker thread while the user-interface thread goes on painting. Empty when nothing
// came back at all.
std::optional<std::string> Exchange(HttpTransport& transport, const std::string& request) {
    InputBlocker blocker;
    QEventLoop loop;
    std::optional<std::string> reply;
    std::thread worker([&] {
        if (transport.Send(request)) {
            reply = transport.Receive();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    return reply;
}

} // namespace

std::optional<std::string> RunTransaction(PageHost& host, const std::string& request, int workCode,
                                          const char* noAnswerKey) {
    const std::optional<std::string> reply = Exchange(host.Transport(), request);
    std::string text;
    if (reply) {
        const int judgement = host.Reader().CheckWork(*reply, workCode);
        if (judgement == 1) {
            return reply;
        }
        int position = 0;
        text = host.Reader().GetTagValue(*reply, judgement == 999 ? "COMENT" : "TITLE", position);
    }
    if (text.empty()) {
        text = host.Env().GetText("MESSAGE", !reply && host.Transport().Untrusted() ? kUntrustedMessage : noAnswerKey);
    }
    host.ShowMessage(text);
    return std::nullopt;
}

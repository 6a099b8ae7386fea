#include "client/app/Transaction.h"

#include "client/app/PageHost.h"
#include "client/protocol/HttpTransport.h"
#include "client/protocol/TagReader.h"

#include <QApplication>
#include <QCursor>

namespace {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

std::optional<std::string> RunTransaction(PageHost& host, const std::string& request, int workCode) {
    std::string reply;
    int judgement = 0;
    {
        WaitCursor wait;
        HttpTransport& transport = host.Transport();
        if (!transport.Send(request)) {
            return std::nullopt;
        }
        reply = transport.Receive();
        judgement = host.Reader().CheckWork(reply, workCode);
    }
    if (judgement == 1) {
        return reply;
    }
    int position = 0;
    host.ShowMessage(host.Reader().GetTagValue(reply, judgement == 999 ? "COMENT" : "TITLE", position));
    return std::nullopt;
}

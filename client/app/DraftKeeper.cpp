#include "client/app/DraftKeeper.h"

#include "client/app/PageHost.h"
#include "client/env/Environment.h"

DraftKeeper::DraftKeeper(PageHost& host, std::function<DraftValues()> collect)
    : m_host(host), m_collect(std::move(collect)), m_file(host.Env()) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DraftKeeper::SaveNow);
}

void DraftKeeper::Changed() {
    // Not restarted by each keystroke: steady typing must not put the write off for ever.
    if (!m_timer.isActive()) {
        m_timer.start(kDelayMs);
    }
}

bool DraftKeeper::SaveNow() {
    m_timer.stop();
    if (m_file.Save(m_collect())) {
        return true;
    }
    // Said once: a message at every keystroke would keep the user from writing the report itself.
    if (!m_failureTold) {
        m_failureTold = true;
        m_host.ShowMessage(m_host.Env().GetText("MESSAGE", "MSG_Draft_SaveError"));
    }
    return false;
}

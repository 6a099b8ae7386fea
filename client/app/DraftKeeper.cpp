#include "client/app/DraftKeeper.h"

#include "client/app/PageHost.h"
#include "client/env/Environment.h"

DraftKeeper::DraftKeeper(PageHost& host, std::function<DraftValues()> collect)
    : m_host(host), m_collect(std::move(collect)), m_file(host.Env()) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DraftKeeper::SaveNow);
    m_writer = std::thread([this] { WriterLoop(); });
}

DraftKeeper::~DraftKeeper() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_writer.join();
}

void DraftKeeper::Changed() {
    // Not restarted by each keystroke: steady typing must not put the write off for ever.
    if (!m_timer.isActive()) {
        m_timer.start(kDelayMs);
    }
}

bool DraftKeeper::SaveNow() {
    m_timer.stop();
    const DraftValues values = m_collect();
    std::optional<std::string> bytes = values.empty() ? std::string() : m_file.Encode(values);
    if (!bytes) {
        TellFailure();
        return false;
    }
    {
        // Only the latest state matters: a write still waiting is replaced.
        const std::lock_guard lock(m_mutex);
        m_next = std::move(bytes);
    }
    m_wake.notify_one();
    return true;
}

bool DraftKeeper::Flush() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_next && !m_writing; });
    return m_lastWriteOk;
}

void DraftKeeper::WriterLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_next || m_stop; });
        if (!m_next) {
            return; // stopped with nothing left to write
        }
        const std::string bytes = std::move(*m_next);
        m_next.reset();
        m_writing = true;
        lock.unlock();
        const bool ok = bytes.empty() ? m_file.Remove() : m_file.Write(bytes);
        if (!ok) {
            QMetaObject::invokeMethod(this, &DraftKeeper::TellFailure, Qt::QueuedConnection);
        }
        lock.lock();
        m_writing = false;
        m_lastWriteOk = ok;
        m_idle.notify_all();
    }
}

void DraftKeeper::TellFailure() {
    // Said once: a message at every keystroke would keep the user from writing the report itself.
    if (!m_failureTold) {
        m_failureTold = true;
        m_host.ShowMessage(m_host.Env().GetText("MESSAGE", "MSG_Draft_SaveError"));
    }
}

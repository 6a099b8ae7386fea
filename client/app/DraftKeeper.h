#pragma once

#include "client/env/DraftFile.h"

#include <QObject>
#include <QTimer>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class PageHost;

// Keeps the draft file in step with what the user types: a change is written within a second, however fast
// the typing goes on. The values are gathered and enciphered on the user-interface thread; the disk write
// (flushed, renamed) runs on a writer thread of its own, so a slow disk never holds up the typing.
class DraftKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kDelayMs = 1000;

    // `collect` gathers what is worth keeping at the moment of writing.
    DraftKeeper(PageHost& host, std::function<DraftValues()> collect);
    // Finishes the last write.
    ~DraftKeeper() override;
    DraftKeeper(const DraftKeeper&) = delete;
    DraftKeeper& operator=(const DraftKeeper&) = delete;

    // Something changed: written at the latest kDelayMs from now.
    void Changed();
    // Hands what `collect` gives to the writer at once (no values: the file goes). False when it could not be
    // enciphered. A failure, here or on the disk, is told once a run.
    bool SaveNow();
    // Waits until the writer has written everything handed to it; false when its last write failed.
    bool Flush();
    bool Pending() const { return m_timer.isActive(); }

    const DraftFile& File() const { return m_file; }

private:
    void WriterLoop();
    void TellFailure();

    PageHost& m_host;
    std::function<DraftValues()> m_collect;
    DraftFile m_file;
    QTimer m_timer;
    bool m_failureTold = false;

    // The writer: the latest bytes to write (empty optional: nothing waiting; an empty text: remove the file).
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<std::string> m_next;
    bool m_writing = false;
    bool m_lastWriteOk = true;
    bool m_stop = false;
    std::thread m_writer;
};

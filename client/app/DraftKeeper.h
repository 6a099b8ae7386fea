#pragma once

#include "client/env/DraftFile.h"

#include <QObject>
#include <QTimer>
#include <functional>

class PageHost;

// Keeps the draft file in step with what the user types: a change is written within a second, however fast
// the typing goes on, and the typing itself never waits for the disk.
class DraftKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr int kDelayMs = 1000;

    // `collect` gathers what is worth keeping at the moment of writing.
    DraftKeeper(PageHost& host, std::function<DraftValues()> collect);

    // Something changed: written at the latest kDelayMs from now.
    void Changed();
    // Writes at once what `collect` gives (removing the file when that is nothing). A failure is told once a run.
    bool SaveNow();
    bool Pending() const { return m_timer.isActive(); }

    const DraftFile& File() const { return m_file; }

private:
    PageHost& m_host;
    std::function<DraftValues()> m_collect;
    DraftFile m_file;
    QTimer m_timer;
    bool m_failureTold = false;
};
